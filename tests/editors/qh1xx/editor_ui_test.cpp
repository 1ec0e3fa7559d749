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

// Only the product ID takes typed text, and what is typed is not added to its list.
TEST_F(Qh1xxEditorTest, TheProductIdListTakesTypedText)
{
    open("QH103");
    QLineEdit* pid = ChoiceByLabel(form(), "PID (Hex)")->lineEdit();
    pid->selectAll();
    QTest::keyClicks(pid, "0abc");
    for (QComboBox* list : editor->findChildren<QComboBox*>())
        EXPECT_EQ(list->isEditable(), list->objectName() == "pid")
            << list->objectName().toStdString();
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"), (QStringList{"0103", "0104"}));
    const Bytes image = create();
    EXPECT_EQ(Bytes(image.begin() + 2, image.begin() + 4), (Bytes{0xBC, 0x0A}));
}

// An image of another family, accepted: the model byte still picks the form without asking
// for a template, and the product ID, not in the list, is added in order.
TEST_F(Qh1xxEditorTest, AForeignImageTakenShowsTheFormItsModelByteNames)
{
    open("QH107");
    services.answerNext(Answer::Ok);
    load(Head({0x7A, 0x7A, 0x03, 0x00}));
    EXPECT_EQ(messages(), std::vector<QString>{"Dev PID 30 is not QH1xx. Click OK to go on, Cancel to abort"});
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
