#include "convert/temp_folder.hpp"
#include "settings/settings_file.hpp"

#include <gtest/gtest.h>
#include <sstream>
#include <tuple>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zum {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

const std::string kHeader = "ZUM_point and ZUM_logger configuration file ";

Configuration Defaults() {
    Configuration c;
    SetConfigurationDefaults(c);
    c.DataFilePath = "c:\\";
    c.ProgramVersion = kProgramVersion;
    c.CompiledDate = kCompiledDate;
    return c;
}

// The twelve values the settings file carries, to compare as one.
auto Stored(const Configuration& c) {
    return std::tie(c.DataFilePath, c.TimeZoneOffset, c.IntervalByTime, c.IntervalValue,
                    c.DistanceUnits, c.MarkAtStops, c.ComSpeedIndex, c.ComPortNumber,
                    c.DataReduction9600, c.EnableSound4800, c.EnableSound9600, c.EnableSound19200);
}

TEST(SettingsFile, TheSharedLayoutIsWrittenAndReadBack) {
    TempFolder folder;
    const auto path = folder / "config" / "zum-settings.dat"; // the folder is made on saving
    std::string message;
    ASSERT_TRUE(WriteSettingsFile(Defaults(), path, message));
    std::string zeros;
    for (int i = 0; i < 20; ++i) {
        zeros += "0\r\n";
    }
    EXPECT_EQ(ReadFile(path),
              kHeader + "2.0.2\r\nc:\\\r\n-7 \r\n 0 \r\n 15 \r\n 2 \r\n 1 \r\n4\r\n1\r\n" +
                  " 1 \r\n 1 \r\n 1 \r\n 1 \r\n" + zeros + kHeader + "05/14/2006\r\n");

    Configuration c = Defaults();
    c.DataFilePath = "/home/me/GPS logs, 2006";
    c.TimeZoneOffset = 13;
    c.IntervalValue = 0.5;
    c.DistanceUnits = 0;
    c.MarkAtStops = 0;
    c.ComSpeedIndex = "19";
    c.ComPortNumber = "12";
    c.EnableSound9600 = 0;
    ASSERT_TRUE(WriteSettingsFile(c, path, message));
    const std::string first = ReadFile(path);
    EXPECT_NE(first.find("\r\n 13 \r\n 0 \r\n .5 \r\n"), std::string::npos) << first;
    Configuration read = Defaults();
    ASSERT_TRUE(ReadSettingsFile(read, path));
    EXPECT_EQ(Stored(read), Stored(c));
    // Saving twice without changes gives identical files.
    ASSERT_TRUE(WriteSettingsFile(read, path, message));
    EXPECT_EQ(ReadFile(path), first);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"config"});

    // Only lines 2 to 13 are read: another header, LF line ends and anything
    // after line 13 change nothing.
    std::istringstream saved(first);
    std::string line;
    std::string edited = "Some other logger 9.9\n";
    std::getline(saved, line);
    for (int number = 2; number <= 13 && std::getline(saved, line); ++number) {
        edited += line.substr(0, line.size() - 1) + "\n";
    }
    WriteFile(path, edited + "anything at all\n");
    Configuration fromEdited = Defaults();
    ASSERT_TRUE(ReadSettingsFile(fromEdited, path));
    EXPECT_EQ(Stored(fromEdited), Stored(c));
}

