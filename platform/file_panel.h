#pragma once

// The file controls every editor has (output and input name boxes, "Browse", the load and
// Create buttons, "Exit" where the editor has one, and the hex listing) and the one Create
// path and one Load path that every editor runs, parameterised by its family's captions,
// messages and load rule. Each editor places the widgets where its window wants them.

#include "image/e2prom_data.h"
#include "layout/load.h"
#include "layout/model.h"

#include <QList>
#include <QObject>

#include <span>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class CFileManager;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QUrl;
class QWidget;

namespace platform {

class FieldForm;
class HexListing;

using layout::EmptyOutputName;
using layout::FileTexts;

class FilePanel : public QObject {
    Q_OBJECT
public:
    // The panel creates and loads the images of `form`.
    FilePanel(QWidget* owner, FieldForm& form, const FileTexts& texts);

    QLineEdit* outputName() const { return m_outputName; }
    QLineEdit* inputName() const { return m_inputName; }
    // The captions of the two name boxes (each the buddy of its box).
    QLabel* outputLabel() const { return m_outputLabel; }
    QLabel* inputLabel() const { return m_inputLabel; }
    QPushButton* browseButton() const { return m_browse; }
    QPushButton* loadButton() const { return m_load; }
    QPushButton* createButton() const { return m_create; }
    QPushButton* exitButton() const { return m_exit; } // nullptr without one
    HexListing* listing() const { return m_listing; }
    // The line under the listing that says what its marks mean; shown while it has any.
    QLabel* legend() const { return m_legend; }
    // The listing in its "Display EEPROM content" box, sized for its sixteen lines.
    QGroupBox* display() const { return m_display; }
    // A "File Info" box: the output name, the input name with "Browse" beside it, and a row
    // of the buttons given, in their order.
    QGroupBox* infoBox(std::span<QPushButton* const> buttons) const;

    // The output name the editor starts with (telling the user when the current folder
    // cannot be had), and the names after a file the load refused.
    void setInitialNames();

    // The sixteen lines of the image, or an empty listing.
    void listImage(const CE2promData& image);
    void clearListing();

    // A file dropped anywhere on `window` is loaded as if browsed to and loaded; several
    // files, a folder or a link that is not a file are refused with a message.
    void takeDrops(QWidget& window);

    // "Create EEPROM File": the model's checks (the first refusal told, its field focused),
    // the output name, the image built from the form as the model starts it (the rules'
    // corrections told and shown), the listing, and the write. Answers whether the file
    // was written.
    bool create(CE2promData& holder, CFileManager& files);

    // Called when a load picks the model whose form shows the image (a family editor
    // serving several models); the editor switches its form to it.
    using ShowModel = std::function<void(const layout::Model&)>;

    // The load: the input name, the model's size rule, its model question, the bytes into
    // the holder, the listing, the form picked and the decode shown. On any refusal the
    // user is told and the holder, the listing and the form stay as they were. Answers
    // whether the image was loaded. The listing then marks the bytes the next Create would
    // write differently, and keeps them marked as the user edits the form.
    bool load(CE2promData& holder, CFileManager& files, const ShowModel& showModel = {});

signals:
    void loadClicked();
    void createClicked();
    void exitClicked();

private:
    // The input file as the load sees it: its size and its first bytes.
    struct InputFile {
        std::size_t size = 0;
        std::vector<std::uint8_t> head;
    };

    void browse();
    bool takeOutputName(CFileManager& files);
    std::optional<InputFile> readInput(CFileManager& files, const layout::Model& model);
    void answer(const layout::LoadStep& step, CE2promData& holder, layout::LoadAnswers& answers);
    void take(const layout::LoadStep& step, CE2promData& holder, const ShowModel& showModel);
    void refuseFile();
    void dropped(const QList<QUrl>& urls);
    void markChanges();

    QWidget* m_owner;
    FieldForm& m_form;
    const FileTexts& m_texts;
    QLineEdit* m_outputName;
    QLineEdit* m_inputName;
    QLabel* m_outputLabel;
    QLabel* m_inputLabel;
    QPushButton* m_browse;
    QPushButton* m_load;
    QPushButton* m_create;
    QPushButton* m_exit = nullptr;
    HexListing* m_listing;
    QLabel* m_legend = nullptr;
    QGroupBox* m_display;
    // While the listing shows a loaded image: the holder it lists and the decode's notes.
    std::optional<CE2promData> m_loaded;
    std::vector<layout::DecodeNote> m_notes;
};

} // namespace platform
