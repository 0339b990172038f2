#include <algorithm>
#include <optional>

#include "base/Texts.h"
#include "import/ShapefileImport.h"
#include "model/RouteBatch.h"
#include "shapefile/ByteOrder.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

class RoutesImport final : public DatasetImport {
public:
    explicit RoutesImport(MergeWorkspace& workspace) : workspace_(workspace) {}

    void createBatch(std::int32_t count) override { batch_.emplace(count, workspace_.staging); }

    ShapeResult takeShape(std::int32_t i, std::span<const std::uint8_t> content) override {
        if (content.size() < kPolylineFixedSize) {
            return ShapeResult::FormatError;
        }
        const std::int32_t parts = getInt32(content.data() + kPolylineNumPartsOffset, kLittleEndian);
        if (parts != 1) {
            workspace_.platform().showMessage(Message(MessageKind::Error)
                                                  .text(texts::kFeatureBefore)
                                                  .number(i)
                                                  .text(texts::kPartsMiddle)
                                                  .number(parts)
                                                  .text(texts::kPartsAfter));
            return ShapeResult::Refused;
        }
        const std::int32_t n =
            std::max(0, getInt32(content.data() + kPolylineNumPointsOffset, kLittleEndian));
        // The point count is checked against the bytes read before its array exists.
        if (static_cast<std::int64_t>(content.size()) <
            kSinglePartPointsOffset + std::int64_t{kPointSize} * n) {
            return ShapeResult::FormatError;
        }
        // Route points are kept exactly as read: unlike stops, they are never rounded.
        PointArray points(static_cast<std::size_t>(n), batch_->pointMemory());
        DecodePoints(content.data() + kSinglePartPointsOffset, points);
        batch_->setGeometry(i, n, std::move(points));
        return ShapeResult::Taken;
    }

    void takeTexts(std::int32_t i, std::string_view code, std::string_view description) override {
        batch_->setTexts(i, code, description);
    }

    void mergeBatch(const std::string& path) override {
        MergeBatch(batch_, workspace_.routeTable, [&](RouteBatchItem& item) {
            // Every feature of an accepted file got its geometry in the geometry pass; the
            // batch goes away right after, so the table takes its geometries over.
            if (item.geometry) {
                workspace_.routeTable.add(item.code, item.description, std::move(*item.geometry),
                                          workspace_.issueLog, path);
            }
        });
    }

private:
    MergeWorkspace& workspace_;
    std::optional<RouteBatch> batch_;
};

}  // namespace

int MergeWorkspace::ImportRoutes(const std::string& path) {
    RoutesImport routes(*this);
    return RunImport(*this, path, kRoutesSchema, routes);
}

}  // namespace tramelo
