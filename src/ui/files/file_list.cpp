#include "ui/files/file_list.hpp"

#include <QDir>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <algorithm>

namespace zum {

bool MatchesNmeaPattern(const QString& name) {
    return name.endsWith(QLatin1String("NMEA.TXT"), Qt::CaseInsensitive);
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("File1"));
    setAccessibleName(tr("Files"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { emit picked(); });
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (keyboardMove_ && row >= 0) {
            emit picked();
        }
    });
}

void FileList::SetPath(const QString& path) {
    path_ = path;
    Refresh();
}

void FileList::Refresh() {
    const QSignalBlocker blocker(this);
    clear();
    if (path_.isEmpty()) {
        return;
    }
    QStringList names = QDir(path_).entryList(QDir::Files, QDir::NoSort);
    names.removeIf([](const QString& name) { return !MatchesNmeaPattern(name); });
    // By name ignoring case; names that differ only in case, capitals first.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    addItems(names);
}

void FileList::Highlight(const QString& name) {
    const QSignalBlocker blocker(this);
    const QList<QListWidgetItem*> found = findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) {
        setCurrentRow(-1);
        return;
    }
    setCurrentItem(found.front());
}

QString FileList::SelectedName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    if (!selected.isEmpty()) {
        return selected.front()->text();
    }
    const QListWidgetItem* item = currentItem();
    return item != nullptr ? item->text() : QString();
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const bool upOrDown = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if (upOrDown && selectedItems().isEmpty() && count() > 0) {
        // Nothing chosen yet: the first arrow key chooses the entry under the
        // cursor (the first one unless the cursor is elsewhere).
        const int row = currentRow() >= 0 ? currentRow() : 0;
        {
            const QSignalBlocker blocker(this);
            setCurrentRow(row);
        }
        event->accept();
        emit picked();
        return;
    }
    keyboardMove_ = true;
    QListWidget::keyPressEvent(event);
    keyboardMove_ = false;
}

} // namespace zum
