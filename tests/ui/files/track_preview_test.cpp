// The preview's merging: bounded however the drive goes, the ends exact, and
// no stretch of the drive lost while merging makes room.
#include "ui/files/track_preview.hpp"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace zum::testing {
namespace {

// Chebyshev distance in degrees from `p` to the nearest kept point.
double Gap(GeoPoint p, const std::vector<GeoPoint>& kept) {
    double best = std::numeric_limits<double>::infinity();
    for (const GeoPoint& k : kept) {
        best = std::min(best, std::max(std::abs(p.lat - k.lat), std::abs(p.lon - k.lon)));
    }
    return best;
}

TEST(TrackPreview, MergingKeepsTheDriveWithinABoundedList) {
    // Drives of 200,000 points about 10 km across, as 1 Hz logs give them.
    const auto square = [](int i) { // twenty laps of a square
        const double s = std::fmod(i * 0.00004, 0.4);
        const double side = std::fmod(s, 0.1);
        const int leg = static_cast<int>(s / 0.1);
        const GeoPoint corners[] = {{0, 0}, {0, 0.1}, {0.1, 0.1}, {0.1, 0}};
        const GeoPoint from = corners[leg], to = corners[(leg + 1) % 4];
        return GeoPoint{50 + from.lat + (to.lat - from.lat) * side / 0.1,
                        8 + from.lon + (to.lon - from.lon) * side / 0.1};
    };
    const auto antimeridian = [](int i) { // twenty times east across 180 and back
        const double s = std::fmod(i * 0.00002, 0.2);
        const double lon = 179.95 + (s < 0.1 ? s : 0.2 - s);
        return GeoPoint{-17.8, lon >= 180 ? lon - 360 : lon};
    };
    const struct {
        const char* name;
        GeoPoint (*at)(int);
    } drives[] = {{"square laps", +square}, {"to and fro across 180", +antimeridian}};
    constexpr int kPoints = 200'000;
    for (const auto& drive : drives) {
        SCOPED_TRACE(drive.name);
        TrackPreview preview;
        for (int i = 0; i < kPoints; ++i) {
            const GeoPoint p = drive.at(i);
            preview.AddTrackPoint(p.lat, p.lon);
            preview.AddMarker(p.lat, p.lon);
            ASSERT_LE(preview.Track().capacity(), TrackPreview::kMaxTrackPoints);
            ASSERT_LE(preview.Markers().capacity(), TrackPreview::kMaxMarkers);
        }
        const double extent =
            std::max(preview.Max().lat - preview.Min().lat, preview.Max().lon - preview.Min().lon);
        EXPECT_LT(extent, 1.0); // the antimeridian drive is not drawn across the world
        EXPECT_EQ(preview.Start().lat, drive.at(0).lat);
        EXPECT_EQ(preview.End().lat, drive.at(kPoints - 1).lat);
        // Every point offered lies within a few pixels (of a box 500 wide)
        // of one kept.
        double worst = 0;
        for (int i = 0; i < kPoints; i += 97) {
            GeoPoint p = drive.at(i);
            if (p.lon < 0 && preview.Max().lon > 180) {
                p.lon += 360;
            }
            worst = std::max(worst, Gap(p, preview.Track()));
        }
        EXPECT_LT(worst, extent / 100) << "extent " << extent;
    }
}

TEST(TrackPreview, PositionsThatAreNotNumbersAreLeftOut) {
    TrackPreview preview;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    preview.AddTrackPoint(nan, 8);
    preview.AddMarker(50, inf);
    preview.AddTimeWaypoint(nan, nan, "12:00");
    EXPECT_TRUE(preview.Empty() && preview.Markers().empty() && preview.Waypoints().empty());
    EXPECT_FALSE(preview.HasBounds());
    // Among usable positions they change nothing; with the same position
    // in between they neither pile up nor keep the list from shrinking.
    for (int i = 0; i < 2 * static_cast<int>(TrackPreview::kMaxTrackPoints); ++i) {
        preview.AddTrackPoint(i % 2 == 0 ? nan : 50.0, 8);
    }
    EXPECT_EQ(preview.Track().size(), 1u);
    EXPECT_TRUE(preview.Start().lat == 50 && preview.Min().lat == 50 && preview.Max().lon == 8);
}

} // namespace
} // namespace zum::testing
