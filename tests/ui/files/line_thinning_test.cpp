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

// The distance from `p` to the nearest point of `line`.
double DistanceToLine(QPointF p, const QPolygonF& line) {
    double best = QLineF(p, line.front()).length();
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], ab = line[i] - a;
        const double length2 = QPointF::dotProduct(ab, ab);
        const double t =
            length2 == 0 ? 0 : std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0);
        best = std::min(best, QLineF(p, a + t * ab).length());
    }
    return best;
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
        // Each point lies within the tolerance (and a little for rounding) of
        // the thinned line, whose ends are the line's own.
        const QPolygonF thin = ThinPolyline(c.line, 0.25);
        ASSERT_GE(thin.size(), 2);
        EXPECT_TRUE(thin.front() == c.line.front() && thin.back() == c.line.back());
        for (const QPointF p : c.line) {
            ASSERT_LE(DistanceToLine(p, thin), 0.25 * 1.5 + 1e-9) << p.x() << "," << p.y();
        }
        EXPECT_LE(thin.size(), c.most);
        EXPECT_TRUE(thin.contains(c.mustKeep));
    }
}

} // namespace
} // namespace zum::testing
