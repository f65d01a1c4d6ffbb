#include "convert/position_report.hpp"

#include "convert/decimal_text.hpp"
#include "convert/nmea_fields.hpp"
#include "convert/numeric_value.hpp"
#include "convert/waypoint_decision.hpp"

#include <charconv>

namespace zum {

ShortText<16> MakeLocalTimeText(std::string_view timeField, std::int16_t timeZoneOffset) {
    // The offset is in whole hours, so only the hour changes: one correction
    // each way, no change of date.
    const std::string_view hourField = timeField.substr(0, 2);
    int hour = hourField.size() == 2 && hourField[0] >= '0' && hourField[0] <= '9' &&
                       hourField[1] >= '0' && hourField[1] <= '9'
                   ? (hourField[0] - '0') * 10 + (hourField[1] - '0')
                   : RoundToInt16(NumericValue(hourField)).value_or(0);
    hour += timeZoneOffset;
    if (hour > 23) {
        hour -= 24;
    }
    if (hour < 0) {
        hour += 24;
    }
    ShortText<16> text;
    if (hour < 0) {
        text.push_back('-');
        hour = -hour;
    }
    if (hour < 10) {
        text.push_back('0');
    }
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits, hour).ptr;
    text.append({digits, static_cast<std::size_t>(end - digits)});
    // Minutes and whole seconds; fractional seconds ("190334.000") are not
    // part of the local time.
    if (timeField.size() > 2) {
        text.append(timeField.substr(2, 4));
    }
    return text;
}

// Whether a field reads as 0: judged from its characters while they are
// zeros and at most one point; anything else is read.
bool ReadsAsZero(std::string_view field) {
    bool point = false;
    for (const char c : field) {
        if (c == '0' || (c == '.' && !point)) {
            point = point || c == '.';
        } else if (c >= '1' && c <= '9') {
            return false;
        } else {
            return NumericValue(field) == 0.0;
        }
    }
    return true;
}

double CoordinateDegrees(std::string_view field) {
    if (ReadsAsZero(field)) {
        return 0.0;
    }
    // ddmm.mmmm: the two characters before the point begin the minutes. A
    // field without a point reads as if the point stood at its end; with fewer
    // than two characters before the point the whole field is minutes.
    std::size_t point = field.find('.');
    if (point == std::string_view::npos) {
        point = field.size();
    }
    if (point < 2) {
        return NumericValue(field) / 60.0;
    }
    return NumericValue(field.substr(0, point - 2)) + NumericValue(field.substr(point - 2)) / 60.0;
}

// $GPRMC,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34
// Reads field 1 (UTC time), 3 and 4 (latitude), 5 and 6 (longitude) and 7
// (speed in knots). The status field is not looked at: a "V" sentence with
// a position is drawn like an "A" one.
void ProcessRMC(ConversionState& state, const LiveSettings& settings, DrawFiles& out) {
    // Up to the speed; for a GPX file also the date, field 9.
    const bool gpx = out.WritesGpx();
    const NmeaFields fields(state.NmeaLine, gpx ? 10 : 8);

    state.LocalTimeText = MakeLocalTimeText(fields[1], settings.timeZoneOffset);

    double speed = NumericValue(fields[7]) * settings.speedFactor;
    state.SpeedText = SpeedText(speed);

    double lat = CoordinateDegrees(fields[3]);
    if (fields[4] == "S") {
        lat = -lat;
    }
    double lon = CoordinateDegrees(fields[5]);
    if (fields[6] == "W") {
        lon = -lon;
    }
    double latValue = 0;
    double lonValue = 0;
    const NumberText latText = CoordinateText(lat, &latValue);
    const NumberText lonText = CoordinateText(lon, &lonValue);
    const bool onNullIsland = latText == "0" || lonText == "0";
    if (gpx) {
        out.FixDetails(
            {fields[1], fields[9], SpeedUnitName(settings.speedFactor), latValue, lonValue});
    }
    if (!onNullIsland) {
        out.Track(latText, lonText);
    }
    state.LastLatText = latText;
    state.LastLonText = lonText;
    state.LastLatValue = latValue;
    state.LastLonValue = lonValue;

    state.PointFlag = DecideWaypoint(state, settings) ? kTrue : kFalse;
    // A position with a zero coordinate is no real position: no waypoints,
    // although the decision's own changes stand.
    if (onNullIsland) {
        state.PointFlag = kFalse;
    }
    if (state.PointFlag != kFalse) {
        // HH:MM from the local time text, by character positions.
        const std::string_view time = state.LocalTimeText.view();
        ShortText<8> label;
        label.append(time.substr(0, 2));
        label.push_back(':');
        if (time.size() > 2) {
            label.append(time.substr(2, 2));
        }
        out.TimeWaypoint(latText, lonText, label);
        out.SpeedWaypoint(latText, lonText, state.SpeedText);
    }
}

} // namespace zum
