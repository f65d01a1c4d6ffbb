#include "conversion_fixture.hpp"
#include "convert/conversion_run.hpp"
#include "convert/path_separator.hpp"

#include <gtest/gtest.h>

namespace zum::testing {
namespace {

RunResult RunLog(const std::filesystem::path& log, ConversionState& state,
                 RunObserver* observer = nullptr) {
    return ConvertLog({log, log}, FixedSettings(IntervalOnly()), state, observer);
}

TEST(ConversionRun, AnEmptyLogGivesFiveFramedFiles) {
    TempFolder folder;
    const auto log = folder / "0511NMEA.TXT";
    WriteFile(log, "");
    ConversionState state;
    EXPECT_EQ(RunLog(log, state).status, RunStatus::Done);
    EXPECT_EQ(ReadFile(log.string() + "_draw.txt"), "BEGIN LINE\r\nEND\r\n");
    for (const char* suffix : {"_time.txt", "_sat.txt", "_speed.txt", "_2d.txt"}) {
        EXPECT_EQ(ReadFile(log.string() + suffix), "BEGIN SYMBOL\r\nEND\r\n");
    }
    // Nothing else is left in the folder: no temporaries.
    EXPECT_EQ(folder.Names(),
              (Lines{"0511NMEA.TXT", "0511NMEA.TXT_2d.txt", "0511NMEA.TXT_draw.txt",
                     "0511NMEA.TXT_sat.txt", "0511NMEA.TXT_speed.txt", "0511NMEA.TXT_time.txt"}));
}

TEST(ConversionRun, AMissingLogCreatesNothing) {
    TempFolder folder;
    ConversionState state;
    const RunResult result = RunLog(folder / "0511NMEA.TXT", state);
    EXPECT_EQ(result.status, RunStatus::InputNotOpened);
    EXPECT_NE(result.message.find("0511NMEA.TXT"), std::string::npos);
    EXPECT_TRUE(folder.Names().empty());

    std::filesystem::create_directory(folder / "ADIRNMEA.TXT");
    EXPECT_EQ(RunLog(folder / "ADIRNMEA.TXT", state).status, RunStatus::InputNotOpened);
}

TEST(ConversionRun, AnOutputNameTakenByAFolderFailsCleanly) {
    // Works for root too: the last rename cannot replace a folder.
    TempFolder folder;
    const auto log = folder / "0511NMEA.TXT";
    WriteFile(log, kRmc + "\r\n");
    WritePreviousOutputs(log);
    std::filesystem::remove(log.string() + "_2d.txt");
    std::filesystem::create_directory(log.string() + "_2d.txt");
    ConversionState state;
    const RunResult result = RunLog(log, state);
    EXPECT_EQ(result.status, RunStatus::OutputFailed);
    EXPECT_NE(result.message.find("_2d.txt"), std::string::npos);
    std::filesystem::remove(log.string() + "_2d.txt");
    WriteFile(log.string() + "_2d.txt", "previous\r\n");
    ExpectPreviousOutputs(log);
    EXPECT_EQ(folder.Names().size(), 6u); // no temporaries left
}

TEST(ConversionRun, AStoppedRunLeavesThePreviousOutputs) {
    struct StopAfter final : RunObserver {
        int lines = 0;
        bool LineDone(const ConversionState& state) override {
            lastSeen = state.LastLatText.str();
            return ++lines < 2;
        }
        std::string lastSeen;
    } observer;
    TempFolder folder;
    const auto log = folder / "0511NMEA.TXT";
    WriteFile(log, kRmc + "\r\n" + kGsa2 + "\r\n" + kRmc + "\r\n");
    WritePreviousOutputs(log);
    ConversionState state;
    EXPECT_EQ(RunLog(log, state, &observer).status, RunStatus::Stopped);
    EXPECT_EQ(observer.lines, 2);
    EXPECT_EQ(observer.lastSeen, "39.5145133333333");
    ExpectPreviousOutputs(log);
    EXPECT_EQ(folder.Names().size(), 6u);
}

TEST(ConversionRun, StateCarriesOverButTheReferenceDoesNot) {
    ConversionState state;
    state.Clear();
    Convert({kRmc}, IntervalOnly(), state);
    EXPECT_EQ(state.PointFlag, kTrue);
    EXPECT_EQ(state.RefLatText.view(), "39.5145133333333");
    // The next run begins with PointFlag still set: its first $GPGSA counts
    // at the previous run's last position.
    const Outputs out = Convert({kGsa2}, IntervalOnly(), state);
    EXPECT_EQ(out.sat, Lines{"39.5145133333333,-119.85898,3,Arrow Down Right"});
    EXPECT_EQ(out.fix, Lines{"39.5145133333333,-119.85898, ,Arrow Up Right"});
    EXPECT_TRUE(state.RefLatText.empty());
}

TEST(ConversionRun, FormsTheInputPathAsTheWindowDoes) {
    // "/" on POSIX systems, "\\" on Windows.
    const std::string sep(1, PathSeparator());
    std::string folder = sep + "data" + sep + "gps" + sep;
    EXPECT_EQ(FormInputPath(folder, "0511NMEA.TXT"),
              sep + "data" + sep + "gps" + sep + "0511NMEA.TXT");
    EXPECT_EQ(folder, sep + "data" + sep + "gps"); // one trailing separator removed for good
    std::string root = sep;
    EXPECT_EQ(FormInputPath(root, "0511NMEA.TXT"), sep + "0511NMEA.TXT");
    EXPECT_EQ(root, "");
}

// Counts what a run tells its observer.
struct RecordingObserver final : RunObserver {
    bool LineDone(const ConversionState& /*state*/) override { return true; }
    void RecordWritten(DrawFileKind kind, const ConversionState& /*state*/) override {
        ++(kind == DrawFileKind::Draw ? track : kind == DrawFileKind::Time ? time : fix);
    }
    void BytesRead(std::uint64_t bytes, std::uint64_t size) override {
        rising = rising && bytes >= read;
        read = bytes;
        total = size;
    }
    std::uint64_t track = 0, time = 0, fix = 0, read = 0, total = 0;
    bool rising = true;
};

TEST(ConversionRun, RealReceiverLogsConvertIntoWellFormedFiles) {
    const std::filesystem::path real = ZUM_REAL_LOGS;
    if (!std::filesystem::is_directory(real)) {
        GTEST_SKIP() << "no real logs at " << real;
    }
    int logs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(real)) {
        if (entry.path().extension() != ".TXT") {
            continue;
        }
        ++logs;
        TempFolder folder;
        ConversionState state;
        const auto stem = folder / entry.path().filename().string();
        RecordingObserver observer;
        const RunResult result =
            ConvertLog({entry.path(), stem}, FixedSettings(LiveSettings{}), state, &observer);
        ASSERT_EQ(result.status, RunStatus::Done) << entry.path() << ": " << result.message;
        EXPECT_EQ(ReadOutputs(stem).draw.size(), result.records.draw) << entry.path();
        // The observer hears of every track point, time waypoint and marker
        // written, and last of the whole log read.
        EXPECT_EQ(observer.track, result.records.draw) << entry.path();
        EXPECT_EQ(observer.time, result.records.time) << entry.path();
        EXPECT_EQ(observer.fix, result.records.fix) << entry.path();
        EXPECT_TRUE(observer.rising) << entry.path();
        EXPECT_EQ(observer.read, std::filesystem::file_size(entry.path())) << entry.path();
        EXPECT_EQ(observer.total, observer.read) << entry.path();
    }
    EXPECT_GT(logs, 10);
}

} // namespace
} // namespace zum::testing
