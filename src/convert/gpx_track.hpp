#pragma once

#include "output_file.hpp"
#include "short_text.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zum {

// The track points of a GPX file, kept while the run goes on and written out
// as <trkpt> lines when the file is joined.
//
// Every track point is also a line "lat,lon" of the draw file, in the same
// order and with the same texts, so the coordinates are read back from there
// and a small scratch file beside the output keeps only what the draw file
// lacks: for each of its points whether it is in the track at all, whether a
// new segment begins there, the lengths of its two texts, and its time, the
// date part only when it changed. That is an eighth of the <trkpt> lines'
// size: little for the kernel to keep and to drop again.
class GpxTrack {
public:
    GpxTrack() = default;
    GpxTrack(const GpxTrack&) = delete;
    GpxTrack& operator=(const GpxTrack&) = delete;

    // The scratch file goes beside `besidePath`.
    bool Create(const std::filesystem::path& besidePath, std::string& error);

    // The next point of the draw file, `latSize` and `lonSize` being the
    // lengths of its texts. `time` is empty for a point without one. A new
    // segment begins before it when `newSegment` is set.
    void Add(std::size_t latSize, std::size_t lonSize, std::string_view time, bool newSegment);
    // The next point of the draw file is not in the track.
    void Skip(std::size_t latSize, std::size_t lonSize);

    [[nodiscard]] bool Failed() const { return file_.Failed(); }

    // Writes every point, in order, as the lines of <trkseg> elements (the
    // first one's opening and the last one's closing tags are the caller's).
    // `draw` is the draw file, flushed, its first point's line `from` bytes
    // into it.
    bool WriteTo(OutputFile& out, const OutputFile& draw, std::uint64_t from, std::string& error);
    void Discard() { file_.Discard(); }

private:
    void add(unsigned char flags, std::size_t latSize, std::size_t lonSize, std::string_view time);

    OutputFile file_;
    ShortText<16> date_; // the date part of the last time stored
    std::uint64_t points_ = 0;
};

} // namespace zum
