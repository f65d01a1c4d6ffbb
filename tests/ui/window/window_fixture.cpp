#include "window_fixture.hpp"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <fstream>
#include <sstream>

namespace zum::testing {

void WindowTest::SetUp() {
    ASSERT_TRUE(tmp_.isValid());
    dir_ = tmp_.path().toStdString();
    std::filesystem::create_directory(home_ = dir_ / "home");
    settingsPath_ = dir_ / "zum-settings.dat";
    qputenv("HOME", QByteArray(home_.c_str()));
    // Our own settings file lives in the default folder; keep it in the test's.
    std::filesystem::create_directory(configHome_ = dir_ / "config");
    qputenv("XDG_CONFIG_HOME", QByteArray(configHome_.c_str()));
}

void Click(const QWidget& window, const char* name, int index) {
    for (QAction* action : window.findChildren<QAction*>(QLatin1String(name))) {
        if (index < 0 || (action->data().isValid() && action->data().toInt() == index)) {
            action->trigger();
            // "Create Files" starts its run from the event queue.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
            return;
        }
    }
    ADD_FAILURE() << "no action " << name << "(" << index << ")";
}

std::string Marks(const QWidget& window) {
    QStringList marks;
    for (const char* array :
         {"mnuTimeZone", "mnuDistanceUnits", "mnuIntervals", "mnuCOMspeedIndex"}) {
        QStringList checked;
        for (QAction* action : window.findChildren<QAction*>(QLatin1String(array))) {
            if (action->isChecked()) {
                checked << action->data().toString();
            }
        }
        marks << (checked.isEmpty() ? "-" : checked.join(','));
    }
    marks << QString();
    for (const char* option : {"mnuAtStops", "mnuIntervalOnly", " ", "mnuDataReduction9600",
                               "mnuEnableSound4800", "mnuEnableSound9600", "mnuEnableSound19200"}) {
        auto* action = window.findChild<QAction*>(QLatin1String(option));
        marks.back() += *option == ' ' ? " " : action != nullptr && action->isChecked() ? "1" : "0";
    }
    return marks.join(' ').toStdString();
}

QString StatusText(const QWidget& window) {
    return window.findChild<QLineEdit*>(QStringLiteral("txtStatus"))->text();
}

std::string ReadWhole(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

void WriteWhole(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string SettingsText(const std::string& lines) {
    const QString text =
        "ZUM_point and ZUM_logger configuration file 2.0.2|" + QString::fromStdString(lines) + "|";
    return QString(text).replace('|', QStringLiteral("\r\n")).toStdString();
}

} // namespace zum::testing
