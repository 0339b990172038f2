#pragma once

// The tests' seam into the allocator: the program's operator new (replaced in this test
// executable, AllocationSeam.cpp) throws std::bad_alloc on the k-th allocation from now, on
// any thread, once.

#include <cstdint>

namespace tramelo::testing {

// k from 1; 0 for none. Returns how many allocations were made since the last call.
std::int64_t FailAllocation(std::int64_t k);

}  // namespace tramelo::testing
