#include "ui/files/file_panel.hpp"

#include <QWidget>

namespace zum {

struct FilePanel::Impl {
    Configuration& config;
    Dialogs& dialogs;
    std::function<void(const QString&)> showStatus;
    QString nmeaFileName;
    Mode mode = Mode::Closed;
};

FilePanel::FilePanel(QWidget* /*clientArea*/, Configuration& config, Dialogs& dialogs,
                     std::function<void(const QString&)> showStatus, QObject* parent)
    : QObject(parent), d_(new Impl{config, dialogs, std::move(showStatus), {}, Mode::Closed}) {}

FilePanel::~FilePanel() {
    delete d_;
}

void FilePanel::PlaceAtDataFolder() {}
void FilePanel::mnuOpen_Click() {}
void FilePanel::mnuDataFilePath_Click() {}
FilePanel::Mode FilePanel::CurrentMode() const {
    return d_->mode;
}
const QString& FilePanel::NmeaFileName() const {
    return d_->nmeaFileName;
}
QList<QWidget*> FilePanel::TabOrder() const {
    return {};
}

} // namespace zum
