#include "editors/qh1xx/qh1xx_editor.h"

#include "editors/qh1xx/core/layout.h"
#include "image/e2prom_data.h"
#include "image/file_manager.h"
#include "platform/field_form.h"
#include "platform/text.h"
#include "platform/file_panel.h"
#include "platform/screen_fit.h"
#include "platform/services.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <map>

namespace {

constexpr int kBackToMainIndex = 0;
constexpr int kPortsPerColumn = 4;

// The entry of the own "Device ID" list that shows `model`, one of the family's.
int EntryOf(const layout::Model& model)
{
    return static_cast<int>(layout::PositionAmong(qh1xx::Models(), model).value()) + 1;
}

} // namespace

CE2PromQH1XX::CE2PromQH1XX(QString wayBack, QWidget* parent)
    : platform::ModelessEditor(parent),
      m_wayBack(std::move(wayBack)),
      m_pE2promData(std::make_unique<CE2promData>()),
      m_pFileManager(std::make_unique<CFileManager>())
{
}

CE2PromQH1XX::~CE2PromQH1XX() = default;

platform::ModelessEditor* CE2PromQH1XX::Open(const platform::EditorOpening& opening)
{
    auto* editor = new CE2PromQH1XX(opening.wayBack, &opening.owner);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->SetModel(opening.model);
    editor->Create();
    return editor;
}

bool CE2PromQH1XX::Create()
{
    if (m_created || !m_model)
        return false;
    m_created = true;
    buildWindow();
    // The way back first, then the family's models.
    m_deviceList->addItem(m_wayBack);
    for (const layout::Model& model : qh1xx::Models())
        m_deviceList->addItem(platform::ToQString(model.name));
    m_files->setInitialNames();
    InitForm(*m_model);
    return true;
}

