// Conversions run from the window: the same files as the core makes on its
// own, settings changed in the middle of a run, a second "Create Files" and
// closing the window during a run.
#include "convert/conversion_run.hpp"
#include "ui/files/file_panel.hpp"
#include "window_fixture.hpp"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <cstdio>

namespace zum::testing {
namespace {

constexpr const char* kSuffixes[] = {"_draw.txt", "_time.txt", "_sat.txt", "_speed.txt", "_2d.txt"};
constexpr int kPositions = 40;

// A drive of kPositions one-second fixes, 0.6 seconds of arc apart, at 10
// knots, each followed by a 3-D fix report and every fifth by a 2-D one.
std::string DriveLog() {
    std::string log;
    char line[160];
    for (int i = 0; i < kPositions; ++i) {
        std::snprintf(
            line, sizeof line,
            "$GPRMC,1900%02d,A,3930.%04d,N,11951.5388,W,10.0,216.7,110306,15.2,E,D*34\r\n", i,
            1000 + 100 * i);
        log += line;
        log += i % 5 == 4 ? "$GPGSA,A,2,05,06,07,,,,,,,,,,2.3,1.3,1.8*3B\r\n"
                          : "$GPGSA,A,3,05,06,07,10,15,16,18,21,26,29,,,2.3,1.3,1.8*3B\r\n";
    }
    return log;
}

class WindowRunTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        data_ = dir_ / "data";
        std::filesystem::create_directory(data_);
        log_ = data_ / "TESTNMEA.TXT";
        WriteWhole(log_, DriveLog());
        // Data folder at data_, by interval only, a distance interval that
        // every fix passes, so each fix gets time, speed and satellite points.
        WriteSettingsLines(settingsPath_, {data_.string(), "-7 ", " 0 ", " .1 ", " 2 ", " 0 ", "4",
                                           "1", " 1 ", " 1 ", " 1 ", " 1 "});
    }

    // Starts the window and picks the log in the file panel as a user does.
    std::unique_ptr<MainWindow> StartWithLog() {
        auto window = Start();
        window->SetEventPacing(1, std::chrono::milliseconds(0));
        Click(*window, "mnuOpen");
        auto* files = window->findChild<QListWidget*>(QStringLiteral("File1"));
        EXPECT_NE(files, nullptr);
        if (files != nullptr) {
            const QList<QListWidgetItem*> found =
                files->findItems(QStringLiteral("TESTNMEA.TXT"), Qt::MatchExactly);
            EXPECT_EQ(found.size(), 1);
            if (!found.isEmpty()) {
                QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                                  files->visualItemRect(found.front()).center());
            }
        }
        EXPECT_EQ(window->Panel().NmeaFileName(), "TESTNMEA.TXT");
        return window;
    }

    std::string Output(const char* suffix) const {
        return ReadWhole(std::filesystem::path(log_.string() + suffix));
    }

    // The five files the core makes from the same log with `settings`.
    std::vector<std::string> DirectOutputs(const LiveSettings& settings) const {
        const std::filesystem::path other = dir_ / "direct";
        std::filesystem::create_directory(other);
        const std::filesystem::path copy = other / log_.filename();
        std::filesystem::copy_file(log_, copy);
        ConversionState state;
        const RunResult result = ConvertLog({copy, copy}, FixedSettings(settings), state, nullptr);
        EXPECT_EQ(result.status, RunStatus::Done);
        std::vector<std::string> outputs;
        for (const char* suffix : kSuffixes) {
            outputs.push_back(ReadWhole(std::filesystem::path(copy.string() + suffix)));
        }
        return outputs;
    }

    // Runs `action` when the status box shows the n-th position of the run.
    void AtPosition(MainWindow& window, int n, std::function<void()> action) {
        auto* status = window.findChild<QLineEdit*>(QStringLiteral("txtStatus"));
        auto seen = std::make_shared<int>(0);
        QObject::connect(status, &QLineEdit::textChanged, status,
                         [seen, n, action](const QString& text) {
                             if (text.contains(',') && ++*seen == n) {
                                 action();
                             }
                         });
    }

    std::filesystem::path data_;
    std::filesystem::path log_;
};

