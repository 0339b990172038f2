#pragma once

// The merged stops of a run, in order of acceptance, with an index by stop code
// (RecordTable).
//
// The first stop seen with a code wins. A later stop with an indexed code is dropped: silently
// when it is identical, with an entry in the issue log when it differs.

#include <string_view>

#include "model/RecordTable.h"

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

class StopTable : public RecordTable<StopRecord> {
public:
    // Offers one stop. sourcePath is the input .shp path as the user picked it; it names the
    // file in the issue log when the stop conflicts with an indexed one, and the record
    // remembers it.
    void add(std::string_view code, std::string_view name, double x, double y, IssueLog& issues,
             std::string_view sourcePath);
};

}  // namespace tramelo
