#include "model/StopTable.h"

#include "model/IssueLog.h"

namespace tramelo {

std::string DuplicateCodeMessage(std::string_view code) {
    // " già presente con caratteristiche differenti !!!", in code page 1252 like every text
    // that reaches the report.
    constexpr std::string_view kDifferent = " gi\xE0 presente con caratteristiche differenti !!!";
    std::string message;
    message.reserve(code.size() + 2 + kDifferent.size());
    message += '"';
    message += code;
    message += '"';
    message += kDifferent;
    return message;
}

void StopTable::add(std::string_view code, std::string_view name, double x, double y, IssueLog& issues,
                    std::string_view sourcePath) {
    if (const StopRecord* found = find(code)) {
        if (!found->matches(code, name, x, y)) {
            issues.addStopIssue(sourcePath, DuplicateCodeMessage(code));
        }
        return;
    }
    records_.append(texts_.store(code), texts_.store(name), x, y);
}

}  // namespace tramelo
