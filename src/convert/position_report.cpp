#include "convert/position_report.hpp"

#include "convert/decimal_text.hpp"
#include "convert/gpx_time.hpp"
#include "convert/nmea_fields.hpp"
#include "convert/numeric_value.hpp"
#include "convert/powers_of_ten.hpp"
#include "convert/speed_text_memo.hpp"
#include "convert/waypoint_decision.hpp"

#include <charconv>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    // Minutes and whole seconds; fractional seconds ("190334.000") are not
    // part of the local time.
    const std::string_view minutesAndSeconds =
        timeField.size() > 2 ? timeField.substr(2, 4) : std::string_view();
    if (hour >= 0 && hour < 100) {
        // The usual hour, two digits, and the rest in one copy.
        char digits[6] = {static_cast<char>('0' + hour / 10), static_cast<char>('0' + hour % 10)};
        if (!minutesAndSeconds.empty()) {
            std::memcpy(digits + 2, minutesAndSeconds.data(), minutesAndSeconds.size());
        }
        return ShortText<16>({digits, 2 + minutesAndSeconds.size()});
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
    text.append(minutesAndSeconds);
    return text;
}

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

namespace {

// The degrees of a field read as whole digits `whole` (wholeDigits of them,
// at most 15 in all with the fraction's) and fraction digits `fraction`:
// each part is a whole number below 10^15 over a power of ten, exact in a
// 64-bit float, so the result is the one the general reading of the parts
// gives.
double DegreesOfDigits(std::uint64_t whole, int wholeDigits, std::uint64_t fraction,
                       int fractionDigits) {
    if (whole == 0 && fraction == 0) {
        return 0.0;
    }
    // Both numbers are below 10^15, so they convert as signed ones, in one
    // instruction each.
    const auto scale = static_cast<std::int64_t>(kPowersOfTen[fractionDigits]);
    const auto wholeValue = static_cast<std::int64_t>(whole);
    const auto fractionValue = static_cast<std::int64_t>(fraction);
    const double scaleValue = kPowersOfTenAsDoubles[fractionDigits];
    if (wholeDigits < 2) {
        return static_cast<double>(wholeValue * scale + fractionValue) / scaleValue / 60.0;
    }
    const std::int64_t minutes = (wholeValue % 100) * scale + fractionValue;
    return static_cast<double>(wholeValue / 100) + static_cast<double>(minutes) / scaleValue / 60.0;
}

#if defined(__SSE2__)
// The number the first `count` (1 to 8) characters of `word` spell, all of
// them digits, the first character in the lowest byte: they are moved to the
// top, so the bytes below read as leading zeros, then combined in pairs,
// fours and eights.
std::uint64_t DigitsOfWord(std::uint64_t word, int count) {
    word = (word << (8 * (8 - count))) & 0x0F0F0F0F0F0F0F0FULL;
    word = word * 10 + (word >> 8);
    return (((word & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
            (((word >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
           32;
}

// The usual field, one to seven digits, a point and up to eight digits, read
// from sixteen bytes at once: the caller has them all readable. False when
// the field is of another form.
bool ReadUsualField(std::string_view field, std::uint64_t& whole, int& wholeDigits,
                    std::uint64_t& fraction, int& fractionDigits) {
    if (field.size() < 2 || field.size() > 16) {
        return false;
    }
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(field.data()));
    const __m128i values = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
    const auto digits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(values, _mm_set1_epi8(9)), values)));
    const auto points =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('.'))));
    const unsigned inField = (1U << field.size()) - 1;
    const unsigned point = points & inField;
    // Only digits and one point, which has one to seven digits before it and
    // up to eight after it.
    if (((digits | point) & inField) != inField || point == 0 || (point & (point - 1)) != 0) {
        return false;
    }
    wholeDigits = __builtin_ctz(point);
    fractionDigits = static_cast<int>(field.size()) - wholeDigits - 1;
    if (wholeDigits == 0 || wholeDigits > 7 || fractionDigits > 8) {
        return false;
    }
    std::uint64_t head = 0;
    std::memcpy(&head, field.data(), 8);
    whole = DigitsOfWord(head, wholeDigits);
    fraction = 0;
    if (fractionDigits != 0) {
        std::uint64_t tail = 0;
        std::memcpy(&tail, field.data() + wholeDigits + 1, 8);
        fraction = DigitsOfWord(tail, fractionDigits);
    }
    return true;
}
#endif

} // namespace

double CoordinateDegrees(std::string_view field, const char* readableEnd) {
#if defined(__SSE2__)
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0;
    int wholeDigits = 0;
    int fractionDigits = 0;
    if (readableEnd - field.data() >= 16 &&
        ReadUsualField(field, whole, wholeDigits, fraction, fractionDigits)) {
        return DegreesOfDigits(whole, wholeDigits, fraction, fractionDigits);
    }
#else
    (void)readableEnd;
#endif
    return CoordinateDegrees(field);
}

double CoordinateDegrees(std::string_view field) {
    // ddmm.mmmm: the two digits before the point begin the minutes. A field
    // without a point reads as if the point stood at its end; with fewer than
    // two digits before the point the whole field is minutes. Plain digits,
    // 15 at most, are read here in one pass.
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
    return DegreesOfDigits(whole, wholeDigits, fraction, fractionDigits);
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

    const char* lineEnd = line.data() + line.size();
    double lat = CoordinateDegrees(fields[3], lineEnd);
    if (fields[4] == "S") {
        lat = -lat;
    }
    double lon = CoordinateDegrees(fields[5], lineEnd);
    if (fields[6] == "W") {
        lon = -lon;
    }
    CoordinateTextPair(lat, lon, reading.lat, reading.lon, &reading.latValue, &reading.lonValue);
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
