#include "convert/conversion_run.hpp"

#include "convert/fix_status.hpp"
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
// (more than seven commas) and no three fields in a row are empty.
bool UsableRmc(std::string_view line) {
    const auto commas = std::count(line.begin(), line.end(), ',');
    return commas > 7 && line.find(",,,,") == std::string_view::npos;
}

class InputFile {
public:
    explicit InputFile(const std::filesystem::path& path) {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            error_ = EISDIR;
            return;
        }
        errno = 0;
        file_ = std::fopen(path.string().c_str(), "rb");
        error_ = errno;
    }
    ~InputFile() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    [[nodiscard]] std::FILE* get() const { return file_; }
    [[nodiscard]] int error() const { return error_; }

private:
    std::FILE* file_ = nullptr;
    int error_ = 0;
};

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

std::uint64_t ReadPosition(std::FILE* file) {
    const long position = std::ftell(file);
    return position > 0 ? static_cast<std::uint64_t>(position) : 0;
}

std::string Reason(int error) {
    return error != 0 ? std::generic_category().message(error) : "unknown error";
}

} // namespace

void ProcessLine(std::string_view line, const SettingsSource& settings, ConversionState& state,
                 DrawFiles& out, TalkerReading& reading) {
    switch (ClassifySentence(line, reading.mode)) {
    case SentenceKind::Position:
        // A position report ends the group of fix reports before it.
        if (reading.mode == TalkerMode::Any) {
            reading.group.Finish(state, out);
        }
        state.PointFlag = UsableRmc(line) ? kTrue : kFalse;
        if (state.PointFlag != kFalse) {
            state.NmeaLine = line;
            ProcessRMC(state, settings.Current(), out);
        }
        break;
    case SentenceKind::Fix:
        if (reading.mode == TalkerMode::Any) {
            reading.group.Add(line, state.PointFlag);
            break;
        }
        state.NmeaLine = line;
        if (state.PointFlag != kFalse) {
            ProcessGSA(state, out);
        }
        // Anything but an automatic 3-D fix gets a 2-D marker at the last position.
        if (line.find("A,3") == std::string_view::npos) {
            out.FixMarker(state.LastLatText, state.LastLonText);
        }
        break;
    case SentenceKind::SkippedPosition:
        reading.skipped.Add(line);
        break;
    case SentenceKind::Other:
        break;
    }
}

void FinishInput(const ConversionState& state, DrawFiles& out, TalkerReading& reading) {
    reading.group.Finish(state, out);
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
    OutputSet outputs; // what is not committed is removed on return, before `out` goes
    if (!out.Create(job.outputStem, outputs, result.message) ||
        (job.writeGpx &&
         !out.AddGpx(job.outputStem, job.input.filename().string(), result.message))) {
        result.status = RunStatus::OutputFailed;
        return result;
    }
    state.RefLatText.clear();
    state.RefLonText.clear();

    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(job.input, sizeError);
    const std::uint64_t total = sizeError ? 0 : static_cast<std::uint64_t>(size);

    TalkerReading reading(job.talkers);
    LineReader reader(input.get());
    std::string_view line;
    for (std::uint32_t lines = 1; reader.Next(line); ++lines) {
        if (observer != nullptr) {
            const RecordCounts before = out.Counts();
            ProcessLine(line, settings, state, out, reading);
            ReportRecords(before, out.Counts(), state, *observer);
            if (lines % 4096 == 0) {
                observer->BytesRead(ReadPosition(input.get()), total);
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
        observer->BytesRead(ReadPosition(input.get()), total);
    }
    if (!out.Finish(result.message) || !outputs.Commit(result.message)) {
        result.status = RunStatus::OutputFailed;
        return result;
    }
    result.records = out.Counts();
    result.skippedPositions = reading.skipped.Count();
    if (result.skippedPositions != 0) {
        result.skippedNames = reading.skipped.Names();
    }
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
