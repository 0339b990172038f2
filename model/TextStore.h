#pragma once

// The bytes of many short texts, kept together in large blocks: a table or a batch holds its
// records' texts here instead of in one allocation per text. A stored text never moves and
// lives as long as the store; nothing is freed before the store is destroyed.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory_resource>
#include <string_view>
#include <utility>
#include <vector>

namespace tramelo {

class TextStore {
public:
    // Blocks come from memory: the usual heap by default, large blocks for stores that may
    // grow to megabytes.
    explicit TextStore(std::pmr::memory_resource* memory = std::pmr::get_default_resource())
        : memory_(memory) {}

    // A copy of text inside the store.
    std::string_view store(std::string_view text) {
        if (text.empty()) {
            return {};
        }
        if (text.size() > capacity_ - used_) {
            // Blocks double up to a few megabytes, so small files stay small and large
            // ones get blocks fit for huge pages.
            const std::size_t size =
                std::max(std::min(2 * capacity_, kLargestBlock), std::max(kFirstBlock, text.size()));
            blocks_.emplace_back(*memory_, size);
            used_ = 0;
            capacity_ = size;
        }
        char* copy = blocks_.back().data() + used_;
        std::memcpy(copy, text.data(), text.size());
        used_ += text.size();
        return std::string_view(copy, text.size());
    }

private:
    static constexpr std::size_t kFirstBlock = 16 * 1024;
    static constexpr std::size_t kLargestBlock = 4 * 1024 * 1024;

    // A block of bytes left uninitialised: every byte is written before it is read.
    struct Block {
        Block(std::pmr::memory_resource& memory, std::size_t size)
            : memory(&memory), bytes(static_cast<char*>(memory.allocate(size, 1))), size(size) {}
        Block(Block&& other) noexcept
            : memory(other.memory), bytes(std::exchange(other.bytes, nullptr)), size(other.size) {}
        Block& operator=(Block&&) = delete;
        ~Block() {
            if (bytes != nullptr) {
                memory->deallocate(bytes, size, 1);
            }
        }
        char* data() const { return bytes; }

        std::pmr::memory_resource* memory;
        char* bytes;
        std::size_t size;
    };

    std::pmr::memory_resource* memory_;
    std::vector<Block> blocks_;
    std::size_t used_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace tramelo
