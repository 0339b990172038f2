#pragma once

// The file layer: the only way the core reads and writes files.
//
// Paths are byte strings in the file system's own encoding (UTF-8 on Linux and, through the
// wide API, on Windows), used exactly as given. Opening and every output operation report
// failure by throwing FileError, the one exception of the core; reads and seeks of an input
// report what happened by their result, as the importers need to tell short reads apart.
//
// DiskFileSystem is the real one; tests put in-memory files and injected faults behind the
// same interface.
//
// Threads: a file system and its files are used from the main thread and, in the batch
// command, from the pipeline's worker (pipeline/Pipeline.h says what runs there). Each open
// file is used by one thread at a time. Every file system lets the worker open and read
// files while the main thread too only opens, reads and asks whether files exist. Only one
// whose allowsConcurrentWrites() is true lets the worker create, write, close and remove
// files while the main thread does anything else with other files; replace(), list(),
// syncFolder(), lockFolder() and identity() are the main thread's alone.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/HeldBytes.h"
#include "platform/PathSeparator.h"

namespace tramelo {

class FileError : public std::runtime_error {
public:
    explicit FileError(std::string path, const std::string& what = "file operation failed")
        : std::runtime_error(what + ": " + path), path_(std::move(path)) {}

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// An existing file open for reading in binary mode.
class InputFile {
public:
    virtual ~InputFile() = default;

    // The next size bytes at the current position, or fewer at the end of the file (an
    // input/output error counts as the end); the position moves past them. The bytes are
    // the file's own buffer, not a copy: they stay valid until the next read or seek.
    virtual std::span<const std::uint8_t> read(std::size_t size) = 0;
    // Moves to an absolute byte position and returns the new position; an error or a
    // position past the end gives a different value than asked for.
    virtual std::int64_t seek(std::int64_t position) = 0;
    // The file's length in bytes when it was opened.
    virtual std::int64_t size() const = 0;
    // The file's bytes, when it holds them all in memory: a view that read() handed out then
    // lies in them and stays good as long as any holder of them lives, the file closed or
    // not. None for a file read as it goes.
    virtual HeldBytes held() const { return {}; }
    // Reads up to size bytes at the current position into destination, the same bytes as
    // read() gives, and returns how many there were.
    virtual std::size_t readInto(std::uint8_t* destination, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            const std::span<const std::uint8_t> bytes = read(std::min<std::size_t>(size - done, kReadStep));
            if (bytes.empty()) {
                break;
            }
            std::copy(bytes.begin(), bytes.end(), destination + done);
            done += bytes.size();
        }
        return done;
    }

private:
    static constexpr std::size_t kReadStep = 1024 * 1024;
};

// A new file open for writing in binary mode, no byte translated. Every operation throws
// FileError when it fails. Only close() makes the file complete: destroying a file that was
// not closed abandons it, and bytes still held in its buffer may never reach it (a failure
// path removes such a file anyway).
class OutputFile {
public:
    virtual ~OutputFile() = default;

    virtual void write(const void* data, std::size_t size) = 0;
    virtual void seekToStart() = 0;
    // Makes everything written reach the disk itself, so that it survives a power cut, and
    // closes the file; only then is the file complete.
    virtual void close() = 0;
};

// A lock on an output folder (FileSystem::lockFolder), held until it is destroyed.
class FolderLock {
public:
    virtual ~FolderLock() = default;
};

enum class FolderLockOutcome {
    Locked,    // the folder is this run's until the lock goes
    InUse,     // another run holds it
    NoFolder,  // no folder of that name can be locked (missing, or a file)
};

// What tells one file apart from every other, whatever path reaches it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Throws FileError when the file does not exist or cannot be opened.
    virtual std::unique_ptr<InputFile> openForReading(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
    // Creates a new file; throws FileError when it cannot, and when a file of that name exists
    // (so that no two writers ever share a file).
    virtual std::unique_ptr<OutputFile> createForWriting(const std::string& path) = 0;
    // True when path names something that must not be written over: a read-only file, or
    // anything but a regular file (a folder of that name).
    virtual bool isReadOnly(const std::string& path) = 0;
    // Moves a complete file over target in one step, replacing it; throws FileError.
    virtual void replace(const std::string& from, const std::string& target) = 0;
    // Deletes a file if it exists; never throws.
    virtual void remove(const std::string& path) noexcept = 0;
    // The names of what a folder holds; none when it holds nothing or is no folder.
    virtual std::vector<std::string> list(const std::string& folder) = 0;
    // Makes the names created, moved and removed in folder survive a power cut; throws
    // FileError(folder).
    virtual void syncFolder(const std::string& folder) = 0;
    // Locks folder for this run: lock holds it when the outcome is Locked. A lock goes with
    // the process that holds it, however it ends.
    virtual FolderLockOutcome lockFolder(const std::string& folder, std::unique_ptr<FolderLock>& lock) = 0;
    // The identity of the file at path; none when there is none.
    virtual std::optional<FileIdentity> identity(const std::string& path) = 0;
    // True when files may be created, written and removed from two threads at once (each file
    // from one of them), as above.
    virtual bool allowsConcurrentWrites() const { return false; }
};

// folder, the platform's separator, then name.
inline std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    path += kPathSeparator;
    path += name;
    return path;
}

}  // namespace tramelo
