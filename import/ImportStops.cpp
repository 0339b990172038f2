#include <cmath>
#include <optional>
#include <vector>

#include "import/Rounding.h"
#include "import/ShapefileImport.h"
#include "model/StopBatch.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo {

namespace {

class StopsImport final : public DatasetImport {
public:
    explicit StopsImport(MergeWorkspace& workspace) : workspace_(workspace) {}

    // Stops refer only to their texts: their coordinates are decoded as they are read.
    void createBatch(std::int32_t count, const HeldBytes&, const HeldBytes& attributes) override {
        batch_.emplace(count, workspace_.staging, std::vector<HeldBytes>{attributes});
    }

    ShapeResult takeShape(std::int32_t i, std::span<const std::uint8_t> content) override {
        if (content.size() < kPointContentSize) {
            return ShapeResult::FormatError;
        }
        // Stops are kept to the centimetre (for coordinates in metres), so that the same stop
        // exported twice with different noise in the last digits is one stop.
        const Point point = DecodePointContent(content.data());
        withinDegrees_ = withinDegrees_ && std::fabs(point.x) <= 180.0 && std::fabs(point.y) <= 90.0;
        batch_->setCoordinates(i, RoundToTwoDecimals(point.x), RoundToTwoDecimals(point.y));
        return ShapeResult::Taken;
    }

    void takeTexts(std::int32_t i, std::string_view code, std::string_view name) override {
        batch_->setTexts(i, code, name);
    }

    void mergeBatch(const std::string& path) override {
        MergeBatch(batch_, workspace_.stopTable, [&](const StopBatchItem& item) {
            workspace_.stopTable.add(item.code, item.name, item.x, item.y, workspace_.issueLog, path);
        });
    }

    bool roundsCoordinates() const override { return true; }
    bool allWithinDegrees() const override { return withinDegrees_; }

private:
    MergeWorkspace& workspace_;
    std::optional<StopBatch> batch_;
    bool withinDegrees_ = true;
};

}  // namespace

int MergeWorkspace::ImportStops(const std::string& path) {
    StopsImport stops(*this);
    return RunImport(*this, path, kStopsSchema, stops);
}

}  // namespace tramelo
