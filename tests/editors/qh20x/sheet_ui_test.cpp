#include "app/main_window.h"
#include "platform/sheet.h"
#include "support/ui_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>

using namespace testing_support;
using Bytes = std::vector<unsigned char>;

namespace {

// A QH20x sheet as the user opens it: from the main window's model list.
class Qh20xSheetTest : public UiTest {
protected:
    Qh20xSheetTest() { window.show(); }

    platform::Sheet* open(const QString& entry)
    {
        Select(&window, QStringLiteral("Device ID"), entry);
        sheet = window.sheet();
        return sheet;
    }
    Bytes create()
    {
        Click(sheet, QStringLiteral("Create EEPROM File"));
        return readFile(QStringLiteral("nv.bin"));
    }
    void load(const Bytes& bytes)
    {
        writeFile(QStringLiteral("in.bin"), bytes);
        Type(sheet, QStringLiteral("Input File to Load:"), pathOf(QStringLiteral("in.bin")));
        Click(sheet, QStringLiteral("Load From File"));
    }
    bool enabled(const QString& label) { return FieldByLabel(sheet, label)->isEnabled(); }
    // The sheet gone, and the main window's list back on its first entry.
    void expectLeft()
    {
        ProcessEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(sheet.isNull());
        EXPECT_EQ(ChoiceText(&window, QStringLiteral("Device ID")), QStringLiteral("QH404"));
    }

