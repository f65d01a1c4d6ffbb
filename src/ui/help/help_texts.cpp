#include "ui/help/help_texts.hpp"

#include <QChar>

namespace zum {

namespace {

// Where the notice box's copyright sign goes (the 11th character).
constexpr int kCopyrightSignIndex = 10;
constexpr char16_t kCopyrightSign = u'\u00A9';

QString WithPeriod(const QString& line) {
    return line + QLatin1Char('.');
}

} // namespace

QString CopyrightLine() {
    return QStringLiteral("Copyright ") + QChar(kCopyrightSign) +
           QStringLiteral(" 2006 the ZUM-POINTS authors");
}

QString CopyrightNoticeTemplate() {
    // The notice box is created with a plain "c" where the sign belongs;
    // start-up puts the sign in, so the box then reads as CopyrightLine().
    QString notice = CopyrightLine();
    notice[kCopyrightSignIndex] = QLatin1Char('c');
    return notice;
}

QString AboutMessage(const Configuration& config) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("GPS NMEA to Draw file converter.") + crlf + crlf + CopyrightLine() +
           crlf + crlf + QStringLiteral("Version ") +
           QString::fromStdString(config.ProgramVersion) + QStringLiteral("  Compiled ") +
           QString::fromStdString(config.CompiledDate);
}

QStringList DescriptionLines() {
    return {
        QStringLiteral(" "),
        QStringLiteral("   This program reads NMEA GPS data from a file, formats, and"),
        QStringLiteral("    writes some of the data into text files that can be imported"),
        QStringLiteral("    into a Delorme Street Atlas Program to create draw files which"),
        QStringLiteral("    can be displayed on the Street Atlas' map."),
        QStringLiteral(" "),
        QStringLiteral("  The files created have file names that contain the name of the"),
        QStringLiteral("    NMEA file with the following text added to the end of it."),
        QStringLiteral(" "),
        QStringLiteral(" _draw.txt, _2d.txt, _sat.txt, _speed.txt, _time.txt"),
        QStringLiteral(" "),
        QStringLiteral("WHERE"),
        QStringLiteral(" "),
        QStringLiteral("   _draw.txt = The Track draw file.  This shows where you went."),
        QStringLiteral(" "),
        QStringLiteral("   _2d.txt = Waypoints to show where the track was not 3 D"),
        QStringLiteral(" "),
        QStringLiteral("THE FOLLOWING WILL BE AFFECTED BY THE INTERVAL SELECTION"),
        QStringLiteral("          UNDER THE SETUP/WAY POINTS MENU"),
        QStringLiteral(" "),
        QStringLiteral("  _sat.txt   = Waypoints showing the number of active satellites."),
        QStringLiteral(" "),
        QStringLiteral("  _speed.txt = Waypoints showing the speed in Miles per Hour."),
        QStringLiteral(" "),
        QStringLiteral("  _time.txt  = Waypoints showing the time in hours:minutes."),
        QStringLiteral(" "),
        QStringLiteral(" "),
        QStringLiteral(" "),
        WithPeriod(CopyrightLine()),
    };
}

QStringList FileSampleLines() {
    return {
        QStringLiteral(" This program reads in a NMEA TEXT file and"),
        QStringLiteral(" outputs several text files that Delorme programs can import."),
        QStringLiteral(" "),
        QStringLiteral("    Small samples follow."),
        QStringLiteral(" "),
        QStringLiteral("         NMEA text."),
        QStringLiteral("$GPGSA,A,3,05,06,07,10,15,16,18,21,26,29,,,2.3,1.3,1.8*3B"),
        QStringLiteral("$GPRMC,190334,A,3930.8708,N,11951.5388,W,0.0,216.7,110306,15.2,E,D*34"),
        QStringLiteral(" "),
        QStringLiteral("        draw text file"),
        QStringLiteral(" "),
        QStringLiteral(" "),
        QStringLiteral("BEGIN LINE"),
        QStringLiteral("39.51451,-119.85898"),
        QStringLiteral("39.51449,-119.85899"),
        QStringLiteral("39.50909,-119.90322"),
        QStringLiteral("END"),
        QStringLiteral(" "),
        QStringLiteral("        waypoint text file (time)"),
        QStringLiteral(" "),
        QStringLiteral("BEGIN SYMBOL"),
        QStringLiteral("39.51451,-119.85898,12:03,Arrow Down Left"),
        QStringLiteral("39.51220,-119.86263,12:11,Arrow Down Left"),
        QStringLiteral("END"),
        QStringLiteral(" "),
        QStringLiteral(" "),
        QStringLiteral(" "),
        WithPeriod(CopyrightLine()),
    };
}

QStringList SpecialPurposeLines() {
    return {
        QStringLiteral(" Settings, Special Purpose"),
        QStringLiteral(" "),
        QStringLiteral(" ----------- Data reduction for 9600 baud -----------"),
        QStringLiteral(" This option was for a special project and most people would leave this "
                       "option"),
        QStringLiteral(" unchecked."),
        QStringLiteral(" "),
        QStringLiteral(
            " Normally a navisky (NSA) GPS unit returns it's data at 9600 baud with one"),
        QStringLiteral(" data packet per second.  If this option is checked, only the even second "
                       "data"),
        QStringLiteral(" packets will be recorded by default when the logger program is executed."),
        QStringLiteral(" "),
        QStringLiteral(" This will match up with the data rate of a Garmin GPS which sends it's "
                       "data"),
        QStringLiteral(" at 4800 baud with one data packet every two seconds."),
        QStringLiteral(" "),
        QStringLiteral(" ----------- Enable sound for 4800 baud -----------"),
        QStringLiteral(" If this options is checked and if the 9.wav and 12.wav files are in the "
                       "same"),
        QStringLiteral(" directory as the ZUM-Logger.exe file and if the program is receiving data "
                       "from"),
        QStringLiteral(" a 4800 baud GPS unit (like the GARMIN ETrak units) then the morse code "
                       "letter R"),
        QStringLiteral(
            " will be sounded over the sound system of the computer once a minute.  This "
            "can"),
        QStringLiteral(
            " be used to give the driver an indication that the program is still running"),
        QStringLiteral(" should the computer be located in the back of the car."),
        QStringLiteral(" "),
        QStringLiteral(" In some states, the driver is not permitted to have a computer screen in "
                       "the"),
        QStringLiteral(" driver's view."),
        QStringLiteral(" "),
        QStringLiteral(" ----------- Enable sound for 9600 baud -----------"),
        QStringLiteral(" This option is the same as the above except it applies to 9600 baud GPS "
                       "devices"),
        QStringLiteral(" rather than 4800 baud devices."),
        QStringLiteral(" "),
        QStringLiteral(" "),
    };
}

} // namespace zum
