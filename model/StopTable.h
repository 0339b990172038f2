#pragma once

// The merged stops of a run, in order of acceptance, with an index by stop code.
//
// The first stop seen with a code wins. A later stop with an indexed code is dropped: silently
// when it is identical, with an entry in the issue log when it differs. The index is rebuilt
// only by rebuildIndex(), once per input file, so stops of the file being added do not see
// each other and a code repeated inside one file enters the table every time.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/AppendList.h"
#include "base/Arena.h"
#include "model/CodeIndex.h"
#include "model/SourceList.h"

namespace tramelo {

class IssueLog;

// One stop. Its texts are its table's own copies (kept in the table's arena).
struct StopRecord {
    StopRecord(std::string_view code, std::string_view name, double x, double y)
        : code(code), name(name), x(x), y(y) {}

    // Same code and name byte for byte, same coordinates by IEEE equality (no tolerance:
    // a NaN never equals, +0.0 equals -0.0).
    bool equals(const StopRecord& other) const { return matches(other.code, other.name, other.x, other.y); }
    bool matches(std::string_view otherCode, std::string_view otherName, double otherX, double otherY) const {
        return code == otherCode && name == otherName && x == otherX && y == otherY;
    }

    std::string_view code;
    std::string_view name;
    double x;
    double y;
    StopRecord* next = nullptr;
};

class StopTable {
public:
    // Offers one stop. sourcePath is the input .shp path as the user picked it; it names the
    // file in the issue log when the stop conflicts with an indexed one, and the record
    // remembers it.
    void add(std::string_view code, std::string_view name, double x, double y, IssueLog& issues,
             std::string_view sourcePath);

    const StopRecord* find(std::string_view code) const { return index_.find(code); }
    void rebuildIndex() { index_.rebuild(); }
    // A hint that code is offered next but a few: the lookup's memory is asked for early.
    void prefetch(std::string_view code) const { index_.prefetch(code); }
    bool isEmpty() const { return records_.isEmpty(); }
    std::size_t size() const { return records_.size(); }

    const StopRecord* head() const { return records_.head(); }
    const StopRecord* tail() const { return records_.tail(); }
    std::int32_t indexedCount() const { return index_.indexedCount; }

    // Iteration in order of acceptance.
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }

private:
    // The records and their texts; declared first, so that it outlives the list.
    Arena arena_;
    AppendList<StopRecord> records_{arena_.resource()};
    CodeIndex<StopRecord> index_{records_};
    SourceList sources_;
};

}  // namespace tramelo
