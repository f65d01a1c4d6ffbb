#include "conversion_fixture.hpp"
#include "convert/conversion_run.hpp"
#include "convert/path_separator.hpp"

#include <gtest/gtest.h>

namespace zum::testing {
namespace {

RunResult RunLog(const std::filesystem::path& log, RunObserver* observer = nullptr) {
    ConversionState state;
    return ConvertLog({log, log}, FixedSettings(IntervalOnly()), state, observer);
}

// A log that cannot be opened creates nothing; an empty one gives five
// framed files and no temporaries.
TEST(ConversionRun, MissingAndEmptyLogs) {
    TempFolder folder;
    const auto log = folder / "0511NMEA.TXT";
    const RunResult missing = RunLog(log);
    EXPECT_EQ(missing.status, RunStatus::InputNotOpened);
    EXPECT_NE(missing.message.find("0511NMEA.TXT"), std::string::npos);
    std::filesystem::create_directory(folder / "ADIRNMEA.TXT");
    EXPECT_EQ(RunLog(folder / "ADIRNMEA.TXT").status, RunStatus::InputNotOpened);
    EXPECT_EQ(folder.Names(), Lines{"ADIRNMEA.TXT"});

    WriteFile(log, "");
    EXPECT_EQ(RunLog(log).status, RunStatus::Done);
    for (const char* suffix : kSuffixes) {
        EXPECT_EQ(ReadFile(log.string() + suffix),
                  suffix == kSuffixes[0] ? "BEGIN LINE\r\nEND\r\n" : "BEGIN SYMBOL\r\nEND\r\n");
    }
    EXPECT_EQ(folder.Names().size(), 7u);
}

// Tells what a run does; stops it after `stopAfter` lines.
struct Recorder final : RunObserver {
    explicit Recorder(std::size_t stop) : stopAfter(stop) {}
    bool LineDone(const ConversionState& state) override {
        seen.push_back(state.LastLatText.str());
        return seen.size() < stopAfter;
    }
    void RecordWritten(DrawFileKind kind, const ConversionState& /*state*/) override {
        ++counts[static_cast<int>(kind)];
    }
    void BytesRead(std::uint64_t bytes, std::uint64_t size) override {
        rising = rising && bytes >= read && size == total;
        read = bytes;
    }
    std::size_t stopAfter;
    Lines seen;
    std::uint64_t counts[5] = {}, read = 0, total = 0;
    bool rising = true;
};

// The observer sees the state after each line; when it stops the run,
// nothing is replaced and no temporary is left.
TEST(ConversionRun, AStoppedRunLeavesThePreviousOutputs) {
    TempFolder folder;
    const auto log = folder / "0511NMEA.TXT";
    WriteFile(log, kRmc + "\r\n" + kGsa2 + "\r\n" + kRmc + "\r\n");
    for (const char* suffix : kSuffixes) {
        WriteFile(log.string() + suffix, "previous");
    }
    Recorder observer(2);
    EXPECT_EQ(RunLog(log, &observer).status, RunStatus::Stopped);
    EXPECT_EQ(observer.seen, (Lines{"39.5145133333333", "39.5145133333333"}));
    for (const char* suffix : kSuffixes) {
        EXPECT_EQ(ReadFile(log.string() + suffix), "previous") << suffix;
    }
    EXPECT_EQ(folder.Names().size(), 6u);
}

// The observer hears of every track point, time waypoint and marker the run
// counts, the last marker too (written when the input ends), and last of the
// whole log read.
TEST(ConversionRun, TheObserverHearsOfEveryRecordAndTheWholeLog) {
    TempFolder folder;
    const auto log = folder / "0511NMEA.TXT";
    const std::string text =
        kRmc + "\r\n" + kGsa2 + "\r\n$GNRMC,190335,A,3931,N,11951,W,0.0,,,\r\n$GNGSA,A,2,05,06";
    WriteFile(log, text);
    Recorder observer(1000);
    observer.total = text.size();
    ConversionState state;
    const RunResult result =
        ConvertLog({.input = log, .outputStem = log, .talkers = TalkerMode::Any},
                   FixedSettings(IntervalOnly()), state, &observer);
    ASSERT_EQ(result.status, RunStatus::Done) << result.message;
    EXPECT_EQ(ReadOutputs(log).draw.size(), 2u);
    EXPECT_EQ(result.records.draw, 2u);
    EXPECT_EQ(result.records.fix, 2u);
    EXPECT_EQ(observer.counts[0], result.records.draw);
    EXPECT_EQ(observer.counts[1], result.records.time);
    EXPECT_EQ(observer.counts[4], result.records.fix);
    EXPECT_TRUE(observer.rising);
    EXPECT_EQ(observer.read, observer.total);
}

TEST(ConversionRun, StateCarriesOverButTheReferenceDoesNot) {
    ConversionState state;
    Convert({kRmc}, IntervalOnly(), state);
    EXPECT_EQ(state.RefLatText.view(), "39.5145133333333");
    // The next run begins with PointFlag still set: its first $GPGSA counts
    // at the previous run's last position.
    const Outputs out = Convert({kGsa2}, IntervalOnly(), state);
    EXPECT_EQ(out.sat, Lines{"39.5145133333333,-119.85898,3,Arrow Down Right"});
    EXPECT_EQ(out.fix, Lines{"39.5145133333333,-119.85898, ,Arrow Up Right"});
    EXPECT_TRUE(state.RefLatText.empty());
}

TEST(ConversionRun, FormsTheInputPathAsTheWindowDoes) {
    const std::string sep(1, PathSeparator()); // "\\" on Windows
    std::string folder = sep + "gps" + sep;
    EXPECT_EQ(FormInputPath(folder, "0511NMEA.TXT"), sep + "gps" + sep + "0511NMEA.TXT");
    EXPECT_EQ(folder, sep + "gps"); // one trailing separator removed for good
    std::string root = sep;
    EXPECT_EQ(FormInputPath(root, "0511NMEA.TXT"), sep + "0511NMEA.TXT");
    EXPECT_EQ(root, "");
}

} // namespace
} // namespace zum::testing
