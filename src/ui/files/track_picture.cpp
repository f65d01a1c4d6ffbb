#include "ui/files/track_picture.hpp"

#include <QPainter>
#include <QPainterPath>
#include <array>

namespace zum {

namespace {

// The track, in units of the picture's width and height.
constexpr std::array<QPointF, 9> kTrack = {{{0.06, 0.86},
                                            {0.18, 0.78},
                                            {0.26, 0.58},
                                            {0.40, 0.52},
                                            {0.52, 0.62},
                                            {0.64, 0.44},
                                            {0.72, 0.24},
                                            {0.86, 0.20},
                                            {0.94, 0.10}}};

// Points of the track that carry a waypoint arrow, with their time labels.
struct Waypoint {
    int trackIndex;
    const char* label;
};
constexpr std::array<Waypoint, 4> kWaypoints = {
    {{1, "12:03"}, {3, "12:11"}, {5, "12:19"}, {6, "12:24"}}};

QPointF Scaled(QPointF unit, const QRectF& area) {
    return {area.left() + unit.x() * area.width(), area.top() + unit.y() * area.height()};
}

// An arrow pointing down and to the left, its tip on `tip`: the symbol the
// waypoint files ask for.
void DrawArrow(QPainter& painter, QPointF tip, qreal size) {
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(size * 0.95, -size * 0.25));
    arrow.lineTo(tip + QPointF(size * 0.62, -size * 0.38));
    arrow.lineTo(tip + QPointF(size * 1.35, -size * 1.1));
    arrow.lineTo(tip + QPointF(size * 1.1, -size * 1.35));
    arrow.lineTo(tip + QPointF(size * 0.38, -size * 0.62));
    arrow.lineTo(tip + QPointF(size * 0.25, -size * 0.95));
    arrow.closeSubpath();
    painter.setPen(QPen(QColor(120, 20, 20), 1));
    painter.setBrush(QColor(215, 45, 40));
    painter.drawPath(arrow);
}

} // namespace

TrackPicture::TrackPicture(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
    setAccessibleName(tr("Picture"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A tab stop of the window, so that closing the panel leaves the focus
    // here rather than selecting the notice box's text.
    setFocusPolicy(Qt::TabFocus);
}

void TrackPicture::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    // Land, a river and a grid of streets.
    painter.fillRect(rect(), QColor(239, 236, 222));
    QPainterPath river;
    river.moveTo(Scaled({0.0, 0.30}, area));
    river.cubicTo(Scaled({0.30, 0.18}, area), Scaled({0.45, 0.42}, area),
                  Scaled({1.0, 0.36}, area));
    painter.setPen(QPen(QColor(150, 190, 225), area.height() * 0.035, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(river);
    painter.setPen(QPen(QColor(210, 205, 190), 3));
    for (int i = 1; i < 8; ++i) {
        const qreal x = area.left() + area.width() * i / 8.0;
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    for (int i = 1; i < 6; ++i) {
        const qreal y = area.top() + area.height() * i / 6.0;
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }

    // The driven track.
    QPainterPath track;
    track.moveTo(Scaled(kTrack.front(), area));
    for (std::size_t i = 1; i < kTrack.size(); ++i) {
        const QPointF from = Scaled(kTrack[i - 1], area);
        const QPointF to = Scaled(kTrack[i], area);
        const QPointF middle = (from + to) / 2.0;
        track.quadTo(from, middle);
        if (i + 1 == kTrack.size()) {
            track.lineTo(to);
        }
    }
    painter.setPen(QPen(QColor(30, 70, 170), area.height() * 0.018, Qt::SolidLine, Qt::RoundCap,
                        Qt::RoundJoin));
    painter.drawPath(track);

    // Start and end of the drive.
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(QColor(40, 150, 60));
    painter.drawEllipse(Scaled(kTrack.front(), area), 6, 6);
    painter.setBrush(QColor(30, 70, 170));
    painter.drawEllipse(Scaled(kTrack.back(), area), 6, 6);

    // Waypoint arrows with their time labels.
    const qreal arrowSize = qMax<qreal>(10.0, area.height() * 0.06);
    QFont labelFont = font();
    labelFont.setBold(true);
    painter.setFont(labelFont);
    for (const Waypoint& waypoint : kWaypoints) {
        const QPointF at = Scaled(kTrack.at(static_cast<std::size_t>(waypoint.trackIndex)), area);
        DrawArrow(painter, at, arrowSize);
        painter.setPen(QColor(90, 20, 20));
        painter.drawText(at + QPointF(arrowSize * 1.45, -arrowSize * 1.15),
                         QString::fromLatin1(waypoint.label));
    }

    // The program's name in a corner.
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    painter.setFont(titleFont);
    painter.setPen(QColor(60, 60, 60));
    painter.drawText(area.adjusted(10, 6, -10, -6), Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("ZUM-POINTS"));
    painter.setPen(QPen(QColor(150, 145, 130), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area);
}

} // namespace zum
