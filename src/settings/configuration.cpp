#include "settings/configuration.hpp"

#include <cstdlib>

namespace zum {

std::string DefaultDataFolder() {
#ifdef _WIN32
    return "c:\\";
#else
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) : std::string("/");
#endif
}

void SetConfigurationDefaults(Configuration& config) {
    config.IntervalValue = 15.0;
    config.DistanceUnits = 2;
    config.DataReduction9600 = 1;
    config.EnableSound4800 = 1;
    config.EnableSound9600 = 1;
    config.EnableSound19200 = 1;
    config.IntervalByTime = 0;
    config.TimeZoneOffset = -7;
    config.MarkAtStops = 1;
    config.DataFilePath = DefaultDataFolder();
    config.ComSpeedIndex = "4";
    config.ComPortNumber = "1";
}

} // namespace zum
