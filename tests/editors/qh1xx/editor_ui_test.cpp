#include "app/main_window.h"
#include "editors/qh1xx/qh1xx_editor.h"
#include "support/ui_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

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

class Qh1xxEditorTest : public UiTest {
protected:
    CE2PromQH1XX* open(int modelIndex)
    {
        editor = std::make_unique<CE2PromQH1XX>();
        editor->SetModel(modelIndex);
        editor->Create();
        editor->show();
        return editor.get();
    }
    QWidget* form() const { return editor.get(); }

    void load(const Bytes& bytes)
    {
        writeFile(QStringLiteral("in.bin"), bytes);
        Type(form(), QStringLiteral("Binary Input File to Load:"), pathOf("in.bin"));
        Click(form(), QStringLiteral("LOAD from FILE"));
    }
    Bytes create()
    {
        Click(form(), QStringLiteral("Create EEPROM File"));
        return readFile(QStringLiteral("nv.bin"));
    }
    QString port(const char* group, int number, const char* what = "Disable") const
    {
        return QStringLiteral("%1|Port %2 %3").arg(QLatin1String(group)).arg(number).arg(
            QLatin1String(what));
    }

    std::unique_ptr<CE2PromQH1XX> editor;
};

TEST_F(Qh1xxEditorTest, DefaultsOfEachModelGiveTheListedImage)
{
    const std::vector<Bytes> heads{
        Head({0x7A, 0x7A, 0x02, 0x01, 0, 0, 0x0C, 0x90, 0, 0, 0, 0x01, 0x64, 0x01, 0x64, 0x32}),
        Head({0x7A, 0x7A, 0x03, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0, 0x01, 0x64, 0x01, 0x64, 0x32}),
        Head({0x7A, 0x7A, 0x04, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0, 0x01, 0x64, 0x01, 0x64, 0x32}),
        Head({0x7A, 0x7A, 0x07, 0x01, 0, 0, 0x1C, 0x90, 0, 0, 0, 0x01, 0x01, 0x01, 0x01, 0x32}),
    };
    open(4);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("HUBQUILL"));
    EXPECT_EQ(ChoiceItems(form(), "Device ID"),
              (QStringList{"QH404", "QH102", "QH103", "QH104", "QH107"}));
    EXPECT_EQ(Text(form(), "Output File Name"), QStringLiteral("nv.bin"));
    EXPECT_TRUE(Listing(form()).isEmpty());
    for (int i = 0; i < 4; ++i) {
        Select(form(), "Device ID", kModels[i]);
        Bytes expected = heads[static_cast<std::size_t>(i)];
        expected.resize(256, 0xFF);
        EXPECT_EQ(create(), expected) << kModels[i].toStdString();
        QString line = QStringLiteral("00:");
        for (int b = 0; b < 16; ++b)
            line += QStringLiteral(" %1").arg(expected[static_cast<std::size_t>(b)], 2, 16,
                                              QLatin1Char('0')).toUpper();
        EXPECT_EQ(Listing(form()).value(0), line);
        EXPECT_EQ(Listing(form()).size(), 16);
    }
    EXPECT_TRUE(services.messages().empty());
}

TEST_F(Qh1xxEditorTest, PerModelFormSetUp)
{
    open(1);
    EXPECT_EQ(ChoiceItems(form(), "Current Sensing"), (QStringList{"Gang", "OCS Not Supported"}));
    EXPECT_EQ(ChoiceText(form(), "Current Sensing"), QStringLiteral("OCS Not Supported"));
    for (const char* absent : {"Port Indicators", "Multiple-TT Support",
                               "Downstream Port Power Enabling", "OTG Enable"}) {
        EXPECT_FALSE(ChoiceByLabel(form(), absent)->isEnabled()) << absent;
        EXPECT_TRUE(ChoiceItems(form(), absent).isEmpty()) << absent;
    }
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"), QStringList{"0102"});
    EXPECT_EQ(Text(form(), "Bus Power|Max Power (Hex)"), QStringLiteral("64"));

    Select(form(), "Device ID", "QH104");
    EXPECT_EQ(ChoiceText(form(), "PID (Hex)"), QStringLiteral("0104"));
    EXPECT_EQ(ChoiceText(form(), "Multiple-TT Support"), QStringLiteral("Mult TT"));
    EXPECT_TRUE(ChoiceByLabel(form(), port("Port Disable Self Power", 4))->isEnabled());
    EXPECT_FALSE(ChoiceByLabel(form(), port("Port Disable Self Power", 5))->isEnabled());

    // Only the product ID takes typed text.
    for (QComboBox* list : editor->findChildren<QComboBox*>())
        EXPECT_EQ(list->isEditable(), list->objectName() == "pid")
            << list->objectName().toStdString();
}

