#include "editors/qh304/qh304_pages.h"

#include "editors/qh304/core/layout.h"
#include "platform/field_form.h"
#include "platform/file_panel.h"
#include "platform/page_builder.h"
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


constexpr int kBackToMain = 0; // the way back, the main window's model


} // namespace

CE2PromQH30X::CE2PromQH30X(platform::FieldForm& form, platform::Sheet& sheet,
                           CQH30X_Tab2& portPage, const QString& wayBack)
    : m_form(form), m_sheet(sheet), m_portPage(portPage)
{
    const layout::Model& model = form.model();
    platform::PageBuilder page(form, model.fields);
    page.fill(*this, model.pages[0].root);

    m_deviceList = page.list("deviceId");
    // The way back first, then this model.
    m_deviceList->addItem(wayBack);
    m_deviceList->addItem(platform::ToQString(model.name));
    m_deviceList->setCurrentIndex(1);
    connect(m_deviceList, &QComboBox::activated, this, &CE2PromQH30X::OnSelchangeDeviceId);
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
    : platform::FilePage(form, sheet, form.model().pages[1])
{
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
                   platform::ToQString(model.pages[0].title));
    sheet->addPage(portPage, platform::ToQString(model.pages[1].title));
    portPage->files().takeDrops(*sheet);
    form->reset();
    form->applyGreying();
    sheet->open();
    return sheet;
}

} // namespace qh304
