#include "convert/temp_folder.hpp"
#include "run_convert.hpp"
#include "version/version.hpp"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace zum::testing {
namespace {

using namespace std::string_literals;

const std::filesystem::path kGolden = ZUM_GOLDEN_DIR;
const char* kSuffixes[] = {"_draw.txt", "_time.txt", "_sat.txt", "_speed.txt", "_2d.txt"};

// Copies a golden log into the folder as 0511NMEA.TXT.
std::filesystem::path CopyLog(TempFolder& work, const char* golden) {
    std::filesystem::copy_file(kGolden / golden, work / "0511NMEA.TXT");
    return work / "0511NMEA.TXT";
}

// A golden folder holding a .gpx expects one (its args ask for it); the
// others expect none (a missing file reads as empty).
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
            for (const char* suffix :
                 {"_draw.txt", "_time.txt", "_sat.txt", "_speed.txt", "_2d.txt", ".gpx"}) {
                const std::string name = std::string("0511NMEA.TXT") + suffix;
                EXPECT_EQ(ReadFile(work / name), ReadFile(dir / name))
                    << dir.filename() << " " << name << " at " << threads << " threads";
            }
        }
    }
    EXPECT_GE(cases, 9);
}

TEST(ZumConvert, TakesDefaultsFromTheSettingsFileAndOptionsOverThem) {
    TempFolder work;
    const auto log = CopyLog(work, "fractional.nmea");
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
    // The same log twice, each with a fresh state: the same files.
    for (const char* suffix : kSuffixes) {
        const std::string golden =
            ReadFile(kGolden / "drive-at-stops" / ("0511NMEA.TXT"s + suffix));
        EXPECT_EQ(ReadFile(out / ("ANMEA.TXT"s + suffix)), golden);
        EXPECT_EQ(ReadFile(out / ("BNMEA.TXT"s + suffix)), golden);
    }
    EXPECT_EQ(work.Names().size(), 2u); // nothing written beside the logs
}

TEST(ZumConvert, OtherTalkersAreNamedOnStderrAndReadOnRequest) {
    TempFolder work;
    const auto log = work / "gpsd-furuno_gl_ga-NMEA.TXT";
    std::filesystem::copy_file(kGolden / "furuno.nmea", log);
    const std::string hint = "zum-convert: " + log.string() +
                             ": 16 position reports from other talkers ($GNRMC) skipped; "
                             "--talkers any reads them\n";
    const Outcome gp = RunConvert({"--settings", "/dev/null", log.string()});
    EXPECT_EQ(gp.status, 0);
    EXPECT_EQ(gp.out, log.string() + ": 0 track points, 0 time, 0 satellite, 0 speed and 0 2-D "
                                     "waypoints\n");
    EXPECT_EQ(gp.err, hint);
    EXPECT_EQ(RunConvert({"--settings", "/dev/null", "-q", log.string()}).err, hint);

    const Outcome any = RunConvert({"--settings", "/dev/null", "--talkers", "any", log.string()});
    EXPECT_EQ(any.status, 0);
    EXPECT_EQ(any.out, log.string() + ": 16 track points, 1 time, 1 satellite, 1 speed and 0 "
                                      "2-D waypoints\n");
    EXPECT_EQ(any.err, "");

    // A log of GP sentences alone gets no hint.
    std::filesystem::copy_file(kGolden / "drive.nmea", work / "0511NMEA.TXT");
    EXPECT_EQ(RunConvert({"--settings", "/dev/null", (work / "0511NMEA.TXT").string()}).err, "");
    EXPECT_EQ(RunConvert({"--talkers", "GN", log.string()}).status, 2);
}

TEST(ZumConvert, TalkersDefaultToOurOwnSettingsFileWhicheverSharedFileIsUsed) {
    TempFolder work;
    const auto log = work / "NMEA.TXT";
    std::filesystem::copy_file(kGolden / "furuno.nmea", log);
    TempFolder config;
    const auto conf = config / "zum-points.conf";
    const auto tracks = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"-q", log.string()});
        const Outcome run = RunConvert(args, config.path());
        EXPECT_EQ(run.status, 0) << run.err;
        return ReadFile(work / "NMEA.TXT_draw.txt").size() > 20 ? "any" : "gp";
    };
    WriteFile(conf, "accept_other_talkers=1\n");
    EXPECT_STREQ(tracks({}), "any");
    EXPECT_STREQ(tracks({"--settings", "/dev/null"}), "any");
    EXPECT_STREQ(tracks({"--talkers", "gp"}), "gp");
    WriteFile(conf, "accept_other_talkers=on\n"); // damaged: off
    EXPECT_STREQ(tracks({}), "gp");
    std::filesystem::remove(conf);
    EXPECT_STREQ(tracks({"--settings", "/dev/null"}), "gp");
    EXPECT_STREQ(tracks({"--talkers", "any"}), "any");
}

