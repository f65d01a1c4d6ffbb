#include "convert/position_report.hpp"

#include "convert/decimal_text.hpp"
#include "convert/gpx_time.hpp"
#include "convert/nmea_fields.hpp"
#include "convert/numeric_value.hpp"
#include "convert/speed_text_memo.hpp"
#include "convert/waypoint_decision.hpp"

#include <charconv>
#include <cstdint>

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

namespace {

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

} // namespace

// The general reading, for fields that are not plain digits with at most one
// point. Whether the field reads as 0 is judged on its whole value: a number
// too large for a 64-bit float reads as 0 and so gives no position, whatever
// its parts would read as.
double CoordinateDegreesByParts(std::string_view field) {
    if (NumericValue(field) == 0.0) {
        return 0.0;
    }
    std::size_t point = field.find('.');
    if (point == std::string_view::npos) {
        point = field.size();
    }
    if (point < 2) {
        return NumericValue(field) / 60.0;
    }
    return NumericValue(field.substr(0, point - 2)) + NumericValue(field.substr(point - 2)) / 60.0;
}

double CoordinateDegrees(std::string_view field) {
    // ddmm.mmmm: the two digits before the point begin the minutes. A field
    // without a point reads as if the point stood at its end; with fewer than
    // two digits before the point the whole field is minutes. Plain digits,
    // 15 at most, are read here in one pass: each part is a whole number
    // below 10^15 over a power of ten, exact in a 64-bit float, so the result
    // is the one the general reading of the parts gives.
    std::uint64_t whole = 0;    // the digits before the point
    std::uint64_t fraction = 0; // the digits after it
    int wholeDigits = 0;
    int fractionDigits = 0;
    std::size_t i = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        whole = whole * 10 + static_cast<unsigned>(field[i] - '0');
        ++wholeDigits;
    }
    if (i < field.size() && field[i] == '.') {
        for (++i; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
            fraction = fraction * 10 + static_cast<unsigned>(field[i] - '0');
            ++fractionDigits;
        }
    }
    if (i != field.size() || wholeDigits + fractionDigits > 15 ||
        wholeDigits + fractionDigits == 0) {
        return CoordinateDegreesByParts(field);
    }
    if (whole == 0 && fraction == 0) {
        return 0.0;
    }
    const double scale = kPowersOfTen[fractionDigits];
    if (wholeDigits < 2) {
        const auto all = static_cast<double>(whole * static_cast<std::uint64_t>(scale) + fraction);
        return all / scale / 60.0;
    }
    const std::uint64_t minutes = (whole % 100) * static_cast<std::uint64_t>(scale) + fraction;
    return static_cast<double>(whole / 100) + static_cast<double>(minutes) / scale / 60.0;
}

// $GPRMC,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34
// Reads field 1 (UTC time), 3 and 4 (latitude), 5 and 6 (longitude) and 7
// (speed in knots). The status field is not looked at: a "V" sentence with
// a position is drawn like an "A" one.
void ReadPosition(std::string_view line, const LiveSettings& settings, PositionReading& reading) {
    const NmeaFields fields(line, 8); // up to the speed

    reading.localTime = MakeLocalTimeText(fields[1], settings.timeZoneOffset);
    // One table per thread: worker threads read sentences too.
    thread_local SpeedTextMemo speeds;
    speeds.Text(fields[7], settings.speedFactor, reading.speed);

    double lat = CoordinateDegrees(fields[3]);
    if (fields[4] == "S") {
        lat = -lat;
    }
    double lon = CoordinateDegrees(fields[5]);
    if (fields[6] == "W") {
        lon = -lon;
    }
    CoordinateText(lat, reading.lat, &reading.latValue);
    CoordinateText(lon, reading.lon, &reading.lonValue);
}

void ProcessRMC(ConversionState& state, const LiveSettings& settings, const PositionView& position,
                DrawFiles& out) {
    state.LocalTimeText = position.localTime;
    state.SpeedText = position.speed;

    const std::string_view latText = position.lat;
    const std::string_view lonText = position.lon;
    const bool onNullIsland = latText == "0" || lonText == "0";
    if (out.WritesGpx()) {
        // The GPX file also takes the time and date fields as they stand.
        const TimeAndDate fields = RmcTimeAndDate(state.NmeaLine);
        out.FixDetails({fields.time, fields.date, SpeedUnitName(settings.speedFactor),
                        position.latValue, position.lonValue});
    }
    if (!onNullIsland) {
        out.Track(latText, lonText);
    }
    state.LastLatText = latText;
    state.LastLonText = lonText;
    state.LastLatValue = position.latValue;
    state.LastLonValue = position.lonValue;

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

void ProcessRMC(ConversionState& state, const LiveSettings& settings, DrawFiles& out) {
    PositionReading reading;
    ReadPosition(state.NmeaLine, settings, reading);
    ProcessRMC(state, settings, ViewOf(reading), out);
}

} // namespace zum
