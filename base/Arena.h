#pragma once

// The memory that a table holds its records, texts and points in, and that the imports stage
// one file's features in: large blocks, handed out in order and never given back one by one.
// A table's data only grows during a run, so nothing is freed before the table goes, and a
// million small texts cost a few large allocations instead of a million small ones.
//
// reset() hands the same blocks out again from the start: the staging arena of the imports
// is reset before every file, so the files after the first are staged in memory that is
// already there, at no cost of new pages for the system to find and zero. Memory not handed
// out (since the last reset) is poisoned under AddressSanitizer, so that a view that outlived
// a reset fails the sanitized tests instead of reading the next file's bytes.
//
// Containers take the arena as their memory resource; texts are copied in with store().
// What lives in the arena must not outlive it, nor a reset: an owner declares its arena
// before the containers that use it.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory_resource>
#include <string_view>
#include <vector>

#include "base/Sanitizers.h"
#include "platform/LargeBlocks.h"

namespace tramelo {

class Arena final : public std::pmr::memory_resource {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena() override {
        for (const Block& block : blocks_) {
            Free(block);
        }
    }

    std::pmr::memory_resource* resource() { return this; }

    // A copy of text inside the arena; it never moves and lives as long as the arena.
    std::string_view store(std::string_view text) {
        if (text.empty()) {
            return {};
        }
        // Texts need no alignment, so they pack back to back; the bytes are written here,
        // never zeroed first.
        auto* copy = static_cast<char*>(allocate(text.size(), 1));
        std::memcpy(copy, text.data(), text.size());
        return std::string_view(copy, text.size());
    }

    // Everything handed out so far is given up; the first blocks, up to keep bytes, are
    // handed out again, the others given back.
    void reset(std::size_t keep) {
        std::size_t kept = 0;
        std::size_t count = 0;
        while (count < blocks_.size() && kept + blocks_[count].size <= keep) {
            kept += blocks_[count++].size;
        }
        for (std::size_t i = count; i < blocks_.size(); ++i) {
            Free(blocks_[i]);
        }
        blocks_.resize(count);
        for (const Block& block : blocks_) {
            PoisonMemory(block.bytes, block.size);
        }
        current_ = 0;
        used_ = 0;
    }

private:
    struct Block {
        char* bytes;
        std::size_t size;
    };

    // The first block is small, so that a file of a few stops costs little; the blocks then
    // double up to a size that huge pages serve well, and stay there, so that the unused
    // end of the last one is never much.
    static constexpr std::size_t kFirstBlock = 16 * 1024;
    static constexpr std::size_t kLargestBlock = 16 * 1024 * 1024;

    void* do_allocate(std::size_t bytes, std::size_t alignment) override {
        while (current_ < blocks_.size()) {
            const Block& block = blocks_[current_];
            const std::size_t start = (used_ + alignment - 1) / alignment * alignment;
            if (start <= block.size && bytes <= block.size - start) {
                used_ = start + bytes;
                UnpoisonMemory(block.bytes + start, bytes);
                return block.bytes + start;
            }
            ++current_;  // a reset arena moves on to its next block
            used_ = 0;
        }
        const std::size_t last = blocks_.empty() ? kFirstBlock / 2 : blocks_.back().size;
        const std::size_t size = std::max(std::min(2 * last, kLargestBlock), bytes);
        // Blocks come aligned for any type, so the first allocation of a block is too.
        blocks_.reserve(blocks_.size() + 1);  // first, so that no block is lost when it cannot grow
        blocks_.push_back({static_cast<char*>(LargeBlockMemory()->allocate(size)), size});
        current_ = blocks_.size() - 1;
        used_ = bytes;
        PoisonMemory(blocks_.back().bytes + bytes, size - bytes);
        return blocks_.back().bytes;
    }
    static void Free(const Block& block) {
        UnpoisonMemory(block.bytes, block.size);
        LargeBlockMemory()->deallocate(block.bytes, block.size);
    }
    void do_deallocate(void*, std::size_t, std::size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }

    std::vector<Block> blocks_;
    std::size_t current_ = 0;  // the block that allocations come from
    std::size_t used_ = 0;     // bytes of it handed out
};

}  // namespace tramelo
