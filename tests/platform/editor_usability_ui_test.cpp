// What every editor does, each in its family's way (its model list, boxes as left, a rule
// with its message, the file controls), and what they all share (the listing pointing at the
// form and back, files dropped on the window, the keyboard order, labels for screen
// readers). One editor per family, opened as the user opens it.

#include "app/main_window.h"
#include "editors/registry.h"
#include "layout/field.h"
#include "layout/model.h"
#include "platform/hex_listing.h"
#include "platform/sheet.h"
#include "support/ui_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QUrl>

using namespace testing_support;
using platform::Answer;
using Bytes = std::vector<unsigned char>;

namespace {

struct Editor {
    const char* entry; // the model-list entry that opens it
    QString title;
    QStringList deviceIds; // the items of its model list
    const char* sampleField;
    std::vector<Answer> erasedLoadAnswers; // the questions loading an erased image asks
    // What makes the fields right that an erased image leaves Create refusing: an item
    // picked or a text typed.
    std::vector<std::pair<const char*, const char*>> putRight;
    // Controls the Tab key reaches in this order (a table read one half before the other,
    // the file controls before the listing beside them).
    std::vector<std::pair<const char*, const char*>> readBefore;
    // Boxes typed into, and what each shows once left.
    std::vector<std::tuple<const char*, const char*, const char*>> typed;
    // A rule the user's acts set off: what it tells (nullptr: nothing), and a field it sets.
    std::vector<std::pair<const char*, const char*>> acts;
    const char* told;
    std::pair<const char*, const char*> set;
    // The family's file controls: the message of a Load without a name; where a Create with
    // the output box emptied writes once "first.bin" was written (nullptr: it is refused);
    // the listing of an image whose write failed; a refused file empties the names; Enter
    // in the output box presses Create.
    const char* noInputName;
    const char* emptyOutputWrites;
    bool listsBeforeWriting;
    bool badFileResetsNames;
    bool enterCreates;
    Bytes foreignHead = {}; // the start of an image the editor asks about before loading
};

const char* const kOneWindowNoInput = "Please enter a file name at input file box first";
const char* const kSheetNoInput = "Field 'Input File To Load' does not specify any file name.\n"
                                  "Please specify a valid file to load\n";
const char* const kCompound = "Non-Removable has been selected, Compound device field will set to Yes";

const Editor kEditors[] = {
    {.entry = "QH404", .title = "HUBQUILL",
     .deviceIds = {"QH404", "QH102", "QH103", "QH104", "QH107", "QH304", "QH203 - 36 pin",
                   "QH203 - 48 pin", "QH204 - 36 pin", "QH204 - 48 pin", "QH202", "QH207 - 64 pin"},
     .sampleField = "Power-On Timer (hex)", .erasedLoadAnswers = {Answer::Ok},
     .typed = {{"VID (hex)", "123456789", "1234567"}},
     .acts = {{"Port 2 Non-Removable", "Non-Removeable"}}, .told = kCompound,
     .set = {"Compound Device", "Yes"},
     .noInputName = kOneWindowNoInput, .emptyOutputWrites = "first.bin",
     .listsBeforeWriting = true, .badFileResetsNames = false, .enterCreates = false,
     .foreignHead = {0x12, 0x34, 0xA8, 0x00}},
    {.entry = "QH107", .title = "HUBQUILL",
     .deviceIds = {"QH404", "QH102", "QH103", "QH104", "QH107"},
     .sampleField = "Over-Current Timer", .erasedLoadAnswers = {Answer::Ok, Answer::Yes},
     .typed = {{"VID (Hex)", "0x123456789", "0x12345"}},
     .acts = {{"Non Removable Device|Port 1 Non-Removable", "Non-Removeable"}}, .told = kCompound,
     .set = {"Compound Device", "Yes"},
     .noInputName = kOneWindowNoInput, .emptyOutputWrites = "first.bin",
     .listsBeforeWriting = true, .badFileResetsNames = false, .enterCreates = false,
     .foreignHead = {0x7A, 0x7A, 0x07, 0x02}},
    {.entry = "QH304", .title = "HUBQUILL - QH304", .deviceIds = {"QH404", "QH304"},
     .sampleField = "Self Power|Max Power (Hex)",
     .putRight = {{"String Desc Enable", "Enable String Support"},
                  {"Mfg String", ""}, {"Mfg Len", "0"},
                  {"Prod String", ""}, {"Prod Len", "0"},
                  {"Serial String", ""}, {"Serial Len", "0"}},
     .readBefore = {{"int0_port4", "int1_port1"}, {"int3_port4", "int4_port1"}, {"loadButton", "listing"}},
     .typed = {{"VID (Hex)", "12345", "1234"}, {"PID (Hex)", "7a", "007A"},
               {"Power-On Time (Hex)", "", "0"}, {"Bus Power|Max Power (Hex)", "f", "0F"},
               {"Mfg Len", "x2y", "02"}}, // the length box takes digits only
     .acts = {{"Port 3 Non-Removable", "Non-Removeable"}},
     .told = "Non-Removable has been selected, Compound Device field of Config Data Byte 2 will be set to Yes",
     .set = {"Compound Device", "Yes"},
     .noInputName = kSheetNoInput, .emptyOutputWrites = "nv.bin",
     .listsBeforeWriting = true, .badFileResetsNames = true, .enterCreates = true},
    {.entry = "QH203 - 36 pin", .title = "HUBQUILL - QH203 - 36 pin",
     .deviceIds = {"Back", "QH203 -36 Pin"}, .sampleField = "PID (Hex)",
     .typed = {{"DID (Hex)", "12345", "1234"}},
     .acts = {{"String Descriptor Enable", "Strings Enabled"}, {"Mfg. String", "abc"}}, .told = nullptr,
     .set = {"Mfg. Length", "03"},
     .noInputName = kSheetNoInput, .emptyOutputWrites = nullptr,
     .listsBeforeWriting = false, .badFileResetsNames = false, .enterCreates = false},
};

void PrintTo(const Editor& editor, std::ostream* out) { *out << editor.entry; }

const layout::Model& ModelNamed(const char* entry)
{
    for (const layout::Model* model : editors::AllModels())
        if (model->name == entry)
            return *model;
    throw std::logic_error(entry);
}

class EditorUsabilityTest : public UiTest, public ::testing::WithParamInterface<Editor> {
protected:
    EditorUsabilityTest() { window.show(); }

