#include "tests/support/FaultyFileSystem.h"

#include "tests/support/Outputs.h"

namespace tramelo::testing {

namespace {

class FaultyOutputFile final : public OutputFile {
public:
    FaultyOutputFile(FaultyFileSystem& files, std::unique_ptr<OutputFile> inner, std::string path)
        : files_(files), inner_(std::move(inner)), path_(std::move(path)) {}

    void write(const void* data, std::size_t size) override {
        files_.step(FaultyFileSystem::Operation::Write, path_);
        inner_->write(data, size);
    }
    void seekToStart() override {
        files_.step(FaultyFileSystem::Operation::Seek, path_);
        inner_->seekToStart();
    }
    void close() override {
        files_.step(FaultyFileSystem::Operation::Close, path_);
        inner_->close();
    }

private:
    FaultyFileSystem& files_;
    std::unique_ptr<OutputFile> inner_;
    std::string path_;
};

}  // namespace

std::unique_ptr<OutputFile> FaultyFileSystem::createForWriting(const std::string& path) {
    step(Operation::Create, path);
    return std::make_unique<FaultyOutputFile>(*this, FileSystemWrapper::createForWriting(path), path);
}

void FaultyFileSystem::step(Operation operation, const std::string& path) {
    const std::lock_guard lock(mutex_);
    if (crashed) {
        throw Crash{};
    }
    steps.push_back({operation, path});
    ++count;
    if (count == crashAt) {
        crashed = true;
        throw Crash{};
    }
    if (count == failAt || (operation == Operation::Write && TargetOf(path) == failWritesOf)) {
        throw FileError(path, "injected failure");
    }
}

bool FaultyFileSystem::quietStep(Operation operation, const std::string& path) noexcept {
    const std::lock_guard lock(mutex_);
    if (crashed) {
        return false;
    }
    steps.push_back({operation, path});
    ++count;
    if (count == crashAt) {
        crashed = true;
        return false;
    }
    return true;  // a removal cannot fail
}

}  // namespace tramelo::testing
