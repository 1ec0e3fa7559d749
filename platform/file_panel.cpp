#include "platform/file_panel.h"

#include "image/e2prom_data.h"
#include "image/file_manager.h"
#include "layout/load.h"
#include "platform/dialog.h"
#include "platform/field_form.h"
#include "platform/hex_listing.h"
#include "platform/services.h"
#include "platform/text.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace platform {

namespace {

const QString kDefaultOutputName = ToQString(layout::words::kDefaultOutputName);

// The editor's own message, then what the system said, so the user knows what to fix.
QString WriteFailure(std::string_view message, const std::string& reason)
{
    QString text = ToQString(message);
    if (reason.empty())
        return text;
    QString said = ToQString(reason);
    said[0] = said[0].toUpper();
    return text + QStringLiteral("\n\n") + said + QLatin1Char('.');
}

QLineEdit* makeNameBox(const QString& objectName, QWidget* owner)
{
    auto* box = new QLineEdit(owner);
    box->setObjectName(objectName);
    box->setMaxLength(static_cast<int>(CFileManager::kMaxNameLength));
    return box;
}

QLabel* makeCaption(const QString& caption, QWidget* box)
{
    auto* label = new QLabel(caption, box->parentWidget());
    label->setBuddy(box);
    box->setAccessibleName(caption);
    return label;
}

// The current folder as the system names it, or nothing when it cannot be had (it was
// removed, say).
std::optional<QString> currentFolder()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (error)
        return std::nullopt;
    return QDir::toNativeSeparators(QString::fromStdString(folder.string()));
}

// Takes the files dragged over a window and every box in it, before a box would take the
// dropped name as text. Other drags (text) go on as they would.
class FileDrops final : public QObject {
public:
    FileDrops(QWidget& window, std::function<void(const QList<QUrl>&)> dropped)
        : QObject(&window), m_dropped(std::move(dropped))
    {
        window.setAcceptDrops(true);
        window.installEventFilter(this);
        for (QWidget* child : window.findChildren<QWidget*>())
            if (child->acceptDrops())
                child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return QObject::eventFilter(watched, event);
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls())
            return QObject::eventFilter(watched, event);
        drop->acceptProposedAction();
        if (type == QEvent::Drop)
            m_dropped(drop->mimeData()->urls());
        return true;
    }

private:
    std::function<void(const QList<QUrl>&)> m_dropped;
};

} // namespace

FilePanel::FilePanel(QWidget* owner, FieldForm& form, const FileTexts& texts)
    : QObject(owner),
      m_owner(owner),
      m_form(form),
      m_texts(texts),
      m_outputName(makeNameBox(QStringLiteral("outputFileName"), owner)),
      m_inputName(makeNameBox(QStringLiteral("inputFileName"), owner)),
      m_outputLabel(makeCaption(ToQString(texts.outputLabel), m_outputName)),
      m_inputLabel(makeCaption(ToQString(texts.inputLabel), m_inputName)),
      m_browse(MakeButton(ToQString(layout::words::kBrowse), owner)),
      m_load(MakeButton(ToQString(texts.loadCaption), owner)),
      m_create(MakeButton(ToQString(layout::words::kCreate), owner)),
      m_listing(new HexListing(form, owner)),
      m_display(nullptr)
{
    QGridLayout* grid = nullptr;
    m_display = MakeGroup(ToQString(layout::words::kDisplay), grid, owner);
    grid->addWidget(m_listing, 0, 0);
    // What the orange frames of a loaded image mean, while there are any; its line is kept
    // free meanwhile, so the window does not change size.
    m_legend = new QLabel(ToQString(layout::words::kLegend), m_display);
    m_legend->setObjectName(QStringLiteral("listingLegend"));
    QSizePolicy keepsRoom = m_legend->sizePolicy();
    keepsRoom.setRetainSizeWhenHidden(true);
    m_legend->setSizePolicy(keepsRoom);
    m_legend->setVisible(false);
    grid->addWidget(m_legend, 1, 0);
    m_create->setDefault(texts.createIsDefault);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_load->setObjectName(QStringLiteral("loadButton"));
    m_create->setObjectName(QStringLiteral("createButton"));
    connect(m_browse, &QPushButton::clicked, this, &FilePanel::browse);
    connect(m_load, &QPushButton::clicked, this, &FilePanel::loadClicked);
    connect(m_create, &QPushButton::clicked, this, &FilePanel::createClicked);
    connect(&form, &FieldForm::changedByUser, this, [this] {
        if (m_loaded)
            markChanges();
    });
    if (texts.hasExit) {
        m_exit = MakeButton(ToQString(layout::words::kExit), owner);
        m_exit->setObjectName(QStringLiteral("exitButton"));
        connect(m_exit, &QPushButton::clicked, this, &FilePanel::exitClicked);
    }
}

