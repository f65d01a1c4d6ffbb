// zum-convert: converts NMEA logs into the five draw files, exactly as the
// window would, for batch work.
#include "cli/convert_options.hpp"
#include "convert/conversion_run.hpp"
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

void PrintSummary(const std::string& name, const zum::RecordCounts& r) {
    std::cout << name << ": " << r.draw << " track points, " << r.time << " time, " << r.sat
              << " satellite, " << r.speed << " speed and " << r.fix << " 2-D waypoints\n";
}

// Tells the user what the GP-only reading passed over, and how to read it.
void PrintSkipped(const std::string& name, const zum::RunResult& r) {
    std::cerr << name << ": " << r.skippedPositions
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
    options.ownSettingsFile = zum::DefaultOwnSettingsPath().string();
    zum::AddConvertOptions(app, options);
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
    const zum::FixedSettings source(*settings);
    const zum::TalkerMode talkers = zum::ResolveTalkers(options);

    int status = 0;
    for (const std::string& log : options.logs) {
        zum::ConversionJob job;
        job.input = log;
        job.outputStem = zum::OutputStemFor(log, options.outputDir);
        job.talkers = talkers;
        zum::ConversionState state; // each log starts afresh
        state.Clear();
        const zum::RunResult result = zum::ConvertLog(job, source, state);
        if (result.status != zum::RunStatus::Done) {
            std::cerr << "zum-convert: " << result.message << '\n';
            status = 1;
            continue;
        }
        if (!options.quiet) {
            PrintSummary(log, result.records);
        }
        if (result.skippedPositions != 0) {
            PrintSkipped(log, result);
        }
    }
    return status;
}
