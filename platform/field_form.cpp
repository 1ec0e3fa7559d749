#include "platform/field_form.h"

#include "layout/describe.h"
#include "platform/services.h"
#include "platform/text.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyleOptionComboBox>
#include <QtMath>
#include <QTabWidget>
#include <QToolTip>
#include <QValidator>

#include <algorithm>

namespace platform {

namespace {

void addLabel(QGridLayout* grid, int row, int column, const QString& caption, QWidget* buddy)
{
    auto* label = new QLabel(caption);
    label->setBuddy(buddy);
    buddy->setAccessibleName(caption);
    grid->addWidget(label, row, column);
    grid->addWidget(buddy, row, column + 1);
}

// Why a box did not take what was typed into it, or nothing when it takes it.
QString Refusal(const layout::Field& field, const QString& input)
{
    if (input.size() > field.limit)
        return QStringLiteral("At most %1 characters fit here.").arg(field.limit);
    for (const QChar c : input) {
        if (c.unicode() <= 0xFF && layout::Takes(field, static_cast<unsigned char>(c.unicode())))
            continue;
        if (field.kind == layout::Kind::Decimal)
            return QStringLiteral("Only the digits 0 to 9 can be typed here.");
        return QStringLiteral("\u201C%1\u201D cannot be stored: each character here is one byte "
                              "(Latin-1), and this one has no such code.")
            .arg(c);
    }
    return QString();
}

// What a box takes as it is typed into: the characters its field takes, up to its limit,
// with the capitals the model makes. What it does not take is refused with a hint beside
// the box that says why, once for each attempt. Text set by the program (a decoded value)
// is not held to it, so a loaded length above 99 shows all three digits.
class FieldValidator final : public QValidator {
public:
    FieldValidator(const FieldForm& form, std::string key, QWidget* box)
        : QValidator(box), m_form(form), m_key(std::move(key)), m_box(box)
    {
    }

    State validate(QString& input, int&) const override
    {
        const layout::Field* field = layout::FindField(m_form.model().fields, m_key);
        if (!field)
            return Invalid;
        if (const QString why = Refusal(*field, input); !why.isEmpty()) {
            QToolTip::showText(m_box->mapToGlobal(QPoint(0, m_box->height())), why, m_box);
            return Invalid;
        }
        if (m_form.model().typing.capitals && field->kind == layout::Kind::Hex)
            for (QChar& c : input)
                if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                    c = c.toUpper();
        return Acceptable;
    }

private:
    const FieldForm& m_form;
    std::string m_key;
    QWidget* m_box;
};

// Wide enough for the digits a box takes (and a three-digit length a load may show), no
// wider; a string box as wide as most strings.
int boxWidth(const QWidget& box, const layout::Field& field)
{
    const QFontMetrics& metrics = box.fontMetrics();
    if (field.kind == layout::Kind::Text)
        return metrics.horizontalAdvance(QLatin1Char('W')) * 16 + 16;
    int digit = 0;
    for (const QChar c : QStringLiteral("0123456789ABCDEF"))
        digit = std::max(digit, metrics.horizontalAdvance(c));
    return digit * std::max<int>(field.limit, 3) + 16;
}

// A hex value offered with items: the user may pick one or type another. Typed text is
// neither completed from the items nor added to them.
QComboBox* makeEditableList(const QString& objectName)
{
    QComboBox* list = MakeChoiceList(objectName);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr);
    return list;
}

// The page of a tabbed window that holds `widget`, shown.
void showPageOf(QWidget* widget)
{
    for (QWidget* page = widget; page && page->parentWidget(); page = page->parentWidget())
        if (qobject_cast<QStackedWidget*>(page->parentWidget()))
            if (auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget()))
                tabs->setCurrentWidget(page);
}

} // namespace

QGroupBox* MakeGroup(const QString& caption, QGridLayout*& grid, QWidget* parent)
{
    auto* group = new QGroupBox(caption, parent);
    grid = new QGridLayout(group);
    return group;
}

