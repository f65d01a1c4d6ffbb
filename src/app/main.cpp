// zum-points: the window program.
#include "settings/configuration.hpp"
#include "ui/window/main_window.hpp"
#include "settings/settings_file.hpp"
#include "platform/dialogs.hpp"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zum-points"));
    QApplication::setApplicationDisplayName(QStringLiteral("ZUM-POINTS"));
    QApplication::setApplicationVersion(QString::fromLatin1(zum::kProgramVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Turns an NMEA 0183 GPS log into five Street-Atlas draw files."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption settingsOption(
        QStringList{QStringLiteral("settings")},
        QStringLiteral("Read and save the settings in FILE instead of the default settings file."),
        QStringLiteral("FILE"));
    parser.addOption(settingsOption);
    parser.process(app);

    std::filesystem::path settingsPath = zum::DefaultSettingsPath();
    if (parser.isSet(settingsOption)) {
        const QByteArray file = QFile::encodeName(parser.value(settingsOption));
        settingsPath = std::filesystem::path(std::string(file.constData(), file.size()));
    }

    zum::QtDialogs dialogs;
    zum::MainWindow window(dialogs, settingsPath);
    dialogs.SetParent(&window);
    window.show();
    return QApplication::exec();
}
