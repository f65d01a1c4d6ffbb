#pragma once

#include "gpx_time.hpp"
#include "gpx_track.hpp"
#include "output_file.hpp"
#include "short_text.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zum {

struct GpxCounts {
    std::uint64_t waypoints = 0;   // time/speed waypoints written as <wpt>
    std::uint64_t markers = 0;     // 2-D markers written as <wpt>
    std::uint64_t trackPoints = 0; // <trkpt>
    std::uint64_t segments = 0;    // <trkseg>
    std::uint64_t leftOut = 0;     // points outside GPX's latitude/longitude ranges
};

// What the GPX file adds to the draw records of one position.
struct GpxFix {
    std::string_view utcTime, utcDate; // $GPRMC fields 1 and 9
    std::string_view speedUnit;        // the unit of the speed text
    double lat = 0, lon = 0;           // the values of the coordinate texts
};

// The drive as one GPX 1.1 file, fed with the same records as the draw files.
//
// GPX wants the metadata (with the track's bounds) and the waypoints before
// the track, so the waypoints and the track points each go to a temporary of
// their own while the run goes on (the track points in a compact form, see
// GpxTrack); Close joins them behind the header into the output, which the
// run's OutputSet moves into place with the draw files. Memory stays the same
// however long the log.
//
// A time/speed waypoint becomes one <wpt> named by its time label, with the
// speed as its comment and the satellite count of the satellite record that
// follows it (the last one, when several do). It is written once the next
// track point or time waypoint shows that nothing more belongs to it. 2-D
// markers at its position are held behind it, so the file keeps the order of
// the log. A point outside latitude -90..90 or longitude -180..<180 is left out
// and counted; a marker with no position yet has no place and is left out.
class GpxFile {
public:
    // `draw` is the draw file, whose lines from its current end on hold the
    // texts of the track points (see GpxTrack).
    bool Create(const std::filesystem::path& finalPath, std::string_view logName,
                const OutputFile& draw, std::string& error);

    // The position being processed; applies to the records that follow.
    void Fix(const GpxFix& fix);

    // The track point of the position given to Fix, in the draw file's texts.
    void TrackPoint(std::string_view lat, std::string_view lon);
    void TimeWaypoint(std::string_view lat, std::string_view lon, std::string_view label);
    void SpeedWaypoint(std::string_view lat, std::string_view lon, std::string_view speed);
    void SatWaypoint(std::string_view lat, std::string_view lon, int count);
    void FixMarker(std::string_view lat, std::string_view lon);

    [[nodiscard]] bool Failed() const;
    // Writes the whole file under its temporary name.
    bool Close(std::string& error);
    // The output itself, for the OutputSet that moves it into place.
    OutputFile& Output() { return out_; }
    void Discard();

    [[nodiscard]] const GpxCounts& Counts() const { return counts_; }

private:
    struct Pending {
        bool active = false;
        NumberText lat, lon;
        ShortText<16> label;
        NumberText speed;
        std::string_view unit;
        std::optional<FixTime> time;
        int sat = -1;              // none yet
        std::uint64_t markers = 0; // 2-D markers held at its position
    };

    void flushPending();
    void writeMarker(std::string_view lat, std::string_view lon);
    void openPoint(OutputFile& file, std::string_view tag, std::string_view lat,
                   std::string_view lon);

    OutputFile out_;
    OutputFile waypoints_; // the <wpt> elements, in order
    GpxTrack track_;       // the <trkpt> elements, with segment breaks
    const OutputFile* draw_ = nullptr;
    std::uint64_t drawTrackStart_ = 0;
    std::string logName_;

    std::optional<FixTime> fixTime_; // of the position being processed
    std::string_view speedUnit_;
    double fixLat_ = 0, fixLon_ = 0;
    // The last date field read: most fixes share their date with the one before.
    ShortText<8> dateField_;
    std::optional<FixDate> date_;
    Pending pending_;

    std::optional<double> lastTrackTime_;
    double minLat_ = 0, maxLat_ = 0, minLon_ = 0, maxLon_ = 0;
    NumberText minLatText_, maxLatText_, minLonText_, maxLonText_;
    GpxCounts counts_;
};

} // namespace zum
