#include "export/DatasetWriter.h"
#include "shapefile/ByteOrder.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Texts.h"

namespace tramelo {

namespace {

constexpr DatasetLayout kRoutesLayout{
    "RT_ITIN", kShapeTypePolyline, "COD_PERC", 20, "DESCR", 120,
    texts::kRoutesExportedBefore, texts::kRoutesExportedAfter,
};

// Routes of up to 4,092 points fit the initial scratch buffer; a longer one replaces it by a
// buffer with room for 127 more points than it needs itself.
constexpr std::size_t kSpareScratchPoints = 131;

void WritePolyline(const PolylineGeometry& geometry, std::uint8_t* content) {
    putInt32(kShapeTypePolyline, content, kLittleEndian);
    putDouble(geometry.minX, content + kPolylineBoxOffset, kLittleEndian);
    putDouble(geometry.minY, content + kPolylineBoxOffset + 8, kLittleEndian);
    putDouble(geometry.maxX, content + kPolylineBoxOffset + 16, kLittleEndian);
    putDouble(geometry.maxY, content + kPolylineBoxOffset + 24, kLittleEndian);
    putInt32(1, content + kPolylineNumPartsOffset, kLittleEndian);
    putInt32(static_cast<std::int32_t>(geometry.points().size()), content + kPolylineNumPointsOffset,
             kLittleEndian);
    putInt32(0, content + kPolylineFixedSize, kLittleEndian);  // the one part starts at point 0
    std::uint8_t* point = content + kSinglePartPointsOffset;
    for (const Point& p : geometry.points()) {
        putDouble(p.x, point, kLittleEndian);
        putDouble(p.y, point + 8, kLittleEndian);
        point += kPointSize;
    }
}

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
                                {geometry.minX, geometry.minY, geometry.maxX, geometry.maxY},
                                contentSize,
                                [&](std::uint8_t* content) { WritePolyline(geometry, content); });
        }
    });
}

}  // namespace tramelo
