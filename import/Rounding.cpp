#include "import/Rounding.h"

#include <array>
#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tramelo {

namespace {

constexpr int kSignificantDigits = 17;
constexpr int kDecimals = 2;

constexpr std::uint64_t kPowersOfTen[] = {
    1ull,
    10ull,
    100ull,
    1000ull,
    10000ull,
    100000ull,
    1000000ull,
    10000000ull,
    100000000ull,
    1000000000ull,
    10000000000ull,
    100000000000ull,
    1000000000000ull,
    10000000000000ull,
    100000000000000ull,
    1000000000000000ull,
    10000000000000000ull,
    100000000000000000ull,
};
constexpr std::uint64_t kPowersOfFive[] = {
    1ull,         5ull,          25ull,         125ull,         625ull,          3125ull,
    15625ull,     78125ull,      390625ull,     1953125ull,     9765625ull,      48828125ull,
    244140625ull, 1220703125ull, 6103515625ull, 30517578125ull, 152587890625ull,
};

// The exact 128-bit product of two 64-bit numbers, as high and low halves.
void Multiply(std::uint64_t a, std::uint64_t b, std::uint64_t& high, std::uint64_t& low) {
    const std::uint64_t aLow = a & 0xFFFFFFFFu;
    const std::uint64_t aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xFFFFFFFFu;
    const std::uint64_t bHigh = b >> 32;
    const std::uint64_t p0 = aLow * bLow;
    const std::uint64_t p1 = aLow * bHigh;
    const std::uint64_t p2 = aHigh * bLow;
    const std::uint64_t middle = (p0 >> 32) + (p1 & 0xFFFFFFFFu) + (p2 & 0xFFFFFFFFu);
    low = (middle << 32) | (p0 & 0xFFFFFFFFu);
    high = aHigh * bHigh + (p1 >> 32) + (p2 >> 32) + (middle >> 32);
}

// value / 10^power for power 0 to 13, each a division by a constant, which compilers turn
// into a multiplication: a division by a power read from a table costs forty cycles or more.
std::uint64_t DivideByPowerOfTen(std::uint64_t value, int power) {
    switch (power) {
    case 0: return value;
    case 1: return value / 10ull;
    case 2: return value / 100ull;
    case 3: return value / 1000ull;
    case 4: return value / 10000ull;
    case 5: return value / 100000ull;
    case 6: return value / 1000000ull;
    case 7: return value / 10000000ull;
    case 8: return value / 100000000ull;
    case 9: return value / 1000000000ull;
    case 10: return value / 10000000000ull;
    case 11: return value / 100000000000ull;
    case 12: return value / 1000000000000ull;
    default: return value / 10000000000000ull;
    }
}

// The same rounding in integer arithmetic, for 1 <= |value| < 1e13 (coordinates in metres or
// degrees): the 17 significant digits are the value times 10^(16 - E), E the decimal
// exponent, rounded to the nearest integer (ties to even, as the decimal conversion does).
// The value is m * 2^e, so that product is m * 5^k * 2^(k + e), exact in 128 bits.
bool RoundInIntegers(double value, double& rounded) {
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1.0 && magnitude < 1e13)) {
        return false;
    }
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int exponent2 = static_cast<int>((bits >> 52) & 0x7FF) - 1075;
    // floor(log10) from floor(log2) (1233 / 4096 is just above log10 2): exact or one less.
    int exponent10 = ((exponent2 + 52) * 1233) >> 12;
    if (magnitude >= static_cast<double>(kPowersOfTen[exponent10 + 1])) {
        ++exponent10;
    }

    // Usually the rounding to 17 digits cannot change the thousandths: it moves the value to
    // the nearest multiple of 10^(E - 16), and every thousandth is such a multiple, so only
    // a value less than half of that below the next thousandth can be carried up to it.
    // Away from there the thousandths are the value times 1000, cut, exactly in 64 bits
    // (mantissa * 1000 < 2^63). This path alone takes 13% off the instructions of a whole
    // merge of the benchmark's set M (2.52 G without it, 2.19 G with it, under callgrind).
    const int fractionBits = -exponent2;  // between 9 and 52 in this range
    const std::uint64_t scaled = mantissa * 1000;
    const std::uint64_t one = std::uint64_t{1} << fractionBits;
    const std::uint64_t fraction = scaled & (one - 1);
    const std::uint64_t carryZone =
        DivideByPowerOfTen(std::uint64_t{1} << (fractionBits - 1), 13 - exponent10) + 1;
    if (fraction + carryZone < one) {
        const std::uint64_t thousandths = scaled >> fractionBits;
        const double result = static_cast<double>(thousandths / 10 + (thousandths % 10 >= 5 ? 1 : 0)) / 100.0;
        rounded = value < 0 ? -result : result;
        return true;
    }

    const int k = kSignificantDigits - 1 - exponent10;
    const int shift = -(k + exponent2);  // between 5 and 48 in this range
    assert(shift > 0 && shift < 64);

    std::uint64_t high = 0;
    std::uint64_t low = 0;
    Multiply(mantissa, kPowersOfFive[k], high, low);
    std::uint64_t digits = (low >> shift) | (high << (64 - shift));
    const std::uint64_t remainder = low & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (remainder > half || (remainder == half && (digits & 1) != 0)) {
        ++digits;
    }
    if (digits == kPowersOfTen[kSignificantDigits]) {  // 9.99...95 rounded up to the next power
        digits = kPowersOfTen[kSignificantDigits - 1];
        ++exponent10;
    }
    // Digit j has the place value 10^(exponent10 - j): keep those down to the hundredths,
    // and look at the one after them.
    const std::uint64_t thousandths = DivideByPowerOfTen(digits, kSignificantDigits - 4 - exponent10);
    const std::uint64_t hundredths = thousandths / 10;
    const std::uint64_t next = thousandths % 10;
    // Both are exact doubles, so the division is the nearest double to the decimal text.
    const double result = static_cast<double>(hundredths + (next >= 5 ? 1 : 0)) / 100.0;
    rounded = value < 0 ? -result : result;
    return true;
}

}  // namespace

