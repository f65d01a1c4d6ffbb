#include "convert/decimal_text.hpp"

#include "convert/numeric_value.hpp"
#include "convert/powers_of_ten.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>

namespace zum {
namespace {

// A finite nonzero value rounded to 15 significant digits:
// value = 0.d1 d2 ... x 10^(pointPosition), i.e. `pointPosition` digits stand
// before the decimal point (negative: that many zeros follow the point first).
struct Digits15 {
    bool negative = false;
    char digits[16];
    int count = 0;         // trailing zeros dropped
    int pointPosition = 0; // decimal exponent of the first digit, plus one
    // The fast path's 15 digits (trailing zeros kept; byte 15 is 0) as a
    // whole number; 0 when not known.
    std::uint64_t whole15 = 0;
};

// The exact rounding: "-d.ddddddddddddddde-ddd", the digits %.15g gives.
void Round15Exact(double value, Digits15& d) {
    char buf[32];
    const auto result =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const char* p = buf;
    d = Digits15{};
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
}

// The eight decimal digits of `value` (below 10^8) as ASCII, the first digit
// in the lowest byte: the halves split per 32-bit lane, then each lane into
// pairs per 16-bit lane, then each pair into digits per byte. The constants
// divide exactly in the range each lane holds (x * 10486 >> 20 is x / 100 for
// x < 10^4, x * 103 >> 10 is x / 10 for x < 100).
inline std::uint64_t Ascii8(std::uint32_t value) {
    const std::uint64_t high4 = value / 10000;
    const std::uint64_t halves = high4 | ((value - high4 * 10000) << 32);
    const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007FULL;
    const std::uint64_t pairs = hundreds | ((halves - hundreds * 100) << 16);
    const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000FULL;
    const std::uint64_t digits = tens | ((pairs - tens * 10) << 8);
    return digits + 0x3030303030303030ULL;
}

// The same digits for the magnitudes a coordinate or a speed has, without the
// general (and much slower) fixed-precision formatting. A finite double is
// m x 2^-k exactly; scaled by 10^s so that 15 digits stand before the point,
// it is (m x 10^s) / 2^k, whose whole part and remainder 128-bit integers
// give exactly. An exact tie, or a magnitude outside the range, takes the
// general path, so the digits are always those the general path gives.
// The result is written into `d` field by field, not returned: a returned
// struct is built on the stack and copied in 16-byte loads that wait for the
// narrower stores just made.
//
// This is Round15's integer path for N values at once. Each step is taken
// for every value before the next step, so the values' long chains of
// dependent multiplications and shifts run side by side instead of one after
// the other. fast[i] is false where value i is outside the range or an exact
// tie; d[i] is then left for the general path.
template <int N>
[[gnu::always_inline]] inline void Round15Fast(const double* values, Digits15* d, bool* fast) {
#ifdef __SIZEOF_INT128__
    __extension__ typedef unsigned __int128 Wide;
    constexpr std::uint64_t kLow = 100000000000000ULL; // 10^14
    constexpr std::uint64_t kHigh = kLow * 10;
    // The decimal exponent of the first digit, from the binary one
    // (log10(2) ~ 0.30103) and one comparison; the checks below mend the
    // rare miss near a power of ten below 1, where 10^n is not exact.
    static constexpr double kBounds[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,
                                         1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                         1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::uint64_t m[N];
    int k[N];
    int exponent[N];
    int scale[N];
#pragma GCC unroll 2
    for (int i = 0; i < N; ++i) {
        const double magnitude = std::fabs(values[i]);
        fast[i] = magnitude >= 1e-5 && magnitude < 1e15;
        // Outside the range, 1 stands in, so no shift below is out of range.
        const double inRange = fast[i] ? magnitude : 1.0;
        // Normal and below 2^50: the 53-bit mantissa m and k between 3 and 70.
        const auto bits = std::bit_cast<std::uint64_t>(inRange);
        m[i] = (bits & ((1ULL << 52) - 1)) | (1ULL << 52);
        k[i] = 1075 - static_cast<int>(bits >> 52);
        int e = ((52 - k[i]) * 78913) >> 18;
        if (e >= -6 && e <= 14 && inRange >= kBounds[e + 6]) {
            ++e;
        }
        exponent[i] = e;
        scale[i] = 14 - e;
        if (scale[i] < 0 || scale[i] > 19) {
            fast[i] = false;
            scale[i] = 14;
        }
    }
    const auto scaledBy = [&](int i, Wide& remainder) {
        const Wide product = static_cast<Wide>(m[i]) * kPowersOfTen[scale[i]];
        const Wide whole = product >> k[i];
        remainder = product - (whole << k[i]);
        return static_cast<std::uint64_t>(whole);
    };
    std::uint64_t whole[N];
    Wide remainder[N];
#pragma GCC unroll 2
    for (int i = 0; i < N; ++i) {
        whole[i] = scaledBy(i, remainder[i]);
    }
#pragma GCC unroll 2
    for (int i = 0; i < N; ++i) {
        if (whole[i] < kLow && scale[i] < 19) {
            ++scale[i];
            --exponent[i];
            whole[i] = scaledBy(i, remainder[i]);
        } else if (whole[i] >= kHigh && scale[i] > 0) {
            --scale[i];
            ++exponent[i];
            whole[i] = scaledBy(i, remainder[i]);
        }
    }
    std::uint64_t mantissa[N];
#pragma GCC unroll 2
    for (int i = 0; i < N; ++i) {
        const Wide half = static_cast<Wide>(1) << (k[i] - 1);
        fast[i] = fast[i] && whole[i] >= kLow && whole[i] < kHigh && remainder[i] != half;
        mantissa[i] = whole[i] + (remainder[i] > half ? 1 : 0);
        if (mantissa[i] == kHigh) {
            mantissa[i] = kLow;
            ++exponent[i];
        }
    }
    // The 7 digits of the high half and the 8 of the low half, eight bytes
    // at a time; the trailing zeros counted as the top bytes equal to '0'.
    std::uint64_t highDigits[N];
    std::uint64_t lowDigits[N];
#pragma GCC unroll 2
    for (int i = 0; i < N; ++i) {
        highDigits[i] = Ascii8(static_cast<std::uint32_t>(mantissa[i] / 100000000));
        lowDigits[i] = Ascii8(static_cast<std::uint32_t>(mantissa[i] % 100000000));
    }
#pragma GCC unroll 2
    for (int i = 0; i < N; ++i) {
        const std::uint64_t head = (highDigits[i] >> 8) | (lowDigits[i] << 56);
        const std::uint64_t tail = lowDigits[i] >> 8;
        std::memcpy(d[i].digits, &head, 8);
        std::memcpy(d[i].digits + 8, &tail, 8);
        constexpr std::uint64_t kZeros = 0x3030303030303030ULL;
        const std::uint64_t tailDiff = tail ^ (kZeros >> 8);
        const int zeros = tailDiff != 0 ? std::countl_zero(tailDiff) / 8 - 1
                                        : 7 + std::countl_zero(head ^ kZeros) / 8;
        d[i].negative = values[i] < 0;
        d[i].count = 15 - zeros;
        d[i].whole15 = mantissa[i];
        d[i].pointPosition = exponent[i] + 1;
    }
#else
    for (int i = 0; i < N; ++i) {
        fast[i] = false;
    }
#endif
}

[[gnu::always_inline]] inline void Round15(double value, Digits15& d) {
    bool fast = false;
    Round15Fast<1>(&value, &d, &fast);
    if (!fast) {
        Round15Exact(value, d);
    }
}

// ValueOf for digits from the integer path with a point position of at
// most 15: the same rational value as the trimmed digits over their power of
// ten, both exact, so the one correctly rounded division agrees. The digits,
// below 10^15, convert as a signed number, in one instruction.
inline double ValueOfWhole15(const Digits15& d) {
    const double magnitude = static_cast<double>(static_cast<std::int64_t>(d.whole15)) /
                             kPowersOfTenAsDoubles[15 - d.pointPosition];
    return d.negative ? -magnitude : magnitude;
}

// The 64-bit float nearest to the 15 digits: the digits as a whole number
// and a power of ten, both exact, combined in one correctly rounded step when
// the power is small enough; otherwise the text is read.
double ValueOf(const Digits15& d, const NumberText& text) {
    const auto& kPowers = kPowersOfTenAsDoubles;
    // The number of digits after the point.
    const auto places = static_cast<unsigned>(d.count - d.pointPosition);
    if (places >= std::size(kPowers)) {
        return NumericValue(text);
    }
    if (d.whole15 != 0) {
        return ValueOfWhole15(d);
    }
    std::uint64_t whole = 0;
    for (int i = 0; i < d.count; ++i) {
        whole = whole * 10 + static_cast<unsigned>(d.digits[i] - '0');
    }
    const double magnitude = static_cast<double>(whole) / kPowers[places];
    return d.negative ? -magnitude : magnitude;
}

// The text of digits from the integer path with at least one digit before
// the point, in registers: the 15 digits (the dropped trailing ones are
// zeros) with a point put in after the whole part by shifting the
// fraction's bytes up one; at most 16 bytes.
[[gnu::always_inline]] inline void LayOutWhole15(const Digits15& d, NumberText& text,
                                                 double* readBack) {
#ifdef __SIZEOF_INT128__
    __extension__ typedef unsigned __int128 Wide;
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    std::memcpy(&head, d.digits, 8);
    std::memcpy(&tail, d.digits + 8, 8);
    const Wide digits = head | (static_cast<Wide>(tail) << 64);
    const int shift = 8 * d.pointPosition;
    Wide laidOut = digits;
    std::size_t length = static_cast<std::size_t>(d.pointPosition);
    if (d.count > d.pointPosition) {
        const Wide wholePart = digits & ((static_cast<Wide>(1) << shift) - 1);
        laidOut =
            wholePart | (static_cast<Wide>('.') << shift) | ((digits >> shift) << (shift + 8));
        length = static_cast<std::size_t>(d.count) + 1;
    }
    static_assert(NumberText::kCapacity >= 17);
    const std::size_t sign = d.negative ? 1 : 0;
    char* out = text.overwrite(sign + length);
    out[0] = '-';
    const auto lowWord = static_cast<std::uint64_t>(laidOut);
    const auto highWord = static_cast<std::uint64_t>(laidOut >> 64);
    std::memcpy(out + sign, &lowWord, 8);
    std::memcpy(out + sign + 8, &highWord, 8);
    if (readBack != nullptr) {
        *readBack = ValueOfWhole15(d);
    }
#else
    (void)d;
    (void)text;
    (void)readBack;
#endif
}

// Whether LayOutWhole15 takes these digits: it needs a digit before the
// point and all of them within the 15, so not a value rounded up to 10^15.
bool LaysOutWhole15(const Digits15& d) {
#ifdef __SIZEOF_INT128__
    return d.whole15 != 0 && d.pointPosition > 0 && d.pointPosition <= 15;
#else
    (void)d;
    return false;
#endif
}

// Any value, zero and the general path included.
void CoordinateTextOfAny(double value, NumberText& text, double* readBack) {
    text.clear();
    if (value == 0.0 || !std::isfinite(value)) {
        text.assign("0");
        if (readBack != nullptr) {
            *readBack = 0.0;
        }
        return;
    }
    Digits15 d;
    Round15(value, d);
    if (LaysOutWhole15(d)) {
        LayOutWhole15(d, text, readBack);
        return;
    }
    if (d.pointPosition > 0 && d.pointPosition <= 15) {
        // The usual case, laid out in one go: all 15 digits are stored (the
        // dropped trailing ones are zeros), so the whole part is a copy.
        char buffer[20];
        std::size_t n = 0;
        if (d.negative) {
            buffer[n++] = '-';
        }
        const auto whole = static_cast<std::size_t>(d.pointPosition);
        std::memcpy(buffer + n, d.digits, whole);
        n += whole;
        if (d.count > d.pointPosition) {
            buffer[n++] = '.';
            const auto fraction = static_cast<std::size_t>(d.count - d.pointPosition);
            std::memcpy(buffer + n, d.digits + whole, fraction);
            n += fraction;
        }
        text.assign({buffer, n});
        if (readBack != nullptr) {
            *readBack = ValueOf(d, text);
        }
        return;
    }
    if (d.negative) {
        text.push_back('-');
    }
    if (d.pointPosition <= 0) {
        text.push_back('.');
        for (int i = d.pointPosition; i < 0; ++i) {
            text.push_back('0');
        }
        text.append({d.digits, static_cast<std::size_t>(d.count)});
        if (readBack != nullptr) {
            *readBack = ValueOf(d, text);
        }
        return;
    }
    for (int i = 0; i < d.pointPosition; ++i) {
        text.push_back(i < d.count ? d.digits[i] : '0');
    }
    if (d.count > d.pointPosition) {
        text.push_back('.');
        text.append(
            {d.digits + d.pointPosition, static_cast<std::size_t>(d.count - d.pointPosition)});
    }
    if (readBack != nullptr) {
        *readBack = ValueOf(d, text);
    }
}

// N coordinates at once: their integer paths side by side (see
// Round15Fast), the rare others one by one.
template <int N>
[[gnu::always_inline]] inline void CoordinateTexts(const double* values, NumberText* const* texts,
                                                   double* const* readBacks) {
    Digits15 d[N];
    bool fast[N];
    Round15Fast<N>(values, d, fast);
#pragma GCC unroll 2
    for (int i = 0; i < N; ++i) {
        if (fast[i] && LaysOutWhole15(d[i])) {
            LayOutWhole15(d[i], *texts[i], readBacks[i]);
        } else {
            CoordinateTextOfAny(values[i], *texts[i], readBacks[i]);
        }
    }
}

} // namespace

void CoordinateText(double value, NumberText& text, double* readBack) {
    NumberText* const texts[] = {&text};
    CoordinateTexts<1>(&value, texts, &readBack);
}

void CoordinateTextPair(double first, double second, NumberText& firstText, NumberText& secondText,
                        double* firstReadBack, double* secondReadBack) {
    const double values[] = {first, second};
    NumberText* const texts[] = {&firstText, &secondText};
    double* const readBacks[] = {firstReadBack, secondReadBack};
    CoordinateTexts<2>(values, texts, readBacks);
}

void SpeedText(double value, NumberText& text) {
    text.clear();
    if (value == 0.0 || !std::isfinite(value)) {
        text.assign("0.0");
        return;
    }
    Digits15 d;
    Round15(value, d);
    if (d.whole15 != 0 && d.pointPosition <= 13) {
        // The usual case in integers: the 15 digits cut after the tenths,
        // rounded half up by the hundredths digit, at least two digits shown.
        std::uint64_t tenths = 0;
        int hundredths = 0;
        if (d.pointPosition >= 0) {
            const std::uint64_t hundredthsWhole = d.whole15 / kPowersOfTen[13 - d.pointPosition];
            tenths = hundredthsWhole / 10;
            hundredths = static_cast<int>(hundredthsWhole % 10);
        } else if (d.pointPosition == -1) {
            hundredths = static_cast<int>(d.whole15 / kPowersOfTen[14]);
        }
        tenths += hundredths >= 5 ? 1 : 0;
        char buffer[24];
        char* p = buffer;
        if (d.negative && tenths != 0) {
            *p++ = '-';
        }
        if (tenths < 10) {
            *p++ = '0';
        }
        // The tenths' digits (at least one), then the point in place of the
        // last, which goes after it.
        char* const end = std::to_chars(p, buffer + sizeof buffer - 1, tenths).ptr;
        end[-1] = '.';
        *end = static_cast<char>('0' + tenths % 10);
        text.assign({buffer, static_cast<std::size_t>(end + 1 - buffer)});
        return;
    }
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
}

} // namespace zum

namespace zum {

NumberText CoordinateText(double value, double* readBack) {
    NumberText text;
    CoordinateText(value, text, readBack);
    return text;
}

NumberText SpeedText(double value) {
    NumberText text;
    SpeedText(value, text);
    return text;
}

} // namespace zum
