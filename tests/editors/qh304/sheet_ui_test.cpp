#include "app/main_window.h"
#include "platform/sheet.h"
#include "support/ui_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

using namespace testing_support;
using Bytes = std::vector<unsigned char>;

namespace {

const QString kInput = QStringLiteral("Input File to Load :");

// The QH304 sheet as the user opens it: from the main window's model list.
class Qh304SheetTest : public UiTest {
protected:
    Qh304SheetTest()
    {
        window.show();
        Select(&window, QStringLiteral("Device ID"), QStringLiteral("QH304"));
        sheet = window.sheet();
        services.whileShowing([this] { pageAtMessage = sheet ? sheet->currentPage() : -1; });
    }

    Bytes create()
    {
        Click(sheet, QStringLiteral("Create EEPROM File"));
        return readFile(QStringLiteral("nv.bin"));
    }
    void load(const Bytes& bytes)
    {
        writeFile(QStringLiteral("in.bin"), bytes);
        Type(sheet, kInput, pathOf(QStringLiteral("in.bin")));
        Click(sheet, QStringLiteral("LOAD from FILE"));
    }
    bool enabled(const QString& label) { return FieldByLabel(sheet, label)->isEnabled(); }
    // A Create refused: the field's page shown, then its message, the focus on the field
    // (on a greyed one, on the choice that enables it), nothing written.
    void expectRefused(const QString& message, const QString& field)
    {
        EXPECT_EQ(messages(), std::vector<QString>{message});
        EXPECT_EQ(pageAtMessage, 0) << "the message shown over the page of its field";
        EXPECT_EQ(sheet->currentPage(), 0);
        if (enabled(field)) {
            EXPECT_EQ(sheet->focusWidget(), FieldByLabel(sheet, field));
            EXPECT_EQ(TextByLabel(sheet, field)->selectedText(), Text(sheet, field));
        } else {
            EXPECT_EQ(sheet->focusWidget(), FieldByLabel(sheet, "String Desc Enable"));
        }
        EXPECT_TRUE(Listing(sheet).isEmpty());
        EXPECT_FALSE(QFile::exists(pathOf(QStringLiteral("nv.bin"))));
    }

    CHUBQUILLDlg window;
    QPointer<platform::Sheet> sheet;
    int pageAtMessage = -1;
};

TEST_F(Qh304SheetTest, OpensWithItsPagesListsAndGreyedStrings)
{
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->tabs()->tabText(0), "Tab1");
    EXPECT_EQ(sheet->tabs()->tabText(1), "Tab2");
    EXPECT_EQ(ChoiceItems(sheet, "Port Assign 1"),
              (QStringList{"Unassigned", "Owned by UP1", "Owner by UP2"}));
    EXPECT_EQ(ChoiceItems(sheet, "Port Assign 2").last(), "Owned by UP2");
    EXPECT_EQ(ChoiceText(sheet, "Int 6B Port 4"), "unassigned");
    EXPECT_FALSE(enabled("Lang ID (Hex)"));
    EXPECT_FALSE(enabled("Mfg String"));
    EXPECT_TRUE(enabled("Mfg Len"));

    // Only the user's choice moves the string fields: a load of an image with strings
    // enabled leaves them greyed.
    Bytes image(256, 0x00);
    image[0x08] = 0x01;
    load(image);
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(enabled("Mfg String"));
}

TEST_F(Qh304SheetTest, ChecksStopACreateWithTheFocusOnTheField)
{
    Type(sheet, "Mfg Len", "32");
    sheet->showPage(1);
    Click(sheet, "Create EEPROM File");
    expectRefused("Enter a valid value for the field 'Mfg Len' (decimal number in range 0 "
                  "through 31)",
                  "Mfg Len");

    Type(sheet, "Mfg Len", "0");
    Type(sheet, "Prod Len", "02");
    sheet->showPage(1);
    Click(sheet, "Create EEPROM File");
    EXPECT_FALSE(enabled("Prod String"));
    expectRefused("The Prod string length (0) does not match the value in field 'Prod Len' (2). "
                  "Enter the correct string and its length",
                  "Prod String");
}

TEST_F(Qh304SheetTest, DeviceIdResetsBothPagesOrGoesBackToTheMainWindow)
{
    Select(sheet, "String Desc Enable", "Enable String Support");
    Type(sheet, "Mfg String", "Hub");
    Select(sheet, "Port Lockout|Port 2", "Locked");
    create();
    Type(sheet, kInput, "x.bin");
    Select(sheet, "Device ID", "QH304");
    EXPECT_EQ(Text(sheet, "Mfg String"), "");
    EXPECT_EQ(ChoiceText(sheet, "String Desc Enable"), "Disable String Support");
    for (const char* field : {"Lang ID (Hex)", "Mfg String", "Prod String", "Serial String"})
        EXPECT_FALSE(enabled(field)) << field << " greyed as strings are disabled";
    EXPECT_EQ(ChoiceText(sheet, "Port Lockout|Port 2"), "Available");
    EXPECT_TRUE(Listing(sheet).isEmpty());
    EXPECT_EQ(Text(sheet, kInput), "");

    Select(sheet, "Device ID", "QH404");
    ProcessEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(sheet.isNull());
    EXPECT_EQ(ChoiceText(&window, "Device ID"), "QH404");
}

} // namespace
