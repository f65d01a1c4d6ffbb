#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zum {

// A drive is named by its root folder in Qt's form: "/" and the mount points
// of the volumes a user would see on systems without drive letters ("/",
// "/media/stick"), "C:/" and the like on Windows.

// What the drive listing needs to know of one mounted volume.
struct VolumeInfo {
    QString rootPath;
    QByteArray fileSystemType;
    bool valid = false;
    bool ready = false;
};

// Whether a mounted volume is one a user would recognise as a drive: the root
// folder, and real, ready file systems mounted for the user (removable media
// under /media, /run/media or /mnt, or volumes inside the home folder).
// Kernel and memory file systems and the system's own mounts are left out.
[[nodiscard]] bool IsUserVisibleVolume(const VolumeInfo& volume, const QString& homePath);

// The drives of this machine, the root first.
[[nodiscard]] QStringList ListDrives();

// The drive of `drives` that holds `path` (an absolute, clean path): the one
// whose root is the longest leading part of it. Empty when none does.
[[nodiscard]] QString DriveOfPath(const QString& path, const QStringList& drives);

// How the drive list shows a drive: "c:" on Windows, the root folder elsewhere.
[[nodiscard]] QString DriveDisplayName(const QString& drive);

// Whether a drive can be read now: mounted, ready and its root a folder.
[[nodiscard]] bool DriveIsReady(const QString& drive);

} // namespace zum
