#include "platform/dialogs.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QInputDialog>
#include <QMessageBox>

namespace zum {

void QtDialogs::Message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    // Some styles put a picture on the OK button; the message has none.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}

QString QtDialogs::Prompt(const QString& prompt, const QString& title,
                          const QString& defaultReply) {
    bool accepted = false;
    const QString reply =
        QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, defaultReply, &accepted);
    return accepted ? reply : QString();
}

bool QtDialogs::Ask(const QString& question) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), question,
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace zum
