// The main window's start-up, menu tree and settings commands, driven through
// its real actions with scripted answers to its prompts.
#include "convert/live_settings.hpp"
#include "ui/files/file_panel.hpp"
#include "ui/help/list_window.hpp"
#include "window_fixture.hpp"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <map>

namespace zum::testing {
namespace {

// The check marks, once the menus, the stored configuration and what a run
// reads are found to agree.
std::string ConsistentMarks(const MainWindow& window) {
    const QStringList marks = QString::fromStdString(Marks(window)).split(' ');
    const Configuration& c = window.Config();
    const LiveSettings live = window.CurrentSettings();
    EXPECT_EQ(QString::asprintf("%d %s %d%d %d%d%d%d", c.DistanceUnits, c.ComSpeedIndex.c_str(),
                                live.markAtStops, !live.markAtStops, c.DataReduction9600,
                                c.EnableSound4800, c.EnableSound9600, c.EnableSound19200),
              QStringList({marks[1], marks[3], marks[4], marks[5]}).join(' '));
    EXPECT_DOUBLE_EQ(live.speedFactor, SpeedFactorFor(c.DistanceUnits));
    return marks.join(' ').toStdString();
}

// The menu tree as "caption[item|item...]", items joined by '|'.
QString Tree(const QList<QAction*>& actions) {
    QStringList items;
    for (QAction* action : actions) {
        EXPECT_TRUE(action->shortcut().isEmpty() && action->isEnabled() && action->isVisible())
            << action->text().toStdString();
        items << action->text() +
                     (action->menu() ? "[" + Tree(action->menu()->actions()) + "]" : "");
    }
    return items.join('|');
}

TEST_F(WindowTest, StartUpShowsTheDefaultsOrTheStoredSettings) {
    auto window = Start();
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(size, size))) << size;
    }
    EXPECT_EQ(StatusText(*window), "Select drive, folder and file.");
    EXPECT_EQ(window->Panel().CurrentMode(), FilePanel::Mode::Closed);
    EXPECT_FALSE(std::filesystem::exists(settingsPath_)) << "start-up never writes";
    EXPECT_EQ(
        Tree(window->menuBar()->actions()),
        "&File[&Open|E&xit]|&Create Files|&Time Zone[UTC|Use an offset from UTC (-12 to +13) "
        "hours|(-4) EDT|(-5) EST - CDT|(-6) CST - MDT|(-7) MST - PDT|(-8) PST]|&Settings["
        "Distance Units[Knots|km/hr|mi/hr (U.S.)]|Way Point Marking[By Interval only|At Stops "
        "Separated by Interval]|Way Point Intervals[By Distance|By Time]|Data File Path|"
        "Logger COM Port Number|Logger COM Port Speed[4800 baud|9600 baud|19200 baud]|"
        "Special Purpose[Special Purpose Descriptions|Data Reduction for 9600 baud|Enable "
        "Sound for 4800 baud|Enable Sound for 9600 baud|Enable Sound for 19200 baud]|Save "
        "Settings|Also Write &GPX File|Accept &Other Talkers (GN, GL, GA, GB, BD)]|&Help["
        "About|Description|File Samples]");

    const std::string h = home_.string();
    const std::pair<std::string, const char*> cases[] = {
        {SettingsText(h + "| 0 | 0 | 15 | 0 | 1 |9|1| 1 | 1 | 1 | 1 "), "0 0 0 9 10 1111"},
        {SettingsText(h + "|-3 | 5 | 0 | 1 | 0 |19|1| 0 | 0 | 0 | 0 "), "1 1 1 19 01 0000"},
        {SettingsText(h + "|-8 | 10 | 7.5 | 2 | 1 |4|1| 1 | 1 | 1 | 1 "), "8 2 0,1 4 10 1111"},
        // Values that name no menu item fall back to the defaults.
        {SettingsText(h + "|-5 | 0 | 15 | 7 | 1 |12|1| 1 | 1 | 1 | 1 "), "5 2 0 4 10 1111"},
        {"\xff\xfe garbage\n-99999999999999\n", "7 2 0 4 10 1111"},
    };
    for (const auto& [text, marks] : cases) {
        SCOPED_TRACE(text.substr(0, 120));
        WriteWhole(settingsPath_, text);
        window = Start();
        EXPECT_EQ(ConsistentMarks(*window), marks);
    }
}

