#include "ui/files/drive_list.hpp"

#include "platform/drives.hpp"

#include <QSignalBlocker>
#include <utility>

namespace zum {

DriveList::DriveList(QWidget* parent) : QComboBox(parent), lister_(&ListDrives) {
    setObjectName(QStringLiteral("Drive1"));
    setAccessibleName(tr("Drives"));
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this](int) {
        if (Drive() != shown_) {
            emit driveChosen();
        }
    });
}

void DriveList::SetLister(std::function<QStringList()> lister) {
    lister_ = std::move(lister);
    Refresh();
}

void DriveList::Refresh() {
    Fill(lister_());
}

QString DriveList::Drive() const {
    return currentData().toString();
}

QStringList DriveList::Drives() const {
    QStringList drives;
    for (int i = 0; i < count(); ++i) {
        drives.append(itemData(i).toString());
    }
    return drives;
}

void DriveList::ShowDrive(const QString& drive) {
    const QSignalBlocker blocker(this);
    int index = findData(drive);
    if (index < 0 && !drive.isEmpty()) {
        addItem(DriveDisplayName(drive), drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
    shown_ = drive;
}

void DriveList::showPopup() {
    // Media come and go; list what is mounted at the moment the user looks.
    Refresh();
    QComboBox::showPopup();
}

void DriveList::Fill(const QStringList& drives) {
    const QSignalBlocker blocker(this);
    clear();
    for (const QString& drive : drives) {
        addItem(DriveDisplayName(drive), drive);
    }
    ShowDrive(shown_);
}

} // namespace zum
