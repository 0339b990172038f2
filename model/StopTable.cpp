#include "model/StopTable.h"

#include "model/IssueLog.h"

namespace tramelo {

void StopTable::add(std::string_view code, std::string_view name, double x, double y, IssueLog& issues,
                    std::string_view sourcePath) {
    const auto place = index_.prepare(code);
    if (const StopRecord* found = place.found) {
        if (!found->matches(code, name, x, y)) {
            issues.addStopIssue(sourcePath, DuplicateCodeMessage(code),
                                {.code = std::string(code),
                                 .keptSource = std::string(sources_.at(place.position)),
                                 .keptText = std::string(found->name),
                                 .droppedText = std::string(name),
                                 .kept = {found->x, found->y},
                                 .dropped = {x, y}});
        }
        return;
    }
    sources_.note(records_.size(), sourcePath);
    records_.append(arena_.store(code), arena_.store(name), x, y);
    index_.add(place);
}

}  // namespace tramelo
