// zum-convert: converts NMEA logs into the five draw files, exactly as the
// window would, for batch work.
#include "cli/convert_options.hpp"
#include "cli/gnu_conventions.hpp"
#include "convert/conversion_run.hpp"
#include "convert/parallel_run.hpp"
#include "settings/own_settings.hpp"
#include "settings/settings_file.hpp"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

void PrintSummary(const std::string& name, const zum::RunResult& result) {
    const zum::RecordCounts& r = result.records;
    std::cout << name << ": " << r.draw << " track points, " << r.time << " time, " << r.sat
              << " satellite, " << r.speed << " speed and " << r.fix << " 2-D waypoints";
    if (result.gpx) {
        std::cout << "; GPX: " << result.gpx->trackPoints << " track points in "
                  << result.gpx->segments
                  << (result.gpx->segments == 1 ? " segment, " : " segments, ")
                  << result.gpx->waypoints + result.gpx->markers << " waypoints";
    }
    std::cout << '\n';
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

    int status = 0;
    for (const std::string& log : options.logs) {
        zum::ConversionJob job;
        job.input = log;
        job.outputStem = zum::OutputStemFor(log, options.outputDir);
        job.writeGpx = writeGpx;
        job.talkers = talkers;
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
        }
        if (result.skippedPositions != 0) {
            PrintSkipped(log, result);
        }
    }
    return status;
}
