// The preview as a user sees it: drawn offscreen into an image and judged by
// its pixels.
#include "ui/files/track_picture.hpp"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace zum::testing {
namespace {

constexpr double kMetresPerDegree = 111319.49;

bool Near(QRgb pixel, QColor colour, int tolerance = 40) {
    return std::abs(qRed(pixel) - colour.red()) + std::abs(qGreen(pixel) - colour.green()) +
               std::abs(qBlue(pixel) - colour.blue()) <=
           tolerance;
}

const QColor kTrack(30, 70, 170);
const QColor kStart(40, 150, 60);
const QColor kEnd(200, 30, 30);
const QColor kMarker(235, 140, 0);

// The box around the pixels of one colour, and their centre.
struct Found {
    QRect box;
    QPointF centre;
    int count = 0;
};

Found Find(const QImage& image, QColor colour) {
    Found found;
    QPointF sum;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (Near(image.pixel(x, y), colour)) {
                found.box |= QRect(x, y, 1, 1);
                sum += QPointF(x, y);
                ++found.count;
            }
        }
    }
    if (found.count > 0) {
        found.centre = sum / found.count;
    }
    return found;
}

// Whether a pixel within `radius` of `at` has about the colour `colour`.
bool ColourNear(const QImage& image, QPointF at, QColor colour, int radius = 3) {
    const QPoint corner = at.toPoint() - QPoint(radius, radius);
    return Find(image.copy(QRect(corner, QSize(2 * radius + 1, 2 * radius + 1))), colour).count > 0;
}

class PictureTest : public ::testing::Test {
protected:
    PictureTest() : picture_(nullptr) { picture_.resize(480, 320); }

