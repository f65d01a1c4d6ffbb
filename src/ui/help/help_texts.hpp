#pragma once

#include "settings/configuration.hpp"

#include <QString>
#include <QStringList>

namespace zum {

// The copyright line: the same text in the About message and the status box.
QString CopyrightLine();
// The notice box's text as created, with a placeholder at its 11th character
// that start-up replaces by the copyright sign.
QString CopyrightNoticeTemplate();
// The About message, lines separated by "\r\n".
QString AboutMessage(const Configuration& config);

QStringList DescriptionLines();    // the "Description" help window
QStringList FileSampleLines();     // the "File Samples" help window
QStringList SpecialPurposeLines(); // the special purpose descriptions window

} // namespace zum
