#include "convert/decimal_text.hpp"
#include "convert/numeric_value.hpp"
#include "convert/speed_text_memo.hpp"

#include <cstdint>
#include <cstdio>
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
        // Just below 10^15, rounded up to it: 16 digits before the point.
        {999999999999999.875, "1000000000000000"},
        {-999999999999999.5, "-1000000000000000"},
    };
    for (const Case& c : cases) {
        double readBack = 0;
        EXPECT_EQ(CoordinateText(c.value, &readBack).view(), c.expected) << c.value;
        EXPECT_EQ(readBack, NumericValue(c.expected)) << c.value;
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

namespace zum {
namespace {

// The table must answer exactly what the direct reading and rounding give,
// whichever fields share a slot and however often the unit changes.
TEST(SpeedTextMemo, AnswersAsTheDirectReadingDoes) {
    SpeedTextMemo memo;
    const double factors[] = {1.0, 1.609 / 0.8689, 1.0 / 0.8689};
    NumberText text;
    std::uint64_t state = 511;
    for (int i = 0; i < 200000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        // Mostly the short fields a log holds, some too long for the table,
        // some not numbers, some whose texts are too long to keep.
        char field[16];
        const int kind = static_cast<int>(state >> 60);
        const unsigned value = static_cast<unsigned>(state >> 33) % 4000;
        int n = 0;
        if (kind < 10) {
            n = std::snprintf(field, sizeof field, "%u.%u", value / 10, value % 10);
        } else if (kind < 12) {
            n = std::snprintf(field, sizeof field, "%03u.%02u", value / 10, value % 100);
        } else if (kind < 13) {
            n = std::snprintf(field, sizeof field, "%.1e", value * 1e12);
        } else if (kind < 14) {
            n = std::snprintf(field, sizeof field, "-%u", value);
        } else {
            n = std::snprintf(field, sizeof field, "%c%u", "x. "[value % 3], value % 7);
        }
        const std::string_view view(field, static_cast<std::size_t>(n));
        const double factor = factors[(state >> 20) % 3];
        memo.Text(view, factor, text);
        const NumberText expected = SpeedText(NumericValue(view) * factor);
        ASSERT_EQ(text.view(), expected.view()) << view << " x " << factor;
    }
}

} // namespace
} // namespace zum
