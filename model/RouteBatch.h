#pragma once

// The routes of one input file while it is read, before the file is known to be acceptable.

#include <cstdint>
#include <memory_resource>
#include <optional>
#include <string_view>

#include "model/Batch.h"
#include "model/PolylineGeometry.h"

namespace tramelo {

// Its texts are the batch's copies, or the file's own bytes while those stay in memory.
struct RouteBatchItem {
    std::optional<PolylineGeometry> geometry;
    std::string_view code;
    std::string_view description;
};

class RouteBatch : public Batch<RouteBatchItem> {
public:
    using Batch::Batch;

    // Memory for the point arrays that the batch's geometries adopt.
    std::pmr::memory_resource* pointMemory() { return arena().resource(); }

    // Gives item i a new geometry adopting the n points (replacing any geometry it had).
    // Out of range, the points are simply released.
    void setGeometry(std::int32_t i, std::int32_t n, PointArray&& points) {
        if (RouteBatchItem* target = item(i)) {
            target->geometry.emplace(n, std::move(points));
        }
    }

    // Replaces the texts of item i with code and description, copied unless they stay valid
    // as long as the batch; does nothing out of range.
    void setTexts(std::int32_t i, std::string_view code, std::string_view description, bool textsStay = false) {
        if (RouteBatchItem* target = item(i)) {
            target->code = keep(code, textsStay);
            target->description = keep(description, textsStay);
        }
    }
};

}  // namespace tramelo