QGroupBox* FilePanel::infoBox(std::span<QPushButton* const> buttons) const
{
    QGridLayout* grid = nullptr;
    QGroupBox* box = MakeGroup(ToQString(layout::words::kFileInfo), grid, m_owner);
    grid->addWidget(m_outputLabel, 0, 0);
    grid->addWidget(m_outputName, 0, 1, 1, 2);
    grid->addWidget(m_inputLabel, 1, 0);
    grid->addWidget(m_inputName, 1, 1);
    grid->addWidget(m_browse, 1, 2);
    auto* row = new QHBoxLayout;
    for (QPushButton* button : buttons)
        row->addWidget(button);
    row->addStretch(1);
    grid->addLayout(row, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    return box;
}

void FilePanel::setInitialNames()
{
    m_inputName->clear();
    if (!m_texts.outputInFolder) {
        m_outputName->setText(kDefaultOutputName);
        return;
    }
    const std::optional<QString> folder = currentFolder();
    if (!folder)
        Notice(m_owner, QStringLiteral("Unable to get current working directory"));
    m_outputName->setText(folder ? *folder + QDir::separator() + kDefaultOutputName
                                 : kDefaultOutputName);
}

void FilePanel::listImage(const CE2promData& image)
{
    m_loaded.reset();
    m_listing->showImage(image);
    m_legend->setVisible(false);
}

void FilePanel::clearListing()
{
    m_loaded.reset();
    m_listing->clearImage();
    m_legend->setVisible(false);
}

void FilePanel::markChanges()
{
    m_listing->setMarks(layout::ChangesOnCreate(m_form.model(), m_form.read(), *m_loaded, m_notes));
    m_legend->setVisible(!m_listing->marks().empty());
}

void FilePanel::takeDrops(QWidget& window)
{
    new FileDrops(window, [this](const QList<QUrl>& urls) { dropped(urls); });
}

void FilePanel::dropped(const QList<QUrl>& urls)
{
    if (urls.size() != 1) {
        Notice(m_owner, ToQString(layout::words::kDroppedMany)
                            .arg(urls.size()));
        return;
    }
    const QString path = urls.front().toLocalFile();
    if (path.isEmpty()) {
        Notice(m_owner, QStringLiteral("Only a file on this computer can be loaded: %1")
                            .arg(urls.front().toString()));
        return;
    }
    if (QFileInfo(path).isDir()) {
        Notice(m_owner, QStringLiteral("%1 is a folder. Drop one image file to load it.")
                            .arg(QDir::toNativeSeparators(path)));
        return;
    }
    // As Browse names a file, then the editor's own Load with its checks and messages.
    m_inputName->setText(QDir::toNativeSeparators(path));
    m_outputName->setText(QDir::toNativeSeparators(path));
    emit loadClicked();
}

void FilePanel::browse()
{
    const std::optional<QString> chosen = services().chooseExistingFile(m_owner);
    if (!chosen)
        return;
    m_inputName->setText(*chosen);
    m_outputName->setText(*chosen);
}

bool FilePanel::takeOutputName(CFileManager& files)
{
    const bool empty = m_outputName->text().isEmpty();
    if (empty && m_texts.emptyOutput == EmptyOutputName::BecomesDefault)
        m_outputName->setText(kDefaultOutputName);
    if (empty && m_texts.emptyOutput == EmptyOutputName::Refused) {
        Notice(m_owner, ToQString(m_texts.noOutputName));
        return false;
    }
    // An empty name is refused and the name set last stays in force.
    files.SetFileName(m_outputName->text().toStdString());
    if (!files.GetFileName().empty())
        return true;
    Notice(m_owner, ToQString(m_texts.noOutputName));
    return false;
}

bool FilePanel::create(CE2promData& holder, CFileManager& files)
{
    FieldForm& form = m_form;
    const layout::Model& model = form.model();
    const layout::Values values = form.read();
    if (const std::optional<layout::Refusal> refusal = layout::RefuseCreate(model, values)) {
        clearListing();
        // The field's page comes forward before the message, which then speaks of what
        // the user sees.
        form.reveal(refusal->field);
        Notice(m_owner, ToQString(refusal->message));
        form.focus(refusal->field);
        return false;
    }
    if (!takeOutputName(files))
        return false;
    form.correct(layout::Create(model, values, holder).corrections);
    if (m_texts.listsBeforeWriting)
        listImage(holder);
    std::uint8_t bytes[CE2promData::kSize];
    const int count = holder.CopyOut(bytes);
    if (files.Write(bytes, count) != count) {
        Notice(m_owner, WriteFailure(m_texts.writeFailed, files.LastWriteError()));
        return false;
    }
    if (!m_texts.listsBeforeWriting)
        listImage(holder);
    return true;
}

void FilePanel::refuseFile()
{
    Notice(m_owner, ToQString(m_texts.unreadable));
    if (m_texts.badFileResetsNames) {
        m_inputName->clear();
        m_outputName->setText(kDefaultOutputName);
    }
}

std::optional<FilePanel::InputFile> FilePanel::readInput(CFileManager& files,
                                                         const layout::Model& model)
{
    const std::string name = m_inputName->text().toStdString();
    if (name.empty()) {
        Notice(m_owner, ToQString(m_texts.noInputName));
        return std::nullopt;
    }
    if (!files.SetFileName(name)) {
        Notice(m_owner, ToQString(m_texts.nameRefused));
        return std::nullopt;
    }
    // As many bytes as the load reads. A read that fails (the file changed since its size
    // was taken) leaves none, and the load refuses the file: nothing half-read reaches the
    // holder.
    InputFile input{static_cast<std::size_t>(std::max(files.GetFileSize(), 0L)), {}};
    input.head.resize(std::min(input.size, static_cast<std::size_t>(model.loadSize)));
    const int count = static_cast<int>(input.head.size());
    if (count > 0 && files.Read(input.head.data(), count) != count)
        input.head.clear();
    return input;
}

bool FilePanel::load(CE2promData& holder, CFileManager& files, const ShowModel& showModel)
{
    const layout::Model& model = m_form.model();
    const std::optional<InputFile> input = readInput(files, model);
    if (!input)
        return false;
    const CE2promData before = holder;
    // Only an editor that switches its form follows the image to another model.
    layout::LoadAnswers answers{.followImage = static_cast<bool>(showModel)};
    for (;;) {
        const layout::LoadStep step =
            layout::Load(model, {input->size, input->head}, before, answers);
        switch (step.outcome) {
        case layout::LoadOutcome::Refused:
            refuseFile();
            return false;
        case layout::LoadOutcome::Cancelled:
            return false;
        case layout::LoadOutcome::Asks:
            answer(step, holder, answers);
            break;
        case layout::LoadOutcome::Taken:
            take(step, holder, showModel);
            return true;
        }
    }
}

void FilePanel::answer(const layout::LoadStep& step, CE2promData& holder,
                       layout::LoadAnswers& answers)
{
    const QString question = ToQString(step.questionText);
    if (step.question == layout::LoadQuestion::ForeignImage) {
        answers.foreignImage = Ask(m_owner, MessageKind::OkCancelStop, question) == Answer::Ok;
        return;
    }
    // The image is in, and listed, while the user picks the form that shows it.
    holder = step.image;
    listImage(holder);
    answers.displayTemplate = Ask(m_owner, MessageKind::YesNoStop, question) == Answer::Yes;
}

void FilePanel::take(const layout::LoadStep& step, CE2promData& holder,
                     const ShowModel& showModel)
{
    holder = step.image;
    listImage(holder);
    if (step.modelChosen)
        showModel(*step.model);
    m_form.showDecoded(step.decoded);
    if (m_form.model().greyingFollowsLoads)
        m_form.applyGreying();
    m_loaded = holder;
    m_notes = step.decoded.notes;
    markChanges();
}

} // namespace platform
