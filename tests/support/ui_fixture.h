#pragma once

#include "support/scripted_services.h"
#include "support/user_actions.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class CHUBQUILLDlg;

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace testing_support {

// A form test: scripted message boxes and dialogs, and a fresh empty current folder so
// relative names such as "nv.bin" land in a place of the test's own.
class UiTest : public ::testing::Test {
protected:
    UiTest() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_folder.path()); }
    ~UiTest() override { QDir::setCurrent(m_previous); }

    QString pathOf(const QString& name) const { return m_folder.filePath(name); }
    // The messages shown since the last call, in order.
    std::vector<QString> messages();
    std::vector<unsigned char> readFile(const QString& name) const;
    void writeFile(const QString& name, const std::vector<unsigned char>& bytes) const;

    ScriptedServices services;

private:
    QTemporaryDir m_folder;
    QString m_previous;
};

// Opens every model's editor but the main window's own from its model list in turn, hands
// it to `look` with the model's name, and leaves it again.
void ForEveryEditor(CHUBQUILLDlg& window,
                    const std::function<void(QWidget& editor, const QString& model)>& look);

} // namespace testing_support