// Top line: the model list and the output name. Below, the "Collect Data" box: IDs top
// left, the two power boxes top right; the configuration bytes and the non-removable
// ports in the left column over "Create EEPROM File"; the port-disable boxes (ports 1 to 4
// in a first column, 5 to 7 in a second) and the listing in the right column; the input
// file line at the bottom.
void CE2PromQH1XX::buildWindow()
{
    m_form = new platform::FieldForm(this, *m_model);
    m_files = new platform::FilePanel(this, *m_form, platform::kOneWindowFileTexts);

    auto* top = new QGridLayout;
    m_deviceList = platform::AddLabelledChoice(top, 0, 0, QStringLiteral("Device ID"),
                                               QStringLiteral("deviceId"));
    top->addWidget(m_files->outputLabel(), 0, 2);
    top->addWidget(m_files->outputName(), 0, 3);
    top->setColumnMinimumWidth(1, 90);
    top->setColumnStretch(3, 1);

    QGridLayout* collect = nullptr;
    QGroupBox* collectBox = platform::MakeGroup(QStringLiteral("Collect Data"), collect, this);

    // One grid per group caption; fields fill their group's rows in table order.
    struct Area {
        QGridLayout* grid = nullptr;
        int rows = 0;
    };
    std::map<std::string_view, Area> areas;
    auto group = [&](std::string_view caption) -> QGroupBox* {
        QGridLayout* grid = nullptr;
        QGroupBox* box = platform::MakeGroup(platform::ToQString(caption), grid);
        areas[caption].grid = grid;
        return box;
    };
    auto* ids = new QGridLayout;
    areas["Collect Data"].grid = ids;
    QGroupBox* bus = group("Bus Power");
    QGroupBox* self = group("Self Power");
    QGroupBox* config1 = group("Config Data Byte 1");
    QGroupBox* config2 = group("Config Data Byte 2");
    QGroupBox* fixed = group("Non Removable Device");
    QGroupBox* disableBus = group("Port Disable Bus Power");
    QGroupBox* disableSelf = group("Port Disable Self Power");

    for (const qh1xx::FamilyField& entry : qh1xx::FamilyFields()) {
        Area& area = areas.at(entry.field.group);
        if (entry.port == 0) {
            m_form->add(entry.field, area.grid, area.rows++);
        } else if (entry.map == qh1xx::PortMap::NonRemovable) {
            m_form->add(entry.field, area.grid, entry.port - 1);
        } else {
            const int column = (entry.port - 1) / kPortsPerColumn;
            m_form->add(entry.field, area.grid, (entry.port - 1) % kPortsPerColumn, 2 * column);
        }
        if (entry.field.key == "dynamic_power") {
            // Bit 6 has a field on the form that never offers a value.
            m_otgEnable = platform::AddLabelledChoice(area.grid, area.rows++, 0,
                                                      QStringLiteral("OTG Enable"),
                                                      QStringLiteral("otg_enable"));
        }
    }
    for (QGroupBox* ports : {disableBus, disableSelf}) {
        auto* grid = static_cast<QGridLayout*>(ports->layout());
        grid->setColumnMinimumWidth(2, 100);
        grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    ids->setRowStretch(areas["Collect Data"].rows, 1);
    ids->setColumnStretch(2, 1);

    // The lists of the left column line up across its boxes.
    int labelWidth = 0;
    for (QGroupBox* box : {config1, config2, fixed})
        for (const QLabel* label : box->findChildren<QLabel*>())
            labelWidth = std::max(labelWidth, label->sizeHint().width());
    for (QGroupBox* box : {config1, config2, fixed}) {
        auto* grid = static_cast<QGridLayout*>(box->layout());
        grid->setColumnMinimumWidth(0, labelWidth);
        grid->setColumnStretch(2, 1);
    }

    auto* powers = new QHBoxLayout;
    powers->addWidget(bus);
    powers->addWidget(self);

    auto* left = new QVBoxLayout;
    left->addWidget(config1);
    left->addWidget(config2);
    left->addWidget(fixed);
    left->addWidget(m_files->createButton(), 0, Qt::AlignLeft);
    left->addStretch(1);

    auto* right = new QVBoxLayout;
    right->addWidget(disableBus);
    right->addWidget(disableSelf);
    right->addWidget(m_files->display(), 1);

    auto* input = new QHBoxLayout;
    input->addWidget(m_files->inputLabel());
    input->addWidget(m_files->inputName(), 1);
    input->addWidget(m_files->browseButton());
    input->addWidget(m_files->loadButton());

    collect->addLayout(ids, 0, 0);
    collect->addLayout(powers, 0, 1);
    collect->addLayout(left, 1, 0);
    collect->addLayout(right, 1, 1);
    collect->addLayout(input, 2, 0, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(new platform::FittingArea(collectBox), 1);

    connect(m_deviceList, &QComboBox::activated, this, &CE2PromQH1XX::OnSelchangeDeviceId);
    connect(m_form, &platform::FieldForm::changedByUser, this, &CE2PromQH1XX::OnFieldChanged);
    connect(m_files, &platform::FilePanel::createClicked, this, &CE2PromQH1XX::OnBnClickedCreate);
    connect(m_files, &platform::FilePanel::loadClicked, this, &CE2PromQH1XX::OnBnClickedLoad);
    platform::SetReadingOrder(*this);
    m_files->takeDrops(*this);
}

void CE2PromQH1XX::InitForm(const layout::Model& model)
{
    if (!m_form)
        return;
    m_model = &model;
    m_form->setModel(model);
    m_deviceList->setCurrentIndex(EntryOf(model));
    m_form->reset();
    for (const qh1xx::FamilyField& entry : qh1xx::FamilyFields())
        if (!layout::FindField(model.fields, entry.field.key))
            m_form->retire(entry.field.key);
    m_otgEnable->clear();
    m_otgEnable->setEnabled(false);
    m_form->applyGreying();
}

void CE2PromQH1XX::ResetChoiceLists()
{
    for (const qh1xx::FamilyField& entry : qh1xx::FamilyFields())
        if (QComboBox* list = m_form->choice(entry.field.key))
            list->clear();
    m_otgEnable->clear();
}

void CE2PromQH1XX::OnSelchangeDeviceId(int index)
{
    ResetChoiceLists();
    m_files->clearListing();
    if (index == kBackToMainIndex) {
        emit backToMain();
        close();
        return;
    }
    InitForm(qh1xx::Models()[static_cast<std::size_t>(index - 1)]);
}

// A new power mode makes the listed image stale.
void CE2PromQH1XX::OnFieldChanged(std::size_t field)
{
    if (m_model->fields[field].key == qh1xx::kSelfBusPower)
        m_files->clearListing();
}

void CE2PromQH1XX::OnBnClickedCreate()
{
    m_files->create(*m_pE2promData, *m_pFileManager);
}

void CE2PromQH1XX::OnBnClickedLoad()
{
    m_files->load(*m_pE2promData, *m_pFileManager, [this](const layout::Model& model) {
        ResetChoiceLists();
        InitForm(model);
    });
}

void CE2PromQH1XX::closeEvent(QCloseEvent* event)
{
    if (!m_closed) {
        m_closed = true;
        emit editorClosed();
    }
    event->accept();
}

void CE2PromQH1XX::reject() { close(); }
