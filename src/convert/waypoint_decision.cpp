#include "convert/waypoint_decision.hpp"

#include "convert/numeric_value.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace zum {
namespace {

// Straight-line separation in the latitude/longitude grid, in seconds of arc;
// the longitude difference is deliberately not scaled by the latitude.
double DistanceFromReference(const ConversionState& s) {
    const double dLat = s.LastLatValue - s.RefLatValue;
    const double dLon = s.LastLonValue - s.RefLonValue;
    return std::sqrt(dLat * dLat + dLon * dLon) * 3600.0;
}

void MoveReferenceHere(ConversionState& s) {
    s.RefLatText = s.LastLatText;
    s.RefLonText = s.LastLonText;
    s.RefLatValue = s.LastLatValue;
    s.RefLonValue = s.LastLonValue;
}

// A speed text ("12.3", "-0.4") reads as 0 exactly when all its digits are 0.
bool StandingStill(std::string_view speedText) {
    for (const char c : speedText) {
        if (c >= '1' && c <= '9') {
            return false;
        }
    }
    return NumericValue(speedText) == 0.0;
}

// On a time boundary: second 00 of a minute that is a multiple of the interval.
bool OnTimeBoundary(const ConversionState& s, std::int16_t intervalByTime) {
    const std::string_view time = s.LocalTimeText.view();
    const std::string_view seconds = time.size() >= 2 ? time.substr(time.size() - 2) : time;
    // Two characters that do not begin with a number are no boundary.
    const std::optional<double> secondsValue = LeadingNumber(seconds);
    if (!secondsValue || *secondsValue != 0.0) {
        return false;
    }
    const int minute =
        RoundToInt16(NumericValue(time.substr(std::min<std::size_t>(2, time.size()), 2)))
            .value_or(0);
    return minute % std::abs(static_cast<int>(intervalByTime)) == 0;
}

} // namespace

bool CheckDistanceInterval(ConversionState& s, const LiveSettings& settings) {
    if (s.RefLatText.empty()) {
        MoveReferenceHere(s);
        return true;
    }
    if (DistanceFromReference(s) > settings.intervalValue) {
        MoveReferenceHere(s);
        return true;
    }
    return false;
}

bool CheckStopWaypoint(ConversionState& s, const LiveSettings& settings) {
    if (settings.intervalByTime != 0) {
        if (OnTimeBoundary(s, settings.intervalByTime)) {
            s.IntervalReached = kTrue;
        }
    } else if (settings.intervalValue != 0) {
        if (s.RefLatText.empty() || DistanceFromReference(s) > settings.intervalValue) {
            s.IntervalReached = kTrue;
        }
    }

    if (StandingStill(s.SpeedText)) {
        // Only "more than two" is ever asked of the count, so it stops growing
        // rather than overflow on a very long stop.
        if (s.StopCount < 32767) {
            ++s.StopCount;
        }
    } else {
        s.StopCount = 0;
    }

    if (s.IntervalReached != kFalse && s.StopCount > 2) {
        s.StopCount = 0;
        s.IntervalReached = kFalse;
        MoveReferenceHere(s);
        return true;
    }
    return false;
}

bool DecideWaypoint(ConversionState& s, const LiveSettings& settings) {
    if (settings.markAtStops) {
        return CheckStopWaypoint(s, settings);
    }
    if (settings.intervalByTime != 0) {
        return OnTimeBoundary(s, settings.intervalByTime);
    }
    if (settings.intervalValue != 0) {
        return CheckDistanceInterval(s, settings);
    }
    return false;
}

} // namespace zum
