#pragma once

// The QH304 editor: a sheet of two pages over one form of the model's fields and the
// sheet's one image holder. The main page holds the IDs, the configuration, the port and
// power choices and the strings; the port page the ownership of the ports by the two
// upstream hosts and every file action.

#include "platform/editor_opening.h"
#include "platform/file_page.h"
#include "platform/sheet.h"

#include <QWidget>


class QComboBox;
class QGridLayout;

namespace layout {
struct Model;
}

namespace platform {
class FieldForm;
class FilePanel;
} // namespace platform

class CQH30X_Tab2;

class CE2PromQH30X : public QWidget {
    Q_OBJECT
public:
    // `wayBack` is the first entry of the page's "Device ID" list, which leaves the sheet.
    CE2PromQH30X(platform::FieldForm& form, platform::Sheet& sheet, CQH30X_Tab2& portPage,
                 const QString& wayBack);

    // Both pages back at their defaults, the file names at theirs, the listing empty, the
    // Lang ID and strings greyed as the default "Disable String Support" has them.
    void SetDefaults();

private:
    void OnSelchangeDeviceId(int index);

    platform::FieldForm& m_form;
    platform::Sheet& m_sheet;
    CQH30X_Tab2& m_portPage;
    QComboBox* m_deviceList;
};

class CQH30X_Tab2 : public platform::FilePage {
    Q_OBJECT
public:
    CQH30X_Tab2(platform::FieldForm& form, platform::Sheet& sheet);
};

namespace qh304 {

// Opens the sheet over the main window, at the defaults.
platform::Sheet* OpenSheet(const platform::EditorOpening& opening);

} // namespace qh304
