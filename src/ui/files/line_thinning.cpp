#include "ui/files/line_thinning.hpp"

#include <algorithm>
#include <cmath>

namespace zum {

namespace {

qreal Cross(QPointF a, QPointF b) {
    return a.x() * b.y() - a.y() * b.x();
}

qreal Dot(QPointF a, QPointF b) {
    return a.x() * b.x() + a.y() * b.y();
}

// The two directions `v` makes with the rays that touch the circle of radius
// `radius` around its end, right then left (counter-clockwise being left in
// a frame with y up); `length` is |v|, more than `radius`. Not normalised:
// only the directions count.
void TouchingRays(QPointF v, qreal length, qreal radius, QPointF& right, QPointF& left) {
    const qreal along = std::sqrt(length * length - radius * radius);
    const QPointF across(-v.y() * radius, v.x() * radius);
    right = v * along - across;
    left = v * along + across;
}

} // namespace

// From the last kept point (the anchor), each point within reach narrows the
// wedge of directions whose ray passes within the tolerance of it. While the
// next point lies inside the wedge, and not back towards the anchor, the
// points before it can go; otherwise the point before it is kept and becomes
// the anchor.
QPolygonF ThinPolyline(const QPolygonF& line, qreal tolerance) {
    if (line.size() < 3) {
        return line;
    }
    QPolygonF kept;
    kept << line.front();
    QPointF anchor = line.front();
    QPointF previous = anchor;
    bool wedge = false;
    QPointF low, high; // its bounds: directions from low counter-clockwise to high
    qreal reach = 0;   // the farthest any point of this piece went from the anchor
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF point = line[i];
        QPointF v = point - anchor;
        qreal distance = std::sqrt(Dot(v, v));
        if (wedge && !(Cross(low, v) >= 0 && Cross(v, high) >= 0 && Dot(v, low) > 0 &&
                       distance >= reach - tolerance)) {
            kept << previous;
            anchor = previous;
            wedge = false;
            reach = 0;
            v = point - anchor;
            distance = std::sqrt(Dot(v, v));
        }
        if (distance > tolerance) {
            QPointF right, left;
            TouchingRays(v, distance, tolerance, right, left);
            if (!wedge) {
                low = right;
                high = left;
                wedge = true;
            } else {
                if (Cross(low, right) > 0) {
                    low = right;
                }
                if (Cross(left, high) > 0) {
                    high = left;
                }
            }
            reach = std::max(reach, distance);
        }
        previous = point;
    }
    kept << previous;
    return kept;
}

} // namespace zum
