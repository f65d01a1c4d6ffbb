// The main window's start-up, menu tree and settings commands, driven through
// its real actions with scripted answers to its prompts.
#include "config/settings_file.hpp"
#include "convert/live_settings.hpp"
#include "ui/files/file_panel.hpp"
#include "ui/help/list_window.hpp"
#include "window_fixture.hpp"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <unistd.h>

namespace zum::testing {
namespace {

using Ints = QList<int>;

// Lines 2 to 13 of a settings file with the data folder at `folder`.
std::vector<std::string> Stored(const std::filesystem::path& folder, const std::string& tz,
                                const std::string& byTime, const std::string& value,
                                const std::string& units, const std::string& mark,
                                const std::string& speed, const std::string& flags = " 1 ") {
    return {folder.string(), tz,  byTime, value, units, mark,
            speed,           "1", flags,  flags, flags, flags};
}

TEST_F(WindowTest, FirstStartWithoutSettingsFileShowsTheDefaults) {
    auto window = Start();
    EXPECT_EQ(window->windowTitle(), "ZUM-POINTS");
    EXPECT_EQ(CheckedIndices(*window, "mnuTimeZone"), Ints{7});
    EXPECT_EQ(CheckedIndices(*window, "mnuDistanceUnits"), Ints{2});
    EXPECT_EQ(CheckedIndices(*window, "mnuIntervals"), Ints{0});
    EXPECT_TRUE(Checked(*window, "mnuAtStops"));
    EXPECT_FALSE(Checked(*window, "mnuIntervalOnly"));
    EXPECT_EQ(CheckedIndices(*window, "mnuCOMspeedIndex"), Ints{4});
    for (const char* option : {"mnuDataReduction9600", "mnuEnableSound4800", "mnuEnableSound9600",
                               "mnuEnableSound19200"}) {
        EXPECT_TRUE(Checked(*window, option)) << option;
    }
    EXPECT_EQ(StatusText(*window), "Select drive, folder and file.");
    EXPECT_EQ(window->Panel().CurrentMode(), FilePanel::Mode::Closed);
    EXPECT_TRUE(window->Panel().NmeaFileName().isEmpty());
    EXPECT_DOUBLE_EQ(window->SpeedFactor(), SpeedFactorFor(kMilesPerHour));
    EXPECT_EQ(window->Config().ProgramVersion, "2.0.2");
    EXPECT_EQ(window->Config().CompiledDate, "05/14/2006");
    EXPECT_FALSE(std::filesystem::exists(settingsPath_)) << "start-up never writes";

    auto* notice = window->findChild<QLineEdit*>(QStringLiteral("txtCopyright"));
    ASSERT_NE(notice, nullptr);
    ASSERT_GT(notice->text().size(), 10);
    EXPECT_EQ(notice->text().at(10), QChar(0x00A9));
    EXPECT_EQ(notice->accessibleName(), "Copyright notice");
}

TEST_F(WindowTest, MenuTreeHasEveryItemWithItsCaptionAndIndex) {
    auto window = Start();
    QStringList bar;
    for (QAction* action : window->menuBar()->actions()) {
        bar << action->text();
    }
    EXPECT_EQ(bar, (QStringList{"&File", "&Create Files", "&Time Zone", "&Settings", "&Help"}));
    QAction* convert = FindAction(*window, "mnuConvert");
    ASSERT_NE(convert, nullptr);
    EXPECT_EQ(convert->menu(), nullptr);
    EXPECT_TRUE(window->menuBar()->actions().contains(convert));

    struct Entry {
        const char* menu;
        QStringList captions;
    };
    const Entry entries[] = {
        {"mnuFile", {"&Open", "E&xit"}},
        {"mnuTimeZoneMain",
         {"UTC", "Use an offset from UTC (-12 to +13) hours", "(-4) EDT", "(-5) EST - CDT",
          "(-6) CST - MDT", "(-7) MST - PDT", "(-8) PST"}},
        {"mnuSettings",
         {"Distance Units", "Way Point Marking", "Way Point Intervals", "Data File Path",
          "Logger COM Port Number", "Logger COM Port Speed", "Special Purpose", "Save Settings"}},
        {"mnuUnitsMain", {"Knots", "km/hr", "mi/hr (U.S.)"}},
        {"mnuMarking", {"By Interval only", "At Stops Separated by Interval"}},
        {"mnuWayPoints", {"By Distance", "By Time"}},
        {"mnuCOMspeed", {"4800 baud", "9600 baud", "19200 baud"}},
        {"mnuSP",
         {"Special Purpose Descriptions", "Data Reduction for 9600 baud",
          "Enable Sound for 4800 baud", "Enable Sound for 9600 baud",
          "Enable Sound for 19200 baud"}},
        {"helpMnu", {"About", "Description", "File Samples"}},
    };
    for (const Entry& entry : entries) {
        auto* menu = window->findChild<QMenu*>(QLatin1String(entry.menu));
        ASSERT_NE(menu, nullptr) << entry.menu;
        QStringList captions;
        for (QAction* action : menu->actions()) {
            captions << action->text();
        }
        EXPECT_EQ(captions, entry.captions) << entry.menu;
    }

    const std::pair<const char*, Ints> arrays[] = {{"mnuTimeZone", {0, 1, 4, 5, 6, 7, 8}},
                                                   {"mnuDistanceUnits", {0, 1, 2}},
                                                   {"mnuIntervals", {0, 1}},
                                                   {"mnuCOMspeedIndex", {4, 9, 19}}};
    for (const auto& [name, indices] : arrays) {
        Ints found;
        for (QAction* action : window->findChildren<QAction*>(QLatin1String(name))) {
            found << action->data().toInt();
        }
        EXPECT_EQ(found, indices) << name;
    }
    for (QAction* action : window->findChildren<QAction*>()) {
        EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
        EXPECT_TRUE(action->isEnabled() && action->isVisible()) << action->text().toStdString();
    }
}

TEST_F(WindowTest, StoredSettingsShowInTheMenus) {
    struct Case {
        std::vector<std::string> lines;
        Ints timeZone, units, intervals, speed;
        bool atStops;
        bool optionsOn;
    };
    const Case cases[] = {
        {Stored(home_, " 0 ", " 0 ", " 15 ", " 0 ", " 1 ", "9"), {0}, {0}, {0}, {9}, true, true},
        {Stored(home_, "-3 ", " 5 ", " 0 ", " 1 ", " 0 ", "19", " 0 "),
         {1},
         {1},
         {1},
         {19},
         false,
         false},
        {Stored(home_, " 2 ", " 0 ", " 0 ", " 2 ", " 0 ", "4"), {1}, {2}, {}, {4}, false, true},
        {Stored(home_, "-8 ", " 10 ", " 7.5 ", " 2 ", " 1 ", "4"),
         {8},
         {2},
         {0, 1},
         {4},
         true,
         true},
        // Values that name no menu item fall back to the defaults.
        {Stored(home_, "-5 ", " 0 ", " 15 ", " 7 ", " 1 ", "12"), {5}, {2}, {0}, {4}, true, true},
        {Stored(home_, "-4 ", " 0 ", " 15 ", "-1 ", " 1 ", "x"), {4}, {2}, {0}, {4}, true, true},
    };
    for (const Case& c : cases) {
        WriteSettingsLines(settingsPath_, c.lines);
        auto window = Start();
        SCOPED_TRACE(c.lines[1] + "|" + c.lines[2] + "|" + c.lines[4] + "|" + c.lines[6]);
        EXPECT_EQ(CheckedIndices(*window, "mnuTimeZone"), c.timeZone);
        EXPECT_EQ(CheckedIndices(*window, "mnuDistanceUnits"), c.units);
        EXPECT_EQ(CheckedIndices(*window, "mnuIntervals"), c.intervals);
        EXPECT_EQ(CheckedIndices(*window, "mnuCOMspeedIndex"), c.speed);
        EXPECT_EQ(Checked(*window, "mnuAtStops"), c.atStops);
        EXPECT_EQ(Checked(*window, "mnuIntervalOnly"), !c.atStops);
        EXPECT_EQ(Checked(*window, "mnuEnableSound19200"), c.optionsOn);
        EXPECT_EQ(window->Config().DistanceUnits, c.units.front());
        EXPECT_EQ(window->Config().ComSpeedIndex, std::to_string(c.speed.front()));
        EXPECT_DOUBLE_EQ(window->SpeedFactor(), SpeedFactorFor(window->Config().DistanceUnits));
    }
}

TEST_F(WindowTest, DamagedOrShortSettingsFilesStillStart) {
    // Text where a number belongs: what came before it stands, the rest keep
    // their defaults.
    WriteSettingsLines(settingsPath_, {home_.string(), " 0 ", "five", " 3 "});
    {
        auto window = Start();
        EXPECT_EQ(CheckedIndices(*window, "mnuTimeZone"), Ints{0});
        EXPECT_EQ(CheckedIndices(*window, "mnuIntervals"), Ints{0});
        EXPECT_EQ(CheckedIndices(*window, "mnuDistanceUnits"), Ints{2});
        EXPECT_EQ(StatusText(*window), "Select drive, folder and file.");
    }
    for (const std::string& text :
         {std::string(), std::string("\r\n\r\n"),
          std::string("\xff\xfe garbage\n-99999999999999\n"), std::string(70000, ',')}) {
        WriteWhole(settingsPath_, text);
        auto window = Start();
        EXPECT_EQ(CheckedIndices(*window, "mnuTimeZone").size(), 1);
        EXPECT_EQ(CheckedIndices(*window, "mnuDistanceUnits").size(), 1);
        EXPECT_EQ(CheckedIndices(*window, "mnuCOMspeedIndex").size(), 1);
        EXPECT_EQ(StatusText(*window), "Select drive, folder and file.");
    }
}

TEST_F(WindowTest, TimeZoneCommandStoresTheOffsetAndMovesTheMark) {
    auto window = Start();
    Click(*window, "mnuTimeZone", 5);
    EXPECT_EQ(window->Config().TimeZoneOffset, -5);
    EXPECT_EQ(CheckedIndices(*window, "mnuTimeZone"), Ints{5});
    Click(*window, "mnuTimeZone", 0);
    EXPECT_EQ(window->Config().TimeZoneOffset, 0);
    Click(*window, "mnuTimeZone", 8);
    Click(*window, "mnuTimeZone", 8); // clicking the checked item keeps it checked
    EXPECT_EQ(CheckedIndices(*window, "mnuTimeZone"), Ints{8});
    EXPECT_TRUE(dialogs_.prompts.empty());

    const std::pair<std::optional<QString>, int> replies[] = {
        {"5", 5}, {"-3.5", -4}, {"2.5", 2},       {"+13", 13},       {"-7", -7}, {"abc", 0},
        {"", 0},  {"20", 20},   {"-6 hours", -6}, {std::nullopt, 0}, {" 4 ", 4},
    };
    for (const auto& [reply, offset] : replies) {
        reply ? dialogs_.Answer(*reply) : dialogs_.Cancel();
        Click(*window, "mnuTimeZone", 1);
        EXPECT_EQ(window->Config().TimeZoneOffset, offset)
            << reply.value_or("(cancel)").toStdString();
        EXPECT_EQ(CheckedIndices(*window, "mnuTimeZone"), Ints{1});
    }
    ASSERT_FALSE(dialogs_.prompts.empty());
    EXPECT_EQ(dialogs_.prompts.front().prompt, "Use an offset from UTC");
    EXPECT_EQ(dialogs_.prompts.front().title, "(-12 to +13 hours:)");
    EXPECT_EQ(dialogs_.prompts.front().defaultReply, "-8"); // the offset in force

    // A reply beyond 16 bits keeps the offset in force and the mark that shows it.
    Click(*window, "mnuTimeZone", 6);
    dialogs_.Answer("40000");
    Click(*window, "mnuTimeZone", 1);
    EXPECT_EQ(window->Config().TimeZoneOffset, -6);
    EXPECT_EQ(CheckedIndices(*window, "mnuTimeZone"), Ints{6});
    EXPECT_EQ(window->CurrentSettings().timeZoneOffset, -6);
}

TEST_F(WindowTest, UnitsMarkingAndIntervalCommands) {
    auto window = Start();
    Click(*window, "mnuDistanceUnits", 1);
    EXPECT_EQ(CheckedIndices(*window, "mnuDistanceUnits"), Ints{1});
    EXPECT_EQ(window->Config().DistanceUnits, 1);
    EXPECT_DOUBLE_EQ(window->SpeedFactor(), 1.609 / 0.8689);
    Click(*window, "mnuDistanceUnits", 0);
    EXPECT_EQ(window->SpeedFactor(), 1.0);
    EXPECT_EQ(window->CurrentSettings().speedFactor, 1.0);

    Click(*window, "mnuIntervalOnly");
    EXPECT_TRUE(Checked(*window, "mnuIntervalOnly"));
    EXPECT_FALSE(Checked(*window, "mnuAtStops"));
    EXPECT_FALSE(window->CurrentSettings().markAtStops);
    Click(*window, "mnuAtStops");
    Click(*window, "mnuAtStops");
    EXPECT_TRUE(Checked(*window, "mnuAtStops"));
    EXPECT_FALSE(Checked(*window, "mnuIntervalOnly"));
    EXPECT_EQ(window->Config().MarkAtStops, 1) << "only Save Settings stores the mode";

    // By time: at least one minute, no upper limit.
    const std::pair<std::optional<QString>, int> minutes[] = {
        {"5", 5}, {"0", 1}, {"-3", 1}, {"letters", 1}, {std::nullopt, 1}, {"2.5", 2}, {"90", 90}};
    for (const auto& [reply, expected] : minutes) {
        reply ? dialogs_.Answer(*reply) : dialogs_.Cancel();
        Click(*window, "mnuIntervals", 1);
        EXPECT_EQ(window->Config().IntervalByTime, expected);
        EXPECT_EQ(window->Config().IntervalValue, 0.0);
        EXPECT_EQ(CheckedIndices(*window, "mnuIntervals"), Ints{1});
    }
    EXPECT_EQ(dialogs_.prompts.back().prompt, "Enter the number of Minutes. 60 is Maximum");
    EXPECT_EQ(dialogs_.prompts.back().title, "Time Value");
    EXPECT_EQ(dialogs_.prompts.back().defaultReply, "2");

    // Switching to distance offers 0, the time interval having been cleared.
    dialogs_.Answer("30");
    Click(*window, "mnuIntervals", 0);
    EXPECT_EQ(dialogs_.prompts.back().prompt, "Enter the number of Seconds.");
    EXPECT_EQ(dialogs_.prompts.back().title, "Distance Value");
    EXPECT_EQ(dialogs_.prompts.back().defaultReply, "0");
    EXPECT_EQ(window->Config().IntervalValue, 30.0);
    EXPECT_EQ(window->Config().IntervalByTime, 0);
    EXPECT_EQ(CheckedIndices(*window, "mnuIntervals"), Ints{0});
    dialogs_.Answer("0.5");
    Click(*window, "mnuIntervals", 0);
    EXPECT_EQ(window->Config().IntervalValue, 0.5);
    dialogs_.Cancel();
    Click(*window, "mnuIntervals", 0);
    EXPECT_EQ(dialogs_.prompts.back().defaultReply, "0.5");
    EXPECT_EQ(window->Config().IntervalValue, 0.0);
    dialogs_.Answer("1e20");
    Click(*window, "mnuIntervals", 0);
    dialogs_.Answer("-2");
    Click(*window, "mnuIntervals", 0);
    EXPECT_EQ(dialogs_.prompts.back().defaultReply, "1E+20");
    EXPECT_EQ(window->Config().IntervalValue, -2.0);

    // A time reply beyond 16 bits keeps the distance interval and its mark.
    dialogs_.Answer("1e9");
    Click(*window, "mnuIntervals", 1);
    EXPECT_EQ(window->Config().IntervalByTime, 0);
    EXPECT_EQ(window->Config().IntervalValue, -2.0);
    EXPECT_EQ(CheckedIndices(*window, "mnuIntervals"), Ints{0});
    const LiveSettings live = window->CurrentSettings();
    EXPECT_EQ(live.intervalByTime, 0);
    EXPECT_EQ(live.intervalValue, -2.0);
}

TEST_F(WindowTest, LoggerCommandsAndSpecialPurposeWindow) {
    auto window = Start();
    const std::pair<std::optional<QString>, std::string> ports[] = {
        {"3", "3"},          {"2.5", "2.5"}, {"007", "7"},  {"COM3", "0"},
        {std::nullopt, "0"}, {"-4", "-4"},   {"1e400", "0"}};
    for (const auto& [reply, stored] : ports) {
        reply ? dialogs_.Answer(*reply) : dialogs_.Cancel();
        Click(*window, "mnuCOMnumber");
        EXPECT_EQ(window->Config().ComPortNumber, stored);
    }
    EXPECT_EQ(dialogs_.prompts.front().prompt, "Enter the COM port number.");
    EXPECT_EQ(dialogs_.prompts.front().title, "Port Number:");
    EXPECT_EQ(dialogs_.prompts.front().defaultReply, "1");
    EXPECT_EQ(dialogs_.prompts[1].defaultReply, "3");

    Click(*window, "mnuCOMspeedIndex", 19);
    EXPECT_EQ(CheckedIndices(*window, "mnuCOMspeedIndex"), Ints{19});
    EXPECT_EQ(window->Config().ComSpeedIndex, "19");
    Click(*window, "mnuCOMspeedIndex", 9);
    EXPECT_EQ(window->Config().ComSpeedIndex, "9");

    Click(*window, "mnuEnableSound4800");
    EXPECT_FALSE(Checked(*window, "mnuEnableSound4800"));
    EXPECT_EQ(window->Config().EnableSound4800, 0);
    Click(*window, "mnuEnableSound4800");
    EXPECT_TRUE(Checked(*window, "mnuEnableSound4800"));
    EXPECT_EQ(window->Config().EnableSound4800, 1);
    for (const char* option :
         {"mnuDataReduction9600", "mnuEnableSound9600", "mnuEnableSound19200"}) {
        Click(*window, option);
    }
    const Configuration& config = window->Config();
    EXPECT_EQ(config.DataReduction9600 + config.EnableSound9600 + config.EnableSound19200, 0);

    // One instance, filled once, modeless and on its own.
    Click(*window, "mnuSPhelp");
    Click(*window, "mnuSPhelp");
    auto* help = qobject_cast<ListWindow*>(OpenWindow("frmSPhelp"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->windowTitle(), "Special Purpose Selections");
    EXPECT_EQ(help->EntryCount(), 29);
    EXPECT_EQ(OpenWindowNames(), QStringList({"frmForm1", "frmSPhelp"}));
    help->close();
}

TEST_F(WindowTest, SaveSettingsAndStartAgain) {
    {
        auto window = Start();
        Click(*window, "mnuTimeZone", 5);
        Click(*window, "mnuDistanceUnits", 1);
        Click(*window, "mnuIntervalOnly");
        dialogs_.Answer("10");
        Click(*window, "mnuIntervals", 1);
        dialogs_.Answer("3");
        Click(*window, "mnuCOMnumber");
        Click(*window, "mnuCOMspeedIndex", 19);
        Click(*window, "mnuEnableSound9600");
        Click(*window, "mnuSaveSettings");
        EXPECT_TRUE(dialogs_.messages.isEmpty());
        EXPECT_EQ(window->Config().MarkAtStops, 0);
        // Leaving never saves.
        Click(*window, "mnuTimeZone", 0);
        Click(*window, "mnuExit");
        EXPECT_FALSE(window->isVisible());
    }
    const std::string saved = ReadWhole(settingsPath_);
    auto window = Start();
    EXPECT_EQ(CheckedIndices(*window, "mnuTimeZone"), Ints{5});
    EXPECT_EQ(CheckedIndices(*window, "mnuDistanceUnits"), Ints{1});
    EXPECT_EQ(CheckedIndices(*window, "mnuIntervals"), Ints{1});
    EXPECT_TRUE(Checked(*window, "mnuIntervalOnly"));
    EXPECT_FALSE(Checked(*window, "mnuAtStops"));
    EXPECT_EQ(CheckedIndices(*window, "mnuCOMspeedIndex"), Ints{19});
    EXPECT_FALSE(Checked(*window, "mnuEnableSound9600"));
    EXPECT_TRUE(Checked(*window, "mnuEnableSound4800"));
    EXPECT_EQ(window->Config().IntervalByTime, 10);
    EXPECT_EQ(window->Config().ComPortNumber, "3");
    EXPECT_DOUBLE_EQ(window->SpeedFactor(), 1.609 / 0.8689);
    Click(*window, "mnuSaveSettings");
    EXPECT_EQ(ReadWhole(settingsPath_), saved) << "saving unchanged settings gives the same file";
}

TEST_F(WindowTest, SaveUnderAPlainFileReportsThePath) {
    // A settings path under a plain file can never be written.
    WriteWhole(dir_ / "plain", "x");
    settingsPath_ = dir_ / "plain" / "zum-settings.dat";
    {
        auto window = Start();
        Click(*window, "mnuSaveSettings");
        ASSERT_EQ(dialogs_.messages.size(), 1);
        EXPECT_EQ(dialogs_.messages.front(), QStringLiteral("Unable to save ") +
                                                 QString::fromStdString(settingsPath_.string()));
    }
}

TEST_F(WindowTest, SaveIntoAReadOnlyFolderKeepsThePreviousFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into a read-only folder";
    }
    WriteSettingsLines(settingsPath_, Stored(home_, "-6 ", " 0 ", " 15 ", " 2 ", " 1 ", "4"));
    const std::string before = ReadWhole(settingsPath_);
    auto window = Start();
    Click(*window, "mnuTimeZone", 0);
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    Click(*window, "mnuSaveSettings");
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages.front(),
              QStringLiteral("Unable to save ") + QString::fromStdString(settingsPath_.string()));
    EXPECT_EQ(ReadWhole(settingsPath_), before);
    EXPECT_EQ(CheckedIndices(*window, "mnuTimeZone"), Ints{0});
}

TEST_F(WindowTest, AboutAndHelpWindowsOutliveTheMainWindow) {
    auto window = Start();
    Click(*window, "mnuAbout");
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_TRUE(dialogs_.messages.front().contains("Version 2.0.2  Compiled 05/14/2006"));
    EXPECT_FALSE(StatusText(*window).isEmpty());
    EXPECT_NE(StatusText(*window), "Select drive, folder and file.");

    Click(*window, "mnuHelpDoc");
    Click(*window, "mnuHelpDoc2");
    Click(*window, "mnuExit");
    EXPECT_EQ(OpenWindowNames(), QStringList({"frmHelp", "frmHelp2"}));
    EXPECT_EQ(OpenWindow("frmHelp2")->windowTitle(), "Data File Examples");
    OpenWindow("frmHelp")->close();
    OpenWindow("frmHelp2")->close();
}

} // namespace
} // namespace zum::testing
