#include "app/main_window.h"
#include "platform/modeless_editor.h"
#include "support/ui_fixture.h"

#include <QComboBox>
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

    CHUBQUILLDlg window;
};

// Bus power moves four fields, silently; corrections at Create are told and shown in the
// form.
TEST_F(Qh404FormTest, PowerSourceRuleAndCreatesCorrectionsShownInTheForm)
{
    EXPECT_FALSE(FieldByLabel(form(), "Dynamic Power")->isEnabled());
    EXPECT_FALSE(FieldByLabel(form(), "On-The_Go")->isEnabled());
    Select(form(), "Self-/Bus-Power", "Bus-Power");
    create();
    EXPECT_EQ(readFile("nv.bin"), ImageFile({0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x98, 0x08,
                                             0x05, 0x64, 0x64, 0x80}));
    Select(form(), "Self-/Bus-Power", "Self-Power");
    create();
    EXPECT_EQ(readFile("nv.bin"), ImageFile(kDefaultHead));
    EXPECT_TRUE(messages().empty());

    Select(form(), "Port 2 Non-Removable", "Non-Removeable");
    Select(form(), "Port 3 Non-Removable", "Non-Removeable"); // already compound: silent
    EXPECT_EQ(messages().size(), 1u);
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
    EXPECT_EQ(Text(form(), "Binary Input File to Load:"), pathOf("odd.bin"));
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

} // namespace
