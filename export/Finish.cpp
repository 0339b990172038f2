#include <cassert>

#include "export/DatasetExport.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

// Nothing written ahead outlives Finish, however it ends.
class DropAtEnd {
public:
    explicit DropAtEnd(WriteAhead* ahead) : ahead_(ahead) {}
    ~DropAtEnd() {
        if (ahead_ != nullptr) {
            ahead_->drop();
        }
    }
    DropAtEnd(const DropAtEnd&) = delete;
    DropAtEnd& operator=(const DropAtEnd&) = delete;

private:
    WriteAhead* ahead_;
};

}  // namespace

bool MergeWorkspace::Finish(const std::string& outputFolder) {
    assert(HasMergedData());
    const CalendarDate today = platform_.today();
    // What was written ahead is completed while the report is written here.
    if (writeAhead_ != nullptr) {
        writeAhead_->close(*this, outputFolder, today);
    }
    const DropAtEnd dropAhead(writeAhead_);
    bool allWritten = true;
    // False when the output failed while writing, which ends Finish.
    const auto note = [&](OutputOutcome outcome) {
        allWritten = allWritten && outcome == OutputOutcome::Written;
        return outcome != OutputOutcome::WriteFailed;
    };
    return note(WriteReport(outputFolder)) &&
           note(FinishDataset(kStopsSchema, &MergeWorkspace::ExportStops, outputFolder)) &&
           note(FinishDataset(kRoutesSchema, &MergeWorkspace::ExportRoutes, outputFolder)) && allWritten;
}

OutputOutcome MergeWorkspace::FinishDataset(const DatasetSchema& schema,
                                            OutputOutcome (MergeWorkspace::*exportNow)(const std::string&),
                                            const std::string& outputFolder) {
    if (writeAhead_ != nullptr) {
        if (const std::unique_ptr<DatasetExport> ahead = writeAhead_->take(schema)) {
            return ahead->complete(platform_);
        }
    }
    return (this->*exportNow)(outputFolder);
}

}  // namespace tramelo
