// What a family's editor does that no other does: its own rules in the form, its own
// lists, its way back to the main window. What every editor does, each in its family's way,
// is tested over one table (tests/platform/editor_usability_ui_test.cpp).

#include "app/main_window.h"
#include "editors/qh1xx/qh1xx_editor.h"
#include "layout/model.h"
#include "platform/modeless_editor.h"
#include "platform/sheet.h"
#include "support/ui_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>

using namespace testing_support;
using platform::Answer;
using platform::MessageKind;
using Bytes = std::vector<unsigned char>;

namespace {

const Bytes kQh404Head{0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00, 0x05, 0x00, 0x00, 0x80};
const QStringList kQh1xx{"QH102", "QH103", "QH104", "QH107"};

// The given first bytes, filled up to `size`.
Bytes Padded(Bytes bytes, std::size_t size, unsigned char fill)
{
    bytes.resize(size, fill);
    return bytes;
}

// An editor as the user opens it: from the main window's model list (the QH404's is the
// main window).
class FamilyEditorTest : public UiTest {
protected:
    FamilyEditorTest() { window.show(); }

    QWidget* open(const QString& entry)
    {
        Select(&window, QStringLiteral("Device ID"), entry);
        sheet = window.sheet();
        editor = qobject_cast<CE2PromQH1XX*>(window.childEditor());
        form = sheet ? static_cast<QWidget*>(sheet) : editor ? static_cast<QWidget*>(editor) : &window;
        return form;
    }
    Bytes create()
    {
        Click(form, QStringLiteral("Create EEPROM File"));
        return readFile(QStringLiteral("nv.bin"));
    }
    QLineEdit* inputName() { return form->findChild<QLineEdit*>(QStringLiteral("inputFileName")); }
    void load(const Bytes& bytes)
    {
        writeFile(QStringLiteral("in.bin"), bytes);
        inputName()->setText(pathOf(QStringLiteral("in.bin")));
        form->findChild<QPushButton*>(QStringLiteral("loadButton"))->click();
    }
    bool enabled(const QString& label) { return FieldByLabel(form, label)->isEnabled(); }
    QString choice(const QString& label) { return ChoiceText(form, label); }
    static QString port(const char* group, int number, const char* what = "Disable")
    {
        return QString("%1|Port %2 %3").arg(group).arg(number).arg(what);
    }
    static QString fixedPort(int n) { return port("Non Removable Device", n, "Non-Removable"); }
    // The sheet gone, and the main window's list back on its first entry.
    void expectLeft()
    {
        ProcessEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(sheet.isNull());
        EXPECT_EQ(ChoiceText(&window, QStringLiteral("Device ID")), QStringLiteral("QH404"));
    }
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
    QWidget* form = &window;
    QPointer<platform::Sheet> sheet;
    QPointer<CE2PromQH1XX> editor;
    int pageAtMessage = -1;
};

// ---- QH404

// Bus power moves four fields, silently; corrections at Create are told and shown in the
// form.
TEST_F(FamilyEditorTest, Qh404PowerSourceRuleAndCreatesCorrectionsShownInTheForm)
{
    EXPECT_FALSE(FieldByLabel(form, "Dynamic Power")->isEnabled());
    EXPECT_FALSE(FieldByLabel(form, "On-The_Go")->isEnabled());
    Select(form, "Self-/Bus-Power", "Bus-Power");
    Click(form, "Create EEPROM File");
    EXPECT_EQ(readFile("nv.bin"), Padded({0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x98, 0x08,
                                             0x05, 0x64, 0x64, 0x80}, 256, 0xFF));
    Select(form, "Self-/Bus-Power", "Self-Power");
    Click(form, "Create EEPROM File");
    EXPECT_EQ(readFile("nv.bin"), Padded(kQh404Head, 256, 0xFF));
    EXPECT_TRUE(messages().empty());

    Select(form, "Port 2 Non-Removable", "Non-Removeable");
    Select(form, "Port 3 Non-Removable", "Non-Removeable"); // already compound: silent
    Select(form, "Port 3 Non-Removable", "Removeable");
    EXPECT_EQ(messages().size(), 1u);
    Select(form, "Compound Device", "No");
    Select(form, "Current Sensing", "Gang");
    Click(form, "Create EEPROM File");
    EXPECT_EQ(messages(),
              (std::vector<QString>{
                  "Conflict values of port power=0x0 and Current Sense=0x1, set to default=0",
                  "Compound device field is set to 'No', all of the ports will set to Removable"}));
    for (const char* port : {"Port 1 Non-Removable", "Port 2 Non-Removable",
                             "Port 3 Non-Removable", "Port 4 Non-Removable"})
        EXPECT_EQ(choice(port), "Removeable") << port;
    EXPECT_EQ(choice("Current Sensing"), "Individual");
    EXPECT_EQ(readFile("nv.bin"), Padded(kQh404Head, 256, 0xFF));
}

TEST_F(FamilyEditorTest, Qh404UnknownTimerNibbleThenPickingTheModelAgain)
{
    Bytes head = kQh404Head;
    head[8] = 0x83;
    Select(form, "Over-Current Timer", "4ms");
    load(Padded(head, 256, 0xFF));
    EXPECT_EQ(messages(), std::vector<QString>{"Over-Current Timer:Invalid value 0x3"});
    EXPECT_EQ(ChoiceItems(form, "Over-Current Timer"), (QStringList{"2ms", "4ms", "6ms", ""}));
    EXPECT_EQ(choice("Over-Current Timer"), "4ms") << "the selection stays";
    EXPECT_EQ(choice("Dynamic Power"), "Yes") << "the rest of the image is shown";

    load(Padded(head, 256, 0xFF)); // told again, but the list keeps one empty item
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(ChoiceItems(form, "Over-Current Timer").size(), 4);

    Select(form, "Over-Current Timer", "");
    Click(form, "Create EEPROM File");
    EXPECT_EQ(messages(),
              std::vector<QString>{"Over-Current Timer:Invalid value 0x3, default to 0x0"});
    EXPECT_EQ(choice("Over-Current Timer"), "2ms");
    EXPECT_EQ(readFile("nv.bin"), Padded({0x7A, 0x7A, 0xA7, 0x00, 0x00, 0x00, 0x58, 0x00,
                                             0x80, 0x00, 0x00, 0x80}, 256, 0xFF));

    // Picking the model again resets every field and list, not the file names or listing.
    Type(form, "VID (hex)", "BEEF");
    Select(form, "Self-/Bus-Power", "Bus-Power");
    Type(form, "Output File Name", "mine.bin");
    Select(form, "Device ID", "QH404");
    EXPECT_FALSE(FieldByLabel(form, "Dynamic Power")->isEnabled());
    for (QComboBox* list : window.findChildren<QComboBox*>())
        if (list->objectName() != "deviceId") {
            EXPECT_EQ(list->count(), list->objectName() == "over_current_timer" ? 3 : 2)
                << list->objectName().toStdString();
        }
    EXPECT_EQ(Text(form, "Binary Input File to Load:"), pathOf("in.bin"));
    EXPECT_EQ(Listing(form).size(), 16) << "the listing stays";
    Click(form, "Create EEPROM File");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(readFile("mine.bin"), Padded(kQh404Head, 256, 0xFF)) << "every field at its default";

    // With another model shown (a bare window here, holding no fields of its own), Create
    // builds and writes nothing.
    window.setModelessFactory([](const layout::Model&, CHUBQUILLDlg& owner) {
        return new platform::ModelessEditor(&owner);
    });
    Select(form, "Device ID", "QH102");
    ASSERT_NE(window.childEditor(), nullptr);
    const QStringList shown = Listing(form);
    Type(form, "VID (hex)", "1");
    Type(form, "Output File Name", "other.bin");
    Click(form, "Create EEPROM File");
    EXPECT_FALSE(QFile::exists(pathOf("other.bin")));
    EXPECT_EQ(Listing(form), shown);
    EXPECT_TRUE(messages().empty());
}

// ---- QH1xx

TEST_F(FamilyEditorTest, Qh1xxQh102FormAndThePowerModeRule)
{
    open("QH102");
    EXPECT_EQ(ChoiceItems(form, "Current Sensing"), (QStringList{"Gang", "OCS Not Supported"}));
    for (const char* absent : {"Port Indicators", "Multiple-TT Support",
                               "Downstream Port Power Enabling", "OTG Enable"}) {
        EXPECT_FALSE(ChoiceByLabel(form, absent)->isEnabled()) << absent;
        EXPECT_TRUE(ChoiceItems(form, absent).isEmpty()) << absent;
    }
    create();
    Select(form, "Self-/Bus-Power", "Self-Power");
    EXPECT_EQ(choice("Current Sensing"), "Gang");
    EXPECT_TRUE(Listing(form).isEmpty());
    EXPECT_EQ(create()[6], 0x88);
    Select(form, "Self-/Bus-Power", "Bus-Power");
    EXPECT_EQ(create()[6], 0x0C) << "OCS Not Supported is bit 2 on the QH102";

    Select(form, "Device ID", "QH103");
    Select(form, "Self-/Bus-Power", "Self-Power");
    EXPECT_EQ(create()[6], 0x98);
    EXPECT_TRUE(ChoiceByLabel(form, port("Port Disable Self Power", 3))->isEnabled());
    EXPECT_FALSE(ChoiceByLabel(form, port("Port Disable Self Power", 4))->isEnabled());
    EXPECT_TRUE(messages().empty());
}

// Only the product ID takes typed text, and what is typed is not added to its list.
TEST_F(FamilyEditorTest, Qh1xxTheProductIdListTakesTypedText)
{
    open("QH103");
    QLineEdit* pid = ChoiceByLabel(form, "PID (Hex)")->lineEdit();
    pid->selectAll();
    QTest::keyClicks(pid, "0abc");
    for (QComboBox* list : editor->findChildren<QComboBox*>())
        EXPECT_EQ(list->isEditable(), list->objectName() == "pid")
            << list->objectName().toStdString();
    EXPECT_EQ(ChoiceItems(form, "PID (Hex)"), (QStringList{"0103", "0104"}));
    const Bytes image = create();
    EXPECT_EQ(Bytes(image.begin() + 2, image.begin() + 4), (Bytes{0xBC, 0x0A}));
}

// An image of another family, accepted: the model byte still picks the form without asking
// for a template, and the product ID, not in the list, is added in order.
TEST_F(FamilyEditorTest, Qh1xxAForeignImageTakenShowsTheFormItsModelByteNames)
{
    open("QH107");
    services.answerNext(Answer::Ok);
    load(Padded({0x7A, 0x7A, 0x03, 0x00}, 16, 0x00));
    EXPECT_EQ(messages(), std::vector<QString>{"Dev PID 30 is not QH1xx. Click OK to go on, Cancel to abort"});
    EXPECT_EQ(choice("Device ID"), "QH103");
    EXPECT_EQ(ChoiceItems(form, "PID (Hex)"), (QStringList{"0003", "0103", "0104"}));
    EXPECT_EQ(choice("PID (Hex)"), "0003");
}

TEST_F(FamilyEditorTest, Qh1xxProductIdsWithoutAFormAskForTheDisplayTemplate)
{
    open("QH102");
    services.answerNext(Answer::Yes);
    load(Padded({0x7A, 0x7A, 0x05, 0x01}, 16, 0x00));
    ASSERT_EQ(services.messages().size(), 1u);
    EXPECT_EQ(services.messages()[0].kind, MessageKind::YesNoStop);
    EXPECT_EQ(services.messages()[0].text, "Select QH107 as display template");
    EXPECT_EQ(choice("Device ID"), "QH107");
    EXPECT_EQ(ChoiceItems(form, "PID (Hex)"),
              (QStringList{"0103", "0104", "0105", "0106", "0107"}));
    EXPECT_EQ(choice("PID (Hex)"), "0105");
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(ChoiceItems(form, port("Port Disable Bus Power", n)),
                  (QStringList{"Enable", "Disable"}));

    // Switching models loses the earlier choices but keeps both file names.
    Select(form, "Over-Current Timer", "6ms");
    Type(form, "DID (Hex)", "42");
    Type(form, "Output File Name", "out.bin");
    Select(form, "Device ID", "QH102");
    EXPECT_EQ(choice("Over-Current Timer"), "2ms");
    EXPECT_EQ(ChoiceItems(form, "Over-Current Timer").size(), 4);
    EXPECT_EQ(Text(form, "DID (Hex)"), "0000");
    EXPECT_EQ(Text(form, "Binary Input File to Load:"), pathOf("in.bin"));
    EXPECT_TRUE(Listing(form).isEmpty());

    services.answerNext(Answer::No);
    load(Padded({0x7A, 0x7A, 0x05, 0x01}, 16, 0x00));
    EXPECT_EQ(choice("Device ID"), "QH102");
    EXPECT_EQ(ChoiceItems(form, "PID (Hex)"), (QStringList{"0102", "0105"}));
    EXPECT_EQ(choice("PID (Hex)"), "0105");
    for (int n = 3; n <= 7; ++n)
        for (const QString& row : {fixedPort(n), port("Port Disable Bus Power", n),
                                   port("Port Disable Self Power", n)}) {
            EXPECT_FALSE(ChoiceByLabel(form, row)->isEnabled()) << row.toStdString();
            EXPECT_TRUE(ChoiceItems(form, row).isEmpty()) << row.toStdString();
        }
    Click(form, "Create EEPROM File");
    EXPECT_EQ(readFile("out.bin").at(2), 0x05) << "the product ID shown is what Create writes";
}

TEST_F(FamilyEditorTest, Qh1xxEachModelOpensItsEditorAndQH404BringsTheMainWindowBackAsItWas)
{
    Type(&window, "VID (hex)", "BEEF");
    Select(&window, "Self-/Bus-Power", "Bus-Power");
    Type(&window, "Output File Name", "mine.bin");
    QSignalSpy finished(&window, &QDialog::finished);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(open(kQh1xx[i]), &window);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(editor->model()->name, kQh1xx[i].toStdString());
        EXPECT_EQ(ChoiceText(editor, "Device ID"), kQh1xx[i]);
        Select(editor, "Device ID", "QH404");
        ProcessEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(editor.isNull()) << "no hidden editor is left behind";
        EXPECT_EQ(finished.count(), 0);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(ChoiceText(&window, "Device ID"), "QH404");
        EXPECT_EQ(Text(&window, "VID (hex)"), "BEEF");
        EXPECT_EQ(ChoiceText(&window, "Self-/Bus-Power"), "Bus-Power");
        EXPECT_EQ(Text(&window, "Output File Name"), "mine.bin");
    }
}

