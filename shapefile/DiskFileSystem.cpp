#include "shapefile/DiskFileSystem.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <vector>

#include "platform/OperatingSystem.h"

namespace tramelo {

namespace {

namespace fs = std::filesystem;

// Reads through a window of its own and hands out views into it: the importers seek before
// every record, and most of those seeks land where the previous record ended, so they must
// not cost a system call, throw the buffered bytes away or copy them once more.
class DiskInputFile final : public InputFile {
public:
    static constexpr std::size_t kWindow = 256 * 1024;

    explicit DiskInputFile(const std::string& path) {
        file_.pubsetbuf(nullptr, 0);
        if (file_.open(NativePath(path), std::ios::in | std::ios::binary) == nullptr) {
            throw FileError(path, "cannot open for reading");
        }
        const auto end = file_.pubseekoff(0, std::ios::end, std::ios::in);
        size_ = end < 0 ? 0 : static_cast<std::int64_t>(end);
        filePosition_ = -1;  // unknown until the first refill seeks
    }

    std::span<const std::uint8_t> read(std::size_t size) override {
        // Never more than the file still holds, so a size read from a damaged header cannot
        // make the window grow past the file.
        const std::int64_t position = windowStart_ + static_cast<std::int64_t>(cursor_);
        size = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(size),
                                                               std::max<std::int64_t>(size_ - position, 0)));
        if (filled_ - cursor_ < size) {
            refill(size);
        }
        const std::size_t count = std::min(size, filled_ - cursor_);
        const std::span<const std::uint8_t> view(window_.data() + cursor_, count);
        cursor_ += count;
        return view;
    }

    std::int64_t seek(std::int64_t position) override {
        if (position < 0 || position > size_) {
            return -1;
        }
        if (position >= windowStart_ && position <= windowStart_ + static_cast<std::int64_t>(filled_)) {
            cursor_ = static_cast<std::size_t>(position - windowStart_);
        } else {
            windowStart_ = position;
            cursor_ = filled_ = 0;
        }
        return position;
    }

    std::int64_t size() const override { return size_; }

