#include "platform/OperatingSystem.h"

#include "platform/LargeBlocks.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <new>
#include <system_error>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/mman.h>
#endif
#endif

namespace tramelo {

std::filesystem::path NativePath(const std::string& path) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
#else
    return std::filesystem::path(path);
#endif
}

#ifdef _WIN32

std::string Utf8FromWide(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string converted(size > 0 ? static_cast<std::size_t>(size - 1) : 0, '\0');
    if (size > 1) {
        WideCharToMultiByte(CP_UTF8, 0, text, -1, converted.data(), size, nullptr, nullptr);
    }
    return converted;
}

void UseUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
}

#endif

bool LocalTime(std::time_t moment, std::tm& local) {
#ifdef _WIN32
    return localtime_s(&local, &moment) == 0;
#else
    return localtime_r(&moment, &local) != nullptr;
#endif
}

bool MoveFileOver(const std::string& from, const std::string& target) {
#ifdef _WIN32
    // MoveFileExW replaces an existing target in one step; not every standard library's
    // rename does on Windows. Written through, the move is on the disk when it returns.
    return MoveFileExW(NativePath(from).c_str(), NativePath(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    std::error_code error;
    std::filesystem::rename(NativePath(from), NativePath(target), error);
    return !error;
#endif
}

namespace {

std::atomic<int> gInterrupt{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

}  // namespace

int InterruptSignal() {
    return gInterrupt.load();
}

void SetInterruptSignal(int signal) {
    gInterrupt.store(signal);
}

#ifdef _WIN32

namespace {

HANDLE gHandled = nullptr;  // set once the program has cleaned up after an interrupt

BOOL WINAPI OnConsoleEvent(DWORD event) {
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    int expected = 0;
    if (!gInterrupt.compare_exchange_strong(expected, signal)) {
        return FALSE;  // a second request: the default, which ends the process
    }
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // Windows ends the process when this returns: the program is given the few seconds
        // Windows allows to remove its temporary files first.
        WaitForSingleObject(gHandled, 4500);
    }
    return TRUE;
}

}  // namespace

FileHandle CreateNewFile(const std::string& path) {
    const HANDLE file = CreateFileW(NativePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(file);
}

bool WriteToFile(FileHandle file, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(reinterpret_cast<HANDLE>(file), bytes, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

bool SeekFileToStart(FileHandle file) {
    LARGE_INTEGER start{};
    return SetFilePointerEx(reinterpret_cast<HANDLE>(file), start, nullptr, FILE_BEGIN) != 0;
}

void StartWriteBack(FileHandle, std::int64_t, std::int64_t) {}

bool FlushFileToDisk(FileHandle file) {
    return FlushFileBuffers(reinterpret_cast<HANDLE>(file)) != 0;
}

bool CloseFile(FileHandle file) {
    return CloseHandle(reinterpret_cast<HANDLE>(file)) != 0;
}

bool SyncFolder(const std::string&) {
    return true;  // every move was written through
}

FileHandle LockFolder(const std::string& folder, FolderLockResult& result) {
    const DWORD attributes = GetFileAttributesW(NativePath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        result = FolderLockResult::NoFolder;
        return kNoFile;
    }
    const std::filesystem::path path = NativePath(folder) / kFolderLockName;
    // Shared with no one, and deleted by the system when closed, the process's end included.
    const HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (lock == INVALID_HANDLE_VALUE) {
        result = GetLastError() == ERROR_SHARING_VIOLATION ? FolderLockResult::InUse : FolderLockResult::NoFolder;
        return kNoFile;
    }
    result = FolderLockResult::Locked;
    return reinterpret_cast<FileHandle>(lock);
}

void UnlockFolder(FileHandle lock) {
    CloseHandle(reinterpret_cast<HANDLE>(lock));
}

std::optional<FileId> IdentityOf(const std::string& path) {
    const HANDLE file = CreateFileW(NativePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (!known) {
        return std::nullopt;
    }
    return FileId{information.dwVolumeSerialNumber,
                        (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

void CatchInterrupts() {
    if (gHandled == nullptr) {
        gHandled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void InterruptHandled() {
    if (gHandled != nullptr) {
        SetEvent(gHandled);
    }
}

#else

namespace {

extern "C" void OnInterrupt(int signal) {
    int expected = 0;
    if (!gInterrupt.compare_exchange_strong(expected, signal)) {
        std::signal(signal, SIG_DFL);  // a second request ends the process, as without this
        std::raise(signal);
    }
}

}  // namespace

FileHandle CreateNewFile(const std::string& path) {
    int file;
    do {
        file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (file < 0 && errno == EINTR);
    return file < 0 ? kNoFile : file;
}

bool WriteToFile(FileHandle file, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(static_cast<int>(file), bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool SeekFileToStart(FileHandle file) {
    return ::lseek(static_cast<int>(file), 0, SEEK_SET) == 0;
}

void StartWriteBack([[maybe_unused]] FileHandle file, [[maybe_unused]] std::int64_t offset,
                    [[maybe_unused]] std::int64_t size) {
#if defined(__linux__)
    ::sync_file_range(static_cast<int>(file), offset, size, SYNC_FILE_RANGE_WRITE);
#endif
}

bool FlushFileToDisk(FileHandle file) {
    int result;
    do {
#if defined(__APPLE__)
        result = ::fcntl(static_cast<int>(file), F_FULLFSYNC);
#elif defined(__linux__)
        result = ::fdatasync(static_cast<int>(file));
#else
        result = ::fsync(static_cast<int>(file));
#endif
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool CloseFile(FileHandle file) {
    return ::close(static_cast<int>(file)) == 0;
}

bool SyncFolder(const std::string& folder) {
    const int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) {
        return false;
    }
    int result;
    do {
        result = ::fsync(handle);
    } while (result != 0 && errno == EINTR);
    ::close(handle);
    return result == 0;
}

FileHandle LockFolder(const std::string& folder, FolderLockResult& result) {
    const int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) {
        result = FolderLockResult::NoFolder;
        return kNoFile;
    }
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        result = errno == EWOULDBLOCK ? FolderLockResult::InUse : FolderLockResult::NoFolder;
        ::close(handle);
        return kNoFile;
    }
    result = FolderLockResult::Locked;
    return handle;
}

void UnlockFolder(FileHandle lock) {
    ::close(static_cast<int>(lock));
}

std::optional<FileId> IdentityOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileId{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails and is reported
}

void InterruptHandled() {}

#endif

namespace {

#if defined(__linux__)

constexpr std::size_t kHugePage = 2 * 1024 * 1024;

std::size_t MappedSize(std::size_t size) {
    return (size + kHugePage - 1) / kHugePage * kHugePage;
}

void* AllocateLargeBlock(std::size_t size) {
    if (size < kHugePage) {
        return ::operator new(size);
    }
    // Map one huge page more than needed and cut the mapping to a huge-page boundary: the
    // system backs only aligned, whole huge pages with huge pages.
    const std::size_t mapped = MappedSize(size);
    void* raw = mmap(nullptr, mapped + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        throw std::bad_alloc();
    }
    auto* start = static_cast<char*>(raw);
    auto* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) /
                                            kHugePage * kHugePage);
    if (aligned > start) {
        munmap(start, static_cast<std::size_t>(aligned - start));
    }
    char* end = start + mapped + kHugePage;
    if (end > aligned + mapped) {
        munmap(aligned + mapped, static_cast<std::size_t>(end - (aligned + mapped)));
    }
    madvise(aligned, mapped, MADV_HUGEPAGE);  // a hint: without huge pages the block works the same
    return aligned;
}

void FreeLargeBlock(void* block, std::size_t size) noexcept {
    if (size < kHugePage) {
        ::operator delete(block);
    } else if (block != nullptr) {
        munmap(block, MappedSize(size));
    }
}

#else

void* AllocateLargeBlock(std::size_t size) {
    return ::operator new(size);
}

void FreeLargeBlock(void* block, std::size_t) noexcept {
    ::operator delete(block);
}

#endif

// Blocks are aligned for any type: operator new gives the fundamental alignment, and mapped
// blocks start on a huge page.
class LargeBlockResource final : public std::pmr::memory_resource {
    void* do_allocate(std::size_t bytes, std::size_t) override { return AllocateLargeBlock(bytes); }
    void do_deallocate(void* block, std::size_t bytes, std::size_t) override { FreeLargeBlock(block, bytes); }
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
};

}  // namespace

std::pmr::memory_resource* LargeBlockMemory() {
    static LargeBlockResource resource;
    return &resource;
}

}  // namespace tramelo
