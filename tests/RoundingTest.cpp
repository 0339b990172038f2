#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "import/Rounding.h"

namespace tramelo {
namespace {

// Marked "binary": values where rounding the exact binary value (what "%.2f" does) gives
// another result, so a rounding that took that shortcut fails here.
TEST(RoundingTest, CutsTheSeventeenDigitFormAndRoundsHalfAwayFromZero) {
    struct Case {
        double value;
        double rounded;
    };
    const Case cases[] = {
        {2.125, 2.13},    // binary; held exactly: a tie goes away from zero
        {-2.125, -2.13},  // binary
        {0.125, 0.13},    // binary
        {0.145, 0.14},    // held as 0.14499999999999999
        {5.678, 5.68},
        {1.005, 1.0},  // held as 1.00499999999999989
        {0.005, 0.01},
        {0.0049, 0.0},
        {1.075, 1.08},              // binary; held just below the tie, whose 17-digit form it has
        {563372.245, 563372.25},    // binary
        {4483854.085, 4483854.09},  // binary
        {99.995, 100.0},            // the carry runs into the integer part
        {999.9951, 1000.0},
        {4500000.125, 4500000.13},  // binary
        {12.0, 12.0},
        {0.0, 0.0},
        {1e-300, 0.0},
        {1e20, 1e20},
        {123456789012345678.0, 123456789012345680.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoundToTwoDecimals(c.value), c.rounded) << std::to_string(c.value);
    }
}

TEST(RoundingTest, KeepsSignAndNonFiniteValues) {
    const double minusZero = RoundToTwoDecimals(-0.001);
    EXPECT_EQ(minusZero, 0.0);
    EXPECT_TRUE(std::signbit(minusZero));
    EXPECT_FALSE(std::signbit(RoundToTwoDecimals(0.001)));
    EXPECT_EQ(RoundToTwoDecimals(std::numeric_limits<double>::infinity()),
              std::numeric_limits<double>::infinity());
    EXPECT_EQ(RoundToTwoDecimals(-std::numeric_limits<double>::infinity()),
              -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(RoundToTwoDecimals(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(RoundToTwoDecimals(std::numeric_limits<double>::max()), std::numeric_limits<double>::max());
    EXPECT_EQ(RoundToTwoDecimals(std::numeric_limits<double>::lowest()),
              std::numeric_limits<double>::lowest());
}

TEST(RoundingTest, ResultIsTheNearestDoubleToTheTwoDecimalText) {
    // Every result, printed with two decimals and read back, is itself.
    for (double value = -1000.0; value < 1000.0; value += 0.37123) {
        const double rounded = RoundToTwoDecimals(value);
        char printed[64];
        std::snprintf(printed, sizeof printed, "%.2f", rounded);
        EXPECT_EQ(std::stod(printed), rounded) << value;
        EXPECT_LE(std::fabs(rounded - value), 0.005 + 1e-9) << value;
    }
}

TEST(RoundingTest, IntegerPathAgreesWithTheTextPath) {
    // Random values of every magnitude the integer path takes, and the ties and edges where
    // a slip would show: .xx5 values held above and below, and values next to powers of ten.
    std::uint64_t state = 88172645463325252ull;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    std::vector<double> values;
    for (int i = 0; i < 200000; ++i) {
        const double unit = static_cast<double>(next() >> 11) * 0x1.0p-53;
        values.push_back(std::pow(10.0, -1.0 + 15.0 * unit) * (next() % 2 ? 1 : -1));
        const double tie = std::floor(unit * 1e7) / 100.0 + 0.005;
        values.push_back(tie);
        values.push_back(std::nextafter(tie, 0.0));
        values.push_back(std::nextafter(tie, 1e9));
        // Just below a thousandth, at every magnitude: where rounding to 17 digits carries.
        const double thousandth =
            std::floor(unit * 1e6) / 1000.0 * std::pow(10.0, static_cast<int>(next() % 11));
        values.push_back(std::nextafter(thousandth, 0.0));
        values.push_back(std::nextafter(std::nextafter(thousandth, 0.0), 0.0));
    }
    for (double power = 1.0; power < 1e14; power *= 10.0) {
        for (const double value : {power, std::nextafter(power, 0.0), std::nextafter(power, 1e20),
                                   power - 0.005, power - 0.0051, power - 0.0049}) {
            values.push_back(value);
            values.push_back(-value);
        }
    }
    for (const double value : values) {
        const double fast = RoundToTwoDecimals(value);
        const double text = RoundToTwoDecimalsByText(value);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(text))
            << std::to_string(value) << " " << fast << " " << text;
    }
}

}  // namespace
}  // namespace tramelo
