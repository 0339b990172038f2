#pragma once

// The bytes of an input file held in memory whole, owned together by the file and by
// whatever refers into them: the bytes live as long as the last of their holders. A batch
// that keeps views into a file's bytes rather than copies holds the file's HeldBytes, so its
// views stay good however early the file itself is closed.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>

namespace tramelo {

class HeldBytes {
public:
    // None: a file read as it goes, whose views last only until its next read.
    HeldBytes() = default;
    // bytes, kept alive by owner.
    HeldBytes(std::shared_ptr<const void> owner, std::span<const std::uint8_t> bytes)
        : owner_(std::move(owner)), bytes_(bytes) {}

    explicit operator bool() const { return owner_ != nullptr; }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

    // Whether the size bytes at data all lie within these bytes.
    bool contains(const void* data, std::size_t size) const {
        const auto* begin = static_cast<const std::uint8_t*>(data);
        const std::less_equal<const std::uint8_t*> notAfter;
        return owner_ != nullptr && notAfter(bytes_.data(), begin) && size <= bytes_.size() &&
               notAfter(begin + size, bytes_.data() + bytes_.size());
    }

private:
    std::shared_ptr<const void> owner_;
    std::span<const std::uint8_t> bytes_;
};

}  // namespace tramelo
