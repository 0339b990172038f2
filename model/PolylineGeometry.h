#pragma once

// One single-part polyline: its points, X then Y, and the box of the points stored so far.
//
// A new geometry's box is empty: minX and minY hold the largest finite double and maxX and
// maxY the lowest finite one, so the first point stored sets all four. From then on the box
// only grows; storing a point over another never shrinks it.

#include <cstdint>
#include <limits>
#include <memory_resource>
#include <vector>

#include "base/Geometry.h"

namespace tramelo {

// The points of a geometry, in memory its owner chooses: a table or a batch keeps all of its
// routes' points in its arena.
using PointArray = std::pmr::vector<Point>;

class PolylineGeometry {
public:
    static constexpr double kEmptyMin = std::numeric_limits<double>::max();
    static constexpr double kEmptyMax = std::numeric_limits<double>::lowest();

    // pointCount = count; room for count points, all (0, 0), which do not widen the box.
    explicit PolylineGeometry(std::int32_t count,
                              std::pmr::memory_resource* memory = std::pmr::get_default_resource());
    // pointCount = count; adopts points without copying (keeps none when count is 0 or
    // less) and computes the box over them.
    // REQUIRES: points.size() == count when count is greater than 0.
    PolylineGeometry(std::int32_t count, PointArray&& points);
    // The same geometry, count, points and box, with its points in memory: taken over when
    // they are there already, copied otherwise.
    PolylineGeometry(PolylineGeometry&& other, std::pmr::memory_resource* memory);
    PolylineGeometry(PolylineGeometry&&) = default;

    std::int32_t pointCount() const { return pointCount_; }
    const PointArray& points() const { return points_; }

    // Stores point i and widens the box; does nothing when i is out of range.
    void setPoint(std::int32_t i, double x, double y);
    // Writes point i to x and y and returns 1; returns 0 and leaves them when out of range.
    int getPoint(std::int32_t i, double& x, double& y) const;

    // Same count and the same points in the same order by IEEE equality; the box is not
    // compared.
    bool equals(const PolylineGeometry& other) const;

    // The box as a shapefile orders it.
    BoundingBox box() const { return {minX, minY, maxX, maxY}; }

    double minX = kEmptyMin;
    double minY = kEmptyMin;
    double maxX = kEmptyMax;
    double maxY = kEmptyMax;

private:
    bool inRange(std::int32_t i) const { return i >= 0 && i < pointCount_; }
    void setBox(const BoundingBox& extent);

    std::int32_t pointCount_;
    PointArray points_;
};

}  // namespace tramelo
