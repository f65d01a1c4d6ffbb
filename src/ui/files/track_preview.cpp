#include "ui/files/track_preview.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace zum {

namespace {

// A position that is not a number has no place on the picture, and would
// never merge with another.
bool Finite(double lat, double lon) {
    return std::isfinite(lat) && std::isfinite(lon);
}

bool Near(GeoPoint a, GeoPoint b, double within) {
    // Both comparisons together: whether a point of a drive is merged is a
    // toss-up that a branch would mostly guess wrong.
    return (std::abs(a.lat - b.lat) < within) & (std::abs(a.lon - b.lon) < within);
}

// How many times the merge distance must double to reach about the median
// step between neighbours, so that about half the steps fall within it. At
// least once. One pass, no allocation.
int DoublingsForMedianStep(const std::vector<GeoPoint>& points, double within) {
    const double perWithin = 1.0 / within;
    std::array<std::size_t, 64> byExponent{};
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double step = std::max(std::abs(points[i].lat - points[i - 1].lat),
                                     std::abs(points[i].lon - points[i - 1].lon)) *
                            perWithin;
        // The binary exponent e with 2^(e-1) <= step < 2^e, read from the
        // bits (0 for a step of 0); a step of 2^62 or more counts as 63.
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

inline double TrackPreview::Unwrap(double lon) {
    if (haveLon_ && std::abs(lon - lastLon_) > 180.0) {
        lon += 360.0 * std::round((lastLon_ - lon) / 360.0);
    }
    haveLon_ = true;
    lastLon_ = lon;
    return lon;
}

inline void TrackPreview::Extend(GeoPoint point) {
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

inline void TrackPreview::Merge(MergedList& list, GeoPoint point, std::size_t limit) const {
    if (list.points.empty() || !Near(point, list.points.back(), list.within)) {
        Keep(list, point, limit);
    }
}

void TrackPreview::Keep(MergedList& list, GeoPoint point, std::size_t limit) const {
    std::vector<GeoPoint>& points = list.points;
    points.push_back(point);
    if (points.size() < limit) {
        return;
    }
    // The distance starts far smaller than a step of the drive; going
    // straight to about the median step spares a pass over the whole list
    // for each doubling on the way there. Once the distance spans the whole
    // drive, one point is left, so this ends.
    int doublings = DoublingsForMedianStep(points, list.within);
    while (points.size() > limit * 3 / 4) {
        list.within = std::ldexp(list.within, doublings);
        doublings = 1;
        std::size_t kept = 1;
        for (std::size_t i = 1; i < points.size(); ++i) {
            if (!Near(points[i], points[kept - 1], list.within)) {
                points[kept++] = points[i];
            }
        }
        points.resize(kept);
    }
}

void TrackPreview::AddTrackPoint(double lat, double lon) {
    if (!Finite(lat, lon)) {
        return;
    }
    const GeoPoint point{lat, Unwrap(lon)};
    Extend(point);
    if (track_.points.empty()) {
        start_ = point;
    }
    end_ = point;
    Merge(track_, point, kMaxTrackPoints);
}

void TrackPreview::AddMarker(double lat, double lon) {
    if (!Finite(lat, lon)) {
        return;
    }
    const GeoPoint point{lat, Unwrap(lon)};
    Extend(point);
    Merge(markers_, point, kMaxMarkers);
}

void TrackPreview::AddTimeWaypoint(double lat, double lon, std::string_view label) {
    if (!Finite(lat, lon)) {
        return;
    }
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
