#include "convert/temp_folder.hpp"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace zum::testing {
namespace {

const std::filesystem::path kGolden = ZUM_GOLDEN_DIR;
const char* kSuffixes[] = {"_draw.txt", "_time.txt", "_sat.txt", "_speed.txt", "_2d.txt"};

struct Outcome {
    int status;
    std::string out, err;
};

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs the real zum-convert with the arguments, never the user's settings.
Outcome RunConvert(const std::vector<std::string>& args) {
    TempFolder capture;
    std::string command = Quote(ZUM_CONVERT);
    for (const std::string& arg : args) {
        command.append(" ").append(Quote(arg));
    }
    command.append(" >").append(Quote((capture / "out").string()));
    command.append(" 2>").append(Quote((capture / "err").string()));
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(capture / "out"),
            ReadFile(capture / "err")};
}

std::vector<std::string> LinesOf(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(ZumConvert, GoldenLogsGiveTheirFiveFilesByteForByte) {
    int cases = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kGolden)) {
        if (!entry.is_directory()) {
            continue;
        }
        ++cases;
        const auto dir = entry.path();
        // The same bytes from one thread, two, and more threads than cores.
        for (const char* threads : {"1", "2", "5"}) {
            TempFolder work;
            const auto log = work / "0511NMEA.TXT";
            std::filesystem::copy_file(kGolden / LinesOf(dir / "log").at(0), log);
            std::vector<std::string> args = {"--settings", "/dev/null", "--threads", threads};
            for (const std::string& arg : LinesOf(dir / "args")) {
                args.push_back(arg);
            }
            args.push_back(log.string());
            const Outcome run = RunConvert(args);
            ASSERT_EQ(run.status, 0) << dir << run.err;
            for (const char* suffix : kSuffixes) {
                const std::string name = std::string("0511NMEA.TXT") + suffix;
                EXPECT_EQ(ReadFile(work / name), ReadFile(dir / name))
                    << dir.filename() << " " << name << " at " << threads << " threads";
            }
        }
    }
    EXPECT_GE(cases, 4);
}

TEST(ZumConvert, TakesDefaultsFromTheSettingsFileAndOptionsOverThem) {
    TempFolder work;
    const auto log = work / "0511NMEA.TXT";
    std::filesystem::copy_file(kGolden / "fractional.nmea", log);
    // By interval only, one minute, knots, UTC+13.
    WriteFile(work / "settings.dat", "h\r\n/data\r\n 13 \r\n 1 \r\n 0 \r\n 0 \r\n 0 \r\n");
    ASSERT_EQ(
        RunConvert({"--settings", (work / "settings.dat").string(), "-q", log.string()}).status, 0);
    const std::string time = ReadFile(work / "0511NMEA.TXT_time.txt");
    EXPECT_NE(time.find(",22:00,"), std::string::npos) << time;
    ASSERT_EQ(RunConvert({"--settings", (work / "settings.dat").string(), "--tz", "-7", "-q",
                          log.string()})
                  .status,
              0);
    EXPECT_EQ(ReadFile(work / "0511NMEA.TXT_time.txt"),
              ReadFile(kGolden / "fractional-interval-time" / "0511NMEA.TXT_time.txt"));
}

TEST(ZumConvert, EachLogIsConvertedAfreshAndFailuresAreNamed) {
    TempFolder work;
    TempFolder out;
    std::filesystem::copy_file(kGolden / "drive.nmea", work / "ANMEA.TXT");
    std::filesystem::copy_file(kGolden / "drive.nmea", work / "BNMEA.TXT");
    const Outcome run =
        RunConvert({"--settings", "/dev/null", "--output-dir", out.path().string(),
                    (work / "ANMEA.TXT").string(), (work / "MISSINGNMEA.TXT").string(),
                    (work / "BNMEA.TXT").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("MISSINGNMEA.TXT"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("ANMEA.TXT: 32 track points, 3 time"), std::string::npos) << run.out;
    // The same log twice, each with a fresh state: the same files.
    for (const char* suffix : kSuffixes) {
        EXPECT_EQ(ReadFile(out / (std::string("ANMEA.TXT") + suffix)),
                  ReadFile(out / (std::string("BNMEA.TXT") + suffix)));
        EXPECT_EQ(ReadFile(out / (std::string("ANMEA.TXT") + suffix)),
                  ReadFile(kGolden / "drive-at-stops" / (std::string("0511NMEA.TXT") + suffix)));
    }
    EXPECT_EQ(work.Names().size(), 2u); // nothing written beside the logs
}

TEST(ZumConvert, UnwritableOutputsAndBadOptions) {
    TempFolder work;
    const auto log = work / "0511NMEA.TXT";
    std::filesystem::copy_file(kGolden / "drive.nmea", log);
    // /proc takes no new files, not even from root.
    const Outcome proc =
        RunConvert({"--settings", "/dev/null", "--output-dir", "/proc", log.string()});
    EXPECT_EQ(proc.status, 1);
    EXPECT_NE(proc.err.find("0511NMEA.TXT_draw.txt"), std::string::npos) << proc.err;

    EXPECT_EQ(RunConvert({}).status, 2);
    EXPECT_EQ(RunConvert({"--units", "furlongs", log.string()}).status, 2);
    EXPECT_EQ(RunConvert({"--threads", "0", log.string()}).status, 2);
    EXPECT_EQ(RunConvert({"--interval-time", "99999", log.string()}).status, 2);
    EXPECT_EQ(RunConvert({"--interval-time", "5", "--interval-distance", "3", log.string()}).status,
              2);
    EXPECT_EQ(work.Names(), std::vector<std::string>{"0511NMEA.TXT"});
    EXPECT_EQ(RunConvert({"--help"}).status, 0);
}

} // namespace
} // namespace zum::testing
