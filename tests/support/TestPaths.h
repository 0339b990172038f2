#pragma once

// Paths for tests that run on Linux and, cross-built, on Windows.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tramelo::testing {

// A path written with "/" as this platform writes it: with its own separator.
std::string Native(std::string_view path);

// A path of the build machine baked into the tests (the samples, the programs), as this
// platform opens it. A Windows build made on Linux runs under Wine, which shows the Linux
// root as drive Z:.
std::string BuildMachinePath(std::string_view path);

// The bytes of a file, as they are on the disk; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

// text's lines, without their line breaks (LF or CR LF).
std::vector<std::string> Lines(const std::string& text);

// A new, empty folder under the system's temporary folder, removed with its contents.
class TemporaryFolder {
public:
    // purpose: part of the folder name, in UTF-8.
    explicit TemporaryFolder(std::string_view purpose);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // As the core takes it (UTF-8).
    std::string string() const;

private:
    std::filesystem::path path_;
};

}  // namespace tramelo::testing
