#include "platform/file_panel.h"

#include "image/e2prom_data.h"
#include "image/file_manager.h"
#include "platform/dialog.h"
#include "platform/services.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace platform {

namespace {

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

} // namespace

FilePanel::FilePanel(QWidget* owner)
    : QObject(owner),
      m_owner(owner),
      m_outputName(makeNameBox(QStringLiteral("outputFileName"), owner)),
      m_inputName(makeNameBox(QStringLiteral("inputFileName"), owner)),
      m_outputLabel(makeCaption(QStringLiteral("Output File Name"), m_outputName)),
      m_inputLabel(makeCaption(QStringLiteral("Binary Input File to Load:"), m_inputName)),
      m_browse(MakeButton(QStringLiteral("Browse"), owner)),
      m_load(MakeButton(QStringLiteral("LOAD from FILE"), owner)),
      m_create(MakeButton(QStringLiteral("Create EEPROM File"), owner)),
      m_listing(new QListWidget(owner))
{
    m_listing->setObjectName(QStringLiteral("listing"));
    m_listing->setAccessibleName(QStringLiteral("Display EEPROM content"));
    m_listing->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_listing->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_browse, &QPushButton::clicked, this, &FilePanel::browse);
    connect(m_load, &QPushButton::clicked, this, &FilePanel::loadClicked);
    connect(m_create, &QPushButton::clicked, this, &FilePanel::createClicked);
}

void FilePanel::listImage(const CE2promData& image)
{
    m_listing->clear();
    for (const std::string& line : ListingLines(image))
        m_listing->addItem(QString::fromStdString(line));
}

void FilePanel::clearListing() { m_listing->clear(); }

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
    files.SetFileName(m_outputName->text().toStdString());
    if (!files.GetFileName().empty())
        return true;
    Notice(m_owner, QStringLiteral("No output file specified.\nPlease specify a valid file\n"));
    return false;
}

bool FilePanel::writeImage(CFileManager& files, const CE2promData& image)
{
    std::uint8_t bytes[CE2promData::kSize];
    const int count = image.CopyOut(bytes);
    if (files.Write(bytes, count) == count)
        return true;
    Notice(m_owner, QStringLiteral("Error trying to create EEPROM file."));
    return false;
}

std::optional<std::vector<std::uint8_t>> FilePanel::readHead(CFileManager& files, int count)
{
    const std::string name = m_inputName->text().toStdString();
    if (name.empty()) {
        Notice(m_owner, QStringLiteral("Please enter a file name at input file box first"));
        return std::nullopt;
    }
    if (!files.SetFileName(name)) {
        Notice(m_owner, QStringLiteral("Failed to set file name"));
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    if (files.Read(bytes.data(), count) != count) {
        Notice(m_owner, QStringLiteral("Failed to read input file"));
        return std::nullopt;
    }
    return bytes;
}

} // namespace platform
