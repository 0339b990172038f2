#pragma once

// The merged routes of a run, in order of acceptance, with an index by route code
// (RecordTable).
//
// The same merge rule as the stop table: the first route seen with a code wins; a later one
// with an indexed code is dropped, silently when identical, with an entry in the issue log
// when it differs. Route points are compared exactly as read (they are never rounded), so
// two routes are equal only when every coordinate has the same value.

#include <optional>
#include <string_view>

#include "model/PolylineGeometry.h"
#include "model/RecordTable.h"

namespace tramelo {

class IssueLog;

// One route. In a table, its texts and points are the table's own copies (kept in the
// table's arena).
struct RouteRecord {
    // Refers to the texts and copies the geometry when one is given: the copy has the
    // source's count and points and computes its own box from them. The record never shares
    // a geometry.
    RouteRecord(std::string_view code, std::string_view description, const PolylineGeometry* source);
    // Keeps geometry as it is, its points where they are.
    RouteRecord(std::string_view code, std::string_view description, PolylineGeometry&& geometry)
        : code(code), description(description), geometry(std::move(geometry)) {}

    // Same code and description byte for byte, then equal geometries.
    // REQUIRES: both records have a geometry.
    bool equals(const RouteRecord& other) const;

    std::string_view code;
    std::string_view description;
    std::optional<PolylineGeometry> geometry;
    RouteRecord* next = nullptr;
};

class RouteTable : public RecordTable<RouteRecord> {
public:
    // Offers one route; the table keeps its own copy of geometry when it keeps the route.
    void add(std::string_view code, std::string_view description, const PolylineGeometry& geometry,
             IssueLog& issues, std::string_view sourcePath);
    // The same for a geometry the caller no longer needs: a kept route takes it over, its
    // points moved into the table's arena.
    void add(std::string_view code, std::string_view description, PolylineGeometry&& geometry,
             IssueLog& issues, std::string_view sourcePath);

private:
    // True when the route is new; otherwise reports a conflicting repeat in the log.
    bool admit(const Lookup& place, std::string_view code, std::string_view description,
               const PolylineGeometry& geometry, IssueLog& issues, std::string_view sourcePath) const;
};

}  // namespace tramelo