    CHUBQUILLDlg window;
    QPointer<platform::Sheet> sheet;
};

TEST_F(Qh20xSheetTest, EachEntryOpensItsSheetOverTheMainWindow)
{
    struct Entry {
        QString name;
        QStringList tabs;
        QStringList deviceIds;
    };
    const QStringList tabs{"Tab1", "Tab2"};
    const Entry kEntries[] = {
        {"QH203 - 36 pin", tabs, {"Back", "QH203 -36 Pin"}},
        {"QH203 - 48 pin", tabs, {"Back", "QH203 -48 Pin"}},
        {"QH204 - 36 pin", tabs, {"Back", "QH204 -36 Pin"}},
        {"QH204 - 48 pin", tabs, {"Back", "QH204 -48 Pin"}},
        {"QH202", {"Main - Configuration", "Additional - Configuration"}, {"202", "Back"}},
        {"QH207 - 64 pin", tabs, {"Back", "QH207 - 64 Pin"}},
    };
    for (const Entry& entry : kEntries) {
        SCOPED_TRACE(entry.name.toStdString());
        ASSERT_NE(open(entry.name), nullptr);
        EXPECT_EQ(sheet->windowTitle(), "HUBQUILL - " + entry.name);
        EXPECT_EQ(sheet->windowModality(), Qt::ApplicationModal) << "the main window waits";
        EXPECT_EQ((QStringList{sheet->tabs()->tabText(0), sheet->tabs()->tabText(1)}), entry.tabs);
        EXPECT_EQ(ChoiceItems(sheet, QStringLiteral("Device ID")), entry.deviceIds);
        EXPECT_EQ(Text(sheet, QStringLiteral("Output File Name:")),
                  QDir::toNativeSeparators(QDir::currentPath() + "/nv.bin"));
        Click(sheet, QStringLiteral("Exit"));
        expectLeft();
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh20xSheetTest, StringsShowTheirLengthsAndTakeOnlyStorableCharacters)
{
    open("QH204 - 48 pin");
    Select(sheet, "String Descriptor Enable", "Strings Enabled");
    Type(sheet, "Mfg. String", QString::fromUtf8("a\u20ACbc")); // no code unit for the euro
    EXPECT_EQ(Text(sheet, "Mfg. String"), "abc");
    EXPECT_EQ(Text(sheet, "Mfg. Length"), "03");
    QToolTip::hideText();
    Type(sheet, "Mfg. String", QString::fromUtf8("abc\u20AC"));
    EXPECT_TRUE(QToolTip::text().startsWith(QString::fromUtf8("\u201C\u20AC\u201D cannot be stored")))
        << "the box says why it did not take the character";
    EXPECT_EQ(Text(sheet, "Mfg. String"), "abc");
    EXPECT_TRUE(TextByLabel(sheet, "Mfg. Length")->isReadOnly());
    Select(sheet, "String Descriptor Enable", "Strings Disabled");
    EXPECT_FALSE(enabled("Mfg. String"));
    EXPECT_EQ(create()[0x13], 3) << "written all the same";
}

// A load moves the greyed fields as the values it shows would.
TEST_F(Qh20xSheetTest, ALoadGreysTheFieldsAsItsValuesDo)
{
    open("QH203 - 36 pin");
    // Re-mapping on, strings on, port 3 mapped to the fourth logical port the QH203 lacks.
    Bytes image(256, 0x00);
    image[0x08] = 0x0D; // re-map, LED 10, strings
    image[0xFC] = 0x14;
    image[0xFB] = 0x21;
    load(image);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(ChoiceText(sheet, "Port Map|Port 3"), "Port Disabled");
    EXPECT_TRUE(enabled("Port Map|Port 3"));
    EXPECT_FALSE(enabled("Self Power|Port 1"));
    EXPECT_TRUE(enabled("Serial String"));
    const Bytes file = create();
    EXPECT_EQ(file[0x08], 0x09);
    EXPECT_EQ(file[0xFC], 0x10) << "port 4 keeps what the file held, as disabled choices do";

    image[0x08] = 0x00; // re-mapping off: the map counts for nothing
    load(image);
    EXPECT_EQ(ChoiceText(sheet, "Port Map|Port 2"), "Port Disabled");
    EXPECT_FALSE(enabled("Port Map|Port 2"));
    EXPECT_FALSE(enabled("Serial String"));
    EXPECT_EQ(create()[0xFB], 0x00);
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh20xSheetTest, EveryWayOutClosesTheSheetAndTheListGoesBackToItsFirstEntry)
{
    open("QH203 - 48 pin");
    Select(sheet, "Device ID", "Back");
    expectLeft();
    open("QH202");
    Select(sheet, "Device ID", "Back");
    expectLeft();
    open("QH207 - 64 pin");
    sheet->close();
    expectLeft();
    open("QH204 - 36 pin");
    QTest::keyClick(sheet, Qt::Key_Escape);
    expectLeft();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(Qh20xSheetTest, PickingTheModelAgainKeepsItsOwnLedRule)
{
    Bytes image(256, 0x00);
    image[0x08] = 0x02; // "Speed Indication"
    open("QH204 - 36 pin");
    load(image);
    EXPECT_EQ(ChoiceText(sheet, "LED Mode"), "Speed Indication") << "a load may set it";
    EXPECT_FALSE(enabled("LED Mode"));
    Select(sheet, "Device ID", "QH204 -36 Pin");
    EXPECT_EQ(ChoiceText(sheet, "LED Mode"), "USB");
    Click(sheet, "Exit");
    expectLeft();

    open("QH203 - 48 pin");
    Select(sheet, "LED Mode", "USB");
    Select(sheet, "Device ID", "QH203 -48 Pin");
    EXPECT_EQ(ChoiceText(sheet, "LED Mode"), "USB");
    EXPECT_TRUE(enabled("LED Mode"));
    EXPECT_FALSE(sheet.isNull());
}

TEST_F(Qh20xSheetTest, WithoutACurrentFolderTheOutputNameIsBare)
{
    QTemporaryDir gone;
    QDir::setCurrent(gone.path());
    gone.remove();
    open("QH207 - 64 pin");
    EXPECT_EQ(messages(), std::vector<QString>{"Unable to get current working directory"});
    EXPECT_EQ(Text(sheet, "Output File Name:"), "nv.bin");
}

} // namespace
