#include "ui/files/file_panel.hpp"

#include "platform/dialogs.hpp"
#include "platform/drives.hpp"
#include "platform/twips.hpp"
#include "ui/files/drive_list.hpp"
#include "ui/files/file_list.hpp"
#include "ui/files/folder_list.hpp"
#include "ui/files/new_folder.hpp"
#include "ui/files/track_picture.hpp"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>
#include <utility>

namespace zum {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* objectName, const QString& caption,
                        const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAccessibleName(caption);
    button->setGeometry(geometry);
    return button;
}

void SetBold(QWidget* widget, qreal pointSize) {
    QFont font = widget->font();
    font.setBold(true);
    font.setPointSizeF(pointSize);
    widget->setFont(font);
}

QString NativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

struct FilePanel::Impl {
    // What the panel looked like when it was opened; the two "CANCEL" buttons
    // put it back.
    struct Snapshot {
        QString SavedDrive;
        QString SavedDirPath;
        QString SavedFilePath;
        QString SavedDataFilePath;
        QString SavedNmeaFileName;
    };

    Impl(QWidget* area, Configuration& cfg, Dialogs& dlg,
         std::function<void(const QString&)> status)
        : clientArea(area), config(cfg), dialogs(dlg), showStatus(std::move(status)) {}

    QWidget* clientArea;
    Configuration& config;
    Dialogs& dialogs;
    std::function<void(const QString&)> showStatus;

    DriveList* drive1 = nullptr;
    FolderList* dir1 = nullptr;
    FileList* file1 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdCancel2 = nullptr;
    QPushButton* cmdDone = nullptr;
    QPushButton* cmdNewFolder = nullptr;
    TrackPicture* picture1 = nullptr;

    QString nmeaFileName;
    QString newFolderName;
    Snapshot snapshot;
    // The folder last open on each drive: what a drive change moves to.
    QHash<QString, QString> currentFolderOfDrive;

    void Status(const QString& text) const {
        if (showStatus) {
            showStatus(text);
        }
    }

    // DataFilePath holds the folder in the file system's own encoding, as the
    // conversion opens it; the panel works with it as text.
    [[nodiscard]] QString DataFilePath() const {
        return QFile::decodeName(QByteArray::fromStdString(config.DataFilePath));
    }
    void SetDataFilePathText(const QString& text) const {
        config.DataFilePath = QFile::encodeName(text).toStdString();
    }
    void SetDataFilePath(const QString& path) const { SetDataFilePathText(NativePath(path)); }

    // Shows the picture and hides every control of the panel.
    void Close() const {
        picture1->show();
        for (QWidget* widget : {static_cast<QWidget*>(drive1), static_cast<QWidget*>(dir1),
                                static_cast<QWidget*>(file1), static_cast<QWidget*>(cmdCancel),
                                static_cast<QWidget*>(cmdCancel2), static_cast<QWidget*>(cmdDone),
                                static_cast<QWidget*>(cmdNewFolder)}) {
            widget->hide();
        }
    }

    void TakeSnapshot() {
        snapshot.SavedNmeaFileName = nmeaFileName;
        snapshot.SavedDrive = drive1->Drive();
        snapshot.SavedDirPath = dir1->Path();
        snapshot.SavedFilePath = file1->Path();
        snapshot.SavedDataFilePath = DataFilePath();
    }

    // The lists show what is on disk now: media may have come or gone and
    // files may have been written since the panel was last open.
    void RefreshLists() {
        drive1->Refresh();
        if (!dir1->Refresh()) {
            Status(QStringLiteral("Unable to open folder: ") + NativePath(dir1->Path()));
        }
        file1->Refresh();
        file1->Highlight(nmeaFileName);
    }

    QString CurrentFolderOf(const QString& drive) const {
        const QString remembered = currentFolderOfDrive.value(drive);
        if (IsOpenableFolder(remembered)) {
            return remembered;
        }
        const QString working = CleanFolderPath(QDir::currentPath());
        if (DriveOfPath(working, drive1->Drives()) == drive && IsOpenableFolder(working)) {
            return working;
        }
        return drive;
    }
};

