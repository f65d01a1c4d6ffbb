#include "ui/help/list_window.hpp"

#include "platform/twips.hpp"

#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <utility>

namespace zum {

namespace {

// Design sizes of the help windows, in twips.
struct ListWindowLayout {
    int clientWidth;
    int clientHeight;
    int listLeft;
    int listWidth;
};

// "Description" is a little narrower than the other two windows.
ListWindowLayout LayoutFor(const QString& objectName) {
    if (objectName == QLatin1String("frmHelp")) {
        return {5670, 6840, 120, 5415};
    }
    return {6540, 6840, 240, 6135};
}

} // namespace

ListWindow::ListWindow(const QString& objectName, const QString& title, const QStringList& lines)
    : QWidget(nullptr), list_(new QListWidget(this)) {
    setObjectName(objectName);
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);

    const ListWindowLayout layout = LayoutFor(objectName);
    auto* exitButton = new QPushButton(tr("Exit"), this);
    exitButton->setObjectName(QStringLiteral("cmdExit"));
    exitButton->setAccessibleName(tr("Exit"));
    exitButton->setGeometry(TwipsRect(240, 120, 1215, 375, this));
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);

    list_->setObjectName(QStringLiteral("lstHelp"));
    list_->setAccessibleName(title);
    list_->setSortingEnabled(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setGeometry(TwipsRect(layout.listLeft, 600, layout.listWidth, 6105, this));
    // Filled once, here: a window is built afresh each time it is opened after
    // being closed, so its list never holds its lines twice.
    list_->addItems(lines);

    setTabOrder(exitButton, list_);
    setFixedSize(TwipsToPixels(layout.clientWidth, this), TwipsToPixels(layout.clientHeight, this));
}

int ListWindow::EntryCount() const {
    return list_->count();
}

struct ListWindowSlot::Guard {
    QPointer<ListWindow> window;
};

ListWindowSlot::ListWindowSlot(QString objectName, QString title, QStringList (*lines)())
    : objectName_(std::move(objectName)), title_(std::move(title)), lines_(lines),
      guard_(new Guard) {}

// The window is not deleted here: a help window outlives the main window that
// opened it and goes when the user closes it.
ListWindowSlot::~ListWindowSlot() {
    delete guard_;
}

ListWindow* ListWindowSlot::Show() {
    // A closed window is hidden at once and deleted a moment later; one that
    // is hidden is therefore on its way out and a fresh one takes its place.
    if (guard_->window.isNull() || guard_->window->isHidden()) {
        guard_->window = new ListWindow(objectName_, title_, lines_());
    }
    ListWindow* window = guard_->window.data();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

ListWindow* ListWindowSlot::Window() const {
    if (guard_->window.isNull() || guard_->window->isHidden()) {
        return nullptr;
    }
    return guard_->window.data();
}

} // namespace zum
