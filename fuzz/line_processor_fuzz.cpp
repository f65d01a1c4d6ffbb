// Fuzzes the line reader and the sentence handling of a conversion.
//
// The first five bytes choose the live settings, the talker reading and the
// way in; the rest is the log. Most inputs go through the real LineReader (over fmemopen) and
// ProcessLine into one set of draw files kept for the whole process; the
// lines are checked against a plain reference splitter, and the conversion
// state against the forms its texts must have. Some inputs go through
// ConvertLog as a whole run, checking the finished files (or, when the
// observer stops the run, that nothing is left behind).

#include "convert/conversion_run.hpp"
#include "convert/conversion_state.hpp"
#include "convert/draw_files.hpp"
#include "convert/line_reader.hpp"
#include "convert/live_settings.hpp"
#include "fuzz_support.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <new>
#include <sanitizer/asan_interface.h>
#include <string>
#include <string_view>
#include <vector>

// The line reader allocates a buffer of over a megabyte for every input; under
// the address sanitizer each such block is a fresh mapping, which made this
// target thirty times slower. The first large block is kept and handed out
// again; while it is not in use it is poisoned, so a use after free is still
// caught, and the sanitizer's red zone stays behind its end.
namespace {
struct KeptBlock {
    void* block = nullptr;
    std::size_t size = 0;
    bool inUse = false;
} kept;
constexpr std::size_t kLarge = 1 << 20;
} // namespace

void* operator new[](std::size_t size) {
    if (size >= kLarge && kept.block != nullptr && !kept.inUse && kept.size == size) {
        ASAN_UNPOISON_MEMORY_REGION(kept.block, size);
        kept.inUse = true;
        return kept.block;
    }
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    if (size >= kLarge && kept.block == nullptr) {
        kept = {block, size, true};
    }
    return block;
}

void operator delete[](void* block) noexcept {
    if (block != nullptr && block == kept.block) {
        ASAN_POISON_MEMORY_REGION(block, kept.size);
        kept.inUse = false;
        return;
    }
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    operator delete[](block);
}

