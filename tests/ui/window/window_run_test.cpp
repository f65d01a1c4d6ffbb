// Conversions run from the window: the same files as the core makes on its
// own, and what menus, clicks, drops and closing do during a run.
#include "convert/conversion_run.hpp"
#include "ui/files/file_panel.hpp"
#include "ui/files/track_picture.hpp"
#include "window_fixture.hpp"

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QUrl>

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
        WriteLog("TESTNMEA.TXT", (dir_ / "data").string());
        auto window = Start();
        window->SetEventPacing(1, std::chrono::milliseconds(0));
        Click(*window, "mnuConvert");
        EXPECT_EQ(dialogs_.messages, QStringList{"Select NMEA file first."});
        EXPECT_EQ(window->Panel().CurrentMode(), FilePanel::Mode::File);
        dialogs_.messages.clear();
        auto* files = window->findChild<QListWidget*>(QStringLiteral("File1"));
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(0)).center());
        return window;
    }

    // Writes the drive described above as data/`name`, every other position
    // from a GN talker if `otherTalkers`, and settings whose data folder is
    // `dataFolder`.
    void WriteLog(const char* name, const std::string& dataFolder, int positions = kPositions,
                  bool otherTalkers = false) {
        data_ = dir_ / "data";
        std::filesystem::create_directories(data_);
        std::string log;
        for (int i = 0; i < positions; ++i) {
            log +=
                QString::asprintf("$G%cRMC,1900%02d,A,3930.%04d,N,11951.5388,W,10.0,216.7,110306,"
                                  "15.2,E,D*34\r\n",
                                  otherTalkers && i % 2 == 1 ? 'N' : 'P', i, 1000 + 100 * i)
                    .toStdString();
            log += i % 5 == 4 ? "$GPGSA,A,2,05,06,07,,,,,,,,,,2.3,1.3,1.8*3B\r\n"
                              : "$GPGSA,A,3,05,06,07,10,15,16,18,21,26,29,,,2.3,1.3,1.8*3B\r\n";
        }
        WriteWhole(log_ = data_ / name, log);
        WriteWhole(settingsPath_,
                   SettingsText(dataFolder + "|-7 | 0 | .1 | 2 | 0 |4|1| 1 | 1 | 1 | 1 "));
    }

    // The five files the core makes on its own from the log, under direct/.
    std::vector<std::string> Direct(const LiveSettings& settings,
                                    TalkerMode talkers = TalkerMode::GpOnly,
                                    bool gpx = false) const {
        const std::filesystem::path stem = dir_ / "direct" / log_.filename();
        std::filesystem::create_directory(stem.parent_path());
        ConversionState state;
        EXPECT_EQ(
            ConvertLog({.input = log_, .outputStem = stem, .writeGpx = gpx, .talkers = talkers},
                       FixedSettings(settings), state, nullptr)
                .status,
            RunStatus::Done);
        return Outputs(stem);
    }

    // The five files zum-convert makes from a copy of the log with the
    // window's settings file: the window and the command line must read that
    // file, and convert, alike.
    std::vector<std::string> ZumConvert() const {
        const std::filesystem::path copy = dir_ / "cli" / log_.filename();
        std::filesystem::create_directory(copy.parent_path());
        std::filesystem::copy_file(log_, copy, std::filesystem::copy_options::overwrite_existing);
        QProcess convert;
        convert.start(QStringLiteral(ZUM_CONVERT),
                      {"-q", "--settings", QString::fromStdString(settingsPath_.string()),
                       QString::fromStdString(copy.string())});
        EXPECT_TRUE(convert.waitForFinished(60000));
        EXPECT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();
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

// With "Also Write GPX File" off no GPX is written; ticked, the same GPX as
// the core's comes beside the same five files. Other talkers' positions
// skipped are offered after DONE.
TEST_F(WindowRunTest, ConversionsMatchTheCoreWithTheSameChoices) {
    auto window = StartWithLog();
    const std::filesystem::path gpx = log_.string() + ".gpx";
    Click(*window, "mnuConvert");
    EXPECT_EQ(Outputs(log_), Direct(window->CurrentSettings()));
    EXPECT_FALSE(std::filesystem::exists(gpx));

    Click(*window, "mnuWriteGpx");
    Click(*window, "mnuConvert");
    EXPECT_EQ(Outputs(log_), Direct(window->CurrentSettings(), TalkerMode::GpOnly, true));
    EXPECT_EQ(ReadWhole(gpx), ReadWhole((dir_ / "direct" / log_.filename()).string() + ".gpx"));

    // Every other position from a GN talker: skipped, and offered after DONE.
    WriteLog("TESTNMEA.TXT", data_.string(), kPositions, true);
    const LiveSettings settings = window->CurrentSettings();
    const QString question = "20 position reports from other talkers ($GNRMC) skipped.\n\n"
                             "Accept other talkers and convert again?";
    auto* item = window->findChild<QAction*>(QStringLiteral("mnuAcceptOtherTalkers"));

    // No: the GP reading's files stay, and the item stays off.
    dialogs_.AnswerQuestion(false);
    Click(*window, "mnuConvert");
    EXPECT_EQ(dialogs_.questions, QStringList{question});
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(Outputs(log_), Direct(settings));

    // Yes: the item is ticked and the log converted again, reading every talker.
    dialogs_.AnswerQuestion(true);
    Click(*window, "mnuConvert");
    EXPECT_EQ(dialogs_.questions, QStringList({question, question}));
    EXPECT_TRUE(item->isChecked());
    const std::vector<std::string> any = Direct(settings, TalkerMode::Any);
    EXPECT_EQ(Outputs(log_), any);
    EXPECT_NE(any, Direct(settings)); // the other talkers' positions are in

    // With the item ticked nothing is skipped and nothing asked.
    Click(*window, "mnuConvert");
    EXPECT_EQ(dialogs_.questions.size(), 2);
    EXPECT_EQ(Outputs(log_), any);

    // A log that has gone is reported by name, and nothing is created.
    std::filesystem::remove_all(data_);
    std::filesystem::create_directory(data_);
    Click(*window, "mnuConvert");
    EXPECT_EQ(dialogs_.messages, QStringList{"File TESTNMEA.TXTcan't be openned."});
    EXPECT_EQ(Outputs(log_), kNoOutputs);
}

// A menu choice during a run takes effect from the next sentence; closing the
// window during the next run leaves the files of this one as they were.
TEST_F(WindowRunTest, MenuChoiceOrClosingDuringARun) {
    auto window = StartWithLog();
    constexpr int kSwitchAt = 10;
    AtPosition(*window, kSwitchAt, [&] {
        Click(*window, "mnuDistanceUnits", 0); // knots
        Click(*window, "mnuTimeZone", 0);      // UTC
    });
    Click(*window, "mnuConvert");
    EXPECT_EQ(StatusText(*window), "DONE");
    // 10 knots: 11.5 mi/hr up to the switch, 10.0 knots after it.
    const std::vector<std::string> before = Outputs(log_);
    EXPECT_EQ(Count(before[3], ",11.5,"), kSwitchAt);
    EXPECT_EQ(Count(before[3], ",10.0,"), kPositions - kSwitchAt);
    EXPECT_EQ(Count(before[1], ",12:00,"), kSwitchAt);
    EXPECT_EQ(Count(before[1], ",19:00,"), kPositions - kSwitchAt);

    AtPosition(*window, 20, [&] { Click(*window, "mnuExit"); });
    Click(*window, "mnuConvert"); // would write knots and UTC throughout
    EXPECT_FALSE(window->isVisible() || window->RunInProgress());
    EXPECT_NE(StatusText(*window), "DONE");
    EXPECT_TRUE(dialogs_.messages.isEmpty());
    EXPECT_EQ(Outputs(log_), before);
    // Only the log and its five outputs: no temporaries left behind.
    const auto entries = std::filesystem::directory_iterator(data_);
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 6);
}

