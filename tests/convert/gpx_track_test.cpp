#include "conversion_fixture.hpp"
#include "convert/gpx_time.hpp"
#include "convert/gpx_track.hpp"
#include "convert/nmea_fields.hpp"
#include "convert/output_set.hpp"
#include "temp_folder.hpp"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zum::testing {
namespace {

// The whole file in one read: ReadFile goes a byte at a time, slow for
// files of several MiB under the sanitizers.
std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::filesystem::file_size(path), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// Writes `text` in pieces of the sizes given in turn, through Write and
// through Room/Advance alternately.
void WriteInPieces(OutputFile& file, std::string_view text) {
    static constexpr std::size_t kSizes[] = {1, 7, 300, 70000, 5, 4096, 200000, 13};
    bool inPlace = false;
    for (std::size_t i = 0; !text.empty(); ++i, inPlace = !inPlace) {
        const std::string_view piece = text.substr(0, kSizes[i % std::size(kSizes)]);
        if (inPlace && piece.size() <= OutputFile::kMaxRoom) {
            std::memcpy(file.Room<OutputFile::kMaxRoom>(), piece.data(), piece.size());
            file.Advance(piece.size());
        } else {
            file.Write(piece);
        }
        text.remove_prefix(piece.size());
    }
}

// Kept files are handed to the disk every MiB while they are written and
// scratch files never; either way the file holds exactly what was written,
// and a set of them is still replaced whole.
TEST(OutputFile, WritingBackEarlyKeepsEveryByte) {
    TempFolder folder;
    std::string text(5 * 1024 * 1024 + 7, ' ');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>('!' + (i * 7919 + i / 4093) % 90);
    }
    WriteFile(folder / "kept.txt", "old");
    OutputSet set;
    std::string error;
    OutputFile* kept = set.Add(folder / "kept.txt", error);
    ASSERT_NE(kept, nullptr) << error;
    OutputFile scratch;
    ASSERT_TRUE(scratch.Create(folder / "kept.txt", error, OutputFile::Use::Scratch)) << error;
    WriteInPieces(*kept, text);
    WriteInPieces(scratch, text);
    EXPECT_EQ(kept->Size(), text.size());
    ASSERT_TRUE(scratch.Flush(error)) << error;
    EXPECT_TRUE(ReadWhole(scratch.TemporaryPath()) == text);
    kept->StartWriteBack();
    EXPECT_TRUE(ReadWhole(kept->TemporaryPath()) == text);
    EXPECT_EQ(ReadFile(folder / "kept.txt"), "old"); // nothing replaced yet
    scratch.Discard();
    ASSERT_TRUE(set.Commit(error)) << error;
    EXPECT_TRUE(ReadWhole(folder / "kept.txt") == text);
    EXPECT_EQ(folder.Names(), Lines{"kept.txt"});
}

struct Point {
    std::string lat, lon, time;
    bool newSegment = false;
    bool skipped = false;
};

// The <trkpt> lines of the points, as the GPX file has them.
std::string TrackLines(const std::vector<Point>& points) {
    std::string lines;
    for (const Point& p : points) {
        if (p.skipped) {
            continue;
        }
        if (p.newSegment) {
            lines += "    </trkseg>\r\n    <trkseg>\r\n";
        }
        lines += "      <trkpt lat=\"" + p.lat + "\" lon=\"" + p.lon + "\"";
        lines += p.time.empty() ? "/>\r\n" : "><time>" + p.time + "</time></trkpt>\r\n";
    }
    return lines;
}

// Writes the points as a draw file does and through a GpxTrack; returns
// what WriteTo gives, or the error.
std::string RoundTrip(const TempFolder& folder, const std::vector<Point>& points,
                      bool damageDrawFile = false) {
    std::string error;
    OutputFile draw;
    GpxTrack track;
    if (!draw.Create(folder / "LOG_draw.txt", error) || !track.Create(folder / "LOG.gpx", error)) {
        return error;
    }
    draw.Write("BEGIN LINE\r\n");
    const std::uint64_t from = draw.Size();
    for (const Point& p : points) {
        draw.Write(p.lat + "," + p.lon + "\r\n");
        if (p.skipped) {
            track.Skip(p.lat.size(), p.lon.size());
        } else {
            track.Add(p.lat.size(), p.lon.size(), p.time, p.newSegment);
        }
    }
    draw.Write(damageDrawFile ? "1.5" : "END\r\n");
    OutputFile out;
    if (!draw.Flush(error) || !out.Create(folder / "LOG.gpx", error)) {
        return error;
    }
    if (!track.WriteTo(out, draw, damageDrawFile ? from + 1 : from, error) || !out.Flush(error)) {
        return "error: " + error;
    }
    return ReadWhole(out.TemporaryPath());
}

