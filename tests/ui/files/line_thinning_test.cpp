// The thinned line stays where the line went: every point left out lies near
// what replaces it, corners and dead ends stay, straight stretches shrink.
#include "ui/files/line_thinning.hpp"

#include <QLineF>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace zum::testing {
namespace {

double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t =
        length2 == 0 ? 0 : std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0);
    return QLineF(p, a + t * ab).length();
}

double DistanceToLine(QPointF p, const QPolygonF& line) {
    double best = QLineF(p, line.front()).length();
    for (qsizetype i = 1; i < line.size(); ++i) {
        best = std::min(best, DistanceToSegment(p, line[i - 1], line[i]));
    }
    return best;
}

// Each point of `line` lies within `tolerance` (and a little for rounding)
// of the thinned line, whose ends are the line's own.
void ExpectFollows(const QPolygonF& line, const QPolygonF& thin, double tolerance) {
    ASSERT_GE(thin.size(), 2);
    EXPECT_EQ(thin.front(), line.front());
    EXPECT_EQ(thin.back(), line.back());
    for (const QPointF p : line) {
        ASSERT_LE(DistanceToLine(p, thin), tolerance * 1.5 + 1e-9) << p.x() << "," << p.y();
    }
}

TEST(ThinPolyline, KeepsTheShapeAndDropsWhatDoesNotShow) {
    QPolygonF straight;
    for (int i = 0; i <= 1000; ++i) {
        straight << QPointF(i * 0.3, 10 + i * 0.1);
    }
    QPolygonF corner;
    for (int i = 0; i <= 100; ++i) {
        corner << QPointF(i, 0);
    }
    for (int i = 1; i <= 100; ++i) {
        corner << QPointF(100, i);
    }
    // Out along a street and back the same way: the far end must stay.
    QPolygonF deadEnd;
    for (int i = 0; i <= 50; ++i) {
        deadEnd << QPointF(i, i);
    }
    for (int i = 49; i >= 20; --i) {
        deadEnd << QPointF(i, i);
    }
    QPolygonF zigzag; // each turn a pixel off the middle line
    for (int i = 0; i <= 40; ++i) {
        zigzag << QPointF(i * 2, (i % 2) * 2);
    }
    QPolygonF wobble; // a straight drive with a tenth of a pixel of noise
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-0.1, 0.1);
    for (int i = 0; i <= 2000; ++i) {
        wobble << QPointF(i * 0.2 + noise(random), 50 + noise(random));
    }
    QPolygonF walk; // a random walk, turning at every point
    std::normal_distribution<double> step(0.0, 2.0);
    walk << QPointF(0, 0);
    for (int i = 0; i < 3000; ++i) {
        walk << walk.back() + QPointF(step(random), step(random));
    }

    const struct {
        const char* name;
        QPolygonF line;
        qsizetype most; // points the thinned line may keep
    } cases[] = {
        {"straight", straight, 2},
        {"corner", corner, 3},
        {"dead end", deadEnd, 3},
        {"zigzag", zigzag, 41},
        {"wobble", wobble, 20},
        {"walk", walk, 3001},
        {"two points", QPolygonF({QPointF(1, 1), QPointF(2, 2)}), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QPolygonF thin = ThinPolyline(c.line, 0.25);
        ExpectFollows(c.line, thin, 0.25);
        EXPECT_LE(thin.size(), c.most);
    }
    // The corner and the far end of the dead end are among the points kept.
    EXPECT_TRUE(ThinPolyline(corner, 0.25).contains(QPointF(100, 0)));
    EXPECT_TRUE(ThinPolyline(deadEnd, 0.25).contains(QPointF(50, 50)));
    EXPECT_EQ(ThinPolyline(zigzag, 0.25).size(), zigzag.size());
}

} // namespace
} // namespace zum::testing
