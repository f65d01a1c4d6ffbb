#include "ui/files/folder_list.hpp"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

namespace zum {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kIndentPerLevel = 3; // blanks

// The chain from the root down to `path`, found from the text alone so that it
// can be shown for a folder that no longer exists.
QStringList Ancestry(const QString& path) {
    QStringList chain{path};
    QString current = path;
    for (;;) {
        const QString parent = QFileInfo(current).path();
        if (parent == current || parent.isEmpty() || parent == QLatin1String(".")) {
            break;
        }
        chain.prepend(parent);
        current = parent;
    }
    return chain;
}

QString EntryName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(path) : name;
}

} // namespace

bool IsOpenableFolder(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

QString CleanFolderPath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("Dir1"));
    setAccessibleName(tr("Folders"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    // Open and closed folder icons come in different sizes; keep rows even.
    const int iconSide = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    setIconSize(QSize(iconSide, iconSide));
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        emit openRequested(item->data(kPathRole).toString());
    });
}

bool FolderList::Open(const QString& path) {
    if (!IsOpenableFolder(path)) {
        return false;
    }
    path_ = path;
    Fill(path_);
    return true;
}

bool FolderList::Refresh() {
    if (path_.isEmpty()) {
        return true;
    }
    return Fill(path_);
}

QString FolderList::HighlightedPath() const {
    const QListWidgetItem* item = currentItem();
    return item != nullptr ? item->data(kPathRole).toString() : QString();
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const QString highlighted = HighlightedPath();
        if (!highlighted.isEmpty() && highlighted != path_) {
            event->accept();
            emit openRequested(highlighted);
        } else {
            event->ignore();
        }
        return;
    }
    QListWidget::keyPressEvent(event);
}

bool FolderList::Fill(const QString& path) {
    clear();
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QStringList chain = Ancestry(path);
    int level = 0;
    QListWidgetItem* openItem = nullptr;
    for (const QString& folder : chain) {
        auto* item = new QListWidgetItem(
            openIcon, QString(level * kIndentPerLevel, QLatin1Char(' ')) + EntryName(folder), this);
        item->setData(kPathRole, folder);
        item->setToolTip(QDir::toNativeSeparators(folder));
        openItem = item;
        ++level;
    }
    const bool listed = IsOpenableFolder(path);
    if (listed) {
        const QDir dir(path);
        const QStringList names =
            dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
        for (const QString& name : names) {
            const QString child =
                path.endsWith(QLatin1Char('/')) ? path + name : path + QLatin1Char('/') + name;
            auto* item = new QListWidgetItem(
                closedIcon, QString(level * kIndentPerLevel, QLatin1Char(' ')) + name, this);
            item->setData(kPathRole, child);
            item->setToolTip(QDir::toNativeSeparators(child));
        }
    }
    if (openItem != nullptr) {
        setCurrentItem(openItem);
        scrollToItem(openItem);
    }
    return listed;
}

} // namespace zum
