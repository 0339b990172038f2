#pragma once

// The few things the core needs from the operating system beyond the C++ standard library.
// This is the core's one platform-specific file: everything else builds unchanged on Linux
// and on Windows.

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <memory_resource>
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

// Memory for blocks of records. Where the system offers huge pages, a block of a huge page
// or more is laid out to use them, so that holding a few hundred megabytes of records costs
// a few hundred page faults rather than tens of thousands; smaller blocks come from the
// usual heap. Throws std::bad_alloc. A block is freed with the size it was allocated with.
void* AllocateLargeBlock(std::size_t size);
void FreeLargeBlock(void* block, std::size_t size) noexcept;

// A standard allocator that takes its memory from AllocateLargeBlock, for the containers
// that hold a run's records.
template <class T>
struct LargeBlockAllocator {
    using value_type = T;

    LargeBlockAllocator() = default;
    template <class U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) { return static_cast<T*>(AllocateLargeBlock(count * sizeof(T))); }
    void deallocate(T* block, std::size_t count) noexcept { FreeLargeBlock(block, count * sizeof(T)); }

    template <class U>
    bool operator==(const LargeBlockAllocator<U>&) const noexcept {
        return true;
    }
};

// The same memory as a memory resource, for the containers that take one.
std::pmr::memory_resource* LargeBlockMemory();

}  // namespace tramelo