TEST(GpxTrack, GivesBackEveryPointAsTheDrawFileAndTheTimesHaveIt) {
    TempFolder folder;
    const std::string longText(300, '7'); // lengths of two bytes, copied whole
    const std::vector<Point> points = {
        {"39.514", "-119.859", "2006-05-11T19:03:34Z"},
        {"39.5139966666667", "-119.858996666667", "2006-05-11T19:03:35Z"},
        {"39.5139966666667", "-119.858996666667", ""},           // no time
        {"95.5", "-119.8", "2006-05-11T19:03:37Z", false, true}, // left out
        {"39.6", "-119.7", "2006-05-11T19:05:00.125Z", true},    // a gap
        {"39.6", "-119.7", "2006-05-12T00:00:00Z"},              // midnight
        {"0.5", "-0.5", "2006-05-12T00:00:01.123456789Z"},
        {longText, longText + "1", "2006-05-12T00:00:02Z"},
        {"", "", ""},
        {"-1", "2", "x"},
    };
    EXPECT_EQ(RoundTrip(folder, points), TrackLines(points));
    EXPECT_EQ(RoundTrip(folder, {}), "");
    // No temporaries are left.
    EXPECT_EQ(folder.Names(), Lines{});
}

TEST(GpxTrack, ALongTrackCrossesEveryBufferWhole) {
    TempFolder folder;
    std::vector<Point> points;
    for (int i = 0; i < 70000; ++i) {
        const std::string second = std::to_string(10 + i % 50);
        points.push_back({"39." + std::to_string(i), "-119." + std::to_string(i * 7),
                          i % 1000 == 999
                              ? ""
                              : "2006-05-1" + std::to_string(i / 30000) + "T19:03:" + second + "Z",
                          i % 5000 == 1, i % 7777 == 3});
    }
    const std::string lines = RoundTrip(folder, points);
    EXPECT_GT(lines.size(), 4u * 1024 * 1024);
    EXPECT_TRUE(lines == TrackLines(points)); // not printed when it fails: too long
}

TEST(GpxTrack, ADrawFileThatDoesNotMatchIsAnError) {
    TempFolder folder;
    const std::string result = RoundTrip(folder, {{"1", "2", ""}, {"3", "4", ""}}, true);
    EXPECT_EQ(result.rfind("error: cannot read back", 0), 0u) << result;
}

TEST(RmcTimeAndDate, FindsTheFieldsNmeaFieldsFinds) {
    const std::string longTail(80, 'x');
    const std::string lines[] = {
        "$GPRMC,190334,A,3930.8400,N,11951.5400,W,0.0,271.5,110506,15.2,E,D*3D",
        "$GPRMC,190334.000,A,3930.84000000,N,11951.54000000,W,0.00,271.50,110506,,,A*3D",
        "$GPRMC,1,A,1,N,1,W,1,1,110506",  // the date runs to the end
        "$GPRMC,1,A,1,N,1,W,1,1,110506,", // the date ends at a comma
        "$GPRMC,1,A,1,N,1,W,1,1",         // no date
        "$GPRMC,190334",                  // the time runs to the end
        "$GPRMC",
        "",
        // Exactly 64 bytes, with and without the tenth comma inside.
        "$GPRMC,190334,A,3930.8400,N,11951.5400,W,0.0,271.5,110506,15.2,E",
        "$GPRMC,190334,A,3930.8400,N,11951.5400,W,0.0,271.5,1105061234567",
        // The tenth comma past the first 64 bytes, or none at all.
        "$GPRMC,190334,A,3930.840000000000000000,N,11951.5400000000000,W,0.0,271.5,110506,1",
        "$GPRMC,190334,A,3930.840000000000000000,N,11951.5400000000000,W,0.0,271.5,110506" +
            longTail,
        "$GPRMC,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,",
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const NmeaFields fields(line, 10);
        const TimeAndDate found = RmcTimeAndDate(line);
        EXPECT_EQ(found.time, fields[1]);
        EXPECT_EQ(found.date, fields[9]);
    }
}

} // namespace
} // namespace zum::testing
