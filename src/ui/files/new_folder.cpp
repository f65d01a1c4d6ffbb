#include "ui/files/new_folder.hpp"

#include <QDir>

namespace zum {

bool IsAcceptableFolderName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && !name.contains(QLatin1String("..")) &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QChar(u'\0'));
}

bool CreateFolderIn(const QString& folder, const QString& name) {
    if (folder.isEmpty() || !IsAcceptableFolderName(name)) {
        return false;
    }
    // mkdir, not mkpath: one level only, and an existing folder is a failure.
    return QDir().mkdir(QDir::fromNativeSeparators(folder) + QLatin1Char('/') + name);
}

} // namespace zum
