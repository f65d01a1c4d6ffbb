#pragma once

#include <QStringList>
#include <QWidget>

class QListWidget;

namespace zum {

// A modeless top-level window of fixed help text: a list box (lstHelp) filled
// once each time the window is created, and a close button (cmdExit). It has
// no parent, so closing the main window leaves it open; it deletes itself
// when closed.
class ListWindow : public QWidget {
    Q_OBJECT
public:
    ListWindow(const QString& objectName, const QString& title, const QStringList& lines);
    [[nodiscard]] int EntryCount() const;

private:
    QListWidget* list_;
};

// One instance of a ListWindow: created on first use (or after it was closed),
// otherwise shown and raised again.
class ListWindowSlot {
public:
    ListWindowSlot(QString objectName, QString title, QStringList (*lines)());
    ~ListWindowSlot();
    ListWindow* Show();
    [[nodiscard]] ListWindow* Window() const;

private:
    QString objectName_;
    QString title_;
    QStringList (*lines_)();
    struct Guard;
    Guard* guard_;
};

} // namespace zum