namespace {

// A drop-down list as wide as its widest item whatever it shows, following its items as
// they come and go: what QComboBox::AdjustToContents gives, without the pop-up list (nine
// widgets) that choosing that policy builds at once for every list. Its least size is the
// same as its wanted one, so a window squeezed to its least size still shows every item
// whole; both are measured again once the list has the style and font of its window.
class ChoiceList final : public QComboBox {
public:
    ChoiceList()
    {
        const QAbstractItemModel* items = model();
        connect(items, &QAbstractItemModel::rowsInserted, this, &ChoiceList::itemsChanged);
        connect(items, &QAbstractItemModel::rowsRemoved, this, &ChoiceList::itemsChanged);
        connect(items, &QAbstractItemModel::dataChanged, this, &ChoiceList::itemsChanged);
        connect(items, &QAbstractItemModel::modelReset, this, &ChoiceList::itemsChanged);
    }

    QSize sizeHint() const override
    {
        if (!m_hint.isValid())
            m_hint = hintForItems();
        return m_hint;
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool event(QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::Polish || type == QEvent::FontChange || type == QEvent::StyleChange)
            itemsChanged();
        return QComboBox::event(event);
    }

private:
    void itemsChanged()
    {
        m_hint = QSize();
        updateGeometry();
    }

    // The widest item's text (an empty list as wide as seven x), one line high, in the
    // style's frame and arrow.
    QSize hintForItems() const
    {
        const QFontMetrics& metrics = fontMetrics();
        int width = count() == 0 ? 7 * metrics.horizontalAdvance(QLatin1Char('x')) : 0;
        for (int i = 0; i < count(); ++i)
            width = std::max(width, metrics.boundingRect(itemText(i)).width());
        const int height = std::max(qCeil(QFontMetricsF(metrics).height()), 14) + 2;
        QStyleOptionComboBox option;
        initStyleOption(&option);
        return style()->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(width, height), this);
    }

    mutable QSize m_hint;
};

} // namespace

QComboBox* MakeChoiceList(const QString& objectName)
{
    auto* list = new ChoiceList;
    list->setObjectName(objectName);
    return list;
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
    QComboBox* list = MakeChoiceList(objectName);
    addLabel(grid, row, column, label, list);
    return list;
}

FieldForm::FieldForm(QWidget* owner, const layout::Model& model)
    : QObject(owner), m_owner(owner), m_model(&model)
{
}

QWidget* FieldForm::makeWidget(const layout::Field& field)
{
    const QString key = ToQString(field.key);
    if (field.kind == layout::Kind::Choice || !field.items.empty()) {
        QComboBox* list = field.kind == layout::Kind::Choice ? MakeChoiceList(key)
                                                             : makeEditableList(key);
        if (list->isEditable()) {
            list->setValidator(new FieldValidator(*this, std::string(field.key), list));
            list->setFixedWidth(boxWidth(*list, field) + list->sizeHint().height()); // and its arrow
        }
        // activated() comes only from the user, so rules never run on code's changes.
        connect(list, &QComboBox::activated, this, [this, key] { userChanged(key); });
        list->installEventFilter(this); // its focus, for the listing
        m_widgets.emplace(std::string(field.key), list);
        return list;
    }
    auto* box = new QLineEdit;
    box->setObjectName(key);
    box->setValidator(new FieldValidator(*this, std::string(field.key), box));
    if (field.kind == layout::Kind::Text)
        box->setMinimumWidth(boxWidth(*box, field));
    else
        box->setFixedWidth(boxWidth(*box, field));
    box->setReadOnly(field.readOnly);
    // Leaving a box is its loss of focus, whatever takes the focus next.
    box->installEventFilter(this);
    m_widgets.emplace(std::string(field.key), box);
    return box;
}

QWidget* FieldForm::add(const layout::Field& field, QGridLayout* grid, int row, int column)
{
    QWidget* widget = makeWidget(field);
    addLabel(grid, row, column, ToQString(field.label), widget);
    return widget;
}

