#pragma once

#include "platform/dialogs.hpp"

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

namespace zum::testing {

// Dialogs whose answers a test gives in advance. Every message, prompt and
// question is recorded; a prompt with no scripted answer is answered as
// cancelled, a question with none as No.
class ScriptedDialogs final : public Dialogs {
public:
    struct PromptSeen {
        QString prompt, title, defaultReply;
    };

    void Answer(const QString& reply) { replies_.emplace_back(reply); }
    void Cancel() { replies_.emplace_back(std::nullopt); }
    void AnswerQuestion(bool yes) { answers_.push_back(yes); }

    void Message(const QString& text) override { messages.append(text); }
    QString Prompt(const QString& prompt, const QString& title,
                   const QString& defaultReply) override {
        prompts.push_back({prompt, title, defaultReply});
        if (replies_.empty()) {
            return {};
        }
        const std::optional<QString> reply = replies_.front();
        replies_.pop_front();
        return reply.value_or(QString());
    }

    bool Ask(const QString& question) override {
        questions.append(question);
        if (answers_.empty()) {
            return false;
        }
        const bool yes = answers_.front();
        answers_.pop_front();
        return yes;
    }

    QStringList messages;
    QStringList questions;
    std::deque<PromptSeen> prompts;

private:
    std::deque<std::optional<QString>> replies_;
    std::deque<bool> answers_;
};

} // namespace zum::testing
