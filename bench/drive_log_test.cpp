#include "drive_log.hpp"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace zum::bench {
namespace {

std::string MakeLog(const DriveLogOptions& options, int seconds) {
    DriveLog log(options);
    std::string text;
    for (int i = 0; i < seconds; ++i) {
        log.AppendSecond(text);
    }
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

double Degrees(std::string_view field, std::string_view hemisphere) {
    const double value = std::strtod(std::string(field).c_str(), nullptr);
    const double degrees = std::floor(value / 100) + std::fmod(value, 100) / 60;
    return hemisphere == "S" || hemisphere == "W" ? -degrees : degrees;
}

struct Second {
    std::vector<std::vector<std::string_view>> sentences;
};

// Splits a log into seconds (each begins with $GPRMC), checking the line ends
// and the checksum of every sentence on the way.
std::vector<Second> ParseLog(std::string_view text) {
    std::vector<Second> seconds;
    EXPECT_TRUE(text.ends_with("\r\n"));
    auto lines = Split(text, '\n');
    lines.pop_back(); // the empty text after the last line end
    for (std::string_view line : lines) {
        EXPECT_TRUE(line.ends_with('\r')) << line;
        line.remove_suffix(1);
        const auto star = line.find('*');
        EXPECT_EQ(star, line.size() - 3) << line;
        const unsigned long sum =
            std::strtoul(std::string(line.substr(star + 1)).c_str(), nullptr, 16);
        EXPECT_EQ(sum, NmeaChecksum(line)) << line;
        auto fields = Split(line.substr(0, star), ',');
        if (fields[0] == "$GPRMC") {
            seconds.emplace_back();
        }
        EXPECT_FALSE(seconds.empty()) << line;
        seconds.back().sentences.push_back(std::move(fields));
    }
    return seconds;
}

TEST(DriveLog, EverySecondHoldsTheReceiversSentenceMix) {
    DriveLogOptions options;
    options.seed = 7;
    const std::string text = MakeLog(options, 3 * 3600);
    const auto seconds = ParseLog(text);
    ASSERT_EQ(seconds.size(), 3u * 3600);

    int fixCount[4] = {};
    for (const auto& second : seconds) {
        const auto& s = second.sentences;
        ASSERT_GE(s.size(), 6u);
        ASSERT_LE(s.size(), 7u);
        EXPECT_EQ(s[1][0], "$GPGGA");
        EXPECT_EQ(s[2][0], "$GPGSA");
        EXPECT_EQ(s.back()[0], "$GPVTG");
        const std::size_t gsvLines = s.size() - 4;
        for (std::size_t i = 0; i < gsvLines; ++i) {
            const auto& gsv = s[3 + i];
            EXPECT_EQ(gsv[0], "$GPGSV");
            EXPECT_EQ(gsv[1], std::to_string(gsvLines));
            EXPECT_EQ(gsv[2], std::to_string(i + 1));
        }

        const auto& rmc = s[0];
        const auto& gsa = s[2];
        ASSERT_EQ(rmc.size(), 13u);
        ASSERT_EQ(gsa.size(), 18u);
        const int fix = gsa[2][0] - '0';
        ASSERT_TRUE(fix >= 1 && fix <= 3);
        ++fixCount[fix];
        int used = 0;
        for (std::size_t i = 3; i < 15; ++i) {
            used += gsa[i].empty() ? 0 : 1;
        }
        // No fix: no position, speed or satellites; 2-D uses three, 3-D four or more.
        EXPECT_EQ(rmc[2], fix == 1 ? "V" : "A");
        EXPECT_EQ(rmc[3].empty() && rmc[7].empty(), fix == 1);
        EXPECT_TRUE(fix == 1 ? used == 0 : fix == 2 ? used == 3 : used >= 4) << used;
        EXPECT_LE(std::strtod(std::string(rmc[7]).c_str(), nullptr), 70 / 1.150779448 + 0.05);
    }
    // Mostly 3-D, with 2-D stretches and a few seconds without a fix.
    EXPECT_GT(fixCount[3], 9000);
    EXPECT_GT(fixCount[2], 30);
    EXPECT_GT(fixCount[1], 3);
}

TEST(DriveLog, TheCarDrivesStopsAndStaysInItsRegion) {
    DriveLogOptions options;
    options.seed = 12;
    const std::string text = MakeLog(options, 6 * 3600);
    const auto seconds = ParseLog(text);

    std::vector<int> stops;
    int standing = 0;
    double lastLat = NAN, lastLon = NAN;
    double farthest = 0;
    int gap = 1;
    for (const auto& second : seconds) {
        const auto& rmc = second.sentences[0];
        if (rmc[2] != "A") {
            ++gap; // no fix: neither stop nor motion
            continue;
        }
        const double lat = Degrees(rmc[3], rmc[4]);
        const double lon = Degrees(rmc[5], rmc[6]);
        const double north = (lat - options.startLatitude) * 111132;
        const double east = (lon - options.startLongitude) * 111320 * std::cos(lat * M_PI / 180);
        farthest = std::max(farthest, std::hypot(north, east));
        if (!std::isnan(lastLat)) {
            // At most 70 mph, plus the error of a 2-D fix that has just ended.
            const double step = std::hypot((lat - lastLat) * 111132,
                                           (lon - lastLon) * 111320 * std::cos(lat * M_PI / 180));
            EXPECT_LT(step, 31.3 * gap + 30) << rmc[1];
        }
        gap = 1;
        lastLat = lat, lastLon = lon;
        if (rmc[7] == "0.0") {
            ++standing;
        } else if (standing != 0) {
            stops.push_back(standing);
            standing = 0;
        }
    }
    EXPECT_GT(stops.size(), 20u);
    for (const int length : stops) {
        // 10 to 120 s, less the odd second without a fix, plus the braking's last second.
        EXPECT_GE(length, 7);
        EXPECT_LE(length, 121);
    }
    EXPECT_LT(farthest, 60000);
    EXPECT_GT(farthest, 2000);
}

TEST(DriveLog, SameOptionsGiveTheSameBytes) {
    DriveLogOptions options;
    const std::string first = MakeLog(options, 600);
    EXPECT_EQ(first, MakeLog(options, 600));
    EXPECT_TRUE(first.starts_with("$GPRMC,190334,A,"));

    options.seed = 512;
    EXPECT_NE(first, MakeLog(options, 600));

    options.fractionalSeconds = true;
    EXPECT_TRUE(MakeLog(options, 1).starts_with("$GPRMC,190334.000,A,"));
}

TEST(DriveLog, DateRollsForwardAtMidnight) {
    struct Case {
        const char* start;
        std::vector<std::string> timesAndDates;
    };
    const Case cases[] = {
        {"2008-02-28T23:59:59", {"235959 280208", "000000 290208"}},
        {"2007-02-28 23:59:59", {"235959 280207", "000000 010307"}},
        {"2006-12-31T23:59:58", {"235958 311206", "235959 311206", "000000 010107"}},
    };
    for (const auto& c : cases) {
        DriveLogOptions options;
        ASSERT_TRUE(ParseUtcTime(c.start, options.start)) << c.start;
        const std::string text = MakeLog(options, static_cast<int>(c.timesAndDates.size()));
        const auto seconds = ParseLog(text);
        for (std::size_t i = 0; i < seconds.size(); ++i) {
            const auto& rmc = seconds[i].sentences[0];
            EXPECT_EQ(std::string(rmc[1]) + " " + std::string(rmc[9]), c.timesAndDates[i]);
        }
    }
    UtcTime time;
    for (const char* bad : {"2007-02-29T00:00:00", "2006-05-11T24:00:00", "2006-5-11T19:03:34",
                            "2006-05-11T19:03:34Z", ""}) {
        EXPECT_FALSE(ParseUtcTime(bad, time)) << bad;
    }
}

TEST(DriveLog, ChecksumIsTheXorBetweenDollarAndStar) {
    EXPECT_EQ(NmeaChecksum("$GPRMC,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34"),
              0x34);
    EXPECT_EQ(NmeaChecksum("$GPGSA,A,3,05,06,07,10,15,16,18,21,26,29,,,2.3,1.3,1.8"), 0x3B);
}

} // namespace
} // namespace zum::bench
