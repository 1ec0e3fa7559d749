#include "app/main_window.h"
#include "editors/qh1xx/qh1xx_editor.h"
#include "layout/model.h"
#include "support/ui_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace testing_support;
using platform::Answer;
using platform::MessageKind;
using Bytes = std::vector<unsigned char>;

namespace {

const QStringList kModels{"QH102", "QH103", "QH104", "QH107"};

// A sixteen-byte image head: the given first bytes, the rest zero.
Bytes Head(std::initializer_list<unsigned char> first)
{
    Bytes bytes(first);
    bytes.resize(16, 0x00);
    return bytes;
}

// The editor as the user opens it: from the main window's model list.
class Qh1xxEditorTest : public UiTest {
protected:
    Qh1xxEditorTest() { window.show(); }

    CE2PromQH1XX* open(const QString& model)
    {
        Select(&window, "Device ID", model);
        editor = qobject_cast<CE2PromQH1XX*>(window.childEditor());
        return editor;
    }
    QWidget* form() const { return editor; }

    void load(const Bytes& bytes)
    {
        writeFile("in.bin", bytes);
        Type(form(), "Binary Input File to Load:", pathOf("in.bin"));
        Click(form(), "LOAD from FILE");
    }
    Bytes create()
    {
        Click(form(), "Create EEPROM File");
        return readFile("nv.bin");
    }
    QString choice(const QString& label) const { return ChoiceText(form(), label); }
    static QString port(const char* group, int number, const char* what = "Disable")
    {
        return QString("%1|Port %2 %3").arg(group).arg(number).arg(what);
    }
    static QString fixedPort(int n) { return port("Non Removable Device", n, "Non-Removable"); }

