#pragma once

// A hint to the processor that memory is about to be read: it may start loading it now.
// Without the compiler's built-in, it does nothing; results never depend on it.

#if defined(_MSC_VER) && !defined(__clang__)
#include <xmmintrin.h>
#endif

namespace tramelo {

inline void PrefetchForReading(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address, 0, 1);
#elif defined(_MSC_VER)
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T1);
#else
    (void)address;
#endif
}

}  // namespace tramelo
