#pragma once

#include "conversion_state.hpp"
#include "draw_files.hpp"

#include <string_view>

namespace zum {

// Counts the satellites in use of the $GPGSA sentence in state.NmeaLine and
// writes a satellite-count waypoint at the last position.
void ProcessGSA(const ConversionState& state, DrawFiles& out);

// The number of satellite fields (3 to 14) of a $GPGSA line that read as a
// number greater than 0. A line cut short counts the fields it has.
int SatellitesInUse(std::string_view line);

// Whether a fix report holds "A,3" (an automatic 3-D fix: no 2-D marker).
// The satellites are counted only when a waypoint needs them.
bool AutomaticThreeD(std::string_view line);

} // namespace zum
