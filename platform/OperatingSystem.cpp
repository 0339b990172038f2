#include "platform/OperatingSystem.h"

#include "platform/LargeBlocks.h"

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
#elif defined(__linux__)
#include <sys/mman.h>
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
    // rename does on Windows.
    return MoveFileExW(NativePath(from).c_str(), NativePath(target).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    std::error_code error;
    std::filesystem::rename(NativePath(from), NativePath(target), error);
    return !error;
#endif
}

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
