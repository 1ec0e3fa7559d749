#include "app/main_window.h"
#include "editors/registry.h"
#include "platform/modeless_editor.h"
#include "platform/sheet.h"
#include "platform/text.h"
#include "support/ui_fixture.h"

#include <QComboBox>

using namespace testing_support;

namespace {

// What Qt's own sizing to the contents makes of a list with these items.
QSize AdjustedToContents(const QComboBox& list)
{
    QComboBox reference;
    reference.setEditable(list.isEditable());
    reference.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int i = 0; i < list.count(); ++i)
        reference.addItem(list.itemText(i));
    return reference.sizeHint();
}

// Each list as wide as its widest item, even where its window is squeezed to its least
// size, and no pop-up built before it is opened (Qt builds one for every list that can be
// typed into, as it becomes one).
void ExpectListsSizedWithoutPopUps(const QWidget& window, const QString& name)
{
    for (const QComboBox* list : window.findChildren<QComboBox*>()) {
        SCOPED_TRACE((name + QStringLiteral(": ") + list->objectName()).toStdString());
        EXPECT_EQ(list->sizeHint(), AdjustedToContents(*list));
        if (list->isEditable())
            continue;
        EXPECT_EQ(list->minimumSizeHint(), AdjustedToContents(*list));
        for (const QWidget* inside : list->findChildren<QWidget*>())
            EXPECT_FALSE(inside->isWindow()) << "a pop-up built up front";
    }
}

TEST(ChoiceLists, EveryWindowsListsAreSizedByTheirItemsWithoutBuildingPopUps)
{
    CHUBQUILLDlg window;
    window.show();
    ExpectListsSizedWithoutPopUps(window, QStringLiteral("main window"));
    ForEveryEditor(window, [](QWidget& editor, const QString& name) {
        ExpectListsSizedWithoutPopUps(editor, name);
    });
}

} // namespace
