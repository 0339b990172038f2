#pragma once

// The problems found while merging that do not stop an import: one entry per stop or route
// that repeated a known code with different characteristics. Stop issues and route issues
// are kept in two lists, each in order of detection; the report prints both.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/AppendList.h"
#include "base/Geometry.h"

namespace tramelo {

// What a conflicting repeat differed in: the record kept and the one dropped, side by side,
// for the table of conflicts. Texts are code page 1252 bytes as the records hold them.
struct Conflict {
    std::string code;
    std::string keptSource;  // the input .shp that holds the kept record, as the user picked it
    std::string keptText;    // the stop's name or the route's description
    std::string droppedText;
    // Stops: the two positions. Routes: the first point of each, (0, 0) for a route of no
    // points, so that every row of the table can be put on a map.
    Point kept;
    Point dropped;
    std::int32_t keptPoints = 0;  // routes only
    std::int32_t droppedPoints = 0;
    // Routes with as many points: the index of the first point at which they differ (-1 when
    // none does) and that point of each.
    std::int32_t firstDifferentPoint = -1;
    Point keptPoint{};
    Point droppedPoint{};
};

struct IssueEntry {
    IssueEntry(std::string_view sourcePath, std::string message, Conflict conflict)
        : sourcePath(sourcePath), message(std::move(message)), conflict(std::move(conflict)) {}

    std::string sourcePath;  // the input .shp path as the user picked it
    std::string message;     // complete and ready to print
    Conflict conflict;       // empty for an entry that came with its message alone
    IssueEntry* next = nullptr;
};

class IssueLog {
public:
    void addStopIssue(std::string_view sourcePath, std::string message, Conflict conflict = {}) {
        stopIssues.append(sourcePath, std::move(message), std::move(conflict));
    }
    void addRouteIssue(std::string_view sourcePath, std::string message, Conflict conflict = {}) {
        routeIssues.append(sourcePath, std::move(message), std::move(conflict));
    }

    AppendList<IssueEntry> stopIssues;
    AppendList<IssueEntry> routeIssues;
};

// The message of a repeated code whose record differs from the one kept: the code in double
// quotes, then the fixed words.
std::string DuplicateCodeMessage(std::string_view code);

}  // namespace tramelo
