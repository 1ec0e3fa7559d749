#include "editors/qh20x/qh20x_pages.h"

#include "editors/qh20x/core/layout.h"
#include "platform/field_form.h"
#include "platform/file_panel.h"
#include "platform/page_builder.h"
#include "platform/text.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

Qh20xMainPage::Qh20xMainPage(const layout::Model& model, platform::FieldForm& form,
                             platform::Sheet& sheet)
    : m_model(model), m_form(form), m_sheet(sheet)
{
    platform::PageBuilder page(form, model.fields);
    page.fill(*this, model.pages[0].root);

    // The model's own entry and the way back, in the order its description gives.
    const layout::WindowList& list = model.window;
    m_deviceList = page.list("deviceId");
    const QString entry = platform::ToQString(list.entry);
    const QString back = platform::ToQString(list.back);
    m_deviceList->addItems(list.backFirst ? QStringList{back, entry} : QStringList{entry, back});
    m_deviceList->setCurrentIndex(list.backFirst ? 1 : 0);
    connect(m_deviceList, &QComboBox::activated, this, &Qh20xMainPage::OnSelchangeDeviceId);
}

void Qh20xMainPage::OnSelchangeDeviceId(int index)
{
    const qh20x::Variant& variant = qh20x::VariantOf(m_model);
    if (index == (m_model.window.backFirst ? 0 : 1)) {
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
    : platform::FilePage(form, sheet, model.pages[1])
{
}

namespace qh20x {

namespace {

template <typename MainPage, typename AdditionalPage>
void addPages(platform::Sheet& sheet, const layout::Model& model, platform::FieldForm& form)
{
    auto* additional = new AdditionalPage(model, form, sheet);
    sheet.addPage(new MainPage(model, form, sheet), platform::ToQString(model.pages[0].title));
    sheet.addPage(additional, platform::ToQString(model.pages[1].title));
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
        addPages<QH_202, QH_202_TAB2>(*sheet, model, *form);
        break;
    case Editor::Qh20x:
        addPages<QH_20X, QH_20X_TAB2>(*sheet, model, *form);
        break;
    case Editor::Qh207:
        addPages<QH_207, QH_207_TAB2>(*sheet, model, *form);
        break;
    }
    form->reset();
    form->applyGreying();
    sheet->open();
    return sheet;
}

} // namespace qh20x
