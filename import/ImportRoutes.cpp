#include <algorithm>
#include <optional>
#include <vector>

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

    void createBatch(std::int32_t count, const HeldBytes& shapes, const HeldBytes& attributes) override {
        batch_.emplace(count, workspace_.staging, std::vector<HeldBytes>{shapes, attributes});
    }

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
        // Until the file is judged, only the points' bytes are kept: decoding them into a route
        // waits for the merge, which then needs no second copy of them all.
        batch_->setPointBytes(i, content.subspan(kSinglePartPointsOffset, kPointSize * std::size_t(n)));
        return ShapeResult::Taken;
    }

    void takeTexts(std::int32_t i, std::string_view code, std::string_view description) override {
        batch_->setTexts(i, code, description);
    }

    void mergeBatch(const std::string& path) override {
        MergeBatch(batch_, workspace_.routeTable, [&](const RouteBatchItem& item) {
            // Route points are kept exactly as read: unlike stops, they are never rounded. A
            // route is decoded into memory the heap hands back for the next one; the table
            // copies it only when it keeps it.
            const std::span<const std::uint8_t> bytes = item.pointBytes;
            const auto n = static_cast<std::int32_t>(bytes.size() / kPointSize);
            PointArray points(static_cast<std::size_t>(n));
            DecodePoints(bytes.data(), points);
            workspace_.routeTable.add(item.code, item.description, PolylineGeometry(n, std::move(points)),
                                      workspace_.issueLog, path);
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
