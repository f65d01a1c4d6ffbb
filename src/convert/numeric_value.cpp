#include "convert/numeric_value.hpp"

#include "convert/powers_of_ten.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <system_error>

namespace zum {
namespace {

// Walks a text past the blanks that NumericValue ignores wherever they stand.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) { skipBlanks(); }

    [[nodiscard]] bool atEnd() const { return pos_ >= text_.size(); }
    [[nodiscard]] char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    void advance() {
        ++pos_;
        skipBlanks();
    }
    [[nodiscard]] std::size_t position() const { return pos_; }
    void rewind(std::size_t pos) { pos_ = pos; }

private:
    void skipBlanks() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n')) {
            ++pos_;
        }
    }
    std::string_view text_;
    std::size_t pos_ = 0;
};

int digitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') {
        v = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        v = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        v = c - 'A' + 10;
    }
    return v < base ? v : -1;
}

std::optional<double> wholeNumber(Cursor& in, int base) {
    if (digitValue(in.peek(), base) < 0) {
        return std::nullopt;
    }
    double value = 0;
    for (int d = digitValue(in.peek(), base); d >= 0; d = digitValue(in.peek(), base)) {
        value = value * base + d;
        in.advance();
    }
    return std::isfinite(value) ? value : 0.0;
}

// Enough significant digits to round any decimal text correctly; further
// digits only matter through whether any of them is nonzero.
constexpr std::size_t kMaxDigits = 800;
constexpr std::int64_t kExponentLimit = 100000;

// The common case of an NMEA field: a plain decimal of at most 15 digits, with
// no blanks or exponent. Such a value is a whole number below 10^15 divided by
// a power of ten up to 10^22, both exact in a 64-bit float, so the one
// division gives the correctly rounded result. Returns false to leave the
// text to the general reading.
bool PlainDecimal(std::string_view text, double& value) {
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative || (i < text.size() && text[i] == '+')) {
        ++i;
    }
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++digits > 15) {
                return false;
            }
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            fractionDigits += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == 'E' || c == 'e' || c == 'D' || c == 'd' ||
            c == '.' || (c >= '0' && c <= '9')) {
            return false;
        }
    }
    const double magnitude = static_cast<double>(mantissa) / kPowersOfTenAsDoubles[fractionDigits];
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

std::optional<double> LeadingNumber(std::string_view text) {
    if (double value = 0; PlainDecimal(text, value)) {
        return value;
    }
    // Empty satellite fields and the like: no number, without the general reading.
    if (text.empty()) {
        return std::nullopt;
    }
    if (const char c = text.front(); !(c >= '0' && c <= '9') && c != '.' && c != '+' && c != '-' &&
                                     c != '&' && c != ' ' && c != '\t' && c != '\n') {
        return std::nullopt;
    }
    Cursor in(text);
    if (in.peek() == '&') {
        const std::size_t start = in.position();
        in.advance();
        const char kind = in.peek();
        if (kind == 'H' || kind == 'h') {
            in.advance();
            return wholeNumber(in, 16);
        }
        if (kind == 'O' || kind == 'o') {
            in.advance();
            return wholeNumber(in, 8);
        }
        in.rewind(start);
        return std::nullopt;
    }

    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.advance();
    }

    // The value is digits x 10^scale; leading zeros are not stored.
    char digits[kMaxDigits + 32];
    std::size_t stored = 0;
    bool droppedNonzero = false;
    std::int64_t scale = 0;
    bool sawDigit = false;
    bool sawPoint = false;
    for (;;) {
        const char c = in.peek();
        if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else if (c >= '0' && c <= '9') {
            sawDigit = true;
            if (stored == 0 && c == '0') {
                if (sawPoint) {
                    scale = std::max<std::int64_t>(scale - 1, -kExponentLimit);
                }
            } else if (stored < kMaxDigits) {
                digits[stored++] = c;
                if (sawPoint) {
                    --scale;
                }
            } else {
                droppedNonzero = droppedNonzero || c != '0';
                if (!sawPoint) {
                    scale = std::min<std::int64_t>(scale + 1, kExponentLimit);
                }
            }
        } else {
            break;
        }
        in.advance();
    }
    if (!sawDigit) {
        return std::nullopt;
    }

    const char e = in.peek();
    if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
        const std::size_t beforeExponent = in.position();
        in.advance();
        bool expNegative = false;
        if (in.peek() == '+' || in.peek() == '-') {
            expNegative = in.peek() == '-';
            in.advance();
        }
        if (in.peek() >= '0' && in.peek() <= '9') {
            std::int64_t exponent = 0;
            while (in.peek() >= '0' && in.peek() <= '9') {
                exponent =
                    std::min<std::int64_t>(exponent * 10 + (in.peek() - '0'), kExponentLimit);
                in.advance();
            }
            scale += expNegative ? -exponent : exponent;
        } else {
            in.rewind(beforeExponent); // "1E" alone: the exponent is not part of the number
        }
    }

    if (stored == 0) {
        return negative ? -0.0 : 0.0;
    }
    if (droppedNonzero) {
        // A trailing nonzero digit stands for everything dropped, so a value
        // just above a rounding midpoint still rounds up.
        digits[stored++] = '1';
        --scale;
    }
    char* end = digits + stored;
    *end++ = 'e';
    end = std::to_chars(end, digits + sizeof digits, scale).ptr;

    double value = 0;
    const auto [ptr, ec] = std::from_chars(digits, end, value);
    (void)ptr;
    if (ec != std::errc() || !std::isfinite(value)) {
        return 0.0; // too large (or too small) for a 64-bit float
    }
    return negative ? -value : value;
}

double NumericValue(std::string_view text) {
    return LeadingNumber(text).value_or(0.0);
}

std::optional<std::int16_t> RoundToInt16(double x) {
    if (!(x >= -32768.5 && x <= 32767.5)) {
        return std::nullopt;
    }
    double whole = std::floor(x);
    const double fraction = x - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole += 1.0;
    }
    if (whole > 32767.0 || whole < -32768.0) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(whole);
}

} // namespace zum