    const Editor& editor = GetParam();
    const layout::Model& model = ModelNamed(editor.entry);

    // The editor's window, opened from the main window's model list.
    QWidget* open()
    {
        if (QStringLiteral("QH404") != editor.entry)
            Select(&window, QStringLiteral("Device ID"), QString::fromLatin1(editor.entry));
        ProcessEvents();
        QWidget* opened = window.sheet() ? static_cast<QWidget*>(window.sheet())
                          : window.childEditor() ? static_cast<QWidget*>(window.childEditor())
                                                 : &window;
        opened->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(opened));
        return opened;
    }
    static platform::HexListing* listing(QWidget* editor)
    {
        return editor->findChild<platform::HexListing*>(QStringLiteral("listing"));
    }
    // Drops the files on a box of the window, as a file manager does.
    static bool drop(QWidget* editor, const QStringList& paths)
    {
        QWidget* target = editor->findChild<QLineEdit*>();
        QMimeData files;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        files.setUrls(urls);
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped({5, 5}, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    }
    // The tooltip shown when the pointer rests on byte `offset` of the listing, placed by
    // the characters of its line.
    static QString hover(platform::HexListing* listing, unsigned offset)
    {
        QListWidgetItem* line = listing->item(static_cast<int>(offset / 16));
        const QFontMetrics metrics(listing->font());
        const QRect rect = listing->visualItemRect(line);
        const QString before = line->text().left(4 + 3 * static_cast<int>(offset % 16));
        const QPoint at(rect.left() + metrics.horizontalAdvance(before + QLatin1Char('F')),
                        rect.center().y());
        QToolTip::hideText();
        QHelpEvent help(QEvent::ToolTip, at, listing->viewport()->mapToGlobal(at));
        QApplication::sendEvent(listing->viewport(), &help);
        return QToolTip::text();
    }

    // Types the text into a box, or picks the item of a list.
    static void act(QWidget* editor, const char* label, const char* value)
    {
        if (qobject_cast<QLineEdit*>(FieldByLabel(editor, QString::fromLatin1(label))))
            Type(editor, QString::fromLatin1(label), QString::fromLatin1(value));
        else
            Select(editor, QString::fromLatin1(label), QString::fromLatin1(value));
    }
    static QString shown(QWidget* editor, const char* label)
    {
        return qobject_cast<QLineEdit*>(FieldByLabel(editor, QString::fromLatin1(label)))
                   ? Text(editor, QString::fromLatin1(label))
                   : ChoiceText(editor, QString::fromLatin1(label));
    }
    static QLineEdit* nameBox(QWidget* editor, const char* name)
    {
        return editor->findChild<QLineEdit*>(QString::fromLatin1(name));
    }

    CHUBQUILLDlg window;
};

TEST_P(EditorUsabilityTest, OpensWithItsModelListAndItsBoxesAndRulesActAsTheUserDoes)
{
    QWidget* opened = open();
    EXPECT_EQ(opened->windowTitle(), editor.title);
    EXPECT_EQ(ChoiceItems(opened, QStringLiteral("Device ID")), editor.deviceIds);
    for (const auto& [label, typed, left] : editor.typed) {
        Type(opened, QString::fromLatin1(label), QString::fromLatin1(typed));
        EXPECT_EQ(Text(opened, QString::fromLatin1(label)), QString::fromLatin1(left)) << label;
    }
    for (const auto& [label, value] : editor.acts)
        act(opened, label, value);
    EXPECT_EQ(messages(), editor.told ? std::vector<QString>{editor.told} : std::vector<QString>{});
    EXPECT_EQ(shown(opened, editor.set.first), QString::fromLatin1(editor.set.second));
}

// What each family's file controls do with missing names, a failed write, a refused file,
// Enter, Browse and the question of another model's image.
TEST_P(EditorUsabilityTest, FileControlsActAsTheFamilysDo)
{
    ASSERT_TRUE(QDir(pathOf(QString())).mkdir(QStringLiteral("folder")));
    writeFile(QStringLiteral("short.bin"), Bytes(10, 0x00));
    QWidget* opened = open();
    QLineEdit* output = nameBox(opened, "outputFileName");
    QLineEdit* input = nameBox(opened, "inputFileName");
    QPushButton* load = opened->findChild<QPushButton*>(QStringLiteral("loadButton"));
    const QString create = QStringLiteral("Create EEPROM File");
    input->clear();
    load->click();
    EXPECT_EQ(messages(), std::vector<QString>{editor.noInputName});
    // No name given yet: only a family that puts back "nv.bin" writes.
    const std::vector<QString> noOutputName{"No output file specified.\nPlease specify a valid file\n"};
    const bool writesNvBin = editor.emptyOutputWrites && std::string_view(editor.emptyOutputWrites) == "nv.bin";
    output->clear();
    Click(opened, create);
    EXPECT_EQ(messages(), writesNvBin ? std::vector<QString>{} : noOutputName);
    EXPECT_EQ(QFile::exists(pathOf(QStringLiteral("nv.bin"))), writesNvBin);

    output->setText(pathOf(QStringLiteral("folder")));
    Click(opened, create);
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(Listing(opened).size(), editor.listsBeforeWriting ? 16 : 0);

    output->setText(QStringLiteral("first.bin"));
    Click(opened, create);
    ASSERT_TRUE(QFile::remove(pathOf(QStringLiteral("first.bin"))));
    QFile::remove(pathOf(QStringLiteral("nv.bin")));
    output->clear();
    Click(opened, create);
    if (editor.emptyOutputWrites) {
        EXPECT_EQ(messages(), std::vector<QString>{});
        EXPECT_TRUE(QFile::exists(pathOf(QString::fromLatin1(editor.emptyOutputWrites))));
    } else {
        EXPECT_EQ(messages(), noOutputName);
        EXPECT_TRUE(QDir(pathOf(QString())).entryList({"*.bin"}, QDir::Files) == QStringList{"short.bin"});
    }

    output->setText(QStringLiteral("mine.bin"));
    input->setText(pathOf(QStringLiteral("short.bin")));
    load->click();
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(input->text(), editor.badFileResetsNames ? QString() : pathOf(QStringLiteral("short.bin")));
    EXPECT_EQ(output->text(), editor.badFileResetsNames ? QStringLiteral("nv.bin") : QStringLiteral("mine.bin"));
    // Enter in a field presses Create only where the family makes it the default button
    // (on the page of the file controls), and never anything else.
    QFile::remove(output->text());
    if (platform::Sheet* sheet = window.sheet())
        for (int page = 0; page < sheet->tabs()->count(); ++page)
            if (sheet->tabs()->widget(page)->isAncestorOf(output))
                sheet->showPage(page);
    int clicks = 0;
    for (QPushButton* button : opened->findChildren<QPushButton*>())
        QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    PressEnter(output);
    EXPECT_EQ(QFile::exists(output->text()), editor.enterCreates);
    for (QWidget* field : opened->findChildren<QComboBox*>())
        PressEnter(field);
    for (QWidget* field : opened->findChildren<QLineEdit*>())
        PressEnter(field);
    EXPECT_EQ(clicks > 0, editor.enterCreates);
    EXPECT_TRUE(opened->isVisible());
    messages();

    if (!editor.foreignHead.empty()) {
        Bytes foreign = editor.foreignHead;
        foreign.resize(256, 0xFF);
        writeFile(QStringLiteral("foreign.bin"), foreign);
        const QString vid = QString::fromLatin1(std::get<0>(editor.typed.front()));
        Type(opened, vid, QStringLiteral("BEEF"));
        const QStringList listed = Listing(opened);
        input->setText(pathOf(QStringLiteral("foreign.bin")));
        services.answerNext(Answer::Cancel);
        load->click();
        ASSERT_EQ(services.messages().size(), 1u);
        EXPECT_EQ(services.messages()[0].kind, platform::MessageKind::OkCancelStop);
        messages();
        EXPECT_EQ(Text(opened, vid), QStringLiteral("BEEF"));
        EXPECT_EQ(Listing(opened), listed);
    }

    writeFile(QStringLiteral("picked.bin"), Bytes(256, 0x00));
    services.chooseNextFile(pathOf(QStringLiteral("picked.bin")));
    Click(opened, QStringLiteral("Browse"));
    EXPECT_EQ(input->text(), pathOf(QStringLiteral("picked.bin")));
    EXPECT_EQ(output->text(), pathOf(QStringLiteral("picked.bin")));
}

TEST_P(EditorUsabilityTest, TheFocusedFieldsBytesAreLitAndAHoveredByteNamesItsFields)
{
    QWidget* opened = open();
    Click(opened, QStringLiteral("Create EEPROM File"));
    platform::HexListing* list = listing(opened);
    ASSERT_EQ(list->count(), 16);
    if (platform::Sheet* sheet = window.sheet())
        sheet->showPage(0); // where the sample field is

    QWidget* field = FieldByLabel(opened, QString::fromLatin1(editor.sampleField));
    field->setFocus(Qt::TabFocusReason);
    const layout::Place& place =
        layout::FindField(model.fields, field->objectName().toStdString())->place;
    EXPECT_EQ(list->highlighted(), std::make_pair(place.firstByte(), place.lastByte()));

    const QString named = hover(list, place.lastByte());
    EXPECT_TRUE(named.contains(QString::fromLatin1(editor.sampleField).section('|', -1)))
        << named.toStdString();
    EXPECT_TRUE(hover(list, model.unused.front().first).contains("not used by this model"));
}

TEST_P(EditorUsabilityTest, DroppingAnErasedImageLoadsItAndMarksWhatCreateWouldChange)
{
    writeFile(QStringLiteral("erased.bin"), Bytes(256, 0xFF));
    QWidget* opened = open();
    for (Answer answer : editor.erasedLoadAnswers)
        services.answerNext(answer);
    ASSERT_TRUE(drop(opened, {pathOf(QStringLiteral("erased.bin"))}));
    EXPECT_EQ(opened->findChild<QLineEdit*>(QStringLiteral("inputFileName"))->text(),
              pathOf(QStringLiteral("erased.bin")));
    const QStringList lines = Listing(opened);
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines[15], "F0: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");

