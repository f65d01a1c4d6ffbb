#pragma once

#include <QListWidget>
#include <QString>

namespace zum {

// The folder list (Dir1): the open folder's ancestors from the root down, the
// open folder itself, then its subfolders, each indented one step further.
// Highlighting an entry changes nothing; a double click, or Enter on an entry
// other than the open folder, asks to open it (openRequested). Enter on the
// open folder itself is left to the window (it presses the default button).
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent);

    // The open folder: an absolute, clean path in Qt's form; empty at first.
    [[nodiscard]] const QString& Path() const { return path_; }
    // Opens `path` when it is a folder that can be listed; otherwise returns
    // false and leaves the list as it was.
    bool Open(const QString& path);
    // Lists the open folder again; false when it can no longer be listed (the
    // list then shows its ancestors only).
    bool Refresh();
    // The folder of the highlighted entry, or empty text.
    [[nodiscard]] QString HighlightedPath() const;

signals:
    void openRequested(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool Fill(const QString& path);

    QString path_;
};

// Whether `path` is a folder whose entries can be listed.
[[nodiscard]] bool IsOpenableFolder(const QString& path);

// An absolute path in Qt's form without doubled separators, "." or "..".
[[nodiscard]] QString CleanFolderPath(const QString& path);

} // namespace zum
