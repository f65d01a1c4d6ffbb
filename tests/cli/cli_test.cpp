#include "run_convert.hpp"
#include "version/version.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace zum::testing {
namespace {

const std::filesystem::path kGolden = ZUM_GOLDEN_DIR;
const char* kSuffixes[] = {"_draw.txt", "_time.txt", "_sat.txt", "_speed.txt", "_2d.txt"};

// Copies a golden log into the folder as `name`.
std::filesystem::path CopyLog(TempFolder& work, const char* golden,
                              const char* name = "0511NMEA.TXT") {
    std::filesystem::copy_file(kGolden / golden, work / name);
    return work / name;
}

// zum-convert with the built-in defaults rather than a shared settings file.
Outcome RunDefaults(std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", "/dev/null"});
    return RunConvert(args);
}

// Expects the five files of `name` in `folder` to be drive.nmea's at the defaults.
void ExpectDriveAtStops(const std::filesystem::path& folder, const std::string& name) {
    for (const char* suffix : kSuffixes) {
        EXPECT_EQ(ReadFile(folder / (name + suffix)),
                  ReadFile(kGolden / "drive-at-stops" / (std::string("0511NMEA.TXT") + suffix)))
            << name << suffix;
    }
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
            std::vector<std::string> args = {"--threads", threads};
            for (const std::string& arg : LinesOf(dir / "args")) {
                args.push_back(arg);
            }
            args.push_back(log.string());
            const Outcome run = RunDefaults(args);
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
    const std::string settings = (work / "settings.dat").string();
    ASSERT_EQ(RunConvert({"--settings", settings, "-q", log.string()}).status, 0);
    const std::string time = ReadFile(work / "0511NMEA.TXT_time.txt");
    EXPECT_NE(time.find(",22:00,"), std::string::npos) << time;
    ASSERT_EQ(RunConvert({"--settings", settings, "--tz", "-7", "-q", log.string()}).status, 0);
    EXPECT_EQ(ReadFile(work / "0511NMEA.TXT_time.txt"),
              ReadFile(kGolden / "fractional-interval-time" / "0511NMEA.TXT_time.txt"));
}

// Each log with a fresh state; a missing one, a second log of the same name
// in the output folder and an output folder that takes no files are named
// failures that leave the other outputs whole.
TEST(ZumConvert, EachLogIsConvertedAfreshAndFailuresAreNamed) {
    TempFolder work, out;
    CopyLog(work, "drive.nmea", "ANMEA.TXT");
    CopyLog(work, "drive.nmea", "BNMEA.TXT");
    std::filesystem::create_directories(work / "b");
    CopyLog(work, "fractional.nmea", "b/ANMEA.TXT");
    const Outcome run =
        RunDefaults({"--output-dir", out.path().string(), (work / "ANMEA.TXT").string(),
                     (work / "MISSING.TXT").string(), (work / "BNMEA.TXT").string(),
                     (work / "b/ANMEA.TXT").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("MISSING.TXT"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find((work / "b/ANMEA.TXT").string()), std::string::npos) << run.err;
    ExpectDriveAtStops(out.path(), "ANMEA.TXT");
    ExpectDriveAtStops(out.path(), "BNMEA.TXT");
    EXPECT_EQ(work.Names().size(), 3u); // nothing written beside the logs

    // /proc takes no new files, not even from root.
    const Outcome proc = RunDefaults({"--output-dir", "/proc", (work / "ANMEA.TXT").string()});
    EXPECT_EQ(proc.status, 1);
    EXPECT_NE(proc.err.find("ANMEA.TXT_draw.txt"), std::string::npos) << proc.err;
}

TEST(ZumConvert, OtherTalkersAreNamedOnStderrAndReadOnRequest) {
    TempFolder work;
    const std::string log = CopyLog(work, "furuno.nmea", "gpsd-furuno_gl_ga-NMEA.TXT").string();
    const std::string hint = "zum-convert: " + log +
                             ": 16 position reports from other talkers ($GNRMC) skipped; "
                             "--talkers any reads them\n";
    const Outcome gp = RunDefaults({log});
    EXPECT_EQ(gp.status, 0);
    EXPECT_EQ(gp.out, log + ": 0 track points, 0 time, 0 satellite, 0 speed and 0 2-D waypoints\n");
    EXPECT_EQ(gp.err, hint);
    EXPECT_EQ(RunDefaults({"-q", log}).err, hint);

    const Outcome any = RunDefaults({"--talkers", "any", log});
    EXPECT_EQ(any.status, 0);
    EXPECT_EQ(any.out,
              log + ": 16 track points, 1 time, 1 satellite, 1 speed and 0 2-D waypoints\n");
    EXPECT_EQ(any.err, "");
    // A log of GP sentences alone gets no hint.
    EXPECT_EQ(RunDefaults({CopyLog(work, "drive.nmea").string()}).err, "");
}

TEST(ZumConvert, TalkersDefaultToOurOwnSettingsFileWhicheverSharedFileIsUsed) {
    TempFolder work, config;
    const auto log = CopyLog(work, "furuno.nmea", "NMEA.TXT");
    const auto tracks = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"-q", log.string()});
        const Outcome run = RunConvert(args, config.path());
        EXPECT_EQ(run.status, 0) << run.err;
        return ReadFile(work / "NMEA.TXT_draw.txt").size() > 20 ? "any" : "gp";
    };
    WriteFile(config / "zum-points.conf", "accept_other_talkers=1\n");
    EXPECT_STREQ(tracks({}), "any");
    EXPECT_STREQ(tracks({"--settings", "/dev/null"}), "any");
    EXPECT_STREQ(tracks({"--talkers", "gp"}), "gp");
    WriteFile(config / "zum-points.conf", "accept_other_talkers=on\n"); // damaged: off
    EXPECT_STREQ(tracks({}), "gp");
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

// Bad options and values (out of range, rounded, not numbers, in conflict)
// are refused before any file is written, by messages that name the program
// first and then what was wrong.
TEST(ZumConvert, FollowsGnuConventions) {
    const Outcome version = RunConvert({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("zum-convert ") + kVersion + "\n");

    TempFolder work;
    const std::string log = CopyLog(work, "drive.nmea", "-x.TXT").string();
    const struct {
        std::vector<std::string> args;
        int status;
        const char* names;
    } kFaults[] = {
        {{"--bogus", log}, 2, "--bogus"},
        {{"--units", "furlongs", log}, 2, "furlongs"},
        {{"--threads", "0", log}, 2, "--threads"},
        {{"--interval-time", "99999", log}, 2, "--interval-time"},
        {{"--interval-time", "5", "--interval-distance", "3", log}, 2, "--interval-distance"},
        {{"--tz", "5.5", log}, 2, "--tz"},
        {{"--tz", "nan", log}, 2, "--tz"},
        {{"--interval-time", "2.5", log}, 2, "--interval-time"},
        {{"--interval-time", "nan", log}, 2, "--interval-time"},
        {{"--interval-distance", "inf", log}, 2, "--interval-distance"},
        {{"--talkers", "GN", log}, 2, "--talkers"},
        {{}, 2, "LOG"},
        {{(work / "missing.TXT").string()}, 1, "missing.TXT"},
    };
    for (const auto& fault : kFaults) {
        const Outcome run = RunDefaults(fault.args);
        EXPECT_EQ(run.status, fault.status) << fault.names;
        EXPECT_EQ(run.err.rfind("zum-convert: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(fault.names), std::string::npos) << run.err;
    }
    EXPECT_EQ(work.Names(), std::vector<std::string>{"-x.TXT"});

    // "--" ends the options: a log named like an option converts.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(work.path());
    const Outcome dashed = RunDefaults({"-q", "--", "-x.TXT"});
    const Outcome undashed = RunDefaults({"-q", "-x.TXT"});
    std::filesystem::current_path(before);
    EXPECT_EQ(dashed.status, 0) << dashed.err;
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
