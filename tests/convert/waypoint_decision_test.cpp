#include "conversion_fixture.hpp"
#include "convert/waypoint_decision.hpp"

#include <cmath>
#include <gtest/gtest.h>

namespace zum::testing {
namespace {

// A $GPRMC line at a time, a latitude in minutes north of 39°30' (longitude
// fixed) and a speed in knots.
std::string Rmc(const std::string& time, double latMinutes, double knots) {
    char lat[32];
    std::snprintf(lat, sizeof lat, "39%07.4f", latMinutes);
    char speed[16];
    std::snprintf(speed, sizeof speed, "%.2f", knots);
    return "$GPRMC," + time + ",A," + lat + ",N,11951.5388,W," + speed +
           ",216.7,110306,15.2,E,D*34";
}

// The labels of the time waypoints: the third field of each record.
std::vector<std::string> Times(const Outputs& out) {
    std::vector<std::string> labels;
    for (const std::string& record : out.time) {
        const std::size_t afterLat = record.find(',') + 1;
        const std::size_t afterLon = record.find(',', afterLat) + 1;
        labels.push_back(record.substr(afterLon, record.find(',', afterLon) - afterLon));
    }
    return labels;
}

TEST(IntervalOnly, ByDistanceMeasuresFromTheLastWaypoint) {
    LiveSettings s = IntervalOnly();
    s.intervalValue = 900; // seconds of arc: 15 minutes of latitude
    const Outputs out = Convert(
        {
            Rmc("190000", 30.00, 5), // no reference yet: a waypoint
            Rmc("190001", 40.00, 5), // 600" away
            Rmc("190002", 45.00, 5), // exactly 900": not more than the interval
            Rmc("190003", 45.60, 5), // 936": a waypoint, the new reference
            Rmc("190004", 55.00, 5), // 564" from it
            Rmc("190005", 61.00, 5), // 924"
        },
        s);
    ASSERT_EQ(out.time.size(), 3u);
    EXPECT_EQ(out.time[1].substr(0, 6), "39.76,");
    EXPECT_EQ(out.time[2].substr(0, 17), "40.0166666666667,");
}

TEST(IntervalOnly, ByTimeOnlyOnBoundarySeconds) {
    LiveSettings s = IntervalOnly();
    s.intervalByTime = 15;
    s.intervalValue = 0;
    const Outputs out = Convert({Rmc("191500", 30, 5), Rmc("191502", 30, 5), Rmc("191400", 30, 5),
                                 Rmc("193000.000", 30, 5), Rmc("194500.50", 30, 5),
                                 Rmc("1945ab", 30, 5), Rmc("200000", 30, 0)},
                                s);
    EXPECT_EQ(Times(out), (Lines{"12:15", "12:30", "12:45", "13:00"}));

    s.intervalByTime = 90; // compared with the minute of the hour: like 60
    EXPECT_EQ(Times(Convert({Rmc("193000", 30, 5), Rmc("200000", 30, 5)}, s)), Lines{"13:00"});
    s.intervalByTime = -15; // a negative interval from the settings file: its magnitude
    EXPECT_EQ(Times(Convert({Rmc("191500", 30, 5), Rmc("191600", 30, 5)}, s)), Lines{"12:15"});
}

TEST(IntervalOnly, NoIntervalMeansNoWaypoints) {
    LiveSettings s = IntervalOnly();
    s.intervalValue = 0;
    const Outputs out = Convert({Rmc("190000", 30, 0), Rmc("191500", 31, 0),
                                 "$GPGSA,A,3,05,06,07,10,15,16,18,21,26,29,,,2.3,1.3,1.8*3B"},
                                s);
    EXPECT_TRUE(out.time.empty());
    EXPECT_TRUE(out.speed.empty());
    EXPECT_TRUE(out.sat.empty());
}

TEST(AtStops, ByTimeTheLatchWaitsForTheThirdStandingPosition) {
    LiveSettings s;
    s.intervalByTime = 15;
    s.intervalValue = 0;
    const Outputs out = Convert(
        {
            Rmc("191400", 30, 0),
            Rmc("191430", 30, 0),
            Rmc("191459", 30, 0), // stopped, no latch
            Rmc("191500", 30, 5), // latch set, moving
            Rmc("191600", 31, 0),
            Rmc("191601", 31, 0),
            Rmc("191602", 31, 0), // third standing position: the waypoint
            Rmc("191603", 31, 0),
            // still stopped at the next boundary: latch again, count long past 2
            Rmc("192959", 31, 0),
            Rmc("193000", 31, 0),
        },
        s);
    EXPECT_EQ(Times(out), (Lines{"12:16", "12:30"}));
}

TEST(AtStops, SpeedsBelowATwentiethCountAsStanding) {
    LiveSettings s;
    s.intervalByTime = 1;
    s.intervalValue = 0;
    s.speedFactor = 1.0;
    // Latch at 19:00:00; speeds "0.0", "0.0", 0.1, "0.0", "0.0", "0.0".
    const Outputs out =
        Convert({Rmc("190000", 30, 0.0), Rmc("190001", 30, 0.04), Rmc("190002", 30, 0.1),
                 Rmc("190003", 30, 0.0), Rmc("190004", 30, 0.02), Rmc("190005", 30, 0.0)},
                s);
    ASSERT_EQ(out.time.size(), 1u);
    EXPECT_EQ(out.speed[0].substr(out.speed[0].size() - 17), "0.0,Arrow Up Left");
}

TEST(AtStops, ByDistanceTheFirstStopOfEveryRunGetsAWaypoint) {
    LiveSettings s; // at stops, 15" by distance
    ConversionState state;
    const Lines stop = {Rmc("190000", 30, 0), Rmc("190001", 30, 0), Rmc("190002", 30, 0)};
    EXPECT_EQ(Convert(stop, s, state).time.size(), 1u);
    // Same place again, next run: the reference was cleared, so it counts again.
    EXPECT_EQ(Convert(stop, s, state).time.size(), 1u);

    // Within one run: moving away sets the latch; the next stop gets the
    // waypoint even when it is back near the previous one.
    const Outputs out = Convert({Rmc("190000", 30, 0), Rmc("190001", 30, 0), Rmc("190002", 30, 0),
                                 Rmc("190010", 31, 20), Rmc("190020", 30.01, 0),
                                 Rmc("190021", 30.01, 0), Rmc("190022", 30.01, 0)},
                                s, state);
    EXPECT_EQ(out.time.size(), 2u);
}

TEST(AtStops, TheLatchAndStopCountCarryIntoTheNextRun) {
    LiveSettings s;
    s.intervalByTime = 15;
    s.intervalValue = 0;
    ConversionState state;
    EXPECT_TRUE(Convert({Rmc("191500", 30, 5)}, s, state).time.empty());
    EXPECT_NE(state.IntervalReached, kFalse);
    EXPECT_TRUE(Convert({Rmc("191600", 30, 0), Rmc("191601", 30, 0)}, s, state).time.empty());
    EXPECT_EQ(state.StopCount, 2);
    EXPECT_EQ(Convert({Rmc("191602", 30, 0)}, s, state).time.size(), 1u);

    // Both intervals 0: only a latch already set gives a waypoint.
    s.intervalByTime = 0;
    s.intervalValue = 0;
    state.IntervalReached = kTrue;
    state.StopCount = 0;
    EXPECT_EQ(Convert({Rmc("190000", 30, 0), Rmc("190001", 30, 0), Rmc("190002", 30, 0),
                       Rmc("190003", 30, 0), Rmc("190004", 30, 0), Rmc("190005", 30, 0)},
                      s, state)
                  .time.size(),
              1u);
}

TEST(AtStops, AVeryLongStopDoesNotOverflowTheCount) {
    ConversionState state;
    state.LastLatText.assign("39.5");
    state.LastLonText.assign("-119.8");
    state.SpeedText.assign("0.0");
    state.LocalTimeText.assign("120001");
    LiveSettings s;
    s.intervalValue = 0;
    for (int i = 0; i < 40000; ++i) {
        EXPECT_FALSE(CheckStopWaypoint(state, s));
    }
    EXPECT_GT(state.StopCount, 2);
    state.IntervalReached = kTrue;
    EXPECT_TRUE(CheckStopWaypoint(state, s));
}

} // namespace
} // namespace zum::testing
