#pragma once

// The staging array of one input file: one item per input record, in record order, created
// in their initial state and filled while the file is read. Positions out of range are
// ignored: item() gives none for them. The items' texts and points are kept in the batch's
// own arena, which goes with the batch.

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <vector>

#include "base/Arena.h"
#include "platform/LargeBlocks.h"

namespace tramelo {

template <class Item>
class Batch {
public:
    // count items; none when count is 0 or less.
    explicit Batch(std::int32_t count)
        : count_(count), items_(count > 0 ? static_cast<std::size_t>(count) : 0, LargeBlockMemory()) {}

    std::int32_t count() const { return count_; }

    Item* item(std::int32_t i) { return inRange(i) ? &items_[static_cast<std::size_t>(i)] : nullptr; }
    const Item* item(std::int32_t i) const {
        return inRange(i) ? &items_[static_cast<std::size_t>(i)] : nullptr;
    }

protected:
    Arena& arena() { return arena_; }

private:
    bool inRange(std::int32_t i) const { return i >= 0 && i < count_; }

    // Declared before the items, so that it outlives whatever they hold in it.
    Arena arena_;
    std::int32_t count_;
    // Large blocks: a batch of a big file is megabytes, allocated and freed once per file,
    // which the usual heap hands back to the system each time.
    std::pmr::vector<Item> items_;
};

}  // namespace tramelo
