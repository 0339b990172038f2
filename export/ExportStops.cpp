#include "export/DatasetWriter.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Texts.h"

namespace tramelo {

namespace {

constexpr DatasetLayout kStopsLayout{
    "RT_NODI",
    kShapeTypePoint,
    "COD_FERM",
    10,
    "DENOM",
    40,
    texts::kStopsExportedBefore,
    texts::kStopsExportedAfter,
};

}  // namespace

OutputOutcome MergeWorkspace::ExportStops(const std::string& folder) {
    return ExportDataset(platform_, folder, kStopsLayout, companyCode, [&](DatasetWriter& writer) {
        for (const StopRecord& stop : stopTable) {
            writer.writeFeature(stop.code, stop.name, {stop.x, stop.y, stop.x, stop.y}, kPointContentSize,
                                [&](std::uint8_t* content) { EncodePoint(stop.x, stop.y, content); });
        }
    });
}

}  // namespace tramelo
