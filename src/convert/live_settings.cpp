#include "convert/live_settings.hpp"

namespace zum {

double SpeedFactorFor(std::int16_t distanceUnits) {
    // Kilometres in a mile, and knots in a mile per hour.
    constexpr double kKilometresPerMile = 1.609;
    constexpr double kKnotsPerMph = 0.8689;
    switch (distanceUnits) {
    case kKnots:
        return 1.0;
    case kKilometresPerHour:
        return kKilometresPerMile / kKnotsPerMph;
    case kMilesPerHour:
        return 1.0 / kKnotsPerMph;
    default:
        return 0.0;
    }
}

std::string_view SpeedUnitName(double speedFactor) {
    // The window's unit menu and --units set the factor only from
    // SpeedFactorFor, so an exact comparison finds the unit.
    if (speedFactor == SpeedFactorFor(kKnots)) {
        return "knots";
    }
    if (speedFactor == SpeedFactorFor(kKilometresPerHour)) {
        return "km/hr";
    }
    if (speedFactor == SpeedFactorFor(kMilesPerHour)) {
        return "mi/hr";
    }
    return {};
}

} // namespace zum
