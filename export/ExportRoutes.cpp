#include "export/DatasetWriter.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Texts.h"

namespace tramelo {

namespace {

constexpr DatasetLayout kRoutesLayout{
    "RT_ITIN",
    kShapeTypePolyline,
    "COD_PERC",
    20,
    "DESCR",
    120,
    texts::kRoutesExportedBefore,
    texts::kRoutesExportedAfter,
};

// Routes of up to 4,092 points fit the initial scratch buffer; a longer one replaces it by a
// buffer with room for 127 more points than it needs itself.
constexpr std::size_t kSpareScratchPoints = 131;

}  // namespace

OutputOutcome MergeWorkspace::ExportRoutes(const std::string& folder) {
    return ExportDataset(platform_, folder, kRoutesLayout, companyCode, [&](DatasetWriter& writer) {
        for (const RouteRecord& route : routeTable) {
            const PolylineGeometry& geometry = *route.geometry;
            const std::size_t points = geometry.points().size();
            const std::size_t contentSize = kSinglePartPointsOffset + kPointSize * points;
            writer.reserveScratch(RecordHeader::kSize + contentSize,
                                  kPointSize * (points + kSpareScratchPoints));
            writer.writeFeature(route.code, route.description,
                                {geometry.minX, geometry.minY, geometry.maxX, geometry.maxY}, contentSize,
                                [&](std::uint8_t* content) { EncodePolyline(geometry, content); });
        }
    });
}

}  // namespace tramelo
