#include "convert/gpx_time.hpp"

#include "convert/nmea_fields.hpp"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zum {
namespace {

// The value of `count` digits at `text`, or -1 when any is not a digit.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool LeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int era = year / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

void AppendNumber(ShortText<16>& text, int value, int width) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    text.append({digits, static_cast<std::size_t>(width)});
}

// "2006-03-11"
constexpr std::size_t kDateSize = 10;

} // namespace

TimeAndDate RmcTimeAndDate(std::string_view line) {
#if defined(__SSE2__)
    constexpr std::size_t kSpan = 64;
    char padded[kSpan];
    const char* from = line.data();
    if (line.size() < kSpan) {
        std::memset(padded, 0, kSpan);
        std::memcpy(padded, line.data(), line.size());
        from = padded;
    }
    // One bit per comma in the first 64 bytes.
    const __m128i comma = _mm_set1_epi8(',');
    std::uint64_t commas = 0;
    for (std::size_t i = 0; i < kSpan; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        commas |= static_cast<std::uint64_t>(
                      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, comma))))
                  << i;
    }
    // Positions of commas 1 to 10; -1 past the last one.
    int at[10];
    for (int& position : at) {
        position = commas != 0 ? __builtin_ctzll(commas) : -1;
        commas &= commas - 1;
    }
    if (at[9] >= 0 || line.size() <= kSpan) {
        const auto field = [&](int start, int end) {
            if (start < 0) {
                return std::string_view();
            }
            const std::size_t stop = end >= 0 ? static_cast<std::size_t>(end) : line.size();
            return line.substr(static_cast<std::size_t>(start) + 1,
                               stop - static_cast<std::size_t>(start) - 1);
        };
        return {field(at[0], at[1]), field(at[8], at[9])};
    }
#endif
    const NmeaFields fields(line, 10);
    return {fields[1], fields[9]};
}

std::optional<FixDate> ReadFixDate(std::string_view date) {
    if (date.size() != 6) {
        return std::nullopt;
    }
    const int day = Digits(date, 0, 2);
    const int month = Digits(date, 2, 2);
    const int shortYear = Digits(date, 4, 2);
    if (day < 1 || month < 1 || month > 12 || shortYear < 0) {
        return std::nullopt;
    }
    const int year = shortYear >= 80 ? 1900 + shortYear : 2000 + shortYear;
    if (day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    FixDate fixDate;
    AppendNumber(fixDate.text, year, 4);
    fixDate.text.push_back('-');
    AppendNumber(fixDate.text, month, 2);
    fixDate.text.push_back('-');
    AppendNumber(fixDate.text, day, 2);
    fixDate.days = DaysFromCivil(year, month, day);
    return fixDate;
}

bool ReadFixTime(std::string_view time, const FixDate& date, FixTime& fix) {
    if (time.size() < 6) {
        return false;
    }
    const auto two = [&time](std::size_t at) {
        const auto tens = static_cast<unsigned>(time[at] - '0');
        const auto ones = static_cast<unsigned>(time[at + 1] - '0');
        return tens <= 9 && ones <= 9 ? static_cast<int>(tens * 10 + ones) : -1;
    };
    const int hour = two(0);
    const int minute = two(2);
    const int second = two(4);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return false;
    }
    // After the whole seconds: nothing, a lone point, or a point and digits.
    std::string_view fraction = time.substr(6);
    if (!fraction.empty()) {
        if (fraction.front() != '.') {
            return false;
        }
        fraction.remove_prefix(1);
        for (const char c : fraction) {
            if (c < '0' || c > '9') {
                return false;
            }
        }
        // Nanoseconds are more than any receiver measures.
        fraction = fraction.substr(0, 9);
    }

    // "YYYY-MM-DD" "Thh:mm:ss" [".fff"] "Z", made in place: this runs for
    // every track point.
    const std::string_view day = date.text.view();
    const std::size_t size = day.size() + 9 + (fraction.empty() ? 0 : 1 + fraction.size()) + 1;
    char* const text = fix.text.overwrite(size);
    char* at = text;
    if (day.size() == kDateSize) {
        std::memcpy(at, day.data(), kDateSize); // the usual case, in one fixed-size copy
    } else {
        std::memcpy(at, day.data(), day.size());
    }
    at += day.size();
    const char clock[9] = {'T', time[0], time[1], ':', time[2], time[3], ':', time[4], time[5]};
    std::memcpy(at, clock, sizeof clock);
    at += sizeof clock;
    double partOfSecond = 0;
    if (!fraction.empty()) {
        *at++ = '.';
        std::memcpy(at, fraction.data(), fraction.size());
        at += fraction.size();
        double scale = 0.1;
        for (const char c : fraction) {
            partOfSecond += (c - '0') * scale;
            scale /= 10;
        }
    }
    *at = 'Z';
    fix.seconds =
        static_cast<double>(date.days * 86400 + hour * 3600 + minute * 60 + second) + partOfSecond;
    return true;
}

std::optional<FixTime> ReadFixTime(std::string_view time, const FixDate& date) {
    FixTime fix;
    return ReadFixTime(time, date, fix) ? std::optional<FixTime>(fix) : std::nullopt;
}

std::optional<FixTime> ReadFixTime(std::string_view time, std::string_view date) {
    const std::optional<FixDate> fixDate = ReadFixDate(date);
    return fixDate ? ReadFixTime(time, *fixDate) : std::nullopt;
}

} // namespace zum
