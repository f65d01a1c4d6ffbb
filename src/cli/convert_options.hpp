#pragma once

#include "convert/live_settings.hpp"
#include "convert/talker.hpp"
#include "settings/own_settings.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zum {

// The command line of zum-convert. Unset options take their value from the
// settings file (built-in defaults when it is missing); --talkers from our own
// settings file, which --settings does not move.
struct ConvertOptions {
    std::string settingsFile;
    std::optional<std::string> talkers;
    std::optional<double> timeZone;
    std::optional<std::string> units;
    std::optional<double> intervalDistance;
    std::optional<double> intervalTime;
    std::optional<std::string> marking;
    std::string outputDir;
    std::optional<bool> gpx; // unset: our own settings file decides
    bool quiet = false;
    std::vector<std::string> logs;
};

void AddConvertOptions(CLI::App& app, ConvertOptions& options);

// The settings a conversion reads: the settings file's values, overridden by
// the options, with the menus' rules (a time interval below 1 becomes 1). No
// value, with `problem` set, when an option value cannot be stored.
std::optional<LiveSettings> ResolveSettings(const ConvertOptions& options, std::string& problem);

// The talker reading: --talkers when given, else "Accept Other Talkers" as
// read from our own settings file.
TalkerMode ResolveTalkers(const ConvertOptions& options, const OwnSettings& own);

// Where a log's outputs go: beside it, or in `outputDir` when given; the
// suffixes are appended to the whole file name.
std::filesystem::path OutputStemFor(const std::filesystem::path& log, const std::string& outputDir);

} // namespace zum
