#pragma once

// The staging array of one input file: one item per input record, in record order, created
// in their initial state and filled while the file is read. Positions out of range are
// ignored: item() gives none for them.
//
// The items live in a staging arena: the workspace's, which is reset after each file so that
// every file is staged in the same memory, or the batch's own when it is made on its own.
// Texts and points are kept with keep(): a view into one of the input files the batch was
// given, which it holds as long as it lives, is kept as it is; anything else is copied into
// the arena. So no view of a batch outlives what it points into, whenever the file that
// handed it out is closed.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <memory_resource>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Arena.h"
#include "base/HeldBytes.h"

namespace tramelo {

template <class Item>
class Batch {
public:
    // count items, none when count is 0 or less, in staging, which must outlive the batch.
    // inputs: the bytes of the files that texts and points may come from, held by the batch.
    Batch(std::int32_t count, Arena& staging, std::vector<HeldBytes> inputs = {})
        : arena_(&staging), inputs_(std::move(inputs)), count_(count), items_(Items(count, staging)) {}
    // The same in an arena of the batch's own.
    explicit Batch(std::int32_t count, std::vector<HeldBytes> inputs = {})
        : own_(std::make_unique<Arena>()),
          arena_(own_.get()),
          inputs_(std::move(inputs)),
          count_(count),
          items_(Items(count, *own_)) {}

    std::int32_t count() const { return count_; }

    Item* item(std::int32_t i) { return inRange(i) ? &items_[static_cast<std::size_t>(i)] : nullptr; }
    const Item* item(std::int32_t i) const {
        return inRange(i) ? &items_[static_cast<std::size_t>(i)] : nullptr;
    }

protected:
    // text itself when it lies in one of the inputs, else a copy in the staging arena.
    std::string_view keep(std::string_view text) {
        return inInput(text.data(), text.size()) ? text : arena_->store(text);
    }
    std::span<const std::uint8_t> keep(std::span<const std::uint8_t> bytes) {
        if (bytes.empty() || inInput(bytes.data(), bytes.size())) {
            return bytes;
        }
        auto* copy = static_cast<std::uint8_t*>(arena_->allocate(bytes.size(), 1));
        std::memcpy(copy, bytes.data(), bytes.size());
        return {copy, bytes.size()};
    }

private:
    static std::pmr::vector<Item> Items(std::int32_t count, Arena& arena) {
        return std::pmr::vector<Item>(count > 0 ? static_cast<std::size_t>(count) : 0, arena.resource());
    }
    bool inRange(std::int32_t i) const { return i >= 0 && i < count_; }
    bool inInput(const void* data, std::size_t size) const {
        for (const HeldBytes& input : inputs_) {
            if (input.contains(data, size)) {
                return true;
            }
        }
        return false;
    }

    // Declared before the items, so that they outlive whatever the items point into.
    std::unique_ptr<Arena> own_;
    Arena* arena_;
    std::vector<HeldBytes> inputs_;
    std::int32_t count_;
    std::pmr::vector<Item> items_;
};

}  // namespace tramelo