TEST_F(FamilyEditorTest, Qh1xxTheEditorsCloseBoxOrEscEndsTheProgram)
{
    for (bool viaEsc : {false, true}) {
        QSignalSpy finished(&window, &QDialog::finished);
        ASSERT_NE(open("QH102"), &window);
        if (viaEsc)
            QTest::keyClick(editor.data(), Qt::Key_Escape);
        else
            editor->close();
        ProcessEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(finished.count(), 1) << (viaEsc ? "Esc" : "close box");
        EXPECT_TRUE(editor.isNull());
        window.show();
    }
}

// ---- QH304

TEST_F(FamilyEditorTest, Qh304OpensWithItsPagesListsAndGreyedStrings)
{
    open("QH304");
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

TEST_F(FamilyEditorTest, Qh304ChecksStopACreateWithTheFocusOnTheField)
{
    open("QH304");
    services.whileShowing([this] { pageAtMessage = sheet ? sheet->currentPage() : -1; });
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

TEST_F(FamilyEditorTest, Qh304DeviceIdResetsBothPagesOrGoesBackToTheMainWindow)
{
    open("QH304");
    Select(sheet, "String Desc Enable", "Enable String Support");
    Type(sheet, "Mfg String", "Hub");
    Select(sheet, "Port Lockout|Port 2", "Locked");
    create();
    inputName()->setText("x.bin");
    Select(sheet, "Device ID", "QH304");
    EXPECT_EQ(Text(sheet, "Mfg String"), "");
    EXPECT_EQ(ChoiceText(sheet, "String Desc Enable"), "Disable String Support");
    for (const char* field : {"Lang ID (Hex)", "Mfg String", "Prod String", "Serial String"})
        EXPECT_FALSE(enabled(field)) << field << " greyed as strings are disabled";
    EXPECT_EQ(ChoiceText(sheet, "Port Lockout|Port 2"), "Available");
    EXPECT_TRUE(Listing(sheet).isEmpty());
    EXPECT_EQ(inputName()->text(), "");

    Select(sheet, "Device ID", "QH404");
    expectLeft();
}

// ---- QH20x

TEST_F(FamilyEditorTest, Qh20xEachEntryOpensItsSheetOverTheMainWindow)
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
        ASSERT_NE(open(entry.name), &window);
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

TEST_F(FamilyEditorTest, Qh20xStringsShowTheirLengthsAndTakeOnlyStorableCharacters)
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
TEST_F(FamilyEditorTest, Qh20xALoadGreysTheFieldsAsItsValuesDo)
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

TEST_F(FamilyEditorTest, Qh20xEveryWayOutClosesTheSheetAndTheListGoesBackToItsFirstEntry)
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

TEST_F(FamilyEditorTest, Qh20xPickingTheModelAgainKeepsItsOwnLedRule)
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

TEST_F(FamilyEditorTest, Qh20xWithoutACurrentFolderTheOutputNameIsBare)
{
    QTemporaryDir gone;
    QDir::setCurrent(gone.path());
    gone.remove();
    open("QH207 - 64 pin");
    EXPECT_EQ(messages(), std::vector<QString>{"Unable to get current working directory"});
    EXPECT_EQ(Text(sheet, "Output File Name:"), "nv.bin");
}

} // namespace
