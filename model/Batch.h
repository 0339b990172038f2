#pragma once

// The staging array of one input file: one item per input record, in record order, created
// in their initial state and filled while the file is read. Positions out of range are
// ignored: item() gives none for them.
//
// The items, their texts and their points live in a staging arena: the workspace's, which
// is reset after each file so that every file is staged in the same memory, or the batch's
// own when it is made on its own. Texts that lie in a file held in memory until the merge
// are not copied at all.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string_view>
#include <vector>

#include "base/Arena.h"

namespace tramelo {

template <class Item>
class Batch {
public:
    // count items, none when count is 0 or less, in staging; it must outlive the batch.
    Batch(std::int32_t count, Arena& staging)
        : arena_(&staging), count_(count), items_(Items(count, staging)) {}
    // The same in an arena of the batch's own.
    explicit Batch(std::int32_t count)
        : own_(std::make_unique<Arena>()), arena_(own_.get()), count_(count), items_(Items(count, *own_)) {}

    std::int32_t count() const { return count_; }

    Item* item(std::int32_t i) { return inRange(i) ? &items_[static_cast<std::size_t>(i)] : nullptr; }
    const Item* item(std::int32_t i) const {
        return inRange(i) ? &items_[static_cast<std::size_t>(i)] : nullptr;
    }

protected:
    Arena& arena() { return *arena_; }
    // text itself when it stays valid as long as the batch (it lies in a file held in memory
    // until the merge), else a copy in the staging arena.
    std::string_view keep(std::string_view text, bool stays) { return stays ? text : arena().store(text); }

private:
    static std::pmr::vector<Item> Items(std::int32_t count, Arena& arena) {
        return std::pmr::vector<Item>(count > 0 ? static_cast<std::size_t>(count) : 0, arena.resource());
    }
    bool inRange(std::int32_t i) const { return i >= 0 && i < count_; }

    // Declared before the items, so that it outlives whatever they hold in it.
    std::unique_ptr<Arena> own_;
    Arena* arena_;
    std::int32_t count_;
    std::pmr::vector<Item> items_;
};

}  // namespace tramelo
