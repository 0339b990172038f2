#include "export/DatasetExport.h"

#include <limits>
#include <utility>

#include "export/OutputCommit.h"
#include "shapefile/FileSystem.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Message.h"
#include "workspace/Platform.h"

namespace tramelo {

DatasetExport::DatasetExport(FileSystem& files, std::string folder, const DatasetSchema& schema,
                             std::int32_t companyCode, Records records)
    : files_(files),
      folder_(std::move(folder)),
      schema_(schema),
      companyCode_(companyCode),
      records_(std::move(records)) {}

void DatasetExport::open() {
    keep(TryOutputSteps([&] { writer_.emplace(files_, folder_, schema_, companyCode_); },
                        [&] { writer_->start(); }));
}

void DatasetExport::append(std::size_t upTo) {
    if (!failed()) {
        keep(TryOutputSteps([] {}, [&] { records_(*writer_, upTo); }));
    }
}

void DatasetExport::close(std::optional<std::string_view> prj, CalendarDate today) {
    append(std::numeric_limits<std::size_t>::max());
    if (!failed()) {
        keep(TryOutputSteps([&] { writer_->setPrj(prj); }, [&] { written_ = writer_->complete(today); }));
    }
}

void DatasetExport::keep(const OutputResult& result) {
    result_ = result;
    if (failed()) {
        writer_.reset();  // its files go at once: on a full disk, their room is free again
    }
}

OutputOutcome DatasetExport::tell(Platform& platform) const {
    ShowOutputFailure(platform, result_);
    if (!failed()) {
        platform.showMessage(Message(MessageKind::Information)
                                 .text(schema_.messages.exportedBefore)
                                 .number(written_)
                                 .text(schema_.messages.exportedAfter));
    }
    return result_.outcome;
}

std::unique_ptr<DatasetExport> TableExport(const MergeWorkspace& workspace, FileSystem& files,
                                           std::string folder, const DatasetSchema& schema) {
    DatasetExport::Records records = &schema == &kStopsSchema
                                         ? TableRecords(workspace.stopTable, WriteStop)
                                         : TableRecords(workspace.routeTable, WriteRoute);
    return std::make_unique<DatasetExport>(files, std::move(folder), schema, workspace.companyCode,
                                           std::move(records));
}

OutputOutcome RunExport(MergeWorkspace& workspace, const std::string& folder, const DatasetSchema& schema) {
    Platform& platform = workspace.platform();
    const std::unique_ptr<DatasetExport> run = TableExport(workspace, platform.files(), folder, schema);
    run->open();
    run->close(workspace.crsOf(schema).toWrite(), platform.today());
    if (OutputSet* set = run->prepared()) {
        run->fail(CommitAlone(platform.files(), folder, *set));
    }
    return run->tell(platform);
}

}  // namespace tramelo
