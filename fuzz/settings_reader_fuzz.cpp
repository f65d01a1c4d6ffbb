// Fuzzes the settings file reader, and the writer behind it: whatever a file
// holds, the values read from it must survive a save and a second read, and a
// second save must give the same bytes.

#include "convert/decimal_text.hpp"
#include "fuzz_support.hpp"
#include "settings/configuration.hpp"
#include "settings/settings_file.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using fuzz_support::Check;
using fuzz_support::ReadAll;
using fuzz_support::TempFolder;

// A configuration that differs from the defaults in every variable, so a line
// that is not read back shows.
zum::Configuration Marked() {
    zum::Configuration c;
    zum::SetConfigurationDefaults(c);
    c.IntervalValue = -12345.5;
    c.DistanceUnits = 12345;
    c.DataReduction9600 = -2;
    c.EnableSound4800 = -3;
    c.EnableSound9600 = -4;
    c.EnableSound19200 = -5;
    c.IntervalByTime = -6;
    c.TimeZoneOffset = -7777;
    c.MarkAtStops = -8;
    c.DataFilePath = "unread path";
    c.ComSpeedIndex = "unread speed";
    c.ComPortNumber = "unread port";
    c.ProgramVersion = zum::kProgramVersion;
    c.CompiledDate = zum::kCompiledDate;
    return c;
}

void CheckSame(const zum::Configuration& a, const zum::Configuration& b) {
    // The float is stored with 15 significant digits: equal at that precision.
    Check(zum::CoordinateText(a.IntervalValue).view() ==
              zum::CoordinateText(b.IntervalValue).view(),
          "IntervalValue read back");
    Check(a.DistanceUnits == b.DistanceUnits, "DistanceUnits read back");
    Check(a.DataReduction9600 == b.DataReduction9600, "DataReduction9600 read back");
    Check(a.EnableSound4800 == b.EnableSound4800, "EnableSound4800 read back");
    Check(a.EnableSound9600 == b.EnableSound9600, "EnableSound9600 read back");
    Check(a.EnableSound19200 == b.EnableSound19200, "EnableSound19200 read back");
    Check(a.IntervalByTime == b.IntervalByTime, "IntervalByTime read back");
    Check(a.TimeZoneOffset == b.TimeZoneOffset, "TimeZoneOffset read back");
    Check(a.MarkAtStops == b.MarkAtStops, "MarkAtStops read back");
    // A value read from a line holds no line end, so the texts come back whole.
    Check(a.DataFilePath == b.DataFilePath, "DataFilePath read back");
    Check(a.ComSpeedIndex == b.ComSpeedIndex, "ComSpeedIndex read back");
    Check(a.ComPortNumber == b.ComPortNumber, "ComPortNumber read back");
}

fs::path* folder = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string name = TempFolder("zum-fuzz-settings");
    folder = new fs::path(name);
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(*folder, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path input = *folder / "input.dat";
    const fs::path saved = *folder / "saved.dat";
    const fs::path resaved = *folder / "resaved.dat";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    zum::Configuration first = Marked();
    Check(zum::ReadSettingsFile(first, input), "an existing file opens");

    std::string message;
    Check(zum::WriteSettingsFile(first, saved, message), "save succeeds");
    Check(message.empty(), "no message after a save");
    const std::string text = ReadAll(saved);
    std::size_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            Check(i > 0 && text[i - 1] == '\r', "saved lines end with CR LF");
            ++lines;
        } else if (text[i] == '\r') {
            Check(i + 1 < text.size() && text[i + 1] == '\n', "no lone CR in a saved file");
        }
    }
    Check(lines == 34 && text.ends_with("\r\n"), "a saved file has 34 lines");

    zum::Configuration second = Marked();
    Check(zum::ReadSettingsFile(second, saved), "the saved file opens");
    CheckSame(first, second);

    // Saving what was read back gives the same bytes again.
    Check(zum::WriteSettingsFile(second, resaved, message), "second save succeeds");
    Check(ReadAll(resaved) == text, "saving twice gives the same file");
    return 0;
}
