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

const QString kNotAnImage = QStringLiteral(
    "Looks like the input file is not a valid E2prom binary file or it may have been "
    "corrupted\nAborting the load operation of this file\n");
const QString kOutput = QStringLiteral("Output File Name :");
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

TEST_F(Qh304SheetTest, OpensAtItsDefaultsAndCreatesThem)
{
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), "HUBQUILL - QH304");
    EXPECT_EQ(sheet->tabs()->tabText(0), "Tab1");
    EXPECT_EQ(sheet->tabs()->tabText(1), "Tab2");
    EXPECT_EQ(ChoiceItems(sheet, "Device ID"), (QStringList{"QH404", "QH304"}));
    EXPECT_EQ(ChoiceText(sheet, "Device ID"), "QH304");
    EXPECT_EQ(ChoiceItems(sheet, "Port Assign 1"),
              (QStringList{"Unassigned", "Owned by UP1", "Owner by UP2"}));
    EXPECT_EQ(ChoiceItems(sheet, "Port Assign 2").last(), "Owned by UP2");
    EXPECT_EQ(ChoiceText(sheet, "Int 6B Port 4"), "unassigned");
    EXPECT_EQ(Text(sheet, kOutput), "nv.bin");
    EXPECT_FALSE(enabled("Lang ID (Hex)"));
    EXPECT_FALSE(enabled("Mfg String"));
    EXPECT_TRUE(enabled("Mfg Len"));
    const Bytes file = create();
    ASSERT_EQ(file.size(), 256u);
    EXPECT_EQ(file[0xD0], 0x2F);
    EXPECT_EQ(file[0xEE], 0x01);
    EXPECT_EQ(Listing(sheet).value(0), "00: 7A 7A 04 03 00 00 9B 10 00 00 00 00 01 64 01 64");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh304SheetTest, BoxesAreRewrittenAsTheyAreLeft)
{
    Type(sheet, "VID (Hex)", "12345");
    EXPECT_EQ(Text(sheet, "VID (Hex)"), "1234");
    Type(sheet, "PID (Hex)", "7a");
    EXPECT_EQ(Text(sheet, "PID (Hex)"), "007A");
    Type(sheet, "Power-On Time (Hex)", "");
    EXPECT_EQ(Text(sheet, "Power-On Time (Hex)"), "0");
    Type(sheet, "Bus Power|Max Power (Hex)", "f");
    EXPECT_EQ(Text(sheet, "Bus Power|Max Power (Hex)"), "0F");
    Type(sheet, "Mfg Len", "x2y");
    EXPECT_EQ(Text(sheet, "Mfg Len"), "02") << "the box takes digits only";
    Type(sheet, "Mfg Len", "0");
    const Bytes file = create();
    EXPECT_EQ(file[0x00], 0x34);
    EXPECT_EQ(file[0x02], 0x7A);
    EXPECT_EQ(file[0x10], 0x00);
    EXPECT_EQ(file[0x0D], 0x0F);
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh304SheetTest, ChecksStopACreateWithTheFocusOnTheField)
{
    Type(sheet, "Mfg Len", "32");
    sheet->showPage(1);
    Click(sheet, "Create EEPROM File");
    expectRefused("Enter a valid value for the field 'Mfg Len' (decimal number in range 0 "
                  "through 31)",
                  "Mfg Len");

    Type(sheet, "Mfg Len", "05");
    Select(sheet, "String Desc Enable", "Enable String Support");
    Type(sheet, "Mfg String", "abc");
    Click(sheet, "Create EEPROM File");
    expectRefused("The Mfg string length (3) does not match the value in field 'Mfg Len' (5). "
                  "Enter the correct string and its length",
                  "Mfg String");

    Type(sheet, "Mfg Len", "3");
    Select(sheet, "String Desc Enable", "Disable String Support");
    Type(sheet, "Prod Len", "02");
    Click(sheet, "Create EEPROM File");
    EXPECT_FALSE(enabled("Prod String"));
    expectRefused("The Prod string length (0) does not match the value in field 'Prod Len' (2). "
                  "Enter the correct string and its length",
                  "Prod String");
    Type(sheet, "Prod Len", "00");
    EXPECT_EQ(create().at(19), 3);
}

