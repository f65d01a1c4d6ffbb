#include "run_convert.hpp"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

namespace zum::testing {
namespace {

const std::filesystem::path kGolden = ZUM_GOLDEN_DIR;
const char* kSuffixes[] = {"_draw.txt", "_time.txt", "_sat.txt", "_speed.txt", "_2d.txt"};

struct Point {
    double lat, lon;
};

// The positions of a draw file's records that GPX can hold ("lat,lon,...");
// records without a position (",, ,Arrow Up Right") have none.
std::vector<Point> PlacedRecords(const std::filesystem::path& path) {
    std::vector<Point> points;
    for (const std::string& line : LinesOf(path)) {
        if (line.rfind("BEGIN", 0) == 0 || line.rfind("END", 0) == 0 || line[0] == ',') {
            continue;
        }
        char* end = nullptr;
        const Point p{std::strtod(line.c_str(), &end), std::strtod(end + 1, nullptr)};
        if (p.lat >= -90 && p.lat <= 90 && p.lon >= -180 && p.lon < 180) {
            points.push_back(p);
        }
    }
    return points;
}

// The Latitude and Longitude columns of gpsbabel's unicsv rows.
std::vector<Point> UnicsvPoints(const std::string& csv) {
    std::istringstream in(csv);
    std::vector<Point> points;
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string number, lat, lon;
        std::getline(fields, number, ',');
        std::getline(fields, lat, ',');
        std::getline(fields, lon, ',');
        points.push_back({std::stod(lat), std::stod(lon)});
    }
    return points;
}

Outcome Validate(const std::filesystem::path& gpx) {
    return RunCommand("xmllint --noout --schema " + Quote(ZUM_GPX_SCHEMA) + " " +
                      Quote(gpx.string()));
}

// Waypoints and track points as gpxpy (Debian's python3-gpxpy) counts them.
std::string GpxpyCounts(const std::filesystem::path& gpx) {
    return RunCommand("/usr/bin/python3 -c 'import gpxpy, sys; "
                      "g = gpxpy.parse(open(sys.argv[1], encoding=\"utf-8\")); "
                      "print(len(g.waypoints), "
                      "sum(len(s.points) for t in g.tracks for s in t.segments))' " +
                      Quote(gpx.string()))
        .out;
}

std::vector<std::filesystem::path> ReceiverLogs() {
    std::vector<std::filesystem::path> logs;
    for (const char* folder : {ZUM_REAL_LOGS, ZUM_MODERN_LOGS}) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            if (entry.path().extension() == ".TXT") {
                logs.push_back(entry.path());
            }
        }
    }
    std::sort(logs.begin(), logs.end());
    return logs;
}

