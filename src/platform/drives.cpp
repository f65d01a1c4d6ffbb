#include "platform/drives.hpp"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

namespace zum {

namespace {

// File systems that hold no user data: kernel interfaces, memory file
// systems, container layers and package images.
bool IsSystemFileSystem(const QByteArray& type) {
    static const QSet<QByteArray> kSystemTypes = {
        "autofs",     "binfmt_misc", "bpf",         "cgroup",         "cgroup2", "configfs",
        "debugfs",    "devpts",      "devtmpfs",    "efivarfs",       "fusectl", "hugetlbfs",
        "mqueue",     "nsfs",        "overlay",     "proc",           "pstore",  "ramfs",
        "rpc_pipefs", "securityfs",  "selinuxfs",   "squashfs",       "sysfs",   "tmpfs",
        "tracefs",    "nfsd",        "fuse.portal", "fuse.gvfsd-fuse"};
    return kSystemTypes.contains(type);
}

bool IsInside(const QString& path, const QString& folder) {
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix);
}

Qt::CaseSensitivity PathCase() {
#ifdef Q_OS_WIN
    return Qt::CaseInsensitive;
#else
    return Qt::CaseSensitive;
#endif
}

} // namespace

bool IsUserVisibleVolume(const VolumeInfo& volume, const QString& homePath) {
    if (volume.rootPath == QLatin1String("/")) {
        return true;
    }
    if (!volume.valid || !volume.ready || IsSystemFileSystem(volume.fileSystemType)) {
        return false;
    }
    const QString& root = volume.rootPath;
    return IsInside(root, QStringLiteral("/media")) ||
           IsInside(root, QStringLiteral("/run/media")) || IsInside(root, QStringLiteral("/mnt")) ||
           (!homePath.isEmpty() && homePath != QLatin1String("/") &&
            (root == homePath || IsInside(root, homePath)));
}

QStringList ListDrives() {
    QStringList drives;
#ifdef Q_OS_WIN
    for (const QFileInfo& drive : QDir::drives()) {
        drives.append(drive.absoluteFilePath());
    }
#else
    drives.append(QStringLiteral("/"));
    const QString home = QDir::cleanPath(QDir::homePath());
    QStringList others;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const VolumeInfo volume{QDir::cleanPath(storage.rootPath()), storage.fileSystemType(),
                                storage.isValid(), storage.isReady()};
        if (volume.rootPath != QLatin1String("/") && IsUserVisibleVolume(volume, home) &&
            !others.contains(volume.rootPath)) {
            others.append(volume.rootPath);
        }
    }
    others.sort();
    drives.append(others);
#endif
    return drives;
}

QString DriveOfPath(const QString& path, const QStringList& drives) {
    QString best;
    for (const QString& drive : drives) {
        const bool holds =
            path.compare(drive, PathCase()) == 0 ||
            (drive.endsWith(QLatin1Char('/')) && path.startsWith(drive, PathCase())) ||
            path.startsWith(drive + QLatin1Char('/'), PathCase());
        if (holds && drive.size() > best.size()) {
            best = drive;
        }
    }
    return best;
}

QString DriveDisplayName(const QString& drive) {
#ifdef Q_OS_WIN
    QString name = drive.toLower();
    if (name.endsWith(QLatin1Char('/'))) {
        name.chop(1);
    }
    return name;
#else
    return drive;
#endif
}

bool DriveIsReady(const QString& drive) {
    const QFileInfo root(drive);
    if (!root.isDir() || !root.isReadable()) {
        return false;
    }
    const QStorageInfo storage(drive);
    return storage.isValid() && storage.isReady();
}

} // namespace zum
