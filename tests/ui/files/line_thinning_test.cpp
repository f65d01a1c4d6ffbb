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
    QPolygonF straight, corner, deadEnd, walk;
    for (int i = 0; i <= 1000; ++i) {
        straight << QPointF(i * 0.3, 10 + i * 0.1);
    }
    for (int i = 0; i <= 200; ++i) {
        corner << (i <= 100 ? QPointF(i, 0) : QPointF(100, i - 100));
    }
    for (int i = 0; i <= 80; ++i) { // out along a street and back the same way
        deadEnd << QPointF(1, 1) * (i <= 50 ? i : 100 - i);
    }
    std::mt19937 random(7);
    std::normal_distribution<double> step(0.0, 2.0);
    walk << QPointF(0, 0);
    for (int i = 0; i < 3000; ++i) { // turning at every point
        walk << walk.back() + QPointF(step(random), step(random));
    }
    const struct {
        const char* name;
        QPolygonF line;
        qsizetype most;   // points the thinned line may keep
        QPointF mustKeep; // the corner, the far end
    } cases[] = {{"straight", straight, 2, straight.back()},
                 {"corner", corner, 3, QPointF(100, 0)},
                 {"dead end", deadEnd, 3, QPointF(50, 50)},
                 {"walk", walk, walk.size(), walk.back()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QPolygonF thin = ThinPolyline(c.line, 0.25);
        ExpectFollows(c.line, thin, 0.25);
        EXPECT_LE(thin.size(), c.most);
        EXPECT_TRUE(thin.contains(c.mustKeep));
    }
}

} // namespace
} // namespace zum::testing
