#pragma once

#include "conversion_state.hpp"
#include "draw_files.hpp"
#include "live_settings.hpp"

#include <string_view>

namespace zum {

// What a usable $GPRMC sentence says, read without the conversion state: its
// texts and values depend only on the line and the run's settings, so worker
// threads can read sentences ahead of the pass that decides and writes.
struct PositionReading {
    ShortText<16> localTime;
    NumberText lat, lon, speed;
    double latValue = 0, lonValue = 0;
};

// The same, with the texts held elsewhere (a reading kept for a later pass).
struct PositionView {
    std::string_view localTime, lat, lon, speed;
    double latValue = 0, lonValue = 0;
};

inline PositionView ViewOf(const PositionReading& r) {
    return {r.localTime, r.lat, r.lon, r.speed, r.latValue, r.lonValue};
}

// Reads fields 1 (UTC time), 3 to 6 (position) and 7 (speed) of a $GPRMC line.
void ReadPosition(std::string_view line, const LiveSettings& settings, PositionReading& reading);

// Turns a usable $GPRMC sentence, read by ReadPosition, into a track point,
// the last position, the local time and speed texts, and, when the waypoint
// decision says so, a time and a speed waypoint. PointFlag is left holding
// whether this position got waypoints.
void ProcessRMC(ConversionState& state, const LiveSettings& settings, const PositionView& position,
                DrawFiles& out);

// The same for the sentence in state.NmeaLine, read here.
void ProcessRMC(ConversionState& state, const LiveSettings& settings, DrawFiles& out);

// The local time text of a $GPRMC time field: the local hour (at least two
// digits) followed by the field's minutes and whole seconds, characters 3 to
// 6; anything after them (fractional seconds) is ignored.
ShortText<16> MakeLocalTimeText(std::string_view timeField, std::int16_t timeZoneOffset);

// The degrees of a ddmm.mmmm / dddmm.mmmm coordinate field.
double CoordinateDegrees(std::string_view field);
// The same, for a field whose bytes up to readableEnd may all be read: the
// usual form is then read sixteen bytes at a time.
double CoordinateDegrees(std::string_view field, const char* readableEnd);
// The same, read as its parts: the whole field, then the degrees before the
// last two digits of the whole part and the minutes from there on. Any
// field; CoordinateDegrees reads plain digits in one pass to the same value.
double CoordinateDegreesByParts(std::string_view field);

} // namespace zum
