#include "tests/support/TestPaths.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <system_error>

#include "shapefile/FileSystem.h"

namespace tramelo::testing {

namespace fs = std::filesystem;

std::string Native(std::string_view path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '/', kPathSeparator);
    return native;
}

std::string BuildMachinePath(std::string_view path) {
#ifdef _WIN32
    if (path.starts_with('/')) {
        return "Z:" + Native(path);
    }
#endif
    return Native(path);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

TemporaryFolder::TemporaryFolder(std::string_view purpose) {
    // Random names, so that test processes running side by side never share a folder.
    std::random_device device;
    std::mt19937_64 random(
        (static_cast<std::uint64_t>(device()) << 32) ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    do {
        // purpose is UTF-8, which a narrow std::string would not mean on Windows.
        const std::string name = "tramelo-" + std::string(purpose) + "-" + std::to_string(random());
        path_ = fs::temp_directory_path() / fs::path(std::u8string(name.begin(), name.end()));
    } while (!fs::create_directories(path_));
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string TemporaryFolder::string() const {
    const std::u8string utf8 = path_.u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace tramelo::testing
