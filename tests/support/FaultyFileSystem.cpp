#include "tests/support/FaultyFileSystem.h"

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

}  // namespace tramelo::testing
