#pragma once

// The memory that a table or a batch holds its records, texts and points in: large blocks,
// handed out in order and never given back before the arena goes. A table's data only
// grows during a run, so nothing is freed one by one, and a million small texts cost a few
// large allocations instead of a million small ones.
//
// Containers take the arena as their memory resource (resource()); texts are copied in
// with store(). What lives in the arena must not outlive it: an owner declares its arena
// before the containers that use it.

#include <cstddef>
#include <cstring>
#include <memory_resource>
#include <string_view>

#include "platform/LargeBlocks.h"

namespace tramelo {

class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    std::pmr::memory_resource* resource() { return &memory_; }

    // A copy of text inside the arena; it never moves and lives as long as the arena.
    std::string_view store(std::string_view text) {
        if (text.empty()) {
            return {};
        }
        // Texts need no alignment, so they pack back to back; the bytes are written here,
        // never zeroed first.
        auto* copy = static_cast<char*>(memory_.allocate(text.size(), 1));
        std::memcpy(copy, text.data(), text.size());
        return std::string_view(copy, text.size());
    }

private:
    // The first block is small, so that a file of a few stops costs little; the blocks
    // then grow geometrically and reach the sizes that huge pages serve.
    static constexpr std::size_t kFirstBlock = 16 * 1024;

    std::pmr::monotonic_buffer_resource memory_{kFirstBlock, LargeBlockMemory()};
};

}  // namespace tramelo
