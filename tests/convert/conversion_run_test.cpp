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

// The observer sees the state after each line; when it stops the run,
// nothing is replaced and no temporary is left.
TEST(ConversionRun, AStoppedRunLeavesThePreviousOutputs) {
    struct StopAfterTwo final : RunObserver {
        Lines seen;
        bool LineDone(const ConversionState& state) override {
            seen.push_back(state.LastLatText.str());
            return seen.size() < 2;
        }
    } observer;
    TempFolder folder;
    const auto log = folder / "0511NMEA.TXT";
    WriteFile(log, kRmc + "\r\n" + kGsa2 + "\r\n" + kRmc + "\r\n");
    for (const char* suffix : kSuffixes) {
        WriteFile(log.string() + suffix, "previous");
    }
    EXPECT_EQ(RunLog(log, &observer).status, RunStatus::Stopped);
    EXPECT_EQ(observer.seen, (Lines{"39.5145133333333", "39.5145133333333"}));
    for (const char* suffix : kSuffixes) {
        EXPECT_EQ(ReadFile(log.string() + suffix), "previous") << suffix;
    }
    EXPECT_EQ(folder.Names().size(), 6u);
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

// The observer hears of every track point, time waypoint and marker the
// run counts, and last of the whole log read.
TEST(ConversionRun, RealReceiverLogsConvertIntoWellFormedFiles) {
    struct Recorder final : RunObserver {
        bool LineDone(const ConversionState& /*state*/) override { return true; }
        void RecordWritten(DrawFileKind kind, const ConversionState& /*state*/) override {
            ++counts[static_cast<int>(kind)];
        }
        void BytesRead(std::uint64_t bytes, std::uint64_t size) override {
            rising = rising && bytes >= read && size == total;
            read = bytes;
        }
        std::uint64_t counts[5] = {}, read = 0, total = 0;
        bool rising = true;
    };
    const std::filesystem::path real = ZUM_REAL_LOGS;
    if (!std::filesystem::is_directory(real)) {
        GTEST_SKIP() << "no real logs at " << real;
    }
    int logs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(real)) {
        if (entry.path().extension() != ".TXT") {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        ++logs;
        TempFolder folder;
        ConversionState state;
        const auto stem = folder / entry.path().filename().string();
        Recorder observer;
        observer.total = std::filesystem::file_size(entry.path());
        const RunResult result =
            ConvertLog({entry.path(), stem}, FixedSettings(LiveSettings{}), state, &observer);
        ASSERT_EQ(result.status, RunStatus::Done) << result.message;
        EXPECT_EQ(ReadOutputs(stem).draw.size(), result.records.draw);
        EXPECT_EQ(observer.counts[0], result.records.draw);
        EXPECT_EQ(observer.counts[1], result.records.time);
        EXPECT_EQ(observer.counts[4], result.records.fix);
        EXPECT_TRUE(observer.rising);
        EXPECT_EQ(observer.read, observer.total);
    }
    EXPECT_GT(logs, 10);
}

} // namespace
} // namespace zum::testing
