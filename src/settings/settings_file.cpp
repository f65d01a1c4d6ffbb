#include "settings/settings_file.hpp"

#include "convert/decimal_text.hpp"
#include "convert/numeric_value.hpp"
#include "settings/atomic_save.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zum {
namespace {

constexpr std::string_view kHeader = "ZUM_point and ZUM_logger configuration file ";
constexpr int kFillerLines = 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The longest line the reader stores: far beyond any line the layout holds
// (a folder path included). A longer line is damage.
constexpr std::size_t kMaxLine = 64 * 1024;

// Reads the file's lines one at a time; CR LF, LF and a lone CR end a line.
class SettingsLines {
public:
    explicit SettingsLines(std::FILE* in) : in_(in) {}
    // False at the end of the file, or at a line too long to be one of ours.
    bool Next(std::string& line) {
        line.clear();
        int c = std::getc(in_);
        if (c == EOF) {
            return false;
        }
        while (c != EOF && c != '\n' && c != '\r') {
            if (line.size() == kMaxLine) {
                return false;
            }
            line.push_back(static_cast<char>(c));
            c = std::getc(in_);
        }
        if (c == '\r') {
            c = std::getc(in_);
            if (c != '\n' && c != EOF) {
                std::ungetc(c, in_);
            }
        }
        return true;
    }

private:
    std::FILE* in_;
};

// Opens the settings file for reading without ever waiting: only a regular
// file (or the null device, which reads as empty) is read, so a FIFO, a
// terminal or another device cannot block or flood the reader. Null with
// `problem` set when the file exists but cannot be read, null with `problem`
// empty when there is no file.
#ifdef _WIN32
std::FILE* OpenSettings(const std::filesystem::path& path, std::string& problem) {
    problem.clear();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        return nullptr;
    }
    if (std::filesystem::is_directory(status)) {
        problem = std::strerror(EISDIR);
        return nullptr;
    }
    if (!std::filesystem::is_regular_file(status)) {
        problem = "not a regular file";
        return nullptr;
    }
    std::FILE* file = ::_wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        problem = std::strerror(errno);
    }
    return file;
}
#else
std::FILE* OpenSettings(const std::filesystem::path& path, std::string& problem) {
    problem.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            problem = std::strerror(errno);
        }
        return nullptr;
    }
    struct stat info {};
    struct stat null {};
    if (::fstat(fd, &info) != 0) {
        problem = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        problem = std::strerror(EISDIR);
    } else if (!S_ISREG(info.st_mode) &&
               !(S_ISCHR(info.st_mode) && ::stat("/dev/null", &null) == 0 &&
                 S_ISCHR(null.st_mode) && null.st_rdev == info.st_rdev)) {
        problem = "not a regular file";
    }
    std::FILE* file = problem.empty() ? ::fdopen(fd, "rb") : nullptr;
    if (file == nullptr) {
        if (problem.empty()) {
            problem = std::strerror(errno);
        }
        ::close(fd);
    }
    return file;
}
#endif

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
    // The digits are fewer than a line holds, so an exponent beyond a
    // million cannot be brought back near 309 by them: it is clamped there,
    // and the sum cannot overflow.
    constexpr long kClamp = 1000000;
    if (i + 1 < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        const bool negative = number[i + 1] == '-';
        const char* digits = number.data() + i + 1 + (number[i + 1] == '+' ? 1 : 0);
        long shift = 0;
        if (std::from_chars(digits, number.data() + number.size(), shift).ec ==
            std::errc::result_out_of_range) {
            shift = negative ? -kClamp : kClamp;
        }
        exponent += std::clamp(shift, -kClamp, kClamp);
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

bool ReadSettingsFile(Configuration& config, const std::filesystem::path& path,
                      std::string* problem) {
    std::string why;
    std::FILE* const file = OpenSettings(path, why);
    if (problem != nullptr) {
        *problem = why;
    }
    if (file == nullptr) {
        return false;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);
    SettingsLines lines(file);
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

    return SaveSettingsText(path, content, message);
}

} // namespace zum
