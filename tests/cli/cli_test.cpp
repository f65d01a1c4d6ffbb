#include "convert/temp_folder.hpp"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
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

// Runs the real zum-convert with the arguments, never the user's settings;
// a run that waits for a minute is ended (status 124). The summary goes to
// `out` when given.
Outcome RunConvert(const std::vector<std::string>& args, const std::string& out = "") {
    TempFolder capture;
    std::string command = "timeout 60 " + Quote(ZUM_CONVERT);
    for (const std::string& arg : args) {
        command.append(" ").append(Quote(arg));
    }
    command.append(" >").append(Quote(out.empty() ? (capture / "out").string() : out));
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
        TempFolder work;
        const auto log = work / "0511NMEA.TXT";
        std::filesystem::copy_file(kGolden / LinesOf(dir / "log").at(0), log);
        std::vector<std::string> args = {"--settings", "/dev/null"};
        for (const std::string& arg : LinesOf(dir / "args")) {
            args.push_back(arg);
        }
        args.push_back(log.string());
        const Outcome run = RunConvert(args);
        ASSERT_EQ(run.status, 0) << dir << run.err;
        for (const char* suffix : kSuffixes) {
            const std::string name = std::string("0511NMEA.TXT") + suffix;
            EXPECT_EQ(ReadFile(work / name), ReadFile(dir / name)) << dir.filename() << " " << name;
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
    EXPECT_EQ(RunConvert({"--interval-time", "99999", log.string()}).status, 2);
    EXPECT_EQ(RunConvert({"--interval-time", "5", "--interval-distance", "3", log.string()}).status,
              2);
    EXPECT_EQ(work.Names(), std::vector<std::string>{"0511NMEA.TXT"});
    EXPECT_EQ(RunConvert({"--help"}).status, 0);
}

TEST(ZumConvert, OptionValuesThatWouldBeRoundedOrAreNotNumbersAreRefused) {
    TempFolder work;
    const auto log = work / "0511NMEA.TXT";
    std::filesystem::copy_file(kGolden / "drive.nmea", log);
    const std::vector<std::vector<std::string>> refused = {{"--tz", "5.5"},
                                                           {"--tz", "4.5"},
                                                           {"--tz", "nan"},
                                                           {"--tz", "inf"},
                                                           {"--interval-time", "2.5"},
                                                           {"--interval-time", "nan"},
                                                           {"--interval-time", "-inf"},
                                                           {"--interval-distance", "nan"},
                                                           {"--interval-distance", "inf"}};
    for (const auto& option : refused) {
        const Outcome run =
            RunConvert({"--settings", "/dev/null", option[0], option[1], log.string()});
        EXPECT_EQ(run.status, 2) << option[0] << " " << option[1];
        EXPECT_NE(run.err.find("number"), std::string::npos) << run.err;
    }
    EXPECT_EQ(work.Names(), std::vector<std::string>{"0511NMEA.TXT"});
    EXPECT_EQ(RunConvert({"--settings", "/dev/null", "--tz", "-5", "--interval-distance", "2.5",
                          log.string()})
                  .status,
              0);
}

TEST(ZumConvert, ASecondLogOfTheSameNameInTheOutputFolderIsRefused) {
    TempFolder work;
    TempFolder out;
    std::filesystem::create_directories(work / "a");
    std::filesystem::create_directories(work / "b");
    std::filesystem::copy_file(kGolden / "drive.nmea", work / "a" / "0511NMEA.TXT");
    std::filesystem::copy_file(kGolden / "fractional.nmea", work / "b" / "0511NMEA.TXT");
    const Outcome run = RunConvert({"--settings", "/dev/null", "--marking", "stops", "--output-dir",
                                    out.path().string(), (work / "a" / "0511NMEA.TXT").string(),
                                    (work / "b" / "0511NMEA.TXT").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find((work / "b" / "0511NMEA.TXT").string()), std::string::npos) << run.err;
    for (const char* suffix : kSuffixes) {
        const std::string name = std::string("0511NMEA.TXT") + suffix;
        EXPECT_EQ(ReadFile(out / name), ReadFile(kGolden / "drive-at-stops" / name)) << name;
    }
}

TEST(ZumConvert, ASettingsFileThatCannotBeReadIsAnError) {
    TempFolder work;
    const auto log = work / "0511NMEA.TXT";
    std::filesystem::copy_file(kGolden / "drive.nmea", log);
    ASSERT_EQ(::mkfifo((work / "fifo").c_str(), 0600), 0);
    for (const std::string& settings :
         {(work / "fifo").string(), work.path().string(), std::string("/dev/zero")}) {
        const Outcome run = RunConvert({"--settings", settings, "-q", log.string()});
        EXPECT_EQ(run.status, 1) << settings;
        EXPECT_EQ(run.err.find("zum-convert: cannot read " + settings + ": "), 0u) << run.err;
    }
    EXPECT_EQ(work.Names(), (std::vector<std::string>{"0511NMEA.TXT", "fifo"}));
    // A missing file still means the built-in defaults.
    EXPECT_EQ(RunConvert({"--settings", (work / "missing").string(), "-q", log.string()}).status,
              0);
}

TEST(ZumConvert, ASummaryThatCannotBeWrittenIsAFailure) {
    TempFolder work;
    const auto log = work / "0511NMEA.TXT";
    std::filesystem::copy_file(kGolden / "drive.nmea", log);
    const Outcome full = RunConvert({"--settings", "/dev/null", log.string()}, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
    EXPECT_EQ(RunConvert({"--settings", "/dev/null", "-q", log.string()}, "/dev/full").status, 0);
}

} // namespace
} // namespace zum::testing