    // Lengths the form refuses to write are put right first; the marks follow the form.
    for (const auto& [label, value] : editor.putRight)
        act(opened, label, value);
    const auto marks = listing(opened)->marks();
    const QLabel* legend = opened->findChild<QLabel*>(QStringLiteral("listingLegend"));
    ASSERT_NE(legend, nullptr);
    EXPECT_FALSE(legend->isHidden()) << "the marks are told under the listing";
    Click(opened, QStringLiteral("Create EEPROM File")); // over the file, as after Browse
    EXPECT_TRUE(legend->isHidden()) << "no marks, no legend";
    const Bytes created = readFile(QStringLiteral("erased.bin"));
    std::vector<unsigned> written;
    for (unsigned at = 0; at < created.size(); ++at)
        if (created[at] != 0xFF)
            written.push_back(at);
    std::vector<unsigned> marked;
    for (const auto& [offset, change] : marks) {
        marked.push_back(offset);
        EXPECT_FALSE(change.why.empty()) << offset;
    }
    EXPECT_EQ(created.size(), 256u);
    EXPECT_EQ(marked, written);
}

TEST_P(EditorUsabilityTest, ShortFilesSeveralFilesAndFoldersDroppedAreRefusedAndChangeNothing)
{
    writeFile(QStringLiteral("short.bin"), Bytes(10, 0x00));
    QWidget* opened = open();
    Click(opened, QStringLiteral("Create EEPROM File"));
    const QStringList before = Listing(opened);

    ASSERT_TRUE(drop(opened, {pathOf(QStringLiteral("short.bin"))}));
    ASSERT_EQ(messages().size(), 1u); // the editor's own message for a file it cannot take
    ASSERT_TRUE(drop(opened, {pathOf("a.bin"), pathOf("b.bin")}));
    EXPECT_EQ(messages(),
              std::vector<QString>{"2 files were dropped. Drop one image file to load it."});
    ASSERT_TRUE(drop(opened, {pathOf(QString())}));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(Listing(opened), before);
}

