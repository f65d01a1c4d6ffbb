#include "convert/decimal_text.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace zum {
namespace {

TEST(CoordinateText, FifteenSignificantDigitsAsAPlainDecimal) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {39.51451333333333, "39.5145133333333"},
        {-119.85898, "-119.85898"},
        {40, "40"},
        {0.5, ".5"},
        {-0.5, "-.5"},
        {0, "0"},
        {-0.0, "0"},
        {119.0 + 51.5388 / 60, "119.85898"},
        {39.0 + 30.5454 / 60, "39.50909"},
        {0.00001, ".00001"}, // never an exponent
        {-0.000123456789012345678, "-.000123456789012346"},
        {1e20, "100000000000000000000"},
        {123456789012345678.0, "123456789012346000"},
        {99.99999999999999, "100"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CoordinateText(c.value).view(), c.expected) << c.value;
    }
    EXPECT_EQ(CoordinateText(1e-300).view(), "." + std::string(299, '0') + "1");
    EXPECT_EQ(CoordinateText(-1.7976931348623157e308).size(), 310u);
}

TEST(CoordinateText, GivesTheDigitsOfPrintfG15) {
    // Same digits as "%.15g" for ordinary coordinates, the form the output
    // files have always had.
    std::mt19937_64 random(511);
    std::uniform_real_distribution<double> degrees(-180.0, 180.0);
    std::uniform_real_distribution<double> exponent(-7.0, 17.0);
    std::uniform_int_distribution<int> minutes(0, 599999);
    for (int i = 0; i < 60000; ++i) {
        double value = degrees(random);
        if (i % 3 == 1) { // every magnitude, from far below a degree to far above
            value = std::copysign(std::pow(10.0, exponent(random)), value);
        } else if (i % 3 == 2) { // as read from a ddmm.mmmm field
            value = static_cast<int>(value) + minutes(random) / 10000.0 / 60.0;
        }
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.15g", value);
        const std::string text = CoordinateText(value).str();
        ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        // Decimals of 15 significant digits are distinct 64-bit floats, so
        // equal values mean equal digits.
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), std::strtod(expected, nullptr))
            << value << ": " << text << " vs " << expected;
    }
}

TEST(SpeedText, OneDecimalRoundedHalfAwayFromZero) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0.0"},
        {-0.0, "0.0"},
        {0.04, "0.0"},
        {0.05, "0.1"},
        {-0.04, "0.0"}, // never "-0.0"
        {1.15, "1.2"},
        {0.25, "0.3"},
        {101.75, "101.8"},
        {10.0, "10.0"},
        {9.96, "10.0"},
        {99.95, "100.0"},
        {-1.25, "-1.3"},
        {10 * (1.609 / 0.8689), "18.5"},
        {10 * (1.0 / 0.8689), "11.5"},
        {23.2 * (1.0 / 0.8689), "26.7"},
        {0.004, "0.0"},
        {1e20, "100000000000000000000.0"},
        {1e-300, "0.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SpeedText(c.value).view(), c.expected) << c.value;
    }
}

} // namespace
} // namespace zum
