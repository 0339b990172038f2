#include "model/PolylineGeometry.h"

#include <cassert>

namespace tramelo {

namespace {

// Each bound moves only for a strictly greater or smaller value (a NaN moves none); written
// as selections, loops over many points need no branches.
void Widen(double& minX, double& minY, double& maxX, double& maxY, double x, double y) {
    maxX = maxX < x ? x : maxX;
    minX = x < minX ? x : minX;
    maxY = maxY < y ? y : maxY;
    minY = y < minY ? y : minY;
}

}  // namespace

PolylineGeometry::PolylineGeometry(std::int32_t count, std::pmr::memory_resource* memory)
    : pointCount_(count), points_(count > 0 ? static_cast<std::size_t>(count) : 0, memory) {}

PolylineGeometry::PolylineGeometry(std::int32_t count, PointArray&& points)
    : pointCount_(count), points_(points.get_allocator()) {
    if (count > 0) {
        assert(points.size() == static_cast<std::size_t>(count));
        points_ = std::move(points);
    }
    // On local copies, which stay in registers for the whole loop.
    double lowX = minX;
    double lowY = minY;
    double highX = maxX;
    double highY = maxY;
    for (const Point& point : points_) {
        Widen(lowX, lowY, highX, highY, point.x, point.y);
    }
    minX = lowX;
    minY = lowY;
    maxX = highX;
    maxY = highY;
}

PolylineGeometry::PolylineGeometry(PolylineGeometry&& other, std::pmr::memory_resource* memory)
    : minX(other.minX),
      minY(other.minY),
      maxX(other.maxX),
      maxY(other.maxY),
      pointCount_(other.pointCount_),
      points_(std::move(other.points_), memory) {}

void PolylineGeometry::widenBox(double x, double y) {
    Widen(minX, minY, maxX, maxY, x, y);
}

void PolylineGeometry::setPoint(std::int32_t i, double x, double y) {
    if (!inRange(i)) {
        return;
    }
    points_[static_cast<std::size_t>(i)] = {x, y};
    widenBox(x, y);
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
