// zum-points: the window program.
#include "platform/dialogs.hpp"
#include "settings/configuration.hpp"
#include "settings/settings_file.hpp"
#include "ui/window/main_window.hpp"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QStringList>
#include <cstdio>
#include <cstring>

namespace {

bool AsksForHelpOrVersion(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication::setApplicationName(QStringLiteral("zum-points"));
    QApplication::setApplicationVersion(QString::fromLatin1(zum::kProgramVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Turns an NMEA 0183 GPS log into five Street-Atlas draw files."));
    parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption settingsOption(
        QStringList{QStringLiteral("settings")},
        QStringLiteral("Read and save the settings in FILE instead of the default settings file."),
        QStringLiteral("FILE"));
    parser.addOption(settingsOption);
    parser.addPositionalArgument(
        QStringLiteral("LOG"),
        QStringLiteral("The NMEA log to select at start, as if picked in the file panel."),
        QStringLiteral("[LOG]"));

    // Help and version need no display: they are answered before the
    // application object connects to one.
    if (AsksForHelpOrVersion(argc, argv)) {
        QStringList arguments;
        for (int i = 0; i < argc; ++i) {
            arguments << QString::fromLocal8Bit(argv[i]);
        }
        if (!parser.parse(arguments)) {
            std::fprintf(stderr, "zum-points: %s\n", qPrintable(parser.errorText()));
            return 2;
        }
        if (parser.isSet(versionOption)) {
            std::printf("zum-points %s\n", zum::kProgramVersion);
        } else {
            // Without an application object Qt cannot name the program itself.
            QString help = parser.helpText();
            help.replace(QStringLiteral("<executable_name>"), QStringLiteral("zum-points"));
            std::fputs(qPrintable(help), stdout);
        }
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("ZUM-POINTS"));
    QGuiApplication::setDesktopFileName(QStringLiteral("zum-points"));
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        parser.showHelp(2);
    }

    std::filesystem::path settingsPath = zum::DefaultSettingsPath();
    if (parser.isSet(settingsOption)) {
        const QByteArray file = QFile::encodeName(parser.value(settingsOption));
        settingsPath = std::filesystem::path(std::string(file.constData(), file.size()));
    }

    zum::QtDialogs dialogs;
    zum::MainWindow window(dialogs, settingsPath);
    dialogs.SetParent(&window);
    if (!parser.positionalArguments().isEmpty()) {
        window.OpenLog(parser.positionalArguments().front());
    }
    window.show();
    return QApplication::exec();
}