TEST_F(Qh1xxEditorTest, PowerModeSetsCurrentSensingAndEmptiesTheListing)
{
    open(1);
    create();
    Select(form(), "Self-/Bus-Power", "Self-Power");
    EXPECT_EQ(ChoiceText(form(), "Current Sensing"), QStringLiteral("Gang"));
    EXPECT_TRUE(Listing(form()).isEmpty());
    EXPECT_EQ(create()[6], 0x88);
    Select(form(), "Self-/Bus-Power", "Bus-Power");
    EXPECT_EQ(ChoiceText(form(), "Current Sensing"), QStringLiteral("OCS Not Supported"));
    EXPECT_TRUE(Listing(form()).isEmpty());
    EXPECT_EQ(create()[6], 0x0C) << "OCS Not Supported is bit 2 on the QH102";

    Select(form(), "Device ID", "QH103");
    Select(form(), "Self-/Bus-Power", "Self-Power");
    EXPECT_EQ(create()[6], 0x98);
    EXPECT_TRUE(services.messages().empty());
}

TEST_F(Qh1xxEditorTest, NonRemovablePortsAndCompoundDevice)
{
    open(4);
    Select(form(), port("Non Removable Device", 1, "Non-Removable"), "Non-Removeable");
    EXPECT_EQ(services.texts(), std::vector<QString>{"Non-Removable has been selected, "
                                                     "Compound device field will set to Yes"});
    EXPECT_EQ(ChoiceText(form(), "Compound Device"), QStringLiteral("Yes"));
    Select(form(), port("Non Removable Device", 7, "Non-Removable"), "Non-Removeable");
    Select(form(), port("Non Removable Device", 2, "Non-Removable"), "Removeable");
    EXPECT_EQ(services.messages().size(), 1u);
    Bytes image = create();
    EXPECT_EQ(image[7], 0x98);
    EXPECT_EQ(image[8], 0x82);

    services.forget();
    Select(form(), "Compound Device", "No");
    EXPECT_TRUE(services.messages().empty()) << "changing Compound Device starts no rule";
    image = create();
    EXPECT_EQ(services.texts(), std::vector<QString>{"Compound device field is set to 'No', "
                                                     "all of the ports will set to Removable"});
    EXPECT_EQ(image[8], 0x00);
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(ChoiceText(form(), port("Non Removable Device", n, "Non-Removable")),
                  QStringLiteral("Removeable"));
    EXPECT_EQ(image.size(), 256u) << "the file is still written";
}

TEST_F(Qh1xxEditorTest, TimerWithoutSelectionIsToldAndReset)
{
    open(3);
    // Lists take no typed text, so only code can leave the timer without a selection.
    ChoiceByLabel(form(), "Over-Current Timer")->setCurrentIndex(-1);
    const Bytes image = create();
    EXPECT_EQ(services.texts(),
              std::vector<QString>{"Over-Current Timer:Invalid value 0xffffffff, default to 0x0"});
    EXPECT_EQ(ChoiceText(form(), "Over-Current Timer"), QStringLiteral("0.1ms"));
    EXPECT_EQ(image[7], 0x80);
}

TEST_F(Qh1xxEditorTest, HexTextsAndTheEditablePidList)
{
    open(2);
    QLineEdit* pid = ChoiceByLabel(form(), "PID (Hex)")->lineEdit();
    pid->selectAll();
    QTest::keyClicks(pid, QStringLiteral("0abc"));
    Type(form(), "Self Power|Max Power (Hex)", "1FF");
    Type(form(), "VID (Hex)", "0x123456789");
    EXPECT_EQ(Text(form(), "VID (Hex)"), QStringLiteral("0x12345")) << "the box takes seven";
    const Bytes image = create();
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 4), (Bytes{0x45, 0x23, 0xBC, 0x0A}));
    EXPECT_EQ(image[11], 0xFF);
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"), (QStringList{"0103", "0104"}))
        << "typed text is not added to the list";
}

