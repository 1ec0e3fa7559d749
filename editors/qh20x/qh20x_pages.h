#pragma once

// The QH20x editors: a sheet of two pages for each model of the family. One implementation
// of each page serves all six models; the page classes of the three editors are names over
// it. Both pages edit one form (the model's fields) on the sheet's one image holder.

#include "platform/editor_opening.h"
#include "platform/file_page.h"
#include "platform/sheet.h"

#include <QWidget>


class QComboBox;

namespace layout {
struct Model;
}

namespace platform {
class FieldForm;
class FilePanel;
} // namespace platform

// The main page: the IDs, the configuration bytes, the port choices, the power values and,
// but on the QH202, the language ID and the strings. Its own "Device ID" list leaves the
// editor through "Back".
class Qh20xMainPage : public QWidget {
    Q_OBJECT
public:
    Qh20xMainPage(const layout::Model& model, platform::FieldForm& form, platform::Sheet& sheet);

    QComboBox* deviceList() const { return m_deviceList; }

private:
    void OnSelchangeDeviceId(int index);

    const layout::Model& m_model;
    platform::FieldForm& m_form;
    platform::Sheet& m_sheet;
    QComboBox* m_deviceList;
};

// The additional page: drive-strength boost, port map and port swap, and the editor's file
// actions with the hex listing.
class Qh20xAdditionalPage : public platform::FilePage {
    Q_OBJECT
public:
    Qh20xAdditionalPage(const layout::Model& model, platform::FieldForm& form,
                        platform::Sheet& sheet);
};

// The page classes of the three editors.
class QH_202 final : public Qh20xMainPage {
    Q_OBJECT
public:
    using Qh20xMainPage::Qh20xMainPage;
};
class QH_20X final : public Qh20xMainPage {
    Q_OBJECT
public:
    using Qh20xMainPage::Qh20xMainPage;
};
class QH_207 final : public Qh20xMainPage {
    Q_OBJECT
public:
    using Qh20xMainPage::Qh20xMainPage;
};
class QH_202_TAB2 final : public Qh20xAdditionalPage {
    Q_OBJECT
public:
    using Qh20xAdditionalPage::Qh20xAdditionalPage;
};
class QH_20X_TAB2 final : public Qh20xAdditionalPage {
    Q_OBJECT
public:
    using Qh20xAdditionalPage::Qh20xAdditionalPage;
};
class QH_207_TAB2 final : public Qh20xAdditionalPage {
    Q_OBJECT
public:
    using Qh20xAdditionalPage::Qh20xAdditionalPage;
};

namespace qh20x {

// Opens the model's sheet over the main window, at the model's defaults. Its pages name
// their own way back ("Back").
platform::Sheet* OpenSheet(const platform::EditorOpening& opening);

} // namespace qh20x
