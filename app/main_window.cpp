#include "app/main_window.h"

#include "app/about_dialog.h"
#include "app/editor_table.h"
#include "editors/registry.h"
#include "editors/qh404/qh404_form.h"
#include "image/e2prom_data.h"
#include "image/file_manager.h"
#include "platform/dialog.h"
#include "platform/field_form.h"
#include "platform/text.h"
#include "platform/file_panel.h"
#include "platform/modeless_editor.h"
#include "platform/services.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CHUBQUILLDlg::CHUBQUILLDlg(QWidget* parent)
    : platform::Dialog(parent),
      m_pE2promData(std::make_unique<CE2promData>()),
      m_pFileManager(std::make_unique<CFileManager>())
{
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    buildWindow();
    platform::SetReadingOrder(*this);
    m_form->filePanel().takeDrops(*this);
    m_form->filePanel().setInitialNames();
    for (const layout::Model* model : editors::AllModels())
        m_modelList->addItem(platform::ToQString(model->name));
    m_modelList->setCurrentIndex(0);
    InitForm();
}

CHUBQUILLDlg::~CHUBQUILLDlg() = default;

void CHUBQUILLDlg::buildWindow()
{
    auto* top = new QGridLayout;
    m_modelList = platform::AddLabelledChoice(top, 0, 0, platform::ToQString(layout::words::kDeviceId),
                                              QStringLiteral("deviceId"));
    QPushButton* about = platform::MakeButton(platform::ToQString(layout::words::kAbout), this);
    top->addWidget(about, 0, 3);
    top->setColumnStretch(2, 1);
    connect(about, &QPushButton::clicked, this, &CHUBQUILLDlg::OnBnClickedAbout);
    connect(m_modelList, &QComboBox::activated, this, &CHUBQUILLDlg::dispatchModel);

    // The desktop's counterpart of a system-menu entry: reachable from the keyboard (F1)
    // and from the window's context menu.
    auto* aboutAction = new QAction(QStringLiteral("&About HUBQUILL..."), this);
    aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
    aboutAction->setShortcutContext(Qt::WindowShortcut);
    connect(aboutAction, &QAction::triggered, this, &CHUBQUILLDlg::OnBnClickedAbout);
    addAction(aboutAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    m_formArea = new QVBoxLayout;
    layout->addLayout(m_formArea, 1);
    m_form = new Qh404Form(*m_pE2promData, *m_pFileManager,
                           [this] { return m_modelList->currentIndex() == 0; });
    m_formArea->addWidget(m_form);
}

void CHUBQUILLDlg::InitForm()
{
    m_modelList->setCurrentIndex(0);
    m_form->InitForm();
}

void CHUBQUILLDlg::SelectModel(int index) { m_modelList->setCurrentIndex(index); }

void CHUBQUILLDlg::OnBnClickedAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CHUBQUILLDlg::dispatchModel(int index)
{
    const std::span<const layout::Model* const> models = editors::AllModels();
    if (index < 0 || static_cast<std::size_t>(index) >= models.size()) {
        platform::Notice(this, QStringLiteral("Selection is not yet implemented"));
        return;
    }
    const layout::Model& model = *models[static_cast<std::size_t>(index)];
    const EditorEntry* editor = EditorFor(model);
    if (!editor)
        platform::Notice(this, QStringLiteral("The %1 editor is not part of this build yet.")
                                   .arg(platform::ToQString(model.name)));
    else if (editor->beside)
        openModeless(model, editor->beside);
    else if (editor->sheet)
        openSheet(model, editor->sheet);
    else
        InitForm();
}

platform::EditorOpening CHUBQUILLDlg::openingOf(const layout::Model& model)
{
    return {model, *this, platform::ToQString(editors::HomeModel().name), [this] { SelectModel(0); }};
}

void CHUBQUILLDlg::openModeless(const layout::Model& model, ModelessOpener open)
{
    platform::ModelessEditor* editor =
        m_modelessFactory ? m_modelessFactory(model, *this) : open(openingOf(model));
    if (!editor) {
        platform::Notice(this, QStringLiteral("Failed to create child dialog E2PromQH1XX"));
        return;
    }
    // One family editor at a time: two would each end the program when closed.
    discardChildEditor();
    m_pChildDlg = editor;
    // Queued, as posted window messages are: the editor's handler finishes first and the
    // two notifications arrive in the order they were sent.
    connect(editor, &platform::ModelessEditor::backToMain, this, &CHUBQUILLDlg::OnBackToMain,
            Qt::QueuedConnection);
    connect(editor, &platform::ModelessEditor::editorClosed, this, &CHUBQUILLDlg::OnEditorClosed,
            Qt::QueuedConnection);
    editor->show();
    m_bBackToMain = false;
}

// The sheet runs over the window, which takes no input meanwhile; when it is left, the
// model list goes back to its first entry and the QH404 form keeps its contents.
void CHUBQUILLDlg::openSheet(const layout::Model& model, SheetOpener open)
{
    m_sheet = open(openingOf(model));
}

void CHUBQUILLDlg::OnBackToMain() { m_bBackToMain = true; }

void CHUBQUILLDlg::OnEditorClosed()
{
    m_pChildDlg = nullptr;
    SelectModel(0);
    show();
    if (!m_bBackToMain)
        endProgram();
}

void CHUBQUILLDlg::endProgram() { done(QDialog::Rejected); }

void CHUBQUILLDlg::discardChildEditor()
{
    if (!m_pChildDlg)
        return;
    // Gone at once and silently: its own closing steps (and their notifications) do not run.
    m_pChildDlg->blockSignals(true);
    delete m_pChildDlg.data();
}

void CHUBQUILLDlg::closeEvent(QCloseEvent* event)
{
    discardChildEditor();
    platform::Dialog::closeEvent(event);
}