TEST_P(EditorUsabilityTest, TabGoesThroughEveryControlInReadingOrderAndButtonsHaveMnemonics)
{
    QWidget* opened = open();
    QWidget* first = opened->focusWidget();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->objectName(), (window.sheet() ? "qt_tabwidget_tabbar" : "deviceId"));
    // The controls Tab stops at, in the order it stops at them (on every page of a sheet).
    QList<QWidget*> chain;
    for (QWidget* at = first; at && !chain.contains(at); at = at->nextInFocusChain())
        if ((at->focusPolicy() & Qt::TabFocus) && !at->focusProxy())
            chain << at;
    // Each group box is read whole before the next.
    for (const QGroupBox* box : opened->findChildren<QGroupBox*>()) {
        QList<qsizetype> inside;
        for (qsizetype at = 0; at < chain.size(); ++at)
            if (box->isAncestorOf(chain[at]))
                inside << at;
        if (!inside.isEmpty()) {
            EXPECT_EQ(inside.back() - inside.front() + 1, inside.size())
                << box->title().toStdString();
        }
    }
    // The form before the file controls, and "Browse" before the load button.
    const auto position = [&](const char* name) {
        return chain.indexOf(opened->findChild<QWidget*>(QString::fromLatin1(name)));
    };
    EXPECT_LT(position("vid"), position("createButton"));
    EXPECT_LT(position("browseButton"), position("loadButton"));
    for (const auto& [before, after] : editor.readBefore)
        EXPECT_LT(position(before), position(after)) << before << " before " << after;

    QStringList mnemonics;
    for (const QPushButton* button : opened->findChildren<QPushButton*>()) {
        EXPECT_EQ(button->text(), "&" + button->accessibleName());
        mnemonics << button->text().mid(1, 1).toUpper();
    }
    EXPECT_EQ(mnemonics.removeDuplicates(), 0) << mnemonics.join(' ').toStdString();
}

