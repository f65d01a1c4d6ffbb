#include "convert/numeric_value.hpp"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace zum {
namespace {

TEST(NumericValue, ReadsTheNumberAtTheStartOfAText) {
    const std::pair<std::string, double> cases[] = {
        {"3930.8708", 3930.8708},
        {"", 0},
        {"abc", 0},
        {"+13", 13},
        {".5", 0.5},
        {"5.", 5},
        {"1.2.3", 1.2}, // at most one point
        {"12abc", 12},
        {" 1 2\t3\n4 ", 1234}, // blanks are skipped wherever they stand
        {"- 5", -5},
        {"1E3", 1000},
        {"1e-2", 0.01},
        {"2.5D2", 250}, // D exponents
        {"2.5d+2", 250},
        {"1E", 1},         // an exponent without digits is not part of the number
        {"&HFFFF", 65535}, // hexadecimal and octal whole numbers
        {"&O17", 15},
        {"&X1", 0},
        {"&H", 0},
        {"--5", 0},
        {"1,5", 1},   // commas are not recognised
        {"1E400", 0}, // too large for a 64-bit float
        {"0x10", 0},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_DOUBLE_EQ(NumericValue(text), expected) << '"' << text << '"';
    }
}

TEST(NumericValue, RoundsCorrectlyAndStaysBoundedOnHugeFields) {
    EXPECT_EQ(NumericValue("0.1"), 0.1);
    EXPECT_EQ(NumericValue("39.5145133333333"), 39.5145133333333);
    // A megabyte of digits: read without trouble, rounded as a whole.
    const std::string ones(1 << 20, '1');
    EXPECT_DOUBLE_EQ(NumericValue("." + ones), 1.0 / 9.0);
    EXPECT_EQ(NumericValue(ones), 0.0); // far beyond a 64-bit float
    EXPECT_EQ(NumericValue("0." + std::string(5000, '0') + "1"), 0.0);
    EXPECT_DOUBLE_EQ(NumericValue(std::string(5000, '0') + "42"), 42.0);
    // Digits beyond the kept ones still decide a rounding tie.
    const std::string tie = "9007199254740993." + std::string(900, '0') + "1";
    EXPECT_EQ(NumericValue(tie), 9007199254740994.0);
}

TEST(RoundToInt16, HalvesGoToTheEvenNeighbourAndOverflowIsVisible) {
    const std::pair<double, std::optional<std::int16_t>> cases[] = {
        {2.5, 2},
        {3.5, 4},
        {-3.5, -4},
        {2.5001, 3},
        {32767.4, 32767},
        {32767.5, std::nullopt},
        {-32768.5, -32768},
        {-32768.6, std::nullopt},
        {1e300, std::nullopt},
    };
    for (const auto& [x, expected] : cases) {
        EXPECT_EQ(RoundToInt16(x), expected) << x;
    }
}

} // namespace
} // namespace zum
