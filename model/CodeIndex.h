#pragma once

// The index of a table by code: a hash table of references to the table's records, brought
// up to date only on request.
//
// Codes are equal only when they are the same bytes; case matters and nothing is trimmed.
//
// Between two rebuilds the index lags behind the table: records appended since the last
// rebuild are invisible to find(). The tables rely on that so that codes repeated inside
// one input file are all kept. When several indexed records share a code, find() gives the
// first of them in the table's order (the one accepted first).
//
// A slot holds the code's 32-bit hash and the record's position in the table's list:
// eight bytes, so that a probe mostly reads one cache line and compares hashes,
// and touches a record only when the hashes agree. A record enters its slot as it is
// appended (one probe serves the lookup and the insert); a rebuild only moves the line
// between the records find() sees and those it passes over.
//
// REQUIRES: Record has a `code` that converts to std::string_view; the records outlive the
// index.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory_resource>
#include <string_view>
#include <vector>

#include "base/AppendList.h"
#include "base/Prefetch.h"
#include "platform/LargeBlocks.h"

namespace tramelo {

template <class Record>
class CodeIndex {
public:
    // REQUIRES: records are the table's, to which the index adds only what add() is given.
    explicit CodeIndex(const AppendList<Record>& records) : records_(records) {}

    // Where a code was looked up: the first indexed record with it and its position in the
    // list, or none and the slot that a new record with that code takes.
    struct Lookup {
        const Record* found;
        std::uint32_t position;
        std::size_t slot;
        std::uint32_t hash;
    };

    // The first record with that code among those indexed at the last rebuild, or none.
    const Record* find(std::string_view code) const { return lookup(code).found; }

    // Looks code up, and makes room for one more record first, so that the slot returned
    // stays good for add().
    Lookup prepare(std::string_view code) {
        if (16 * (records_.size() + 1) > 13 * slots_.size()) {
            grow();
        }
        return lookup(code);
    }

    // Enters the record just appended to the table, at the slot that prepare() gave for its
    // code. It stays invisible to find() until the next rebuild.
    void add(const Lookup& place) {
        slots_[place.slot] = {place.hash, static_cast<std::uint32_t>(records_.size() - 1)};
    }

    // Makes the records added since the last rebuild visible.
    void rebuild() { indexedCount = static_cast<std::int32_t>(records_.size()); }

    // Asks the processor for the memory a lookup of code will read first, so that a run of
    // lookups does not wait for each of them in turn.
    void prefetch(std::string_view code) const {
        if (!slots_.empty()) {
            PrefetchForReading(&slots_[Hash(code) & mask_]);
        }
    }

    std::int32_t indexedCount = 0;

private:
    struct Slot {
        std::uint32_t hash;
        std::uint32_t position;  // in records_; kEmpty for a free slot
    };
    static constexpr std::uint32_t kEmpty = std::numeric_limits<std::uint32_t>::max();
    static constexpr std::size_t kFirstSlots = 64;
    // Slots are at most 13/16 full. A free slot then comes within a few cache lines of any
    // start, and a table of 800,000 codes (the benchmark's) needs 2^20 slots, where at three
    // quarters it would take twice as many, 8 MB more.

    // Eight bytes at a time, each mixed in by a multiplication; the length comes in too, so
    // that codes that differ only in trailing NUL bytes hash apart.
    static std::uint32_t Hash(std::string_view code) {
        constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
        std::uint64_t hash = code.size() * kMultiplier;
        std::size_t at = 0;
        for (; at + 8 <= code.size(); at += 8) {
            std::uint64_t word;
            std::memcpy(&word, code.data() + at, 8);
            hash = (hash ^ word) * kMultiplier;
            hash ^= hash >> 29;
        }
        std::uint64_t tail = 0;
        if (at < code.size()) {  // an empty code may have no bytes at all to copy from
            std::memcpy(&tail, code.data() + at, code.size() - at);
        }
        hash = (hash ^ tail) * kMultiplier;
        hash ^= hash >> 32;
        return static_cast<std::uint32_t>(hash);
    }

    // Every slot of the code's hash is probed in turn; the records added since the last
    // rebuild are passed over, which is what keeps the codes of one file from meeting each
    // other. Records of one code sit in the probe order of their adding, so the first found
    // is the first accepted.
    Lookup lookup(std::string_view code) const {
        const std::uint32_t hash = Hash(code);
        if (slots_.empty()) {
            return {nullptr, 0, 0, hash};
        }
        const auto indexed = static_cast<std::uint32_t>(indexedCount);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            const Slot& slot = slots_[at];
            if (slot.position == kEmpty) {
                return {nullptr, 0, at, hash};
            }
            if (slot.hash == hash && slot.position < indexed) {
                const Record& record = records_.at(slot.position);
                if (record.code == code) {
                    return {&record, slot.position, at, hash};
                }
            }
        }
    }

    // Twice the slots. The old slots are walked in their order, which places each entry at
    // its old position or one old table size further: two streams of writes the caches can
    // follow, where entering the records anew would miss the cache once for each. The walk
    // starts at a free slot, so that no run of slots is cut in two and the records of one
    // code keep the order of their adding.
    void grow() {
        std::pmr::vector<Slot> old(std::max(kFirstSlots, 2 * slots_.size()), Slot{0, kEmpty},
                                   LargeBlockMemory());
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        std::size_t start = 0;
        while (start < old.size() && old[start].position != kEmpty) {
            ++start;
        }
        for (std::size_t k = 0; k < old.size(); ++k) {
            const Slot& slot = old[(start + k) % old.size()];
            if (slot.position != kEmpty) {
                std::size_t at = slot.hash & mask_;
                while (slots_[at].position != kEmpty) {
                    at = (at + 1) & mask_;
                }
                slots_[at] = slot;
            }
        }
    }

    const AppendList<Record>& records_;
    std::pmr::vector<Slot> slots_{LargeBlockMemory()};
    std::size_t mask_ = 0;
};

}  // namespace tramelo
