#pragma once

// The directory separator of this platform: the one character that divides a path, and the
// one that output paths are joined with.

namespace tramelo {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

}  // namespace tramelo
