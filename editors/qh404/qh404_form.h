#pragma once

// The QH404 form the main window carries: every field of the layout, the file controls and
// the hex listing. Its rules are the model's, run by the form as the user edits.

#include <QWidget>

#include <functional>

class CE2promData;
class CFileManager;

namespace platform {
class FieldForm;
class FilePanel;
} // namespace platform

class Qh404Form : public QWidget {
    Q_OBJECT
public:
    // `modelShown` tells whether the window's model list shows the QH404; Create builds
    // nothing otherwise. The image and file manager belong to the window.
    Qh404Form(CE2promData& image, CFileManager& files, std::function<bool()> modelShown,
              QWidget* parent = nullptr);

    // Every field back to its default; file names, listing and image are left alone.
    void InitForm();

    platform::FilePanel& filePanel() const { return *m_panel; }

private:
    void OnBnClickedCreate();
    void OnBnClickedLoad();

    QWidget* makeCollectData();
    QWidget* makeFileArea();

    CE2promData& m_image;
    CFileManager& m_files;
    std::function<bool()> m_modelShown;
    platform::FieldForm* m_fields;
    platform::FilePanel* m_panel;
};
