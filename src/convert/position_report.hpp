#pragma once

#include "conversion_state.hpp"
#include "draw_files.hpp"
#include "live_settings.hpp"

namespace zum {

// Turns the usable $GPRMC sentence in state.NmeaLine into a track point, the
// last position, the local time and speed texts, and, when the waypoint
// decision says so, a time and a speed waypoint. PointFlag is left holding
// whether this position got waypoints.
void ProcessRMC(ConversionState& state, const LiveSettings& settings, DrawFiles& out);

// The local time text of a $GPRMC time field: the local hour (at least two
// digits) followed by the field's minutes and whole seconds, characters 3 to
// 6; anything after them (fractional seconds) is ignored.
ShortText<16> MakeLocalTimeText(std::string_view timeField, std::int16_t timeZoneOffset);

// The degrees of a ddmm.mmmm / dddmm.mmmm coordinate field.
double CoordinateDegrees(std::string_view field);

} // namespace zum
