#pragma once

// Acting on a window as a user does: fields are found by the label the user reads, choices are
// made by item text, text is typed and the field left, buttons are clicked by caption.
// A path "Group|Label" picks the field with that label inside the group box so captioned
// (labels may hold slashes, as "Self-/Bus-Power" does).

#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QWidget;

namespace testing_support {

QWidget* FieldByLabel(QWidget* root, const QString& labelPath);
QComboBox* ChoiceByLabel(QWidget* root, const QString& labelPath);
QLineEdit* TextByLabel(QWidget* root, const QString& labelPath);

// Picks an item as the user does (the list reports a user's choice); fails the test when
// the list or the item is missing or the list is disabled.
void Select(QWidget* root, const QString& labelPath, const QString& itemText);
// Replaces the text by typing, then leaves the field.
void Type(QWidget* root, const QString& labelPath, const QString& text);
void Click(QWidget* root, const QString& caption);
// Presses Enter in the given widget.
void PressEnter(QWidget* widget);

QString ChoiceText(QWidget* root, const QString& labelPath);
QStringList ChoiceItems(QWidget* root, const QString& labelPath);
QString Text(QWidget* root, const QString& labelPath);
// The lines of the hex listing.
QStringList Listing(QWidget* root);
// Lets queued signals and posted events run.
void ProcessEvents();

} // namespace testing_support
