#include "editors/qh20x/qh20x_pages.h"

#include "editors/qh20x/core/layout.h"
#include "platform/field_form.h"
#include "platform/file_panel.h"
#include "platform/form_builder.h"
#include "platform/text.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const platform::FileTexts kFileTexts{
    .outputLabel = "Output File Name:",
    .inputLabel = "Input File to Load:",
    .loadCaption = "Load From File",
    .hasExit = true,
    .outputInFolder = true,
    .emptyOutput = platform::EmptyOutputName::Refused,
    .writeFailed = "Error creating EE file",
    .noInputName = platform::kNoInputFileNamed,
    .nameRefused = platform::kNotAnImageFile, // the box holds no name the manager refuses
    .unreadable = platform::kNotAnImageFile,
    .listsBeforeWriting = false,
};

// The QH202's list names the model first and goes back with its second entry; the others
// go back with the first.
constexpr int kBackOnQh202 = 1;
constexpr int kBack = 0;


// A page is one group box captioned as the page's fields.
QGridLayout* pageFrame(QWidget* page, const QString& caption)
{
    QGridLayout* grid = nullptr;
    QGroupBox* frame = platform::MakeGroup(caption, grid);
    auto* outer = new QVBoxLayout(page);
    outer->addWidget(frame);
    return grid;
}

} // namespace

Qh20xMainPage::Qh20xMainPage(const layout::Model& model, platform::FieldForm& form,
                             platform::Sheet& sheet)
    : m_model(model), m_form(form), m_sheet(sheet)
{
    const qh20x::Variant& variant = qh20x::VariantOf(model);
    const platform::GroupedFields groups(
        form, model.fields,
        [](const layout::Field& field) { return !qh20x::OnAdditionalPage(field); },
        {{"IDs", {.firstRow = 1}}, {"String Descriptor Fields", {.columns = 2}}});

    m_deviceList = platform::AddLabelledChoice(groups.grid("IDs"), 0, 0,
                                               QStringLiteral("Device ID"),
                                               QStringLiteral("deviceId"));
    const QString entry = platform::ToQString(variant.deviceEntry);
    const bool qh202 = variant.editor == qh20x::Editor::Qh202;
    m_deviceList->addItems(qh202 ? QStringList{entry, QStringLiteral("Back")}
                                 : QStringList{QStringLiteral("Back"), entry});
    m_deviceList->setCurrentIndex(qh202 ? 0 : 1);
    connect(m_deviceList, &QComboBox::activated, this, &Qh20xMainPage::OnSelchangeDeviceId);

    // Three columns, each box right under the one above it, the strings under the first two:
    // the IDs, the non-removable ports and the power-on time; the first configuration byte
    // and the self-power ports; the other two bytes and the bus-power ports.
    QGridLayout* grid = pageFrame(this, QStringLiteral("Tab1 Fields"));
    QVBoxLayout* first = platform::Column({groups.box("IDs"), groups.box("Non-Removable Device")});
    first->insertLayout(2, groups.loose());
    grid->addLayout(first, 0, 0);
    grid->addLayout(
        platform::Column({groups.box("Config Data Byte 1"), groups.box("Self Power")}), 0, 1);
    grid->addLayout(platform::Column({groups.box("Config Data Byte 2"),
                                      groups.box("Config Data Byte 3"), groups.box("Bus Power")}),
                    0, 2, 2, 1);
    if (QGroupBox* strings = groups.box("String Descriptor Fields"))
        grid->addWidget(strings, 1, 0, 1, 2, Qt::AlignBottom);
    grid->setRowStretch(0, 1);
}

void Qh20xMainPage::OnSelchangeDeviceId(int index)
{
    const qh20x::Variant& variant = qh20x::VariantOf(m_model);
    if (index == (variant.editor == qh20x::Editor::Qh202 ? kBackOnQh202 : kBack)) {
        m_sheet.leave();
        return;
    }
    // The model picked again: a 36-pin package's LED mode goes back to the one it has.
    if (variant.ledFixed)
        if (const std::optional<std::size_t> led = layout::FieldIndex(m_model, qh20x::kLedMode))
            m_form.choice(qh20x::kLedMode)->setCurrentIndex(m_model.fields[*led].defaultIndex());
}

Qh20xAdditionalPage::Qh20xAdditionalPage(const layout::Model& model, platform::FieldForm& form,
                                         platform::Sheet& sheet)
    : m_form(form), m_sheet(sheet), m_files(new platform::FilePanel(this, form, kFileTexts))
{
    const platform::GroupedFields groups(form, model.fields, qh20x::OnAdditionalPage);

    // The three port boxes at their own widths; under them the file controls and the listing
    // side by side, the Tab key through the controls first; room to spare goes below.
    QGridLayout* grid = pageFrame(this, QStringLiteral("Tab2 Fields"));
    constexpr Qt::Alignment kTopLeft = Qt::AlignTop | Qt::AlignLeft;
    grid->addWidget(groups.box(qh20x::kGroupBoost), 0, 0, kTopLeft);
    grid->addWidget(groups.box(qh20x::kGroupPortMap), 0, 1, kTopLeft);
    grid->addWidget(groups.box(qh20x::kGroupPortSwap), 0, 2, kTopLeft);
    grid->addWidget(
        m_files->infoBox({m_files->createButton(), m_files->loadButton(), m_files->exitButton()}),
        1, 0, 1, 2, Qt::AlignTop);
    grid->addWidget(m_files->display(), 1, 2);
    grid->setRowStretch(2, 1);

    m_files->setInitialNames();
    connect(m_files, &platform::FilePanel::createClicked, this,
            &Qh20xAdditionalPage::OnBnClickedCreate);
    connect(m_files, &platform::FilePanel::loadClicked, this, &Qh20xAdditionalPage::OnBnClickedLoad);
    connect(m_files, &platform::FilePanel::exitClicked, &sheet, &platform::Sheet::leave);
}

void Qh20xAdditionalPage::OnBnClickedCreate()
{
    m_files->create(m_sheet.image(), m_sheet.files());
}

void Qh20xAdditionalPage::OnBnClickedLoad()
{
    m_files->load(m_sheet.image(), m_sheet.files());
}

namespace qh20x {

namespace {

template <typename MainPage, typename AdditionalPage>
void addPages(platform::Sheet& sheet, const layout::Model& model, platform::FieldForm& form,
              const char* mainTab, const char* additionalTab)
{
    auto* additional = new AdditionalPage(model, form, sheet);
    sheet.addPage(new MainPage(model, form, sheet), QString::fromLatin1(mainTab));
    sheet.addPage(additional, QString::fromLatin1(additionalTab));
    additional->files().takeDrops(sheet);
}

} // namespace

platform::Sheet* OpenSheet(const platform::EditorOpening& opening)
{
    const layout::Model& model = opening.model;
    auto* sheet =
        new platform::Sheet(platform::ToQString(model.name), opening.onLeave, &opening.owner);
    auto* form = new platform::FieldForm(sheet, model);
    switch (VariantOf(model).editor) {
    case Editor::Qh202:
        addPages<QH_202, QH_202_TAB2>(*sheet, model, *form, "Main - Configuration",
                                      "Additional - Configuration");
        break;
    case Editor::Qh20x:
        addPages<QH_20X, QH_20X_TAB2>(*sheet, model, *form, "Tab1", "Tab2");
        break;
    case Editor::Qh207:
        addPages<QH_207, QH_207_TAB2>(*sheet, model, *form, "Tab1", "Tab2");
        break;
    }
    form->reset();
    form->applyGreying();
    sheet->open();
    return sheet;
}

} // namespace qh20x
