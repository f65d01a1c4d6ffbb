// Conversions run from the window: the same files as the core makes on its
// own, settings changed in the middle of a run, a second "Create Files" and
// closing the window during a run.
#include "convert/conversion_run.hpp"
#include "ui/files/file_panel.hpp"
#include "window_fixture.hpp"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>

namespace zum::testing {
namespace {

constexpr const char* kSuffixes[] = {"_draw.txt", "_time.txt", "_sat.txt", "_speed.txt", "_2d.txt"};
constexpr int kPositions = 40;

const std::vector<std::string> kNoOutputs(5, "(missing)");

// The five files made from `log`, "(missing)" for those that do not exist.
std::vector<std::string> Outputs(const std::filesystem::path& log) {
    std::vector<std::string> outputs;
    for (const char* suffix : kSuffixes) {
        const std::filesystem::path path = log.string() + suffix;
        outputs.push_back(std::filesystem::exists(path) ? ReadWhole(path) : kNoOutputs[0]);
    }
    return outputs;
}

int Count(const std::string& text, const char* what) {
    return static_cast<int>(QString::fromStdString(text).count(QLatin1String(what)));
}

class WindowRunTest : public WindowTest {
protected:
    // Writes a drive of kPositions one-second fixes, 0.6 seconds of arc apart,
    // at 10 knots, each followed by a 3-D fix report and every fifth by a 2-D
    // one. The settings mark by interval only, with a distance interval that
    // every fix passes, so each fix gets time, speed and satellite points.
    // Then starts the window and picks the log as a user does: "Create Files"
    // with no file chosen opens the file panel, where the log is clicked.
    std::unique_ptr<MainWindow> StartWithLog() {
        std::filesystem::create_directory(data_ = dir_ / "data");
        std::string log;
        for (int i = 0; i < kPositions; ++i) {
            log += QString::asprintf("$GPRMC,1900%02d,A,3930.%04d,N,11951.5388,W,10.0,216.7,110306,"
                                     "15.2,E,D*34\r\n",
                                     i, 1000 + 100 * i)
                       .toStdString();
            log += i % 5 == 4 ? "$GPGSA,A,2,05,06,07,,,,,,,,,,2.3,1.3,1.8*3B\r\n"
                              : "$GPGSA,A,3,05,06,07,10,15,16,18,21,26,29,,,2.3,1.3,1.8*3B\r\n";
        }
        WriteWhole(log_ = data_ / "TESTNMEA.TXT", log);
        WriteWhole(settingsPath_,
                   SettingsText(data_.string() + "|-7 | 0 | .1 | 2 | 0 |4|1| 1 | 1 | 1 | 1 "));
        auto window = Start();
        window->SetEventPacing(1, std::chrono::milliseconds(0));
        Click(*window, "mnuConvert");
        EXPECT_EQ(dialogs_.messages, QStringList{"Select NMEA file first."});
        EXPECT_EQ(window->Panel().CurrentMode(), FilePanel::Mode::File);
        EXPECT_EQ(Outputs(log_), kNoOutputs);
        dialogs_.messages.clear();
        auto* files = window->findChild<QListWidget*>(QStringLiteral("File1"));
        for (QListWidgetItem* item : files->findItems("TESTNMEA.TXT", Qt::MatchExactly)) {
            QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                              files->visualItemRect(item).center());
        }
        EXPECT_EQ(window->Panel().NmeaFileName(), "TESTNMEA.TXT");
        return window;
    }

    // The five files the core makes on its own from a copy of the log.
    std::vector<std::string> Direct(const LiveSettings& settings) const {
        std::filesystem::create_directory(dir_ / "direct");
        const std::filesystem::path copy = dir_ / "direct" / log_.filename();
        std::filesystem::copy_file(log_, copy);
        ConversionState state;
        EXPECT_EQ(ConvertLog({copy, copy}, FixedSettings(settings), state, nullptr).status,
                  RunStatus::Done);
        return Outputs(copy);
    }

    // Runs `action` when the status box shows the n-th position of the run.
    static void AtPosition(MainWindow& window, int n, std::function<void()> action) {
        auto* status = window.findChild<QLineEdit*>(QStringLiteral("txtStatus"));
        QObject::connect(status, &QLineEdit::textChanged, status,
                         [seen = 0, n, action](const QString& text) mutable {
                             if (text.contains(',') && ++seen == n) {
                                 action();
                             }
                         });
    }

