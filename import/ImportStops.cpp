#include <optional>

#include "import/Rounding.h"
#include "import/ShapefileImport.h"
#include "model/StopBatch.h"
#include "shapefile/ByteOrder.h"
#include "shapefile/Layouts.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Platform.h"
#include "workspace/Texts.h"

namespace tramelo {

namespace {

class StopsImport final : public DatasetImport {
public:
    explicit StopsImport(MergeWorkspace& workspace) : workspace_(workspace) {}

    const Rules& rules() const override {
        static constexpr std::string_view kCodeFields[] = {"COD_FERM", "COD_FERMA"};
        static constexpr Rules kRules{
            texts::kCannotReadStopsShp,
            texts::kCannotReadStopsShx,
            texts::kCannotReadStopsDbf,
            texts::kStopsAttributesMissing,
            texts::kForeignStopBefore,
            texts::kForeignStopAfter,
            kShapeTypePoint,
            kCodeFields,
            10,
            "DENOM",
            40,
        };
        return kRules;
    }

    void createBatch(std::int32_t count) override { batch_.emplace(count); }

    ShapeResult takeShape(std::int32_t i, std::span<const std::uint8_t> content) override {
        if (content.size() < 4) {
            return ShapeResult::FormatError;
        }
        if (getInt32(content.data(), kLittleEndian) != kShapeTypePoint) {
            workspace_.platform().showMessage(Message(MessageKind::Error)
                                                  .text(texts::kFeatureBefore)
                                                  .number(i)
                                                  .text(texts::kNotPointAfter));
            return ShapeResult::Refused;
        }
        if (content.size() < kPointContentSize) {
            return ShapeResult::FormatError;
        }
        // Stops are kept to the centimetre (for coordinates in metres), so that the same stop
        // exported twice with different noise in the last digits is one stop.
        batch_->setCoordinates(i, RoundToTwoDecimals(getDouble(content.data() + 4, kLittleEndian)),
                               RoundToTwoDecimals(getDouble(content.data() + 12, kLittleEndian)));
        return ShapeResult::Taken;
    }

    void takeTexts(std::int32_t i, std::string_view code, std::string_view name) override {
        batch_->setTexts(i, code, name);
    }

    void mergeBatch(const std::string& path) override {
        for (std::int32_t i = 0; i < batch_->count(); ++i) {
            if (StopBatchItem* item = batch_->item(i)) {
                workspace_.stopTable.add(item->code, item->name, item->x, item->y, workspace_.issueLog, path);
            }
        }
        batch_.reset();
        workspace_.stopTable.rebuildIndex();
    }

private:
    MergeWorkspace& workspace_;
    std::optional<StopBatch> batch_;
};

}  // namespace

int MergeWorkspace::ImportStops(const std::string& path) {
    StopsImport stops(*this);
    return RunImport(*this, path, stops);
}

}  // namespace tramelo
