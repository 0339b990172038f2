#pragma once

// Byte layouts of the .SHP, .SHX and .DBF files (ESRI shapefile, dBASE III without memo).
//
// One small struct per fixed block, with its size, a decoder and an encoder. The structs
// report what the bytes say and judge nothing: checking file codes, shape types and record
// bounds is the importer's business. In .SHP and .SHX files lengths and offsets count
// 16-bit words.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/CalendarDate.h"
#include "base/Geometry.h"

namespace tramelo {

// .SHP and .SHX
constexpr std::int32_t kShapefileCode = 9994;
constexpr std::int32_t kShapefileVersion = 1000;
constexpr std::int32_t kShapeTypeNull = 0;
constexpr std::int32_t kShapeTypePoint = 1;
constexpr std::int32_t kShapeTypePolyline = 3;
// The name the shapefile format gives a shape type; empty for a value it does not define.
constexpr std::string_view ShapeTypeName(std::int32_t type) {
    switch (type) {
    case 0: return "Null";
    case 1: return "Point";
    case 3: return "PolyLine";
    case 5: return "Polygon";
    case 8: return "MultiPoint";
    case 11: return "PointZ";
    case 13: return "PolyLineZ";
    case 15: return "PolygonZ";
    case 18: return "MultiPointZ";
    case 21: return "PointM";
    case 23: return "PolyLineM";
    case 25: return "PolygonM";
    case 28: return "MultiPointM";
    case 31: return "MultiPatch";
    default: return {};
    }
}
constexpr int kMainHeaderSize = 100;
constexpr std::int32_t kMainHeaderWords = kMainHeaderSize / 2;
constexpr int kRecordHeaderSize = 8;
constexpr int kShxEntrySize = 8;
constexpr std::int32_t kShxEntryWords = kShxEntrySize / 2;
constexpr int kPointContentSize = 20;
constexpr int kPolylineBoxOffset = 4;
constexpr int kPolylineNumPartsOffset = 36;
constexpr int kPolylineNumPointsOffset = 40;
constexpr int kPolylineFixedSize = 44;       // up to the part indexes
constexpr int kSinglePartPointsOffset = 48;  // one part index, then the points
constexpr int kPointSize = 16;

// .DBF
constexpr std::uint8_t kDbfVersion = 0x03;
constexpr int kDbfHeaderSize = 32;
constexpr int kDbfDescriptorSize = 32;
constexpr int kDbfFieldNameSize = 11;
constexpr std::uint8_t kDbfHeaderTerminator = 0x0D;
constexpr std::uint8_t kDbfEndOfFile = 0x1A;
constexpr std::uint8_t kDbfLiveRecord = 0x20;

// The 100-byte header shared by .SHP and .SHX (the five reserved words are always 0 when
// written and never read; Z and M ranges are written as 0.0 and never read).
struct MainHeader {
    static constexpr int kSize = kMainHeaderSize;

    std::int32_t fileCode = kShapefileCode;
    std::int32_t fileLengthWords = kMainHeaderWords;
    std::int32_t version = kShapefileVersion;
    std::int32_t shapeType = kShapeTypeNull;
    BoundingBox box;

    static MainHeader decode(const std::uint8_t* bytes);
    void encode(std::uint8_t* bytes) const;
};

// The 8-byte header before each .SHP record content.
struct RecordHeader {
    static constexpr int kSize = kRecordHeaderSize;

    std::int32_t recordNumber = 0;
    std::int32_t contentLengthWords = 0;

    static RecordHeader decode(const std::uint8_t* bytes);
    void encode(std::uint8_t* bytes) const;
};

// One 8-byte .SHX entry: where a .SHP record starts and how long its content is.
struct ShxEntry {
    static constexpr int kSize = kShxEntrySize;

    std::int32_t offsetWords = 0;
    std::int32_t contentLengthWords = 0;

    static ShxEntry decode(const std::uint8_t* bytes);
    void encode(std::uint8_t* bytes) const;
};

// The 32-byte .DBF header. Header and record lengths are unsigned 16-bit on disk.
struct DbfHeader {
    static constexpr int kSize = kDbfHeaderSize;

    std::uint8_t version = kDbfVersion;
    CalendarDate lastUpdate;
    std::int32_t recordCount = 0;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    // The code page of the texts, as a dBASE language driver number; 0 when none is declared.
    std::uint8_t languageDriver = 0;

    static DbfHeader decode(const std::uint8_t* bytes);
    void encode(std::uint8_t* bytes) const;
};

// One 32-byte .DBF field descriptor.
struct DbfFieldDescriptor {
    static constexpr int kSize = kDbfDescriptorSize;

    std::string name;  // the bytes before the first NUL, at most 11
    std::uint8_t type = 'C';
    std::uint8_t length = 0;
    std::uint8_t decimals = 0;

    static DbfFieldDescriptor decode(const std::uint8_t* bytes);
    // A name longer than 11 bytes is cut; a shorter one is padded with NUL bytes.
    void encode(std::uint8_t* bytes) const;
};

// Record contents. A point content is the shape type, X and Y (kPointContentSize bytes);
// a single-part polyline content is the shape type, its box, one part starting at point 0,
// the point count and the points (kSinglePartPointsOffset + kPointSize * points bytes).
// The decoders read what the bytes say; the caller has checked that they are there.
void EncodePointContent(const Point& point, std::uint8_t* content);
Point DecodePointContent(const std::uint8_t* content);
void EncodePolylineContent(const BoundingBox& box, std::span<const Point> points, std::uint8_t* content);

// Points as the .SHP holds them, X then Y of each, little-endian, back to back (kPointSize
// bytes a point).
void EncodePoints(std::span<const Point> points, std::uint8_t* bytes);
void DecodePoints(const std::uint8_t* bytes, std::span<Point> points);

}  // namespace tramelo
