#include "tests/AllocationSeam.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace tramelo::testing {

namespace {

std::atomic<std::int64_t> gCountdown{0};  // 0: no failure asked for
std::atomic<std::int64_t> gMade{0};

void Count() {
    gMade.fetch_add(1, std::memory_order_relaxed);
    if (gCountdown.load(std::memory_order_relaxed) > 0 && gCountdown.fetch_sub(1) == 1) {
        throw std::bad_alloc();
    }
}

void* Allocate(std::size_t size) {
    Count();
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

// Over-aligned: the block malloc gave is kept just before the aligned start.
void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    Count();
    const auto align = static_cast<std::size_t>(alignment);
    void* block = std::malloc(size + align + sizeof(void*));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    const auto start = (reinterpret_cast<std::uintptr_t>(block) + sizeof(void*) + align - 1) / align * align;
    reinterpret_cast<void**>(start)[-1] = block;
    return reinterpret_cast<void*>(start);
}

void FreeAligned(void* memory) {
    if (memory != nullptr) {
        std::free(static_cast<void**>(memory)[-1]);
    }
}

}  // namespace

std::int64_t FailAllocation(std::int64_t k) {
    gCountdown.store(k);
    return gMade.exchange(0);
}

}  // namespace tramelo::testing

using tramelo::testing::Allocate;
using tramelo::testing::AllocateAligned;
using tramelo::testing::FreeAligned;

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    FreeAligned(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    FreeAligned(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
    FreeAligned(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
    FreeAligned(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
