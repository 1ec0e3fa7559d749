#include "support/user_actions.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace testing_support {

namespace {

// Whether a group box captioned `group` holds the widget (any widget, for no caption).
bool InGroup(const QWidget* widget, const QString& group)
{
    for (const QWidget* up = widget->parentWidget(); up && !group.isEmpty(); up = up->parentWidget())
        if (const auto* box = qobject_cast<const QGroupBox*>(up); box && box->title() == group)
            return true;
    return group.isEmpty();
}

} // namespace

QWidget* FieldByLabel(QWidget* root, const QString& labelPath)
{
    const qsizetype bar = labelPath.indexOf(QLatin1Char('|'));
    const QString group = bar < 0 ? QString() : labelPath.left(bar);
    const QString text = labelPath.mid(bar + 1);
    QList<QWidget*> found;
    for (QLabel* label : root->findChildren<QLabel*>())
        if (label->text() == text && label->buddy() && InGroup(label, group))
            found.append(label->buddy());
    if (found.isEmpty())
        for (QWidget* widget : root->findChildren<QWidget*>())
            if (widget->accessibleName() == text && InGroup(widget, group))
                found.append(widget);
    if (found.size() != 1) {
        ADD_FAILURE() << found.size() << " fields labelled " << labelPath.toStdString();
        return nullptr;
    }
    return found.front();
}

QComboBox* ChoiceByLabel(QWidget* root, const QString& labelPath)
{
    auto* list = qobject_cast<QComboBox*>(FieldByLabel(root, labelPath));
    EXPECT_NE(list, nullptr) << labelPath.toStdString() << " is not a choice list";
    return list;
}

QLineEdit* TextByLabel(QWidget* root, const QString& labelPath)
{
    auto* box = qobject_cast<QLineEdit*>(FieldByLabel(root, labelPath));
    EXPECT_NE(box, nullptr) << labelPath.toStdString() << " is not a text box";
    return box;
}

void Select(QWidget* root, const QString& labelPath, const QString& itemText)
{
    QComboBox* list = ChoiceByLabel(root, labelPath);
    if (!list)
        return;
    ASSERT_TRUE(list->isEnabled()) << labelPath.toStdString() << " is disabled";
    const int index = list->findText(itemText, Qt::MatchExactly);
    ASSERT_GE(index, 0) << labelPath.toStdString() << " has no item " << itemText.toStdString();
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void Type(QWidget* root, const QString& labelPath, const QString& text)
{
    QLineEdit* box = TextByLabel(root, labelPath);
    if (!box)
        return;
    ASSERT_TRUE(box->isEnabled()) << labelPath.toStdString() << " is disabled";
    box->selectAll();
    box->del();
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(box, c.toLatin1());
        } else { // a key the test framework has no code for: its text alone
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(box, &press);
        }
    }
    QFocusEvent left(QEvent::FocusOut, Qt::TabFocusReason); // as moving to another field does
    QApplication::sendEvent(box, &left);
}

void Click(QWidget* root, const QString& caption)
{
    // The button a screen reader reads by the caption (its text without the mnemonic's '&').
    QList<QPushButton*> found;
    for (QPushButton* button : root->findChildren<QPushButton*>())
        if (button->accessibleName() == caption)
            found.append(button);
    ASSERT_EQ(found.size(), 1) << "buttons captioned " << caption.toStdString();
    ASSERT_TRUE(found.front()->isEnabled()) << caption.toStdString() << " is disabled";
    found.front()->click();
}

void PressEnter(QWidget* widget) { QTest::keyClick(widget, Qt::Key_Return); }

QString ChoiceText(QWidget* root, const QString& labelPath)
{
    QComboBox* list = ChoiceByLabel(root, labelPath);
    return list ? list->currentText() : QString();
}

QStringList ChoiceItems(QWidget* root, const QString& labelPath)
{
    QStringList items;
    if (QComboBox* list = ChoiceByLabel(root, labelPath))
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
    return items;
}

QString Text(QWidget* root, const QString& labelPath)
{
    QLineEdit* box = TextByLabel(root, labelPath);
    return box ? box->text() : QString();
}

QStringList Listing(QWidget* root)
{
    QStringList lines;
    auto* listing = root->findChild<QListWidget*>(QStringLiteral("listing"));
    EXPECT_NE(listing, nullptr) << "no hex listing";
    if (listing)
        for (int i = 0; i < listing->count(); ++i)
            lines << listing->item(i)->text();
    return lines;
}

void ProcessEvents()
{
    for (int round = 0; round < 3; ++round)
        QApplication::processEvents();
}

} // namespace testing_support
