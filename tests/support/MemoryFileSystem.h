#pragma once

// Files held in memory, for tests, fuzzing and benchmarks: a map from path to bytes.
// Folders are implicit (any path can be created) unless listed in missingFolders.

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

    // The file's bytes; empty when it does not exist.
    const std::vector<std::uint8_t>& bytes(const std::string& path) const;
    std::string text(const std::string& path) const;

    std::map<std::string, std::vector<std::uint8_t>> files;
    std::set<std::string> readOnly;
    std::set<std::string> missingFolders;
};

}  // namespace tramelo::testing
