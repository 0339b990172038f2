#pragma once

// What a table, a log or a list holds, as vectors of strings that assertions compare whole.

#include <string>
#include <vector>

#include "base/AppendList.h"
#include "model/IssueLog.h"

namespace tramelo::testing {

// The codes of a table's records, in list order (the order of acceptance).
template <class Table>
std::vector<std::string> Codes(const Table& table) {
    std::vector<std::string> codes;
    for (const auto& record : table) {
        codes.emplace_back(record.code);
    }
    return codes;
}

// Each entry of one list of an issue log as "path|message", in detection order.
inline std::vector<std::string> Entries(const AppendList<IssueEntry>& issues) {
    std::vector<std::string> entries;
    for (const IssueEntry& issue : issues) {
        entries.push_back(issue.sourcePath + "|" + issue.message);
    }
    return entries;
}

// The message of a conflicting repeat, as the report prints it.
inline std::string Conflict(const std::string& code) {
    return "\"" + code + "\" gi\xE0 presente con caratteristiche differenti !!!";
}

}  // namespace tramelo::testing
