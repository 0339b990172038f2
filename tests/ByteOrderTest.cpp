#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "shapefile/ByteOrder.h"

namespace tramelo {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes Of(const std::array<std::uint8_t, N>& bytes) {
    return Bytes(bytes.begin(), bytes.end());
}

Bytes PutInt32(std::int32_t value, char order) {
    Bytes bytes(4);
    putInt32(value, bytes.data(), order);
    return bytes;
}

Bytes PutDouble(double value, char order) {
    Bytes bytes(8);
    putDouble(value, bytes.data(), order);
    return bytes;
}

TEST(ByteOrderTest, EncodesKnownVectors) {
    EXPECT_EQ(PutInt32(9994, 'B'), (Bytes{0x00, 0x00, 0x27, 0x0A}));
    EXPECT_EQ(PutInt32(1000, 'L'), (Bytes{0xE8, 0x03, 0x00, 0x00}));
    EXPECT_EQ(PutInt32(-1, 'B'), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(PutInt32(0x12345678, 'L'), (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(PutInt32(0x12345678, 'B'), (Bytes{0x12, 0x34, 0x56, 0x78}));

    Bytes int16(2);
    putInt16(129, int16.data(), 'L');
    EXPECT_EQ(int16, (Bytes{0x81, 0x00}));
    putInt16(0x12345, int16.data(), 'B');  // only the low 16 bits are stored
    EXPECT_EQ(int16, (Bytes{0x23, 0x45}));

    EXPECT_EQ(PutDouble(1.0, 'L'), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    EXPECT_EQ(PutDouble(1.0, 'B'), (Bytes{0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(PutDouble(-0.0, 'L'), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80}));
}

TEST(ByteOrderTest, AnyOrderButCapitalBIsLittleEndian) {
    const Bytes bytes{0x78, 0x56, 0x34, 0x12};
    for (const char order : {'L', 'l', 'b', 'x', '\0'}) {
        EXPECT_EQ(getInt32(bytes.data(), order), 0x12345678) << "order " << int{order};
        EXPECT_EQ(PutInt32(0x12345678, order), bytes) << "order " << int{order};
    }
    EXPECT_EQ(getInt32(bytes.data(), 'B'), 0x78563412);
}

TEST(ByteOrderTest, DecodesSignedValues) {
    const Bytes minusTwo{0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(getInt32(minusTwo.data(), 'L'), -2);
    const Bytes int16Max{0xFF, 0xFF};
    EXPECT_EQ(getInt16(int16Max.data(), 'L'), -1);
    EXPECT_EQ(static_cast<std::uint16_t>(getInt16(int16Max.data(), 'L')), 65535);
    const Bytes header{0x81, 0x00};
    EXPECT_EQ(getInt16(header.data(), 'L'), 129);
    EXPECT_EQ(getInt16(header.data(), 'B'), static_cast<std::int16_t>(0x8100));
}

TEST(ByteOrderTest, DoublesTravelAsBitPatterns) {
    const double values[] = {0.0,
                             -0.0,
                             2.2250738585072014e-308,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::lowest(),
                             std::numeric_limits<double>::infinity(),
                             -123456.78499999999767};
    for (const double value : values) {
        for (const char order : {'L', 'B'}) {
            const Bytes bytes = PutDouble(value, order);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(getDouble(bytes.data(), order)),
                      std::bit_cast<std::uint64_t>(value));
        }
    }
    // A NaN keeps its payload: nothing is normalised on the way.
    const double nan = std::bit_cast<double>(std::uint64_t{0x7FF8000000000123});
    const Bytes bytes = PutDouble(nan, 'L');
    EXPECT_EQ(std::bit_cast<std::uint64_t>(getDouble(bytes.data(), 'L')), 0x7FF8000000000123u);
}

}  // namespace
}  // namespace tramelo
