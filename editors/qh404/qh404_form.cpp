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
#include <map>

Qh404Form::Qh404Form(CE2promData& image, CFileManager& files, std::function<bool()> modelShown,
                     QWidget* parent)
    : QWidget(parent),
      m_image(image),
      m_files(files),
      m_modelShown(std::move(modelShown)),
      m_fields(new platform::FieldForm(this, qh404::kModel)),
      m_panel(new platform::FilePanel(this, platform::kOneWindowFileTexts))
{
    // The form and the file names on the left, the listing beside them.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(makeCollectData(), 0, 0);
    grid->addWidget(makeFileArea(), 1, 0);
    grid->addWidget(makeListing(), 0, 1, 2, 1);
    grid->setRowStretch(0, 1);

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
    for (const layout::Field& field : qh404::kModel.fields) {
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
    m_panel->create(*m_fields, m_image, m_files);
}

void Qh404Form::OnBnClickedLoad() { m_panel->load(*m_fields, m_image, m_files); }
