#include "editors/qh1xx/qh1xx_editor.h"

#include "editors/qh1xx/core/layout.h"
#include "image/e2prom_data.h"
#include "image/file_manager.h"
#include "platform/field_form.h"
#include "platform/text.h"
#include "platform/file_panel.h"
#include "platform/page_builder.h"
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


namespace {

constexpr int kBackToMainIndex = 0;

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

// Top line: the model list and the output name; below, the "Collect Data" box as the
// family's page places its fields and the file controls.
void CE2PromQH1XX::buildWindow()
{
    m_form = new platform::FieldForm(this, *m_model);
    m_files = new platform::FilePanel(this, *m_form, *m_model->files);

    auto* top = new QGridLayout;
    m_deviceList = platform::AddLabelledChoice(top, 0, 0, platform::ToQString(layout::words::kDeviceId),
                                               QStringLiteral("deviceId"));
    top->addWidget(m_files->outputLabel(), 0, 2);
    top->addWidget(m_files->outputName(), 0, 3);
    top->setColumnMinimumWidth(1, 90);
    top->setColumnStretch(3, 1);

    auto* input = new QHBoxLayout;
    input->addWidget(m_files->inputLabel());
    input->addWidget(m_files->inputName(), 1);
    input->addWidget(m_files->browseButton());
    input->addWidget(m_files->loadButton());

    platform::PageBuilder page(*m_form, qh1xx::FormFields());
    page.provide("create", m_files->createButton());
    page.provide("listing", m_files->display());
    page.provide("input", input);
    QWidget* collect = page.build(m_model->pages.front().root).widget;
    m_otgEnable = page.list("otg_enable");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(new platform::FittingArea(collect), 1);

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