TEST_F(Qh304SheetTest, RulesTellThenChange)
{
    Select(sheet, "Port 3 Non-Removable", "Non-Removeable");
    EXPECT_EQ(messages(), std::vector<QString>{"Non-Removable has been selected, Compound Device "
                                               "field of Config Data Byte 2 will be set to Yes"});
    EXPECT_EQ(ChoiceText(sheet, "Compound Device"), "Yes");
    Select(sheet, "Port 1 Non-Removable", "Non-Removeable");
    EXPECT_TRUE(messages().empty());
    Select(sheet, "Compound Device", "No");
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(ChoiceText(sheet, "Port 3 Non-Removable"), "Removeable");

    Select(sheet, "Bus Power|Port 2 Disable", "Disable");
    EXPECT_EQ(ChoiceText(sheet, "Bus Power|Port 4 Disable"), "Disable");
    EXPECT_EQ(ChoiceText(sheet, "Bus Power|Port 1 Disable"), "Enable");
    EXPECT_EQ(ChoiceText(sheet, "Self Power|Port 4 Disable"), "Enable");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh304SheetTest, ALoadShowsTheImageAsItIsAndABadFileKeepsTheForm)
{
    Bytes image(256, 0x00);
    image[0x06] = 0x86; // self power with current sensing 11
    image[0x08] = 0x01; // strings enabled
    image[0xD1] = 0x3F;
    image[0xF1] = 0x30;
    image[0xF5] = 0xFF;
    load(image);
    EXPECT_TRUE(messages().empty()) << "no rule runs on a load";
    EXPECT_EQ(ChoiceText(sheet, "Self-/Bus-Power"), "Self-Power");
    EXPECT_EQ(ChoiceText(sheet, "Current Sensing"), "OCS Not Supported");
    EXPECT_EQ(ChoiceText(sheet, "Int 0A Port 2"), "UP1");
    EXPECT_EQ(ChoiceText(sheet, "Port Assign 2"), "Owned by UP1");
    EXPECT_EQ(ChoiceText(sheet, "Port Lockout|Port 4"), "Locked");
    EXPECT_FALSE(enabled("Mfg String")) << "a load leaves the string fields as they were";
    EXPECT_EQ(Listing(sheet).value(15), "F0: 00 30 00 00 00 FF 00 00 00 00 00 00 00 00 00 00");
    const Bytes file = create();
    EXPECT_EQ(file[0x06], 0x84);
    EXPECT_EQ(file[0xD1], 0x11);
    EXPECT_EQ(file[0xF1], 0x10);
    EXPECT_EQ(file[0xF5], 0x1E);

    Type(sheet, "VID (Hex)", "BEEF");
    const QStringList listed = Listing(sheet);
    load(Bytes(257, 0x00));
    EXPECT_EQ(messages(), std::vector<QString>{kNotAnImage});
    EXPECT_EQ(Text(sheet, "VID (Hex)"), "BEEF");
    EXPECT_EQ(ChoiceText(sheet, "Port Lockout|Port 4"), "Locked");
    EXPECT_EQ(Listing(sheet), listed);
    EXPECT_EQ(Text(sheet, kInput), "");
    EXPECT_EQ(Text(sheet, kOutput), "nv.bin");
    Type(sheet, kOutput, "mine.bin");
    Click(sheet, "LOAD from FILE");
    EXPECT_EQ(messages(), std::vector<QString>{"Field 'Input File To Load' does not specify any "
                                               "file name.\nPlease specify a valid file to load\n"});
    EXPECT_EQ(Text(sheet, kOutput), "mine.bin");

    image[19] = 40; // a manufacturer length that reads on into the product area
    load(image);
    Click(sheet, "Create EEPROM File");
    EXPECT_EQ(messages(), std::vector<QString>{"Enter a valid value for the field 'Mfg Len' "
                                               "(decimal number in range 0 through 31)"});
}

TEST_F(Qh304SheetTest, CreateOutputNames)
{
    Type(sheet, kOutput, pathOf("no/such/folder/out.bin"));
    Click(sheet, "Create EEPROM File");
    EXPECT_EQ(messages(), std::vector<QString>{"Error trying to create EEPROM file.\n\nNo such folder."});
    EXPECT_EQ(Listing(sheet).size(), 16) << "the image built is shown all the same";
    Type(sheet, kOutput, "");
    create();
    EXPECT_EQ(Text(sheet, kOutput), "nv.bin");
    EXPECT_EQ(readFile("nv.bin").size(), 256u);
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh304SheetTest, EnterInAFieldOfThePortPagePressesCreate)
{
    sheet->showPage(1);
    PressEnter(TextByLabel(sheet, kOutput));
    EXPECT_EQ(readFile("nv.bin").size(), 256u);
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
