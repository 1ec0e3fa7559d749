#include "platform/field_form.h"
#include "platform/services.h"
#include "platform/text.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace platform {

namespace {


QLabel* addLabel(QGridLayout* grid, int row, int column, const QString& caption, QWidget* buddy)
{
    auto* label = new QLabel(caption);
    label->setBuddy(buddy);
    buddy->setAccessibleName(caption);
    grid->addWidget(label, row, column);
    grid->addWidget(buddy, row, column + 1);
    return label;
}

QComboBox* makeChoiceList(const QString& objectName)
{
    auto* list = new QComboBox;
    list->setObjectName(objectName);
    list->setEditable(false);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

// A hex value offered with items: the user may pick one or type another. Typed text is
// neither completed from the items nor added to them.
QComboBox* makeEditableList(const QString& objectName, int maxLength)
{
    QComboBox* list = makeChoiceList(objectName);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr);
    list->lineEdit()->setMaxLength(maxLength);
    return list;
}

} // namespace

QGroupBox* MakeGroup(const QString& caption, QGridLayout*& grid, QWidget* parent)
{
    auto* group = new QGroupBox(caption, parent);
    grid = new QGridLayout(group);
    return group;
}

QLineEdit* AddLabelledText(QGridLayout* grid, int row, int column, const QString& label,
                           const QString& objectName, int maxLength)
{
    auto* box = new QLineEdit;
    box->setObjectName(objectName);
    box->setMaxLength(maxLength);
    addLabel(grid, row, column, label, box);
    return box;
}

QComboBox* AddLabelledChoice(QGridLayout* grid, int row, int column, const QString& label,
                             const QString& objectName)
{
    QComboBox* list = makeChoiceList(objectName);
    addLabel(grid, row, column, label, list);
    return list;
}

FieldForm::FieldForm(QWidget* owner, int hexTextLimit)
    : QObject(owner), m_owner(owner), m_hexTextLimit(hexTextLimit)
{
}

QWidget* FieldForm::add(const layout::Field& field, QGridLayout* grid, int row, int column)
{
    const QString key = platform::ToQString(field.key);
    QWidget* widget = nullptr;
    const bool hexList = field.kind == layout::Kind::Hex && !field.items.empty();
    if (field.kind == layout::Kind::Choice || hexList) {
        QComboBox* list = hexList ? makeEditableList(key, m_hexTextLimit) : makeChoiceList(key);
        // activated() comes only from the user, so rules never run on code's changes.
        connect(list, &QComboBox::activated, this,
                [this, key](int index) { emit choiceActivated(key, index); });
        widget = list;
    } else {
        auto* box = new QLineEdit;
        box->setObjectName(key);
        if (field.kind == layout::Kind::Hex)
            box->setMaxLength(m_hexTextLimit);
        connect(box, &QLineEdit::editingFinished, this,
                [this, key] { emit textEditingFinished(key); });
        widget = box;
    }
    addLabel(grid, row, column, platform::ToQString(field.label), widget);
    m_widgets.emplace(std::string(field.key), widget);
    return widget;
}

QWidget* FieldForm::widget(std::string_view key) const
{
    const auto found = m_widgets.find(key);
    return found == m_widgets.end() ? nullptr : found->second;
}

QComboBox* FieldForm::choice(std::string_view key) const
{
    return qobject_cast<QComboBox*>(widget(key));
}

QLineEdit* FieldForm::text(std::string_view key) const
{
    return qobject_cast<QLineEdit*>(widget(key));
}

void FieldForm::reset(const layout::Field& field)
{
    if (QComboBox* list = choice(field.key)) {
        list->clear();
        for (std::string_view item : field.items)
            list->addItem(platform::ToQString(item));
        list->setCurrentIndex(field.indexOf(field.defaultText));
        if (list->isEditable())
            list->setEditText(platform::ToQString(field.defaultText));
        list->setEnabled(true);
    } else if (QLineEdit* box = text(field.key)) {
        box->setText(platform::ToQString(field.defaultText));
        box->setEnabled(true);
    }
}

void FieldForm::retire(std::string_view key)
{
    if (QComboBox* list = choice(key))
        list->clear();
    else if (QLineEdit* box = text(key))
        box->clear();
    if (QWidget* w = widget(key))
        w->setEnabled(false);
}

void FieldForm::selectOrAdd(std::string_view key, const QString& text)
{
    QComboBox* list = choice(key);
    if (!list)
        return;
    int at = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (at < 0) {
        at = 0;
        while (at < list->count() && list->itemText(at) < text)
            ++at;
        list->insertItem(at, text);
    }
    list->setCurrentIndex(at);
}

layout::Values FieldForm::read(const layout::Model& model,
                               std::span<const layout::Field> fields) const
{
    layout::Values values;
    for (const layout::Field& field : fields) {
        const std::string key(field.key);
        switch (field.kind) {
        case layout::Kind::Choice:
            if (const QComboBox* list = choice(key))
                values.numbers[key] = list->currentIndex();
            break;
        case layout::Kind::Hex:
            if (const QLineEdit* box = text(key))
                values.numbers[key] = layout::ReadHexText(model, box->text().toStdString());
            else if (const QComboBox* list = choice(key))
                values.numbers[key] = layout::ReadHexText(model, list->currentText().toStdString());
            break;
        case layout::Kind::Text:
            if (const QLineEdit* box = text(key))
                values.texts[key] = box->text().toLatin1().toStdString();
            break;
        }
    }
    return values;
}

void FieldForm::showValue(const layout::Field& field, const layout::Values& values)
{
    if (!values.has(field.key))
        return;
    if (QComboBox* list = choice(field.key)) {
        if (list->isEditable())
            selectOrAdd(field.key, platform::ToQString(layout::ShowValue(field, values)));
        else
            list->setCurrentIndex(static_cast<int>(values.number(field.key, layout::kNoSelection)));
        return;
    }
    if (QLineEdit* box = text(field.key))
        box->setText(field.kind == layout::Kind::Text
                         ? QString::fromLatin1(layout::ShowValue(field, values))
                         : platform::ToQString(layout::ShowValue(field, values)));
}

void FieldForm::show(std::span<const layout::Field> fields, const layout::Values& values)
{
    for (const layout::Field& field : fields)
        showValue(field, values);
}

void FieldForm::apply(std::span<const layout::Field> fields, const layout::Correction& correction)
{
    layout::Values changed;
    for (const auto& [key, value] : correction.updates)
        changed.numbers[key] = value;
    show(fields, changed);
}

void FieldForm::correct(std::span<const layout::Field> fields,
                        std::span<const layout::Correction> corrections)
{
    for (const layout::Correction& correction : corrections) {
        if (!correction.message.empty())
            Notice(m_owner, ToQString(correction.message));
        apply(fields, correction);
    }
}

} // namespace platform
