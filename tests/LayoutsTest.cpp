#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "shapefile/Layouts.h"

namespace tramelo {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(LayoutsTest, MainHeaderPlacesEveryFieldInItsOrder) {
    MainHeader header;
    header.fileLengthWords = 64;
    header.shapeType = kShapeTypePoint;
    header.box = {10.5, 20.25, 10.5, 20.25};
    Bytes bytes(MainHeader::kSize, 0xAA);
    header.encode(bytes.data());

    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0x00, 0x00, 0x27, 0x0A}));
    EXPECT_EQ(Bytes(bytes.begin() + 4, bytes.begin() + 24), Bytes(20, 0));  // reserved
    EXPECT_EQ(Bytes(bytes.begin() + 24, bytes.begin() + 28), (Bytes{0, 0, 0, 64}));
    EXPECT_EQ(Bytes(bytes.begin() + 28, bytes.begin() + 32), (Bytes{0xE8, 0x03, 0, 0}));
    EXPECT_EQ(Bytes(bytes.begin() + 32, bytes.begin() + 36), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(Bytes(bytes.begin() + 68, bytes.end()), Bytes(32, 0));  // Z and M ranges

    const MainHeader decoded = MainHeader::decode(bytes.data());
    EXPECT_EQ(decoded.fileCode, 9994);
    EXPECT_EQ(decoded.fileLengthWords, 64);
    EXPECT_EQ(decoded.version, 1000);
    EXPECT_EQ(decoded.shapeType, 1);
    EXPECT_EQ(decoded.box.xMin, 10.5);
    EXPECT_EQ(decoded.box.yMin, 20.25);
    EXPECT_EQ(decoded.box.xMax, 10.5);
    EXPECT_EQ(decoded.box.yMax, 20.25);
}

TEST(LayoutsTest, RecordHeaderAndShxEntryAreBigEndian) {
    Bytes bytes(8);
    RecordHeader{1, 10}.encode(bytes.data());
    EXPECT_EQ(bytes, (Bytes{0, 0, 0, 1, 0, 0, 0, 10}));
    ShxEntry{50, 48}.encode(bytes.data());
    EXPECT_EQ(bytes, (Bytes{0, 0, 0, 50, 0, 0, 0, 48}));
    const ShxEntry entry = ShxEntry::decode(bytes.data());
    EXPECT_EQ(entry.offsetWords, 50);
    EXPECT_EQ(entry.contentLengthWords, 48);
}

TEST(LayoutsTest, DbfHeaderCarriesDateCountAndLengths) {
    DbfHeader header;
    header.lastUpdate = {2026, 12, 6};
    header.recordCount = 3;
    header.headerLength = 129;
    header.recordLength = 56;
    Bytes bytes(DbfHeader::kSize, 0xAA);
    header.encode(bytes.data());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 12),
              (Bytes{0x03, 0x7E, 0x0C, 0x06, 3, 0, 0, 0, 0x81, 0x00, 0x38, 0x00}));
    EXPECT_EQ(Bytes(bytes.begin() + 12, bytes.end()), Bytes(20, 0));

    // The year keeps only its low 8 bits; lengths read back unsigned.
    header.lastUpdate = {2156, 1, 31};
    header.headerLength = 65535;
    header.encode(bytes.data());
    EXPECT_EQ(bytes[1], 0);
    const DbfHeader decoded = DbfHeader::decode(bytes.data());
    EXPECT_EQ(decoded.headerLength, 65535);
    EXPECT_EQ(decoded.recordLength, 56);
    EXPECT_EQ(decoded.recordCount, 3);
}

TEST(LayoutsTest, FieldDescriptorNameIsNulPaddedAndCut) {
    Bytes bytes(DbfFieldDescriptor::kSize, 0xAA);
    DbfFieldDescriptor descriptor{"COD_FERM", 'C', 10, 0};
    descriptor.encode(bytes.data());
    const Bytes expected{'C', 'O', 'D', '_', 'F', 'E', 'R', 'M', 0, 0, 0, 'C', 0, 0, 0, 0, 10, 0};
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 18), expected);
    EXPECT_EQ(Bytes(bytes.begin() + 18, bytes.end()), Bytes(14, 0));

    // Eleven characters leave no NUL; the name read back stops at the type byte.
    descriptor.name = "ABCDEFGHIJKLMN";
    descriptor.encode(bytes.data());
    EXPECT_EQ(bytes[10], 'K');
    EXPECT_EQ(bytes[11], 'C');
    EXPECT_EQ(DbfFieldDescriptor::decode(bytes.data()).name, "ABCDEFGHIJK");

    bytes[3] = 0;  // a NUL ends the name even with bytes after it
    EXPECT_EQ(DbfFieldDescriptor::decode(bytes.data()).name, "ABC");
}

}  // namespace
}  // namespace tramelo
