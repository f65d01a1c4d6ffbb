#include "ui/files/track_preview.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace zum {

namespace {

// The cell of a coordinate, for cells of 1 / perDegree degrees.
double CellOf(double degrees, double perDegree) {
    return std::floor(degrees * perDegree);
}

// How many times the cells must double so that about half the steps between
// neighbours fall within one cell: the median step, as a power of two of the
// present cell. At least once. One pass, no allocation.
int DoublingsForMedianStep(const std::vector<GeoPoint>& points, double perDegree) {
    std::array<std::size_t, 64> byExponent{};
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double step = std::max(std::abs(points[i].lat - points[i - 1].lat),
                                     std::abs(points[i].lon - points[i - 1].lon)) *
                            perDegree;
        // The binary exponent e with 2^(e-1) <= step < 2^e, read from the
        // bits (0 for a step of 0); a step of 2^62 cells or more counts as 63.
        const auto exponent =
            static_cast<int>((std::bit_cast<std::uint64_t>(step) >> 52) & 0x7ff) - 1022;
        ++byExponent[static_cast<std::size_t>(std::clamp(exponent, 0, 63))];
    }
    std::size_t seen = 0;
    for (std::size_t e = 0; e < byExponent.size(); ++e) {
        seen += byExponent[e];
        if (2 * seen >= points.size()) {
            return std::max(static_cast<int>(e), 1);
        }
    }
    return 1;
}

// Keeps every other element, the first among them.
template <typename T> void KeepEveryOther(std::vector<T>& items) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < items.size(); i += 2) {
        items[kept++] = items[i];
    }
    items.resize(kept);
}

} // namespace

void TrackPreview::Clear() {
    track_.points.clear();
    markers_.points.clear();
    waypoints_.clear();
    track_ = MergedList{std::move(track_.points)};
    markers_ = MergedList{std::move(markers_.points)};
    waypointStride_ = 1;
    waypointsOffered_ = 0;
    start_ = end_ = min_ = max_ = {};
    hasBounds_ = false;
    haveLon_ = false;
    lastLon_ = 0;
}

double TrackPreview::Unwrap(double lon) {
    if (haveLon_ && std::abs(lon - lastLon_) > 180.0) {
        lon += 360.0 * std::round((lastLon_ - lon) / 360.0);
    }
    haveLon_ = true;
    lastLon_ = lon;
    return lon;
}

void TrackPreview::Extend(GeoPoint point) {
    if (!hasBounds_) {
        min_ = max_ = point;
        hasBounds_ = true;
        return;
    }
    min_.lat = std::min(min_.lat, point.lat);
    min_.lon = std::min(min_.lon, point.lon);
    max_.lat = std::max(max_.lat, point.lat);
    max_.lon = std::max(max_.lon, point.lon);
}

void TrackPreview::SetCell(MergedList& list, GeoPoint point) {
    const double lat = CellOf(point.lat, list.perDegree) * list.cell;
    const double lon = CellOf(point.lon, list.perDegree) * list.cell;
    // Rounding must not leave the point outside its own cell.
    list.cellLow = {std::min(lat, point.lat), std::min(lon, point.lon)};
    list.cellHigh = {std::max(lat + list.cell, point.lat), std::max(lon + list.cell, point.lon)};
}

void TrackPreview::Merge(MergedList& list, GeoPoint point, std::size_t limit) const {
    // Most points of a drive fall into the cell of the one before: four
    // comparisons, evaluated together, tell so.
    if ((point.lat >= list.cellLow.lat) & (point.lat <= list.cellHigh.lat) &
        (point.lon >= list.cellLow.lon) & (point.lon <= list.cellHigh.lon)) {
        return;
    }
    if ((list.offered++ & (list.stride - 1)) != 0) { // the stride is a power of two
        return;
    }
    std::vector<GeoPoint>& points = list.points;
    points.push_back(point);
    if (points.size() < limit) {
        SetCell(list, point);
        return;
    }
    const double extent = std::max(max_.lat - min_.lat, max_.lon - min_.lon);
    // The first coarsening starts from cells far smaller than a step of the
    // drive; going straight to about the median step spares a pass over the
    // whole list for each doubling on the way there.
    int doublings = DoublingsForMedianStep(points, list.perDegree);
    while (points.size() > limit * 3 / 4) {
        if (list.cell < extent) {
            list.cell = std::ldexp(list.cell, doublings);
            list.perDegree = 1.0 / list.cell;
            doublings = 1;
            double keptLat = CellOf(points.front().lat, list.perDegree);
            double keptLon = CellOf(points.front().lon, list.perDegree);
            std::size_t kept = 1;
            for (std::size_t i = 1; i < points.size(); ++i) {
                const double cellLat = CellOf(points[i].lat, list.perDegree);
                const double cellLon = CellOf(points[i].lon, list.perDegree);
                if (cellLat != keptLat || cellLon != keptLon) {
                    points[kept++] = points[i];
                    keptLat = cellLat;
                    keptLon = cellLon;
                }
            }
            points.resize(kept);
        } else {
            // A drive to and fro across a cell border: the cells alone cannot
            // shrink it, so every other point goes, now and from here on.
            KeepEveryOther(points);
            list.stride *= 2;
        }
    }
    SetCell(list, points.back());
}

void TrackPreview::AddTrackPoint(double lat, double lon) {
    const GeoPoint point{lat, Unwrap(lon)};
    Extend(point);
    if (track_.points.empty()) {
        start_ = point;
    }
    end_ = point;
    Merge(track_, point, kMaxTrackPoints);
}

void TrackPreview::AddMarker(double lat, double lon) {
    const GeoPoint point{lat, Unwrap(lon)};
    Extend(point);
    Merge(markers_, point, kMaxMarkers);
}

void TrackPreview::AddTimeWaypoint(double lat, double lon, std::string_view label) {
    const GeoPoint point{lat, Unwrap(lon)};
    Extend(point);
    if (waypointsOffered_++ % waypointStride_ != 0) {
        return;
    }
    PreviewWaypoint waypoint;
    waypoint.at = point;
    const std::size_t n = std::min(label.size(), waypoint.label.size() - 1);
    std::copy_n(label.data(), n, waypoint.label.data());
    waypoints_.push_back(waypoint);
    if (waypoints_.size() >= kMaxWaypoints) {
        KeepEveryOther(waypoints_);
        waypointStride_ *= 2;
    }
}

void TrackPreview::AddRecord(DrawFileKind kind, const ConversionState& state) {
    switch (kind) {
    case DrawFileKind::Draw:
        AddTrackPoint(state.LastLatValue, state.LastLonValue);
        break;
    case DrawFileKind::Time: {
        // "HH:MM", as the time waypoint's label reads.
        const std::string_view time = state.LocalTimeText.view();
        std::array<char, 5> label{};
        std::size_t n = 0;
        for (std::size_t i = 0; i < time.size() && i < 4; ++i) {
            if (i == 2) {
                label[n++] = ':';
            }
            label[n++] = time[i];
        }
        AddTimeWaypoint(state.LastLatValue, state.LastLonValue, {label.data(), n});
        break;
    }
    case DrawFileKind::Fix:
        // A marker before any position stands nowhere.
        if (!state.LastLatText.empty()) {
            AddMarker(state.LastLatValue, state.LastLonValue);
        }
        break;
    default:
        break;
    }
}

} // namespace zum
