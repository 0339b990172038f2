#pragma once

// The problems found while merging that do not stop an import: one entry per stop or route
// that repeated a known code with different characteristics. Stop issues and route issues
// are kept in two lists, each in order of detection; the report prints both.

#include <string>
#include <string_view>

#include "base/AppendList.h"

namespace tramelo {

struct IssueEntry {
    IssueEntry(std::string_view sourcePath, std::string message)
        : sourcePath(sourcePath), message(std::move(message)) {}

    std::string sourcePath;  // the input .shp path as the user picked it
    std::string message;     // complete and ready to print
    IssueEntry* next = nullptr;
};

class IssueLog {
public:
    void addStopIssue(std::string_view sourcePath, std::string message) {
        stopIssues.append(sourcePath, std::move(message));
    }
    void addRouteIssue(std::string_view sourcePath, std::string message) {
        routeIssues.append(sourcePath, std::move(message));
    }

    AppendList<IssueEntry> stopIssues;
    AppendList<IssueEntry> routeIssues;
};

// The message of a repeated code whose record differs from the one kept: the code in double
// quotes, then the fixed words.
std::string DuplicateCodeMessage(std::string_view code);

}  // namespace tramelo
