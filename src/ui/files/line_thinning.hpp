#pragma once

#include <QPolygonF>

namespace zum {

// The polyline with the points left out that add nothing at `tolerance`:
// every point dropped lies within about `tolerance` of the straight piece
// that replaces it, and a piece never doubles back over itself. The first and
// last points are kept. One pass; a straight stretch of any length becomes
// one piece, which spares the painter most of a long drive on straight roads.
[[nodiscard]] QPolygonF ThinPolyline(const QPolygonF& line, qreal tolerance);

} // namespace zum
