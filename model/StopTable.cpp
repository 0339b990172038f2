#include "model/StopTable.h"

#include "model/IssueLog.h"

namespace tramelo {

void StopTable::add(std::string_view code, std::string_view name, double x, double y, IssueLog& issues,
                    std::string_view sourcePath) {
    if (const StopRecord* found = find(code)) {
        if (!found->matches(code, name, x, y)) {
            issues.addStopIssue(sourcePath, DuplicateCodeMessage(code),
                                {.code = std::string(code),
                                 .keptSource = std::string(sourceOf(*found)),
                                 .keptText = std::string(found->name),
                                 .droppedText = std::string(name),
                                 .kept = {found->x, found->y},
                                 .dropped = {x, y}});
        }
        return;
    }
    if (sources_.empty() || sources_.back() != sourcePath) {
        sources_.emplace_back(sourcePath);
    }
    records_.append(arena_.store(code), arena_.store(name), x, y).source =
        static_cast<std::uint32_t>(sources_.size() - 1);
}

}  // namespace tramelo
