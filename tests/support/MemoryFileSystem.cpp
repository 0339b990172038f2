#include "tests/support/MemoryFileSystem.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

namespace tramelo::testing {

namespace {

class MemoryInputFile final : public InputFile {
public:
    // A copy of its own, so that what the file hands out outlives the test's changes to the map.
    explicit MemoryInputFile(const std::vector<std::uint8_t>& bytes)
        : bytes_(std::make_shared<const std::vector<std::uint8_t>>(bytes)) {}

    std::span<const std::uint8_t> read(std::size_t size) override {
        const std::size_t count = std::min(size, bytes_->size() - position_);
        const std::span<const std::uint8_t> view(bytes_->data() + position_, count);
        position_ += count;
        return view;
    }

    std::int64_t seek(std::int64_t position) override {
        if (position < 0 || position > static_cast<std::int64_t>(bytes_->size())) {
            return -1;
        }
        position_ = static_cast<std::size_t>(position);
        return position;
    }

    std::int64_t size() const override { return static_cast<std::int64_t>(bytes_->size()); }
    HeldBytes held() const override { return HeldBytes(bytes_, *bytes_); }

private:
    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
    std::size_t position_ = 0;
};

class MemoryOutputFile final : public OutputFile {
public:
    explicit MemoryOutputFile(std::vector<std::uint8_t>& bytes) : bytes_(bytes) { bytes_.clear(); }

    void write(const void* data, std::size_t size) override {
        const auto* source = static_cast<const std::uint8_t*>(data);
        if (position_ + size > bytes_.size()) {
            bytes_.resize(position_ + size);
        }
        std::copy_n(source, size, bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
        position_ += size;
    }
    void seekToStart() override { position_ = 0; }
    void close() override {}

private:
    std::vector<std::uint8_t>& bytes_;
    std::size_t position_ = 0;
};

class MemoryFolderLock final : public FolderLock {
public:
    MemoryFolderLock(std::set<std::string>& locked, std::string folder)
        : locked_(locked), folder_(std::move(folder)) {}
    ~MemoryFolderLock() override { locked_.erase(folder_); }

private:
    std::set<std::string>& locked_;
    std::string folder_;
};

std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.rfind(kPathSeparator);
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

std::unique_ptr<InputFile> MemoryFileSystem::openForReading(const std::string& path) {
    const auto found = files.find(path);
    if (found == files.end()) {
        throw FileError(path, "no such file");
    }
    if (unreadable.contains(path)) {
        throw FileError(path, "permission denied");
    }
    return std::make_unique<MemoryInputFile>(found->second);
}

std::unique_ptr<OutputFile> MemoryFileSystem::createForWriting(const std::string& path) {
    if (missingFolders.contains(FolderOf(path)) || readOnly.contains(path) || files.contains(path)) {
        throw FileError(path, "cannot create");
    }
    std::vector<std::uint8_t>& bytes = files[path];
    try {
        return std::make_unique<MemoryOutputFile>(bytes);
    } catch (...) {
        files.erase(path);  // as a disk that could not open the file it made removes it
        throw;
    }
}

void MemoryFileSystem::replace(const std::string& from, const std::string& target) {
    const auto found = files.find(from);
    if (found == files.end()) {
        throw FileError(target, "no such file");
    }
    // As a rename: the target's name never without a file, and nothing lost midway.
    std::vector<std::uint8_t>& placed = files[target];
    placed.swap(found->second);
    files.erase(from);
}

std::vector<std::string> MemoryFileSystem::list(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files) {
        if (FolderOf(path) == folder) {
            names.push_back(path.substr(folder.size() + 1));
        }
    }
    return names;
}

void MemoryFileSystem::syncFolder(const std::string& folder) {
    if (missingFolders.contains(folder)) {
        throw FileError(folder, "no such folder");
    }
    ++folderSyncs;
}

FolderLockOutcome MemoryFileSystem::lockFolder(const std::string& folder, std::unique_ptr<FolderLock>& lock) {
    if (missingFolders.contains(folder)) {
        return FolderLockOutcome::NoFolder;
    }
    if (lockedFolders.contains(folder)) {
        return FolderLockOutcome::InUse;
    }
    auto made = std::make_unique<MemoryFolderLock>(lockedFolders, folder);  // first: it lets go
    lockedFolders.insert(folder);
    lock = std::move(made);
    return FolderLockOutcome::Locked;
}

std::optional<FileIdentity> MemoryFileSystem::identity(const std::string& path) {
    if (!files.contains(path)) {
        return std::nullopt;
    }
    return FileIdentity{0, std::hash<std::string>()(path)};
}

const std::vector<std::uint8_t>& MemoryFileSystem::bytes(const std::string& path) const {
    static const std::vector<std::uint8_t> kNone;
    const auto found = files.find(path);
    return found == files.end() ? kNone : found->second;
}

std::string MemoryFileSystem::text(const std::string& path) const {
    const auto& content = bytes(path);
    return std::string(content.begin(), content.end());
}

}  // namespace tramelo::testing
