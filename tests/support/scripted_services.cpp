#include "support/scripted_services.h"

#include <gtest/gtest.h>

namespace testing_support {

using platform::Answer;
using platform::MessageKind;

ScriptedServices::ScriptedServices() { platform::setServices(this); }

ScriptedServices::~ScriptedServices()
{
    platform::setServices(nullptr);
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " scripted answer(s) never asked for";
    EXPECT_TRUE(m_files.empty()) << m_files.size() << " scripted file choice(s) never asked for";
}

std::vector<QString> ScriptedServices::texts() const
{
    std::vector<QString> all;
    for (const ShownMessage& shown : m_messages)
        all.push_back(shown.text);
    return all;
}

Answer ScriptedServices::message(QWidget*, MessageKind kind, const QString& text)
{
    m_messages.push_back({kind, text});
    if (m_look)
        m_look();
    if (kind == MessageKind::Notice)
        return Answer::Ok;
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return kind == MessageKind::YesNoStop ? Answer::No : Answer::Cancel;
    }
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    const bool fits = kind == MessageKind::YesNoStop
                          ? (answer == Answer::Yes || answer == Answer::No)
                          : (answer == Answer::Ok || answer == Answer::Cancel);
    EXPECT_TRUE(fits) << "scripted answer does not fit the question: " << text.toStdString();
    return answer;
}

std::optional<QString> ScriptedServices::chooseExistingFile(QWidget*)
{
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return std::nullopt;
    }
    const QString chosen = m_files.front();
    m_files.pop_front();
    if (chosen.isNull())
        return std::nullopt;
    return chosen;
}

} // namespace testing_support