TEST(ZumConvert, AnOutputFolderThatTakesNoFilesIsAFailure) {
    TempFolder work;
    const auto log = CopyLog(work, "drive.nmea");
    // /proc takes no new files, not even from root.
    const Outcome proc =
        RunConvert({"--settings", "/dev/null", "--output-dir", "/proc", log.string()});
    EXPECT_EQ(proc.status, 1);
    EXPECT_NE(proc.err.find("0511NMEA.TXT_draw.txt"), std::string::npos) << proc.err;
}

// Out of range, rounded, not numbers or in conflict: refused before any file is written.
TEST(ZumConvert, BadOptionValuesAreRefused) {
    TempFolder work;
    const auto log = CopyLog(work, "drive.nmea");
    const std::vector<std::vector<std::string>> refused = {
        {"--units", "furlongs"},
        {"--threads", "0"},
        {"--interval-time", "99999"},
        {"--interval-time", "5", "--interval-distance", "3"},
        {"--tz", "5.5"},
        {"--tz", "4.5"},
        {"--tz", "nan"},
        {"--tz", "inf"},
        {"--interval-time", "2.5"},
        {"--interval-time", "nan"},
        {"--interval-time", "-inf"},
        {"--interval-distance", "nan"},
        {"--interval-distance", "inf"}};
    for (auto args : refused) {
        args.insert(args.begin(), {"--settings", "/dev/null"});
        args.push_back(log.string());
        EXPECT_EQ(RunConvert(args).status, 2) << args[2] << " " << args[3];
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
    const auto log = CopyLog(work, "drive.nmea");
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
    const auto log = CopyLog(work, "drive.nmea");
    const auto toFullDisk = [&log](const std::string& options) {
        TempFolder config;
        return RunCommand("{ XDG_CONFIG_HOME=" + Quote(config.path().string()) + " " +
                          Quote(ZUM_CONVERT) + " --settings /dev/null " + options +
                          Quote(log.string()) + " >/dev/full; }");
    };
    const Outcome full = toFullDisk("");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
    EXPECT_EQ(toFullDisk("-q ").status, 0);
}

TEST(ZumConvert, FollowsGnuConventions) {
    const Outcome version = RunConvert({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("zum-convert ") + kVersion + "\n");

    TempFolder work;
    std::filesystem::copy_file(kGolden / "drive.nmea", work / "-x.TXT");
    // Every message names the program first: the parser's and the conversion's.
    const struct {
        std::vector<std::string> args;
        int status;
        const char* names;
    } kFaults[] = {
        {{"--bogus", (work / "-x.TXT").string()}, 2, "--bogus"},
        {{"--units", "furlongs", (work / "-x.TXT").string()}, 2, "furlongs"},
        {{}, 2, "LOG"},
        {{"--settings", "/dev/null", (work / "missing.TXT").string()}, 1, "missing.TXT"},
    };
    for (const auto& fault : kFaults) {
        const Outcome run = RunConvert(fault.args);
        EXPECT_EQ(run.status, fault.status) << fault.names;
        EXPECT_EQ(run.err.rfind("zum-convert: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(fault.names), std::string::npos) << run.err;
    }

    // "--" ends the options: a log named like an option converts.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(work.path());
    const Outcome dashed = RunConvert({"--settings", "/dev/null", "-q", "--", "-x.TXT"});
    const Outcome undashed = RunConvert({"--settings", "/dev/null", "-q", "-x.TXT"});
    std::filesystem::current_path(before);
    EXPECT_EQ(dashed.status, 0) << dashed.err;
    EXPECT_EQ(ReadFile(work / "-x.TXT_draw.txt"),
              ReadFile(kGolden / "drive-at-stops" / "0511NMEA.TXT_draw.txt"));
    EXPECT_EQ(undashed.status, 2);

    // The help names the default settings file, "--" and the exit statuses.
    const Outcome help = RunConvert({"--help"}, "/nowhere/config");
    EXPECT_EQ(help.status, 0);
    for (const char* part : {"/nowhere/config/zum-settings.dat", "zum-convert -- -x.TXT",
                             "Exit status:", "  1  ", "  2  usage error"}) {
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
}

} // namespace
} // namespace zum::testing
