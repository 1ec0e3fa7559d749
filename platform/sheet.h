#pragma once

#include "platform/dialog.h"

#include <functional>
#include <memory>

class CE2promData;
class CFileManager;
class QTabWidget;

namespace platform {

// A modal two-page editor: a window titled "HUBQUILL - " and the model text, one tab per
// page and no OK, Cancel or Apply buttons; the pages carry their own actions and share the
// sheet's one image holder and one file manager. Every way out (an "Exit" or "Back" of the
// pages, the close box, Esc) leaves through leave(): the holder and the file manager are
// released once, the owner is told (the main window puts its model list back on its first
// entry) and the sheet closes.
class Sheet : public Dialog {
    Q_OBJECT
public:
    Sheet(const QString& modelText, std::function<void()> onLeave, QWidget* parent = nullptr);
    ~Sheet() override;

    void addPage(QWidget* page, const QString& tabLabel);
    void showPage(int index);
    int currentPage() const;
    QTabWidget* tabs() const { return m_tabs; }

    // The shared objects; they exist until the sheet is left.
    CE2promData& image() const { return *m_image; }
    CFileManager& files() const { return *m_files; }
    bool released() const { return !m_image; }

    // Shows the sheet over its owner, which takes no input until the sheet is gone; the
    // sheet deletes itself once closed.
    void open();

public slots:
    void leave();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QTabWidget* m_tabs;
    std::unique_ptr<CE2promData> m_image;
    std::unique_ptr<CFileManager> m_files;
    std::function<void()> m_onLeave;
};

} // namespace platform
