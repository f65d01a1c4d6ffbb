#pragma once

#include "version/version.hpp"

#include <cstdint>
#include <string>

namespace zum {

// The persisted settings, shared with the companion logger through the
// settings file. Plain variables, read and assigned directly; the window owns
// one instance for the life of the process.
struct Configuration {
    double IntervalValue = 15.0;    // distance spacing, seconds of arc
    std::int16_t DistanceUnits = 2; // 0 knots, 1 km/hr, 2 mi/hr
    std::int16_t DataReduction9600 = 1;
    std::int16_t EnableSound4800 = 1;
    std::int16_t EnableSound9600 = 1;
    std::int16_t EnableSound19200 = 1;
    std::int16_t IntervalByTime = 0;  // time spacing in minutes; 0 = by distance
    std::int16_t TimeZoneOffset = -7; // hours added to UTC
    std::int16_t MarkAtStops = 1;     // 1 at stops, 0 by interval only
    std::string DataFilePath;         // the data folder
    std::string ComSpeedIndex = "4";  // logger speed: "4", "9" or "19"
    std::string ComPortNumber = "1";
    std::string ProgramVersion; // build constants, set at start-up
    std::string CompiledDate;
};

// The project version, as --version and the package give it.
inline constexpr const char* kProgramVersion = kVersion;
inline constexpr const char* kCompiledDate = "05/14/2006";

// Gives every variable its default, except ProgramVersion and CompiledDate.
void SetConfigurationDefaults(Configuration& config);

// The default data folder: the user's home folder ("c:\" on Windows). Also
// where the window falls back to when the stored folder cannot be shown.
std::string DefaultDataFolder();

} // namespace zum
