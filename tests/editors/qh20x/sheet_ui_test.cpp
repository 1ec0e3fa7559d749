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

const QString kNotAnImage = QStringLiteral(
    "Looks like the input file is not a valid E2prom binary file or it may have been "
    "corrupted\nAborting the load operation of this file\n");

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

TEST_F(Qh20xSheetTest, EachEntryOpensItsSheetOverTheMainWindowAndCreatesItsDefaults)
{
    struct Entry {
        QString name;
        QStringList tabs;
        QStringList deviceIds;
        unsigned char byte8;
    };
    const QStringList tabs{"Tab1", "Tab2"};
    const Entry kEntries[] = {
        {"QH203 - 36 pin", tabs, {"Back", "QH203 -36 Pin"}, 0x00},
        {"QH203 - 48 pin", tabs, {"Back", "QH203 -48 Pin"}, 0x02},
        {"QH204 - 36 pin", tabs, {"Back", "QH204 -36 Pin"}, 0x00},
        {"QH204 - 48 pin", tabs, {"Back", "QH204 -48 Pin"}, 0x02},
        {"QH202", {"Main - Configuration", "Additional - Configuration"}, {"202", "Back"}, 0x00},
        {"QH207 - 64 pin", tabs, {"Back", "QH207 - 64 Pin"}, 0x00},
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
        const Bytes file = create();
        ASSERT_EQ(file.size(), 256u);
        EXPECT_EQ(file[0x08], entry.byte8);
        EXPECT_EQ(file[0x0C], 0x01);
        EXPECT_EQ(Listing(sheet).size(), 16);
        Click(sheet, QStringLiteral("Exit"));
        expectLeft();
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh20xSheetTest, Qh203FortyEightPinOpensWithItsDefaultsAndFixedFourthPort)
{
    open(QStringLiteral("QH203 - 48 pin"));
    EXPECT_EQ(ChoiceText(sheet, "LED Mode"), "Speed Indication");
    EXPECT_EQ(Text(sheet, "Bus Power|Max Hub Controller Current (Hex)"), "32");
    Type(sheet, "DID (Hex)", "12345");
    EXPECT_EQ(Text(sheet, "DID (Hex)"), "1234") << "the box takes four characters";
    EXPECT_TRUE(enabled("LED Mode"));
    EXPECT_FALSE(enabled("Non-Removable Device|Port 1"));
    EXPECT_TRUE(enabled("Self Power|Port 3"));
    EXPECT_FALSE(enabled("Self Power|Port 4"));
    EXPECT_FALSE(enabled("Bus Power|Port 4"));
    EXPECT_FALSE(enabled("Lang ID (Hex)"));

    Select(sheet, "Compound Device", "Yes");
    EXPECT_TRUE(enabled("Non-Removable Device|Port 3"));
    EXPECT_FALSE(enabled("Non-Removable Device|Port 4"));
    Select(sheet, "Compound Device", "No");
    EXPECT_FALSE(enabled("Non-Removable Device|Port 3"));
    EXPECT_TRUE(enabled("Port Swap|Port 4"));
    EXPECT_FALSE(enabled("Electrical Drive Strength Boost|Port 4"));
    EXPECT_EQ(ChoiceItems(sheet, "Port Map|Port 1").last(), "Map to Logical Port 3");
}

TEST_F(Qh20xSheetTest, StringsShowTheirLengthsAndTakeOnlyStorableCharacters)
{
    open("QH204 - 48 pin");
    EXPECT_FALSE(enabled("Mfg. String"));
    Select(sheet, "String Descriptor Enable", "Strings Enabled");
    EXPECT_TRUE(enabled("Mfg. String"));
    EXPECT_TRUE(enabled("Lang ID (Hex)"));
    Type(sheet, "Mfg. String", QString::fromUtf8("a\u20ACbc")); // no code unit for the euro
    EXPECT_EQ(Text(sheet, "Mfg. String"), "abc");
    EXPECT_EQ(Text(sheet, "Mfg. Length"), "03");
    QToolTip::hideText();
    Type(sheet, "Mfg. String", QString::fromUtf8("abc\u20AC"));
    EXPECT_TRUE(QToolTip::text().startsWith(QString::fromUtf8("\u201C\u20AC\u201D cannot be stored")))
        << "the box says why it did not take the character";
    EXPECT_EQ(Text(sheet, "Mfg. String"), "abc");
    Type(sheet, "Serial String", QString::fromUtf8("K\u00F6ln"));
    Type(sheet, "Lang ID (Hex)", "0409");
    EXPECT_TRUE(TextByLabel(sheet, "Mfg. Length")->isReadOnly());
    Select(sheet, "String Descriptor Enable", "Strings Disabled");
    EXPECT_FALSE(enabled("Mfg. String"));
    const Bytes file = create();
    EXPECT_EQ(file[0x08] & 0x01, 0x00);
    EXPECT_EQ(Bytes(file.begin() + 0x11, file.begin() + 0x1C),
              (Bytes{0x04, 0x09, 3, 0, 4, 0x61, 0x00, 0x62, 0x00, 0x63, 0x00}));
    EXPECT_EQ(Bytes(file.begin() + 0x92, file.begin() + 0x9A),
              (Bytes{'K', 0x00, 0xF6, 0x00, 'l', 0x00, 'n', 0x00}));
}

TEST_F(Qh20xSheetTest, PortReMappingSwitchesBetweenPortDisableAndPortMap)
{
    open("QH204 - 36 pin");
    EXPECT_FALSE(enabled("Port Map|Port 4"));
    Select(sheet, "Port Re-Mapping Enable", "Port Re-Map");
    EXPECT_FALSE(enabled("Self Power|Port 1"));
    EXPECT_FALSE(enabled("Bus Power|Port 4"));
    EXPECT_TRUE(enabled("Port Map|Port 4"));
    EXPECT_EQ(ChoiceItems(sheet, "Port Map|Port 4").last(), "Map to Logical Port 4");
    Select(sheet, "Port Map|Port 2", "Map to Logical Port 3");
    Select(sheet, "Port Map|Port 4", "Map to Logical Port 1");
    Bytes file = create();
    EXPECT_EQ(file[0xFB], 0x30);
    EXPECT_EQ(file[0xFC], 0x10);
    Select(sheet, "Port Re-Mapping Enable", "Standard");
    EXPECT_EQ(ChoiceText(sheet, "Port Map|Port 2"), "Port Disabled");
    EXPECT_FALSE(enabled("Port Map|Port 2"));
    EXPECT_TRUE(enabled("Self Power|Port 1"));
    file = create();
    EXPECT_EQ(file[0xFB], 0x00);
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh20xSheetTest, ALoadShowsTheImageAndAFileOfAnotherSizeChangesNothing)
{
    open("QH203 - 36 pin");
    Type(sheet, "VID (Hex)", "BEEF");
    create();
    const QStringList listed = Listing(sheet);
    load(Bytes(257, 0xFF));
    EXPECT_EQ(messages(), std::vector<QString>{kNotAnImage});
    Type(sheet, "Input File to Load:", "");
    Click(sheet, "Load From File");
    EXPECT_EQ(messages(), std::vector<QString>{"Field 'Input File To Load' does not specify any "
                                               "file name.\nPlease specify a valid file to load\n"});
    EXPECT_EQ(Text(sheet, "VID (Hex)"), "BEEF");
    EXPECT_EQ(Listing(sheet), listed);

    // Re-mapping on, strings on, port 3 mapped to the fourth logical port the QH203 lacks.
    Bytes image(256, 0x00);
    image[0x06] = 0x86; // self power, current sensing 11
    image[0x08] = 0x0D; // re-map, LED 10, strings
    image[0xFC] = 0x14;
    image[0xFB] = 0x21;
    load(image);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(Listing(sheet).value(15), "F0: 00 00 00 00 00 00 00 00 00 00 00 21 14 00 00 00");
    EXPECT_EQ(ChoiceText(sheet, "Current Sensing"), "OCS Not Supported");
    EXPECT_EQ(ChoiceText(sheet, "LED Mode"), "USB");
    EXPECT_EQ(ChoiceText(sheet, "Port Map|Port 2"), "Map to Logical Port 2");
    EXPECT_EQ(ChoiceText(sheet, "Port Map|Port 3"), "Port Disabled");
    EXPECT_EQ(ChoiceText(sheet, "Port Map|Port 4"), "Map to Logical Port 1");
    EXPECT_TRUE(enabled("Port Map|Port 3"));
    EXPECT_FALSE(enabled("Self Power|Port 1"));
    EXPECT_TRUE(enabled("Serial String"));
    const Bytes file = create();
    EXPECT_EQ(file[0x06], 0x84);
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

TEST_F(Qh20xSheetTest, CreateTellsWhatItCouldNotDo)
{
    open("QH207 - 64 pin");
    create();
    const QStringList listed = Listing(sheet);
    Type(sheet, "VID (Hex)", "1111");
    Type(sheet, "Output File Name:", pathOf("no/such/folder/nv.bin"));
    Click(sheet, "Create EEPROM File");
    EXPECT_EQ(messages(), std::vector<QString>{"Error creating EE file\n\nNo such folder."});
    EXPECT_EQ(Listing(sheet), listed) << "the listing shows what was last written";
    Type(sheet, "Output File Name:", "");
    Click(sheet, "Create EEPROM File");
    EXPECT_EQ(messages(),
              std::vector<QString>{"No output file specified.\nPlease specify a valid file\n"});
    EXPECT_EQ(Listing(sheet), listed);
}

TEST_F(Qh20xSheetTest, BrowseChoosesTheFileThatLoadReadsAndCreateOverwrites)
{
    open("QH204 - 48 pin");
    Bytes image(256, 0x00);
    image[0x00] = 0x34;
    image[0x01] = 0x12;
    writeFile("board.bin", image);
    services.chooseNextFile(pathOf("board.bin"));
    Click(sheet, "Browse");
    Click(sheet, "Load From File");
    EXPECT_EQ(Text(sheet, "VID (Hex)"), "1234");
    Type(sheet, "PID (Hex)", "ABCD");
    Click(sheet, "Create EEPROM File");
    EXPECT_EQ(readFile("board.bin").at(2), 0xCD);
    EXPECT_FALSE(QFile::exists(pathOf("nv.bin")));
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
