// The fast number paths against the general ones over millions of generated
// values: coordinate texts against the C library's 15-digit rounding, and the
// one-pass coordinate field reading against reading the field's parts.
#include "convert/decimal_text.hpp"
#include "convert/numeric_value.hpp"
#include "convert/position_report.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace zum::testing {
namespace {

// Values per table: enough to cross every digit count and magnitude many
// times, few enough for a second or two under the sanitizers.
constexpr int kValues = 600000;

// printf's "%.14e" digits laid out as a plain decimal, trailing zeros dropped.
std::string PlainDecimalOfPrintf(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    std::string digits;
    for (const char* p = buffer; *p != 'e'; ++p) {
        digits += std::isdigit(static_cast<unsigned char>(*p)) != 0 ? std::string(1, *p) : "";
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    if (digits.empty()) {
        return "0";
    }
    const std::string sign = value < 0 ? "-" : "";
    const int point = std::atoi(std::strchr(buffer, 'e') + 1) + 1;
    if (point <= 0) {
        return sign + "." + std::string(-point, '0') + digits;
    }
    if (static_cast<int>(digits.size()) <= point) {
        return sign + digits + std::string(point - digits.size(), '0');
    }
    return sign + digits.insert(point, ".");
}

TEST(NumberTables, CoordinateTextHasPrintfsDigitsAndReadsBackExactly) {
    std::mt19937_64 random(511);
    std::uniform_real_distribution<double> exponent(-7.0, 16.0);
    std::uniform_int_distribution<std::int64_t> wide(0, 99999999999999999);
    for (int i = 0; i < kValues; ++i) {
        double value = 0;
        switch (i % 3) {
        case 0: // any magnitude a coordinate or speed has, and beyond
            value = std::pow(10.0, exponent(random));
            break;
        case 1: // 16 and 17 significant digits: the 15-digit rounding is near a half
            value = static_cast<double>(wide(random) / 10 * 10 + 5) / std::pow(10.0, i % 19);
            break;
        default: // coordinates as receivers give them
            value = static_cast<double>(wide(random) % 18000000000) / 1e8 +
                    static_cast<double>(wide(random) % 100000000) / 6e9;
            break;
        }
        value = (i & 8) != 0 ? -value : value;
        double readBack = 0;
        const NumberText text = CoordinateText(value, &readBack);
        const std::string expected = PlainDecimalOfPrintf(value);
        ASSERT_EQ(text.view(), expected) << value;
        ASSERT_EQ(readBack, std::strtod(expected.c_str(), nullptr)) << value;
    }
}

// The tenths of printf's 15 digits, rounded half away from zero by the
// hundredths digit, at least one digit before the point, no "-" on zero.
std::string TenthsOfPrintf(double value) {
    std::string plain = PlainDecimalOfPrintf(value);
    const bool negative = plain[0] == '-';
    plain = plain.substr(negative ? 1 : 0) + (plain.find('.') == std::string::npos ? "." : "");
    plain += "00";
    const std::size_t point = plain.find('.');
    std::string tenths = "0" + plain.substr(0, point) + plain[point + 1]; // room for a carry
    if (plain[point + 2] >= '5') {
        std::size_t i = tenths.size() - 1;
        for (; tenths[i] == '9'; --i) {
            tenths[i] = '0';
        }
        ++tenths[i];
    }
    tenths.erase(0, std::min(tenths.find_first_not_of('0'), tenths.size() - 2));
    const bool zero = tenths.find_first_not_of('0') == std::string::npos;
    return (negative && !zero ? "-" : "") + tenths.insert(tenths.size() - 1, ".");
}

TEST(NumberTables, SpeedTextHasTheTenthsOfPrintfsDigits) {
    std::mt19937_64 random(1852);
    std::uniform_real_distribution<double> exponent(-4.0, 15.0);
    std::uniform_int_distribution<std::int64_t> hundredths(0, 99999999);
    for (int i = 0; i < kValues; ++i) {
        double value = 0;
        switch (i % 3) {
        case 0: // every magnitude, up to where the integer path ends and beyond
            value = std::pow(10.0, exponent(random));
            break;
        case 1: // speeds near a half tenth, and knots turned into km/h and mph
            value = static_cast<double>(hundredths(random) / 10 * 10 + 5) / 100.0 *
                    (i % 2 == 0 ? 1.852 : 1.150779);
            break;
        default: // just below a carry into a new digit: 9.95, 99.95, ...
            value = std::pow(10.0, static_cast<double>(i % 12)) - 0.05 +
                    static_cast<double>(hundredths(random) % 3 - 1) * 1e-9;
            break;
        }
        value = (i & 8) != 0 ? -value : value;
        ASSERT_EQ(SpeedText(value).view(), TenthsOfPrintf(value)) << value;
    }
}

TEST(NumberTables, OnePassCoordinateFieldsMatchTheirParts) {
    std::mt19937_64 random(2006);
    for (int i = 0; i < kValues; ++i) {
        // 0 to 9 digits, a point or none, 0 to 9 digits: up to 18 digits, so
        // the general path is taken too.
        std::string field;
        const int whole = static_cast<int>(random() % 10);
        const int fraction = static_cast<int>(random() % 10);
        const bool zeros = random() % 16 == 0;
        for (int d = 0; d < whole; ++d) {
            field += zeros ? '0' : static_cast<char>('0' + random() % 10);
        }
        if (random() % 8 != 0) {
            field += '.';
            for (int d = 0; d < fraction; ++d) {
                field += zeros ? '0' : static_cast<char>('0' + random() % 10);
            }
        }
        ASSERT_EQ(CoordinateDegrees(field), CoordinateDegreesByParts(field)) << '"' << field << '"';
    }
}

} // namespace
} // namespace zum::testing