// Each menu command and prompt reply, then the settings saved and read at the
// next start.
TEST_F(WindowTest, MenuCommandsPromptRepliesAndSaving) {
    struct Step {
        const char* action;
        int index;
        const char* reply;          // null: cancelled
        const char* offered;        // the default shown; null when no prompt is expected
        const char *marks, *stored; // stored: time zone, minutes, distance, port number
    };
    const Step steps[] = {
        {"mnuTimeZone", 8, nullptr, nullptr, "8 2 0 4 10 1111", "-8 0 15 1"},
        // Choosing the checked item again keeps it checked.
        {"mnuTimeZone", 8, nullptr, nullptr, "8 2 0 4 10 1111", "-8 0 15 1"},
        {"mnuDistanceUnits", 0, nullptr, nullptr, "8 0 0 4 10 1111", "-8 0 15 1"},
        {"mnuIntervalOnly", -1, nullptr, nullptr, "8 0 0 4 01 1111", "-8 0 15 1"},
        {"mnuAtStops", -1, nullptr, nullptr, "8 0 0 4 10 1111", "-8 0 15 1"},
        {"mnuCOMspeedIndex", 19, nullptr, nullptr, "8 0 0 19 10 1111", "-8 0 15 1"},
        {"mnuEnableSound4800", -1, nullptr, nullptr, "8 0 0 19 10 1011", "-8 0 15 1"},
        {"mnuDataReduction9600", -1, nullptr, nullptr, "8 0 0 19 10 0011", "-8 0 15 1"},
        {"mnuEnableSound9600", -1, nullptr, nullptr, "8 0 0 19 10 0001", "-8 0 15 1"},
        {"mnuEnableSound19200", -1, nullptr, nullptr, "8 0 0 19 10 0000", "-8 0 15 1"},
        // Offsets: halves round to even; no range check; a leading number is
        // read; cancelled reads as 0.
        {"mnuTimeZone", 1, "2.5", "-8", "1 0 0 19 10 0000", "2 0 15 1"},
        {"mnuTimeZone", 1, "20", "2", "1 0 0 19 10 0000", "20 0 15 1"},
        {"mnuTimeZone", 1, "-6 hours", "20", "1 0 0 19 10 0000", "-6 0 15 1"},
        {"mnuTimeZone", 1, nullptr, "-6", "1 0 0 19 10 0000", "0 0 15 1"},
        // Beyond 16 bits: the offset in force and its mark stay.
        {"mnuTimeZone", 6, nullptr, nullptr, "6 0 0 19 10 0000", "-6 0 15 1"},
        {"mnuTimeZone", 1, "40000", "-6", "6 0 0 19 10 0000", "-6 0 15 1"},
        // Minutes: at least one, no upper limit; the distance is cleared.
        {"mnuIntervals", 1, "0", "0", "6 0 1 19 10 0000", "-6 1 0 1"},
        {"mnuIntervals", 1, "90", "1", "6 0 1 19 10 0000", "-6 90 0 1"},
        // Distance: any number, cancelled reads as 0; the minutes are cleared.
        {"mnuIntervals", 0, "1e20", "0", "6 0 0 19 10 0000", "-6 0 1e+20 1"},
        {"mnuIntervals", 0, nullptr, "1E+20", "6 0 0 19 10 0000", "-6 0 0 1"},
        {"mnuIntervals", 0, "-2", "0", "6 0 0 19 10 0000", "-6 0 -2 1"},
        {"mnuIntervals", 1, "1e9", "0", "6 0 0 19 10 0000", "-6 0 -2 1"},
        // The port number is kept as the number read.
        {"mnuCOMnumber", -1, "2.5", "1", "6 0 0 19 10 0000", "-6 0 -2 2.5"},
        {"mnuCOMnumber", -1, "COM3", "2.5", "6 0 0 19 10 0000", "-6 0 -2 0"},
        {"mnuCOMnumber", -1, "007", "0", "6 0 0 19 10 0000", "-6 0 -2 7"},
        {"mnuCOMnumber", -1, "1e400", "7", "6 0 0 19 10 0000", "-6 0 -2 0"},
    };
    const auto stored = [](const MainWindow& window) {
        const Configuration& c = window.Config();
        return QString::asprintf("%d %d %g %s", c.TimeZoneOffset, c.IntervalByTime, c.IntervalValue,
                                 c.ComPortNumber.c_str());
    };
    auto window = Start();
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.action) + " " + (step.reply ? step.reply : "(cancel)"));
        const qsizetype prompts = dialogs_.offered.size();
        if (step.offered != nullptr) {
            step.reply ? dialogs_.Answer(step.reply) : dialogs_.Cancel();
        }
        Click(*window, step.action, step.index);
        EXPECT_EQ(dialogs_.offered.size() > prompts ? dialogs_.offered.back() : "-",
                  step.offered ? step.offered : "-");
        EXPECT_EQ(stored(*window), step.stored);
        EXPECT_EQ(ConsistentMarks(*window), step.marks);
    }
    Click(*window, "mnuSaveSettings");
    Click(*window, "mnuTimeZone", 0); // leaving never saves
    Click(*window, "mnuExit");
    const std::string saved = ReadWhole(settingsPath_);
    window = Start();
    EXPECT_EQ(Marks(*window), std::string(std::end(steps)[-1].marks));
    EXPECT_EQ(stored(*window), std::end(steps)[-1].stored);
    Click(*window, "mnuSaveSettings");
    EXPECT_EQ(ReadWhole(settingsPath_), saved) << "saving unchanged settings gives the same file";

    // A failed save names the file, then the reason.
    WriteWhole(dir_ / "plain", "x"); // nothing can be written under a plain file
    settingsPath_ = dir_ / "plain" / "zum-settings.dat";
    Click(*Start(), "mnuSaveSettings");
    EXPECT_EQ(dialogs_.messages,
              QStringList{"Unable to save " + QString::fromStdString(settingsPath_) +
                          ": Not a directory"});
}

