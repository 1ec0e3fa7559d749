#include "platform/sheet.h"

#include "image/e2prom_data.h"
#include "image/file_manager.h"
#include "platform/screen_fit.h"

#include <QCloseEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace platform {

Sheet::Sheet(const QString& modelText, std::function<void()> onLeave, QWidget* parent)
    : Dialog(parent),
      m_tabs(new QTabWidget(this)),
      m_image(std::make_unique<CE2promData>()),
      m_files(std::make_unique<CFileManager>()),
      m_onLeave(std::move(onLeave))
{
    setWindowTitle(QStringLiteral("HUBQUILL - ") + modelText);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
}

Sheet::~Sheet() = default;

// Each page scrolls on its own where the screen is too small for the sheet; the tabs stay.
void Sheet::addPage(QWidget* page, const QString& tabLabel)
{
    m_tabs->addTab(new FittingArea(page), tabLabel);
}

void Sheet::showPage(int index) { m_tabs->setCurrentIndex(index); }

int Sheet::currentPage() const { return m_tabs->currentIndex(); }

void Sheet::open()
{
    SetReadingOrder(*this);
    setWindowModality(Qt::ApplicationModal);
    show();
}

void Sheet::leave() { close(); }

// Every way out ends here, once.
void Sheet::closeEvent(QCloseEvent* event)
{
    if (!released()) {
        m_image.reset();
        m_files.reset();
        if (m_onLeave)
            m_onLeave();
    }
    event->accept();
}

void Sheet::reject() { close(); }

} // namespace platform
