// The fast number and field paths against the general ones over many
// generated values: coordinate texts against the C library's 15-digit
// rounding, the one-pass coordinate field reading against reading the
// field's parts, and the field splitting and position filter against a
// character-by-character reading.
#include "convert/conversion_run.hpp"
#include "convert/decimal_text.hpp"
#include "convert/fix_status.hpp"
#include "convert/nmea_fields.hpp"
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
#include <string_view>
#include <vector>

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
    double previous = 1.0;
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

        // Two at once, as a position's are: each as it is alone, whichever
        // path the other takes (zero, infinity and huge values take the
        // general one).
        constexpr double kOthers[] = {0.0, INFINITY, 1e300, 39.5, -119.8};
        const double other = i % 7 == 0 ? kOthers[i % 5] : previous;
        NumberText first;
        NumberText second;
        double firstBack = -1;
        double secondBack = -1;
        CoordinateTextPair(other, value, first, second, &firstBack, &secondBack);
        double otherBack = -1;
        ASSERT_EQ(first.view(), CoordinateText(other, &otherBack).view()) << other;
        ASSERT_EQ(firstBack, otherBack) << other;
        ASSERT_EQ(second.view(), expected) << value;
        ASSERT_EQ(secondBack, readBack) << value;
        previous = value;
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
    constexpr char kOdd[] = "-+. ,eEx";
    for (int i = 0; i < kValues; ++i) {
        // 0 to 9 digits, a point or none, 0 to 9 digits: up to 18 digits, so
        // the general path is taken too; now and then a sign, a second point
        // or another character in place of a digit.
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
        if (!field.empty() && random() % 16 == 0) {
            field[random() % field.size()] = kOdd[random() % (sizeof kOdd - 1)];
        }
        const double expected = CoordinateDegreesByParts(field);
        ASSERT_EQ(CoordinateDegrees(field), expected) << '"' << field << '"';
        // Read sixteen bytes at a time when they may be, whatever follows
        // the field in the line.
        const std::string line = field + ",N,11951.5400,W,0.0,271.5";
        const std::string_view inLine(line.data(), field.size());
        ASSERT_EQ(CoordinateDegrees(inLine, line.data() + line.size()), expected)
            << '"' << field << '"';
    }
}

// A line's fields and whether it is a usable position, one character at a
// time: the commas split it, and it takes more than seven commas and no four
// in a row.
struct PlainReading {
    std::vector<std::string_view> fields;
    bool usable = false;
};

PlainReading ReadPlainly(std::string_view line) {
    PlainReading reading;
    std::size_t start = 0;
    int commas = 0;
    int run = 0;
    bool fourInARow = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != ',') {
            run = 0;
            continue;
        }
        reading.fields.push_back(line.substr(start, i - start));
        start = i + 1;
        ++commas;
        fourInARow = fourInARow || ++run == 4;
    }
    reading.fields.push_back(line.substr(start));
    reading.usable = commas > 7 && !fourInARow;
    return reading;
}

TEST(NumberTables, FieldsAndUsablePositionsMatchAPlainReading) {
    std::mt19937_64 random(1983);
    for (int i = 0; i < 100000; ++i) {
        // Every length from none to past the two words of comma bits, commas
        // sparse or dense, so runs of them fall across every 16-byte step and
        // the 64-byte word boundary.
        const std::size_t size = 7 + random() % 150;
        const unsigned density = 2 + static_cast<unsigned>(random() % 12);
        std::string line = "$GPRMC,";
        while (line.size() < size) {
            line += random() % density == 0 ? ',' : static_cast<char>('0' + random() % 10);
        }
        const PlainReading expected = ReadPlainly(line);
        EXPECT_EQ(ClassifyLine(line, TalkerMode::GpOnly) == LineKind::Position, expected.usable)
            << line;
        const NmeaFields fields(line);
        const std::size_t located = std::min<std::size_t>(expected.fields.size(), NmeaFields::kMax);
        for (std::size_t k = 0; k < located; ++k) {
            const auto field = static_cast<int>(k);
            ASSERT_TRUE(fields.Has(field)) << line;
            ASSERT_EQ(fields[field], expected.fields[k]) << line << " field " << k;
        }
        ASSERT_FALSE(fields.Has(static_cast<int>(located))) << line;
    }
}

TEST(NumberTables, AutomaticThreeDFindsAComma3WhereverItStands) {
    // Short texts over a small alphabet: "A,3" at every place, near misses,
    // and lengths on both sides of the sixteen-place steps.
    std::mt19937_64 random(1993);
    constexpr char kAlphabet[] = "A,3,2A";
    for (int i = 0; i < 100000; ++i) {
        std::string line(random() % 60, ' ');
        for (char& c : line) {
            c = kAlphabet[random() % (sizeof kAlphabet - 1)];
        }
        ASSERT_EQ(AutomaticThreeD(line), line.find("A,3") != std::string::npos) << line;
    }
}

} // namespace
} // namespace zum::testing
