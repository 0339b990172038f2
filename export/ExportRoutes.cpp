#include "export/DatasetExport.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo {

namespace {

// The scratch buffer starts at 65,536 bytes: routes of up to 4,092 points fit. A longer
// route replaces it by one of 16 x (n + 131) bytes: its own 56 + 16 x n bytes and 2,040
// more, room for 127 points, so that a run of routes each a little longer than the last
// does not replace the buffer every time.
constexpr std::size_t kSpareScratchPoints = 131;

}  // namespace

void WriteRoute(DatasetWriter& writer, const RouteRecord& route) {
    const PolylineGeometry& geometry = *route.geometry;
    const std::size_t points = geometry.points().size();
    const std::size_t contentSize = kSinglePartPointsOffset + kPointSize * points;
    writer.reserveScratch(RecordHeader::kSize + contentSize, kPointSize * (points + kSpareScratchPoints));
    writer.writeFeature(
        route.code, route.description, geometry.box(), contentSize,
        [&](std::uint8_t* content) { EncodePolylineContent(geometry.box(), geometry.points(), content); });
}

OutputOutcome MergeWorkspace::ExportRoutes(const std::string& folder) {
    return RunExport(*this, folder, kRoutesSchema);
}

}  // namespace tramelo
