#pragma once

// The page of a two-page editor that holds the file controls: its fields as the model's
// page places them, the file boxes and buttons, and the listing. Create and Load work on
// the sheet's image holder; Exit leaves the sheet.

#include <QWidget>


class QPushButton;

namespace layout {
struct Page;
}

namespace platform {

class FieldForm;
class FilePanel;
class Sheet;

class FilePage : public QWidget {
    Q_OBJECT
public:
    // The file controls say and do what the form's model's file texts say.
    FilePage(FieldForm& form, Sheet& sheet, const layout::Page& page);

    FilePanel& files() const { return *m_files; }

private:
    void OnBnClickedCreate();
    void OnBnClickedLoad();

    Sheet& m_sheet;
    FilePanel* m_files;
};

} // namespace platform
