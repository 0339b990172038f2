#pragma once

// A file system that hands every call to another one, for a file system that changes only a
// few of them and leaves the rest as they are (the read-ahead takes over opening the inputs
// it has read; the tests' fault injection fails chosen output operations). A new operation of
// FileSystem is forwarded here once, not in each of them.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shapefile/FileSystem.h"

namespace tramelo {

class FileSystemWrapper : public FileSystem {
public:
    // REQUIRES: target outlives the wrapper.
    explicit FileSystemWrapper(FileSystem& target) : target_(target) {}

    FileSystem& target() const { return target_; }

    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        return target_.openForReading(path);
    }
    bool exists(const std::string& path) override { return target_.exists(path); }
    std::unique_ptr<OutputFile> createForWriting(const std::string& path) override {
        return target_.createForWriting(path);
    }
    bool isReadOnly(const std::string& path) override { return target_.isReadOnly(path); }
    void replace(const std::string& from, const std::string& target) override {
        target_.replace(from, target);
    }
    void remove(const std::string& path) noexcept override { target_.remove(path); }
    std::vector<std::string> list(const std::string& folder) override { return target_.list(folder); }
    void syncFolder(const std::string& folder) override { target_.syncFolder(folder); }
    FolderLockOutcome lockFolder(const std::string& folder, std::unique_ptr<FolderLock>& lock) override {
        return target_.lockFolder(folder, lock);
    }
    std::optional<FileIdentity> identity(const std::string& path) override { return target_.identity(path); }
    bool allowsConcurrentWrites() const override { return target_.allowsConcurrentWrites(); }

private:
    FileSystem& target_;
};

}  // namespace tramelo
