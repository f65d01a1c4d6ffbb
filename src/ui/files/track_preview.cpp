#include "ui/files/track_preview.hpp"

#include <algorithm>
#include <cmath>

namespace zum {

namespace {

bool SameCell(GeoPoint a, GeoPoint b, double cell) {
    return std::floor(a.lat / cell) == std::floor(b.lat / cell) &&
           std::floor(a.lon / cell) == std::floor(b.lon / cell);
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

void TrackPreview::Merge(MergedList& list, GeoPoint point, std::size_t limit) const {
    std::vector<GeoPoint>& points = list.points;
    const double cellLat = std::floor(point.lat * list.perDegree);
    const double cellLon = std::floor(point.lon * list.perDegree);
    if (!points.empty() && cellLat == list.lastCellLat && cellLon == list.lastCellLon) {
        return;
    }
    if (list.offered++ % list.stride != 0) {
        return;
    }
    points.push_back(point);
    list.lastCellLat = cellLat;
    list.lastCellLon = cellLon;
    if (points.size() < limit) {
        return;
    }
    const double extent = std::max(max_.lat - min_.lat, max_.lon - min_.lon);
    while (points.size() > limit * 3 / 4) {
        if (list.cell < extent) {
            list.cell *= 2;
            std::size_t kept = 1;
            for (std::size_t i = 1; i < points.size(); ++i) {
                if (!SameCell(points[kept - 1], points[i], list.cell)) {
                    points[kept++] = points[i];
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
    list.perDegree = 1.0 / list.cell;
    list.lastCellLat = std::floor(points.back().lat * list.perDegree);
    list.lastCellLon = std::floor(points.back().lon * list.perDegree);
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
