#include "convert/gpx_file.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

namespace zum {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Fixes further apart than this begin a new track segment.
constexpr double kSegmentGapSeconds = 60;

// A coordinate text as a number; nothing for an empty text.
std::optional<double> Coordinate(std::string_view text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool InGpxRange(double lat, double lon) {
    return lat >= -90 && lat <= 90 && lon >= -180 && lon < 180;
}

// The length of the valid UTF-8 sequence at the start of `text` that XML 1.0
// allows as a character, or 0.
std::size_t XmlCharLength(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r' ? 1 : 0;
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    // U+FFFE and U+FFFF are not XML characters.
    if (length == 3 && lead == 0xEF && byte(1) == 0xBF && byte(2) >= 0xBE) {
        return 0;
    }
    return length;
}

// Writes `text` as XML character data: markup characters escaped, and any
// byte that is not part of a valid XML character in UTF-8 (a name in another
// code page, a control character from a damaged log) written as U+FFFD, so
// the file always parses.
void WriteText(OutputFile& out, std::string_view text) {
    std::size_t plain = 0; // start of the run not yet written
    std::size_t i = 0;
    const auto replace = [&](std::size_t length, std::string_view with) {
        out.Write(text.substr(plain, i - plain));
        out.Write(with);
        i += length;
        plain = i;
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '&') {
            replace(1, "&amp;");
        } else if (c == '<') {
            replace(1, "&lt;");
        } else if (c == '>') {
            replace(1, "&gt;");
        } else if (const std::size_t length = XmlCharLength(text.substr(i)); length != 0) {
            i += length;
        } else {
            replace(1, "\xEF\xBF\xBD");
        }
    }
    out.Write(text.substr(plain));
}

void WriteElement(OutputFile& out, std::string_view indent, std::string_view tag,
                  std::string_view text) {
    out.Write(indent);
    out.Write("<");
    out.Write(tag);
    out.Write(">");
    WriteText(out, text);
    out.Write("</");
    out.Write(tag);
    out.Write(">");
    out.Write(kLineEnd);
}

} // namespace

bool GpxFile::Create(const std::filesystem::path& finalPath, std::string_view logName,
                     const OutputFile& draw, std::string& error) {
    Discard();
    draw_ = &draw;
    drawTrackStart_ = draw.Size();
    logName_ = logName;
    fixTime_.reset();
    speedUnit_ = {};
    dateField_.clear();
    date_.reset();
    pending_.active = false;
    lastTrackTime_.reset();
    counts_ = {};
    // The two parts are temporaries beside the output too, so joining them
    // never crosses file systems and a full disk shows up while writing.
    if (!out_.Create(finalPath, error) ||
        !waypoints_.Create(finalPath, error, OutputFile::Use::Scratch) ||
        !track_.Create(finalPath, error)) {
        Discard();
        return false;
    }
    return true;
}

void GpxFile::Fix(const GpxFix& fix) {
    // Most fixes share their date with the one before: six bytes compared.
    const bool sameDate = fix.utcDate.size() == 6 && dateField_.size() == 6
                              ? std::memcmp(fix.utcDate.data(), dateField_.view().data(), 6) == 0
                              : fix.utcDate == dateField_.view() && fix.utcDate.size() <= 6;
    if (!sameDate) {
        dateField_ = fix.utcDate.substr(0, 7); // longer than a date: never matches one
        date_ = ReadFixDate(fix.utcDate);
    }
    if (!date_) {
        fixTime_.reset();
    } else if (!ReadFixTime(fix.utcTime, *date_, fixTime_ ? *fixTime_ : fixTime_.emplace())) {
        fixTime_.reset();
    }
    speedUnit_ = fix.speedUnit;
    fixLat_ = fix.lat;
    fixLon_ = fix.lon;
}

void GpxFile::openPoint(OutputFile& file, std::string_view tag, std::string_view lat,
                        std::string_view lon) {
    file.Write(tag);
    file.Write(" lat=\"");
    file.Write(lat);
    file.Write("\" lon=\"");
    file.Write(lon);
    file.Write("\"");
}

void GpxFile::TrackPoint(std::string_view lat, std::string_view lon) {
    flushPending();
    if (!InGpxRange(fixLat_, fixLon_)) {
        track_.Skip(lat.size(), lon.size());
        ++counts_.leftOut;
        return;
    }
    bool newSegment = false;
    if (fixTime_) {
        if (counts_.trackPoints != 0 && lastTrackTime_ &&
            std::abs(fixTime_->seconds - *lastTrackTime_) > kSegmentGapSeconds) {
            newSegment = true;
            ++counts_.segments;
        }
        lastTrackTime_ = fixTime_->seconds;
    }
    track_.Add(lat.size(), lon.size(), fixTime_ ? fixTime_->text.view() : std::string_view(),
               newSegment);

    if (counts_.trackPoints == 0) {
        minLat_ = maxLat_ = fixLat_;
        minLon_ = maxLon_ = fixLon_;
        minLatText_ = maxLatText_ = lat;
        minLonText_ = maxLonText_ = lon;
        counts_.segments = 1;
    } else {
        const auto widen = [](double value, std::string_view text, double& low, double& high,
                              NumberText& lowText, NumberText& highText) {
            if (value < low) {
                low = value;
                lowText = text;
            } else if (value > high) {
                high = value;
                highText = text;
            }
        };
        widen(fixLat_, lat, minLat_, maxLat_, minLatText_, maxLatText_);
        widen(fixLon_, lon, minLon_, maxLon_, minLonText_, maxLonText_);
    }
    ++counts_.trackPoints;
}

