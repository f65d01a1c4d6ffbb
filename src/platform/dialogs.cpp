#include "platform/dialogs.hpp"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace zum {

void QtDialogs::Message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    box.exec();
}

QString QtDialogs::Prompt(const QString& prompt, const QString& title,
                          const QString& defaultReply) {
    bool accepted = false;
    const QString reply =
        QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, defaultReply, &accepted);
    return accepted ? reply : QString();
}

} // namespace zum
