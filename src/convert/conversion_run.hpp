#pragma once

#include "conversion_state.hpp"
#include "draw_files.hpp"
#include "gsa_group.hpp"
#include "input_file.hpp"
#include "live_settings.hpp"
#include "position_report.hpp"
#include "talker.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zum {

// Told after every input line. The window uses it to handle its pending
// events and show the last position; returning false stops the run cleanly
// (the window is closing), leaving the previous outputs as they were.
//
// The other calls let a front end show the run as it goes, at little cost to
// it: each written track point, time waypoint and 2-D marker is reported with
// the state that holds its position (LastLatValue/LastLonValue, and for a
// time waypoint LocalTimeText), and the share of the log read is reported
// every few thousand lines and once more when the whole log has been read.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual bool LineDone(const ConversionState& state) = 0;
    virtual void RecordWritten(DrawFileKind /*kind*/, const ConversionState& /*state*/) {}
    // `total` is the log's size when the run began, 0 when it is not known.
    virtual void BytesRead(std::uint64_t /*read*/, std::uint64_t /*total*/) {}
};

enum class RunStatus {
    Done,           // all five outputs written and in place
    InputNotOpened, // the log could not be opened; nothing created or changed
    InputFailed,    // reading the log failed part-way; previous outputs intact
    OutputFailed,   // an output could not be created or written; previous outputs intact
    Stopped,        // the observer asked to stop; previous outputs intact
};

struct RunResult {
    RunStatus status = RunStatus::Done;
    std::string message; // what failed and why, naming the file; empty when Done
    RecordCounts records;
    // Position reports of other talkers a GpOnly run passed over, and their
    // sentence names ("$GNRMC"); 0 and empty in an Any run.
    std::uint64_t skippedPositions = 0;
    std::string skippedNames;
    std::optional<GpxCounts> gpx; // when a GPX file was written
};

struct ConversionJob {
    std::filesystem::path input;
    // The outputs are this path with each suffix appended ("…/0511NMEA.TXT"
    // gives "…/0511NMEA.TXT_draw.txt"); normally the input path itself.
    std::filesystem::path outputStem;
    // Also write outputStem & ".gpx", the drive as GPX 1.1.
    bool writeGpx = false;
    // Fixed for the whole run.
    TalkerMode talkers = TalkerMode::GpOnly;
    // Read the log through a memory mapping where it can be (see LineReader):
    // only for a program that turns SIGBUS into a clean end. A run with an
    // observer reads as usual.
    bool mapInput = false;
};

// What a run carries from line to line besides the conversion state: its
// talker reading, the open group of fix reports (Any) and the position
// reports passed over (GpOnly).
struct TalkerReading {
    explicit TalkerReading(TalkerMode m = TalkerMode::GpOnly) : mode(m) {}
    TalkerMode mode;
    GsaGroup group;
    SkippedTalkers skipped;
};

// One pass over an NMEA log: creates the five outputs (replaced together, see
// OutputSet), hands each usable $GPRMC line to ProcessRMC and each $GPGSA
// line to ProcessGSA (with TalkerMode::Any, the same for every talker, fix
// reports taken a group at a time), writes the 2-D markers, and closes every
// output with "END". The settings are read from
// `settings` for every sentence. Memory stays bounded whatever the input.
RunResult ConvertLog(const ConversionJob& job, const SettingsSource& settings,
                     ConversionState& state, RunObserver* observer = nullptr);

// Handles one input line: the $GPRMC filter and dispatch, $GPGSA processing
// and the 2-D marker, read as `reading` says. Exposed for the fuzz target and
// the tests.
void ProcessLine(std::string_view line, const SettingsSource& settings, ConversionState& state,
                 DrawFiles& out, TalkerReading& reading);
// The end of the input: writes the last open group of fix reports.
void FinishInput(const ConversionState& state, DrawFiles& out, TalkerReading& reading);

// ProcessLine in two steps, so that reading a line can run ahead of the one
// pass, in input order, that decides and writes. ClassifyLine and Read* look
// only at the line (and the run's settings); Start*/Apply* change the state
// and write.
enum class LineKind : std::uint8_t {
    Other,            // no sentence the run reads: nothing to do
    Position,         // a usable position report
    UnusablePosition, // a position report with fields missing
    Satellites,       // a fix report
    SkippedPosition,  // another talker's position report, passed over in GpOnly
};
LineKind ClassifyLine(std::string_view line, TalkerMode mode);

// Before any position report, usable or not: ends the open group of fix
// reports in the Any reading.
void StartPositionReport(ConversionState& state, DrawFiles& out, TalkerReading& reading);
void ApplyPosition(std::string_view line, const LiveSettings& settings,
                   const PositionView& position, ConversionState& state, DrawFiles& out);
void ApplyUnusablePosition(ConversionState& state);
// A fix report: handled at once in GpOnly, added to the open group in Any.
void ApplyFixReport(std::string_view line, bool automatic3d, ConversionState& state, DrawFiles& out,
                    TalkerReading& reading);
void ApplySatellites(std::string_view line, bool automatic3d, ConversionState& state,
                     DrawFiles& out);
// The decision and writing for one classified line, the same for a line read
// on the spot and one a worker read ahead; `position` is used for a usable
// position report, `automatic3d` for a fix report.
void ApplyLine(LineKind kind, std::string_view line, bool automatic3d, const LiveSettings& settings,
               const PositionView& position, ConversionState& state, DrawFiles& out,
               TalkerReading& reading);
// Puts what a GpOnly reading passed over into the result.
void TellSkipped(const TalkerReading& reading, RunResult& result);

// The files of one run and its two ends, shared by ConvertLog and the
// threaded run: the log, the outputs, and the set that commits the outputs
// or removes them. The set is the last member, so what it has not committed
// is removed before the outputs go.
struct RunFiles {
    explicit RunFiles(const std::filesystem::path& log) : input(log) {}

    // Checks that the log opened, creates the outputs and readies `state`;
    // false, with `result` saying why, when the run cannot start.
    bool Open(const ConversionJob& job, ConversionState& state, RunResult& result);
    // Finishes and commits the outputs and fills in the result's counts.
    RunResult Complete(const TalkerReading& reading, RunResult& result);

    InputFile input;
    DrawFiles out;
    OutputSet outputs;
};

// The window's way of naming the log: one trailing separator is removed from
// `dataFilePath` itself (so "c:\" becomes "c:" and stays so), then the folder,
// a separator and the file name are joined.
std::string FormInputPath(std::string& dataFilePath, std::string_view nmeaFileName);

} // namespace zum
