#include "model/PolylineGeometry.h"

#include <cassert>

namespace tramelo {

PolylineGeometry::PolylineGeometry(std::int32_t count)
    : pointCount_(count), points_(count > 0 ? static_cast<std::size_t>(count) : 0) {}

PolylineGeometry::PolylineGeometry(std::int32_t count, std::vector<Point>&& points)
    : pointCount_(count) {
    if (count > 0) {
        assert(points.size() == static_cast<std::size_t>(count));
        points_ = std::move(points);
    }
    for (const Point& point : points_) {
        widenBox(point.x, point.y);
    }
}

void PolylineGeometry::widenBox(double x, double y) {
    // Each bound moves only for a strictly greater or smaller value (a NaN moves none);
    // written as selections, the loops over many points need no branches.
    maxX = maxX < x ? x : maxX;
    minX = x < minX ? x : minX;
    maxY = maxY < y ? y : maxY;
    minY = y < minY ? y : minY;
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
