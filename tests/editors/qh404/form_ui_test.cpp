#include "app/main_window.h"
#include "platform/modeless_editor.h"
#include "support/ui_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>

using namespace testing_support;

namespace {

using Bytes = std::vector<unsigned char>;

const Bytes kDefaultHead{0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00, 0x05, 0x00, 0x00, 0x80};

// A whole image file: the given first bytes, the rest erased.
Bytes ImageFile(Bytes head)
{
    head.resize(256, 0xFF);
    return head;
}

class Qh404FormTest : public UiTest {
protected:
    Qh404FormTest()
    {
        window.setModelessFactory([](const layout::Model&, CHUBQUILLDlg& owner) {
            return new platform::ModelessEditor(&owner);
        });
    }

    QWidget* form() { return &window; }
    void create() { Click(form(), QStringLiteral("Create EEPROM File")); }
    void load(const QString& name)
    {
        Type(form(), QStringLiteral("Binary Input File to Load:"), pathOf(name));
        Click(form(), QStringLiteral("LOAD from FILE"));
    }
    QString choice(const char* label) { return ChoiceText(form(), QString::fromUtf8(label)); }
    QString text(const char* label) { return Text(form(), QString::fromUtf8(label)); }

    CHUBQUILLDlg window;
};

TEST_F(Qh404FormTest, DefaultsThenCreateThenThePowerSourceBothWays)
{
    EXPECT_FALSE(FieldByLabel(form(), "Dynamic Power")->isEnabled());
    EXPECT_FALSE(FieldByLabel(form(), "On-The_Go")->isEnabled());
    create();
    EXPECT_EQ(readFile("nv.bin"), ImageFile(kDefaultHead));
    const QStringList lines = Listing(form());
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines[0], "00: 7A 7A A7 00 00 00 58 00 05 00 00 80 FF FF FF FF");
    EXPECT_EQ(lines[15], "F0: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");

    // Bus power moves four fields; self power puts them back.
    Select(form(), "Self-/Bus-Power", "Bus-Power");
    create();
    EXPECT_EQ(readFile("nv.bin"), ImageFile({0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x98, 0x08,
                                             0x05, 0x64, 0x64, 0x80}));
    Select(form(), "Self-/Bus-Power", "Self-Power");
    create();
    EXPECT_EQ(readFile("nv.bin"), ImageFile(kDefaultHead));
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh404FormTest, CompoundDeviceAndPowerSenseRules)
{
    Select(form(), "Port 2 Non-Removable", "Non-Removeable");
    EXPECT_EQ(messages(), std::vector<QString>{"Non-Removable has been selected, Compound "
                                               "device field will set to Yes"});
    EXPECT_EQ(choice("Compound Device"), "Yes");
    Select(form(), "Port 3 Non-Removable", "Non-Removeable"); // already compound: silent
    Select(form(), "Port 3 Non-Removable", "Removeable");
    EXPECT_TRUE(messages().empty());

    Select(form(), "Compound Device", "No");
    Select(form(), "Current Sensing", "Gang");
    create();
    EXPECT_EQ(messages(),
              (std::vector<QString>{
                  "Conflict values of port power=0x0 and Current Sense=0x1, set to default=0",
                  "Compound device field is set to 'No', all of the ports will set to Removable"}));
    for (const char* port : {"Port 1 Non-Removable", "Port 2 Non-Removable",
                             "Port 3 Non-Removable", "Port 4 Non-Removable"})
        EXPECT_EQ(choice(port), "Removeable") << port;
    EXPECT_EQ(choice("Current Sensing"), "Individual");
    EXPECT_EQ(readFile("nv.bin"), ImageFile(kDefaultHead));
}

TEST_F(Qh404FormTest, UnknownTimerNibbleThenPickingTheModelAgain)
{
    Bytes head = kDefaultHead;
    head[8] = 0x83;
    writeFile("odd.bin", ImageFile(head));
    Select(form(), "Over-Current Timer", "4ms");
    load("odd.bin");
    EXPECT_EQ(messages(), std::vector<QString>{"Over-Current Timer:Invalid value 0x3"});
    EXPECT_EQ(ChoiceItems(form(), "Over-Current Timer"), (QStringList{"2ms", "4ms", "6ms", ""}));
    EXPECT_EQ(choice("Over-Current Timer"), "4ms") << "the selection stays";
    EXPECT_EQ(choice("Dynamic Power"), "Yes") << "the rest of the image is shown";

    load("odd.bin"); // told again, but the list keeps one empty item
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(ChoiceItems(form(), "Over-Current Timer").size(), 4);

    Select(form(), "Over-Current Timer", "");
    create();
    EXPECT_EQ(messages(),
              std::vector<QString>{"Over-Current Timer:Invalid value 0x3, default to 0x0"});
    EXPECT_EQ(choice("Over-Current Timer"), "2ms");
    EXPECT_EQ(readFile("nv.bin"), ImageFile({0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00,
                                             0x80, 0x00, 0x00, 0x80}));

    // Picking the model again resets every field and list, not the file names or listing.
    Type(form(), "VID (hex)", "BEEF");
    Select(form(), "Self-/Bus-Power", "Bus-Power");
    Type(form(), "Output File Name", "mine.bin");
    Select(form(), "Device ID", "QH404");
    EXPECT_FALSE(FieldByLabel(form(), "Dynamic Power")->isEnabled());
    for (QComboBox* list : window.findChildren<QComboBox*>())
        if (list->objectName() != "deviceId") {
            EXPECT_EQ(list->count(), list->objectName() == "over_current_timer" ? 3 : 2)
                << list->objectName().toStdString();
        }
    EXPECT_EQ(text("Binary Input File to Load:"), pathOf("odd.bin"));
    EXPECT_EQ(Listing(form()).size(), 16) << "the listing stays";
    create();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(readFile("mine.bin"), ImageFile(kDefaultHead)) << "every field at its default";

    // With another model shown, Create builds and writes nothing.
    Select(form(), "Device ID", "QH102");
    ASSERT_NE(window.childEditor(), nullptr);
    const QStringList shown = Listing(form());
    Type(form(), "VID (hex)", "1");
    Type(form(), "Output File Name", "other.bin");
    create();
    EXPECT_FALSE(QFile::exists(pathOf("other.bin")));
    EXPECT_EQ(Listing(form()), shown);
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh404FormTest, LoadShowsTheImageWithoutRunningRules)
{
    create();
    Type(form(), "VID (hex)", "1234");
    Select(form(), "Over-Current Timer", "6ms");
    Select(form(), "Self-/Bus-Power", "Bus-Power");
    load("nv.bin");
    create();
    EXPECT_EQ(readFile("nv.bin"), ImageFile(kDefaultHead)) << "every field back at its default";

    // Bus power and a non-removable port of a device that is not compound, as a file may
    // hold them: shown as they are, no rule runs.
    writeFile("raw.bin", ImageFile({0x00, 0x0A, 0xA6, 0x00, 0x00, 0x01, 0x98, 0x10, 0x0A, 0x05,
                                    0x00, 0xFF}));
    load("raw.bin");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(text("Max Power (hex)"), "5");
    EXPECT_EQ(choice("Self-/Bus-Power"), "Bus-Power");
    EXPECT_EQ(choice("Port 4 Disable"), "Enable");
    EXPECT_EQ(choice("Port 1 Non-Removable"), "Non-Removeable");
    EXPECT_EQ(choice("Compound Device"), "No");
    EXPECT_EQ(choice("Over-Current Timer"), "4ms");
    EXPECT_EQ(Listing(form()).value(0), "00: 00 0A A6 00 00 01 98 10 0A 05 00 FF FF FF FF FF");
}

