#include "model/StopTable.h"

#include "model/IssueLog.h"

namespace tramelo {

void StopTable::add(std::string_view code, std::string_view name, double x, double y, IssueLog& issues,
                    std::string_view sourcePath) {
    if (const StopRecord* found = find(code)) {
        if (!found->matches(code, name, x, y)) {
            issues.addStopIssue(sourcePath, DuplicateCodeMessage(code));
        }
        return;
    }
    records_.append(arena_.store(code), arena_.store(name), x, y);
}

}  // namespace tramelo