QWidget* FieldForm::addBare(const layout::Field& field, QGridLayout* grid, int row, int column)
{
    QWidget* widget = makeWidget(field);
    grid->addWidget(widget, row, column);
    // The caption is not shown (headings around the widget say it), yet a screen reader
    // reads it from a label that names the widget, as it reads the shown ones.
    auto* label = new QLabel(ToQString(field.label), grid->parentWidget());
    label->setBuddy(widget);
    label->setVisible(false);
    widget->setAccessibleName(label->text());
    return widget;
}

bool FieldForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        if (const std::optional<std::size_t> at = fieldOf(qobject_cast<QWidget*>(watched)))
            emit fieldFocused(*at);
    if (event->type() == QEvent::FocusOut)
        if (auto* box = qobject_cast<QLineEdit*>(watched); box && !box->isReadOnly())
            userChanged(box->objectName());
    return QObject::eventFilter(watched, event);
}

QWidget* FieldForm::widget(std::string_view key) const
{
    const auto found = m_widgets.find(key);
    return found == m_widgets.end() ? nullptr : found->second;
}

std::optional<std::size_t> FieldForm::fieldOf(const QWidget* widget) const
{
    for (; widget; widget = widget->parentWidget())
        if (const QWidget* own = this->widget(widget->objectName().toStdString()); own == widget)
            return layout::FieldIndex(*m_model, widget->objectName().toStdString());
    return std::nullopt;
}

QComboBox* FieldForm::choice(std::string_view key) const
{
    return qobject_cast<QComboBox*>(widget(key));
}

QLineEdit* FieldForm::text(std::string_view key) const
{
    return qobject_cast<QLineEdit*>(widget(key));
}

void FieldForm::fill(const layout::Field& field)
{
    QComboBox* list = choice(field.key);
    if (!list)
        return;
    list->clear();
    for (std::string_view item : field.items)
        list->addItem(ToQString(item));
}

void FieldForm::reset()
{
    for (const layout::Field& field : m_model->fields) {
        QWidget* w = widget(field.key);
        if (!w)
            continue;
        fill(field);
        if (QComboBox* list = choice(field.key)) {
            list->setCurrentIndex(field.indexOf(field.defaultText));
            if (list->isEditable())
                list->setEditText(ToQString(field.defaultText));
        } else if (QLineEdit* box = text(field.key)) {
            box->setText(QString::fromLatin1(field.defaultText.data(),
                                             static_cast<qsizetype>(field.defaultText.size())));
        }
        w->setEnabled(true);
        w->setToolTip(ToQString(layout::FieldTip(*m_model, field)));
    }
}

