#include "convert/draw_files.hpp"

#include <charconv>

namespace zum {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

constexpr std::string_view kSuffixes[] = {"_draw.txt", "_time.txt", "_sat.txt", "_speed.txt",
                                          "_2d.txt"};

} // namespace

std::string_view SuffixOf(DrawFileKind kind) {
    return kSuffixes[static_cast<std::size_t>(kind)];
}

bool DrawFiles::Create(const std::filesystem::path& stem, OutputSet& outputs, std::string& error) {
    counts_ = {};
    files_ = {};
    gpx_.reset();
    outputs_ = &outputs;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        std::filesystem::path path = stem;
        path += std::string(kSuffixes[i]);
        files_[i] = outputs.Add(path, error);
        if (files_[i] == nullptr) {
            return false;
        }
        files_[i]->Write(i == 0 ? "BEGIN LINE\r\n" : "BEGIN SYMBOL\r\n");
    }
    return true;
}

bool DrawFiles::AddGpx(const std::filesystem::path& stem, std::string_view logName,
                       std::string& error) {
    std::filesystem::path path = stem;
    path += ".gpx";
    if (!gpx_.emplace().Create(path, logName, file(DrawFileKind::Draw), error)) {
        gpx_.reset();
        return false;
    }
    // The GPX file is written apart (it is joined from parts at the end) but
    // replaced together with the five.
    outputs_->Join(gpx_->Output());
    return true;
}

void DrawFiles::Track(std::string_view lat, std::string_view lon) {
    if (gpx_) {
        gpx_->TrackPoint(lat, lon);
    }
    OutputFile& f = file(DrawFileKind::Draw);
    f.Write(lat);
    f.Write(",");
    f.Write(lon);
    f.Write(kLineEnd);
    ++counts_.draw;
}

void DrawFiles::waypoint(DrawFileKind kind, std::string_view lat, std::string_view lon,
                         std::string_view label, std::string_view symbol) {
    OutputFile& f = file(kind);
    f.Write(lat);
    f.Write(",");
    f.Write(lon);
    f.Write(",");
    f.Write(label);
    f.Write(",");
    f.Write(symbol);
    f.Write(kLineEnd);
}

void DrawFiles::TimeWaypoint(std::string_view lat, std::string_view lon, std::string_view label) {
    waypoint(DrawFileKind::Time, lat, lon, label, "Arrow Down Left");
    ++counts_.time;
    if (gpx_) {
        gpx_->TimeWaypoint(lat, lon, label);
    }
}

void DrawFiles::SpeedWaypoint(std::string_view lat, std::string_view lon, std::string_view speed) {
    waypoint(DrawFileKind::Speed, lat, lon, speed, "Arrow Up Left");
    ++counts_.speed;
    if (gpx_) {
        gpx_->SpeedWaypoint(lat, lon, speed);
    }
}

void DrawFiles::SatWaypoint(std::string_view lat, std::string_view lon, int count) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, count).ptr;
    waypoint(DrawFileKind::Sat, lat, lon, {digits, static_cast<std::size_t>(end - digits)},
             "Arrow Down Right");
    ++counts_.sat;
    if (gpx_) {
        gpx_->SatWaypoint(lat, lon, count);
    }
}

void DrawFiles::FixMarker(std::string_view lat, std::string_view lon) {
    waypoint(DrawFileKind::Fix, lat, lon, " ", "Arrow Up Right");
    ++counts_.fix;
    if (gpx_) {
        gpx_->FixMarker(lat, lon);
    }
}

bool DrawFiles::Failed() const {
    for (const OutputFile* f : files_) {
        if (f != nullptr && f->Failed()) {
            return true;
        }
    }
    return gpx_ && gpx_->Failed();
}

bool DrawFiles::Finish(std::string& error) {
    for (OutputFile* f : files_) {
        f->Write("END\r\n");
        // Their last bytes go to disk while the GPX file is completed.
        f->StartWriteBack();
    }
    // The GPX track reads its coordinates back from the draw file: a draw
    // file that could not be written is reported as such.
    for (OutputFile* f : files_) {
        if (f->Failed()) {
            return f->Flush(error);
        }
    }
    return !gpx_ || gpx_->Close(error);
}

} // namespace zum