    // Straight into the destination, past the window: a file read whole needs no copy of
    // its own.
    std::size_t readInto(std::uint8_t* destination, std::size_t size) override {
        const std::int64_t position = windowStart_ + static_cast<std::int64_t>(cursor_);
        windowStart_ = position;
        cursor_ = filled_ = 0;
        if (file_.pubseekpos(position, std::ios::in) != position) {
            filePosition_ = -1;
            return 0;
        }
        std::size_t done = 0;
        while (done < size) {
            const auto got = file_.sgetn(reinterpret_cast<char*>(destination) + done,
                                         static_cast<std::streamsize>(size - done));
            if (got <= 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        windowStart_ = position + static_cast<std::int64_t>(done);
        filePosition_ = windowStart_;
        return done;
    }

private:
    // Keeps the unread bytes, moved to the front, and reads after them until at least size
    // bytes are there or the file ends.
    void refill(std::size_t size) {
        const std::size_t kept = filled_ - cursor_;
        if (kept > 0 && cursor_ > 0) {
            std::memmove(window_.data(), window_.data() + cursor_, kept);
        }
        windowStart_ += static_cast<std::int64_t>(cursor_);
        cursor_ = 0;
        filled_ = kept;
        if (window_.size() < std::max(size, kWindow)) {
            window_.resize(std::max(size, kWindow));  // only for a file read as it goes
        }
        const std::int64_t next = windowStart_ + static_cast<std::int64_t>(filled_);
        if (filePosition_ != next) {
            if (file_.pubseekpos(next, std::ios::in) != next) {
                filePosition_ = -1;
                return;
            }
            filePosition_ = next;
        }
        while (filled_ < size) {
            const auto got = file_.sgetn(reinterpret_cast<char*>(window_.data()) + filled_,
                                         static_cast<std::streamsize>(window_.size() - filled_));
            if (got <= 0) {
                break;
            }
            filled_ += static_cast<std::size_t>(got);
            filePosition_ += got;
        }
    }

    std::filebuf file_;
    std::int64_t size_ = 0;
    std::int64_t filePosition_ = 0;  // where the next system read starts, -1 when unknown
    std::vector<std::uint8_t> window_;
    std::int64_t windowStart_ = 0;  // file position of window_[0]
    std::size_t filled_ = 0;        // valid bytes in the window
    std::size_t cursor_ = 0;        // next byte to hand out
};

// Writes through a large buffer of its own, straight to the system's file. A quarter of a
// megabyte keeps the system calls few (some 700 for the benchmark's set M); the batch command
// holds the buffers of both datasets while it still reads its inputs, where buffers of a
// megabyte each added 6 MB to its peak. Every few megabytes the system is asked to start
// writing what it has to the disk, so that close(), which waits until all of it is there,
// has little left to wait for.
class DiskOutputFile final : public OutputFile {
public:
    static constexpr std::size_t kBuffer = 256 * 1024;
    static constexpr std::int64_t kWriteBackStep = 8 * 1024 * 1024;

    // The buffer first: once the file exists, nothing may fail before the object owns it.
    explicit DiskOutputFile(const std::string& path) : path_(path) {
        buffer_.reserve(kBuffer);
        file_ = CreateNewFile(path);
        if (file_ == kNoFile) {
            throw FileError(path, "cannot create");
        }
    }
    ~DiskOutputFile() override {
        if (file_ != kNoFile) {
            CloseFile(file_);  // abandoned: whoever abandons it removes it
        }
    }
    DiskOutputFile(const DiskOutputFile&) = delete;
    DiskOutputFile& operator=(const DiskOutputFile&) = delete;

    void write(const void* data, std::size_t size) override {
        const auto* bytes = static_cast<const char*>(data);
        if (size > buffer_.capacity() - buffer_.size()) {
            flush();
        }
        if (size >= buffer_.capacity()) {
            send(bytes, size);
        } else {
            buffer_.insert(buffer_.end(), bytes, bytes + size);
        }
    }

    void seekToStart() override {
        flush();
        if (!SeekFileToStart(file_)) {
            throw FileError(path_, "cannot seek");
        }
        position_ = 0;
    }

    void close() override {
        flush();
        const bool durable = FlushFileToDisk(file_);
        const bool closed = CloseFile(file_);
        file_ = kNoFile;
        if (!durable || !closed) {
            throw FileError(path_, "cannot write");
        }
    }

private:
    void flush() {
        send(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

    void send(const char* data, std::size_t size) {
        if (size == 0) {
            return;
        }
        if (!WriteToFile(file_, data, size)) {
            throw FileError(path_, "cannot write");
        }
        position_ += static_cast<std::int64_t>(size);
        if (position_ - writtenBack_ >= kWriteBackStep) {
            StartWriteBack(file_, writtenBack_, position_ - writtenBack_);
            writtenBack_ = position_;
        }
    }

    std::string path_;
    FileHandle file_ = kNoFile;
    std::vector<char> buffer_;
    std::int64_t position_ = 0;     // where the next byte goes
    std::int64_t writtenBack_ = 0;  // bytes before it that the system was asked to write back
};

// Held by the folder's handle (or, on Windows, a file of its own): see LockFolder().
class DiskFolderLock final : public FolderLock {
public:
    explicit DiskFolderLock(FileHandle handle) : handle_(handle) {}
    ~DiskFolderLock() override { UnlockFolder(handle_); }
    DiskFolderLock(const DiskFolderLock&) = delete;
    DiskFolderLock& operator=(const DiskFolderLock&) = delete;

private:
    FileHandle handle_;
};

// The folder that output paths are joined to, as a path of its own: "" (the root, once its
// separator is taken off) and Windows' "D:" (the drive's root, to which "D:\\name" is joined)
// keep their meaning with the separator after them.
std::string FolderItself(const std::string& folder) {
    return JoinPath(folder, "");
}

}  // namespace

std::unique_ptr<InputFile> DiskFileSystem::openForReading(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(NativePath(path), error)) {
        throw FileError(path, "not a readable file");
    }
    return std::make_unique<DiskInputFile>(path);
}

bool DiskFileSystem::exists(const std::string& path) {
    std::error_code error;
    return fs::exists(NativePath(path), error);
}

std::unique_ptr<OutputFile> DiskFileSystem::createForWriting(const std::string& path) {
    return std::make_unique<DiskOutputFile>(path);
}

bool DiskFileSystem::isReadOnly(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(NativePath(path), error);
    if (error || !fs::exists(status)) {
        return false;
    }
    // A folder (or anything but a regular file) of that name cannot become the file either.
    return !fs::is_regular_file(status) || (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

void DiskFileSystem::replace(const std::string& from, const std::string& target) {
    if (!MoveFileOver(from, target)) {
        throw FileError(target, "cannot replace");
    }
}

void DiskFileSystem::remove(const std::string& path) noexcept {
    try {
        std::error_code error;
        fs::remove(NativePath(path), error);
    } catch (const std::bad_alloc&) {
        // No memory for the path: the file stays, for the next run into the folder to remove.
    }
}

std::vector<std::string> DiskFileSystem::list(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(NativePath(FolderItself(folder)), error), end; !error && entry != end;
         entry.increment(error)) {
        const std::u8string name = entry->path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    return names;
}

void DiskFileSystem::syncFolder(const std::string& folder) {
    if (!SyncFolder(FolderItself(folder))) {
        throw FileError(folder, "cannot sync");
    }
}

FolderLockOutcome DiskFileSystem::lockFolder(const std::string& folder, std::unique_ptr<FolderLock>& lock) {
    FolderLockResult result = FolderLockResult::NoFolder;
    const FileHandle handle = LockFolder(FolderItself(folder), result);
    switch (result) {
    case FolderLockResult::Locked: try { lock = std::make_unique<DiskFolderLock>(handle);
        } catch (...) {
            UnlockFolder(handle);  // never held by nobody for the rest of the process
            throw;
        }
        return FolderLockOutcome::Locked;
    case FolderLockResult::InUse: return FolderLockOutcome::InUse;
    case FolderLockResult::NoFolder: break;
    }
    return FolderLockOutcome::NoFolder;
}

std::optional<FileIdentity> DiskFileSystem::identity(const std::string& path) {
    const std::optional<FileId> found = IdentityOf(path);
    if (!found) {
        return std::nullopt;
    }
    return FileIdentity{found->device, found->file};
}

}  // namespace tramelo
