#pragma once

// The few things the core needs from the operating system beyond the C++ standard library:
// paths and file replacement as Windows wants them, the local date, the console of the
// batch command. Every call to the operating system is made in platform/OperatingSystem.cpp;
// large blocks of memory have a header of their own (LargeBlocks.h), so that the containers
// do not drag <filesystem> in with them.

#include <ctime>
#include <filesystem>
#include <string>

namespace tramelo {

// A path of the core (bytes in the file system's encoding: UTF-8 on Windows) as the
// standard library wants it.
std::filesystem::path NativePath(const std::string& path);

// The local calendar time of a moment; false when the system cannot tell it.
bool LocalTime(std::time_t moment, std::tm& local);

// Moves a complete file over target in one step, replacing it. False when it failed.
bool MoveFileOver(const std::string& from, const std::string& target);

#ifdef _WIN32
// A UTF-16 text of Windows (a command-line argument) as the UTF-8 the core takes.
std::string Utf8FromWide(const wchar_t* text);
// Makes the console show UTF-8 output as the characters it stands for.
void UseUtf8Console();
#endif

}  // namespace tramelo