void FieldForm::retire(std::string_view key)
{
    if (QComboBox* list = choice(key))
        list->clear();
    else if (QLineEdit* box = text(key))
        box->clear();
    if (QWidget* w = widget(key)) {
        w->setEnabled(false);
        w->setToolTip(QString());
    }
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

layout::Values FieldForm::read() const
{
    layout::Values values(m_model->fields.size());
    for (std::size_t at = 0; at < m_model->fields.size(); ++at) {
        const layout::Field& field = m_model->fields[at];
        if (field.kind == layout::Kind::Choice) {
            if (const QComboBox* list = choice(field.key))
                values.setIndex(at, list->currentIndex());
        } else if (const QLineEdit* box = text(field.key)) {
            values.setText(at, box->text().toLatin1().toStdString());
        } else if (const QComboBox* list = choice(field.key)) {
            values.setText(at, list->currentText().toLatin1().toStdString());
        }
    }
    return values;
}

void FieldForm::showValue(std::size_t at, const layout::Values& values)
{
    const layout::Field& field = m_model->fields[at];
    if (!values.has(at))
        return;
    const QString shown = QString::fromLatin1(layout::ShowValue(field, values, at));
    if (QComboBox* list = choice(field.key)) {
        if (list->isEditable())
            selectOrAdd(field.key, shown);
        else
            list->setCurrentIndex(static_cast<int>(values.index(at)));
    } else if (QLineEdit* box = text(field.key)) {
        box->setText(shown);
    }
}

void FieldForm::show(const layout::Values& values)
{
    for (std::size_t at = 0; at < m_model->fields.size(); ++at)
        showValue(at, values);
}

void FieldForm::showDecoded(const layout::DecodeResult& decoded)
{
    show(decoded.values);
    for (const layout::DecodeNote& note : decoded.notes) {
        Notice(m_owner, ToQString(note.message));
        // The list shows that its value is not one of its items by an empty item the
        // user may pick; the selection stays as it was. One such item is enough.
        QComboBox* list = choice(m_model->fields[note.field].key);
        if (list && list->findText(QString(), Qt::MatchExactly) < 0)
            list->addItem(QString());
    }
}

void FieldForm::correct(std::span<const layout::Correction> corrections)
{
    for (const layout::Correction& correction : corrections) {
        if (!correction.message.empty())
            Notice(m_owner, ToQString(correction.message));
        show(correction.changes);
    }
}

std::vector<bool> FieldForm::enabledNow() const
{
    std::vector<bool> current(m_model->fields.size(), true);
    for (std::size_t at = 0; at < current.size(); ++at)
        if (const QWidget* w = widgetAt(at))
            current[at] = w->isEnabled();
    return current;
}

void FieldForm::applyGreying(std::optional<std::size_t> changed)
{
    const std::vector<bool> enabled = layout::Enabled(*m_model, read(), changed, enabledNow());
    for (std::size_t at = 0; at < enabled.size(); ++at)
        if (QWidget* w = widgetAt(at))
            w->setEnabled(enabled[at]);
}

std::optional<std::size_t> FieldForm::enablerOf(std::size_t field) const
{
    const layout::Values now = read();
    for (std::size_t at = 0; at < m_model->fields.size(); ++at) {
        const layout::Field& other = m_model->fields[at];
        const QWidget* w = widgetAt(at);
        if (at == field || other.kind != layout::Kind::Choice || !w || !w->isEnabled())
            continue;
        for (std::size_t item = 0; item < other.items.size(); ++item) {
            layout::Values picked = now;
            picked.setIndex(at, static_cast<std::int64_t>(item));
            if (layout::Enabled(*m_model, picked, at, enabledNow())[field])
                return at;
        }
    }
    return std::nullopt;
}

void FieldForm::reveal(std::size_t field)
{
    QWidget* w = widgetAt(field);
    if (!w)
        return;
    showPageOf(w);
    for (QWidget* up = w->parentWidget(); up; up = up->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(up))
            area->ensureWidgetVisible(w);
}

void FieldForm::focus(std::size_t field)
{
    // A greyed field takes no focus: the choice that would let it take typing does.
    if (const QWidget* w = widgetAt(field); w && !w->isEnabled())
        field = enablerOf(field).value_or(field);
    QWidget* w = widgetAt(field);
    if (!w)
        return;
    reveal(field);
    w->setFocus(Qt::OtherFocusReason);
    if (auto* box = qobject_cast<QLineEdit*>(w))
        box->selectAll();
}

void FieldForm::userChanged(const QString& key)
{
    const std::optional<std::size_t> at = layout::FieldIndex(*m_model, key.toStdString());
    if (!at)
        return;
    if (QLineEdit* box = text(key.toStdString())) {
        const QString left = QString::fromLatin1(
            layout::AsLeft(*m_model, m_model->fields[*at], box->text().toLatin1().toStdString()));
        if (left != box->text())
            box->setText(left);
    }
    if (const std::optional<layout::Correction> rule =
            layout::OnUserChange(*m_model, *at, read()))
        correct(std::span(&*rule, 1));
    applyGreying(*at);
    emit changedByUser(*at);
}

} // namespace platform
