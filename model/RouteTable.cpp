#include "model/RouteTable.h"

#include <cassert>
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

bool RouteTable::admit(std::string_view code, std::string_view description, const PolylineGeometry& geometry,
                       IssueLog& issues, std::string_view sourcePath) const {
    const RouteRecord* found = find(code);
    if (found == nullptr) {
        return true;
    }
    assert(found->geometry);
    if (found->description != description || !found->geometry->equals(geometry)) {
        issues.addRouteIssue(sourcePath, DuplicateCodeMessage(code));
    }
    return false;
}

void RouteTable::add(std::string_view code, std::string_view description, const PolylineGeometry& geometry,
                     IssueLog& issues, std::string_view sourcePath) {
    if (admit(code, description, geometry, issues, sourcePath)) {
        records_.append(arena_.store(code), arena_.store(description),
                        CopyGeometry(geometry, arena_.resource()));
    }
}

void RouteTable::add(std::string_view code, std::string_view description, PolylineGeometry&& geometry,
                     IssueLog& issues, std::string_view sourcePath) {
    if (admit(code, description, geometry, issues, sourcePath)) {
        records_.append(arena_.store(code), arena_.store(description),
                        PolylineGeometry(std::move(geometry), arena_.resource()));
    }
}

}  // namespace tramelo