TEST_F(Qh404FormTest, FailedOrRefusedLoadsChangeNothingAndLoadedBytesSurviveCreate)
{
    Type(form(), "VID (hex)", "BEEF");
    Click(form(), "LOAD from FILE");
    load("missing.bin");
    EXPECT_EQ(messages(), (std::vector<QString>{"Please enter a file name at input file box first",
                                                "Failed to read input file"}));

    // Bytes 12 to 15 belong to no field; a load reads sixteen bytes.
    Bytes other = ImageFile({0x12, 0x34, 0xA8, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4});
    std::fill(other.begin() + 16, other.end(), 0x00);
    writeFile("other.bin", other);
    services.answerNext(platform::Answer::Cancel);
    load("other.bin");
    ASSERT_EQ(services.messages().size(), 1u);
    EXPECT_EQ(services.messages()[0].kind, platform::MessageKind::OkCancelStop);
    EXPECT_EQ(services.messages()[0].text,
              "Dev PID A80 is not QH404. Click OK to go on, Cancel to abort");
    messages();
    EXPECT_EQ(text("VID (hex)"), "BEEF");
    EXPECT_TRUE(Listing(form()).isEmpty());

    services.answerNext(platform::Answer::Ok);
    load("other.bin");
    EXPECT_EQ(text("VID (hex)"), "1234");
    EXPECT_EQ(Listing(form()).value(0).left(15), "00: 12 34 A8 00");
    create();
    const Bytes written = readFile("nv.bin");
    ASSERT_EQ(written.size(), 256u);
    EXPECT_EQ(Bytes(written.begin() + 12, written.begin() + 17), (Bytes{1, 2, 3, 4, 0xFF}));
}

TEST_F(Qh404FormTest, HexBoxesAndOutputNames)
{
    Type(form(), "VID (hex)", "123456789");
    EXPECT_EQ(text("VID (hex)"), "1234567") << "seven characters";
    Type(form(), "DID (hex)", "zz");
    Type(form(), "Max Power (hex)", " 0x1fF");
    Type(form(), "Power-On Timer (hex)", "");
    Type(form(), "Output File Name", "");
    create();
    EXPECT_EQ(messages(),
              std::vector<QString>{"No output file specified.\nPlease specify a valid file\n"});
    EXPECT_TRUE(QDir(pathOf(".")).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(Listing(form()).isEmpty()) << "nothing was built";

    Type(form(), "Output File Name", "first.bin");
    create();
    EXPECT_EQ(readFile("first.bin"), ImageFile({0x45, 0x67, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00,
                                                0x05, 0xFF, 0x00, 0x00}));
    Type(form(), "Output File Name", "");
    Type(form(), "VID (hex)", "1");
    create();
    EXPECT_EQ(readFile("first.bin").at(1), 0x01) << "an empty box keeps the name set last";

    // A write that fails is told; the listing still shows the image built.
    ASSERT_TRUE(QDir(pathOf(".")).mkdir("folder"));
    Type(form(), "Output File Name", "folder");
    Type(form(), "VID (hex)", "2");
    create();
    EXPECT_EQ(messages(), std::vector<QString>{"Error trying to create EEPROM file.\n\nIs a folder."});
    EXPECT_EQ(Listing(form()).value(0).left(9), "00: 00 02");

    // Browse fills both names; Create then writes over the chosen file.
    writeFile("picked.bin", Bytes(20, 0x00));
    services.chooseNextFile(pathOf("picked.bin"));
    Click(form(), "Browse");
    EXPECT_EQ(text("Binary Input File to Load:"), pathOf("picked.bin"));
    create();
    EXPECT_EQ(readFile("picked.bin").size(), 256u);
}

} // namespace