TEST_F(Qh1xxEditorTest, LoadingShowsTheImageInTheFormOfItsModel)
{
    open(4);
    load(Head({0x34, 0x12, 0x07, 0x01, 0xCD, 0xAB, 0xD6, 0xA8, 0x84, 0x02, 0x10, 0x01, 0xFA,
               0x00, 0x10, 0x0F}));
    EXPECT_TRUE(services.messages().empty());
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"),
              (QStringList{"0103", "0104", "0105", "0106", "0107"}));
    EXPECT_EQ(ChoiceText(form(), "PID (Hex)"), QStringLiteral("0107"));
    EXPECT_EQ(Text(form(), "DID (Hex)"), QStringLiteral("ABCD"));
    EXPECT_EQ(Text(form(), "Self Power|Max Power (Hex)"), QStringLiteral("1"));
    EXPECT_EQ(Text(form(), "Bus Power|Max Power (Hex)"), QStringLiteral("fa"));
    EXPECT_EQ(Text(form(), "Power-On Timer (Hex)"), QStringLiteral("f"));
    EXPECT_EQ(ChoiceText(form(), "Current Sensing"), QStringLiteral("OCS Not Supported"))
        << "bits 11 show as OCS Not Supported";
    EXPECT_EQ(ChoiceText(form(), "Over-Current Timer"), QStringLiteral("4ms"));
    EXPECT_EQ(ChoiceText(form(), port("Non Removable Device", 7, "Non-Removable")),
              QStringLiteral("Non-Removeable"));
    EXPECT_EQ(ChoiceText(form(), port("Port Disable Bus Power", 4)), QStringLiteral("Disable"));
    EXPECT_EQ(Listing(form()).value(0),
              QStringLiteral("00: 34 12 07 01 CD AB D6 A8 84 02 10 01 FA 00 10 0F"));
    EXPECT_EQ(create()[6], 0xD4) << "and are written back as 10";

    // A model byte of another form switches to it without a question.
    load(Head({0x7A, 0x7A, 0x02, 0x01}));
    EXPECT_EQ(ChoiceText(form(), "Device ID"), QStringLiteral("QH102"));
    EXPECT_EQ(editor->model(), 1);
    EXPECT_FALSE(ChoiceByLabel(form(), port("Port Disable Self Power", 3))->isEnabled());
    EXPECT_TRUE(services.messages().empty());
}

TEST_F(Qh1xxEditorTest, ProductIdsWithoutAFormAskForTheDisplayTemplate)
{
    open(1);
    services.answerNext(Answer::Yes);
    load(Head({0x7A, 0x7A, 0x05, 0x01}));
    ASSERT_EQ(services.messages().size(), 1u);
    EXPECT_EQ(services.messages()[0].kind, MessageKind::YesNoStop);
    EXPECT_EQ(services.messages()[0].text, QStringLiteral("Select QH107 as display template"));
    EXPECT_EQ(ChoiceText(form(), "Device ID"), QStringLiteral("QH107"));
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"),
              (QStringList{"0103", "0104", "0105", "0106", "0107"}));
    EXPECT_EQ(ChoiceText(form(), "PID (Hex)"), QStringLiteral("0105"));
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(ChoiceItems(form(), port("Port Disable Bus Power", n)),
                  (QStringList{"Enable", "Disable"}));

    Select(form(), "Device ID", "QH102");
    services.answerNext(Answer::No);
    load(Head({0x7A, 0x7A, 0x05, 0x01}));
    EXPECT_EQ(ChoiceText(form(), "Device ID"), QStringLiteral("QH102"));
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"), (QStringList{"0102", "0105"}));
    EXPECT_EQ(ChoiceText(form(), "PID (Hex)"), QStringLiteral("0105"));
    for (int n = 3; n <= 7; ++n)
        for (const QString& row :
             {port("Non Removable Device", n, "Non-Removable"), port("Port Disable Bus Power", n),
              port("Port Disable Self Power", n)}) {
            EXPECT_FALSE(ChoiceByLabel(form(), row)->isEnabled()) << row.toStdString();
            EXPECT_TRUE(ChoiceItems(form(), row).isEmpty()) << row.toStdString();
        }
    EXPECT_EQ(create()[2], 0x05) << "the product ID shown is what Create writes";
}

