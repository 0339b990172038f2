#include "export/DatasetWriter.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

FeatureWriter StopFeatures(const StopTable& table) {
    return TableFeatures(table, [](DatasetWriter& writer, const StopRecord& stop) {
        const Point point{stop.x, stop.y};
        writer.writeFeature(stop.code, stop.name, {stop.x, stop.y, stop.x, stop.y}, kPointContentSize,
                            [&](std::uint8_t* content) { EncodePointContent(point, content); });
    });
}

}  // namespace

PreparedExport MergeWorkspace::StopsExport(const std::string& folder) {
    return PreparedExport(
        new DatasetExport(platform_.files(), folder, kStopsSchema, companyCode, StopFeatures(stopTable)));
}

OutputOutcome MergeWorkspace::ExportStops(const std::string& folder) {
    return ExportDataset(platform_, folder, kStopsSchema, companyCode, crs.toWrite(),
                         StopFeatures(stopTable));
}

}  // namespace tramelo
