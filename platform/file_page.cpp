#include "platform/file_page.h"

#include "layout/page.h"
#include "platform/field_form.h"
#include "platform/file_panel.h"
#include "platform/page_builder.h"
#include "platform/sheet.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

#include <vector>

namespace platform {

FilePage::FilePage(FieldForm& form, Sheet& sheet, const layout::Page& page,
                   std::initializer_list<Button> buttons)
    : m_sheet(sheet), m_files(new FilePanel(this, form, *form.model().files))
{
    std::vector<QPushButton*> inBox;
    for (const Button button : buttons)
        inBox.push_back(button == Button::Create ? m_files->createButton()
                        : button == Button::Load ? m_files->loadButton()
                                                 : m_files->exitButton());
    PageBuilder builder(form, form.model().fields);
    builder.provide("files", m_files->infoBox(inBox));
    builder.provide("listing", m_files->display());
    builder.fill(*this, page.root);

    m_files->setInitialNames();
    connect(m_files, &FilePanel::createClicked, this, &FilePage::OnBnClickedCreate);
    connect(m_files, &FilePanel::loadClicked, this, &FilePage::OnBnClickedLoad);
    connect(m_files, &FilePanel::exitClicked, &sheet, &Sheet::leave);
}

void FilePage::OnBnClickedCreate() { m_files->create(m_sheet.image(), m_sheet.files()); }

void FilePage::OnBnClickedLoad() { m_files->load(m_sheet.image(), m_sheet.files()); }

} // namespace platform
