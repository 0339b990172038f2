#pragma once

// The few things the core needs from the operating system beyond the C++ standard library:
// paths and file replacement as Windows wants them, the local date, the console of the
// batch command. Every call to the operating system is made in platform/OperatingSystem.cpp;
// large blocks of memory have a header of their own (LargeBlocks.h), so that the containers
// do not drag <filesystem> in with them.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace tramelo {

// A path of the core (bytes in the file system's encoding: UTF-8 on Windows) as the
// standard library wants it.
std::filesystem::path NativePath(const std::string& path);

// The local calendar time of a moment; false when the system cannot tell it.
bool LocalTime(std::time_t moment, std::tm& local);

// Moves a complete file over target in one step, replacing it: no moment leaves target's name
// without a file. False when it failed.
bool MoveFileOver(const std::string& from, const std::string& target);

// An output file open for writing, by the system's own handle.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Creates a new file for writing; kNoFile when it cannot be created, and when a file of that
// name exists (so that two runs never write into one file).
FileHandle CreateNewFile(const std::string& path);
// Writes all size bytes at the current position; false when it cannot (a full disk, a file
// too large for the system's limit).
bool WriteToFile(FileHandle file, const void* data, std::size_t size);
bool SeekFileToStart(FileHandle file);
// Asks the system to start writing the given bytes to the disk now, so that making the file
// durable later has little left to wait for. Only a hint: it may do nothing.
void StartWriteBack(FileHandle file, std::int64_t offset, std::int64_t size);
// Waits until everything written to the file, and its length, is on the disk.
bool FlushFileToDisk(FileHandle file);
bool CloseFile(FileHandle file);

// Makes the creations, moves and removals of names in folder durable (where the system needs
// it asked: POSIX; Windows moves write through on their own). False when it failed.
bool SyncFolder(const std::string& folder);

// A lock on a folder that is the system's: it goes with the process, however the process
// ends, and leaves nothing in the folder once released (Linux: flock() on the folder itself;
// Windows: a file of the folder's opened for this process alone and deleted when closed).
enum class FolderLockResult { Locked, InUse, NoFolder };
FileHandle LockFolder(const std::string& folder, FolderLockResult& result);
void UnlockFolder(FileHandle lock);
// The file the Windows lock lives in, which a run must leave alone: its name in the folder.
inline constexpr const char* kFolderLockName = "tramelo.lock";

// What tells one file apart from every other on this machine, whatever path reaches it
// (letter case, links, "..", short names).
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileId&) const = default;
};
std::optional<FileId> IdentityOf(const std::string& path);

// Has interrupt requests (SIGINT, SIGTERM, SIGHUP; on Windows Ctrl+C, Ctrl+Break and closing
// the console) only noted, for the program to stop at its next safe point, and a write past
// the system's file size limit fail (SIGXFSZ) instead of ending the process. A second request
// ends the program at once, as without this.
void CatchInterrupts();
// The signal number of the first interrupt request caught (Ctrl+C: SIGINT; Ctrl+Break and
// closing the console: SIGTERM), or 0.
int InterruptSignal();
// For tests: as if the request had come (signal 0: forgotten again).
void SetInterruptSignal(int signal);
// The program has cleaned up after an interrupt (Windows waits for it when the console is
// closed before it ends the process).
void InterruptHandled();

#ifdef _WIN32
// A UTF-16 text of Windows (a command-line argument) as the UTF-8 the core takes.
std::string Utf8FromWide(const wchar_t* text);
// Makes the console show UTF-8 output as the characters it stands for.
void UseUtf8Console();
#endif

}  // namespace tramelo
