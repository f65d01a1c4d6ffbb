#pragma once

#include "platform/dialogs.hpp"

#include <QString>
#include <QStringList>
#include <deque>
#include <ostream>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace zum::testing {

// Dialogs whose answers a test gives in advance. Every message and question,
// and the reply each prompt offers, is recorded; a prompt with no scripted
// answer is answered as cancelled, a question with none as No.
class ScriptedDialogs final : public Dialogs {
public:
    void Answer(const QString& reply) { replies_.push_back(reply); }
    void Cancel() { replies_.push_back(QString()); }
    void AnswerQuestion(bool yes) { answers_.push_back(yes); }

    void Message(const QString& text) override { messages.append(text); }
    QString Prompt(const QString& /*prompt*/, const QString& /*title*/,
                   const QString& defaultReply) override {
        offered.append(defaultReply);
        return Next(replies_, QString());
    }
    bool Ask(const QString& question) override {
        questions.append(question);
        return Next(answers_, false);
    }

    QStringList messages;
    QStringList questions;
    QStringList offered; // the reply each prompt offered

private:
    template <typename T> static T Next(std::deque<T>& queue, T none) {
        if (queue.empty()) {
            return none;
        }
        T next = queue.front();
        queue.pop_front();
        return next;
    }

    std::deque<QString> replies_;
    std::deque<bool> answers_;
};

} // namespace zum::testing
