#pragma once

// The sorted index of a table: references to the table's records ordered by code, rebuilt
// only on request.
//
// Codes compare byte by byte as unsigned 8-bit values up to the end of the shorter, and a
// code that is a prefix of another orders first; case matters and nothing is trimmed. That
// is exactly std::string_view's ordering (char_traits<char> compares as unsigned char).
//
// Between two rebuilds the index lags behind the table: records appended since the last
// rebuild are invisible to find(). The tables rely on that so that codes repeated inside
// one input file are all kept.
//
// Each reference carries the first eight bytes of its code as a big-endian number, which
// orders the same way as the bytes do; most comparisons end there without touching the
// record. A rebuild sorts only the records appended since the last one and merges them
// with the references already in order.
//
// REQUIRES: Record has a `code` that converts to std::string_view; the records outlive the
// index.

#include <algorithm>
#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <vector>

#include "base/AppendList.h"
#include "platform/LargeBlocks.h"

namespace tramelo {

template <class Record>
class CodeIndex {
public:
    // The record with that code among those indexed at the last rebuild, or none. When
    // several indexed records share the code, any one of them.
    const Record* find(std::string_view code) const {
        if (indexedCount == 0) {
            return nullptr;
        }
        const std::uint64_t prefix = PrefixOf(code);
        const auto found = std::lower_bound(
            index_.begin(), index_.end(), prefix, [code](const Entry& entry, std::uint64_t key) {
                return entry.prefix != key ? entry.prefix < key : std::string_view(entry.record->code) < code;
            });
        return found != index_.end() && found->prefix == prefix && found->record->code == code ? found->record
                                                                                               : nullptr;
    }

    // Makes the index cover every record now in the list: the records appended since the
    // last rebuild are counted, sorted and merged in. The sort is not stable: equal codes may
    // come in any order.
    void rebuild(const AppendList<Record>& records) {
        const Record* first = lastIndexed_ == nullptr ? records.head() : lastIndexed_->next;
        added_.clear();
        for (const Record* record = first; record != nullptr; record = record->next) {
            added_.push_back({PrefixOf(record->code), record});
            lastIndexed_ = record;
        }
        if (added_.empty()) {
            return;
        }
        std::sort(added_.begin(), added_.end(), EntryLess());

        // Merged from the back into the grown array, so the references already in order are
        // not copied to a new array each time. The capacity grows geometrically: a fresh
        // array per input file would cost the system a page fault for every page of it.
        std::size_t from = index_.size();
        std::size_t pending = added_.size();
        std::size_t to = from + pending;
        if (index_.capacity() < to) {
            index_.reserve(std::max(to, 2 * index_.capacity()));
        }
        index_.resize(to);
        while (pending > 0) {
            if (from > 0 && EntryLess()(added_[pending - 1], index_[from - 1])) {
                index_[--to] = index_[--from];
            } else {
                index_[--to] = added_[--pending];
            }
        }
        indexedCount = static_cast<std::int32_t>(index_.size());
    }

    std::int32_t indexedCount = 0;

private:
    struct Entry {
        std::uint64_t prefix;  // the code's first eight bytes, big-endian, zero-padded
        const Record* record;
    };

    static std::uint64_t PrefixOf(std::string_view code) {
        std::uint64_t prefix = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            prefix = (prefix << 8) | (i < code.size() ? static_cast<std::uint8_t>(code[i]) : 0u);
        }
        return prefix;
    }

    // A type rather than a function, so that the sort inlines it.
    struct EntryLess {
        bool operator()(const Entry& left, const Entry& right) const {
            if (left.prefix != right.prefix) {
                return left.prefix < right.prefix;
            }
            return std::string_view(left.record->code) < std::string_view(right.record->code);
        }
    };

    std::pmr::vector<Entry> index_{LargeBlockMemory()};
    std::pmr::vector<Entry> added_{LargeBlockMemory()};  // the records appended since the last rebuild
    const Record* lastIndexed_ = nullptr;                // the list's tail at the last rebuild
};

}  // namespace tramelo
