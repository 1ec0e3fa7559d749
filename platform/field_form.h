#pragma once

// Builds a form from layout fields: one labelled widget per field (a drop-down list for a
// choice, a line edit for hex or free text, an editable list for a hex value offered with
// items, whose text is the value), each label the buddy and accessible name of
// its widget, each widget named after its field's key. Editors place the widgets; this
// class reads them into codec values and shows decoded values in them.

#include "layout/model.h"

#include <QObject>
#include <QString>

#include <map>
#include <string>
#include <string_view>

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

class FieldForm : public QObject {
    Q_OBJECT
public:
    // hexTextLimit: how many characters a hex box takes.
    FieldForm(QWidget* owner, int hexTextLimit);

    // Creates the labelled widget of `field` at `row` of `grid`: the label in `column`,
    // the widget in `column + 1`. Choice lists start empty; call resetChoice to fill them.
    QWidget* add(const layout::Field& field, QGridLayout* grid, int row, int column = 0);

    QComboBox* choice(std::string_view key) const;
    QLineEdit* text(std::string_view key) const;
    QWidget* widget(std::string_view key) const;

    // Empties a choice list, fills it with the field's items and selects its default, or
    // sets a text box to its default text. Enables the widget. Never runs a rule.
    void reset(const layout::Field& field);
    // A field the current model does not use: disabled and empty.
    void retire(std::string_view key);

    // An editable list keeps its entries in ascending text order: selects the entry equal
    // to `text` (case counts), or adds it in its place and selects it. Never runs a rule.
    void selectOrAdd(std::string_view key, const QString& text);

    // The values of `fields` as the codec reads them: a choice gives its selected index
    // (kNoSelection when none), a hex box the number the model's reader makes of it.
    layout::Values read(const layout::Model& model, std::span<const layout::Field> fields) const;
    layout::Values read(const layout::Model& model) const { return read(model, model.fields); }

    // Shows decoded values; a field without a value keeps what it shows. Never runs a rule.
    void show(std::span<const layout::Field> fields, const layout::Values& values);
    // Sets the fields a rule changed.
    void apply(std::span<const layout::Field> fields, const layout::Correction& correction);
    // Tells the user what each rule changed, then changes it, so the form and the image
    // agree: one message box per correction, in order.
    void correct(std::span<const layout::Field> fields,
                 std::span<const layout::Correction> corrections);

signals:
    // The user picked an item of a choice list (never emitted for changes made by code).
    void choiceActivated(const QString& key, int index);
    // The user left a text box after editing it.
    void textEditingFinished(const QString& key);

private:
    void showValue(const layout::Field& field, const layout::Values& values);

    QWidget* m_owner;
    int m_hexTextLimit;
    std::map<std::string, QWidget*, std::less<>> m_widgets;
};

} // namespace platform
