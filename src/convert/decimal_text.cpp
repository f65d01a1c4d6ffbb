#include "convert/decimal_text.hpp"

#include <charconv>
#include <cmath>

namespace zum {
namespace {

// A finite nonzero value rounded to 15 significant digits:
// value = 0.d1 d2 ... x 10^(pointPosition), i.e. `pointPosition` digits stand
// before the decimal point (negative: that many zeros follow the point first).
struct Digits15 {
    bool negative = false;
    char digits[15];
    int count = 0;         // trailing zeros dropped
    int pointPosition = 0; // decimal exponent of the first digit, plus one
};

Digits15 Round15(double value) {
    // "-d.ddddddddddddddde-ddd": the same digits %.15g would give.
    char buf[32];
    const auto result =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const char* p = buf;
    Digits15 d;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; p < result.ptr && *p != 'e'; ++p) {
        if (*p != '.') {
            d.digits[d.count++] = *p;
        }
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), result.ptr, exponent);
    d.pointPosition = exponent + 1;
    while (d.count > 0 && d.digits[d.count - 1] == '0') {
        --d.count;
    }
    return d;
}

} // namespace

NumberText CoordinateText(double value) {
    NumberText text;
    if (value == 0.0 || !std::isfinite(value)) {
        text.assign("0");
        return text;
    }
    const Digits15 d = Round15(value);
    if (d.negative) {
        text.push_back('-');
    }
    if (d.pointPosition <= 0) {
        text.push_back('.');
        for (int i = d.pointPosition; i < 0; ++i) {
            text.push_back('0');
        }
        text.append({d.digits, static_cast<std::size_t>(d.count)});
        return text;
    }
    for (int i = 0; i < d.pointPosition; ++i) {
        text.push_back(i < d.count ? d.digits[i] : '0');
    }
    if (d.count > d.pointPosition) {
        text.push_back('.');
        text.append(
            {d.digits + d.pointPosition, static_cast<std::size_t>(d.count - d.pointPosition)});
    }
    return text;
}

NumberText SpeedText(double value) {
    NumberText text;
    if (value == 0.0 || !std::isfinite(value)) {
        text.assign("0.0");
        return text;
    }
    const Digits15 d = Round15(value);
    // Tenths: the whole value times ten, as a digit string, rounded half away
    // from zero by the hundredths digit.
    char tenths[360];
    int length = 0;
    const int tenthsDigits = d.pointPosition + 1; // digits up to and including the tenths
    for (int i = 0; i < tenthsDigits; ++i) {
        tenths[length++] = i < d.count ? d.digits[i] : '0';
    }
    const int hundredthsIndex = tenthsDigits;
    const bool roundUp =
        hundredthsIndex >= 0 && hundredthsIndex < d.count && d.digits[hundredthsIndex] >= '5';
    if (length <= 0) {
        length = 0;
        tenths[length++] = '0';
    }
    if (roundUp) {
        int i = length - 1;
        while (i >= 0 && tenths[i] == '9') {
            tenths[i--] = '0';
        }
        if (i >= 0) {
            ++tenths[i];
        } else {
            for (int j = length; j > 0; --j) {
                tenths[j] = tenths[j - 1];
            }
            tenths[0] = '1';
            ++length;
        }
    }
    // Drop leading zeros but keep at least one digit before the point.
    int first = 0;
    while (first < length - 2 && tenths[first] == '0') {
        ++first;
    }
    bool allZero = true;
    for (int i = first; i < length; ++i) {
        allZero = allZero && tenths[i] == '0';
    }
    if (d.negative && !allZero) {
        text.push_back('-');
    }
    if (length - first < 2) {
        text.push_back('0');
    }
    text.append({tenths + first, static_cast<std::size_t>(length - 1 - first)});
    text.push_back('.');
    text.push_back(tenths[length - 1]);
    return text;
}

} // namespace zum
