#pragma once

// The two geometric values every layer speaks of: a point, X then Y in the units of the
// input files, and a bounding box in the order of a shapefile box.

namespace tramelo {

struct Point {
    double x = 0.0;
    double y = 0.0;
};

struct BoundingBox {
    double xMin = 0.0;
    double yMin = 0.0;
    double xMax = 0.0;
    double yMax = 0.0;

    // Each bound moves only for a strictly smaller or greater value, so a NaN moves none.
    // Written as selections, so that a loop over many points needs no branches.
    constexpr void widen(double x, double y) {
        xMax = xMax < x ? x : xMax;
        xMin = x < xMin ? x : xMin;
        yMax = yMax < y ? y : yMax;
        yMin = y < yMin ? y : yMin;
    }
    constexpr void widen(const BoundingBox& other) {
        xMin = other.xMin < xMin ? other.xMin : xMin;
        yMin = other.yMin < yMin ? other.yMin : yMin;
        xMax = xMax < other.xMax ? other.xMax : xMax;
        yMax = yMax < other.yMax ? other.yMax : yMax;
    }
};

}  // namespace tramelo
