// zum-window-run: conversions through the window, offscreen, timed beside the
// same conversions through the core alone in the same process. The log is
// opened as a start-up argument opens it; a window run is "Create Files" up
// to "DONE", with the preview growing as it goes; a core run is ConvertLog
// with the window's settings and no observer. Both write the same five files
// beside the log, each replacing the other's, so that both do the same work.
// The picture the window draws after "DONE" is timed on its own.
//
// A first run of each comes before the rounds, so that neither pays alone
// for what a process does once (the page cache, the heap's first pages, the
// fonts the preview draws with); its times are printed with "first-" before
// the name. Then ROUNDS rounds run one of each, the core first in even rounds
// and the window first in odd ones, printed as "core WALL CPU", "window WALL
// CPU" and "picture WALL CPU" in seconds; the CPU time (of the whole process,
// user and system) is the steadier figure on a machine that other work keeps
// busy.
//
//   zum-window-run [--window-only] [--rounds N] LOG SETTINGS_FILE
//
// --window-only makes one window run and nothing else, so that the peak
// memory measured from outside is the window's. Exits 0 when every window run
// ended with "DONE" in the status box; otherwise prints what went wrong and
// exits 1.
#include "convert/conversion_run.hpp"
#include "platform/dialogs.hpp"
#include "ui/window/main_window.hpp"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace {

// Any message box is a failure here; it is printed instead of shown.
class PrintedDialogs final : public zum::Dialogs {
public:
    void Message(const QString& text) override {
        std::fprintf(stderr, "zum-window-run: %s\n", qPrintable(text));
    }
    QString Prompt(const QString& prompt, const QString& /*title*/,
                   const QString& /*defaultReply*/) override {
        std::fprintf(stderr, "zum-window-run: unexpected prompt: %s\n", qPrintable(prompt));
        return {};
    }
    // The bench's logs hold only GP sentences, so no question is expected;
    // answering No keeps the run's outputs.
    bool Ask(const QString& question) override {
        std::fprintf(stderr, "zum-window-run: unexpected question: %s\n", qPrintable(question));
        return false;
    }
};

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Wall and CPU time of one piece of work.
class Stopwatch {
public:
    void Print(const char* what) const {
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count();
        std::printf("%s %.4f %.4f\n", what, wall, CpuSeconds() - cpu_);
    }

private:
    std::chrono::steady_clock::time_point wall_ = std::chrono::steady_clock::now();
    double cpu_ = CpuSeconds();
};

// One conversion through the core, as the window would make it.
bool CoreRun(const zum::MainWindow& window, const std::filesystem::path& log, const char* label) {
    zum::ConversionJob job{log, log};
    job.writeGpx = window.findChild<QAction*>(QStringLiteral("mnuWriteGpx"))->isChecked();
    job.talkers = window.findChild<QAction*>(QStringLiteral("mnuAcceptOtherTalkers"))->isChecked()
                      ? zum::TalkerMode::Any
                      : zum::TalkerMode::GpOnly;
    zum::ConversionState state;
    const Stopwatch stopwatch;
    const zum::RunResult result =
        zum::ConvertLog(job, zum::FixedSettings(window.CurrentSettings()), state);
    stopwatch.Print(label);
    if (result.status != zum::RunStatus::Done) {
        std::fprintf(stderr, "zum-window-run: %s\n", result.message.c_str());
        return false;
    }
    return true;
}

// "Create Files" on the open log, timed up to "DONE" (the five files are in
// place, as at the end of a core run); then, timed on its own, the window's
// next turn of events, which draws the picture of what the run wrote.
bool WindowRun(zum::MainWindow& window, bool first) {
    {
        const Stopwatch stopwatch;
        window.mnuConvert_Click();
        stopwatch.Print(first ? "first-window" : "window");
    }
    {
        const Stopwatch stopwatch;
        QApplication::processEvents();
        stopwatch.Print(first ? "first-picture" : "picture");
    }
    const QString status = window.findChild<QLineEdit*>(QStringLiteral("txtStatus"))->text();
    if (status != QLatin1String("DONE")) {
        std::fprintf(stderr, "zum-window-run: the status box says %s\n", qPrintable(status));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    bool windowOnly = false;
    int rounds = 1;
    int at = 1;
    for (; at < argc; ++at) {
        if (std::strcmp(argv[at], "--window-only") == 0) {
            windowOnly = true;
        } else if (std::strcmp(argv[at], "--rounds") == 0 && at + 1 < argc) {
            rounds = std::atoi(argv[++at]);
        } else {
            break;
        }
    }
    if (argc - at != 2 || rounds < 1) {
        std::fputs("usage: zum-window-run [--window-only] [--rounds N] LOG SETTINGS_FILE\n",
                   stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    PrintedDialogs dialogs;
    const std::filesystem::path log(argv[at]);
    const QByteArray settings(argv[at + 1]);
    zum::MainWindow window(dialogs, std::filesystem::path(settings.constData()));
    window.show();
    QApplication::processEvents();
    if (!window.OpenLog(QFile::decodeName(argv[at]))) {
        return 1;
    }
    if (windowOnly) {
        return WindowRun(window, false) ? 0 : 1;
    }

    if (!CoreRun(window, log, "first-core") || !WindowRun(window, true)) {
        return 1;
    }
    for (int round = 0; round < rounds; ++round) {
        const bool ok = round % 2 == 0 ? CoreRun(window, log, "core") && WindowRun(window, false)
                                       : WindowRun(window, false) && CoreRun(window, log, "core");
        if (!ok) {
            return 1;
        }
    }
    return 0;
}