double RoundToTwoDecimals(double value) {
    double rounded = 0.0;
    if (RoundInIntegers(value, rounded)) {
        return rounded;
    }
    return RoundToTwoDecimalsByText(value);
}

double RoundToTwoDecimalsByText(double value) {
    if (!std::isfinite(value)) {
        return value;
    }

    // d.dddddddddddddddde±XX: 17 significant digits, correctly rounded.
    std::array<char, 32> scientific{};
    [[maybe_unused]] const auto printed =
        std::to_chars(scientific.data(), scientific.data() + scientific.size(), value,
                      std::chars_format::scientific, kSignificantDigits - 1);
    assert(printed.ec == std::errc());
    const char* cursor = scientific.data();
    const bool negative = *cursor == '-';
    if (negative) {
        ++cursor;
    }
    std::array<char, kSignificantDigits> digits{};
    int count = 0;
    for (; *cursor != 'e'; ++cursor) {
        if (*cursor != '.') {
            digits[static_cast<std::size_t>(count++)] = *cursor;
        }
    }
    const int exponent = std::atoi(cursor + 1);

    // Digit j has the place value 10^(exponent - j): the digits down to the hundredths are
    // the first exponent + 3 of them, and the next one decides the rounding.
    const int kept = exponent + 1 + kDecimals;
    const auto digitAt = [&](int j) {
        return j >= 0 && j < count ? digits[static_cast<std::size_t>(j)] : '0';
    };

    // Hundredths as decimal digits, with one spare place in front for a carry.
    std::array<char, 320> hundredths{};
    int length = 1;
    hundredths[0] = '0';
    for (int j = 0; j < kept; ++j) {
        hundredths[static_cast<std::size_t>(length++)] = digitAt(j);
    }
    while (length < 1 + kDecimals + 1) {  // at least one integer digit and two decimals
        // Too few places: shift right, filling with leading zeros.
        for (int k = length; k > 1; --k) {
            hundredths[static_cast<std::size_t>(k)] = hundredths[static_cast<std::size_t>(k - 1)];
        }
        hundredths[1] = '0';
        ++length;
    }
    if (digitAt(kept) >= '5') {
        int k = length - 1;
        while (hundredths[static_cast<std::size_t>(k)] == '9') {
            hundredths[static_cast<std::size_t>(k--)] = '0';
        }
        ++hundredths[static_cast<std::size_t>(k)];
    }

    // [-]integer.dd, then parsed back.
    std::array<char, 330> text{};
    std::size_t used = 0;
    if (negative) {
        text[used++] = '-';
    }
    for (int k = 0; k < length; ++k) {
        if (k == length - kDecimals) {
            text[used++] = '.';
        }
        text[used++] = hundredths[static_cast<std::size_t>(k)];
    }
    double rounded = 0.0;
    [[maybe_unused]] const auto parsed = std::from_chars(text.data(), text.data() + used, rounded);
    assert(parsed.ec == std::errc());
    return rounded;
}

}  // namespace tramelo
