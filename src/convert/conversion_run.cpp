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

bool StartsWith(std::string_view line, std::string_view tag) {
    return line.size() >= tag.size() && std::memcmp(line.data(), tag.data(), tag.size()) == 0;
}

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

std::string Reason(int error) {
    return error != 0 ? std::generic_category().message(error) : "unknown error";
}

} // namespace

void ProcessLine(std::string_view line, const SettingsSource& settings, ConversionState& state,
                 DrawFiles& out) {
    if (StartsWith(line, "$GPRMC")) {
        state.PointFlag = UsableRmc(line) ? kTrue : kFalse;
        if (state.PointFlag != kFalse) {
            state.NmeaLine = line;
            ProcessRMC(state, settings.Current(), out);
        }
    } else if (StartsWith(line, "$GPGSA")) {
        state.NmeaLine = line;
        if (state.PointFlag != kFalse) {
            ProcessGSA(state, out);
        }
        // Anything but an automatic 3-D fix gets a 2-D marker at the last position.
        if (line.find("A,3") == std::string_view::npos) {
            out.FixMarker(state.LastLatText, state.LastLonText);
        }
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
    OutputSet outputs; // what is not committed is removed on return, before `out` goes
    if (!out.Create(job.outputStem, outputs, result.message) ||
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
    if (!out.Finish(result.message) || !outputs.Commit(result.message)) {
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
