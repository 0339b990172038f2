#pragma once

// Coordinate systems as a .prj gives them (WKT1, in the OGC and the ESRI dialect), compared
// by what they mean rather than by how they are written: ArcGIS, QGIS and GDAL write one
// system with other names, numbers, spacing and nodes.
//
// Two parsed systems are the same when they are of the same kind and have the same datum
// (ellipsoid, prime meridian and the datum's name, normalised), the same angular unit and,
// when projected, the same projection method, parameters and linear unit. AUTHORITY, AXIS
// (but for the orientation of Krovak), TOWGS84, the names of the system itself, of its
// ellipsoid, prime meridian and units say nothing here. A .prj that cannot be parsed (WKT2,
// compound, geocentric or vertical systems, damaged text) is compared as text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tramelo {

// One parsed coordinate system, its names and numbers normalised so that equal members
// mean the same system: names lower case with only letters, digits and '+', ESRI's names of
// methods, parameters and datums mapped to OGC's, parameters completed with their defaults.
struct CoordinateSystem {
    struct Parameter {
        std::string name;
        double value = 0;
    };

    bool projected = false;
    // The datum's name in the normalised forms that match across dialects (as written, without
    // "Datum", by initials); two names are one when a form of each is the same. Two datums
    // on one ellipsoid (NAD83, ETRS89) are told apart by name only.
    std::vector<std::string> datumNames;
    double semiMajorAxis = 0;      // metres
    double inverseFlattening = 0;  // 0 for a sphere
    double primeMeridian = 0;      // degrees east of Greenwich
    double angularUnit = 0;        // radians per unit
    // Projected systems only:
    std::string method;                 // normalised, one name per method
    std::vector<Parameter> parameters;  // sorted by name, names unique
    double linearUnit = 0;              // metres per unit

    // The system that prj describes; nothing when it is not WKT1 of a geographic or
    // projected system, or is malformed. Takes any bytes (a leading UTF-8 byte-order mark is
    // skipped); never throws.
    static std::optional<CoordinateSystem> Parse(std::string_view prj);

    // Whether two systems are the same, numbers compared with a tolerance of 1e-10 relative
    // to their magnitude (at least 1): far below any real difference, far above the noise
    // of writing 15 or 17 significant digits.
    bool sameAs(const CoordinateSystem& other) const;
};

// Whether two .prj texts describe the same coordinate system.
bool SameCoordinateSystem(std::string_view a, std::string_view b);

// Whether a .prj describes a geographic coordinate system (coordinates in degrees).
bool IsGeographicCoordinateSystem(std::string_view prj);

}  // namespace tramelo