TEST_F(WindowRunTest, CreateFilesWithoutAFileAsksForOne) {
    auto window = Start();
    Click(*window, "mnuConvert");
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages.front(), "Select NMEA file first.");
    EXPECT_EQ(window->Panel().CurrentMode(), FilePanel::Mode::File);
    for (const char* suffix : kSuffixes) {
        EXPECT_FALSE(std::filesystem::exists(log_.string() + suffix));
    }
}

TEST_F(WindowRunTest, ConversionMatchesTheCoreWithTheSameSettings) {
    auto window = StartWithLog();
    const LiveSettings settings = window->CurrentSettings();
    Click(*window, "mnuConvert");
    EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join("|").toStdString();
    EXPECT_EQ(StatusText(*window), "DONE");
    const std::vector<std::string> direct = DirectOutputs(settings);
    for (std::size_t i = 0; i < direct.size(); ++i) {
        EXPECT_EQ(Output(kSuffixes[i]), direct[i]) << kSuffixes[i];
    }
    EXPECT_NE(Output("_time.txt").find("12:00,Arrow Down Left"), std::string::npos);

    // A log that has gone is reported by name, and nothing is created.
    std::filesystem::remove(log_);
    for (const char* suffix : kSuffixes) {
        std::filesystem::remove(log_.string() + suffix);
    }
    Click(*window, "mnuConvert");
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages.front(), "File TESTNMEA.TXTcan't be openned.");
    for (const char* suffix : kSuffixes) {
        EXPECT_FALSE(std::filesystem::exists(log_.string() + suffix));
    }
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

    const std::string speeds = Output("_speed.txt");
    const std::string times = Output("_time.txt");
    // 10 knots: 11.5 mi/hr up to the switch, 10.0 knots after it.
    auto count = [](const std::string& text, const std::string& what) {
        int n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count(speeds, ",11.5,"), kSwitchAt);
    EXPECT_EQ(count(speeds, ",10.0,"), kPositions - kSwitchAt);
    EXPECT_EQ(count(times, ",12:00,"), kSwitchAt);
    EXPECT_EQ(count(times, ",19:00,"), kPositions - kSwitchAt);
}

TEST_F(WindowRunTest, CreateFilesAgainDuringARunLeavesTheFirstRunAlone) {
    auto window = StartWithLog();
    const LiveSettings settings = window->CurrentSettings();
    AtPosition(*window, 5, [&] {
        EXPECT_TRUE(window->RunInProgress());
        Click(*window, "mnuConvert");
    });
    Click(*window, "mnuConvert");
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_EQ(dialogs_.messages.front(), "File TESTNMEA.TXTcan't be openned.");
    EXPECT_EQ(StatusText(*window), "DONE");
    EXPECT_FALSE(window->RunInProgress());
    const std::vector<std::string> direct = DirectOutputs(settings);
    for (std::size_t i = 0; i < direct.size(); ++i) {
        EXPECT_EQ(Output(kSuffixes[i]), direct[i]) << kSuffixes[i];
    }
}

TEST_F(WindowRunTest, ClosingTheWindowMidRunKeepsThePreviousOutputs) {
    auto window = StartWithLog();
    Click(*window, "mnuConvert");
    std::vector<std::string> before;
    for (const char* suffix : kSuffixes) {
        before.push_back(Output(suffix));
    }
    Click(*window, "mnuTimeZone", 0); // the next run would write other times
    AtPosition(*window, 20, [&] { Click(*window, "mnuExit"); });
    Click(*window, "mnuConvert");
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->RunInProgress());
    EXPECT_NE(StatusText(*window), "DONE");
    EXPECT_TRUE(dialogs_.messages.isEmpty());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(Output(kSuffixes[i]), before[i]) << kSuffixes[i];
    }
    // Only the log and its five outputs: no temporaries left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(data_)) {
        ++entries;
    }
    EXPECT_EQ(entries, 6);
}

} // namespace
} // namespace zum::testing
