#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <vector>

#include "import/ShapefileImport.h"
#include "model/RouteBatch.h"
#include "shapefile/ByteOrder.h"
#include "shapefile/Layouts.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Platform.h"
#include "workspace/Texts.h"

namespace tramelo {

namespace {

class RoutesImport final : public DatasetImport {
public:
    explicit RoutesImport(MergeWorkspace& workspace) : workspace_(workspace) {}

    const Rules& rules() const override {
        static constexpr std::string_view kCodeFields[] = {"COD_PERC"};
        static constexpr Rules kRules{
            texts::kCannotReadRoutesShp,
            texts::kCannotReadRoutesShx,
            texts::kCannotReadRoutesDbf,
            texts::kRoutesAttributesMissing,
            texts::kForeignRouteBefore,
            texts::kForeignRouteAfter,
            kShapeTypePolyline,
            kCodeFields,
            20,
            "DESCR",
            120,
        };
        return kRules;
    }

    void createBatch(std::int32_t count) override { batch_.emplace(count); }

    ShapeResult takeShape(std::int32_t i, std::span<const std::uint8_t> content) override {
        if (content.size() < 4) {
            return ShapeResult::FormatError;
        }
        if (getInt32(content.data(), kLittleEndian) != kShapeTypePolyline) {
            refuse(Message(MessageKind::Error)
                       .text(texts::kFeatureBefore)
                       .number(i)
                       .text(texts::kNotPolylineAfter));
            return ShapeResult::Refused;
        }
        if (content.size() < kPolylineFixedSize) {
            return ShapeResult::FormatError;
        }
        const std::int32_t parts = getInt32(content.data() + kPolylineNumPartsOffset, kLittleEndian);
        if (parts != 1) {
            refuse(Message(MessageKind::Error)
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
        PointArray points(static_cast<std::size_t>(n));
        const std::uint8_t* source = content.data() + kSinglePartPointsOffset;
        if constexpr (std::endian::native == std::endian::little && sizeof(Point) == kPointSize) {
            // On a little-endian host the file's bytes are already the points.
            if (n > 0) {
                std::memcpy(points.data(), source, points.size() * sizeof(Point));
            }
        } else {
            for (Point& point : points) {
                point.x = getDouble(source, kLittleEndian);
                point.y = getDouble(source + 8, kLittleEndian);
                source += kPointSize;
            }
        }
        batch_->setGeometry(i, n, std::move(points));
        return ShapeResult::Taken;
    }

    void takeTexts(std::int32_t i, std::string_view code, std::string_view description) override {
        if (RouteBatchItem* item = batch_->item(i)) {
            item->setTexts(std::string(code), std::string(description));
        }
    }

    void mergeBatch(const std::string& path) override {
        for (std::int32_t i = 0; i < batch_->count(); ++i) {
            RouteBatchItem* item = batch_->item(i);
            // Every feature of an accepted file got its geometry in the geometry pass.
            if (item != nullptr && item->geometry) {
                // The batch goes away right after, so the table takes its geometries over.
                workspace_.routeTable.add(std::move(item->code), std::move(item->description),
                                          std::move(*item->geometry), workspace_.issueLog, path);
            }
        }
        batch_.reset();
        workspace_.routeTable.rebuildIndex();
    }

private:
    void refuse(const Message& message) { workspace_.platform().showMessage(message); }

    MergeWorkspace& workspace_;
    std::optional<RouteBatch> batch_;
};

}  // namespace

int MergeWorkspace::ImportRoutes(const std::string& path) {
    RoutesImport routes(*this);
    return RunImport(*this, path, routes);
}

}  // namespace tramelo