    CHUBQUILLDlg window;
    QPointer<CE2PromQH1XX> editor;
};

TEST_F(Qh1xxEditorTest, DefaultsThenCreateForEachModel)
{
    open("QH107");
    EXPECT_EQ(ChoiceItems(form(), "Device ID"),
              (QStringList{"QH404", "QH102", "QH103", "QH104", "QH107"}));
    // Each model's defaults agree with the command line's (editors_agree_ui_test.cpp); here,
    // that switching models rebuilds the form and keeps the bytes no field owns.
    for (const QString& name : kModels) {
        Select(form(), "Device ID", name);
        const Bytes file = create();
        EXPECT_EQ(file[2], name.right(1).toInt()) << name.toStdString();
        EXPECT_EQ(Bytes(file.begin() + 16, file.end()), Bytes(240, 0xFF));
    }
    EXPECT_EQ(Listing(form()).value(0), "00: 7A 7A 07 01 00 00 1C 90 00 00 00 01 01 01 01 32");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh1xxEditorTest, Qh102FormAndThePowerModeRule)
{
    open("QH102");
    EXPECT_EQ(ChoiceItems(form(), "Current Sensing"), (QStringList{"Gang", "OCS Not Supported"}));
    for (const char* absent : {"Port Indicators", "Multiple-TT Support",
                               "Downstream Port Power Enabling", "OTG Enable"}) {
        EXPECT_FALSE(ChoiceByLabel(form(), absent)->isEnabled()) << absent;
        EXPECT_TRUE(ChoiceItems(form(), absent).isEmpty()) << absent;
    }
    create();
    Select(form(), "Self-/Bus-Power", "Self-Power");
    EXPECT_EQ(choice("Current Sensing"), "Gang");
    EXPECT_TRUE(Listing(form()).isEmpty());
    EXPECT_EQ(create()[6], 0x88);
    Select(form(), "Self-/Bus-Power", "Bus-Power");
    EXPECT_EQ(create()[6], 0x0C) << "OCS Not Supported is bit 2 on the QH102";

    Select(form(), "Device ID", "QH103");
    Select(form(), "Self-/Bus-Power", "Self-Power");
    EXPECT_EQ(create()[6], 0x98);
    EXPECT_TRUE(ChoiceByLabel(form(), port("Port Disable Self Power", 3))->isEnabled());
    EXPECT_FALSE(ChoiceByLabel(form(), port("Port Disable Self Power", 4))->isEnabled());
    EXPECT_TRUE(messages().empty());
}

TEST_F(Qh1xxEditorTest, CompoundDeviceAndTimerRules)
{
    open("QH107");
    Select(form(), fixedPort(1), "Non-Removeable");
    EXPECT_EQ(messages(), std::vector<QString>{"Non-Removable has been selected, Compound "
                                               "device field will set to Yes"});
    EXPECT_EQ(choice("Compound Device"), "Yes");
    Select(form(), fixedPort(7), "Non-Removeable");
    Select(form(), fixedPort(2), "Removeable");
    Bytes image = create();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(image[7], 0x98);
    EXPECT_EQ(image[8], 0x82);

    Select(form(), "Compound Device", "No");
    // Lists take no typed text, so only code can leave the timer without a selection.
    ChoiceByLabel(form(), "Over-Current Timer")->setCurrentIndex(-1);
    image = create();
    EXPECT_EQ(messages(),
              (std::vector<QString>{
                  "Over-Current Timer:Invalid value 0xffffffff, default to 0x0",
                  "Compound device field is set to 'No', all of the ports will set to Removable"}));
    EXPECT_EQ(image[7], 0x80);
    EXPECT_EQ(image[8], 0x00);
    EXPECT_EQ(choice("Over-Current Timer"), "0.1ms");
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(choice(fixedPort(n)), "Removeable") << n;
}

TEST_F(Qh1xxEditorTest, CreateReportsWhatItCannotWrite)
{
    open("QH103");
    Type(form(), "Output File Name", "");
    Click(form(), "Create EEPROM File");
    EXPECT_TRUE(QDir(pathOf("")).entryList(QDir::Files).isEmpty()) << "nothing written";
    QDir(pathOf("")).mkdir("taken");
    Type(form(), "Output File Name", pathOf("taken"));
    Click(form(), "Create EEPROM File");
    EXPECT_EQ(messages(),
              (std::vector<QString>{"No output file specified.\nPlease specify a valid file\n",
                                    "Error trying to create EEPROM file.\n\nIs a folder."}));
}

TEST_F(Qh1xxEditorTest, HexTextsTheEditablePidListAndEnter)
{
    open("QH103");
    QLineEdit* pid = ChoiceByLabel(form(), "PID (Hex)")->lineEdit();
    pid->selectAll();
    QTest::keyClicks(pid, "0abc");
    Type(form(), "VID (Hex)", "0x123456789");
    EXPECT_EQ(Text(form(), "VID (Hex)"), "0x12345") << "the box takes seven";

    int clicks = 0;
    for (QPushButton* button : editor->findChildren<QPushButton*>())
        QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    for (QWidget* field : editor->findChildren<QComboBox*>())
        PressEnter(field);
    for (QWidget* field : editor->findChildren<QLineEdit*>())
        PressEnter(field);
    EXPECT_EQ(clicks, 0) << "Enter presses no button";

    // Only the product ID takes typed text, and what is typed is not added to its list.
    for (QComboBox* list : editor->findChildren<QComboBox*>())
        EXPECT_EQ(list->isEditable(), list->objectName() == "pid")
            << list->objectName().toStdString();
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"), (QStringList{"0103", "0104"}));
    const Bytes image = create();
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 4), (Bytes{0x45, 0x23, 0xBC, 0x0A}));
}

TEST_F(Qh1xxEditorTest, LoadShowsTheImageInTheFormOfItsModelUnlessRefused)
{
    open("QH107");
    Type(form(), "VID (Hex)", "BEEF");
    create();
    const QStringList listing = Listing(form());
    load(Bytes(15, 0x01));
    services.answerNext(Answer::Cancel);
    load(Head({0x7A, 0x7A, 0x07, 0x02}));
    EXPECT_EQ(services.texts(),
              (std::vector<QString>{"Failed to read input file", "Dev PID 72 is not QH1xx. "
                                                                 "Click OK to go on, Cancel to abort"}));
    EXPECT_EQ(services.messages()[1].kind, MessageKind::OkCancelStop);
    messages();
    EXPECT_EQ(Text(form(), "VID (Hex)"), "BEEF");
    EXPECT_EQ(Listing(form()), listing);

    load(Head({0x34, 0x12, 0x07, 0x01, 0xCD, 0xAB, 0xD6, 0xA8, 0x84, 0x02, 0x10, 0x01, 0xFA,
               0x00, 0x10, 0x0F}));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(choice("PID (Hex)"), "0107");
    EXPECT_EQ(Text(form(), "DID (Hex)"), "ABCD");
    EXPECT_EQ(Text(form(), "Self Power|Max Power (Hex)"), "1");
    EXPECT_EQ(Text(form(), "Bus Power|Max Power (Hex)"), "fa");
    EXPECT_EQ(choice("Current Sensing"), "OCS Not Supported") << "bits 11";
    EXPECT_EQ(Listing(form()).value(0), "00: 34 12 07 01 CD AB D6 A8 84 02 10 01 FA 00 10 0F");
    EXPECT_EQ(create()[6], 0xD4) << "Current Sensing 11 is written back as 10";

    // Another family byte, accepted: the model byte still picks the form without asking
    // for a template, and the product ID, not in the list, is added in order.
    services.answerNext(Answer::Ok);
    load(Head({0x7A, 0x7A, 0x03, 0x00}));
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(choice("Device ID"), "QH103");
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"), (QStringList{"0003", "0103", "0104"}));
    EXPECT_EQ(choice("PID (Hex)"), "0003");
}

