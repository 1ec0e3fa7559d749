// Every window as it opens on a laptop's screen (1366x768, less a panel and a title bar):
// whole within 1366x690, and every list in it as wide as Qt's own sizing to its items makes
// it, so no item is cut.

#include "app/main_window.h"
#include "editors/registry.h"
#include "platform/modeless_editor.h"
#include "platform/sheet.h"
#include "platform/text.h"
#include "support/ui_fixture.h"

#include <QComboBox>
#include <QTabWidget>
#include <QTest>

using namespace testing_support;

namespace {

constexpr QSize kRoom(1366, 690);

// What Qt's own sizing to the contents makes of a list with these items, in the style and
// font of the list's place in its window.
int WidestItemWidth(const QComboBox& list)
{
    QComboBox reference(list.parentWidget());
    reference.setVisible(false);
    reference.setEditable(list.isEditable());
    reference.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int i = 0; i < list.count(); ++i)
        reference.addItem(list.itemText(i));
    reference.ensurePolished();
    return reference.sizeHint().width();
}

// The window opened whole, and each list of the page shown as wide as its widest item.
void ExpectWholeAndUncut(QWidget& window, const QString& name)
{
    SCOPED_TRACE(name.toStdString());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_LE(window.width(), kRoom.width());
    EXPECT_LE(window.height(), kRoom.height());
    for (const QComboBox* list : window.findChildren<QComboBox*>()) {
        if (!list->isVisible())
            continue;
        SCOPED_TRACE(list->objectName().toStdString());
        if (!list->isEditable()) { // a box that takes typing is as wide as what it takes
            EXPECT_EQ(list->sizeHint().width(), WidestItemWidth(*list));
        }
        EXPECT_GE(list->width(), WidestItemWidth(*list));
    }
}

// Every page of a sheet.
void ExpectSheetWholeAndUncut(platform::Sheet& sheet, const QString& name)
{
    for (int page = 0; page < sheet.tabs()->count(); ++page) {
        sheet.showPage(page);
        ProcessEvents();
        ExpectWholeAndUncut(sheet, name + QStringLiteral(" page %1").arg(page + 1));
    }
}

TEST(WindowsOnALaptopScreen, EveryWindowOpensWholeWithEveryListUncut)
{
    ScriptedServices services;
    CHUBQUILLDlg window;
    window.show();
    ExpectWholeAndUncut(window, QStringLiteral("main window"));
    ForEveryEditor(window, [](QWidget& editor, const QString& name) {
        if (auto* sheet = qobject_cast<platform::Sheet*>(&editor))
            ExpectSheetWholeAndUncut(*sheet, name);
        else
            ExpectWholeAndUncut(editor, name);
    });
}

} // namespace
