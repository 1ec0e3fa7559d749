#include "editors/qh304/qh304_pages.h"

#include "editors/qh304/core/layout.h"
#include "platform/field_form.h"
#include "platform/file_panel.h"
#include "platform/form_builder.h"
#include "platform/text.h"

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

const platform::FileTexts kFileTexts{
    .outputLabel = "Output File Name :",
    .inputLabel = "Input File to Load :",
    .loadCaption = "LOAD from FILE",
    .hasExit = true,
    .emptyOutput = platform::EmptyOutputName::BecomesDefault,
    .writeFailed = "Error trying to create EEPROM file.",
    .noInputName = platform::kNoInputFileNamed,
    .nameRefused = platform::kNotAnImageFile, // the box holds no name the manager refuses
    .unreadable = platform::kNotAnImageFile,
    .listsBeforeWriting = true,
    .badFileResetsNames = true,
    .createIsDefault = true,
};

constexpr int kBackToMain = 0; // the way back, the main window's model


QLabel* heading(const QString& text)
{
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

CE2PromQH30X::CE2PromQH30X(platform::FieldForm& form, platform::Sheet& sheet,
                           CQH30X_Tab2& portPage, const QString& wayBack)
    : m_form(form), m_sheet(sheet), m_portPage(portPage)
{
    const layout::Model& model = form.model();
    const platform::GroupedFields groups(
        form, model.fields, [](const layout::Field& field) { return !qh304::OnPortPage(field); },
        {{"IDs", {.firstRow = 1}}, {"String Descriptor Fields", {.columns = 2}}});

    m_deviceList = platform::AddLabelledChoice(groups.grid("IDs"), 0, 0,
                                               QStringLiteral("Device ID"),
                                               QStringLiteral("deviceId"));
    // The way back first, then this model.
    m_deviceList->addItem(wayBack);
    m_deviceList->addItem(platform::ToQString(model.name));
    m_deviceList->setCurrentIndex(1);
    connect(m_deviceList, &QComboBox::activated, this, &CE2PromQH30X::OnSelchangeDeviceId);

    // Three columns, each box right under the one above it, the strings under the first two:
    // the IDs, the non-removable ports and the other fields; the first configuration byte and
    // the bus power; the other two bytes and the self power.
    auto* grid = new QGridLayout(this);
    grid->addLayout(platform::Column({groups.box("IDs"), groups.box("Non Removable Device"),
                                      groups.box("Other Fields")}),
                    0, 0);
    grid->addLayout(platform::Column({groups.box("Config Data Byte 1"), groups.box("Bus Power")}),
                    0, 1);
    grid->addLayout(platform::Column({groups.box("Config Data Byte 2"),
                                      groups.box("Config Data Byte 3"), groups.box("Self Power")}),
                    0, 2, 2, 1);
    grid->addWidget(groups.box("String Descriptor Fields"), 1, 0, 1, 2, Qt::AlignBottom);
    grid->setRowStretch(0, 1);
}

void CE2PromQH30X::SetDefaults()
{
    m_form.reset();
    // The defaults disable strings, so the Lang ID and the strings are greyed again.
    m_form.applyGreying();
    m_portPage.files().setInitialNames();
    m_portPage.files().clearListing();
}

void CE2PromQH30X::OnSelchangeDeviceId(int index)
{
    if (index == kBackToMain) {
        m_sheet.leave();
        return;
    }
    SetDefaults();
}

CQH30X_Tab2::CQH30X_Tab2(platform::FieldForm& form, platform::Sheet& sheet)
    : m_form(form), m_sheet(sheet), m_files(new platform::FilePanel(this, form, kFileTexts))
{
    const layout::Model& model = form.model();
    const platform::GroupedFields groups(form, model.fields, [](const layout::Field& field) {
        return qh304::OnPortPage(field) && field.group != qh304::kGroupInterfaces;
    });



    // The Tab key reads the page as it is seen: the interfaces, then the column of the port
    // choices and the file boxes and buttons, then the listing beside them.
    auto* ports = new QHBoxLayout;
    ports->addWidget(groups.box(qh304::kGroupAssignment), 0, Qt::AlignTop);
    ports->addWidget(groups.box(qh304::kGroupLockout), 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    column->addLayout(ports);
    column->addWidget(
        m_files->infoBox({m_files->createButton(), m_files->exitButton(), m_files->loadButton()}));
    column->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(makeInterfaces(), 0, 0, 1, 2);
    grid->addLayout(column, 1, 0);
    grid->addWidget(m_files->display(), 1, 1);
    grid->setRowStretch(1, 1);

    m_files->setInitialNames();
    connect(m_files, &platform::FilePanel::createClicked, this, &CQH30X_Tab2::OnBnClickedCreate);
    connect(m_files, &platform::FilePanel::loadClicked, this, &CQH30X_Tab2::OnBnClickedLoad);
    connect(m_files, &platform::FilePanel::exitClicked, &sheet, &platform::Sheet::leave);
}

// Interfaces 0 to 3 in the left half, 4 to 7 in the right, one a row: "Int nA" before the
// choices of ports 1 and 2, "Int nB" before those of ports 3 and 4, under column headings.
// Each half is a grid of its own, so the Tab key goes down one half before the other.
QWidget* CQH30X_Tab2::makeInterfaces()
{
    auto* box = new QGroupBox(platform::ToQString(qh304::kGroupInterfaces));
    auto* halves = new QHBoxLayout(box);
    constexpr int kHalf = qh304::kInterfaces / 2;
    for (int half = 0; half < 2; ++half) {
        auto* grid = new QGridLayout;
        halves->addLayout(grid);
        if (half == 0)
            halves->addSpacing(16);
        for (int port = 1; port <= qh304::kPorts; ++port)
            grid->addWidget(heading(QStringLiteral("Port %1").arg(port)), 0, port + (port > 2));
        for (int row = 0; row < kHalf; ++row)
            addInterface(grid, half * kHalf + row, row + 1);
    }
    return box;
}

// Interface `n` at `row`: "Int nA", its ports 1 and 2, "Int nB", its ports 3 and 4.
void CQH30X_Tab2::addInterface(QGridLayout* grid, int n, int row)
{
    const layout::Model& model = m_form.model();
    for (int pair = 0; pair < 2; ++pair) {
        const int column = 3 * pair;
        grid->addWidget(new QLabel(QStringLiteral("Int %1%2").arg(n).arg(pair ? 'B' : 'A')), row,
                        column);
        for (int port = 2 * pair + 1; port <= 2 * pair + 2; ++port) {
            const std::string key = "int" + std::to_string(n) + "_port" + std::to_string(port);
            m_form.addBare(*layout::FindField(model.fields, key), grid, row,
                           column + port - 2 * pair);
        }
    }
}

void CQH30X_Tab2::OnBnClickedCreate()
{
    m_files->create(m_sheet.image(), m_sheet.files());
}

void CQH30X_Tab2::OnBnClickedLoad()
{
    m_files->load(m_sheet.image(), m_sheet.files());
}

namespace qh304 {

platform::Sheet* OpenSheet(const platform::EditorOpening& opening)
{
    const layout::Model& model = opening.model;
    auto* sheet =
        new platform::Sheet(platform::ToQString(model.name), opening.onLeave, &opening.owner);
    auto* form = new platform::FieldForm(sheet, model);
    auto* portPage = new CQH30X_Tab2(*form, *sheet);
    sheet->addPage(new CE2PromQH30X(*form, *sheet, *portPage, opening.wayBack),
                   QStringLiteral("Tab1"));
    sheet->addPage(portPage, QStringLiteral("Tab2"));
    portPage->files().takeDrops(*sheet);
    form->reset();
    form->applyGreying();
    sheet->open();
    return sheet;
}

} // namespace qh304
