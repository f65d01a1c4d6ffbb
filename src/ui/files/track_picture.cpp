#include "ui/files/track_picture.hpp"

#include "ui/files/line_thinning.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace zum {

namespace {

const QColor kLand(239, 236, 222);
const QColor kFrame(150, 145, 130);
const QColor kTrackColour(30, 70, 170);
const QColor kStartColour(40, 150, 60);
const QColor kEndColour(200, 30, 30);
const QColor kMarkerColour(235, 140, 0);
const QColor kLabelColour(90, 20, 20);
const QColor kTextColour(60, 60, 60);

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

// Metres on the ground per degree of latitude (and of longitude at the
// equator), on a sphere of the WGS 84 equatorial radius.
constexpr double kMetresPerDegree = 111319.49;
// The smallest stretch of land the preview shows across: a single position
// or a parked car is drawn at street scale, not as a blown-up dot.
constexpr double kMinimumSpanDegrees = 0.002;

// North up, true to scale on the ground: longitudes shrink by the cosine of
// the middle latitude, and the whole is fitted to the box and centred in it.
class Projection {
public:
    Projection(const TrackPreview& preview, const QRectF& box) {
        const GeoPoint low = preview.Min();
        const GeoPoint high = preview.Max();
        const double midLat = (low.lat + high.lat) / 2;
        // At a pole every longitude is one point; keep the scale finite there.
        shrink_ = std::max(std::cos(midLat * std::numbers::pi / 180.0), 1e-3);
        double width = (high.lon - low.lon) * shrink_;
        double height = high.lat - low.lat;
        width = std::max(width, kMinimumSpanDegrees);
        height = std::max(height, kMinimumSpanDegrees);
        scale_ = std::min(box.width() / width, box.height() / height);
        midLon_ = (low.lon + high.lon) / 2;
        midLat_ = midLat;
        centre_ = box.center();
    }

    [[nodiscard]] QPointF operator()(GeoPoint point) const {
        return {centre_.x() + (point.lon - midLon_) * shrink_ * scale_,
                centre_.y() - (point.lat - midLat_) * scale_};
    }
    [[nodiscard]] double MetresPerPixel() const { return kMetresPerDegree / scale_; }

private:
    double shrink_ = 1, scale_ = 1, midLon_ = 0, midLat_ = 0;
    QPointF centre_;
};

struct DistanceUnit {
    double metres;
    const char* name;
};

// The distance unit of a speed unit item: knots count in nautical miles.
DistanceUnit UnitOf(std::int16_t distanceUnits) {
    switch (distanceUnits) {
    case 0:
        return {1852.0, "nmi"};
    case 1:
        return {1000.0, "km"};
    default:
        return {1609.344, "mi"};
    }
}

// The largest of 1, 2 and 5 times a power of ten that is at most `value`.
double RoundLength(double value) {
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= value) {
            return step * power;
        }
    }
    return power;
}

