#include "conversion_fixture.hpp"
#include "convert/line_reader.hpp"
#include "convert/parallel_run.hpp"

#ifdef ZUM_HAS_DRIVE_LOG
#include "drive_log.hpp"
#endif

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <numeric>

namespace zum::testing {
namespace {

// The five outputs' bytes, one after the other, with the record counts.
std::string Run(const std::filesystem::path& log, const LiveSettings& settings,
                const ParallelOptions& options, TalkerMode talkers = TalkerMode::GpOnly,
                bool mapped = false) {
    TempFolder out;
    const auto stem = out / "out";
    ConversionState state;
    const RunResult result = ConvertLogInParallel(
        {.input = log, .outputStem = stem, .talkers = talkers, .mapInput = mapped}, settings, state,
        options);
    EXPECT_EQ(result.status, RunStatus::Done) << result.message;
    std::string bytes;
    for (const char* suffix : kSuffixes) {
        bytes += ReadFile(stem.string() + suffix);
    }
    bytes += std::to_string(result.records.draw + result.records.time + result.records.sat +
                            result.records.speed + result.records.fix);
    bytes += " skipped " + std::to_string(result.skippedPositions) + result.skippedNames;
    return bytes;
}

// A log run through ConvertLog and through the threaded path with each of
// the block sizes, at two and three threads in turn, read into buffers and
// through a mapping in turn, under both marking modes and in both talker
// readings.
void ExpectSameAtEveryThreadCount(const std::filesystem::path& log,
                                  const std::vector<std::size_t>& chunkSizes) {
    LiveSettings interval = IntervalOnly();
    interval.intervalByTime = 1;
    for (const TalkerMode talkers : {TalkerMode::GpOnly, TalkerMode::Any}) {
        for (const LiveSettings& settings : {LiveSettings{}, interval}) {
            const std::string single = Run(log, settings, {1, 0}, talkers);
            for (std::size_t i = 0; i < chunkSizes.size(); ++i) {
                const std::size_t chunk = chunkSizes[i];
                const unsigned threads = 2 + i % 2;
                const bool mapped = i / 2 % 2 == 1;
                const std::string threaded = Run(log, settings, {threads, chunk}, talkers, mapped);
                // Where they first differ, not the whole texts: a diff of
                // megabytes of output would take the test's memory.
                const auto [at, _] =
                    std::mismatch(single.begin(), single.end(), threaded.begin(), threaded.end());
                const auto offset = static_cast<std::size_t>(at - single.begin());
                EXPECT_TRUE(threaded == single)
                    << "first difference at byte " << offset << ": \"" << single.substr(offset, 60)
                    << "\" alone, \"" << threaded.substr(offset, 60) << "\" in blocks; " << log
                    << " at " << threads << " threads, blocks of " << chunk
                    << (talkers == TalkerMode::Any ? ", any talker" : "")
                    << (mapped ? ", mapped" : "");
            }
        }
    }
}

const std::string kRmc2 = "$GPRMC,190400,A,3931.8708,S,11952.5388,E,12.5,216.7,110306,15.2,E,D";

TEST(ParallelRun, EveryBlockEdgeAndLineEndGivesTheSameBytes) {
    // Every form of line end, an unusable position, other sentences, a CR LF
    // pair and each sentence falling on a block edge at some block size.
    TempFolder folder;
    const auto log = folder / "edges.TXT";
    std::string text;
    const std::array<const char*, 4> ends = {"\r\n", "\n", "\r", "\n\r"};
    for (int i = 0; i < 24; ++i) {
        text += (i % 3 == 0 ? kRmc : i % 3 == 1 ? kGsa2 : kRmc2) + ends[i % 4];
        // Other talkers: skipped or read, and fix reports gathered in groups.
        if (i % 5 == 2) {
            text += "$GNRMC" + kRmc2.substr(6) + "\r\n$GNGSA,A,3,05,06,07,,,,,,,,,,2.3,1.3,1.8,1\n";
        }
        text += (i % 2 == 0 ? kGsa3 : "$GPGGA,190334,3930.8400,N") + std::string(ends[(i + 1) % 4]);
        if (i == 7) {
            text += "$GPRMC,190334,A,,,,,0.0,216.7\r\n\r\n";
        }
    }
    text += kRmc + "\r\n" + kGsa2; // the last line without an end
    WriteFile(log, text);
    std::vector<std::size_t> sizes(160);
    std::iota(sizes.begin(), sizes.end(), 1);
    ExpectSameAtEveryThreadCount(log, sizes);
}

TEST(ParallelRun, LinesAtTheLengthLimitAndBeyond) {
    // A sentence padded to exactly the longest line kept, one a byte longer
    // (read past), and a last line too long to keep, across block edges.
    TempFolder folder;
    const auto log = folder / "long.TXT";
    const std::size_t max = LineReader::kMaxLine;
    std::string longest = kRmc;
    longest.append(max - longest.size(), '0');
    std::string tooLong = kGsa2;
    tooLong.append(max + 1 - tooLong.size(), ',');
    const std::string text = kRmc + "\r\n" + longest + "\r\n" + kGsa2 + "\n" + tooLong + "\r" +
                             kGsa2 + "\r\n" + longest + "\n" + kRmc2 + "\n" + kGsa2 + "\n" +
                             tooLong + "\r\n" + kGsa2 + "\n" + tooLong;
    WriteFile(log, text);
    ExpectSameAtEveryThreadCount(log, {4096, 65536 + 3, max, max + 2, 4095, max + 1});
}

TEST(ParallelRun, BlocksWhoseSentencesOrTextsOverflowGiveTheSameBytes) {
    // Positions whose speed texts run to hundreds of digits fill a block's
    // text store part way through it; then runs of the shortest fix reports
    // (each one a 2-D marker) give a block more sentences than it keeps.
    TempFolder folder;
    const auto log = folder / "overflow.TXT";
    std::string text;
    const std::string huge = "$GPRMC,190400,A,3931.8708,S,11952.5388,E,1e300,216.7,110306";
    for (int i = 0; i < 3000; ++i) {
        text += (i % 3 == 0 ? kRmc2 : huge) + "\n";
        if (i % 4 == 1) {
            text += kGsa2 + "\n";
        }
    }
    for (int i = 0; i < 25000; ++i) {
        text += i % 10 == 4 ? kRmc + "\n" : "$GPGSA,A,2\n";
    }
    WriteFile(log, text);
    // At 42,346 and 42,392 bytes the first block ends on a position whose
    // texts no longer fit.
    ExpectSameAtEveryThreadCount(log, {200003, 131072, 42346, 42392});
}

TEST(ParallelRun, RealAndGeneratedLogsGiveTheSameBytes) {
    const std::filesystem::path shared = ZUM_REAL_LOGS;
    std::vector<std::filesystem::path> logs = {ZUM_SAMPLE_LOG};
    for (const auto& dir :
         {shared, shared.parent_path() / "modern", std::filesystem::path(ZUM_FUZZ_CORPUS)}) {
        if (std::filesystem::is_directory(dir)) {
            for (const auto& entry : std::filesystem::directory_iterator(dir)) {
                if (entry.path().extension() != ".md") {
                    logs.push_back(entry.path());
                }
            }
        }
    }
    for (const auto& log : logs) {
        ExpectSameAtEveryThreadCount(log, {1000, 256 * 1024, 4093, 333});
    }
}

TEST(ParallelRun, ALogOfManyWindowsGivesTheSameBytes) {
#ifdef ZUM_HAS_DRIVE_LOG
    // About 3.5 MB: several mapped windows, each serving many blocks, with
    // lines crossing both the blocks' and the windows' edges.
    TempFolder folder;
    const auto log = folder / "drive.TXT";
    std::string text;
    bench::DriveLogOptions options;
    options.fractionalSeconds = true;
    bench::DriveLog drive(options);
    while (text.size() < 3'500'000) {
        drive.AppendSecond(text);
    }
    WriteFile(log, text);
    ExpectSameAtEveryThreadCount(log, {65536, 100003, 65536, 100003});
#else
    GTEST_SKIP() << "the drive-log generator is not built here";
#endif
}

} // namespace
} // namespace zum::testing
