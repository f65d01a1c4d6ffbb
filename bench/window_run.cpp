// zum-window-run: one conversion through the window, offscreen, timed beside
// the same conversion through the core alone in the same process: the log is
// opened as a start-up argument opens it and "Create Files" runs it, preview
// and all; the core's run (with the window's settings, no observer) writes to
// a scratch folder. Prints "core WALL CPU" and "window WALL CPU" in seconds;
// the CPU time (of the whole process, user and system) is the steadier figure
// on a machine that other work keeps busy.
//
//   zum-window-run [--window-only] LOG SETTINGS_FILE
//
// --window-only leaves the core's run out, so that the peak memory measured
// from outside is the window's. Exits 0 once the status box says "DONE";
// otherwise prints what went wrong and exits 1.
#include "convert/conversion_run.hpp"
#include "platform/dialogs.hpp"
#include "ui/window/main_window.hpp"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

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

} // namespace

int main(int argc, char* argv[]) {
    const bool windowOnly = argc > 1 && std::strcmp(argv[1], "--window-only") == 0;
    if (windowOnly) {
        --argc;
        ++argv;
    }
    if (argc != 3) {
        std::fputs("usage: zum-window-run [--window-only] LOG SETTINGS_FILE\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    PrintedDialogs dialogs;
    const QByteArray settings(argv[2]);
    zum::MainWindow window(dialogs, std::filesystem::path(settings.constData()));
    window.show();
    QApplication::processEvents();
    if (!window.OpenLog(QFile::decodeName(argv[1]))) {
        return 1;
    }

    if (!windowOnly) {
        const QTemporaryDir scratch;
        const std::filesystem::path log(argv[1]);
        const std::filesystem::path stem =
            std::filesystem::path(scratch.path().toStdString()) / log.filename();
        zum::ConversionState state;
        const Stopwatch stopwatch;
        const zum::RunResult result =
            zum::ConvertLog({log, stem}, zum::FixedSettings(window.CurrentSettings()), state);
        stopwatch.Print("core");
        if (result.status != zum::RunStatus::Done) {
            std::fprintf(stderr, "zum-window-run: %s\n", result.message.c_str());
            return 1;
        }
    }

    const Stopwatch stopwatch;
    window.mnuConvert_Click();
    stopwatch.Print("window");
    const QString status = window.findChild<QLineEdit*>(QStringLiteral("txtStatus"))->text();
    if (status != QLatin1String("DONE")) {
        std::fprintf(stderr, "zum-window-run: the status box says %s\n", qPrintable(status));
        return 1;
    }
    return 0;
}
