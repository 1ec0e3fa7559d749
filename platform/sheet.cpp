#include "platform/sheet.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace platform {

Sheet::Sheet(const QString& modelText, QWidget* parent) : Dialog(parent), m_tabs(new QTabWidget(this))
{
    setWindowTitle(QStringLiteral("HUBQUILL - ") + modelText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
}

void Sheet::addPage(QWidget* page, const QString& tabLabel) { m_tabs->addTab(page, tabLabel); }

void Sheet::showPage(int index) { m_tabs->setCurrentIndex(index); }

int Sheet::currentPage() const { return m_tabs->currentIndex(); }

} // namespace platform
