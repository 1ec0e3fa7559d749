#pragma once

#include "support/scripted_services.h"
#include "support/user_actions.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

} // namespace testing_support
