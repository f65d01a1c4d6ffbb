#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zum {

// One element of a menu control array: its index (which carries meaning and
// may leave gaps) and its caption.
struct MenuItem {
    std::int16_t index;
    const char* caption;
};

// The time zone menu. Each fixed item's offset is its index negated; item 1
// asks for the offset.
inline constexpr std::int16_t kTypedOffsetItem = 1;
inline constexpr std::array<MenuItem, 7> kTimeZoneItems{{
    {0, "UTC"},
    {1, "Use an offset from UTC (-12 to +13) hours"},
    {4, "(-4) EDT"},
    {5, "(-5) EST - CDT"},
    {6, "(-6) CST - MDT"},
    {7, "(-7) MST - PDT"},
    {8, "(-8) PST"},
}};

inline constexpr std::array<MenuItem, 3> kDistanceUnitItems{{
    {0, "Knots"},
    {1, "km/hr"},
    {2, "mi/hr (U.S.)"},
}};

inline constexpr std::int16_t kByDistanceItem = 0;
inline constexpr std::int16_t kByTimeItem = 1;
inline constexpr std::array<MenuItem, 2> kIntervalItems{{
    {kByDistanceItem, "By Distance"},
    {kByTimeItem, "By Time"},
}};

// Logger port speeds; the index is the baud rate in whole thousands.
inline constexpr std::array<MenuItem, 3> kComSpeedItems{{
    {4, "4800 baud"},
    {9, "9600 baud"},
    {19, "19200 baud"},
}};

inline constexpr std::int16_t kDefaultDistanceUnits = 2;
inline constexpr std::int16_t kDefaultComSpeedItem = 4;

// The time zone item that shows `offset`: UTC for 0, the fixed zones for -4
// to -8, the typed-offset item for every other value.
std::int16_t TimeZoneItemFor(std::int16_t offset);

// The speed unit item a stored DistanceUnits names, or the default unit when
// it names none.
std::int16_t DistanceUnitsItemFor(std::int16_t distanceUnits);

// The port speed item a stored ComSpeedIndex names ("4", "9", "19"), or no
// value when it names none.
std::optional<std::int16_t> ComSpeedItemFor(std::string_view comSpeedIndex);

// A prompt's reply as a number: the number at its start, 0 when it has none
// (a cancelled prompt gives empty text, so 0 too).
double ReplyNumber(const QString& reply);

// A reply rounded to a 16-bit whole number, halves to even; no value when it
// does not fit.
std::optional<std::int16_t> ReplyInt16(const QString& reply);

// A number in the general format a user expects to read and retype: up to 15
// significant digits, a leading 0 before the point ("0.5"), no trailing zeros
// ("15"), and an exponent only for very large or very small values ("1E+20").
QString GeneralNumberText(double value);

} // namespace zum
