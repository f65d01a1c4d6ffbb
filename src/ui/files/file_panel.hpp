#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "config/configuration.hpp"

class QWidget;

namespace zum {

class Dialogs;

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

    [[nodiscard]] Mode CurrentMode() const;
    [[nodiscard]] const QString& NmeaFileName() const;

    // The panel's controls in the window's tab order: Dir1, File1, Drive1,
    // cmdNewFolder, cmdCancel, cmdDone, cmdCancel2, Picture1.
    [[nodiscard]] QList<QWidget*> TabOrder() const;

private:
    struct Impl;
    Impl* d_;
};

} // namespace zum
