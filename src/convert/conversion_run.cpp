#include "convert/conversion_run.hpp"

#include "convert/fix_status.hpp"
#include "convert/input_file.hpp"
#include "convert/line_reader.hpp"
#include "convert/path_separator.hpp"
#include "convert/position_report.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zum {
namespace {

bool StartsWith(std::string_view line, std::string_view tag) {
    return line.size() >= tag.size() && std::memcmp(line.data(), tag.data(), tag.size()) == 0;
}

#if defined(__SSE2__)
// The set bits of a 16-bit mask, without the library call std::popcount
// becomes on processors without a popcount instruction.
int CountBits16(std::uint32_t x) {
    x = x - ((x >> 1) & 0x5555);
    x = (x & 0x3333) + ((x >> 2) & 0x3333);
    x = (x + (x >> 4)) & 0x0F0F;
    return static_cast<int>((x + (x >> 8)) & 0x1F);
}
#endif

// A $GPRMC line is usable when every field up to the speed ends in a comma
// (more than seven commas) and no three fields in a row are empty. One pass,
// sixteen bytes at a time where the processor allows: the comma bits of each
// block, with the last three of the block before, show any run of four.
bool UsableRmc(std::string_view line) {
#if defined(__SSE2__)
    int commas = 0;
    std::uint32_t before = 0; // comma bits of the previous block's last three bytes
    const __m128i comma = _mm_set1_epi8(',');
    for (std::size_t i = 0; i < line.size(); i += 16) {
        __m128i block;
        if (line.size() - i >= 16) {
            block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i));
        } else {
            char tail[16] = {};
            std::memcpy(tail, line.data() + i, line.size() - i);
            block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tail));
        }
        const auto bits =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, comma)));
        const std::uint32_t run = (bits << 3) | before;
        if ((run & (run >> 1) & (run >> 2) & (run >> 3)) != 0) {
            return false;
        }
        commas += CountBits16(bits);
        before = bits >> 13;
    }
    return commas > 7;
#else
    int commas = 0;
    int run = 0; // commas in a row
    for (const char c : line) {
        if (c == ',') {
            ++commas;
            if (++run == 4) {
                return false;
            }
        } else {
            run = 0;
        }
    }
    return commas > 7;
#endif
}

} // namespace

SentenceKind ClassifySentence(std::string_view line) {
    if (StartsWith(line, "$GPRMC")) {
        return UsableRmc(line) ? SentenceKind::Position : SentenceKind::UnusablePosition;
    }
    if (StartsWith(line, "$GPGSA")) {
        return SentenceKind::Satellites;
    }
    return SentenceKind::Other;
}

bool AutomaticThreeD(std::string_view line) {
    return line.find("A,3") != std::string_view::npos;
}

void ApplyPosition(std::string_view line, const LiveSettings& settings,
                   const PositionView& position, ConversionState& state, DrawFiles& out) {
    state.PointFlag = kTrue;
    state.NmeaLine = line;
    ProcessRMC(state, settings, position, out);
}

void ApplyUnusablePosition(ConversionState& state) {
    state.PointFlag = kFalse;
}

void ApplySatellites(std::string_view line, bool automatic3d, ConversionState& state,
                     DrawFiles& out) {
    state.NmeaLine = line;
    if (state.PointFlag != kFalse) {
        ProcessGSA(state, out);
    }
    // Anything but an automatic 3-D fix gets a 2-D marker at the last position.
    if (!automatic3d) {
        out.FixMarker(state.LastLatText, state.LastLonText);
    }
}

void ProcessLine(std::string_view line, const SettingsSource& settings, ConversionState& state,
                 DrawFiles& out) {
    switch (ClassifySentence(line)) {
    case SentenceKind::Position: {
        const LiveSettings current = settings.Current();
        PositionReading reading;
        ReadPosition(line, current, reading);
        ApplyPosition(line, current, ViewOf(reading), state, out);
        break;
    }
    case SentenceKind::UnusablePosition:
        ApplyUnusablePosition(state);
        break;
    case SentenceKind::Satellites:
        ApplySatellites(line, AutomaticThreeD(line), state, out);
        break;
    case SentenceKind::Other:
        break;
    }
}

RunResult ConvertLog(const ConversionJob& job, const SettingsSource& settings,
                     ConversionState& state, RunObserver* observer) {
    RunResult result;
    InputFile input(job.input);
    if (input.get() == nullptr) {
        result.status = RunStatus::InputNotOpened;
        result.message = "cannot open " + job.input.string() + ": " + Reason(input.error());
        return result;
    }

    DrawFiles out;
    if (!out.Create(job.outputStem, result.message) ||
        (job.writeGpx &&
         !out.AddGpx(job.outputStem, job.input.filename().string(), result.message))) {
        result.status = RunStatus::OutputFailed;
        return result;
    }
    state.RefLatText.clear();
    state.RefLonText.clear();

    LineReader reader(input.get());
    std::string_view line;
    for (std::uint32_t lines = 1; reader.Next(line); ++lines) {
        ProcessLine(line, settings, state, out);
        state.NmeaLine = {};
        // A write fails only when a buffer is flushed; looking now and then
        // is enough to stop soon after a disk fills.
        if (lines % 1024 == 0 && out.Failed()) {
            break;
        }
        if (observer != nullptr && !observer->LineDone(state)) {
            out.Discard();
            result.status = RunStatus::Stopped;
            result.message = "stopped before the end of " + job.input.string();
            return result;
        }
    }
    state.NmeaLine = {};
    if (reader.Failed()) {
        out.Discard();
        result.status = RunStatus::InputFailed;
        result.message = "cannot read " + job.input.string() + ": " + Reason(reader.Error());
        return result;
    }
    if (!out.Finish(result.message)) {
        result.status = RunStatus::OutputFailed;
        return result;
    }
    result.records = out.Counts();
    result.gpx = out.Gpx();
    return result;
}

std::string FormInputPath(std::string& dataFilePath, std::string_view nmeaFileName) {
    const char separator = PathSeparator();
    if (!dataFilePath.empty() && dataFilePath.back() == separator) {
        dataFilePath.pop_back();
    }
    std::string path = dataFilePath;
    path += separator;
    path += nmeaFileName;
    return path;
}

} // namespace zum
