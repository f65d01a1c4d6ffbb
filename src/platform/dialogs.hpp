#pragma once

#include <QString>

class QWidget;

namespace zum {

// The window's modal message boxes and input prompts, behind one small
// interface so that tests can script the user's answers without a screen.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message with only an OK button, no icon, the application's title.
    virtual void Message(const QString& text) = 0;
    // A modal input prompt; returns the typed text, or empty text when cancelled.
    virtual QString Prompt(const QString& prompt, const QString& title,
                           const QString& defaultReply) = 0;
    // A modal question with Yes and No buttons; true for Yes. Closing the box
    // answers No.
    virtual bool Ask(const QString& question) = 0;
};

// The real dialogs, shown over `parent`.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    void Message(const QString& text) override;
    QString Prompt(const QString& prompt, const QString& title,
                   const QString& defaultReply) override;
    bool Ask(const QString& question) override;

private:
    QWidget* parent_;
};

} // namespace zum
