#pragma once

#include "gpx_file.hpp"
#include "output_set.hpp"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zum {

// The five text files a street-map program imports as draw files. Every line
// ends with CR LF; fields are separated by a single comma.
enum class DrawFileKind { Draw, Time, Sat, Speed, Fix };

// The suffix appended to the whole input file name ("0511NMEA.TXT_draw.txt").
std::string_view SuffixOf(DrawFileKind kind);

struct RecordCounts {
    std::uint64_t draw = 0, time = 0, sat = 0, speed = 0, fix = 0;
};

class DrawFiles {
public:
    // Adds the five files to `outputs` (as temporaries beside their final
    // names; `outputs` moves them into place) and writes their opening lines.
    // On failure `error` names the file and the cause.
    bool Create(const std::filesystem::path& stem, OutputSet& outputs, std::string& error);
    // Adds stem & ".gpx" to the outputs, after Create: the same records as a
    // GPX 1.1 file named after `logName`, replaced together with the five.
    bool AddGpx(const std::filesystem::path& stem, std::string_view logName, std::string& error);
    [[nodiscard]] bool WritesGpx() const { return gpx_.has_value(); }

    // What the GPX file adds to the records of the position being processed,
    // given before its track point.
    void FixDetails(const GpxFix& fix) {
        if (gpx_) {
            gpx_->Fix(fix);
        }
    }

    void Track(std::string_view lat, std::string_view lon);
    void TimeWaypoint(std::string_view lat, std::string_view lon, std::string_view label);
    void SpeedWaypoint(std::string_view lat, std::string_view lon, std::string_view speed);
    void SatWaypoint(std::string_view lat, std::string_view lon, int count);
    void FixMarker(std::string_view lat, std::string_view lon);

    // True once any write has failed (a full disk, say).
    [[nodiscard]] bool Failed() const;

    // Writes the closing "END" to each and completes the GPX file; the
    // OutputSet then moves them all into place. On failure `error` names the
    // file and the cause.
    bool Finish(std::string& error);

    [[nodiscard]] RecordCounts Counts() const { return counts_; }
    // What went into the GPX file; nothing when none is written.
    [[nodiscard]] std::optional<GpxCounts> Gpx() const {
        return gpx_ ? std::optional<GpxCounts>(gpx_->Counts()) : std::nullopt;
    }

private:
    OutputFile& file(DrawFileKind kind) { return *files_[static_cast<std::size_t>(kind)]; }
    void waypoint(DrawFileKind kind, std::string_view lat, std::string_view lon,
                  std::string_view label, std::string_view symbol);

    OutputSet* outputs_ = nullptr;
    std::array<OutputFile*, 5> files_{};
    RecordCounts counts_;
    std::optional<GpxFile> gpx_;
};

} // namespace zum
