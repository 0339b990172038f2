#pragma once

// The real file system, for the programs. Paths are handed to the operating system as UTF-8
// on Windows and as raw bytes elsewhere.

#include "shapefile/FileSystem.h"

namespace tramelo {

class DiskFileSystem final : public FileSystem {
public:
    std::unique_ptr<InputFile> openForReading(const std::string& path) override;
    bool exists(const std::string& path) override;
    std::unique_ptr<OutputFile> createForWriting(const std::string& path) override;
    bool isReadOnly(const std::string& path) override;
    void replace(const std::string& from, const std::string& target) override;
    void remove(const std::string& path) noexcept override;
    std::vector<std::string> list(const std::string& folder) override;
    void syncFolder(const std::string& folder) override;
    FolderLockOutcome lockFolder(const std::string& folder, std::unique_ptr<FolderLock>& lock) override;
    std::optional<FileIdentity> identity(const std::string& path) override;
    bool allowsConcurrentWrites() const override { return true; }
};

}  // namespace tramelo
