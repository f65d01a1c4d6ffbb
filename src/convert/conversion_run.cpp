#include "convert/conversion_run.hpp"

#include "convert/comma_bits.hpp"
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

namespace zum {
namespace {

// A $GPRMC line is usable when every field up to the speed ends in a comma
// (more than seven commas) and no three fields in a row are empty, that is,
// no four commas stand in a row.
bool UsableRmc(std::string_view line) {
    CommaBits commas;
    if (FindCommas(line, commas)) {
        const std::uint64_t low = commas.word[0];
        const std::uint64_t high = commas.word[1];
        // Each word, and the low word's last three bits before the high
        // word's first ones, for a run across the two.
        const std::uint64_t across = (high << 3) | (low >> 61);
        const auto hasRun = [](std::uint64_t bits) {
            return (bits & (bits >> 1) & (bits >> 2) & (bits >> 3)) != 0;
        };
        if (hasRun(low) || hasRun(high) || hasRun(across)) {
            return false;
        }
        return CountBits64(low) + CountBits64(high) > 7;
    }
    int count = 0;
    int run = 0; // commas in a row
    for (const char c : line) {
        if (c == ',') {
            ++count;
            if (++run == 4) {
                return false;
            }
        } else {
            run = 0;
        }
    }
    return count > 7;
}

// Tells the observer which records the last line wrote, by the change in the
// record counts: a line writes at most one of each kind.
void ReportRecords(const RecordCounts& before, const RecordCounts& after,
                   const ConversionState& state, RunObserver& observer) {
    if (after.draw != before.draw) {
        observer.RecordWritten(DrawFileKind::Draw, state);
    }
    if (after.time != before.time) {
        observer.RecordWritten(DrawFileKind::Time, state);
    }
    if (after.fix != before.fix) {
        observer.RecordWritten(DrawFileKind::Fix, state);
    }
}

std::uint64_t BytesReadSoFar(std::FILE* file) {
    const long position = std::ftell(file);
    return position > 0 ? static_cast<std::uint64_t>(position) : 0;
}

} // namespace

LineKind ClassifyLine(std::string_view line, TalkerMode mode) {
    switch (ClassifySentence(line, mode)) {
    case SentenceKind::Position:
        return UsableRmc(line) ? LineKind::Position : LineKind::UnusablePosition;
    case SentenceKind::Fix:
        return LineKind::Satellites;
    case SentenceKind::SkippedPosition:
        return LineKind::SkippedPosition;
    case SentenceKind::Other:
        break;
    }
    return LineKind::Other;
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

void StartPositionReport(ConversionState& state, DrawFiles& out, TalkerReading& reading) {
    // A position report ends the group of fix reports before it.
    if (reading.mode == TalkerMode::Any) {
        reading.group.Finish(state, out);
    }
}

void ApplyFixReport(std::string_view line, bool automatic3d, ConversionState& state, DrawFiles& out,
                    TalkerReading& reading) {
    if (reading.mode == TalkerMode::Any) {
        reading.group.Add(line, state.PointFlag);
    } else {
        ApplySatellites(line, automatic3d, state, out);
    }
}

void ApplyLine(LineKind kind, std::string_view line, bool automatic3d, const LiveSettings& settings,
               const PositionView& position, ConversionState& state, DrawFiles& out,
               TalkerReading& reading) {
    switch (kind) {
    case LineKind::Position:
        StartPositionReport(state, out, reading);
        ApplyPosition(line, settings, position, state, out);
        break;
    case LineKind::UnusablePosition:
        StartPositionReport(state, out, reading);
        ApplyUnusablePosition(state);
        break;
    case LineKind::Satellites:
        ApplyFixReport(line, automatic3d, state, out, reading);
        break;
    case LineKind::SkippedPosition:
        reading.skipped.Add(line);
        break;
    case LineKind::Other:
        break;
    }
}

void ProcessLine(std::string_view line, const SettingsSource& settings, ConversionState& state,
                 DrawFiles& out, TalkerReading& reading) {
    const LineKind kind = ClassifyLine(line, reading.mode);
    if (kind == LineKind::Position) {
        const LiveSettings current = settings.Current();
        PositionReading position;
        ReadPosition(line, current, position);
        ApplyLine(kind, line, false, current, ViewOf(position), state, out, reading);
    } else if (kind != LineKind::Other) {
        ApplyLine(kind, line, kind == LineKind::Satellites && AutomaticThreeD(line), {}, {}, state,
                  out, reading);
    }
}

void FinishInput(const ConversionState& state, DrawFiles& out, TalkerReading& reading) {
    reading.group.Finish(state, out);
}

void TellSkipped(const TalkerReading& reading, RunResult& result) {
    result.skippedPositions = reading.skipped.Count();
    if (result.skippedPositions != 0) {
        result.skippedNames = reading.skipped.Names();
    }
}

bool RunFiles::Open(const ConversionJob& job, ConversionState& state, RunResult& result) {
    if (input.get() == nullptr) {
        result.status = RunStatus::InputNotOpened;
        result.message = "cannot open " + job.input.string() + ": " + Reason(input.error());
        return false;
    }
    if (!out.Create(job.outputStem, outputs, result.message) ||
        (job.writeGpx &&
         !out.AddGpx(job.outputStem, job.input.filename().string(), result.message))) {
        result.status = RunStatus::OutputFailed;
        return false;
    }
    state.RefLatText.clear();
    state.RefLonText.clear();
    return true;
}

RunResult RunFiles::Complete(const TalkerReading& reading, RunResult& result) {
    if (!out.Finish(result.message) || !outputs.Commit(result.message)) {
        result.status = RunStatus::OutputFailed;
        return result;
    }
    result.records = out.Counts();
    TellSkipped(reading, result);
    result.gpx = out.Gpx();
    return result;
}

RunResult ConvertLog(const ConversionJob& job, const SettingsSource& settings,
                     ConversionState& state, RunObserver* observer) {
    RunResult result;
    RunFiles files(job.input);
    if (!files.Open(job, state, result)) {
        return result;
    }
    DrawFiles& out = files.out;

    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(job.input, sizeError);
    const std::uint64_t total = sizeError ? 0 : static_cast<std::uint64_t>(size);

    TalkerReading reading(job.talkers);
    LineReader reader(files.input.get(), job.mapInput && observer == nullptr);
    std::string_view line;
    // Lines that cannot be sentences of interest are passed over in bulk. An
    // observer still hears at least once per buffer read, so the window
    // stays responsive however long a stretch of other lines is.
    for (std::uint32_t lines = 1; reader.NextSentence(line); ++lines) {
        if (observer != nullptr) {
            const RecordCounts before = out.Counts();
            ProcessLine(line, settings, state, out, reading);
            ReportRecords(before, out.Counts(), state, *observer);
            if (lines % 4096 == 0) {
                observer->BytesRead(BytesReadSoFar(files.input.get()), total);
            }
        } else {
            ProcessLine(line, settings, state, out, reading);
        }
        state.NmeaLine = {};
        // A write fails only when a buffer is flushed; looking now and then
        // is enough to stop soon after a disk fills.
        if (lines % 1024 == 0 && out.Failed()) {
            break;
        }
        if (observer != nullptr && !observer->LineDone(state)) {
            result.status = RunStatus::Stopped;
            result.message = "stopped before the end of " + job.input.string();
            return result;
        }
    }
    state.NmeaLine = {};
    if (reader.Failed()) {
        result.status = RunStatus::InputFailed;
        result.message = "cannot read " + job.input.string() + ": " + Reason(reader.Error());
        return result;
    }
    const RecordCounts beforeEnd = out.Counts();
    FinishInput(state, out, reading);
    if (observer != nullptr) {
        ReportRecords(beforeEnd, out.Counts(), state, *observer);
        observer->BytesRead(BytesReadSoFar(files.input.get()), total);
    }
    return files.Complete(reading, result);
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
