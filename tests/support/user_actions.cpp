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

struct LabelPath {
    QString group;
    QString label;
};

LabelPath split(const QString& path)
{
    const qsizetype bar = path.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {QString(), path};
    return {path.left(bar), path.mid(bar + 1)};
}

QString groupOf(const QWidget* widget)
{
    for (const QWidget* up = widget->parentWidget(); up; up = up->parentWidget())
        if (const auto* group = qobject_cast<const QGroupBox*>(up))
            return group->title();
    return QString();
}

bool inGroup(const QWidget* widget, const QString& group)
{
    if (group.isEmpty())
        return true;
    for (const QWidget* up = widget->parentWidget(); up; up = up->parentWidget())
        if (const auto* box = qobject_cast<const QGroupBox*>(up); box && box->title() == group)
            return true;
    return false;
}

} // namespace

QWidget* FieldByLabel(QWidget* root, const QString& labelPath)
{
    const LabelPath path = split(labelPath);
    QList<QWidget*> found;
    for (QLabel* label : root->findChildren<QLabel*>())
        if (label->text() == path.label && label->buddy() && inGroup(label, path.group))
            found.append(label->buddy());
    if (found.isEmpty())
        for (QWidget* widget : root->findChildren<QWidget*>())
            if (widget->accessibleName() == path.label && inGroup(widget, path.group))
                found.append(widget);
    if (found.size() != 1) {
        QString where;
        for (QWidget* widget : found)
            where += QStringLiteral(" [%1]").arg(groupOf(widget));
        ADD_FAILURE() << (found.isEmpty() ? "no field labelled " : "more than one field labelled ")
                      << labelPath.toStdString() << where.toStdString();
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

QPushButton* ButtonByCaption(QWidget* root, const QString& caption)
{
    QList<QPushButton*> found;
    for (QPushButton* button : root->findChildren<QPushButton*>())
        if (button->accessibleName() == caption)
            found.append(button);
    EXPECT_EQ(found.size(), 1) << "buttons captioned " << caption.toStdString();
    return found.size() == 1 ? found.front() : nullptr;
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
    Leave(box);
}

void Leave(QWidget* field)
{
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &focusOut);
}

void Click(QWidget* root, const QString& caption)
{
    QPushButton* button = ButtonByCaption(root, caption);
    if (!button)
        return;
    ASSERT_TRUE(button->isEnabled()) << caption.toStdString() << " is disabled";
    button->click();
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
