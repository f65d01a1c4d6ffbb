#include "window_fixture.hpp"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

// The system's font configuration library keeps a few allocations made when
// Qt first lays out text until the process ends; they are not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace zum::testing {

namespace {

void EnsureApplication() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "zum_window_tests";
        static char* argv[] = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        QApplication::setApplicationName(QStringLiteral("zum-points"));
        QApplication::setApplicationDisplayName(QStringLiteral("ZUM-POINTS"));
        (void)app;
    }
}

} // namespace

void WindowTest::SetUp() {
    EnsureApplication();
    std::string pattern = (std::filesystem::temp_directory_path() / "zum-window-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    home_ = dir_ / "home";
    std::filesystem::create_directory(home_);
    settingsPath_ = dir_ / "zum-settings.dat";
    if (const char* home = std::getenv("HOME")) {
        hadHome_ = true;
        savedHome_ = home;
    }
    setenv("HOME", home_.c_str(), 1);
}

void WindowTest::TearDown() {
    if (hadHome_) {
        setenv("HOME", savedHome_.c_str(), 1);
    } else {
        unsetenv("HOME");
    }
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir_, ec);
}

std::unique_ptr<MainWindow> WindowTest::Start() {
    auto window = std::make_unique<MainWindow>(dialogs_, settingsPath_);
    window->show();
    return window;
}

QAction* FindAction(const QWidget& window, const char* name, int index) {
    for (QAction* action : window.findChildren<QAction*>(QLatin1String(name))) {
        if (index < 0 || (action->data().isValid() && action->data().toInt() == index)) {
            return action;
        }
    }
    ADD_FAILURE() << "no action " << name << "(" << index << ")";
    return nullptr;
}

void Click(const QWidget& window, const char* name, int index) {
    if (QAction* action = FindAction(window, name, index)) {
        action->trigger();
    }
}

QList<int> CheckedIndices(const QWidget& window, const char* name) {
    QList<int> checked;
    for (QAction* action : window.findChildren<QAction*>(QLatin1String(name))) {
        if (action->isChecked()) {
            checked << action->data().toInt();
        }
    }
    std::sort(checked.begin(), checked.end());
    return checked;
}

bool Checked(const QWidget& window, const char* name) {
    QAction* action = FindAction(window, name);
    return action != nullptr && action->isChecked();
}

QString StatusText(const QWidget& window) {
    auto* status = window.findChild<QLineEdit*>(QStringLiteral("txtStatus"));
    return status != nullptr ? status->text() : QString();
}

QWidget* OpenWindow(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->objectName() == QLatin1String(name)) {
            return widget;
        }
    }
    ADD_FAILURE() << "no open window " << name;
    return nullptr;
}

QStringList OpenWindowNames() {
    QStringList names;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && !widget->objectName().isEmpty()) {
            names << widget->objectName();
        }
    }
    names.sort();
    return names;
}

void WriteSettingsLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::string text = "ZUM_point and ZUM_logger configuration file 2.0.2\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    WriteWhole(path, text);
}

std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWhole(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

} // namespace zum::testing
