// zum-convert: converts NMEA logs into the five draw files, exactly as the
// window would, for batch work.
#include "cli/convert_options.hpp"
#include "convert/conversion_run.hpp"
#include "convert/parallel_run.hpp"
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

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Converts NMEA 0183 logs ($GPRMC and $GPGSA sentences) into the five draw "
                 "files of a street-map program: _draw.txt, _time.txt, _sat.txt, _speed.txt "
                 "and _2d.txt, written beside each log.",
                 "zum-convert"};
    zum::ConvertOptions options;
    options.settingsFile = zum::DefaultSettingsPath().string();
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
    zum::ParallelOptions parallel;
    parallel.threads = options.threads != 0 ? options.threads : zum::DefaultThreads();

    int status = 0;
    for (const std::string& log : options.logs) {
        zum::ConversionJob job;
        job.input = log;
        job.outputStem = zum::OutputStemFor(log, options.outputDir);
        zum::ConversionState state; // each log starts afresh
        state.Clear();
        const zum::RunResult result = zum::ConvertLogInParallel(job, *settings, state, parallel);
        if (result.status != zum::RunStatus::Done) {
            std::cerr << "zum-convert: " << result.message << '\n';
            status = 1;
            continue;
        }
        if (!options.quiet) {
            PrintSummary(log, result.records);
        }
    }
    return status;
}