void DrawScaleBar(QPainter& painter, const QRectF& area, const Projection& projection,
                  std::int16_t distanceUnits, const QFont& font) {
    const DistanceUnit unit = UnitOf(distanceUnits);
    const double pixelsPerUnit = unit.metres / projection.MetresPerPixel();
    const double length = RoundLength(area.width() / 4 / pixelsPerUnit);
    const double pixels = length * pixelsPerUnit;
    const QPointF left(area.left() + 12, area.bottom() - 14);
    const QPointF right = left + QPointF(pixels, 0);
    painter.setPen(QPen(kTextColour, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(left, right);
    painter.drawLine(left, left - QPointF(0, 6));
    painter.drawLine(right, right - QPointF(0, 6));
    painter.setFont(font);
    painter.drawText(right + QPointF(6, 0), QString::number(length, 'g', 6) + QLatin1Char(' ') +
                                                QString::fromLatin1(unit.name));
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

void TrackPicture::PaintSample(QPainter& painter, const QRectF& area) const {
    // Land, a river and a grid of streets.
    painter.fillRect(area.adjusted(-0.5, -0.5, 0.5, 0.5), kLand);
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

    // Nobody should take this drawing for their own drive.
    QFont sampleFont = font();
    sampleFont.setBold(true);
    sampleFont.setPointSizeF(sampleFont.pointSizeF() * 1.3);
    painter.setFont(sampleFont);
    const QString sample = QStringLiteral("Sample");
    const QFontMetricsF metrics(sampleFont);
    const QRectF tag(area.left() + 8, area.top() + 8, metrics.horizontalAdvance(sample) + 16,
                     metrics.height() + 6);
    painter.setPen(QPen(QColor(150, 145, 130), 1));
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawRoundedRect(tag, 4, 4);
    painter.setPen(QColor(90, 90, 90));
    painter.drawText(tag, Qt::AlignCenter, sample);
}

void TrackPicture::BeginRun(const QString& fileName, std::int16_t distanceUnits) {
    preview_.Clear();
    fileName_ = fileName;
    caption_.clear();
    distanceUnits_ = distanceUnits;
    percent_ = 0;
    shows_ = Shows::Running;
    // Not drawn yet: the run asks for that at its own pace (Grown), or at
    // its end, which for a short log comes before the first repaint is due.
    // Drawing now would cost as much as a repaint without showing anything
    // the eye could catch.
}

void TrackPicture::SetProgress(double share) {
    percent_ = static_cast<int>(std::clamp(share, 0.0, 1.0) * 100.0);
}

void TrackPicture::EndRun(const QString& caption) {
    percent_ = 100;
    caption_ = caption;
    shows_ = Shows::Done;
    update();
}

void TrackPicture::FailRun() {
    caption_ = QStringLiteral("No files written.");
    shows_ = Shows::Failed;
    update();
}

void TrackPicture::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (shows_ == Shows::Sample) {
        PaintSample(painter, area);
    } else {
        PaintPreview(painter, area);
    }
    painter.setPen(QPen(kFrame, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area);
}

void TrackPicture::PaintPreview(QPainter& painter, const QRectF& area) const {
    painter.fillRect(area.adjusted(-0.5, -0.5, 0.5, 0.5), kLand);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    const QFontMetricsF metrics(small);
    const qreal line = metrics.height();

    // The caption on top, the scale bar and the progress bar at the bottom;
    // the drive between them.
    const QRectF top(area.left() + 8, area.top() + 4, area.width() - 16, line + 4);
    const QRectF box = area.adjusted(24, top.height() + 18, -24, -(line + 26));

    painter.setFont(small);
    painter.setPen(kTextColour);
    if (!caption_.isEmpty()) {
        // A long file name gives way to the counts.
        QString caption = caption_;
        const QString prefix = fileName_ + QStringLiteral(": ");
        if (metrics.horizontalAdvance(caption) > top.width() && caption.startsWith(prefix)) {
            caption.remove(0, prefix.size());
        }
        painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(caption, Qt::ElideRight, top.width()));
    } else if (shows_ == Shows::Running) {
        painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(fileName_, Qt::ElideMiddle, top.width()));
    }

    if (shows_ == Shows::Running) {
        // A thin bar along the bottom edge, with the share in figures above it.
        const QRectF bar(area.left() + 1, area.bottom() - 4, area.width() - 2, 4);
        painter.fillRect(bar, QColor(210, 205, 190));
        painter.fillRect(QRectF(bar.topLeft(), QSizeF(bar.width() * percent_ / 100.0, 4)),
                         kTrackColour);
        painter.setPen(kTextColour);
        painter.drawText(QRectF(area.left(), bar.top() - line - 2, area.width() - 8, line),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(percent_) + QLatin1Char('%'));
    }

    if (preview_.Empty()) {
        if (shows_ == Shows::Done) {
            painter.setPen(kTextColour);
            painter.drawText(area, Qt::AlignCenter,
                             fileName_ + QStringLiteral(": the log held no positions."));
        }
        return;
    }

    const Projection project(preview_, box);

    // The 2-D markers under the track, so that the line stays readable:
    // squares on whole pixels, drawn in one go, one for each pixel that has
    // any (a long run stacks thousands of them on the same few streets).
    const QRect pixels = area.toAlignedRect();
    std::vector<bool> marked(static_cast<std::size_t>(pixels.width()) *
                             static_cast<std::size_t>(pixels.height()));
    QList<QRect> markers;
    for (const GeoPoint& marker : preview_.Markers()) {
        const QPoint at = project(marker).toPoint() - pixels.topLeft();
        if (at.x() < 0 || at.y() < 0 || at.x() >= pixels.width() || at.y() >= pixels.height()) {
            continue;
        }
        const std::size_t cell =
            static_cast<std::size_t>(at.y()) * static_cast<std::size_t>(pixels.width()) +
            static_cast<std::size_t>(at.x());
        if (!marked[cell]) {
            marked[cell] = true;
            markers << QRect(at + pixels.topLeft() - QPoint(3, 3), QSize(6, 6));
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(140, 80, 0), 1));
    painter.setBrush(kMarkerColour);
    painter.drawRects(markers.constData(), static_cast<int>(markers.size()));
    painter.setRenderHint(QPainter::Antialiasing, true);

    // Points closer than half a pixel to the last one drawn add nothing to
    // the line: they are left out.
    QPolygonF track;
    QPointF last(-1e9, -1e9);
    for (const GeoPoint& point : preview_.Track()) {
        const QPointF at = project(point);
        if (std::abs(at.x() - last.x()) >= 0.5 || std::abs(at.y() - last.y()) >= 0.5) {
            track.append(at);
            last = at;
        }
    }
    track.append(project(preview_.End()));
    // What a quarter pixel does not show is left out, and the line is a
    // hairline drawn four times, half a pixel to each side: as wide and
    // smooth as a stroked pen two pixels wide, at a small part of its cost,
    // which grows with the track's length and its crossings.
    track = ThinPolyline(track, 0.25);
    QPen hairline(kTrackColour, 1);
    hairline.setCosmetic(true);
    painter.setPen(hairline);
    painter.setBrush(Qt::NoBrush);
    for (const QPointF offset :
         {QPointF(-0.5, -0.5), QPointF(0.5, -0.5), QPointF(-0.5, 0.5), QPointF(0.5, 0.5)}) {
        track.translate(offset);
        painter.drawPolyline(track);
        track.translate(-offset);
    }

    // Waypoint arrows where they keep clear of the arrows and labels drawn
    // before them, each with its label where that keeps clear of them too.
    QFont labelFont = small;
    labelFont.setBold(true);
    const QFontMetricsF labelMetrics(labelFont);
    painter.setFont(labelFont);
    const qreal arrowSize = 9;
    const auto overlaps = [](const QList<QRectF>& taken, const QRectF& rect) {
        return std::any_of(taken.begin(), taken.end(),
                           [&rect](const QRectF& other) { return other.intersects(rect); });
    };
    QList<QRectF> arrows;
    QList<QRectF> labels;
    for (const PreviewWaypoint& waypoint : preview_.Waypoints()) {
        const QPointF at = project(waypoint.at);
        const QRectF arrow(at.x(), at.y() - arrowSize * 1.35, arrowSize * 1.35, arrowSize * 1.35);
        const QRectF clearance = arrow.adjusted(-4, -4, 4, 4);
        if (overlaps(arrows, clearance) || overlaps(labels, clearance)) {
            continue;
        }
        arrows << arrow;
        DrawArrow(painter, at, arrowSize);
        const QString text = QString::fromLatin1(waypoint.label.data());
        const QPointF origin = at + QPointF(arrowSize * 1.45, -arrowSize * 1.15);
        const QRectF bounds = labelMetrics.boundingRect(text).translated(origin);
        if (area.contains(bounds) && !overlaps(labels, bounds) && !overlaps(arrows, bounds)) {
            labels << bounds;
            painter.setPen(kLabelColour);
            painter.drawText(origin, text);
        }
    }

    // Start and end.
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(kStartColour);
    painter.drawEllipse(project(preview_.Start()), 5.5, 5.5);
    painter.setBrush(kEndColour);
    painter.drawEllipse(project(preview_.End()), 5.5, 5.5);

    DrawScaleBar(painter, area.adjusted(0, 0, 0, -(shows_ == Shows::Running ? line + 4 : 0)),
                 project, distanceUnits_, small);
}

} // namespace zum
