#include "convert/gpx_time.hpp"

#include <cstdint>
#include <cstring>

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

} // namespace

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

std::optional<FixTime> ReadFixTime(std::string_view time, const FixDate& date) {
    if (time.size() < 6) {
        return std::nullopt;
    }
    const auto two = [&time](std::size_t at) {
        const char tens = time[at], ones = time[at + 1];
        return tens >= '0' && tens <= '9' && ones >= '0' && ones <= '9'
                   ? (tens - '0') * 10 + (ones - '0')
                   : -1;
    };
    const int hour = two(0);
    const int minute = two(2);
    const int second = two(4);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return std::nullopt;
    }
    // After the whole seconds: nothing, a lone point, or a point and digits.
    std::string_view fraction = time.substr(6);
    if (!fraction.empty()) {
        if (fraction.front() != '.') {
            return std::nullopt;
        }
        fraction.remove_prefix(1);
        for (const char c : fraction) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
        }
        // Nanoseconds are more than any receiver measures.
        fraction = fraction.substr(0, 9);
    }

    // "YYYY-MM-DD" "Thh:mm:ss" [".fff"] "Z", made in one piece: this runs
    // for every track point.
    char text[32];
    const std::string_view day = date.text.view();
    std::memcpy(text, day.data(), day.size());
    char* at = text + day.size();
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
    *at++ = 'Z';

    FixTime fix;
    fix.text.assign({text, static_cast<std::size_t>(at - text)});
    fix.seconds =
        static_cast<double>(date.days * 86400 + hour * 3600 + minute * 60 + second) + partOfSecond;
    return fix;
}

std::optional<FixTime> ReadFixTime(std::string_view time, std::string_view date) {
    const std::optional<FixDate> fixDate = ReadFixDate(date);
    return fixDate ? ReadFixTime(time, *fixDate) : std::nullopt;
}

} // namespace zum
