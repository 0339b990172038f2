#pragma once

// Files held in memory, for tests, fuzzing and benchmarks: a map from path to bytes.
// Folders are implicit (any path can be created) unless listed in missingFolders. A file's
// identity is its path.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "shapefile/FileSystem.h"

namespace tramelo::testing {

class MemoryFileSystem final : public FileSystem {
public:
    std::unique_ptr<InputFile> openForReading(const std::string& path) override;
    bool exists(const std::string& path) override { return files.contains(path); }
    std::unique_ptr<OutputFile> createForWriting(const std::string& path) override;
    bool isReadOnly(const std::string& path) override { return readOnly.contains(path); }
    void replace(const std::string& from, const std::string& target) override;
    void remove(const std::string& path) noexcept override { files.erase(path); }
    std::vector<std::string> list(const std::string& folder) override;
    void syncFolder(const std::string& folder) override;
    FolderLockOutcome lockFolder(const std::string& folder, std::unique_ptr<FolderLock>& lock) override;
    std::optional<FileIdentity> identity(const std::string& path) override;

    // The file's bytes; empty when it does not exist.
    const std::vector<std::uint8_t>& bytes(const std::string& path) const;
    std::string text(const std::string& path) const;

    std::map<std::string, std::vector<std::uint8_t>> files;
    std::set<std::string> readOnly;
    std::set<std::string> unreadable;  // there, but opening them fails
    std::set<std::string> missingFolders;
    std::set<std::string> lockedFolders;  // by a lock of this file system, or by "another run"
    int folderSyncs = 0;
};

}  // namespace tramelo::testing
