#include "export/DatasetExport.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo {

void WriteStop(DatasetWriter& writer, const StopRecord& stop) {
    const Point point{stop.x, stop.y};
    writer.writeFeature(stop.code, stop.name, {stop.x, stop.y, stop.x, stop.y}, kPointContentSize,
                        [&](std::uint8_t* content) { EncodePointContent(point, content); });
}

OutputOutcome MergeWorkspace::ExportStops(const std::string& folder) {
    return RunExport(*this, folder, kStopsSchema);
}

}  // namespace tramelo
