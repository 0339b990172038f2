#pragma once

// The stops of one input file while it is read, before the file is known to be acceptable.

#include <cstdint>
#include <string_view>

#include "model/Batch.h"

namespace tramelo {

// Its texts are the batch's copies, or views into the input file the batch holds.
struct StopBatchItem {
    double x = 0.0;
    double y = 0.0;
    std::string_view code;
    std::string_view name;
};

class StopBatch : public Batch<StopBatchItem> {
public:
    using Batch::Batch;

    // Replaces the texts of item i with code and name (kept as Batch says); does nothing out
    // of range.
    void setTexts(std::int32_t i, std::string_view code, std::string_view name) {
        if (StopBatchItem* target = item(i)) {
            target->code = keep(code);
            target->name = keep(name);
        }
    }

    void setCoordinates(std::int32_t i, double x, double y) {
        if (StopBatchItem* target = item(i)) {
            target->x = x;
            target->y = y;
        }
    }
};

}  // namespace tramelo