FilePanel::FilePanel(QWidget* clientArea, Configuration& config, Dialogs& dialogs,
                     std::function<void(const QString&)> showStatus, QObject* parent)
    : QObject(parent), d_(new Impl(clientArea, config, dialogs, std::move(showStatus))) {
    QWidget* area = clientArea;
    d_->drive1 = new DriveList(area);
    d_->drive1->setGeometry(TwipsRect(120, 600, 2775, 315, area));
    d_->dir1 = new FolderList(area);
    d_->dir1->setGeometry(TwipsRect(120, 960, 2775, 3915, area));
    d_->file1 = new FileList(area);
    d_->file1->setGeometry(TwipsRect(3000, 960, 4095, 3990, area));
    d_->cmdCancel = MakeButton(area, "cmdCancel", QStringLiteral("CANCEL"),
                               TwipsRect(3000, 480, 1095, 375, area));
    d_->cmdCancel2 = MakeButton(area, "cmdCancel2", QStringLiteral("CANCEL"),
                                TwipsRect(3360, 600, 1095, 375, area));
    d_->cmdDone =
        MakeButton(area, "cmdDone", QStringLiteral("DONE"), TwipsRect(3360, 1200, 1575, 615, area));
    SetBold(d_->cmdDone, 12.0);
    d_->cmdNewFolder = MakeButton(area, "cmdNewFolder", QStringLiteral("New Folder"),
                                  TwipsRect(3360, 2040, 1575, 615, area));
    SetBold(d_->cmdNewFolder, 9.75);
    // The picture covers the panel's whole place: from the drive list's top
    // left to the file list's bottom right.
    d_->picture1 = new TrackPicture(area);
    d_->picture1->setGeometry(TwipsRect(120, 480, 6975, 4470, area));

    const QList<QWidget*> order = TabOrder();
    for (qsizetype i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }

    connect(d_->drive1, &DriveList::driveChosen, this, &FilePanel::Drive1_Change);
    connect(d_->dir1, &FolderList::openRequested, this, [this](const QString& path) {
        if (CleanFolderPath(path) == d_->dir1->Path()) {
            // Opening the open folder again just lists it anew.
            d_->dir1->Refresh();
            d_->file1->Refresh();
            return;
        }
        OpenFolder(path);
    });
    connect(d_->file1, &FileList::picked, this, &FilePanel::File1_Click);
    connect(d_->cmdCancel, &QPushButton::clicked, this, &FilePanel::cmdCancel_Click);
    connect(d_->cmdCancel2, &QPushButton::clicked, this, &FilePanel::cmdCancel2_Click);
    connect(d_->cmdDone, &QPushButton::clicked, this, &FilePanel::cmdDone_Click);
    connect(d_->cmdNewFolder, &QPushButton::clicked, this, &FilePanel::cmdNewFolder_Click);
    clientArea->installEventFilter(this);

    d_->drive1->Refresh();
    d_->Close();
}

FilePanel::~FilePanel() {
    delete d_;
}

void FilePanel::SetDriveLister(std::function<QStringList()> lister) {
    d_->drive1->SetLister(std::move(lister));
}

// Start-up selects the drive that holds the stored folder directly, without
// running the drive change: that would move the folder list to the drive's
// current folder first and lose a stored folder on another drive. Opening the
// folder then runs the folder change just as a user's choice does, so the
// file list follows, DataFilePath takes the list's form of the path and the
// status box shows it (the window writes its opening text afterwards).
void FilePanel::PlaceAtDataFolder() {
    d_->drive1->Refresh();
    const auto placeAt = [this](const QString& folder) {
        if (folder.isEmpty()) {
            return false;
        }
        const QString path = CleanFolderPath(QDir::fromNativeSeparators(folder));
        if (!IsOpenableFolder(path)) {
            return false;
        }
        d_->drive1->ShowDrive(DriveOfPath(path, d_->drive1->Drives()));
        if (path == d_->dir1->Path()) {
            d_->dir1->Refresh();
            Dir1_Change();
            return true;
        }
        return OpenFolder(path);
    };
    if (!placeAt(d_->DataFilePath())) {
        d_->config.DataFilePath = DefaultDataFolder();
        if (!placeAt(d_->DataFilePath())) {
            // Not even the home folder can be shown: the root always can.
            d_->SetDataFilePath(QDir::rootPath());
            placeAt(QDir::rootPath());
        }
    }
    d_->Close();
    d_->cmdDone->setDefault(true);
}

bool FilePanel::OpenFolder(const QString& folder) {
    const QString path = CleanFolderPath(QDir::fromNativeSeparators(folder));
    if (path == d_->dir1->Path()) {
        return true;
    }
    if (!d_->dir1->Open(path)) {
        d_->Status(QStringLiteral("Unable to open folder: ") + NativePath(path));
        return false;
    }
    // The drive list always names the drive that holds the open folder; moving
    // up out of a mounted volume moves the drive list with it.
    const QString drive = DriveOfPath(path, d_->drive1->Drives());
    d_->drive1->ShowDrive(drive);
    d_->currentFolderOfDrive.insert(drive, path);
    Dir1_Change();
    return true;
}

bool FilePanel::ChangeDrive(const QString& drive) {
    const QString before = DriveOfPath(d_->dir1->Path(), d_->drive1->Drives());
    if (drive == before && !before.isEmpty()) {
        d_->drive1->ShowDrive(drive);
        return true;
    }
    d_->drive1->ShowDrive(drive);
    if (!DriveIsReady(drive) || !OpenFolder(d_->CurrentFolderOf(drive))) {
        d_->drive1->ShowDrive(before);
        d_->Status(QStringLiteral("Drive ") + DriveDisplayName(drive) +
                   QStringLiteral(" is not ready."));
        return false;
    }
    return true;
}

void FilePanel::Drive1_Change() {
    ChangeDrive(d_->drive1->Drive());
}

void FilePanel::Dir1_Change() {
    d_->file1->SetPath(d_->dir1->Path());
    d_->SetDataFilePath(d_->dir1->Path());
    d_->Status(d_->DataFilePath());
}

