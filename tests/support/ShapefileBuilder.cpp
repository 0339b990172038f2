#include "tests/support/ShapefileBuilder.h"

#include <algorithm>

#include "shapefile/ByteOrder.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"

namespace tramelo::testing {

namespace {

void Append(Bytes& bytes, const std::uint8_t* data, std::size_t size) {
    // Not insert(): GCC 12 for MinGW sees a false overflow in it when the vector is empty.
    const std::size_t at = bytes.size();
    bytes.resize(at + size);
    std::copy_n(data, size, bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

void AppendInt32(Bytes& bytes, std::int32_t value, char order) {
    std::uint8_t encoded[4];
    putInt32(value, encoded, order);
    Append(bytes, encoded, 4);
}

void AppendDouble(Bytes& bytes, double value) {
    std::uint8_t encoded[8];
    putDouble(value, encoded, kLittleEndian);
    Append(bytes, encoded, 8);
}

}  // namespace

const std::string kMetresPrj =
    "PROJCS[\"WGS_1984_UTM_Zone_18N\",GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\","
    "6378137.0,298.257223563]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]],"
    "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"False_Easting\",500000.0],PARAMETER[\"False_Northing\","
    "0.0],"
    "PARAMETER[\"Central_Meridian\",-75.0],PARAMETER[\"Scale_Factor\",0.9996],PARAMETER[\"Latitude_Of_"
    "Origin\",0.0],"
    "UNIT[\"Meter\",1.0]]";

void ShapefileBytes::install(FileSystem& files, const std::string& shpPath, const char* shxExtension,
                             const char* dbfExtension) const {
    const auto store = [&](const std::string& path, const void* data, std::size_t size) {
        files.remove(path);  // files are created anew only
        auto file = files.createForWriting(path);
        file->write(data, size);
        file->close();
    };
    const std::string stem = shpPath.substr(0, shpPath.size() - 3);
    store(shpPath, shp.data(), shp.size());
    store(stem + shxExtension, shx.data(), shx.size());
    store(stem + dbfExtension, dbf.data(), dbf.size());
    const bool lower = shxExtension[0] == 's';
    if (prj) {
        store(stem + (lower ? "prj" : "PRJ"), prj->data(), prj->size());
    }
    if (cpg) {
        store(stem + (lower ? "cpg" : "CPG"), cpg->data(), cpg->size());
    }
}

ShapefileBuilder& ShapefileBuilder::feature(Bytes content, std::vector<std::string> values) {
    contents_.push_back(std::move(content));
    values_.push_back(std::move(values));
    return *this;
}

ShapefileBytes ShapefileBuilder::build() const {
    ShapefileBytes files;
    MainHeader header;
    header.shapeType = shapeType_;

    files.shp.resize(MainHeader::kSize);
    files.shx.resize(MainHeader::kSize);
    std::int32_t record = 0;
    for (const Bytes& content : contents_) {
        const auto words = static_cast<std::int32_t>(content.size() / 2);
        AppendInt32(files.shx, static_cast<std::int32_t>(files.shp.size() / 2), kBigEndian);
        AppendInt32(files.shx, words, kBigEndian);
        AppendInt32(files.shp, ++record, kBigEndian);
        AppendInt32(files.shp, words, kBigEndian);
        Append(files.shp, content.data(), content.size());
    }
    header.fileLengthWords = static_cast<std::int32_t>(files.shp.size() / 2);
    header.encode(files.shp.data());
    header.fileLengthWords = static_cast<std::int32_t>(files.shx.size() / 2);
    header.encode(files.shx.data());

    DbfHeader dbfHeader;
    dbfHeader.lastUpdate = {2026, 12, 6};
    dbfHeader.recordCount = static_cast<std::int32_t>(values_.size());
    dbfHeader.headerLength = static_cast<std::uint16_t>(32 + 32 * fields_.size() + 1);
    int recordLength = 1;
    for (const FieldSpec& field : fields_) {
        recordLength += field.length;
    }
    dbfHeader.recordLength = static_cast<std::uint16_t>(recordLength);
    files.dbf.resize(DbfHeader::kSize);
    dbfHeader.encode(files.dbf.data());
    for (const FieldSpec& field : fields_) {
        DbfFieldDescriptor descriptor;
        descriptor.name = field.name;
        descriptor.type = static_cast<std::uint8_t>(field.type);
        descriptor.length = field.length;
        descriptor.decimals = field.decimals;
        std::uint8_t encoded[DbfFieldDescriptor::kSize];
        descriptor.encode(encoded);
        Append(files.dbf, encoded, sizeof encoded);
    }
    files.dbf.push_back(kDbfHeaderTerminator);
    for (const auto& values : values_) {
        files.dbf.push_back(kDbfLiveRecord);
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            const std::string value = i < values.size() ? values[i] : std::string();
            const std::size_t length = fields_[i].length;
            std::string cell = value.substr(0, length);
            const std::string padding(length - cell.size(), ' ');
            cell = rightAlignNumbers_ && fields_[i].type == 'N' ? padding + cell : cell + padding;
            files.dbf.insert(files.dbf.end(), cell.begin(), cell.end());
        }
    }
    files.dbf.push_back(kDbfEndOfFile);
    return files;
}

Bytes PointContent(double x, double y) {
    Bytes content;
    AppendInt32(content, kShapeTypePoint, kLittleEndian);
    AppendDouble(content, x);
    AppendDouble(content, y);
    return content;
}

Bytes PolylineContent(const std::vector<Point>& points) {
    Bytes content;
    AppendInt32(content, kShapeTypePolyline, kLittleEndian);
    PolylineGeometry geometry(static_cast<std::int32_t>(points.size()),
                              PointArray(points.begin(), points.end()));
    AppendDouble(content, geometry.minX);
    AppendDouble(content, geometry.minY);
    AppendDouble(content, geometry.maxX);
    AppendDouble(content, geometry.maxY);
    AppendInt32(content, 1, kLittleEndian);
    AppendInt32(content, static_cast<std::int32_t>(points.size()), kLittleEndian);
    AppendInt32(content, 0, kLittleEndian);
    for (const Point& point : points) {
        AppendDouble(content, point.x);
        AppendDouble(content, point.y);
    }
    return content;
}

Bytes NullContent() {
    Bytes content;
    AppendInt32(content, kShapeTypeNull, kLittleEndian);
    return content;
}

std::vector<FieldSpec> FieldsOf(const DatasetSchema& schema) {
    const auto width = [](std::int32_t value) { return static_cast<std::uint8_t>(value); };
    return {{std::string(schema.companyField), 'N', width(schema.companyDigits)},
            {std::string(schema.codeFields.front()), 'C', width(schema.codeWidth)},
            {std::string(schema.textField), 'C', width(schema.textWidth)}};
}

std::vector<FieldSpec> StopFields() {
    return FieldsOf(kStopsSchema);
}

std::vector<FieldSpec> RouteFields() {
    return FieldsOf(kRoutesSchema);
}

ShapefileBytes StopsShapefile(const std::vector<Stop>& stops) {
    ShapefileBuilder builder(kShapeTypePoint, StopFields());
    for (const Stop& stop : stops) {
        builder.feature(PointContent(stop.x, stop.y), {std::to_string(stop.company), stop.code, stop.name});
    }
    return builder.build();
}

ShapefileBytes RoutesShapefile(const std::vector<Route>& routes) {
    ShapefileBuilder builder(kShapeTypePolyline, RouteFields());
    for (const Route& route : routes) {
        builder.feature(PolylineContent(route.points),
                        {std::to_string(route.company), route.code, route.description});
    }
    return builder.build();
}

std::int32_t Int32At(const Bytes& bytes, std::size_t offset, char order) {
    return getInt32(bytes.data() + offset, order);
}

double DoubleAt(const Bytes& bytes, std::size_t offset) {
    return getDouble(bytes.data() + offset, kLittleEndian);
}

std::string TextAt(const Bytes& bytes, std::size_t offset, std::size_t size) {
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                       bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

}  // namespace tramelo::testing
