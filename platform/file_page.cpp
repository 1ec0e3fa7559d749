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

FilePage::FilePage(FieldForm& form, Sheet& sheet, const layout::Page& page)
    : m_sheet(sheet), m_files(new FilePanel(this, form, *form.model().files))
{
    QPushButton* create = m_files->createButton();
    QPushButton* load = m_files->loadButton();
    QPushButton* exit = m_files->exitButton();
    const std::vector<QPushButton*> inBox = form.model().files->exitBeforeLoad
                                                ? std::vector{create, exit, load}
                                                : std::vector{create, load, exit};
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
