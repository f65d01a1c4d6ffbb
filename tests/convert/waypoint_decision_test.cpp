#include "conversion_fixture.hpp"
#include "convert/waypoint_decision.hpp"

#include <gtest/gtest.h>
#include <sstream>

namespace zum::testing {
namespace {

// $GPRMC lines from "time minutes knots ..." triples: the time field, the
// latitude in minutes north of 39°30' (longitude fixed) and the speed.
Lines Drive(const std::string& fixes) {
    std::istringstream in(fixes);
    Lines lines;
    std::string time;
    double minutes = 0, knots = 0;
    while (in >> time >> minutes >> knots) {
        char text[128];
        std::snprintf(text, sizeof text, "$GPRMC,%s,A,39%07.4f,N,11951.5388,W,%.2f,216.7,110306,,",
                      time.c_str(), minutes, knots);
        lines.emplace_back(text);
    }
    return lines;
}

// The labels of the time waypoints: the third field of each record.
Lines Times(const Outputs& out) {
    Lines labels;
    for (const std::string& record : out.time) {
        const std::size_t afterLon = record.find(',', record.find(',') + 1) + 1;
        labels.push_back(record.substr(afterLon, record.find(',', afterLon) - afterLon));
    }
    return labels;
}

// Local times are UTC-7: 190000 is labelled "12:00".
TEST(Waypoints, WhenEachMarkingGivesOne) {
    struct Case {
        const char* what;
        bool atStops;
        std::int16_t byTime;
        double byDistance; // seconds of arc
        const char* drive;
        Lines times;
    };
    const Case cases[] = {
        {"by distance from the last waypoint; exactly the interval is not past it",
         false,
         0,
         900,
         "190000 30 5 190100 40 5 190200 45 5 190300 45.6 5 190400 55 5 190500 61 5",
         {"12:00", "12:03", "12:05"}},
        {"by time on boundary seconds only",
         false,
         15,
         0,
         "191500 30 5 191502 30 5 191400 30 5 193000.000 30 5 194500.50 30 5 1945ab 30 5 "
         "200000 30 0",
         {"12:15", "12:30", "12:45", "13:00"}},
        {"by time, compared with the minute of the hour",
         false,
         90,
         0,
         "193000 30 5 200000 30 5",
         {"13:00"}},
        {"a negative interval from the settings file: its magnitude",
         false,
         -15,
         0,
         "191500 30 5 191600 30 5",
         {"12:15"}},
        {"no interval, no waypoints", false, 0, 0, "190000 30 0 191500 31 0", {}},
        {"at stops the latch waits for the third standing position, and is set again while "
         "stopped",
         true,
         15,
         0,
         "191400 30 0 191430 30 0 191459 30 0 191500 30 5 191600 31 0 191601 31 0 191602 31 0 "
         "191603 31 0 192959 31 0 193000 31 0",
         {"12:16", "12:30"}},
        {"speeds that read 0.0 are standing",
         true,
         1,
         0,
         "190000 30 0 190100 30 0.04 190200 30 0.1 190300 30 0 190400 30 0.02 190500 30 0",
         {"12:05"}},
        {"by distance, the next stop gets its waypoint even near the previous one",
         true,
         0,
         15,
         "190000 30 0 190001 30 0 190002 30 0 190310 31 20 190320 30.01 0 190321 30.01 0 "
         "190322 30.01 0",
         {"12:00", "12:03"}},
    };
    for (const Case& c : cases) {
        LiveSettings s;
        s.markAtStops = c.atStops;
        s.intervalByTime = c.byTime;
        s.intervalValue = c.byDistance;
        EXPECT_EQ(Times(Convert(Drive(c.drive), s)), c.times) << c.what;
    }
}

// The latch and the stop count carry into the next run.
TEST(Waypoints, AtStopsTheLatchAndCountCarryIntoTheNextRun) {
    LiveSettings s;
    s.intervalByTime = 15;
    ConversionState state;
    EXPECT_TRUE(Convert(Drive("191500 30 5"), s, state).time.empty());
    EXPECT_TRUE(Convert(Drive("191600 30 0 191601 30 0"), s, state).time.empty());
    EXPECT_EQ(Convert(Drive("191602 30 0"), s, state).time.size(), 1u);

    // Both intervals 0: only a latch already set gives a waypoint.
    s.intervalByTime = 0;
    s.intervalValue = 0;
    state.IntervalReached = kTrue;
    state.StopCount = 0;
    const Lines longStop = Drive("190000 30 0 190001 30 0 190002 30 0 190003 30 0 190004 30 0");
    EXPECT_EQ(Convert(longStop, s, state).time.size(), 1u);
}

TEST(Waypoints, AVeryLongStopDoesNotOverflowTheCount) {
    ConversionState state;
    state.SpeedText.assign("0.0");
    LiveSettings s;
    s.intervalValue = 0;
    for (int i = 0; i < 40000; ++i) {
        EXPECT_FALSE(CheckStopWaypoint(state, s));
    }
    state.IntervalReached = kTrue;
    EXPECT_TRUE(CheckStopWaypoint(state, s));
}

} // namespace
} // namespace zum::testing
