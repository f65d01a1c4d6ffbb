#pragma once

#include "platform/dialogs.hpp"

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

namespace zum::testing {

// Dialogs whose answers a test gives in advance. Every message and prompt is
// recorded; a prompt with no scripted answer is answered as cancelled.
class ScriptedDialogs final : public Dialogs {
public:
    struct PromptSeen {
        QString prompt, title, defaultReply;
    };

    void Answer(const QString& reply) { replies_.emplace_back(reply); }
    void Cancel() { replies_.emplace_back(std::nullopt); }

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

    QStringList messages;
    std::deque<PromptSeen> prompts;

private:
    std::deque<std::optional<QString>> replies_;
};

} // namespace zum::testing
