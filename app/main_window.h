#pragma once

#include "platform/editor_opening.h"
#include "platform/modeless_editor.h"
#include "platform/sheet.h"

#include <QPointer>

#include <functional>
#include <memory>

class CE2promData;
class CFileManager;
class QComboBox;
class QVBoxLayout;
class Qh404Form;

namespace layout {
struct Model;
}

// The main window: the model selector, and at the same time the QH404 editor.
class CHUBQUILLDlg : public platform::Dialog {
    Q_OBJECT
public:
    // Opens the modeless editor for a model in place of the editor table's window (tests
    // put a window of their own there); answers nullptr when it cannot.
    using ModelessFactory =
        std::function<platform::ModelessEditor*(const layout::Model& model, CHUBQUILLDlg& owner)>;

    explicit CHUBQUILLDlg(QWidget* parent = nullptr);
    ~CHUBQUILLDlg() override;

    QComboBox* modelList() const { return m_modelList; }
    platform::ModelessEditor* childEditor() const { return m_pChildDlg; }
    // The two-page editor running over the window, if any.
    platform::Sheet* sheet() const { return m_sheet; }
    bool backToMainRequested() const { return m_bBackToMain; }

    // Selects a model entry as code does: no editor starts, the forms keep their contents.
    void SelectModel(int index);

    void setModelessFactory(ModelessFactory factory) { m_modelessFactory = std::move(factory); }

public slots:
    void OnBnClickedAbout();
    void OnBackToMain();
    void OnEditorClosed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    using ModelessOpener = platform::ModelessEditor* (*)(const platform::EditorOpening&);
    using SheetOpener = platform::Sheet* (*)(const platform::EditorOpening&);

    void buildWindow();
    void dispatchModel(int index);
    platform::EditorOpening openingOf(const layout::Model& model);
    void openModeless(const layout::Model& model, ModelessOpener open);
    void openSheet(const layout::Model& model, SheetOpener open);
    void InitForm();
    void endProgram();
    void discardChildEditor();

    QComboBox* m_modelList = nullptr;
    QVBoxLayout* m_formArea = nullptr;
    Qh404Form* m_form = nullptr;
    std::unique_ptr<CE2promData> m_pE2promData;
    std::unique_ptr<CFileManager> m_pFileManager;
    QPointer<platform::ModelessEditor> m_pChildDlg;
    QPointer<platform::Sheet> m_sheet;
    bool m_bBackToMain = false;
    ModelessFactory m_modelessFactory;
};
