#pragma once

// The names of a shapefile's files: the .SHP's path with its last three characters
// replaced by the companion's extension. Tools other than the one the data was made with
// write lower-case extensions, so where a file system tells letter cases apart the
// upper-case name is looked for first and the lower-case one only when that is missing.

#include <array>
#include <string>
#include <string_view>

#include "shapefile/FileSystem.h"

namespace tramelo {

struct Companion {
    std::string_view upper;
    std::string_view lower;
};

inline constexpr Companion kShxCompanion{"SHX", "shx"};
inline constexpr Companion kDbfCompanion{"DBF", "dbf"};
inline constexpr Companion kPrjCompanion{"PRJ", "prj"};
inline constexpr Companion kCpgCompanion{"CPG", "cpg"};
inline constexpr std::array<Companion, 4> kCompanions{kShxCompanion, kDbfCompanion, kPrjCompanion,
                                                      kCpgCompanion};

// path with its last three characters replaced by extension; nothing else changes.
inline std::string CompanionPath(std::string_view path, std::string_view extension) {
    return std::string(path.substr(0, path.size() >= 3 ? path.size() - 3 : 0)).append(extension);
}

// The companion's path under the upper-case extension, or the lower-case one when only that
// file exists.
inline std::string FindCompanion(FileSystem& files, std::string_view path, const Companion& companion) {
    std::string name = CompanionPath(path, companion.upper);
    if (!files.exists(name)) {
        std::string lowerCase = CompanionPath(path, companion.lower);
        if (files.exists(lowerCase)) {
            return lowerCase;
        }
    }
    return name;
}

}  // namespace tramelo
