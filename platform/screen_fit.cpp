#include "platform/screen_fit.h"

#include <QLayout>
#include <QScreen>
#include <QStyle>

namespace platform {

namespace {

// A title bar, and a panel where the screen reports none, as desktops commonly draw them:
// on a laptop's 768 lines, 690 are left for a window's own area.
constexpr int kTitleBar = 30;
constexpr int kPanel = 48;

// The window's least size in the style and fonts it is shown with. A layout keeps what it
// measured until it is activated again, which a hidden window's boxes are not: each box is
// measured afresh, the innermost first.
QSize LeastSize(QWidget& window)
{
    window.ensurePolished();
    const QList<QWidget*> inside = window.findChildren<QWidget*>();
    for (auto widget = inside.rbegin(); widget != inside.rend(); ++widget) {
        (*widget)->updateGeometry();
        if (QLayout* layout = (*widget)->layout()) {
            layout->invalidate();
            layout->activate();
        }
    }
    if (!window.layout())
        return window.minimumSizeHint();
    window.layout()->invalidate();
    window.layout()->activate();
    return window.layout()->totalMinimumSize();
}

} // namespace

QSize WindowRoom(const QWidget& widget)
{
    const QScreen* screen = widget.screen();
    if (!screen)
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    const QRect available = screen->availableGeometry();
    const int panel = available == screen->geometry() ? kPanel : 0;
    return {available.width(), available.height() - panel - kTitleBar};
}

FittingArea::FittingArea(QWidget* content, QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus); // the Tab key goes through the content, not the area
    setWidgetResizable(true);
    setWidget(content);
    // The page's own background, as it was before it could scroll.
    setBackgroundRole(QPalette::Window);
    viewport()->setBackgroundRole(QPalette::Window);
}

QSize FittingArea::sizeHint() const
{
    return lessened(widget() ? widget()->sizeHint() : QSize(0, 0));
}

QSize FittingArea::minimumSizeHint() const
{
    return lessened(widget() ? widget()->minimumSizeHint() : QSize(0, 0));
}

void FittingArea::giveWay(QSize less)
{
    m_less = less.expandedTo(QSize(0, 0));
    // Every box and page around the area measures again (they keep their measures until
    // told), up to the window.
    for (QWidget* up = this; up && !up->isWindow(); up = up->parentWidget()) {
        if (up->layout())
            up->layout()->invalidate();
        up->updateGeometry();
    }
}

QSize FittingArea::lessened(QSize size) const
{
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QSize across(m_less.height() > 0 ? bar : 0, m_less.width() > 0 ? bar : 0);
    return (size - m_less + across).expandedTo(QSize(0, 0));
}

void FitToScreen(QWidget& window)
{
    const QList<FittingArea*> areas = window.findChildren<FittingArea*>();
    for (FittingArea* area : areas)
        area->giveWay(QSize(0, 0));
    const QSize over = LeastSize(window) - WindowRoom(window);
    if (over.width() <= 0 && over.height() <= 0)
        return;
    // A scroll bar taken across needs its own room as well.
    const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &window);
    const QSize less(over.width() > 0 ? over.width() + (over.height() > 0 ? bar : 0) : 0,
                     over.height() > 0 ? over.height() + (over.width() > 0 ? bar : 0) : 0);
    for (FittingArea* area : areas)
        area->giveWay(less);
}

} // namespace platform