void GpxFile::TimeWaypoint(std::string_view lat, std::string_view lon, std::string_view label) {
    flushPending();
    pending_.active = true;
    pending_.lat = lat;
    pending_.lon = lon;
    pending_.label = label;
    pending_.speed.clear();
    pending_.unit = {};
    pending_.time = fixTime_;
    pending_.sat = -1;
    pending_.markers = 0;
}

void GpxFile::SpeedWaypoint(std::string_view /*lat*/, std::string_view /*lon*/,
                            std::string_view speed) {
    // Written right after its time waypoint, at the same position.
    if (pending_.active) {
        pending_.speed = speed;
        pending_.unit = speedUnit_;
    }
}

void GpxFile::SatWaypoint(std::string_view lat, std::string_view lon, int count) {
    // A satellite record belongs to the time/speed waypoint before it. One
    // without (a run in the window that begins with $GPGSA lines) has none.
    if (pending_.active && pending_.lat == lat && pending_.lon == lon) {
        pending_.sat = count;
    }
}

void GpxFile::FixMarker(std::string_view lat, std::string_view lon) {
    if (pending_.active && pending_.lat == lat && pending_.lon == lon) {
        ++pending_.markers;
        return;
    }
    flushPending();
    writeMarker(lat, lon);
}

void GpxFile::writeMarker(std::string_view lat, std::string_view lon) {
    if (lat.empty() || lon.empty()) {
        return; // before any position: no place to put it
    }
    const std::optional<double> latValue = Coordinate(lat);
    const std::optional<double> lonValue = Coordinate(lon);
    if (!latValue || !lonValue || !InGpxRange(*latValue, *lonValue)) {
        ++counts_.leftOut;
        return;
    }
    openPoint(waypoints_, "  <wpt", lat, lon);
    waypoints_.Write(">\r\n    <type>No 3-D fix</type>\r\n    <fix>2d</fix>\r\n  </wpt>\r\n");
    ++counts_.markers;
}

void GpxFile::flushPending() {
    if (!pending_.active) {
        return;
    }
    pending_.active = false;
    const std::optional<double> latValue = Coordinate(pending_.lat);
    const std::optional<double> lonValue = Coordinate(pending_.lon);
    if (!latValue || !lonValue || !InGpxRange(*latValue, *lonValue)) {
        counts_.leftOut += 1 + pending_.markers;
        return;
    }
    OutputFile& out = waypoints_;
    openPoint(out, "  <wpt", pending_.lat, pending_.lon);
    out.Write(">\r\n");
    if (pending_.time) {
        WriteElement(out, "    ", "time", pending_.time->text);
    }
    WriteElement(out, "    ", "name", pending_.label);
    if (!pending_.speed.empty()) {
        out.Write("    <cmt>");
        out.Write(pending_.speed);
        if (!pending_.unit.empty()) {
            out.Write(" ");
            out.Write(pending_.unit);
        }
        out.Write("</cmt>\r\n");
    }
    if (pending_.sat >= 0) {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, pending_.sat).ptr;
        out.Write("    <sat>");
        out.Write({digits, static_cast<std::size_t>(end - digits)});
        out.Write("</sat>\r\n");
    }
    out.Write("  </wpt>\r\n");
    ++counts_.waypoints;
    for (std::uint64_t i = 0; i < pending_.markers; ++i) {
        writeMarker(pending_.lat, pending_.lon);
    }
}

bool GpxFile::Failed() const {
    return out_.Failed() || waypoints_.Failed() || track_.Failed();
}

bool GpxFile::Close(std::string& error) {
    flushPending();
    out_.Write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
               "<gpx version=\"1.1\" creator=\"ZUM-POINTS\" "
               "xmlns=\"http://www.topografix.com/GPX/1/1\" "
               "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
               "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
               "http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n"
               "  <metadata>\r\n");
    WriteElement(out_, "    ", "name", logName_);
    if (counts_.trackPoints != 0) {
        out_.Write("    <bounds minlat=\"");
        out_.Write(minLatText_);
        out_.Write("\" minlon=\"");
        out_.Write(minLonText_);
        out_.Write("\" maxlat=\"");
        out_.Write(maxLatText_);
        out_.Write("\" maxlon=\"");
        out_.Write(maxLonText_);
        out_.Write("\"/>\r\n");
    }
    out_.Write("  </metadata>\r\n");
    if (!out_.Append(waypoints_, error)) {
        Discard();
        return false;
    }
    out_.Write("  <trk>\r\n");
    WriteElement(out_, "    ", "name", logName_);
    if (counts_.trackPoints != 0) {
        out_.Write("    <trkseg>\r\n");
        if (!track_.WriteTo(out_, *draw_, drawTrackStart_, error)) {
            Discard();
            return false;
        }
        out_.Write("    </trkseg>\r\n");
    }
    out_.Write("  </trk>\r\n</gpx>\r\n");
    // The last bytes go to disk while the scratch parts are dropped.
    out_.StartWriteBack();
    waypoints_.Discard();
    track_.Discard();
    if (!out_.Close(error)) {
        Discard();
        return false;
    }
    return true;
}

void GpxFile::Discard() {
    out_.Discard();
    waypoints_.Discard();
    track_.Discard();
}

} // namespace zum
