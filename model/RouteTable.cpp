#include "model/RouteTable.h"

#include <cassert>
#include <string>
#include <vector>

#include "model/IssueLog.h"

namespace tramelo {

namespace {

PolylineGeometry CopyGeometry(const PolylineGeometry& source,
                              std::pmr::memory_resource* memory = std::pmr::get_default_resource()) {
    // Adopting a copy of the points computes the box exactly as storing them one by one
    // would, so a never-filled source gives a copy whose box covers its (0, 0) points.
    if (source.pointCount() <= 0) {
        return PolylineGeometry(source.pointCount(), memory);
    }
    return PolylineGeometry(source.pointCount(), PointArray(source.points(), memory));
}

}  // namespace

RouteRecord::RouteRecord(std::string_view code, std::string_view description, const PolylineGeometry* source)
    : code(code), description(description) {
    if (source != nullptr) {
        geometry.emplace(CopyGeometry(*source));
    }
}

bool RouteRecord::equals(const RouteRecord& other) const {
    assert(geometry && other.geometry);
    return code == other.code && description == other.description && geometry->equals(*other.geometry);
}

bool RouteTable::admit(const Lookup& place, std::string_view code, std::string_view description,
                       const PolylineGeometry& geometry, IssueLog& issues,
                       std::string_view sourcePath) const {
    const RouteRecord* found = place.found;
    if (found == nullptr) {
        return true;
    }
    assert(found->geometry);
    const PolylineGeometry& kept = *found->geometry;
    if (found->description != description || !kept.equals(geometry)) {
        Conflict conflict{.code = std::string(code),
                          .keptSource = std::string(sourceOf(place)),
                          .keptText = std::string(found->description),
                          .droppedText = std::string(description),
                          .kept = kept.points().empty() ? Point{} : kept.points().front(),
                          .dropped = geometry.points().empty() ? Point{} : geometry.points().front(),
                          .keptPoints = kept.pointCount(),
                          .droppedPoints = geometry.pointCount()};
        if (kept.pointCount() == geometry.pointCount()) {
            for (std::size_t i = 0; i < kept.points().size(); ++i) {
                const Point& a = kept.points()[i];
                const Point& b = geometry.points()[i];
                if (a.x != b.x || a.y != b.y) {
                    conflict.firstDifferentPoint = static_cast<std::int32_t>(i);
                    conflict.keptPoint = a;
                    conflict.droppedPoint = b;
                    break;
                }
            }
        }
        issues.addRouteIssue(sourcePath, DuplicateCodeMessage(code), std::move(conflict));
    }
    return false;
}

void RouteTable::add(std::string_view code, std::string_view description, const PolylineGeometry& geometry,
                     IssueLog& issues, std::string_view sourcePath) {
    const auto place = index_.prepare(code);
    if (admit(place, code, description, geometry, issues, sourcePath)) {
        append(place, sourcePath, arena_.store(code), arena_.store(description),
               CopyGeometry(geometry, arena_.resource()));
    }
}

void RouteTable::add(std::string_view code, std::string_view description, PolylineGeometry&& geometry,
                     IssueLog& issues, std::string_view sourcePath) {
    const auto place = index_.prepare(code);
    if (admit(place, code, description, geometry, issues, sourcePath)) {
        append(place, sourcePath, arena_.store(code), arena_.store(description),
               PolylineGeometry(std::move(geometry), arena_.resource()));
    }
}

}  // namespace tramelo
