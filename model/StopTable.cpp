#include "model/StopTable.h"

#include <string>

#include "model/IssueLog.h"

namespace tramelo {

void StopTable::add(std::string_view code, std::string_view name, double x, double y, IssueLog& issues,
                    std::string_view sourcePath) {
    const auto place = index_.prepare(code);
    if (const StopRecord* found = place.found) {
        if (!found->matches(code, name, x, y)) {
            issues.addStopIssue(sourcePath, DuplicateCodeMessage(code),
                                {.code = std::string(code),
                                 .keptSource = std::string(sourceOf(place)),
                                 .keptText = std::string(found->name),
                                 .droppedText = std::string(name),
                                 .kept = {found->x, found->y},
                                 .dropped = {x, y}});
        }
        return;
    }
    append(place, sourcePath, arena_.store(code), arena_.store(name), x, y);
}

}  // namespace tramelo
