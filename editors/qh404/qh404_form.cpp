#include "editors/qh404/qh404_form.h"

#include "editors/qh404/layout.h"
#include "image/e2prom_data.h"
#include "image/file_manager.h"
#include "platform/field_form.h"
#include "platform/text.h"
#include "platform/file_panel.h"
#include "platform/services.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <map>

namespace {

namespace key = qh404::key;


// Shown greyed: the user cannot change them, a loaded image still shows its values.
constexpr std::array<std::string_view, 2> kFixedKeys{key::kDynamicPower, key::kOnTheGo};

bool IsNonRemovable(std::string_view fieldKey)
{
    return std::find(std::begin(key::kNonRemovable), std::end(key::kNonRemovable), fieldKey) !=
           std::end(key::kNonRemovable);
}

} // namespace

Qh404Form::Qh404Form(CE2promData& image, CFileManager& files, std::function<bool()> modelShown,
                     QWidget* parent)
    : QWidget(parent),
      m_image(image),
      m_files(files),
      m_modelShown(std::move(modelShown)),
      m_fields(new platform::FieldForm(this, static_cast<int>(qh404::kModel.hexTextLimit))),
      m_panel(new platform::FilePanel(this))
{
    // The form and the file names on the left, the listing beside them.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(makeCollectData(), 0, 0);
    grid->addWidget(makeFileArea(), 1, 0);
    grid->addWidget(makeListing(), 0, 1, 2, 1);
    grid->setRowStretch(0, 1);

    connect(m_fields, &platform::FieldForm::choiceActivated, this, &Qh404Form::OnChoiceActivated);
    connect(m_panel, &platform::FilePanel::createClicked, this, &Qh404Form::OnBnClickedCreate);
    connect(m_panel, &platform::FilePanel::loadClicked, this, &Qh404Form::OnBnClickedLoad);
}

QWidget* Qh404Form::makeCollectData()
{
    // The fields without a group stand in one grid; each captioned group gets its own box.
    QGridLayout* plainGrid = new QGridLayout;
    std::map<std::string_view, QGridLayout*> grids{{std::string_view(), plainGrid}};
    std::map<std::string_view, QGroupBox*> boxes;
    std::map<QGridLayout*, int> rows;
    for (const layout::Field& field : qh404::Fields()) {
        QGridLayout*& grid = grids[field.group];
        if (!grid)
            boxes[field.group] = platform::MakeGroup(platform::ToQString(field.group), grid);
        QWidget* widget = m_fields->add(field, grid, rows[grid]++);
        if (field.kind == layout::Kind::Hex)
            widget->setMaximumWidth(widget->fontMetrics().horizontalAdvance(QStringLiteral("0")) *
                                        10 +
                                    12);
    }

    auto* collect = new QGroupBox(QStringLiteral("Collect Data"));
    auto* grid = new QGridLayout(collect);
    // The IDs and byte values above the group of the byte they share, the bit groups
    // side by side in the order of their captions.
    auto* idColumn = new QVBoxLayout;
    idColumn->addLayout(plainGrid);
    idColumn->addSpacing(8);
    idColumn->addWidget(boxes.at(qh404::kGroupConfig1));
    idColumn->addStretch(1);
    grid->addLayout(idColumn, 0, 0);
    grid->addWidget(boxes.at(qh404::kGroupConfig2), 0, 1, Qt::AlignTop);
    grid->addWidget(boxes.at(qh404::kGroupConfig3), 0, 2, Qt::AlignTop);
    return collect;
}

QWidget* Qh404Form::makeFileArea()
{
    auto* area = new QWidget;
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_panel->outputLabel(), 0, 0);
    grid->addWidget(m_panel->outputName(), 0, 1);
    grid->addWidget(m_panel->createButton(), 0, 2, 1, 2);
    grid->addWidget(m_panel->inputLabel(), 1, 0);
    grid->addWidget(m_panel->inputName(), 1, 1);
    grid->addWidget(m_panel->browseButton(), 1, 2);
    grid->addWidget(m_panel->loadButton(), 1, 3);
    grid->setColumnStretch(1, 1);
    // Browse and Load side by side at one width, with room around their captions.
    const int buttonWidth = std::max(m_panel->browseButton()->sizeHint().width(),
                                     m_panel->loadButton()->sizeHint().width()) +
                            16;
    m_panel->browseButton()->setMinimumWidth(buttonWidth);
    m_panel->loadButton()->setMinimumWidth(buttonWidth);
    return area;
}

