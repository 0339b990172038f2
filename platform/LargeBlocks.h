#pragma once

// Memory for the blocks that hold a run's records, texts and points.
//
// Where the system offers huge pages, a block of a huge page or more is laid out to use
// them, so that holding a few hundred megabytes of records costs a few hundred page faults
// rather than tens of thousands; smaller blocks come from the usual heap. The memory is
// handed out as a standard memory resource: every container of the core that takes large
// blocks takes them through it. Implemented with the other calls to the operating system in
// OperatingSystem.cpp.

#include <memory_resource>

namespace tramelo {

// The one large-block resource of the program. Allocation throws std::bad_alloc; a block
// must be freed with the size it was allocated with, as every memory resource requires.
std::pmr::memory_resource* LargeBlockMemory();

}  // namespace tramelo