TEST_F(Qh1xxEditorTest, ProductIdsWithoutAFormAskForTheDisplayTemplate)
{
    open("QH102");
    services.answerNext(Answer::Yes);
    load(Head({0x7A, 0x7A, 0x05, 0x01}));
    ASSERT_EQ(services.messages().size(), 1u);
    EXPECT_EQ(services.messages()[0].kind, MessageKind::YesNoStop);
    EXPECT_EQ(services.messages()[0].text, "Select QH107 as display template");
    EXPECT_EQ(choice("Device ID"), "QH107");
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"),
              (QStringList{"0103", "0104", "0105", "0106", "0107"}));
    EXPECT_EQ(choice("PID (Hex)"), "0105");
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(ChoiceItems(form(), port("Port Disable Bus Power", n)),
                  (QStringList{"Enable", "Disable"}));

    // Switching models loses the earlier choices but keeps both file names.
    Select(form(), "Over-Current Timer", "6ms");
    Type(form(), "DID (Hex)", "42");
    Type(form(), "Output File Name", "out.bin");
    Select(form(), "Device ID", "QH102");
    EXPECT_EQ(choice("Over-Current Timer"), "2ms");
    EXPECT_EQ(ChoiceItems(form(), "Over-Current Timer").size(), 4);
    EXPECT_EQ(Text(form(), "DID (Hex)"), "0000");
    EXPECT_EQ(Text(form(), "Binary Input File to Load:"), pathOf("in.bin"));
    EXPECT_TRUE(Listing(form()).isEmpty());

    services.answerNext(Answer::No);
    load(Head({0x7A, 0x7A, 0x05, 0x01}));
    EXPECT_EQ(choice("Device ID"), "QH102");
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"), (QStringList{"0102", "0105"}));
    EXPECT_EQ(choice("PID (Hex)"), "0105");
    for (int n = 3; n <= 7; ++n)
        for (const QString& row : {fixedPort(n), port("Port Disable Bus Power", n),
                                   port("Port Disable Self Power", n)}) {
            EXPECT_FALSE(ChoiceByLabel(form(), row)->isEnabled()) << row.toStdString();
            EXPECT_TRUE(ChoiceItems(form(), row).isEmpty()) << row.toStdString();
        }
    Click(form(), "Create EEPROM File");
    EXPECT_EQ(readFile("out.bin").at(2), 0x05) << "the product ID shown is what Create writes";
}

TEST_F(Qh1xxEditorTest, EachModelOpensItsEditorAndQH404BringsTheMainWindowBackAsItWas)
{
    Type(&window, "VID (hex)", "BEEF");
    Select(&window, "Self-/Bus-Power", "Bus-Power");
    Type(&window, "Output File Name", "mine.bin");
    QSignalSpy finished(&window, &QDialog::finished);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(open(kModels[i]), nullptr);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(editor->model()->name, kModels[i].toStdString());
        EXPECT_EQ(ChoiceText(editor, "Device ID"), kModels[i]);
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

TEST_F(Qh1xxEditorTest, TheEditorsCloseBoxOrEscEndsTheProgram)
{
    for (bool viaEsc : {false, true}) {
        QSignalSpy finished(&window, &QDialog::finished);
        ASSERT_NE(open("QH102"), nullptr);
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

} // namespace
