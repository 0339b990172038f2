#pragma once

// The bytes of many short texts, kept together in large blocks: a table or a batch holds its
// records' texts here instead of in one allocation per text. A stored text never moves and
// lives as long as the store; nothing is freed before the store is destroyed.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace tramelo {

class TextStore {
public:
    // A copy of text inside the store.
    std::string_view store(std::string_view text) {
        if (text.empty()) {
            return {};
        }
        if (text.size() > capacity_ - used_) {
            const std::size_t size = std::max(kBlockSize, text.size());
            blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
            used_ = 0;
            capacity_ = size;
        }
        char* copy = blocks_.back().get() + used_;
        std::memcpy(copy, text.data(), text.size());
        used_ += text.size();
        return std::string_view(copy, text.size());
    }

private:
    static constexpr std::size_t kBlockSize = 256 * 1024;

    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace tramelo
