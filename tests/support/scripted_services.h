#pragma once

#include "platform/services.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace testing_support {

struct ShownMessage {
    platform::MessageKind kind;
    QString text;
};

// Stands in for the desktop's message boxes and file dialog. Records every message;
// notices need no answer, questions take theirs from a queue. A question with no answer
// queued, or an answer of the wrong kind, fails the test.
class ScriptedServices final : public platform::Services {
public:
    ScriptedServices();
    ~ScriptedServices() override; // fails the test when queued answers were never used

    void answerNext(platform::Answer answer) { m_answers.push_back(answer); }
    // The next file dialog picks `path`; a null QString() cancels it.
    void chooseNextFile(const QString& path) { m_files.push_back(path); }

    // Runs as each message is shown, to see the windows as the user sees them then.
    void whileShowing(std::function<void()> look) { m_look = std::move(look); }

    const std::vector<ShownMessage>& messages() const { return m_messages; }
    std::vector<QString> texts() const;
    void forget() { m_messages.clear(); }

    platform::Answer message(QWidget* owner, platform::MessageKind kind,
                             const QString& text) override;
    std::optional<QString> chooseExistingFile(QWidget* owner) override;

private:
    std::vector<ShownMessage> m_messages;
    std::deque<platform::Answer> m_answers;
    std::deque<QString> m_files;
    std::function<void()> m_look;
};

} // namespace testing_support
