#include "cli/convert_options.hpp"

#include "convert/numeric_value.hpp"
#include "settings/configuration.hpp"
#include "settings/settings_file.hpp"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <map>
#include <thread>

namespace zum {
namespace {

// A finite number; with `whole`, one without a fraction. The window's menus
// offer only such values, so anything else is refused rather than rounded.
CLI::Validator FiniteNumber(bool whole) {
    return CLI::Validator(
        [whole](std::string& text) -> std::string {
            double value = 0;
            if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value)) {
                return "needs a finite number, not " + text;
            }
            if (whole && value != std::trunc(value)) {
                return "needs a whole number, not " + text;
            }
            return {};
        },
        "", whole ? "WHOLE" : "FINITE");
}

} // namespace

void AddConvertOptions(CLI::App& app, ConvertOptions& o) {
    app.add_option("--settings", o.settingsFile,
                   "take defaults from FILE (missing file: built-in defaults)")
        ->type_name("FILE");
    app.add_option("--tz", o.timeZone, "time zone offset from UTC in whole hours")
        ->type_name("HOURS")
        ->check(FiniteNumber(true));
    app.add_option("--units", o.units, "speed unit")->check(CLI::IsMember({"knots", "kmh", "mph"}));
    auto* distance = app.add_option("--interval-distance", o.intervalDistance,
                                    "space waypoints by distance, in seconds of arc")
                         ->type_name("SECONDS")
                         ->check(FiniteNumber(false));
    auto* time = app.add_option("--interval-time", o.intervalTime,
                                "space waypoints by time, in whole minutes (at least 1)")
                     ->type_name("MINUTES")
                     ->check(FiniteNumber(true));
    distance->excludes(time);
    app.add_option("--marking", o.marking,
                   "\"interval\": a waypoint at every interval; \"stops\": at stops separated by "
                   "the interval")
        ->check(CLI::IsMember({"interval", "stops"}));
    app.add_option("--talkers", o.talkers,
                   "\"gp\": read $GPRMC and $GPGSA only; \"any\": other talkers too ($GNRMC, "
                   "$GLGSA, $BDGSA, ...); default: as saved in zum-points.conf, else gp")
        ->check(CLI::IsMember({"gp", "any"}));
    app.add_option("--output-dir", o.outputDir, "where the five files go (default: beside the log)")
        ->type_name("DIR")
        ->check(CLI::ExistingDirectory);
    // Two callbacks rather than a negatable flag, so that giving neither
    // leaves the choice unset.
    auto* gpx = app.add_flag_callback(
        "--gpx", [&o] { o.gpx = true; },
        "also write LOG.gpx (GPX 1.1) beside the five files; the default is the window's saved "
        "\"Also Write GPX File\" setting");
    auto* noGpx = app.add_flag_callback(
        "--no-gpx", [&o] { o.gpx = false; }, "write no GPX file");
    gpx->excludes(noGpx);
    app.add_flag("-q,--quiet", o.quiet, "no summary");
    app.add_option("--threads", o.threads,
                   "threads reading each log (default: the number of cores, at most 8); "
                   "the outputs are the same at every count")
        ->type_name("N")
        ->check(CLI::Range(1U, 64U));
    app.add_option("LOG", o.logs, "NMEA log files")->required();
}

unsigned DefaultThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(cores, 1U, 8U);
}

std::optional<LiveSettings> ResolveSettings(const ConvertOptions& o, std::string& problem) {
    Configuration config;
    SetConfigurationDefaults(config);
    ReadSettingsFile(config, o.settingsFile);

    if (o.timeZone) {
        const std::optional<std::int16_t> hours = RoundToInt16(*o.timeZone);
        if (!hours) {
            problem = "--tz: offset out of range";
            return std::nullopt;
        }
        config.TimeZoneOffset = *hours;
    }
    if (o.units) {
        static const std::map<std::string, std::int16_t> kUnits = {
            {"knots", kKnots}, {"kmh", kKilometresPerHour}, {"mph", kMilesPerHour}};
        config.DistanceUnits = kUnits.at(*o.units);
    }
    if (o.intervalDistance) {
        config.IntervalByTime = 0;
        config.IntervalValue = *o.intervalDistance;
    }
    if (o.intervalTime) {
        const std::optional<std::int16_t> minutes = RoundToInt16(*o.intervalTime);
        if (!minutes) {
            problem = "--interval-time: interval out of range";
            return std::nullopt;
        }
        config.IntervalByTime = std::max<std::int16_t>(*minutes, 1);
        config.IntervalValue = 0;
    }
    if (o.marking) {
        config.MarkAtStops = *o.marking == "stops" ? 1 : 0;
    }

    LiveSettings live;
    live.markAtStops = config.MarkAtStops != 0;
    live.intervalByTime = config.IntervalByTime;
    live.intervalValue = config.IntervalValue;
    live.timeZoneOffset = config.TimeZoneOffset;
    // A stored unit that names no menu item falls back to the default, as at
    // the window's start-up.
    if (config.DistanceUnits < kKnots || config.DistanceUnits > kMilesPerHour) {
        config.DistanceUnits = kMilesPerHour;
    }
    live.speedFactor = SpeedFactorFor(config.DistanceUnits);
    return live;
}

TalkerMode ResolveTalkers(const ConvertOptions& o, const OwnSettings& own) {
    if (o.talkers) {
        return *o.talkers == "any" ? TalkerMode::Any : TalkerMode::GpOnly;
    }
    return own.acceptOtherTalkers ? TalkerMode::Any : TalkerMode::GpOnly;
}

std::filesystem::path OutputStemFor(const std::filesystem::path& log,
                                    const std::string& outputDir) {
    if (outputDir.empty()) {
        return log;
    }
    return std::filesystem::path(outputDir) / log.filename();
}

} // namespace zum