TEST(SettingsFile, AShortOrDamagedFileKeepsWhatWasReadBeforeTheDamage) {
    TempFolder folder;
    const auto path = folder / "zum-settings.dat";
    struct Case {
        std::string content;
        std::int16_t timeZone, byTime;
        double value;
    };
    const Case cases[] = {
        {"", -7, 0, 15},                                    // empty: nothing changes
        {"h\r\n/d\r\n 3 \r\n", 3, 0, 15},                   // ends early
        {"h\r\n/d\r\n 3 \r\nten\r\n 4 \r\n", 3, 0, 15},     // text where a number is expected
        {"h\r\n/d\r\n 3 \r\n 99999 \r\n 4 \r\n", 3, 0, 15}, // does not fit 16 bits
        {"h\r\n/d\r\n 3 \r\n 2.5 \r\n 4 \r\n", 3, 2, 4},    // a fraction is rounded, halves to even
        {"h\r\n/d\r\n\t-3\t, 8\r\n 1 \r\n nan \r\n", -3, 1, 15},
        {"h\r\n/d\r\n 3 \r\n 1 \r\n 1e999 \r\n", 3, 1, 15},
        // Exponents past any integer type: damage, never an overflow.
        {"h\r\n/d\r\n 3 \r\n 1 \r\n 1e9223372036854775807 \r\n", 3, 1, 15},
        {"h\r\n/d\r\n 3 \r\n 1 \r\n 0.001e-9223372036854775808 \r\n", 3, 1, 15},
        {"h\r\n/d\r\n 3 \r\n 1 \r\n 1e99999999999999999999999 \r\n", 3, 1, 15},
        // A line far longer than any of the layout's ends the reading.
        {"h\r\n" + std::string(100000, '/') + "\r\n 3 \r\n", -7, 0, 15},
    };
    for (const Case& c : cases) {
        WriteFile(path, c.content);
        Configuration config = Defaults();
        EXPECT_TRUE(ReadSettingsFile(config, path));
        EXPECT_EQ(std::tuple(config.TimeZoneOffset, config.IntervalByTime, config.IntervalValue),
                  std::tuple(c.timeZone, c.byTime, c.value))
            << c.content;
        EXPECT_LT(config.DataFilePath.size(), 100u);
    }
}

// Neither can be written, not even by root: a file under a plain file, and
// a file whose name a folder holds.
TEST(SettingsFile, AFailedSaveSaysSoAndKeepsThePreviousFile) {
    TempFolder folder;
    WriteFile(folder / "plain", "kept");
    std::filesystem::create_directory(folder / "zum-settings.dat");
    for (const auto& path : {folder / "plain" / "zum-settings.dat", folder / "zum-settings.dat"}) {
        std::string message;
        EXPECT_FALSE(WriteSettingsFile(Defaults(), path, message));
        EXPECT_EQ(message.rfind("Unable to save " + path.string() + ": ", 0), 0u) << message;
    }
    EXPECT_EQ(ReadFile(folder / "plain"), "kept");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "zum-settings.dat"));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"plain", "zum-settings.dat"}));
}

#ifndef _WIN32 // links, modes and fork
TEST(SettingsFile, ASaveWritesThroughALinkAndKeepsTheMode) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "logger");
    const auto real = folder / "logger" / "ZUM.DAT";
    WriteFile(real, "old");
    std::filesystem::permissions(real, std::filesystem::perms(0600));
    const auto link = folder / "zum-settings.dat";
    std::filesystem::create_symlink("logger/ZUM.DAT", link);
    std::string message;
    ASSERT_TRUE(WriteSettingsFile(Defaults(), link, message)) << message;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(real).substr(0, kHeader.size()), kHeader);
    EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0600));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"logger", "zum-settings.dat"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "logger"), {}),
              1); // no temporary left beside the target
}

TEST(SettingsFile, TwoSavesAtOnceNeverTearTheFile) {
    TempFolder folder;
    const auto path = folder / "zum-settings.dat";
    std::string message;
    Configuration a = Defaults();
    Configuration b = Defaults();
    b.DataFilePath = std::string(3000, 'b'); // a longer file, so a torn one shows
    ASSERT_TRUE(WriteSettingsFile(a, path, message));
    const std::string textA = ReadFile(path);
    ASSERT_TRUE(WriteSettingsFile(b, path, message));
    const std::string textB = ReadFile(path);

    std::vector<pid_t> savers;
    for (const Configuration* config : {&a, &b}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool saved = true;
            for (int i = 0; i < 150; ++i) {
                saved = WriteSettingsFile(*config, path, message) && saved;
            }
            ::_exit(saved ? 0 : 1);
        }
        savers.push_back(pid);
    }
    int torn = 0;
    for (int reads = 0; reads < 2000; ++reads) {
        const std::string text = ReadFile(path);
        torn += text == textA || text == textB ? 0 : 1;
    }
    for (const pid_t pid : savers) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed";
    }
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"zum-settings.dat"});
}
#endif

} // namespace
} // namespace zum
