#pragma once

#include "short_text.hpp"

#include <cstdint>
#include <optional>
#include <string_view>

namespace zum {

// The UTC time of a fix, read from a $GPRMC sentence's time and date fields.
struct FixTime {
    ShortText<32> text; // xsd:dateTime, "2006-03-11T19:03:34Z" or "…T19:03:34.25Z"
    double seconds = 0; // seconds since 1970-01-01, to measure gaps between fixes
};

// The UTC date of a fix.
struct FixDate {
    ShortText<16> text;    // "2006-03-11"
    std::int64_t days = 0; // since 1970-01-01
};

// Fields 1 (the time) and 9 (the date) of a $GPRMC sentence, as NmeaFields
// gives them. This runs for every fix: the usual sentence, whose first ten
// commas are in its first 64 bytes, is looked at in four 16-byte steps.
struct TimeAndDate {
    std::string_view time, date;
};
TimeAndDate RmcTimeAndDate(std::string_view line);

// Reads "ddmmyy": nothing unless it is six digits naming a real date.
std::optional<FixDate> ReadFixDate(std::string_view date);

// Reads the time field on the given date.
std::optional<FixTime> ReadFixTime(std::string_view time, const FixDate& date);
// The same into `fix`, which is left as it was when the field is no time.
bool ReadFixTime(std::string_view time, const FixDate& date, FixTime& fix);

// Reads "hhmmss" with an optional fraction ("190334", "190334.000") and
// "ddmmyy" as a time and date in UTC. Two-digit years 80 to 99 are 1980 to
// 1999, the others 2000 to 2079, as GPS began in 1980. Nothing when either
// field is not exactly that shape or names no real date or time (a damaged
// field, a time without a date), so no guessed time is ever written.
std::optional<FixTime> ReadFixTime(std::string_view time, std::string_view date);

} // namespace zum
