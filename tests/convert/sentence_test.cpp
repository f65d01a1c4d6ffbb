#include "conversion_fixture.hpp"
#include "convert/fix_status.hpp"
#include "convert/gpx_time.hpp"
#include "convert/position_report.hpp"

#include <gtest/gtest.h>

namespace zum::testing {
namespace {

TEST(PositionReport, HemispheresAndOddCoordinateFields) {
    const auto track = [](const std::string& lat, const std::string& ns, const std::string& lon,
                          const std::string& ew) {
        ConversionState state;
        Convert({"$GPRMC,190334,A," + lat + "," + ns + "," + lon + "," + ew + ",0.0,1,110306,,"},
                IntervalOnly(), state);
        return state.LastLatText.str() + "," + state.LastLonText.str();
    };
    EXPECT_EQ(track("3930.8708", "S", "11951.5388", "E"), "-39.5145133333333,119.85898");
    EXPECT_EQ(track("3930.8708", "s", "11951.5388", "w"), "39.5145133333333,119.85898");
    EXPECT_EQ(track("0030.0000", "N", "00030.0000", "W"), ".5,-.5");
    EXPECT_EQ(track("0000.0000", "N", "11951.5388", "W"), "0,-119.85898");
    EXPECT_EQ(track("abc", "N", "", "W"), "0,0");
    EXPECT_EQ(track("3930", "N", "11951", "W"), "39.5,-119.85");     // no point: as if at the end
    EXPECT_EQ(track("5.5", "N", "30", "E"), ".0916666666666667,.5"); // under two digits: minutes
    EXPECT_EQ(track("8960.000000", "N", "00000.0001", "E"), "90,.00000166666666666667");
    // Too large or small for a float read whole: 0, although its parts would give a position.
    EXPECT_EQ(track("1E2000.0", "N", "1" + std::string(399, '5') + ".0", "W"), "0,0");
    EXPECT_EQ(track("1E-400", "N", "11951.5388", "W"), "0,-119.85898");
}

TEST(PositionReport, LocalTimeWrapsOnceAndIgnoresFractionalSeconds) {
    struct Case {
        const char* field;
        std::int16_t offset;
        const char* expected;
    };
    const Case cases[] = {
        {"190334", -7, "120334"},   {"190334", 6, "010334"},  {"033000", -7, "203000"},
        {"150000", 13, "040000"},   {"190334", 30, "250334"}, {"190334.000", -7, "120334"},
        {"190334.25", 0, "190334"}, {"1903", -7, "1203"},     {"", -7, "17"},
        {"190334", -48, "-050334"}, {"222509.", 0, "222509"}, {" 222519", 0, "022251"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeLocalTimeText(c.field, c.offset).view(), c.expected) << c.field;
    }
}

TEST(RmcFilter, OnlyWellFormedUpperCaseSentencesArePositions) {
    const Lines skipped = {
        "$GPRMC,190334,V,,,,,,,110306,,*38", // three empty fields in a row
        "$GPRMC,1,2,3,4,5,6,7",              // seven commas
        "$gprmc,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34",
        "r$GPRMC,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34",
    };
    Lines log = {kRmc, kGsa3};
    log.insert(log.end(), skipped.begin(), skipped.end());
    log.push_back(kGsa3);
    // A skipped $GPRMC also switches satellite counts off until a position gets waypoints.
    const Outputs out = Convert(log, IntervalOnly());
    EXPECT_EQ(out.draw.size(), 1u);
    EXPECT_EQ(out.sat.size(), 1u);
}

TEST(FixStatus, SatelliteCountsAndTwoDMarkers) {
    EXPECT_EQ(SatellitesInUse("$GPGSA,A,2,,,,,,,,,,,,,2.3,1.3,1.8"), 0);
    EXPECT_EQ(SatellitesInUse("$GPGSA,A,3,00,05,x,,,,,,,,,,1,1,1"), 1);
    // Only fields 3 to 14 count; cut short, the fields that are there count.
    EXPECT_EQ(SatellitesInUse("$GPGSA,A,3,1,2,3,4,5,6,7,8,9,10,11,12,13"), 12);
    EXPECT_EQ(SatellitesInUse("$GPGSA,A,3,05,0"), 1);
    EXPECT_EQ(SatellitesInUse("$GPGSA"), 0);

    // Marker for everything but an automatic 3-D fix, whatever PointFlag holds;
    // before any position of the first run its coordinates are empty.
    const Outputs out = Convert({kGsa2, "$GPGSA,M,3,05,,,,,,,,,,,,1,1,1", kGsa3}, IntervalOnly());
    EXPECT_EQ(out.fix, (Lines{",, ,Arrow Up Right", ",, ,Arrow Up Right"}));
    EXPECT_TRUE(out.sat.empty());
}

TEST(FixTime, ReadsOnlyRealTimesAndDates) {
    struct Case {
        const char* time;
        const char* date;
        const char* text; // nullptr: no time
    };
    const Case cases[] = {
        {"190334", "110306", "2006-03-11T19:03:34Z"},
        {"235959.50", "311299", "1999-12-31T23:59:59.50Z"},
        {"000000.000", "010180", "1980-01-01T00:00:00.000Z"},
        {"120000", "290224", "2024-02-29T12:00:00Z"},  // leap day
        {"120000.", "010179", "2079-01-01T12:00:00Z"}, // a lone point: whole seconds
        {"120000.1234567891234", "010120", "2020-01-01T12:00:00.123456789Z"},
        {"120000", "290223", nullptr}, // no leap day in 2023
        {"120000", "310406", nullptr},
        {"120000", "001306", nullptr},
        {"", "110306", nullptr},
        {"240000", "110306", nullptr},
        {"196000", "110306", nullptr},
        {"190360", "110306", nullptr}, // a leap second is not an xsd:dateTime
        {"1903", "110306", nullptr},
        {" 190334", "110306", nullptr},
        {"190334.x", "110306", nullptr},
        {"190334", "11036", nullptr},
        {"190334", "11-306", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<FixTime> fix = ReadFixTime(c.time, c.date);
        SCOPED_TRACE(std::string(c.time) + " " + c.date);
        ASSERT_EQ(fix.has_value(), c.text != nullptr);
        if (fix) {
            EXPECT_EQ(fix->text.view(), c.text);
        }
    }
    // Seconds run on across midnight, a month's end and a year's end.
    const auto seconds = [](const char* time, const char* date) {
        return ReadFixTime(time, date)->seconds;
    };
    EXPECT_DOUBLE_EQ(seconds("000001", "120306") - seconds("235959", "110306"), 2);
    EXPECT_DOUBLE_EQ(seconds("000000", "010300") - seconds("000000", "280200"), 2 * 86400);
    EXPECT_DOUBLE_EQ(seconds("000000", "010100") - seconds("235959.5", "311299"), 0.5);
    EXPECT_DOUBLE_EQ(seconds("000000", "010170"), 3155760000.0); // 2070, not 1970
}

} // namespace
} // namespace zum::testing
