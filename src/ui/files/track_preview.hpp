#pragma once

#include "convert/conversion_state.hpp"
#include "convert/draw_files.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zum {

// A position of the preview, in degrees. Longitudes are unwrapped along the
// drive (a drive across the antimeridian goes on past 180 rather than jumping
// to -180), so that neighbours stay neighbours on the picture.
struct GeoPoint {
    double lat = 0;
    double lon = 0;
};

struct PreviewWaypoint {
    GeoPoint at;
    std::array<char, 8> label{}; // "HH:MM", NUL-terminated
};

// What a run has written so far, kept for drawing in bounded memory: a point
// closer than a small distance to the point kept before it (in latitude and
// in longitude) is merged into it as it comes, and when a list reaches its
// limit the distance grows until the list fits again. The first and last
// track points are always kept exactly.
class TrackPreview {
public:
    static constexpr std::size_t kMaxTrackPoints = 1 << 15;
    static constexpr std::size_t kMaxMarkers = 1 << 13;
    static constexpr std::size_t kMaxWaypoints = 1 << 11;

    void Clear();

    void AddTrackPoint(double lat, double lon);
    void AddTimeWaypoint(double lat, double lon, std::string_view label);
    void AddMarker(double lat, double lon);
    // A record a run reports written (RunObserver::RecordWritten): a track
    // point, a time waypoint labelled "HH:MM" from the local time, or a 2-D
    // marker at the last position. Other kinds are not drawn.
    void AddRecord(DrawFileKind kind, const ConversionState& state);

    [[nodiscard]] const std::vector<GeoPoint>& Track() const { return track_.points; }
    [[nodiscard]] const std::vector<GeoPoint>& Markers() const { return markers_.points; }
    [[nodiscard]] const std::vector<PreviewWaypoint>& Waypoints() const { return waypoints_; }
    [[nodiscard]] bool Empty() const { return track_.points.empty(); }
    [[nodiscard]] GeoPoint Start() const { return start_; }
    [[nodiscard]] GeoPoint End() const { return end_; }

    // The box around everything kept; meaningless while nothing is.
    [[nodiscard]] GeoPoint Min() const { return min_; }
    [[nodiscard]] GeoPoint Max() const { return max_; }
    [[nodiscard]] bool HasBounds() const { return hasBounds_; }

private:
    // The longitude moved by whole turns to within half a turn of the last one.
    inline double Unwrap(double lon);
    inline void Extend(GeoPoint point);

    struct MergedList {
        std::vector<GeoPoint> points;
        double within = 1e-6; // degrees (about 0.1 m): closer than this is merged
    };
    // Keeps the point unless it is within the merge distance of the last
    // kept one. Unwrap, Extend and Merge are inline, defined where they are
    // used: every record of a run passes them.
    inline void Merge(MergedList& list, GeoPoint point, std::size_t limit) const;
    // Appends; at the limit, grows the distance and merges again until the
    // list is back to three quarters of it.
    void Keep(MergedList& list, GeoPoint point, std::size_t limit) const;

    MergedList track_;
    MergedList markers_;
    std::vector<PreviewWaypoint> waypoints_;
    std::size_t waypointStride_ = 1;
    std::uint64_t waypointsOffered_ = 0;

    GeoPoint start_, end_, min_, max_;
    bool hasBounds_ = false;
    bool haveLon_ = false;
    double lastLon_ = 0;
};

} // namespace zum