// "Accept Other Talkers" and "Also Write GPX File" are kept in our own file,
// never in the logger's, and read at the next start.
TEST_F(WindowTest, OwnSettingsAreSavedInOurOwnFileAndReadAtStartUp) {
    const auto ticked = [](const MainWindow& window) { // 1: other talkers, 2: GPX
        return window.findChild<QAction*>(QStringLiteral("mnuAcceptOtherTalkers"))->isChecked() +
               2 * window.findChild<QAction*>(QStringLiteral("mnuWriteGpx"))->isChecked();
    };
    std::string shared;
    {
        auto window = Start();
        Click(*window, "mnuSaveSettings");
        shared = ReadWhole(settingsPath_);
        Click(*window, "mnuAcceptOtherTalkers");
        Click(*window, "mnuWriteGpx");
        Click(*window, "mnuSaveSettings");
    }
    EXPECT_EQ(ReadWhole(settingsPath_), shared) << "the shared file's layout stays as it is";
    {
        auto window = Start();
        EXPECT_EQ(ticked(*window), 3);
        Click(*window, "mnuAcceptOtherTalkers");
        EXPECT_EQ(ticked(*window), 2);
    }
    EXPECT_EQ(ticked(*Start()), 3); // unsaved: the file still says on

    // Damaged: off, unsaid, and the shared file's settings as stored.
    WriteWhole(configHome_ / "zum-points.conf", "accept_other_talkers=yes\n");
    WriteWhole(settingsPath_,
               SettingsText(home_.string() + "|-3 | 5 | 0 | 1 | 0 |19|1| 0 | 0 | 0 | 0 "));
    EXPECT_EQ(ticked(*Start()), 0);
    EXPECT_EQ(Marks(*Start()), "1 1 1 19 01 0000");
    EXPECT_TRUE(dialogs_.messages.isEmpty());

    // Our file cannot be written: said by name; the shared file is saved all the same.
    std::filesystem::remove(settingsPath_);
    WriteWhole(dir_ / "plain", "x");
    const std::filesystem::path ownSettingsPath = dir_ / "plain" / "zum-points.conf";
    qputenv("XDG_CONFIG_HOME", QByteArray((dir_ / "plain").c_str()));
    auto window = Start();
    Click(*window, "mnuAcceptOtherTalkers");
    Click(*window, "mnuSaveSettings");
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_TRUE(dialogs_.messages[0].startsWith("Unable to save " +
                                                QString::fromStdString(ownSettingsPath) + ": "))
        << dialogs_.messages[0].toStdString();
    EXPECT_TRUE(std::filesystem::exists(settingsPath_));
    EXPECT_EQ(ReadWhole(dir_ / "plain"), "x");
}

// Each help list opens once however often it is asked for, with its entries
// once, also when opened again before the window closed last is deleted; and
// it stays open after the main window.
TEST_F(WindowTest, HelpListsOpenOnceKeepTheirEntriesAndOutliveTheMainWindow) {
    const auto shown = [] { // the shown top-level windows; a help list's entries, else -1
        std::map<QString, int> windows;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && !widget->objectName().isEmpty()) {
                const auto* list = qobject_cast<const ListWindow*>(widget);
                windows[widget->objectName()] = list != nullptr ? list->EntryCount() : -1;
            }
        }
        return windows;
    };
    std::map<QString, int> lists{
        {"frmForm1", -1}, {"frmHelp", 29}, {"frmHelp2", 28}, {"frmSPhelp", 29}};
    auto window = Start();
    for (const bool again : {false, true}) { // again: closed, not yet deleted, opened again
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<ListWindow*>(widget) != nullptr && widget->isVisible()) {
                widget->findChild<QPushButton*>("cmdExit")->click();
            }
        }
        for (const char* action :
             {"mnuSPhelp", "mnuSPhelp", "mnuHelpDoc", "mnuHelpDoc2", "mnuHelpDoc"}) {
            Click(*window, action);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(shown(), lists) << again;
    }
    lists.erase("frmForm1");
    Click(*window, "mnuExit");
    EXPECT_EQ(shown(), lists);
    QApplication::closeAllWindows();
}

} // namespace
} // namespace zum::testing
