#pragma once

// The QH404 form the main window carries: every field of the layout, the file controls,
// the hex listing, and the two rules that run while the user edits.

#include <QWidget>

#include <functional>
#include <string_view>

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
    // Encodes the form into the image (its corrections told and shown), then lists it.
    void BuildImage();
    // Decodes the image into the form without running any rule.
    void ShowImage();

    platform::FilePanel& filePanel() const { return *m_panel; }

private:
    void OnBnClickedCreate();
    void OnBnClickedLoad();
    void OnChoiceActivated(const QString& key, int index);
    void PowerSourceChanged(int index);
    void NonRemovableChanged(int index);
    void select(std::string_view key, std::string_view itemText);

    QWidget* makeCollectData();
    QWidget* makeFileArea();
    QWidget* makeListing();

    CE2promData& m_image;
    CFileManager& m_files;
    std::function<bool()> m_modelShown;
    platform::FieldForm* m_fields;
    platform::FilePanel* m_panel;
};