// Screen readers on this desktop name a list or a box by the label that is its buddy (a
// list's own name is its value there): every one has such a label, with its caption and,
// in a table, its column.
TEST_P(EditorUsabilityTest, EveryListAndBoxHasALabelThatNamesIt)
{
    QWidget* opened = open();
    for (QWidget* control : opened->findChildren<QWidget*>()) {
        if ((!qobject_cast<QComboBox*>(control) && !qobject_cast<QLineEdit*>(control)) ||
            qobject_cast<QComboBox*>(control->parentWidget())) // a list's own box
            continue;
        QStringList names;
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(control);
        for (const auto& [label, relation] : read->relations(QAccessible::Label))
            if (qobject_cast<QLabel*>(label->object()))
                names << label->text(QAccessible::Name);
        EXPECT_EQ(names, QStringList{control->accessibleName()}) << control->objectName().toStdString();
    }
    if (QWidget* table = opened->findChild<QWidget*>(QStringLiteral("int0_port2"))) {
        EXPECT_EQ(table->accessibleName(), "Int 0A Port 2");
    }
}

INSTANTIATE_TEST_SUITE_P(OneEditorPerFamily, EditorUsabilityTest, ::testing::ValuesIn(kEditors),
                         [](const ::testing::TestParamInfo<Editor>& info) {
                             std::string name;
                             for (const char* c = info.param.entry; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c)))
                                     name += *c;
                             return name;
                         });

} // namespace