// Every receiver log, with a waypoint at nearly every position: the GPX is
// valid, GPSBabel and gpxpy read back the draw file's track point for point
// and one waypoint per time/speed record and per placed 2-D marker, and the
// five draw files are the same bytes with --gpx on and off.
TEST(Gpx, ReceiverLogsReadBackAsTheirDrawFiles) {
    const std::vector<std::filesystem::path> logs = ReceiverLogs();
    if (logs.empty()) {
        GTEST_SKIP() << "no receiver logs in " << ZUM_REAL_LOGS;
    }
    std::uint64_t waypointsSeen = 0;
    for (const auto& log : logs) {
        SCOPED_TRACE(log.filename().string());
        TempFolder on, off;
        for (const auto& [folder, gpxOption] : {std::pair{&on, "--gpx"}, {&off, "--no-gpx"}}) {
            ASSERT_EQ(RunConvert({"--settings", "/dev/null", "--marking", "interval",
                                  "--interval-distance", "1", "-q", gpxOption, "--output-dir",
                                  folder->path().string(), log.string()})
                          .status,
                      0);
        }

        const std::string name = log.filename().string();
        for (const char* suffix : kSuffixes) {
            EXPECT_EQ(ReadFile(on / (name + suffix)), ReadFile(off / (name + suffix))) << suffix;
        }
        EXPECT_FALSE(std::filesystem::exists(off / (name + ".gpx")));
        const auto gpx = on / (name + ".gpx");
        const Outcome valid = Validate(gpx);
        EXPECT_EQ(valid.status, 0) << valid.err;

        const std::vector<Point> track = PlacedRecords(on / (name + "_draw.txt"));
        const auto babel = [&gpx](const char* what) {
            const Outcome run = RunCommand("gpsbabel " + std::string(what) + " -i gpx -f " +
                                           Quote(gpx.string()) + " -o unicsv -F -");
            EXPECT_EQ(run.status, 0) << run.err;
            return UnicsvPoints(run.out);
        };
        const std::vector<Point> readBack = babel("-t");
        ASSERT_EQ(readBack.size(), track.size());
        for (std::size_t i = 0; i < track.size(); ++i) {
            // unicsv writes six decimals.
            EXPECT_NEAR(readBack[i].lat, track[i].lat, 5.1e-7) << i;
            EXPECT_NEAR(readBack[i].lon, track[i].lon, 5.1e-7) << i;
        }

        const std::size_t waypoints = PlacedRecords(on / (name + "_time.txt")).size() +
                                      PlacedRecords(on / (name + "_2d.txt")).size();
        EXPECT_EQ(babel("-w").size(), waypoints);
        EXPECT_EQ(GpxpyCounts(gpx),
                  std::to_string(waypoints) + " " + std::to_string(track.size()) + "\n");
        waypointsSeen += waypoints;
    }
    EXPECT_GT(waypointsSeen, 100u);
}

