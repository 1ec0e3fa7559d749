#include "platform/dialog.h"

#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>

namespace platform {

Dialog::Dialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("HUBQUILL"));
    setWindowIcon(QIcon(QStringLiteral(":/hubquill.png")));
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

QPushButton* MakeButton(const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    // Room around the caption, whatever the style leaves.
    button->setMinimumWidth(button->sizeHint().width() + 16);
    return button;
}

} // namespace platform
