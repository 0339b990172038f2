#pragma once

// Marks memory that must not be read or written until it is handed out again, so that under
// AddressSanitizer a stale view into reused memory (an arena's block after a reset, a spare
// read-ahead buffer) fails at once instead of reading what the memory holds by then. Outside
// AddressSanitizer both do nothing.

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define TRAMELO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRAMELO_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef TRAMELO_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

namespace tramelo {

inline void PoisonMemory([[maybe_unused]] const void* memory, [[maybe_unused]] std::size_t size) {
#ifdef TRAMELO_ADDRESS_SANITIZER
    ASAN_POISON_MEMORY_REGION(memory, size);
#endif
}

inline void UnpoisonMemory([[maybe_unused]] const void* memory, [[maybe_unused]] std::size_t size) {
#ifdef TRAMELO_ADDRESS_SANITIZER
    ASAN_UNPOISON_MEMORY_REGION(memory, size);
#endif
}

// Whether memory is marked; always false outside AddressSanitizer.
inline bool IsPoisoned([[maybe_unused]] const void* memory) {
#ifdef TRAMELO_ADDRESS_SANITIZER
    return __asan_address_is_poisoned(memory) != 0;
#else
    return false;
#endif
}

}  // namespace tramelo
