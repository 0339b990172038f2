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
        // The samples, small enough to stay in the processor's cache, narrow the search to
        // the few blocks whose entries can hold the prefix; only those are searched.
        const std::uint64_t prefix = PrefixOf(code);
        const auto below = std::lower_bound(samples_.begin(), samples_.end(), prefix);
        const auto above = below != samples_.end() && *below == prefix
                               ? std::upper_bound(below, samples_.end(), prefix)
                               : below;
        const std::size_t first =
            below == samples_.begin() ? 0 : (below - samples_.begin() - 1) * kSampleStep;
        const std::size_t last =
            std::min(index_.size(), static_cast<std::size_t>(above - samples_.begin()) * kSampleStep);
        const auto found = std::lower_bound(
            index_.begin() + static_cast<std::ptrdiff_t>(first),
            index_.begin() + static_cast<std::ptrdiff_t>(last), prefix,
            [code](const Entry& entry, std::uint64_t key) {
                return entry.prefix != key ? entry.prefix < key : std::string_view(entry.record->code) < code;
            });
        const auto end = index_.begin() + static_cast<std::ptrdiff_t>(last);
        return found != end && found->prefix == prefix && found->record->code == code ? found->record
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
        samples_.clear();
        for (std::size_t i = 0; i < index_.size(); i += kSampleStep) {
            samples_.push_back(index_[i].prefix);
        }
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

    // Every kSampleStep-th prefix of the index: block b of the index holds entries from
    // samples_[b] up to samples_[b + 1].
    static constexpr std::size_t kSampleStep = 32;

    std::pmr::vector<Entry> index_{LargeBlockMemory()};
    std::vector<std::uint64_t> samples_;
    std::pmr::vector<Entry> added_{LargeBlockMemory()};  // the records appended since the last rebuild
    const Record* lastIndexed_ = nullptr;                // the list's tail at the last rebuild
};

}  // namespace tramelo
