#include "model/PolylineGeometry.h"

#include <cassert>

namespace tramelo {

PolylineGeometry::PolylineGeometry(std::int32_t count, std::pmr::memory_resource* memory)
    : pointCount_(count), points_(count > 0 ? static_cast<std::size_t>(count) : 0, memory) {}

PolylineGeometry::PolylineGeometry(std::int32_t count, PointArray&& points)
    : pointCount_(count), points_(points.get_allocator()) {
    if (count > 0) {
        assert(points.size() == static_cast<std::size_t>(count));
        points_ = std::move(points);
    }
    // On a local box, which stays in registers for the whole loop.
    BoundingBox extent = box();
    for (const Point& point : points_) {
        extent.widen(point.x, point.y);
    }
    setBox(extent);
}

PolylineGeometry::PolylineGeometry(PolylineGeometry&& other, std::pmr::memory_resource* memory)
    : minX(other.minX),
      minY(other.minY),
      maxX(other.maxX),
      maxY(other.maxY),
      pointCount_(other.pointCount_),
      points_(std::move(other.points_), memory) {}

void PolylineGeometry::setPoint(std::int32_t i, double x, double y) {
    if (!inRange(i)) {
        return;
    }
    points_[static_cast<std::size_t>(i)] = {x, y};
    BoundingBox extent = box();
    extent.widen(x, y);
    setBox(extent);
}

void PolylineGeometry::setBox(const BoundingBox& extent) {
    minX = extent.xMin;
    minY = extent.yMin;
    maxX = extent.xMax;
    maxY = extent.yMax;
}

int PolylineGeometry::getPoint(std::int32_t i, double& x, double& y) const {
    if (!inRange(i)) {
        return 0;
    }
    const Point& point = points_[static_cast<std::size_t>(i)];
    x = point.x;
    y = point.y;
    return 1;
}

bool PolylineGeometry::equals(const PolylineGeometry& other) const {
    if (pointCount_ != other.pointCount_) {
        return false;
    }
    for (std::size_t i = 0; i < points_.size(); ++i) {
        if (points_[i].x != other.points_[i].x || points_[i].y != other.points_[i].y) {
            return false;
        }
    }
    return true;
}

}  // namespace tramelo
