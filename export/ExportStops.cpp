#include "export/DatasetExport.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

void WriteStop(DatasetWriter& writer, const StopRecord& stop) {
    const Point point{stop.x, stop.y};
    writer.writeFeature(stop.code, stop.name, {stop.x, stop.y, stop.x, stop.y}, kPointContentSize,
                        [&](std::uint8_t* content) { EncodePointContent(point, content); });
}

}  // namespace

std::unique_ptr<DatasetExport> StopsExport(const MergeWorkspace& workspace, FileSystem& files,
                                           std::string folder) {
    return std::make_unique<DatasetExport>(files, std::move(folder), kStopsSchema, workspace.companyCode,
                                           TableRecords(workspace.stopTable, WriteStop));
}

OutputOutcome MergeWorkspace::ExportStops(const std::string& folder) {
    return RunExport(*StopsExport(*this, platform_.files(), folder), platform_, crs.toWrite(), platform_.today());
}

}  // namespace tramelo