void FilePanel::mnuOpen_Click() {
    if (!d_->cmdDone->isHidden()) {
        return; // folder mode is open
    }
    d_->picture1->hide();
    d_->drive1->show();
    d_->dir1->show();
    d_->file1->show();
    d_->cmdCancel->show();
    d_->RefreshLists();
    d_->TakeSnapshot();
    d_->cmdDone->setDefault(true);
}

void FilePanel::mnuDataFilePath_Click() {
    if (!d_->drive1->isHidden()) {
        return; // the panel is open already, in either mode
    }
    d_->picture1->hide();
    d_->drive1->show();
    d_->dir1->show();
    d_->RefreshLists();
    d_->TakeSnapshot();
    d_->cmdDone->show();
    d_->cmdDone->setDefault(true);
    d_->cmdNewFolder->show();
    d_->cmdCancel2->show();
}

void FilePanel::File1_Click() {
    const QString name = d_->file1->SelectedName();
    if (name.isEmpty()) {
        return;
    }
    d_->picture1->show();
    d_->drive1->hide();
    d_->dir1->hide();
    d_->file1->hide();
    d_->cmdCancel->hide();
    d_->nmeaFileName = name;
    d_->Status(d_->nmeaFileName);
}

bool FilePanel::SelectLog(const QString& path) {
    const QFileInfo log(path);
    if (!OpenFolder(log.absolutePath())) {
        return false;
    }
    d_->Close();
    d_->nmeaFileName = log.fileName();
    d_->Status(d_->nmeaFileName);
    return true;
}

TrackPicture& FilePanel::Picture() const {
    return *d_->picture1;
}

void FilePanel::cmdCancel_Click() {
    RestoreSnapshot();
}

void FilePanel::cmdCancel2_Click() {
    RestoreSnapshot();
}

void FilePanel::RestoreSnapshot() {
    const Impl::Snapshot& saved = d_->snapshot;
    d_->Close();
    d_->nmeaFileName = saved.SavedNmeaFileName;
    bool restored = saved.SavedDrive.isEmpty() || ChangeDrive(saved.SavedDrive);
    QString failure;
    if (!restored) {
        failure = QStringLiteral("Drive ") + DriveDisplayName(saved.SavedDrive) +
                  QStringLiteral(" is not ready.");
    } else if (!saved.SavedDirPath.isEmpty() && !OpenFolder(saved.SavedDirPath)) {
        restored = false;
        failure = QStringLiteral("Unable to open folder: ") + NativePath(saved.SavedDirPath);
    }
    if (restored) {
        d_->file1->SetPath(saved.SavedFilePath);
        d_->SetDataFilePathText(saved.SavedDataFilePath);
        d_->Status(d_->nmeaFileName);
    } else {
        // The old place is gone: the lists stay where they are, DataFilePath
        // keeps following them, and the status box says what failed.
        d_->file1->SetPath(d_->dir1->Path());
        d_->SetDataFilePath(d_->dir1->Path());
        d_->Status(failure);
    }
}

void FilePanel::cmdDone_Click() {
    d_->file1->SetPath(d_->dir1->Path());
    d_->SetDataFilePath(d_->dir1->Path());
    d_->Status(d_->DataFilePath());
    d_->Close();
}

void FilePanel::cmdNewFolder_Click() {
    d_->newFolderName =
        d_->dialogs.Prompt(QStringLiteral("Enter the New Folder's name."),
                           QStringLiteral("New Folder"), QStringLiteral("New Folder"));
    const QString& name = d_->newFolderName;
    if (!CreateFolderIn(d_->DataFilePath(), name)) {
        d_->dialogs.Message(QStringLiteral("Unable to create folder: ") + name);
        return;
    }
    // Enter the new folder; the doubled separator at a root is cleaned away.
    if (!OpenFolder(d_->dir1->Path() + QLatin1Char('/') + name)) {
        return; // the status box says what failed; the lists stay
    }
    d_->file1->SetPath(d_->dir1->Path());
    d_->SetDataFilePath(d_->dir1->Path());
    d_->Status(d_->DataFilePath());
}

FilePanel::Mode FilePanel::CurrentMode() const {
    if (!d_->cmdDone->isHidden()) {
        return Mode::Folder;
    }
    if (!d_->drive1->isHidden()) {
        return Mode::File;
    }
    return Mode::Closed;
}

const QString& FilePanel::NmeaFileName() const {
    return d_->nmeaFileName;
}

QList<QWidget*> FilePanel::TabOrder() const {
    return {d_->dir1,      d_->file1,   d_->drive1,     d_->cmdNewFolder,
            d_->cmdCancel, d_->cmdDone, d_->cmdCancel2, d_->picture1};
}

bool FilePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != d_->clientArea || event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
        return false;
    }
    // A button that has the focus takes Enter itself, as it would in a dialog.
    auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
    if (focused != nullptr && focused->isVisible() && focused->isEnabled() &&
        d_->clientArea->isAncestorOf(focused)) {
        focused->click();
        return true;
    }
    if (d_->cmdDone->isDefault() && !d_->cmdDone->isHidden() && d_->cmdDone->isEnabled()) {
        d_->cmdDone->click();
        return true;
    }
    return false;
}

} // namespace zum
