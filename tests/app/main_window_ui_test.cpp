#include "app/about_dialog.h"
#include "app/main_window.h"
#include "layout/model.h"
#include "platform/modeless_editor.h"
#include "support/ui_fixture.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace testing_support;

namespace {

class MainWindowTest : public UiTest {
protected:
    MainWindowTest()
    {
        window.setModelessFactory([](const layout::Model&, CHUBQUILLDlg& owner) {
            auto* editor = new platform::ModelessEditor(&owner);
            editor->setObjectName(QStringLiteral("fakeEditor"));
            return editor;
        });
        window.show();
    }

    platform::ModelessEditor* pick(const QString& model)
    {
        Select(&window, QStringLiteral("Device ID"), model);
        return window.childEditor();
    }

    CHUBQUILLDlg window;
};

TEST_F(MainWindowTest, AboutShowsTheVersionFromTheButtonAndTheKeyboard)
{
    int shown = 0;
    auto closeAbout = [&] {
        QTimer::singleShot(0, [&] {
            if (auto* about = window.findChild<CAboutDlg*>()) {
                ++shown;
                EXPECT_EQ(about->windowTitle(), QStringLiteral("About HUBQUILL"));
                EXPECT_EQ(about->versionText(), QStringLiteral("Version 1.0.2.0"));
                about->accept();
            }
        });
    };
    closeAbout();
    Click(&window, QStringLiteral("About"));
    closeAbout();
    bool viaKeyboard = false;
    for (QAction* action : window.actions())
        if (action->shortcut() == QKeySequence(Qt::Key_F1)) {
            viaKeyboard = true;
            action->trigger();
        }
    EXPECT_TRUE(viaKeyboard);
    EXPECT_EQ(shown, 2);
}

TEST_F(MainWindowTest, GoingBackThenClosingKeepsTheProgram)
{
    platform::ModelessEditor* editor = pick(QStringLiteral("QH107"));
    ASSERT_NE(editor, nullptr);
    QSignalSpy finished(&window, &QDialog::finished);
    emit editor->backToMain();
    emit editor->editorClosed();
    EXPECT_EQ(window.childEditor(), editor) << "notifications are queued, not handled at once";
    ProcessEvents();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(window.childEditor(), nullptr);
    EXPECT_EQ(ChoiceText(&window, QStringLiteral("Device ID")), QStringLiteral("QH404"));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, ReopeningAnEditorForgetsAnEarlierWayBack)
{
    platform::ModelessEditor* first = pick(QStringLiteral("QH102"));
    emit first->backToMain();
    ProcessEvents();
    EXPECT_TRUE(window.backToMainRequested());
    pick(QStringLiteral("QH103"));
    EXPECT_FALSE(window.backToMainRequested());
}

TEST_F(MainWindowTest, PickingAnotherFamilyModelReplacesTheOpenEditor)
{
    QPointer<platform::ModelessEditor> first = pick(QStringLiteral("QH102"));
    QSignalSpy finished(&window, &QDialog::finished);
    platform::ModelessEditor* second = pick(QStringLiteral("QH107"));
    ProcessEvents();
    EXPECT_TRUE(first.isNull()) << "the earlier editor would end the program when closed";
    EXPECT_EQ(window.childEditor(), second);
    EXPECT_EQ(finished.count(), 0);
}

TEST_F(MainWindowTest, AnEditorThatCannotBeCreatedIsReported)
{
    window.setModelessFactory([](const layout::Model&, CHUBQUILLDlg&) { return nullptr; });
    pick(QStringLiteral("QH103"));
    EXPECT_EQ(services.texts(), std::vector<QString>{"Failed to create child dialog E2PromQH1XX"});
    EXPECT_EQ(window.childEditor(), nullptr);
}

TEST_F(MainWindowTest, EscEndsTheProgram)
{
    QSignalSpy finished(&window, &QDialog::finished);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(MainWindowTest, CloseBoxTakesAnOpenEditorAlong)
{
    QPointer<platform::ModelessEditor> editor = pick(QStringLiteral("QH103"));
    QSignalSpy finished(&window, &QDialog::finished);
    window.close();
    ProcessEvents();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(editor.isNull());
}

} // namespace
