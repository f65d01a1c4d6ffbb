#pragma once

#include "settings/configuration.hpp"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QEvent;
class QWidget;

namespace zum {

class Dialogs;
class TrackPicture;

// The drive / folder / file panel of the main window and the picture that
// takes its place while it is closed. Its controls (Drive1, Dir1, File1,
// cmdCancel, cmdCancel2, cmdDone, cmdNewFolder, Picture1) are children of the
// window's client area at their design positions. It owns NmeaFileName and
// keeps config.DataFilePath following the folder list.
class FilePanel : public QObject {
    Q_OBJECT
public:
    enum class Mode { Closed, File, Folder };

    FilePanel(QWidget* clientArea, Configuration& config, Dialogs& dialogs,
              std::function<void(const QString&)> showStatus, QObject* parent = nullptr);
    ~FilePanel() override;

    // Start-up: places the lists at config.DataFilePath, falling back to
    // DefaultDataFolder() when it cannot be shown, and closes the panel.
    void PlaceAtDataFolder();

    void mnuOpen_Click();         // file mode
    void mnuDataFilePath_Click(); // folder mode

    // Selects the log at `path` (a file of any name) as picking it in the
    // file list does: the folder list opens its folder, which becomes the data
    // folder, NmeaFileName takes its name, the panel closes and the status box
    // shows the name. False, with the status box saying why, when its folder
    // cannot be opened.
    bool SelectLog(const QString& path);

    [[nodiscard]] Mode CurrentMode() const;
    [[nodiscard]] TrackPicture& Picture() const;
    [[nodiscard]] const QString& NmeaFileName() const;

    // The panel's controls in the window's tab order: Dir1, File1, Drive1,
    // cmdNewFolder, cmdCancel, cmdDone, cmdCancel2, Picture1.
    [[nodiscard]] QList<QWidget*> TabOrder() const;

    // The panel's event handlers; the widgets call them, and so may tests.
    void Drive1_Change();      // the drive list's drive changed
    void Dir1_Change();        // the folder list's open folder changed
    void File1_Click();        // a file was chosen in the file list
    void cmdCancel_Click();    // "CANCEL" of file mode
    void cmdCancel2_Click();   // "CANCEL" of folder mode
    void cmdDone_Click();      // "DONE"
    void cmdNewFolder_Click(); // "New Folder"

    // Replaces where the drive list takes its drives from (ListDrives()).
    void SetDriveLister(std::function<QStringList()> lister);

protected:
    // Enter presses "DONE" while it is the default button and shown; a main
    // window, unlike a dialog, does not do that by itself.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Opens a folder in the folder list and runs the folder change; on failure
    // the lists stay and the status box says so.
    bool OpenFolder(const QString& folder);
    // Selects a drive and moves the folder list to its current folder; on
    // failure the drive list goes back and the status box says so.
    bool ChangeDrive(const QString& drive);
    void RestoreSnapshot();

    struct Impl;
    Impl* d_;
};

} // namespace zum
