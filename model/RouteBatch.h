#pragma once

// The routes of one input file while it is read, before the file is known to be acceptable.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/Batch.h"
#include "model/PolylineGeometry.h"

namespace tramelo {

struct RouteBatchItem {
    void setTexts(std::string newCode, std::string newDescription) {
        code = std::move(newCode);
        description = std::move(newDescription);
    }

    std::optional<PolylineGeometry> geometry;
    std::string code;
    std::string description;
};

class RouteBatch : public Batch<RouteBatchItem> {
public:
    using Batch::Batch;

    // Gives item i a new geometry adopting the n points (replacing any geometry it had).
    // Out of range, the points are simply released.
    void setGeometry(std::int32_t i, std::int32_t n, PointArray&& points) {
        if (RouteBatchItem* target = item(i)) {
            target->geometry.emplace(n, std::move(points));
        }
    }
};

}  // namespace tramelo