namespace {

namespace fs = std::filesystem;
using fuzz_support::Check;
using fuzz_support::ReadAll;
using fuzz_support::TempFolder;

// A plain decimal: optional "-", digits with at most one ".", no exponent,
// never "-0" or a bare point. ".5" (no digit before the point) is allowed.
bool IsCoordinateText(std::string_view t) {
    if (t.empty() || t == "-0" || t == "-" || t == "." || t == "-.") {
        return false;
    }
    if (t.front() == '-') {
        t.remove_prefix(1);
    }
    bool point = false;
    for (const char c : t) {
        if (c == '.') {
            if (point) {
                return false;
            }
            point = true;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    // No trailing zeros after the point, no point at the end.
    return !point || (t.back() != '0' && t.back() != '.');
}

// At least one digit, a point, exactly one decimal; never "-0.0".
bool IsSpeedText(std::string_view t) {
    if (t == "-0.0") {
        return false;
    }
    if (!t.empty() && t.front() == '-') {
        t.remove_prefix(1);
    }
    if (t.size() < 3 || t[t.size() - 2] != '.') {
        return false;
    }
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (i != t.size() - 2 && (t[i] < '0' || t[i] > '9')) {
            return false;
        }
    }
    return true;
}

void CheckState(const zum::ConversionState& s) {
    Check(s.LastLatText.empty() == s.LastLonText.empty(), "last position has both texts");
    if (!s.LastLatText.empty()) {
        Check(IsCoordinateText(s.LastLatText), "LastLatText is a plain decimal");
        Check(IsCoordinateText(s.LastLonText), "LastLonText is a plain decimal");
        Check(IsSpeedText(s.SpeedText), "SpeedText has one decimal");
    }
    Check(s.RefLatText.empty() || IsCoordinateText(s.RefLatText), "RefLatText is a plain decimal");
    Check(s.StopCount >= 0, "StopCount never overflows");
    Check(s.PointFlag == zum::kTrue || s.PointFlag == zum::kFalse, "PointFlag is -1 or 0");
    Check(s.IntervalReached == zum::kTrue || s.IntervalReached == zum::kFalse,
          "IntervalReached is -1 or 0");
}

// Lines as the reader must give them: CR LF, LF and a lone CR each end one;
// a last line without an end counts; nothing after the last line end does; a
// line longer than kMaxLine is left out. The check's own code gives the
// fuzzer no coverage worth having, and instrumented it took most of the time.
__attribute__((no_sanitize("coverage"))) std::vector<std::string_view>
ReferenceLines(std::string_view text) {
    std::vector<std::string_view> lines;
    const auto add = [&lines](std::string_view line) {
        if (line.size() <= zum::LineReader::kMaxLine) {
            lines.push_back(line);
        }
    };
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            add(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        add(text.substr(start));
    }
    return lines;
}

std::int16_t Int16From(std::uint8_t byte) {
    // The two extremes stand in for the whole 16-bit range.
    if (byte == 0x7F) {
        return std::numeric_limits<std::int16_t>::max();
    }
    if (byte == 0x80) {
        return std::numeric_limits<std::int16_t>::min();
    }
    return static_cast<std::int16_t>(static_cast<std::int8_t>(byte));
}

zum::LiveSettings SettingsFrom(const std::uint8_t* header) {
    static constexpr double kIntervals[] = {15.0,   0.0,     7.5,  -15.0, 1e-300,  1e300,
                                            0.0001, 1296000, 1e-3, 60.0,  4.9e-324};
    zum::LiveSettings s;
    s.markAtStops = (header[0] & 1) != 0;
    s.speedFactor = zum::SpeedFactorFor(static_cast<std::int16_t>((header[0] >> 3) & 3));
    s.timeZoneOffset = Int16From(header[3]);
    s.intervalValue = kIntervals[header[2] % std::size(kIntervals)];
    switch ((header[0] >> 1) & 3) {
    case 0: // by distance
        s.intervalByTime = 0;
        break;
    case 1: // by time
        s.intervalByTime = Int16From(header[1]);
        s.intervalValue = 0;
        break;
    case 2: // both zero
        s.intervalByTime = 0;
        s.intervalValue = 0;
        break;
    default: // both set, as a settings file may have them
        s.intervalByTime = Int16From(header[1]);
        break;
    }
    return s;
}

// Hands out `first` and `second` in turns of `period` sentences, as a user
// changing the menus during a run would; a period of 0 keeps `first`.
class ChangingSettings final : public zum::SettingsSource {
public:
    ChangingSettings(const zum::LiveSettings& first, const zum::LiveSettings& second, int period)
        : first_(first), second_(second), period_(period) {}
    [[nodiscard]] zum::LiveSettings Current() const override {
        if (period_ == 0) {
            return first_;
        }
        return (calls_++ / period_) % 2 == 0 ? first_ : second_;
    }

private:
    zum::LiveSettings first_, second_;
    int period_;
    mutable int calls_ = 0;
};

class StopAfter final : public zum::RunObserver {
public:
    explicit StopAfter(int lines) : left_(lines) {}
    bool LineDone(const zum::ConversionState& state) override {
        CheckState(state);
        return --left_ > 0;
    }

private:
    int left_;
};

struct Workspace {
    fs::path folder;
    zum::OutputSet outputs;
    zum::DrawFiles files;
    int uses = 0;
};

Workspace* workspace = nullptr;

void CheckFile(const fs::path& path, std::string_view opening, std::uint64_t records) {
    const std::string text = ReadAll(path);
    Check(text.starts_with(opening), "output begins with its opening line");
    Check(text.ends_with("\r\nEND\r\n"), "output ends with END");
    std::uint64_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            Check(i > 0 && text[i - 1] == '\r', "every output line ends with CR LF");
            ++lines;
        }
    }
    Check(lines == records + 2, "one output line per record");
}

[[maybe_unused]] void WholeRun(std::string_view log, const zum::SettingsSource& settings,
                               zum::TalkerMode talkers, int stopAfter) {
    const fs::path run = workspace->folder / "run";
    fs::remove_all(run);
    fs::create_directory(run);
    const fs::path input = run / "0511NMEA.TXT";
    {
        std::ofstream out(input, std::ios::binary);
        out.write(log.data(), static_cast<std::streamsize>(log.size()));
    }
    zum::ConversionState state;
    zum::ConversionJob job{input, input};
    job.writeGpx = true;
    job.talkers = talkers;
    StopAfter observer(stopAfter);
    const zum::RunResult result =
        zum::ConvertLog(job, settings, state, stopAfter > 0 ? &observer : nullptr);
    const auto entries = std::distance(fs::directory_iterator(run), fs::directory_iterator());
    if (stopAfter > 0 && result.status == zum::RunStatus::Stopped) {
        Check(entries == 1, "a stopped run leaves nothing beside the log");
        return;
    }
    Check(result.status == zum::RunStatus::Done, "a run over a readable log is done");
    Check(entries == 7, "the log, its five outputs and the GPX, no temporaries");
    CheckState(state);
    const std::string stem = input.string();
    CheckFile(stem + "_draw.txt", "BEGIN LINE\r\n", result.records.draw);
    CheckFile(stem + "_time.txt", "BEGIN SYMBOL\r\n", result.records.time);
    CheckFile(stem + "_sat.txt", "BEGIN SYMBOL\r\n", result.records.sat);
    CheckFile(stem + "_speed.txt", "BEGIN SYMBOL\r\n", result.records.speed);
    CheckFile(stem + "_2d.txt", "BEGIN SYMBOL\r\n", result.records.fix);

    const std::string gpx = ReadAll(stem + ".gpx");
    Check(result.gpx.has_value(), "GPX counts reported");
    Check(gpx.starts_with("<?xml") && gpx.ends_with("</trk>\r\n</gpx>\r\n"), "GPX is whole");
    const auto count = [&gpx](std::string_view tag) {
        std::uint64_t n = 0;
        for (auto at = gpx.find(tag); at != std::string::npos; at = gpx.find(tag, at + 1)) {
            ++n;
        }
        return n;
    };
    Check(count("<wpt ") == result.gpx->waypoints + result.gpx->markers, "one <wpt> each");
    Check(count("<trkpt ") == result.gpx->trackPoints, "one <trkpt> each");
    Check(count("<trkseg>") == result.gpx->segments, "segments counted");
    Check(result.gpx->trackPoints + result.gpx->leftOut >= result.records.draw,
          "every track point is in the GPX or counted as left out");
}

