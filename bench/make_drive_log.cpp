// zum-make-drive-log: writes a seeded synthetic 1 Hz NMEA drive log, for the
// benchmark and for the bundled sample log.
//
//   zum-make-drive-log --seed 511 --megabytes 200 > drive.TXT
//   zum-make-drive-log --seed 511 --seconds 1200 --output samples/0511NMEA.TXT

#include "drive_log.hpp"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "usage: zum-make-drive-log [--seed N] (--seconds N | --megabytes N)\n"
    "                          [--fractional-seconds] [--start YYYY-MM-DDTHH:MM:SS]\n"
    "                          [--output FILE]\n"
    "Writes a synthetic 1 Hz NMEA 0183 drive log ($GPRMC, $GPGGA, $GPGSA, $GPGSV,\n"
    "$GPVTG; CR LF line ends) to standard output or FILE. The same options always\n"
    "give the same bytes. --megabytes stops after the first whole second that\n"
    "brings the log to N * 1000000 bytes. Defaults: --seed 511 --seconds 1200\n"
    "--start 2006-05-11T19:03:34, times as hhmmss.\n";

int Usage(const char* problem) {
    std::fprintf(stderr, "zum-make-drive-log: %s\n%s", problem, kUsage);
    return 2;
}

template <typename T> bool ReadNumber(std::string_view text, T& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

int main(int argc, char** argv) {
    zum::bench::DriveLogOptions options;
    std::uint64_t seconds = 1200;
    std::uint64_t megabytes = 0;
    bool secondsGiven = false;
    std::string outputPath;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&](std::string_view& text) {
            if (i + 1 >= argc) {
                return false;
            }
            text = argv[++i];
            return true;
        };
        std::string_view text;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--fractional-seconds") {
            options.fractionalSeconds = true;
        } else if (arg == "--seed") {
            if (!value(text) || !ReadNumber(text, options.seed)) {
                return Usage("--seed needs a whole number");
            }
        } else if (arg == "--seconds") {
            if (!value(text) || !ReadNumber(text, seconds) || seconds == 0) {
                return Usage("--seconds needs a positive whole number");
            }
            secondsGiven = true;
        } else if (arg == "--megabytes") {
            if (!value(text) || !ReadNumber(text, megabytes) || megabytes == 0) {
                return Usage("--megabytes needs a positive whole number");
            }
        } else if (arg == "--start") {
            if (!value(text) || !zum::bench::ParseUtcTime(text, options.start)) {
                return Usage("--start needs a time like 2006-05-11T19:03:34");
            }
        } else if (arg == "--output" || arg == "-o") {
            if (!value(text)) {
                return Usage("--output needs a file name");
            }
            outputPath = text;
        } else {
            return Usage(("unknown argument " + std::string(arg)).c_str());
        }
    }
    if (secondsGiven && megabytes != 0) {
        return Usage("give --seconds or --megabytes, not both");
    }

    std::FILE* out = stdout;
    if (!outputPath.empty()) {
        out = std::fopen(outputPath.c_str(), "wb");
        if (out == nullptr) {
            std::fprintf(stderr, "zum-make-drive-log: cannot create %s: %s\n", outputPath.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    // Whole seconds are gathered in one buffer and written in large blocks.
    constexpr std::size_t kBlock = 1 << 20;
    std::string buffer;
    buffer.reserve(kBlock + 4096);
    const std::uint64_t targetBytes = megabytes * 1000000;
    std::uint64_t written = 0;
    bool ok = true;
    zum::bench::DriveLog log(options);
    for (std::uint64_t second = 0;; ++second) {
        const bool done =
            megabytes != 0 ? written + buffer.size() >= targetBytes : second == seconds;
        if (done || buffer.size() >= kBlock) {
            ok = ok && std::fwrite(buffer.data(), 1, buffer.size(), out) == buffer.size();
            written += buffer.size();
            buffer.clear();
        }
        if (done || !ok) {
            break;
        }
        log.AppendSecond(buffer);
    }
    ok = std::fflush(out) == 0 && ok;
    if (out != stdout) {
        ok = std::fclose(out) == 0 && ok;
    }
    if (!ok) {
        std::fprintf(stderr, "zum-make-drive-log: write failed: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