    std::filesystem::path data_, log_;
};

TEST_F(WindowRunTest, ConversionMatchesTheCoreWithTheSameSettings) {
    auto window = StartWithLog();
    Click(*window, "mnuConvert");
    EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
    EXPECT_EQ(StatusText(*window), "DONE");
    EXPECT_EQ(Outputs(log_), Direct(window->CurrentSettings()));
    EXPECT_EQ(Count(Outputs(log_)[1], "12:00,Arrow Down Left"), kPositions);

    // A log that has gone is reported by name, and nothing is created.
    std::filesystem::remove_all(data_);
    std::filesystem::create_directory(data_);
    Click(*window, "mnuConvert");
    EXPECT_EQ(dialogs_.messages, QStringList{"File TESTNMEA.TXTcan't be openned."});
    EXPECT_EQ(Outputs(log_), kNoOutputs);
}

// "Also Write GPX File": last in the Settings menu, off until checked, then
// the same GPX as the core's beside the same five files; saved in our own
// file and checked again at the next start.
TEST_F(WindowRunTest, AlsoWriteGpxFileGivesTheCoresGpxAndIsSaved) {
    auto window = StartWithLog();
    const QList<QAction*> items =
        window->findChild<QMenu*>(QStringLiteral("mnuSettings"))->actions();
    ASSERT_EQ(items.back()->objectName(), "mnuWriteGpx");
    EXPECT_EQ(items.back()->text(), "Also Write &GPX File");
    EXPECT_FALSE(items.back()->isChecked());
    const std::filesystem::path gpx = log_.string() + ".gpx";
    Click(*window, "mnuConvert");
    EXPECT_FALSE(std::filesystem::exists(gpx));
    const std::vector<std::string> withoutGpx = Outputs(log_);

    Click(*window, "mnuWriteGpx");
    EXPECT_TRUE(items.back()->isChecked());
    Click(*window, "mnuConvert");
    EXPECT_EQ(StatusText(*window), "DONE");
    EXPECT_EQ(Outputs(log_), withoutGpx);
    std::filesystem::create_directory(dir_ / "direct");
    const std::filesystem::path copy = dir_ / "direct" / log_.filename();
    std::filesystem::copy_file(log_, copy);
    ConversionJob job{copy, copy};
    job.writeGpx = true;
    ConversionState state;
    ASSERT_EQ(ConvertLog(job, FixedSettings(window->CurrentSettings()), state).status,
              RunStatus::Done);
    EXPECT_EQ(ReadWhole(gpx), ReadWhole(copy.string() + ".gpx"));
    EXPECT_EQ(Count(ReadWhole(gpx), "<wpt "), kPositions + kPositions / 5);

    Click(*window, "mnuSaveSettings");
    EXPECT_EQ(ReadWhole(settingsPath_).find("gpx"), std::string::npos); // the logger's file
    EXPECT_NE(ReadWhole(configHome_ / "zum-points.conf").find("write_gpx=1"), std::string::npos);
    window.reset();
    window = Start();
    EXPECT_TRUE(window->findChild<QAction*>(QStringLiteral("mnuWriteGpx"))->isChecked());
}

TEST_F(WindowRunTest, MenuChoiceDuringARunTakesEffectFromTheNextSentence) {
    auto window = StartWithLog();
    constexpr int kSwitchAt = 10;
    AtPosition(*window, kSwitchAt, [&] {
        Click(*window, "mnuDistanceUnits", 0); // knots
        Click(*window, "mnuTimeZone", 0);      // UTC
    });
    Click(*window, "mnuConvert");
    EXPECT_EQ(StatusText(*window), "DONE");
    // 10 knots: 11.5 mi/hr up to the switch, 10.0 knots after it.
    const std::vector<std::string> outputs = Outputs(log_);
    EXPECT_EQ(Count(outputs[3], ",11.5,"), kSwitchAt);
    EXPECT_EQ(Count(outputs[3], ",10.0,"), kPositions - kSwitchAt);
    EXPECT_EQ(Count(outputs[1], ",12:00,"), kSwitchAt);
    EXPECT_EQ(Count(outputs[1], ",19:00,"), kPositions - kSwitchAt);
}

TEST_F(WindowRunTest, CreateFilesAgainDuringARunLeavesTheFirstRunAlone) {
    auto window = StartWithLog();
    const LiveSettings settings = window->CurrentSettings();
    AtPosition(*window, 5, [&] {
        EXPECT_TRUE(window->RunInProgress());
        Click(*window, "mnuConvert");
    });
    Click(*window, "mnuConvert");
    EXPECT_EQ(dialogs_.messages, QStringList{"File TESTNMEA.TXTcan't be openned."});
    EXPECT_EQ(StatusText(*window), "DONE");
    EXPECT_FALSE(window->RunInProgress());
    EXPECT_EQ(Outputs(log_), Direct(settings));
}

TEST_F(WindowRunTest, ClosingTheWindowMidRunKeepsThePreviousOutputs) {
    auto window = StartWithLog();
    Click(*window, "mnuConvert");
    const std::vector<std::string> before = Outputs(log_);
    Click(*window, "mnuTimeZone", 0); // the next run would write other times
    AtPosition(*window, 20, [&] { Click(*window, "mnuExit"); });
    Click(*window, "mnuConvert");
    EXPECT_FALSE(window->isVisible() || window->RunInProgress());
    EXPECT_NE(StatusText(*window), "DONE");
    EXPECT_TRUE(dialogs_.messages.isEmpty());
    EXPECT_EQ(Outputs(log_), before);
    // Only the log and its five outputs: no temporaries left behind.
    const auto entries = std::filesystem::directory_iterator(data_);
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 6);
}

} // namespace
} // namespace zum::testing