void ReaderAndLines(std::string_view log, const zum::SettingsSource& settings,
                    zum::TalkerMode talkers) {
    // The draw files are real files; start them afresh now and then so they
    // do not grow for the whole campaign.
    if (++workspace->uses % 4096 == 1 || workspace->files.Failed()) {
        std::string error;
        workspace->outputs.Discard();
        Check(workspace->files.Create(workspace->folder / "lines", workspace->outputs, error) &&
                  workspace->files.AddGpx(workspace->folder / "lines", "lines", error),
              "draw files created");
    }
    std::vector<std::string_view> expected = ReferenceLines(log);
    zum::ConversionState state;
    zum::TalkerReading reading(talkers);
    std::size_t index = 0;
    if (!log.empty()) {
        std::FILE* input = fmemopen(const_cast<char*>(log.data()), log.size(), "rb");
        Check(input != nullptr, "fmemopen");
        zum::LineReader reader(input);
        std::string_view line;
        while (reader.Next(line)) {
            Check(index < expected.size(), "no more lines than the log holds");
            Check(line == expected[index], "the line the log holds");
            ++index;
            zum::ProcessLine(line, settings, state, workspace->files, reading);
            state.NmeaLine = {};
            CheckState(state);
        }
        Check(!reader.Failed(), "reading memory does not fail");
        zum::FinishInput(state, workspace->files, reading);
        std::fclose(input);
    }
    Check(index == expected.size(), "every line of the log");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string folder = TempFolder("zum-fuzz-lines");
    workspace = new Workspace{folder, {}, {}, 0};
    std::atexit([] {
        workspace->outputs.Discard();
        std::error_code ec;
        fs::remove_all(workspace->folder, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeader = 5;
    std::uint8_t header[kHeader] = {};
    const std::size_t taken = size < kHeader ? size : kHeader;
    for (std::size_t i = 0; i < taken; ++i) {
        header[i] = data[i];
    }
    const std::string_view log(reinterpret_cast<const char*>(data) + taken, size - taken);

    const zum::LiveSettings first = SettingsFrom(header);
    zum::LiveSettings second = first;
    second.markAtStops = !first.markAtStops;
    second.timeZoneOffset = static_cast<std::int16_t>(-first.timeZoneOffset / 2);
    // The other interval kind: by distance becomes every 5 minutes, by time 15".
    second.intervalByTime = static_cast<std::int16_t>(first.intervalByTime == 0 ? 5 : 0);
    second.intervalValue = first.intervalByTime == 0 ? 0.0 : 15.0;
    const ChangingSettings settings(first, second, header[4] & 0x0F);
    const zum::TalkerMode talkers =
        (header[4] & 0x10) != 0 ? zum::TalkerMode::Any : zum::TalkerMode::GpOnly;

#ifdef ZUM_FUZZ_WHOLE_RUNS
    // The whole-run target: every input is a run with its files, half of
    // them with the observer stopping the run after a few lines. Files make
    // it slow, so the line target below never does this.
    WholeRun(log, settings, talkers, (header[4] & 0x80) != 0 ? 1 + ((header[4] >> 4) & 7) : 0);
    return 0;
#endif
    // One input in 64 has a line about kMaxLine long put into it, to try
    // the reader where it stops storing a line and reads past it.
    if (header[0] >> 5 == 6 && (header[4] & 0xE0) == 0xE0) {
        const std::size_t at = header[1] % (log.size() + 1);
        // A line of kMaxLine - 2 to kMaxLine + 2 characters, the last one of
        // the log (without a line end) when it goes at the end.
        std::string longer(log.substr(0, at));
        longer.push_back('\n');
        longer.append(zum::LineReader::kMaxLine - 2 + header[2] % 5, header[3] == 0 ? ',' : 'x');
        if (at < log.size()) {
            longer.push_back(header[3] & 1 ? '\r' : '\n');
            longer.append(log.substr(at));
        }
        ReaderAndLines(longer, settings, talkers);
    } else {
        ReaderAndLines(log, settings, talkers);
    }
    return 0;
}
