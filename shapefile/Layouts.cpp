#include "shapefile/Layouts.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

#include "shapefile/ByteOrder.h"

namespace tramelo {

namespace {

constexpr int kFileCodeOffset = 0;
constexpr int kFileLengthOffset = 24;
constexpr int kVersionOffset = 28;
constexpr int kShapeTypeOffset = 32;
constexpr int kBoxOffset = 36;

constexpr int kDbfDateOffset = 1;
constexpr int kDbfRecordCountOffset = 4;
constexpr int kDbfHeaderLengthOffset = 8;
constexpr int kDbfRecordLengthOffset = 10;
constexpr int kDbfLanguageDriverOffset = 29;

constexpr int kContentShapeTypeOffset = 0;
constexpr int kPointXOffset = 4;
constexpr int kPointYOffset = 12;
constexpr int kPolylinePartIndexOffset = kPolylineFixedSize;

constexpr int kDescriptorTypeOffset = 11;
constexpr int kDescriptorLengthOffset = 16;
constexpr int kDescriptorDecimalsOffset = 17;

}  // namespace

MainHeader MainHeader::decode(const std::uint8_t* bytes) {
    MainHeader header;
    header.fileCode = getInt32(bytes + kFileCodeOffset, kBigEndian);
    header.fileLengthWords = getInt32(bytes + kFileLengthOffset, kBigEndian);
    header.version = getInt32(bytes + kVersionOffset, kLittleEndian);
    header.shapeType = getInt32(bytes + kShapeTypeOffset, kLittleEndian);
    header.box.xMin = getDouble(bytes + kBoxOffset, kLittleEndian);
    header.box.yMin = getDouble(bytes + kBoxOffset + 8, kLittleEndian);
    header.box.xMax = getDouble(bytes + kBoxOffset + 16, kLittleEndian);
    header.box.yMax = getDouble(bytes + kBoxOffset + 24, kLittleEndian);
    return header;
}

void MainHeader::encode(std::uint8_t* bytes) const {
    std::memset(bytes, 0, kSize);  // reserved words, Z and M ranges
    putInt32(fileCode, bytes + kFileCodeOffset, kBigEndian);
    putInt32(fileLengthWords, bytes + kFileLengthOffset, kBigEndian);
    putInt32(version, bytes + kVersionOffset, kLittleEndian);
    putInt32(shapeType, bytes + kShapeTypeOffset, kLittleEndian);
    putDouble(box.xMin, bytes + kBoxOffset, kLittleEndian);
    putDouble(box.yMin, bytes + kBoxOffset + 8, kLittleEndian);
    putDouble(box.xMax, bytes + kBoxOffset + 16, kLittleEndian);
    putDouble(box.yMax, bytes + kBoxOffset + 24, kLittleEndian);
}

RecordHeader RecordHeader::decode(const std::uint8_t* bytes) {
    return {getInt32(bytes, kBigEndian), getInt32(bytes + 4, kBigEndian)};
}

void RecordHeader::encode(std::uint8_t* bytes) const {
    putInt32(recordNumber, bytes, kBigEndian);
    putInt32(contentLengthWords, bytes + 4, kBigEndian);
}

ShxEntry ShxEntry::decode(const std::uint8_t* bytes) {
    return {getInt32(bytes, kBigEndian), getInt32(bytes + 4, kBigEndian)};
}

void ShxEntry::encode(std::uint8_t* bytes) const {
    putInt32(offsetWords, bytes, kBigEndian);
    putInt32(contentLengthWords, bytes + 4, kBigEndian);
}

DbfHeader DbfHeader::decode(const std::uint8_t* bytes) {
    DbfHeader header;
    header.version = bytes[0];
    header.lastUpdate = {1900 + bytes[kDbfDateOffset], bytes[kDbfDateOffset + 1], bytes[kDbfDateOffset + 2]};
    header.recordCount = getInt32(bytes + kDbfRecordCountOffset, kLittleEndian);
    header.headerLength = static_cast<std::uint16_t>(getInt16(bytes + kDbfHeaderLengthOffset, kLittleEndian));
    header.recordLength = static_cast<std::uint16_t>(getInt16(bytes + kDbfRecordLengthOffset, kLittleEndian));
    header.languageDriver = bytes[kDbfLanguageDriverOffset];
    return header;
}

void DbfHeader::encode(std::uint8_t* bytes) const {
    std::memset(bytes, 0, kSize);
    bytes[0] = version;
    // The year is kept as years since 1900 in one byte; only its low 8 bits fit.
    bytes[kDbfDateOffset] = static_cast<std::uint8_t>(lastUpdate.year - 1900);
    bytes[kDbfDateOffset + 1] = static_cast<std::uint8_t>(lastUpdate.month);
    bytes[kDbfDateOffset + 2] = static_cast<std::uint8_t>(lastUpdate.day);
    putInt32(recordCount, bytes + kDbfRecordCountOffset, kLittleEndian);
    putInt16(headerLength, bytes + kDbfHeaderLengthOffset, kLittleEndian);
    putInt16(recordLength, bytes + kDbfRecordLengthOffset, kLittleEndian);
    bytes[kDbfLanguageDriverOffset] = languageDriver;
}

DbfFieldDescriptor DbfFieldDescriptor::decode(const std::uint8_t* bytes) {
    DbfFieldDescriptor descriptor;
    const auto* name = reinterpret_cast<const char*>(bytes);
    descriptor.name.assign(name, std::find(name, name + kDbfFieldNameSize, '\0'));
    descriptor.type = bytes[kDescriptorTypeOffset];
    descriptor.length = bytes[kDescriptorLengthOffset];
    descriptor.decimals = bytes[kDescriptorDecimalsOffset];
    return descriptor;
}

void DbfFieldDescriptor::encode(std::uint8_t* bytes) const {
    std::memset(bytes, 0, kSize);
    std::copy_n(name.data(), std::min<std::size_t>(name.size(), kDbfFieldNameSize), bytes);
    bytes[kDescriptorTypeOffset] = type;
    bytes[kDescriptorLengthOffset] = length;
    bytes[kDescriptorDecimalsOffset] = decimals;
}

void EncodePointContent(const Point& point, std::uint8_t* content) {
    putInt32(kShapeTypePoint, content + kContentShapeTypeOffset, kLittleEndian);
    putDouble(point.x, content + kPointXOffset, kLittleEndian);
    putDouble(point.y, content + kPointYOffset, kLittleEndian);
}

Point DecodePointContent(const std::uint8_t* content) {
    return {getDouble(content + kPointXOffset, kLittleEndian),
            getDouble(content + kPointYOffset, kLittleEndian)};
}

void EncodePolylineContent(const BoundingBox& box, std::span<const Point> points, std::uint8_t* content) {
    putInt32(kShapeTypePolyline, content + kContentShapeTypeOffset, kLittleEndian);
    putDouble(box.xMin, content + kPolylineBoxOffset, kLittleEndian);
    putDouble(box.yMin, content + kPolylineBoxOffset + 8, kLittleEndian);
    putDouble(box.xMax, content + kPolylineBoxOffset + 16, kLittleEndian);
    putDouble(box.yMax, content + kPolylineBoxOffset + 24, kLittleEndian);
    putInt32(1, content + kPolylineNumPartsOffset, kLittleEndian);
    putInt32(static_cast<std::int32_t>(points.size()), content + kPolylineNumPointsOffset, kLittleEndian);
    putInt32(0, content + kPolylinePartIndexOffset, kLittleEndian);
    EncodePoints(points, content + kSinglePartPointsOffset);
}

namespace {

// Where the file's bytes of a point are the point's own bytes in memory (a little-endian
// host, no padding), a run of points is copied whole: routes carry most of a dataset's bytes.
constexpr bool kPointsAreFileBytes = std::endian::native == std::endian::little &&
                                     sizeof(Point) == kPointSize && std::is_trivially_copyable_v<Point>;

}  // namespace

void EncodePoints(std::span<const Point> points, std::uint8_t* bytes) {
    if constexpr (kPointsAreFileBytes) {
        if (!points.empty()) {
            std::memcpy(bytes, points.data(), points.size_bytes());
        }
    } else {
        for (const Point& point : points) {
            putDouble(point.x, bytes, kLittleEndian);
            putDouble(point.y, bytes + 8, kLittleEndian);
            bytes += kPointSize;
        }
    }
}

void DecodePoints(const std::uint8_t* bytes, std::span<Point> points) {
    if constexpr (kPointsAreFileBytes) {
        if (!points.empty()) {
            std::memcpy(points.data(), bytes, points.size_bytes());
        }
    } else {
        for (Point& point : points) {
            point.x = getDouble(bytes, kLittleEndian);
            point.y = getDouble(bytes + 8, kLittleEndian);
            bytes += kPointSize;
        }
    }
}

}  // namespace tramelo