    // A run begun over the track `points` (latitude, longitude).
    void Begin(const std::vector<GeoPoint>& points) {
        picture_.BeginRun(QStringLiteral("TESTNMEA.TXT"), 1);
        for (const GeoPoint& p : points) {
            picture_.Preview().AddTrackPoint(p.lat, p.lon);
        }
    }
    QImage Done() {
        picture_.EndRun(QStringLiteral("TESTNMEA.TXT: 1 track points"));
        return Image();
    }
    QImage Image() { return picture_.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    TrackPicture picture_;
};

// Offsets in metres from a start point, as degrees, the longitude as a log
// gives it: from -180 up to 180.
GeoPoint Offset(GeoPoint from, double north, double east) {
    double lon = from.lon + east / (kMetresPerDegree * std::cos(from.lat * std::numbers::pi / 180));
    lon -= lon >= 180 ? 360 : 0;
    return {from.lat + north / kMetresPerDegree, lon};
}

TEST_F(PictureTest, AnLShapedDriveIsDrawnWhereItWentWithItsMarkers) {
    const GeoPoint start{39.5, -119.8};
    const GeoPoint corner = Offset(start, 1000, 0);
    Begin({start, corner, Offset(start, 1000, 1000)});
    // Thousands of markers on the corner, as a long stop leaves them, and one
    // halfway along the east leg.
    for (int i = 0; i < 5000; ++i) {
        picture_.Preview().AddMarker(corner.lat, corner.lon + (i % 3) * 1e-7);
    }
    const GeoPoint halfway = Offset(start, 1000, 500);
    picture_.Preview().AddMarker(halfway.lat, halfway.lon);
    const QImage image = Done();
    const Found track = Find(image, kTrack);
    ASSERT_GT(track.count, 100);
    // North up, east right: the corner is top left, the start bottom left,
    // the end top right; nothing at the bottom right.
    const QRectF b = track.box;
    EXPECT_TRUE(ColourNear(image, b.topLeft() + QPointF(1, 1), kTrack));
    EXPECT_FALSE(ColourNear(image, b.bottomRight() - QPointF(4, 4), kTrack));
    const Found green = Find(image, kStart);
    const Found red = Find(image, kEnd);
    ASSERT_TRUE(green.count > 10 && red.count > 10);
    EXPECT_GT(green.centre.y(), red.centre.y() + 50); // the start lies south of the end
    EXPECT_LT(green.centre.x(), red.centre.x() - 50); // and west of it

    const Found markers = Find(image, kMarker);
    ASSERT_GT(markers.count, 4);
    EXPECT_TRUE(ColourNear(image, b.topLeft(), kMarker, 4));
    EXPECT_TRUE(ColourNear(image, QPointF(b.center().x(), b.top()), kMarker, 4));
    // Nowhere else: all of them lie along the top of the track.
    EXPECT_LT(markers.box.height(), 12);
    EXPECT_LT(std::abs(markers.box.center().y() - b.top()), 6);
}

TEST_F(PictureTest, AKilometreSquareComesOutSquare) {
    // Far north, where a degree of longitude is half as long as at the
    // equator, and across the antimeridian, which must not split it.
    for (const GeoPoint corner :
         {GeoPoint{60.0, 10.0}, GeoPoint{-33.9, 179.995}, GeoPoint{0.0, -0.0045}}) {
        Begin({corner, Offset(corner, 1000, 0), Offset(corner, 1000, 1000), Offset(corner, 0, 1000),
               corner});
        const QImage image = Done();
        const QRect box = Find(image, kTrack).box;
        ASSERT_GT(box.height(), 100) << corner.lat << "," << corner.lon;
        EXPECT_NEAR(double(box.width()) / box.height(), 1.0, 0.02)
            << corner.lat << "," << corner.lon << ": " << box.width() << "x" << box.height();
    }
}

TEST_F(PictureTest, ALogWithoutPositionsSaysSoAndNamesTheFile) {
    picture_.BeginRun(QStringLiteral("EMPTYNMEA.TXT"), 2);
    const QImage running = Image();
    const QImage empty = Done();
    EXPECT_EQ(Find(empty, kTrack).count, 0);
    // One line of text across the middle that was not there while running.
    QRect where;
    for (int y = empty.height() / 2 - 10; y < empty.height() / 2 + 10; ++y) {
        for (int x = 0; x < empty.width(); ++x) {
            if (qGray(empty.pixel(x, y)) < 128 && qGray(running.pixel(x, y)) > 200) {
                where |= QRect(x, y, 1, 1);
            }
        }
    }
    // Long enough for the file name and a short sentence.
    EXPECT_GT(where.width(), 200);
    EXPECT_LT(where.height(), 20);
}

TEST_F(PictureTest, LabelsThatWouldOverlapAreSkipped) {
    const GeoPoint a{39.5, -119.8};
    const GeoPoint b = Offset(a, 1000, 1000);
    // Two waypoints a few pixels apart, the second's arrow clear of the first
    // but its label on the first's: that label is left out, so what it says
    // does not change the picture.
    const auto image = [&](GeoPoint second, const char* label) {
        Begin({a, b});
        const GeoPoint first = Offset(a, 500, 500);
        picture_.Preview().AddTimeWaypoint(first.lat, first.lon, "12:00");
        picture_.Preview().AddTimeWaypoint(second.lat, second.lon, label);
        return Done();
    };
    const GeoPoint same = Offset(a, 475, 396); // about 25 pixels west, 6 south
    const QImage withSecond = image(same, "12:00");
    EXPECT_NE(withSecond, image(Offset(a, 500, 500), "12:00")); // its arrow is drawn
    EXPECT_EQ(image(same, "88:88"), withSecond);
    // Apart, both labels are drawn.
    const GeoPoint apart = Offset(a, 100, 900);
    EXPECT_NE(image(apart, "88:88"), image(apart, "12:00"));
}

TEST_F(PictureTest, TheSampleIsMarkedAndProgressShowsAlongTheBottom) {
    const QImage sample = Image();
    EXPECT_EQ(picture_.Showing(), TrackPicture::Shows::Sample);
    picture_.BeginRun(QStringLiteral("TESTNMEA.TXT"), 0);
    const QImage started = Image();
    picture_.SetProgress(0.5);
    const QImage half = Image();
    EXPECT_EQ(picture_.ProgressPercent(), 50);
    EXPECT_NE(sample, started);
    // The bar along the bottom edge is filled to half the width.
    const int y = half.height() - 4;
    EXPECT_TRUE(Near(half.pixel(half.width() / 4, y), kTrack));
    EXPECT_FALSE(Near(half.pixel(half.width() * 3 / 4, y), kTrack));
    EXPECT_FALSE(Near(started.pixel(half.width() / 4, y), kTrack));
    const QImage done = Done();
    EXPECT_EQ(picture_.ProgressPercent(), 100);
    EXPECT_FALSE(Near(done.pixel(done.width() / 4, y), kTrack)); // gone after DONE
}

} // namespace
} // namespace zum::testing
