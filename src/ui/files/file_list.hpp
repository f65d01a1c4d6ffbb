#pragma once

#include <QListWidget>
#include <QString>

namespace zum {

// The file list (File1): the files of one folder whose names end in
// "NMEA.TXT" in any letter case, sorted by name. Choosing an entry with the
// mouse, or moving the selection with the keyboard, emits picked at once.
// Filling the list or selecting by program never does.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent);

    [[nodiscard]] const QString& Path() const { return path_; }
    // Shows the matching files of `path` (none when it cannot be read).
    void SetPath(const QString& path);
    void Refresh();
    // Selects the entry named `name`, if listed, without emitting picked.
    void Highlight(const QString& name);
    // The text of the selected entry, or empty text.
    [[nodiscard]] QString SelectedName() const;

signals:
    void picked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString path_;
    bool keyboardMove_ = false;
};

// Whether a file name matches the list's pattern "*NMEA.TXT" (letter case ignored).
[[nodiscard]] bool MatchesNmeaPattern(const QString& name);

} // namespace zum
