#pragma once

// Byte-order primitives for every multi-byte field of the .SHP, .SHX and .DBF layouts.
//
// Each takes the order as one character: 'B' selects big-endian, any other character
// little-endian (callers pass 'L'). Values are shifted in and out byte by byte, so the
// bytes are the same on any host; doubles travel as their 64-bit IEEE 754 pattern.
// REQUIRES: the buffer holds at least 2, 4 or 8 bytes at the given position.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace tramelo {

constexpr char kBigEndian = 'B';
constexpr char kLittleEndian = 'L';

namespace byteorder_detail {

// Written as one expression per byte rather than a loop, so that compilers see a plain load
// or store (with a byte swap where the order differs from the host's) and emit just that.
template <std::size_t... I>
constexpr void putLittle(std::uint64_t bits, std::uint8_t* destination, std::index_sequence<I...>) {
    ((destination[I] = static_cast<std::uint8_t>(bits >> (8 * I))), ...);
}

template <std::size_t... I>
constexpr void putBig(std::uint64_t bits, std::uint8_t* destination, std::index_sequence<I...>) {
    ((destination[I] = static_cast<std::uint8_t>(bits >> (8 * (sizeof...(I) - 1 - I)))), ...);
}

template <std::size_t... I>
constexpr std::uint64_t getLittle(const std::uint8_t* source, std::index_sequence<I...>) {
    return ((std::uint64_t{source[I]} << (8 * I)) | ...);
}

template <std::size_t... I>
constexpr std::uint64_t getBig(const std::uint8_t* source, std::index_sequence<I...>) {
    return ((std::uint64_t{source[I]} << (8 * (sizeof...(I) - 1 - I))) | ...);
}

template <std::size_t kBytes>
constexpr void putBits(std::uint64_t bits, std::uint8_t* destination, char order) {
    if (order == kBigEndian) {
        putBig(bits, destination, std::make_index_sequence<kBytes>{});
    } else {
        putLittle(bits, destination, std::make_index_sequence<kBytes>{});
    }
}

template <std::size_t kBytes>
constexpr std::uint64_t getBits(const std::uint8_t* source, char order) {
    return order == kBigEndian ? getBig(source, std::make_index_sequence<kBytes>{})
                               : getLittle(source, std::make_index_sequence<kBytes>{});
}

}  // namespace byteorder_detail

// Stores the low 16 bits of value.
constexpr void putInt16(std::int32_t value, std::uint8_t* destination, char order) {
    byteorder_detail::putBits<2>(static_cast<std::uint16_t>(value), destination, order);
}

constexpr void putInt32(std::int32_t value, std::uint8_t* destination, char order) {
    byteorder_detail::putBits<4>(static_cast<std::uint32_t>(value), destination, order);
}

constexpr void putDouble(double value, std::uint8_t* destination, char order) {
    byteorder_detail::putBits<8>(std::bit_cast<std::uint64_t>(value), destination, order);
}

// The 16-bit value as signed; callers that need it unsigned cast it to std::uint16_t.
constexpr std::int16_t getInt16(const std::uint8_t* source, char order) {
    return static_cast<std::int16_t>(byteorder_detail::getBits<2>(source, order));
}

constexpr std::int32_t getInt32(const std::uint8_t* source, char order) {
    return static_cast<std::int32_t>(byteorder_detail::getBits<4>(source, order));
}

constexpr double getDouble(const std::uint8_t* source, char order) {
    return std::bit_cast<double>(byteorder_detail::getBits<8>(source, order));
}

}  // namespace tramelo
