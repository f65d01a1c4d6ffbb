#pragma once

#include "conversion_state.hpp"
#include "live_settings.hpp"

namespace zum {

// Whether the position just processed gets waypoints, in the marking mode
// and with the interval of `settings`. May move the reference position and
// change the at-stops latch and stop count.
bool DecideWaypoint(ConversionState& state, const LiveSettings& settings);

// "By Interval only" with a distance interval.
bool CheckDistanceInterval(ConversionState& state, const LiveSettings& settings);
// "At Stops Separated by Interval".
bool CheckStopWaypoint(ConversionState& state, const LiveSettings& settings);

} // namespace zum
