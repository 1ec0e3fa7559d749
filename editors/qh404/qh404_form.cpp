#include "editors/qh404/qh404_form.h"

#include "editors/qh404/core/layout.h"
#include "image/e2prom_data.h"
#include "image/file_manager.h"
#include "platform/field_form.h"
#include "platform/page_builder.h"
#include "platform/text.h"
#include "platform/file_panel.h"
#include "platform/services.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

Qh404Form::Qh404Form(CE2promData& image, CFileManager& files, std::function<bool()> modelShown,
                     QWidget* parent)
    : QWidget(parent),
      m_image(image),
      m_files(files),
      m_modelShown(std::move(modelShown)),
      m_fields(new platform::FieldForm(this, qh404::kModel)),
      m_panel(new platform::FilePanel(this, *m_fields, *qh404::kModel.files))
{
    // The form on the left; the file names and buttons beside it, over the listing.
    auto* right = new QVBoxLayout;
    right->addWidget(makeFileArea());
    right->addWidget(m_panel->display());
    right->addStretch(1);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(makeCollectData());
    row->addLayout(right, 1);

    connect(m_panel, &platform::FilePanel::createClicked, this, &Qh404Form::OnBnClickedCreate);
    connect(m_panel, &platform::FilePanel::loadClicked, this, &Qh404Form::OnBnClickedLoad);
}

QWidget* Qh404Form::makeCollectData()
{
    platform::PageBuilder page(*m_fields, qh404::kModel.fields);
    return page.build(qh404::kModel.pages.front().root).widget;
}

QWidget* Qh404Form::makeFileArea()
{
    auto* area = new QWidget;
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    // Each caption over its box, the box's buttons beside it: the column over the listing
    // is no wider than the listing.
    grid->addWidget(m_panel->outputLabel(), 0, 0, 1, 3);
    grid->addWidget(m_panel->outputName(), 1, 0);
    grid->addWidget(m_panel->createButton(), 1, 1, 1, 2);
    grid->addWidget(m_panel->inputLabel(), 2, 0, 1, 3);
    grid->addWidget(m_panel->inputName(), 3, 0);
    grid->addWidget(m_panel->browseButton(), 3, 1);
    grid->addWidget(m_panel->loadButton(), 3, 2);
    grid->setColumnStretch(0, 1);
    // Browse and Load side by side at one width, with room around their captions.
    const int buttonWidth = std::max(m_panel->browseButton()->sizeHint().width(),
                                     m_panel->loadButton()->sizeHint().width()) +
                            16;
    m_panel->browseButton()->setMinimumWidth(buttonWidth);
    m_panel->loadButton()->setMinimumWidth(buttonWidth);
    return area;
}

void Qh404Form::InitForm()
{
    m_fields->reset();
    m_fields->applyGreying();
}

void Qh404Form::OnBnClickedCreate()
{
    if (!m_modelShown()) {
        // The window shows another model: its name is remembered, nothing is built.
        m_files.SetFileName(m_panel->outputName()->text().toStdString());
        return;
    }
    m_panel->create(m_image, m_files);
}

void Qh404Form::OnBnClickedLoad() { m_panel->load(m_image, m_files); }
