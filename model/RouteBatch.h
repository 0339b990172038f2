#pragma once

// The routes of one input file while it is read, before the file is known to be acceptable.

#include <cstdint>
#include <span>
#include <string_view>

#include "model/Batch.h"

namespace tramelo {

// Its texts and points are the batch's copies, or views into the input files the batch holds.
// The points are their bytes as the .SHP holds them, decoded only when the route is merged.
struct RouteBatchItem {
    std::span<const std::uint8_t> pointBytes;
    std::string_view code;
    std::string_view description;
};

class RouteBatch : public Batch<RouteBatchItem> {
public:
    using Batch::Batch;

    // Replaces the point bytes of item i (kept as Batch says); does nothing out of range.
    void setPointBytes(std::int32_t i, std::span<const std::uint8_t> bytes) {
        if (RouteBatchItem* target = item(i)) {
            target->pointBytes = keep(bytes);
        }
    }

    // Replaces the texts of item i with code and description (kept as Batch says); does
    // nothing out of range.
    void setTexts(std::int32_t i, std::string_view code, std::string_view description) {
        if (RouteBatchItem* target = item(i)) {
            target->code = keep(code);
            target->description = keep(description);
        }
    }
};

}  // namespace tramelo
