#pragma once

// Builds a form from layout fields and keeps it in step with a model: one labelled widget
// per field (a drop-down list for a choice, a line edit for a text, an editable list for a
// hex value offered with items, whose text is the value), each label the buddy and
// accessible name of its widget, each widget named after its field's key. Editors place
// the widgets; this class reads them into codec values, shows decoded values in them, and
// runs the model's rules when the user changes one.

#include "layout/model.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace platform {

// A group box with a grid inside, for labelled rows.
QGroupBox* MakeGroup(const QString& caption, QGridLayout*& grid, QWidget* parent = nullptr);

// A labelled line edit that is not a layout field (file-name boxes and the like), placed
// at `row` of `grid`: label in `column`, box in `column + 1`.
QLineEdit* AddLabelledText(QGridLayout* grid, int row, int column, const QString& label,
                           const QString& objectName, int maxLength);

// A labelled drop-down list that is not a layout field (the model lists).
QComboBox* AddLabelledChoice(QGridLayout* grid, int row, int column, const QString& label,
                             const QString& objectName);

// A drop-down list that sizes itself without building its pop-up first.
QComboBox* MakeChoiceList(const QString& objectName);

class FieldForm : public QObject {
    Q_OBJECT
public:
    // The form works for `model` until setModel picks another of the same family.
    FieldForm(QWidget* owner, const layout::Model& model);

    const layout::Model& model() const { return *m_model; }
    // Another model of the family: the widgets stay, read and shown by its fields.
    void setModel(const layout::Model& model) { m_model = &model; }

    // Creates the labelled widget of `field` at `row` of `grid`: the label in `column`,
    // the widget in `column + 1`. Choice lists start empty; reset fills them.
    QWidget* add(const layout::Field& field, QGridLayout* grid, int row, int column = 0);
    // The same without a label beside it (headings around it say what it is): the caption
    // names it to screen readers. `grid` must already be a widget's layout.
    QWidget* addBare(const layout::Field& field, QGridLayout* grid, int row, int column);

    QComboBox* choice(std::string_view key) const;
    QLineEdit* text(std::string_view key) const;
    QWidget* widget(std::string_view key) const;
    QWidget* widgetAt(std::size_t field) const { return widget(m_model->fields[field].key); }

    // Every field of the model at its default: each list emptied, filled with its items and
    // set to its default item, each box set to its default text. Never runs a rule.
    void reset();
    // Empties a field's list and fills it with the field's items. Never runs a rule.
    void fill(const layout::Field& field);
    // A field the current model does not use: disabled and empty.
    void retire(std::string_view key);

    // An editable list keeps its entries in ascending text order: selects the entry equal
    // to `text` (case counts), or adds it in its place and selects it. Never runs a rule.
    void selectOrAdd(std::string_view key, const QString& text);

    // The values of the model's fields as the form holds them.
    layout::Values read() const;
    // Shows the values given; a field without a value keeps what it shows. Never runs a
    // rule.
    void show(const layout::Values& values);
    // Shows a decode: its values, then for each field it could not take over, its message
    // and an empty item the user may pick, the selection left as it was.
    void showDecoded(const layout::DecodeResult& decoded);
    // Tells the user what each rule changed, then changes it, so the form and the image
    // agree: one message box per correction, in order.
    void correct(std::span<const layout::Correction> corrections);
    // Enables the fields the model's greying allows, given what the form holds; `changed`
    // is the field the user just changed, none for a form opened, reset or loaded.
    void applyGreying(std::optional<std::size_t> changed = std::nullopt);
    // Shows the page of a field, scrolled to it.
    void reveal(std::size_t field);
    // Puts the focus on a field, its page shown and its whole text selected; for a greyed
    // field, on the choice that enables it.
    void focus(std::size_t field);
    // The choice whose change by the user would enable `field`, if any.
    std::optional<std::size_t> enablerOf(std::size_t field) const;

    // The field of the model that `widget` is, or is part of.
    std::optional<std::size_t> fieldOf(const QWidget* widget) const;

signals:
    // The user picked an item or left a box; its rules have run.
    void changedByUser(std::size_t field);
    // A field of the model took the focus.
    void fieldFocused(std::size_t field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeWidget(const layout::Field& field);
    void userChanged(const QString& key);
    void showValue(std::size_t at, const layout::Values& values);
    std::vector<bool> enabledNow() const;

    QWidget* m_owner;
    const layout::Model* m_model;
    std::map<std::string, QPointer<QWidget>, std::less<>> m_widgets;
};

} // namespace platform
