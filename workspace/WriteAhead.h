#pragma once

// The datasets of a run written ahead of Finish, while the files that follow are merged (the
// batch command's pipeline, pipeline/Pipeline.h, which says on which thread what happens). A
// workspace given one tells it of each file merged; Finish has it complete what it wrote,
// commits what it takes from it with the other outputs, and exports itself what it could not
// take.

#include <memory>
#include <string>

#include "base/CalendarDate.h"

namespace tramelo {

class DatasetExport;
class MergeWorkspace;
struct DatasetSchema;

class WriteAhead {
public:
    // The workspace merged a file: the records its tables hold now may be written.
    virtual void merged(const MergeWorkspace& workspace) = 0;
    // Finish into folder begins: the datasets are completed for folder, with the run's
    // coordinate system and today's date.
    virtual void close(const MergeWorkspace& workspace, const std::string& folder, CalendarDate today) = 0;
    // Once they are: the export of schema's dataset, complete under its temporary names and
    // ready to be put in place, or none when it could not be written (its files are gone).
    virtual std::unique_ptr<DatasetExport> take(const DatasetSchema& schema) = 0;
    // Whatever was written and not taken goes, once nothing is being written any more.
    virtual void drop() noexcept = 0;

protected:
    ~WriteAhead() = default;
};

}  // namespace tramelo
