#pragma once

// Builds the three files of an input shapefile byte by byte, so that tests can make valid
// inputs and damage exactly one thing in them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/PolylineGeometry.h"
#include "shapefile/FileSystem.h"

namespace tramelo {
struct DatasetSchema;
}

namespace tramelo::testing {

using Bytes = std::vector<std::uint8_t>;

struct FieldSpec {
    std::string name;
    char type = 'C';
    std::uint8_t length = 10;
    std::uint8_t decimals = 0;
};

// A projected coordinate system in metres (UTM zone 18N), as the builder gives every file
// unless a test takes it away: without one, small test coordinates would look like degrees.
extern const std::string kMetresPrj;

struct ShapefileBytes {
    Bytes shp;
    Bytes shx;
    Bytes dbf;
    std::optional<std::string> prj = kMetresPrj;  // none: the file has no .prj
    std::optional<std::string> cpg;               // none: the file has no .cpg

    // Stores the files: shpPath, and its companions with the extensions given (the .PRJ and
    // .CPG in the letter case of the .SHX).
    void install(FileSystem& files, const std::string& shpPath, const char* shx = "SHX",
                 const char* dbf = "DBF") const;
};

class ShapefileBuilder {
public:
    ShapefileBuilder(std::int32_t shapeType, std::vector<FieldSpec> fields)
        : shapeType_(shapeType), fields_(std::move(fields)) {}

    // A feature: its record content and its attribute values, one per field. Values are
    // left-aligned and padded with spaces; rightAlignNumbers() aligns 'N' values right, as
    // most dBASE writers do.
    ShapefileBuilder& feature(Bytes content, std::vector<std::string> values);
    ShapefileBuilder& rightAlignNumbers() {
        rightAlignNumbers_ = true;
        return *this;
    }

    ShapefileBytes build() const;

private:
    std::int32_t shapeType_;
    std::vector<FieldSpec> fields_;
    std::vector<Bytes> contents_;
    std::vector<std::vector<std::string>> values_;
    bool rightAlignNumbers_ = false;
};

Bytes PointContent(double x, double y);
Bytes PolylineContent(const std::vector<Point>& points);
Bytes NullContent();

// The fields a dataset's export writes, as a well-made input has them: AZIENDA N(5),
// COD_FERM C(10), DENOM C(40) for stops; AZIENDA N(5), COD_PERC C(20), DESCR C(120) for routes.
std::vector<FieldSpec> FieldsOf(const DatasetSchema& schema);
std::vector<FieldSpec> StopFields();
std::vector<FieldSpec> RouteFields();

struct Stop {
    std::string code;
    std::string name;
    double x = 0.0;
    double y = 0.0;
    std::int32_t company = 7;
};

struct Route {
    std::string code;
    std::string description;
    std::vector<Point> points;
    std::int32_t company = 7;
};

ShapefileBytes StopsShapefile(const std::vector<Stop>& stops);
ShapefileBytes RoutesShapefile(const std::vector<Route>& routes);

// Reads a little-endian or big-endian value back out of bytes, for assertions.
std::int32_t Int32At(const Bytes& bytes, std::size_t offset, char order);
double DoubleAt(const Bytes& bytes, std::size_t offset);
std::string TextAt(const Bytes& bytes, std::size_t offset, std::size_t size);

}  // namespace tramelo::testing
