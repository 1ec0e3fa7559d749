// What every editor shares beyond its Parts: field tooltips made from the layout
// description, the listing pointing at the form and back, files dropped on the window, the
// keyboard order and the window icon. One editor per family, opened as the user opens it.

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
    const char* sampleField;
    std::vector<Answer> erasedLoadAnswers; // the questions loading an erased image asks
    // What makes the fields right that an erased image leaves Create refusing: an item
    // picked or a text typed.
    std::vector<std::pair<const char*, const char*>> putRight;
    // Controls the Tab key reaches in this order (a table read one half before the other,
    // the file controls before the listing beside them).
    std::vector<std::pair<const char*, const char*>> readBefore = {};
};

const Editor kEditors[] = {
    {"QH404", "Power-On Timer (hex)", {Answer::Ok}, {}},
    {"QH107", "Over-Current Timer", {Answer::Ok, Answer::Yes}, {}},
    {"QH304", "Self Power|Max Power (Hex)", {},
     {{"String Desc Enable", "Enable String Support"},
      {"Mfg String", ""}, {"Mfg Len", "0"},
      {"Prod String", ""}, {"Prod Len", "0"},
      {"Serial String", ""}, {"Serial Len", "0"}},
     {{"int0_port4", "int1_port1"}, {"int3_port4", "int4_port1"}, {"loadButton", "listing"}}},
    {"QH203 - 36 pin", "PID (Hex)", {}, {}},
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

    CHUBQUILLDlg window;
};

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
    for (const auto& [label, value] : editor.putRight) {
        if (qobject_cast<QLineEdit*>(FieldByLabel(opened, QString::fromLatin1(label))))
            Type(opened, QString::fromLatin1(label), QString::fromLatin1(value));
        else
            Select(opened, QString::fromLatin1(label), QString::fromLatin1(value));
    }
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
