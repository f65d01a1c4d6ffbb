#include "convert/decimal_text.hpp"

#include <gtest/gtest.h>
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
        {0.5, ".5"},
        {-0.5, "-.5"},
        {0, "0"},
        {-0.0, "0"},
        {119.0 + 51.5388 / 60, "119.85898"},
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

TEST(SpeedText, OneDecimalRoundedHalfAwayFromZero) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0.0"},
        {-0.0, "0.0"},
        {0.05, "0.1"},
        {-0.04, "0.0"}, // never "-0.0"
        {1.15, "1.2"},
        {101.75, "101.8"},
        {9.96, "10.0"},
        {99.95, "100.0"},
        {-1.25, "-1.3"},
        {10 * (1.609 / 0.8689), "18.5"},
        {23.2 * (1.0 / 0.8689), "26.7"},
        {1e20, "100000000000000000000.0"},
        {1e-300, "0.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SpeedText(c.value).view(), c.expected) << c.value;
    }
}

} // namespace
} // namespace zum
