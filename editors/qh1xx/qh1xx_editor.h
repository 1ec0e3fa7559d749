#pragma once

#include "platform/editor_opening.h"
#include "platform/modeless_editor.h"

#include <memory>

class CE2promData;
class CFileManager;
class QCloseEvent;
class QComboBox;

namespace layout {
struct Model;
}

namespace platform {
class FieldForm;
class FilePanel;
} // namespace platform

// The editor of the QH1xx family, one window for the QH102, QH103, QH104 and QH107 beside
// the main window. Its own "Device ID" list switches between the four models, or goes back
// to the main window with its first entry, the main window's model.
class CE2PromQH1XX : public platform::ModelessEditor {
    Q_OBJECT
public:
    // `wayBack` is the first entry of the "Device ID" list, which leads back to the main
    // window.
    explicit CE2PromQH1XX(QString wayBack, QWidget* parent = nullptr);
    ~CE2PromQH1XX() override;

    // How the main window opens the editor: the model is set before the window is built,
    // because building it sets the form up for that model. The editor goes away once
    // closed.
    static platform::ModelessEditor* Open(const platform::EditorOpening& opening);

    void SetModel(const layout::Model& model) { m_model = &model; }
    const layout::Model* model() const { return m_model; }

    // Builds the window and sets the form up for the model given last. Once only.
    bool Create();

    // The model's fields at their defaults, the fields it lacks disabled and empty.
    void InitForm(const layout::Model& model);
    // Every list but "Device ID" emptied.
    void ResetChoiceLists();

public slots:
    void OnSelchangeDeviceId(int index);
    void OnBnClickedCreate();
    void OnBnClickedLoad();

protected:
    // The close box and Esc both close the editor and tell the main window.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildWindow();
    void OnFieldChanged(std::size_t field);

    const layout::Model* m_model = nullptr;
    QString m_wayBack;
    std::unique_ptr<CE2promData> m_pE2promData;
    std::unique_ptr<CFileManager> m_pFileManager;
    platform::FieldForm* m_form = nullptr;
    platform::FilePanel* m_files = nullptr;
    QComboBox* m_deviceList = nullptr;
    QComboBox* m_otgEnable = nullptr;
    bool m_created = false;
    bool m_closed = false;
};