TEST_F(Qh1xxEditorTest, FailedOrRefusedLoadsChangeNothing)
{
    open(4);
    Type(form(), "VID (Hex)", "BEEF");
    create();
    const QStringList listing = Listing(form());

    Click(form(), "LOAD from FILE");
    writeFile(QStringLiteral("short.bin"), Bytes(15, 0x01));
    Type(form(), "Binary Input File to Load:", pathOf("short.bin"));
    Click(form(), "LOAD from FILE");
    services.answerNext(Answer::Cancel);
    load(Head({0x7A, 0x7A, 0x07, 0x02}));
    EXPECT_EQ(services.texts(),
              (std::vector<QString>{
                  "Please enter a file name at input file box first", "Failed to read input file",
                  "Dev PID 72 is not QH1xx. Click OK to go on, Cancel to abort"}));
    EXPECT_EQ(services.messages()[2].kind, MessageKind::OkCancelStop);
    EXPECT_EQ(Text(form(), "VID (Hex)"), QStringLiteral("BEEF"));
    EXPECT_EQ(Listing(form()), listing);

    services.forget();
    services.answerNext(Answer::Ok);
    load(Head({0x7A, 0x7A, 0x03, 0x00}));
    EXPECT_EQ(services.texts(), std::vector<QString>{"Dev PID 30 is not QH1xx. Click OK to go "
                                                     "on, Cancel to abort"});
    EXPECT_EQ(ChoiceText(form(), "Device ID"), QStringLiteral("QH103"));
    EXPECT_EQ(ChoiceItems(form(), "PID (Hex)"), (QStringList{"0003", "0103", "0104"}));
    EXPECT_EQ(ChoiceText(form(), "PID (Hex)"), QStringLiteral("0003"));
}

TEST_F(Qh1xxEditorTest, SwitchingModelsKeepsOnlyTheFileNames)
{
    open(4);
    Select(form(), "Over-Current Timer", "6ms");
    Type(form(), "DID (Hex)", "42");
    Type(form(), "Output File Name", "out.bin");
    Type(form(), "Binary Input File to Load:", "in.bin");
    Click(form(), "Create EEPROM File");
    Select(form(), "Device ID", "QH102");
    Select(form(), "Device ID", "QH107");
    EXPECT_EQ(ChoiceText(form(), "Over-Current Timer"), QStringLiteral("2ms"));
    EXPECT_EQ(ChoiceItems(form(), "Over-Current Timer"),
              (QStringList{"0.1ms", "2ms", "4ms", "6ms"}));
    EXPECT_EQ(Text(form(), "DID (Hex)"), QStringLiteral("0000"));
    EXPECT_EQ(Text(form(), "Bus Power|Max Power (Hex)"), QStringLiteral("01"));
    EXPECT_EQ(Text(form(), "Output File Name"), QStringLiteral("out.bin"));
    EXPECT_EQ(Text(form(), "Binary Input File to Load:"), QStringLiteral("in.bin"));
    EXPECT_TRUE(Listing(form()).isEmpty());
}

TEST_F(Qh1xxEditorTest, CreateReportsWhatItCannotWrite)
{
    open(2);
    Type(form(), "Output File Name", "");
    Click(form(), "Create EEPROM File");
    EXPECT_EQ(services.texts(),
              std::vector<QString>{"No output file specified.\nPlease specify a valid file\n"});
    EXPECT_TRUE(QDir(pathOf("")).entryList(QDir::Files).isEmpty()) << "nothing written";

    services.forget();
    QDir(pathOf("")).mkdir(QStringLiteral("taken"));
    Type(form(), "Output File Name", pathOf("taken"));
    Click(form(), "Create EEPROM File");
    EXPECT_EQ(services.texts(), std::vector<QString>{"Error trying to create EEPROM file."});

    // Browse fills both boxes; Create then writes over the file chosen.
    services.forget();
    writeFile(QStringLiteral("chosen.bin"), Head({0x7A, 0x7A, 0x03, 0x01}));
    services.chooseNextFile(pathOf("chosen.bin"));
    Click(form(), "Browse");
    EXPECT_EQ(Text(form(), "Output File Name"), pathOf("chosen.bin"));
    Click(form(), "LOAD from FILE");
    Type(form(), "Output File Name", "");
    Click(form(), "Create EEPROM File");
    EXPECT_EQ(readFile(QStringLiteral("chosen.bin")).size(), 256u)
        << "an empty box keeps the name set last";
    EXPECT_TRUE(services.messages().empty());
}

