#include "settings/settings_file.hpp"

#include "convert/decimal_text.hpp"
#include "convert/numeric_value.hpp"
#include "settings/atomic_save.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string_view>
#include <system_error>

namespace zum {
namespace {

constexpr std::string_view kHeader = "ZUM_point and ZUM_logger configuration file ";
constexpr int kFillerLines = 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads the file's lines one at a time; CR LF, LF and a lone CR end a line.
class SettingsLines {
public:
    explicit SettingsLines(std::istream& in) : in_(in) {}
    bool Next(std::string& line) {
        line.clear();
        int c = in_.get();
        if (c == EOF) {
            return false;
        }
        while (c != EOF && c != '\n' && c != '\r') {
            line.push_back(static_cast<char>(c));
            c = in_.get();
        }
        if (c == '\r' && in_.peek() == '\n') {
            in_.get();
        }
        return true;
    }

private:
    std::istream& in_;
};

// How many digits a plain number has before its point, counting its
// exponent: 309 for 1.79769313486232e308.
long MagnitudeExponent(std::string_view number) {
    long exponent = 0;
    bool leading = true;
    bool point = false;
    std::size_t i = 0;
    for (; i < number.size() &&
           (std::isdigit(static_cast<unsigned char>(number[i])) || number[i] == '.');
         ++i) {
        if (number[i] == '.') {
            point = true;
        } else if (leading && number[i] == '0') {
            exponent -= point ? 1 : 0;
        } else {
            leading = false;
            exponent += point ? 0 : 1;
        }
    }
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        long shift = 0;
        std::from_chars(number.data() + i + 1 + (number[i + 1] == '+' ? 1 : 0),
                        number.data() + number.size(), shift);
        exponent += shift;
    }
    return exponent;
}

// A number field: blanks around it are skipped; it ends at a blank, a comma or
// the line end. The whole field must be a number; anything after it on the
// line is ignored.
std::optional<double> NumberField(std::string_view line) {
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start])) {
        ++start;
    }
    std::size_t stop = start;
    while (stop < line.size() && !IsBlank(line[stop]) && line[stop] != ',') {
        ++stop;
    }
    const std::string_view field = line.substr(start, stop - start);
    if (field.empty()) {
        return std::nullopt;
    }
    // Accept exactly what the writer and the logger write: a plain decimal
    // with an optional sign and exponent.
    std::size_t i = (field[0] == '-' || field[0] == '+') ? 1 : 0;
    std::string text(field.substr(i));
    for (char& c : text) {
        if (c == 'D' || c == 'd') {
            c = 'e';
        }
    }
    double value = 0;
    const char* begin = text.data();
    if (!text.empty() && text[0] == '.') {
        text.insert(text.begin(), '0');
        begin = text.data();
    }
    const auto [ptr, ec] = std::from_chars(begin, text.data() + text.size(), value);
    if (ptr != text.data() + text.size() ||
        (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        return std::nullopt;
    }
    if (ec == std::errc::result_out_of_range) {
        // Written with 15 digits, a value near the largest 64-bit float can
        // round just above it; it reads back as the largest, not as damage
        // that would cost every setting after it. Anything further out of
        // range is damage.
        if (MagnitudeExponent(text) != 309) {
            return std::nullopt;
        }
        value = std::numeric_limits<double>::max();
    }
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return field[0] == '-' ? -value : value;
}

std::optional<std::int16_t> Int16Field(std::string_view line) {
    const std::optional<double> value = NumberField(line);
    return value ? RoundToInt16(*value) : std::nullopt;
}

// A text field: leading blanks skipped, ends at a comma or the line end;
// trailing blanks are not part of it.
std::string TextField(std::string_view line) {
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start])) {
        ++start;
    }
    std::size_t stop = line.find(',', start);
    if (stop == std::string_view::npos) {
        stop = line.size();
    }
    while (stop > start && IsBlank(line[stop - 1])) {
        --stop;
    }
    return std::string(line.substr(start, stop - start));
}

// Print layout: a blank (or "-") before the digits and a blank after them.
std::string PrintNumber(double value) {
    const NumberText digits = CoordinateText(value);
    std::string text;
    if (digits.view().front() != '-') {
        text += ' ';
    }
    text += digits.view();
    text += ' ';
    return text;
}

} // namespace

std::filesystem::path DefaultSettingsPath() {
#ifdef _WIN32
    return "c:\\zum-settings.dat";
#else
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
        return std::filesystem::path(xdg) / "zum-settings.dat";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "/") / ".config" / "zum-settings.dat";
#endif
}

bool ReadSettingsFile(Configuration& config, const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    SettingsLines lines(in);
    std::string line;
    if (!lines.Next(line)) { // the header: neither wording nor version is checked
        return true;
    }
    if (!lines.Next(line)) {
        return true;
    }
    config.DataFilePath = line;

    // Lines 3 to 13 in order; the first line that is missing or damaged ends
    // the reading, and the values from there on keep what they had.
    std::int16_t* const intsBefore[] = {&config.TimeZoneOffset, &config.IntervalByTime};
    for (std::int16_t* target : intsBefore) {
        std::optional<std::int16_t> value;
        if (!lines.Next(line) || !(value = Int16Field(line))) {
            return true;
        }
        *target = *value;
    }
    {
        std::optional<double> value;
        if (!lines.Next(line) || !(value = NumberField(line))) {
            return true;
        }
        config.IntervalValue = *value;
    }
    std::int16_t* const intsAfter[] = {&config.DistanceUnits, &config.MarkAtStops};
    for (std::int16_t* target : intsAfter) {
        std::optional<std::int16_t> value;
        if (!lines.Next(line) || !(value = Int16Field(line))) {
            return true;
        }
        *target = *value;
    }
    for (std::string* target : {&config.ComSpeedIndex, &config.ComPortNumber}) {
        if (!lines.Next(line)) {
            return true;
        }
        *target = TextField(line);
    }
    std::int16_t* const flags[] = {&config.DataReduction9600, &config.EnableSound4800,
                                   &config.EnableSound9600, &config.EnableSound19200};
    for (std::int16_t* target : flags) {
        std::optional<std::int16_t> value;
        if (!lines.Next(line) || !(value = Int16Field(line))) {
            return true;
        }
        *target = *value;
    }
    return true;
}

bool WriteSettingsFile(const Configuration& config, const std::filesystem::path& path,
                       std::string& message) {
    std::ostringstream text;
    const auto line = [&text](std::string_view value) { text << value << "\r\n"; };
    line(std::string(kHeader) + config.ProgramVersion);
    line(config.DataFilePath);
    line(PrintNumber(config.TimeZoneOffset));
    line(PrintNumber(config.IntervalByTime));
    line(PrintNumber(config.IntervalValue));
    line(PrintNumber(config.DistanceUnits));
    line(PrintNumber(config.MarkAtStops));
    line(config.ComSpeedIndex);
    line(config.ComPortNumber);
    line(PrintNumber(config.DataReduction9600));
    line(PrintNumber(config.EnableSound4800));
    line(PrintNumber(config.EnableSound9600));
    line(PrintNumber(config.EnableSound19200));
    for (int filler = 1; filler <= kFillerLines; ++filler) {
        line("0");
    }
    line(std::string(kHeader) + config.CompiledDate);
    const std::string content = text.str();

    std::string reason;
    if (!SaveFileAtomically(path, content, reason)) {
        message = "Unable to save " + path.string();
        return false;
    }
    message.clear();
    return true;
}

} // namespace zum
