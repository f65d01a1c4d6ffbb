#pragma once

#include <QComboBox>
#include <QStringList>
#include <functional>

namespace zum {

// The drive list (Drive1): one entry per drive, named by its root folder.
// Choosing an entry, with the mouse or the keyboard, emits driveChosen; the
// panel then moves the folder list, or puts the list back with ShowDrive when
// the drive cannot be read.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent);

    // Where the drives come from; ListDrives() unless replaced.
    void SetLister(std::function<QStringList()> lister);
    // Lists the drives anew, keeping the drive shown.
    void Refresh();

    [[nodiscard]] QString Drive() const; // the drive now selected in the list
    [[nodiscard]] QStringList Drives() const;
    // Selects `drive` without emitting driveChosen (added to the list if
    // missing, so the list can always show where the folder list is).
    void ShowDrive(const QString& drive);

signals:
    void driveChosen();

protected:
    void showPopup() override;

private:
    void Fill(const QStringList& drives);

    std::function<QStringList()> lister_;
    QString shown_;
};

} // namespace zum