// A log without positions, named with markup and a byte that is not UTF-8:
// a valid GPX with the name escaped, no bounds and no track points. A time
// field holding control and non-UTF-8 bytes still gives a file that parses.
// Points left out for their ranges are told on stderr.
TEST(Gpx, LogsWithoutPositionsOrWithDamagedTextGiveValidFiles) {
    TempFolder work;
    const std::string odd = "a&b<c>\xff NMEA.TXT";
    WriteFile(work / odd, "$GPGSA,A,2,05,06,07,,,,,,,,,,2.3,1.3,1.8*00\r\nnoise\r\n"
                          "$GPRMC,190334,V,,,,,,,110306,,*38\r\n");
    WriteFile(work / "DAMAGEDNMEA.TXT",
              "$GPRMC,1\x01\xff\x02"
              "34,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,A*00\r\n"
              "$GPGSA,A,2,05,06,07,,,,,,,,,,2.3,1.3,1.8*00\r\n");
    std::filesystem::copy_file(kGolden / "midnight.nmea", work / "RANGESNMEA.TXT");
    const Outcome run =
        RunConvert({"--settings", "/dev/null", "--gpx", "--marking", "interval",
                    "--interval-distance", "1", (work / odd).string(),
                    (work / "DAMAGEDNMEA.TXT").string(), (work / "RANGESNMEA.TXT").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    // Only the log with points outside GPX's ranges has them counted.
    EXPECT_EQ(run.err, "zum-convert: " + (work / "RANGESNMEA.TXT").string() +
                           ": 5 points outside latitude -90..90 or longitude -180..<180 left out "
                           "of the GPX file\n");

    const auto empty = work / (odd + ".gpx");
    const auto damaged = work / "DAMAGEDNMEA.TXT.gpx";
    for (const auto& gpx : {empty, damaged}) {
        EXPECT_EQ(Validate(gpx).status, 0) << Validate(gpx).err;
    }
    const std::string text = ReadFile(empty);
    EXPECT_NE(text.find("<name>a&amp;b&lt;c&gt;\xEF\xBF\xBD NMEA.TXT</name>"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("<bounds"), std::string::npos);
    EXPECT_EQ(text.find("<trkseg>"), std::string::npos);
    EXPECT_EQ(GpxpyCounts(empty), "0 0\n");

    EXPECT_EQ(GpxpyCounts(damaged), "2 1\n"); // the time waypoint and the 2-D marker
    EXPECT_EQ(ReadFile(damaged).find("<time>"), std::string::npos);
}

// The GPX is one of the run's outputs: when it cannot be written nothing is
// replaced, and no temporary is left behind.
TEST(Gpx, AnOutputThatCannotBeWrittenLeavesEveryPreviousFile) {
    TempFolder work;
    const auto log = work / "0511NMEA.TXT";
    std::filesystem::copy_file(kGolden / "drive.nmea", log);
    for (const char* suffix : kSuffixes) {
        WriteFile(work / ("0511NMEA.TXT" + std::string(suffix)), "previous");
    }
    std::filesystem::create_directory(work / "0511NMEA.TXT.gpx");
    const Outcome run = RunConvert({"--settings", "/dev/null", "--gpx", log.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("0511NMEA.TXT.gpx"), std::string::npos) << run.err;
    for (const char* suffix : kSuffixes) {
        EXPECT_EQ(ReadFile(work / (std::string("0511NMEA.TXT") + suffix)), "previous") << suffix;
    }
    EXPECT_EQ(work.Names().size(), 7u); // the log, the five files and the folder
}

// A write that fails part-way (here at a file size limit) fails the whole
// run, naming the file that could not be written, whether it is a draw file
// (which the GPX track also reads back) or the GPX file, and nothing is
// replaced or left behind.
TEST(Gpx, AWriteThatFailsPartWayLeavesEveryPreviousFile) {
    TempFolder work;
    const auto log = work / "0511NMEA.TXT";
    const std::string drive = ReadFile(kGolden / "drive.nmea");
    std::string longer;
    for (int i = 0; i < 100; ++i) {
        longer += drive; // a draw file of about 100 KB, a GPX file of about 420 KB
    }
    WriteFile(log, longer);
    // ulimit -f counts blocks of 512 or 1024 bytes, as the shell has it.
    for (const auto& [blocks, failing] :
         {std::pair{"40", "0511NMEA.TXT_draw.txt"}, std::pair{"400", "0511NMEA.TXT.gpx"}}) {
        SCOPED_TRACE(blocks);
        for (const char* suffix : kSuffixes) {
            WriteFile(work / ("0511NMEA.TXT" + std::string(suffix)), "previous");
        }
        WriteFile(work / "0511NMEA.TXT.gpx", "previous");
        TempFolder config;
        const Outcome run = RunCommand("trap '' XFSZ; ulimit -f " + std::string(blocks) +
                                       "; XDG_CONFIG_HOME=" + Quote(config.path().string()) + " " +
                                       Quote(ZUM_CONVERT) + " --settings /dev/null --gpx -q " +
                                       Quote(log.string()));
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(std::string("cannot write ") + (work / failing).string()),
                  std::string::npos)
            << run.err;
        for (const char* suffix : kSuffixes) {
            EXPECT_EQ(ReadFile(work / ("0511NMEA.TXT" + std::string(suffix))), "previous");
        }
        EXPECT_EQ(ReadFile(work / "0511NMEA.TXT.gpx"), "previous");
        EXPECT_EQ(work.Names().size(), 7u); // the log and the six files
    }
}

// The window's saved choice is zum-convert's default, whatever --settings
// names; --gpx and --no-gpx override it.
TEST(Gpx, DefaultComesFromOurOwnSettingsFile) {
    TempFolder work, config;
    const auto log = work / "0511NMEA.TXT";
    std::filesystem::copy_file(kGolden / "drive.nmea", log);
    const auto gpx = work / "0511NMEA.TXT.gpx";
    const auto convert = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--settings", (work / "none.dat").string(), "-q"});
        args.push_back(log.string());
        EXPECT_EQ(RunConvert(args, config.path()).status, 0);
        const bool written = std::filesystem::exists(gpx);
        std::filesystem::remove(gpx);
        return written;
    };
    EXPECT_FALSE(convert({}));
    EXPECT_TRUE(convert({"--gpx"}));
    WriteFile(config / "zum-points.conf", "write_gpx=1\n");
    EXPECT_TRUE(convert({}));
    EXPECT_FALSE(convert({"--no-gpx"}));
}

} // namespace
} // namespace zum::testing
