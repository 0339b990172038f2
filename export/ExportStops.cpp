#include "export/DatasetWriter.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo {

OutputOutcome MergeWorkspace::ExportStops(const std::string& folder) {
    return ExportDataset(
        platform_, folder, kStopsSchema, companyCode, crs.toWrite(), [&](DatasetWriter& writer) {
            for (const StopRecord& stop : stopTable) {
                const Point point{stop.x, stop.y};
                writer.writeFeature(stop.code, stop.name, {stop.x, stop.y, stop.x, stop.y}, kPointContentSize,
                                    [&](std::uint8_t* content) { EncodePointContent(point, content); });
            }
        });
}

}  // namespace tramelo
