#include "model/RouteTable.h"

#include <cassert>
#include <vector>

#include "model/IssueLog.h"
#include "model/StopTable.h"

namespace tramelo {

namespace {

PolylineGeometry CopyGeometry(const PolylineGeometry& source) {
    // Adopting a copy of the points computes the box exactly as storing them one by one
    // would, so a never-filled source gives a copy whose box covers its (0, 0) points.
    if (source.pointCount() <= 0) {
        return PolylineGeometry(source.pointCount());
    }
    return PolylineGeometry(source.pointCount(), std::vector<Point>(source.points()));
}

}  // namespace

RouteRecord::RouteRecord(std::string code, std::string description,
                         const PolylineGeometry* source)
    : code(std::move(code)), description(std::move(description)) {
    if (source != nullptr) {
        geometry.emplace(CopyGeometry(*source));
    }
}

bool RouteRecord::equals(const RouteRecord& other) const {
    assert(geometry && other.geometry);
    return code == other.code && description == other.description &&
           geometry->equals(*other.geometry);
}

void RouteTable::add(std::string code, std::string description, const PolylineGeometry& geometry,
                     IssueLog& issues, std::string_view sourcePath) {
    add(std::move(code), std::move(description), CopyGeometry(geometry), issues, sourcePath);
}

void RouteTable::add(std::string code, std::string description, PolylineGeometry&& geometry,
                     IssueLog& issues, std::string_view sourcePath) {
    if (const RouteRecord* found = find(code)) {
        assert(found->geometry);
        const bool same = found->description == description && found->geometry->equals(geometry);
        if (!same) {
            issues.addRouteIssue(sourcePath, DuplicateCodeMessage(code));
        }
        return;
    }
    records_.append(std::move(code), std::move(description), std::move(geometry));
}

}  // namespace tramelo
