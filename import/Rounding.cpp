#include "import/Rounding.h"

#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tramelo {

namespace {

constexpr int kSignificantDigits = 17;
constexpr int kDecimals = 2;

}  // namespace

double RoundToTwoDecimals(double value) {
    if (!std::isfinite(value)) {
        return value;
    }

    // d.dddddddddddddddde±XX: 17 significant digits, correctly rounded.
    std::array<char, 32> scientific{};
    [[maybe_unused]] const auto printed = std::to_chars(scientific.data(), scientific.data() + scientific.size(),
                                       value, std::chars_format::scientific,
                                       kSignificantDigits - 1);
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
    const auto digitAt = [&](int j) { return j >= 0 && j < count ? digits[static_cast<std::size_t>(j)] : '0'; };

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