QWidget* Qh404Form::makeListing()
{
    QGridLayout* grid = nullptr;
    QGroupBox* box = platform::MakeGroup(QStringLiteral("Display EEPROM content"), grid);
    QListWidget* listing = m_panel->listing();
    // Room for the sixteen lines of 51 characters without scrolling.
    const QFontMetrics metrics(listing->font());
    listing->setMinimumSize(metrics.horizontalAdvance(QString(53, QLatin1Char('0'))) + 24,
                            metrics.lineSpacing() * 17 + 12);
    grid->addWidget(listing, 0, 0);
    return box;
}

void Qh404Form::InitForm()
{
    for (const layout::Field& field : qh404::Fields())
        m_fields->reset(field);
    for (std::string_view fixed : kFixedKeys)
        m_fields->widget(fixed)->setEnabled(false);
}

void Qh404Form::BuildImage()
{
    const layout::Values values = m_fields->read(qh404::kModel);
    const layout::EncodeResult result = qh404::kModel.encode(values, m_image);
    m_fields->correct(qh404::Fields(), result.corrections);
    m_panel->listImage(m_image);
}

void Qh404Form::ShowImage()
{
    const layout::DecodeResult decoded = qh404::kModel.decode(m_image);
    m_fields->show(qh404::Fields(), decoded.values);
    for (const layout::DecodeNote& note : decoded.notes) {
        platform::Notice(this, platform::ToQString(note.message));
        // The list shows that its value is not one of its items by an empty item the
        // user may pick; the selection stays as it was. One such item is enough.
        QComboBox* list = m_fields->choice(note.key);
        if (list && list->findText(QString(), Qt::MatchExactly) < 0)
            list->addItem(QString());
    }
}

void Qh404Form::OnBnClickedCreate()
{
    if (!m_modelShown()) {
        // The window shows another model: its name is remembered, nothing is built.
        m_files.SetFileName(m_panel->outputName()->text().toStdString());
        return;
    }
    if (!m_panel->takeOutputName(m_files))
        return;
    BuildImage();
    m_panel->writeImage(m_files, m_image);
}

void Qh404Form::OnBnClickedLoad()
{
    const auto bytes = m_panel->readHead(m_files, qh404::kModel.loadSize);
    if (!bytes)
        return;
    CE2promData loaded = m_image;
    loaded.CopyIn(bytes->data(), static_cast<int>(bytes->size()));
    if (const auto question = qh404::kModel.foreignImageQuestion(loaded))
        if (platform::Ask(this, platform::MessageKind::OkCancelStop, platform::ToQString(*question)) !=
            platform::Answer::Ok)
            return;
    m_image.CopyIn(bytes->data(), static_cast<int>(bytes->size()));
    m_panel->listImage(m_image);
    ShowImage();
}

void Qh404Form::OnChoiceActivated(const QString& changedKey, int index)
{
    const std::string changed = changedKey.toStdString();
    if (changed == key::kSelfBusPower)
        PowerSourceChanged(index);
    else if (IsNonRemovable(changed))
        NonRemovableChanged(index);
}

void Qh404Form::select(std::string_view fieldKey, std::string_view itemText)
{
    m_fields->choice(fieldKey)->setCurrentIndex(qh404::FieldOf(fieldKey).indexOf(itemText));
}

// Bus power brings its own current values, no port LEDs and port 4 switched off; self
// power puts all three back.
void Qh404Form::PowerSourceChanged(int index)
{
    const bool bus = index == qh404::FieldOf(key::kSelfBusPower).indexOf("Bus-Power");
    const QString current = bus ? QStringLiteral("64") : QStringLiteral("00");
    m_fields->text(key::kMaxPower)->setText(current);
    m_fields->text(key::kHubCurrent)->setText(current);
    select(key::kPortIndicators, bus ? "No-LED" : "LED");
    select(key::kPortDisable[3], bus ? "Disable" : "Enable");
}

// A non-removable port makes the hub part of a compound device.
void Qh404Form::NonRemovableChanged(int index)
{
    if (index != qh404::FieldOf(key::kNonRemovable[0]).indexOf("Non-Removeable"))
        return;
    const layout::Field& compound = qh404::FieldOf(key::kCompoundDevice);
    if (m_fields->choice(compound.key)->currentIndex() != compound.indexOf("No"))
        return;
    platform::Notice(this, QStringLiteral("Non-Removable has been selected, Compound device "
                                          "field will set to Yes"));
    select(compound.key, "Yes");
}
