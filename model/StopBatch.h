#pragma once

// The stops of one input file while it is read, before the file is known to be acceptable.

#include <cstdint>
#include <string>

#include "model/Batch.h"

namespace tramelo {

struct StopBatchItem {
    void setTexts(std::string newCode, std::string newName) {
        code = std::move(newCode);
        name = std::move(newName);
    }

    double x = 0.0;
    double y = 0.0;
    std::string code;
    std::string name;
};

class StopBatch : public Batch<StopBatchItem> {
public:
    using Batch::Batch;

    void setCoordinates(std::int32_t i, double x, double y) {
        if (StopBatchItem* target = item(i)) {
            target->x = x;
            target->y = y;
        }
    }
};

}  // namespace tramelo
