#include "platform/dialog.h"

#include "layout/window_texts.h"
#include "platform/screen_fit.h"
#include "platform/text.h"

#include <QApplication>
#include <QGridLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace platform {

namespace {

void readLayout(const QLayout* layout, QList<QWidget*>& order);

// A control the Tab key stops at, or the controls inside a box or page, in reading order.
void readWidget(QWidget* widget, QList<QWidget*>& order)
{
    if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        order << tabs->tabBar();
        for (int page = 0; page < tabs->count(); ++page)
            readWidget(tabs->widget(page), order);
    } else if (auto* area = qobject_cast<QScrollArea*>(widget); area && area->widget()) {
        readWidget(area->widget(), order);
    } else if (widget->focusPolicy() & Qt::TabFocus) {
        order << widget;
    } else if (widget->layout()) {
        readLayout(widget->layout(), order);
    }
}

// A grid cell by cell, row by row and left to right; any other layout in its order.
void readLayout(const QLayout* layout, QList<QWidget*>& order)
{
    QList<std::pair<std::pair<int, int>, QLayoutItem*>> items;
    const auto* grid = qobject_cast<const QGridLayout*>(layout);
    for (int at = 0; at < layout->count(); ++at) {
        int row = 0, column = at, rows = 0, columns = 0;
        if (grid)
            grid->getItemPosition(at, &row, &column, &rows, &columns);
        items.append({{row, column}, layout->itemAt(at)});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [cell, item] : items) {
        if (item->widget())
            readWidget(item->widget(), order);
        else if (item->layout())
            readLayout(item->layout(), order);
    }
}

} // namespace

Dialog::Dialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ToQString(layout::words::kAppName));
    setWindowIcon(QIcon(QStringLiteral(":/hubquill.png")));
}

void Dialog::setVisible(bool visible)
{
    if (visible && !isVisible())
        FitToScreen(*this);
    QDialog::setVisible(visible);
}

void Dialog::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier) {
        auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        if (!button || !isAncestorOf(button))
            button = visibleDefaultButton();
        if (button)
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QPushButton* Dialog::visibleDefaultButton() const
{
    for (QPushButton* button : findChildren<QPushButton*>())
        if (button->isDefault() && button->isVisible() && button->isEnabled() &&
            button->window() == this) // not a button of another window it owns
            return button;
    return nullptr;
}

void SetReadingOrder(QWidget& window)
{
    QList<QWidget*> order;
    if (window.layout())
        readLayout(window.layout(), order);
    for (qsizetype at = 1; at < order.size(); ++at)
        QWidget::setTabOrder(order[at - 1], order[at]);
    // The window opens with its first control focused, wherever that was made.
    if (!order.isEmpty())
        order.front()->setFocus(Qt::OtherFocusReason);
}

QPushButton* MakeButton(const QString& caption, QWidget* parent)
{
    // Alt and the caption's first letter press it; screen readers still read the caption.
    QString text = caption;
    text.replace(QLatin1Char('&'), QLatin1String("&&")).prepend(QLatin1Char('&'));
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(caption);
    button->setAutoDefault(false);
    button->setDefault(false);
    // Room around the caption, whatever the style leaves.
    button->setMinimumWidth(button->sizeHint().width() + 16);
    return button;
}

} // namespace platform
