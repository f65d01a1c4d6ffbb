// zum-convert: converts NMEA logs into the five draw files, exactly as the
// window would, for batch work.
#include "cli/convert_options.hpp"
#include "cli/gnu_conventions.hpp"
#include "convert/conversion_run.hpp"
#include "convert/parallel_run.hpp"
#include "convert/temporary_registry.hpp"
#include "settings/own_settings.hpp"
#include "settings/settings_file.hpp"

#include <CLI/CLI.hpp>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// Ctrl-C, SIGTERM or SIGHUP: the run's temporaries go, then the program ends
// the way the signal would have ended it (the shell sees 128 + its number).
// The handler is reset on entry, and the signal raised again stays held
// until the handler returns. Only async-signal-safe calls.
extern "C" void OnSignal(int signal) {
    zum::RemoveRegisteredTemporaries();
    std::raise(signal);
}

// The log being read, for the message of OnBusError.
std::atomic<const char*> logBeingRead{nullptr};

#ifndef _WIN32
// SIGBUS: a log read through a memory mapping shrank under it, or its storage
// failed (a card pulled out). The run's temporaries go, the user is told
// which log could not be read, and the program ends with status 1, as for a
// read error. Only async-signal-safe calls.
extern "C" void OnBusError(int) {
    zum::RemoveRegisteredTemporaries();
    const char* log = logBeingRead.load();
    const auto say = [](const char* text) {
        const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
        (void)ignored;
    };
    say("zum-convert: cannot read ");
    say(log != nullptr ? log : "the log");
    say(": it shrank, or its storage failed, while it was being read\n");
    ::_exit(1);
}
#endif

// A signal ignored at start-up (nohup, a background job) stays ignored.
#ifdef _WIN32
void CatchSignals() {
    for (const int signal : {SIGINT, SIGTERM}) {
        std::signal(signal, OnSignal);
    }
}
#else
void CatchSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = OnSignal;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
    struct sigaction busError {};
    busError.sa_handler = OnBusError;
    sigemptyset(&busError.sa_mask);
    ::sigaction(SIGBUS, &busError, nullptr);
}
#endif

void PrintSummary(const std::string& name, const zum::RunResult& result) {
    const zum::RecordCounts& r = result.records;
    std::cout << name << ": " << r.draw << " track points, " << r.time << " time, " << r.sat
              << " satellite, " << r.speed << " speed and " << r.fix << " 2-D waypoints";
    if (result.gpx) {
        std::cout << "; GPX: " << result.gpx->trackPoints << " track points in "
                  << result.gpx->segments
                  << (result.gpx->segments == 1 ? " segment, " : " segments, ")
                  << result.gpx->waypoints + result.gpx->markers
                  << (result.gpx->waypoints + result.gpx->markers == 1 ? " waypoint"
                                                                       : " waypoints");
    }
    std::cout << '\n';
}

// The cause of the first failed write to standard output, 0 while none failed.
int stdoutError = 0;

// Sends what is buffered for standard output on its way, noting why it could
// not be when it could not.
void FlushStdout() {
    errno = 0;
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0;
    if ((!flushed || std::ferror(stdout) || !std::cout) && stdoutError == 0) {
        stdoutError = errno != 0 ? errno : EIO;
    }
}

// A summary that did not reach its reader is a failure, as with any tool.
bool StdoutWritten() {
    FlushStdout();
    if (stdoutError == 0) {
        return true;
    }
    std::cerr << "zum-convert: write error: " << std::strerror(stdoutError) << '\n';
    return false;
}

// Tells the user what the GP-only reading passed over, and how to read it.
void PrintSkipped(const std::string& name, const zum::RunResult& r) {
    std::cerr << "zum-convert: " << name << ": " << r.skippedPositions
              << (r.skippedPositions == 1 ? " position report" : " position reports")
              << " from other talkers (" << r.skippedNames
              << ") skipped; --talkers any reads them\n";
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Converts NMEA 0183 logs ($GPRMC and $GPGSA sentences; with --talkers any, "
                 "$GNRMC, $GNGSA and the like too) into the five draw files of a street-map "
                 "program: _draw.txt, _time.txt, _sat.txt, _speed.txt "
                 "and _2d.txt, written beside each log.",
                 "zum-convert"};
    zum::ConvertOptions options;
    options.settingsFile = zum::DefaultSettingsPath().string();
    zum::AddConvertOptions(app, options);
    zum::ApplyGnuConventions(app, options.settingsFile);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }

    // A settings file named on the command line must be readable; the
    // window's own file, when unreadable, is skipped as the window skips it.
    if (app.count("--settings") > 0) {
        zum::Configuration probe;
        std::string unreadable;
        zum::ReadSettingsFile(probe, options.settingsFile, &unreadable);
        if (!unreadable.empty()) {
            std::cerr << "zum-convert: cannot read " << options.settingsFile << ": " << unreadable
                      << '\n';
            return 1;
        }
    }
    std::string problem;
    const std::optional<zum::LiveSettings> settings = zum::ResolveSettings(options, problem);
    if (!settings) {
        std::cerr << "zum-convert: " << problem << '\n';
        return 2;
    }
    zum::ParallelOptions parallel;
    parallel.threads = options.threads != 0 ? options.threads : zum::DefaultThreads();
    // --gpx and --no-gpx, and --talkers, override the window's saved choices,
    // which live in our own settings file whatever --settings names.
    zum::OwnSettings own;
    zum::ReadOwnSettings(own, zum::DefaultOwnSettingsPath());
    const bool writeGpx = options.gpx.value_or(own.writeGpx);
    const zum::TalkerMode talkers = zum::ResolveTalkers(options, own);

    CatchSignals();
    // Logs of the same name would share their outputs in --output-dir.
    std::map<std::filesystem::path, std::string> stems;
    int status = 0;
    for (const std::string& log : options.logs) {
        zum::ConversionJob job;
        job.input = log;
        job.outputStem = zum::OutputStemFor(log, options.outputDir);
        const auto [earlier, fresh] = stems.emplace(job.outputStem.lexically_normal(), log);
        if (!fresh) {
            std::cerr << "zum-convert: " << log << ": its outputs would replace those of "
                      << earlier->second << "; skipped\n";
            status = 1;
            continue;
        }
        job.writeGpx = writeGpx;
        job.talkers = talkers;
#ifndef _WIN32
        job.mapInput = true; // OnBusError handles what a mapping can raise
#endif
        logBeingRead.store(log.c_str());
        zum::ConversionState state; // each log starts afresh
        state.Clear();
        const zum::RunResult result = zum::ConvertLogInParallel(job, *settings, state, parallel);
        if (result.status != zum::RunStatus::Done) {
            std::cerr << "zum-convert: " << result.message << '\n';
            status = 1;
            continue;
        }
        if (result.gpx && result.gpx->leftOut != 0) {
            std::cerr << "zum-convert: " << log << ": " << result.gpx->leftOut
                      << " points outside latitude -90..90 or longitude -180..<180 left out of "
                         "the GPX file\n";
        }
        if (!options.quiet) {
            PrintSummary(log, result);
            // Out now: a later log that ends the program on SIGBUS would
            // lose what is still buffered.
            FlushStdout();
        }
        if (result.skippedPositions != 0) {
            PrintSkipped(log, result);
        }
    }
    return StdoutWritten() ? status : 1;
}