TEST_F(Qh1xxEditorTest, EnterPressesNothingAndClosingTellsTheMainWindow)
{
    open(3);
    QSignalSpy closed(editor.get(), &platform::ModelessEditor::editorClosed);
    QSignalSpy back(editor.get(), &platform::ModelessEditor::backToMain);
    int clicks = 0;
    for (QPushButton* button : editor->findChildren<QPushButton*>())
        QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    for (QWidget* field : editor->findChildren<QComboBox*>())
        PressEnter(field);
    for (QWidget* field : editor->findChildren<QLineEdit*>())
        PressEnter(field);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(closed.count(), 0);

    QTest::keyClick(editor.get(), Qt::Key_Escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(back.count(), 0);

    open(3);
    QSignalSpy closedAgain(editor.get(), &platform::ModelessEditor::editorClosed);
    std::vector<const char*> order;
    QObject::connect(editor.get(), &platform::ModelessEditor::backToMain,
                     [&] { order.push_back("back"); });
    QObject::connect(editor.get(), &platform::ModelessEditor::editorClosed,
                     [&] { order.push_back("closed"); });
    Select(form(), "Device ID", "QH404");
    EXPECT_EQ(order, (std::vector<const char*>{"back", "closed"}));
    EXPECT_FALSE(editor->isVisible());
}

// The editor as the main window opens it.
class Qh1xxHandOverTest : public UiTest {
protected:
    Qh1xxHandOverTest() { window.show(); }

    CE2PromQH1XX* pick(const QString& model)
    {
        Select(&window, QStringLiteral("Device ID"), model);
        return qobject_cast<CE2PromQH1XX*>(window.childEditor());
    }
    // Every field of the main window's own form (the editor's are in a window of their own).
    QStringList mainForm()
    {
        QStringList state;
        for (QLineEdit* box : window.findChildren<QLineEdit*>())
            if (box->window() == &window && !box->parentWidget()->inherits("QComboBox"))
                state << box->objectName() + "=" + box->text();
        for (QComboBox* list : window.findChildren<QComboBox*>())
            if (list->window() == &window && list->objectName() != "deviceId")
                state << list->objectName() + "=" + list->currentText();
        return state;
    }

    CHUBQUILLDlg window;
};

TEST_F(Qh1xxHandOverTest, EachFamilyEntryOpensTheEditorForItsModel)
{
    for (int i = 0; i < 4; ++i) {
        CE2PromQH1XX* editor = pick(kModels[i]);
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(editor->model(), i + 1);
        EXPECT_EQ(editor->mainWindow(), &window);
        EXPECT_EQ(ChoiceText(editor, "Device ID"), kModels[i]);
        EXPECT_TRUE(ChoiceItems(editor, "PID (Hex)").contains(i == 0 ? "0102" : "0103"));
        Select(editor, "Device ID", "QH404");
        ProcessEvents();
    }
}

TEST_F(Qh1xxHandOverTest, QH404BringsTheMainWindowBackAsItWas)
{
    for (QLineEdit* box : window.findChildren<QLineEdit*>())
        if (box->isEnabled() && !box->parentWidget()->inherits("QComboBox"))
            box->setText(QStringLiteral("kept"));
    for (QComboBox* list : window.findChildren<QComboBox*>())
        if (list->isEnabled() && list->objectName() != "deviceId")
            list->setCurrentIndex(list->count() - 1);
    const QStringList before = mainForm();
    ASSERT_GT(before.size(), 10) << "the QH404 form's fields";

    QSignalSpy finished(&window, &QDialog::finished);
    QPointer<CE2PromQH1XX> editor = pick(QStringLiteral("QH107"));
    ASSERT_FALSE(editor.isNull());
    Select(editor, "Device ID", "QH404");
    ProcessEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull()) << "no hidden editor is left behind";
    EXPECT_EQ(window.childEditor(), nullptr);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(ChoiceText(&window, "Device ID"), QStringLiteral("QH404"));
    EXPECT_EQ(mainForm(), before);
}

TEST_F(Qh1xxHandOverTest, TheEditorsCloseBoxOrEscEndsTheProgram)
{
    for (bool viaEsc : {false, true}) {
        QSignalSpy finished(&window, &QDialog::finished);
        QPointer<CE2PromQH1XX> editor = pick(QStringLiteral("QH102"));
        ASSERT_FALSE(editor.isNull());
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
