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
// REQUIRES: Record has `std::string code`; the records outlive the index.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/AppendList.h"

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
        const auto found = std::lower_bound(
            index.begin(), index.end(), code,
            [](const Record* record, std::string_view key) { return record->code < key; });
        return found != index.end() && (*found)->code == code ? *found : nullptr;
    }

    // Makes the index cover every record now in the list: one count, one array of exactly
    // that many references, one sort (not stable: equal codes may come in any order).
    void rebuild(const AppendList<Record>& records) {
        index = {};
        indexedCount = 0;
        for ([[maybe_unused]] const Record& record : records) {
            ++indexedCount;
        }
        if (indexedCount == 0) {
            return;
        }
        index.reserve(static_cast<std::size_t>(indexedCount));
        for (const Record& record : records) {
            index.push_back(&record);
        }
        std::sort(index.begin(), index.end(), [](const Record* left, const Record* right) {
            return std::string_view(left->code) < std::string_view(right->code);
        });
    }

    std::int32_t indexedCount = 0;
    std::vector<const Record*> index;
};

}  // namespace tramelo
