#pragma once

#include "platform/dialog.h"

class QTabWidget;

namespace platform {

// A modal two-page editor: a window titled "HUBQUILL - " and the model text, with one tab
// per page and no OK, Cancel or Apply buttons; the pages carry their own actions.
class Sheet : public Dialog {
    Q_OBJECT
public:
    Sheet(const QString& modelText, QWidget* parent = nullptr);

    void addPage(QWidget* page, const QString& tabLabel);
    void showPage(int index);
    int currentPage() const;
    QTabWidget* tabs() const { return m_tabs; }

private:
    QTabWidget* m_tabs;
};

} // namespace platform