QUrl Url(const std::filesystem::path& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path.string()));
}

// Drops `urls` on the picture, as a file manager does: the picture takes no
// drops itself, so the window gets them.
void Drop(MainWindow& window, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    auto* picture = window.findChild<QWidget*>(QStringLiteral("Picture1"));
    const QPointF at = QRectF(picture->rect()).center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(picture, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(picture, &drop);
}

// During a run started with Alt+C, a second "Create Files" and a dropped log
// leave the run alone, and the menu bar is left as a mouse click leaves it: a
// moment later no item is held, and a click on a menu opens it.
TEST_F(WindowRunTest, InputDuringARunLeavesTheRunAlone) {
    auto window = StartWithLog();
    WriteWhole(dir_ / "other.txt", "");
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QMenuBar* bar = window->menuBar();
    auto* file = window->findChild<QMenu*>(QStringLiteral("mnuFile"));
    QAction* held = nullptr;
    bool opened = false;
    AtPosition(*window, 5, [&] {
        Click(*window, "mnuConvert");
        Drop(*window, {Url(dir_ / "other.txt")});
        QTest::keyRelease(window.get(), Qt::Key_C, Qt::AltModifier);
        QTest::keyRelease(window.get(), Qt::Key_Alt);
        QTest::qWait(200);
        held = bar->activeAction();
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(file->menuAction()).center());
        opened = file->isVisible();
        file->hide();
    });
    QTest::keyPress(window.get(), Qt::Key_Alt);
    QTest::keyPress(window.get(), Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(StatusText(*window), QStringLiteral("DONE"));
    EXPECT_EQ(held, nullptr);
    EXPECT_TRUE(opened);
    EXPECT_EQ(dialogs_.messages, QStringList{"File TESTNMEA.TXTcan't be openned."});
    EXPECT_EQ(window->Panel().NmeaFileName(), "TESTNMEA.TXT");
    EXPECT_EQ(Outputs(log_), Direct(window->CurrentSettings()));
}

// A log dropped or given at start is converted like one picked; a drop of
// anything else changes nothing but the status box.
TEST_F(WindowRunTest, ADroppedLogOrAStartArgumentIsConvertedLikeAPickedOne) {
    // Any name will do; the data folder at start is elsewhere.
    WriteLog("drive.log", home_.string());
    const std::string settingsBefore = ReadWhole(settingsPath_);
    WriteWhole(dir_ / "other.txt", "");
    const std::pair<QList<QUrl>, const char*> others[] = {
        {{Url(home_)}, "A folder is not a log: "},
        {{Url(dir_ / "other.txt"), Url(dir_ / "other.txt")}, "Drop one log file at a time."},
        {{QUrl(QStringLiteral("https://example.org/0511NMEA.TXT"))},
         "Only a file on this computer can be opened."},
        {{Url(dir_ / "gone.txt")}, "No such file: "},
    };
    for (const bool byDrop : {true, false}) {
        SCOPED_TRACE(byDrop ? "drop" : "argument");
        std::filesystem::remove(log_.string() + "_draw.txt");
        auto window = Start();
        byDrop ? Drop(*window, {Url(log_)})
               : void(window->OpenLog(QString::fromStdString(log_.string())));
        EXPECT_EQ(StatusText(*window), "drive.log");
        EXPECT_EQ(window->Panel().CurrentMode(), FilePanel::Mode::Closed);
        for (const auto& [urls, status] : others) {
            Drop(*window, urls);
            EXPECT_TRUE(StatusText(*window).startsWith(QLatin1String(status))) << status;
        }
        EXPECT_EQ(window->Panel().NmeaFileName(), "drive.log");
        EXPECT_EQ(window->Config().DataFilePath, data_.string());
        Click(*window, "mnuConvert");
        EXPECT_EQ(StatusText(*window), "DONE");
        EXPECT_EQ(Outputs(log_), ZumConvert());
    }
    EXPECT_EQ(ReadWhole(settingsPath_), settingsBefore); // nothing was saved
}

// The share read rises to 100% at "DONE"; the caption gives the counts.
TEST_F(WindowRunTest, ProgressRisesTo100AtDone) {
    WriteLog("LONGNMEA.TXT", (dir_ / "data").string(), 12000); // about 1.3 MB
    auto window = Start();
    window->OpenLog(QString::fromStdString(log_.string()));
    window->SetEventPacing(256, std::chrono::milliseconds(0));
    const TrackPicture& picture = window->Panel().Picture();
    std::vector<int> seen;
    auto* status = window->findChild<QLineEdit*>(QStringLiteral("txtStatus"));
    QObject::connect(status, &QLineEdit::textChanged, status,
                     [&] { seen.push_back(picture.ProgressPercent()); });
    Click(*window, "mnuConvert");
    ASSERT_EQ(StatusText(*window), "DONE");
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GE(std::count_if(seen.begin(), seen.end(), [](int p) { return p > 0 && p < 100; }), 2);
    EXPECT_EQ(picture.ProgressPercent(), 100);
    EXPECT_EQ(picture.Showing(), TrackPicture::Shows::Done);
    EXPECT_FALSE(picture.Preview().Empty());
}

// Help and version need no display: with none to be had, both print and exit 0.
TEST(WindowProgram, HelpAndVersionNeedNoDisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QLatin1String(name));
    }
    for (const auto& [option, output] : {std::pair{"--help", "Usage: zum-points [options] [LOG]"},
                                         std::pair{"--version", "zum-points 2.0.2"}}) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(ZUM_POINTS), {QLatin1String(option)});
        ASSERT_TRUE(program.waitForFinished(60000)) << option;
        EXPECT_TRUE(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0);
        EXPECT_TRUE(program.readAllStandardOutput().contains(output)) << option;
    }
}

} // namespace
} // namespace zum::testing
