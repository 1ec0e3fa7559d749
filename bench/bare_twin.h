#pragma once

// A window's bare twin: a plain QDialog holding the same widgets as one of HUBQUILL's
// windows (the same group boxes, labels, drop-down lists with their items, line edits,
// buttons, lists and tab pages, greyed or read-only where the window's are, the listing in
// its font) in the same order, each container with one plain grid,
// built by straightforward code with none of the program's form machinery. It is the floor
// a window's start and opening are measured against.
//
// The census of a window lists its widgets as text, one a line, so it can be taken from
// the real window in one process and the twin built from it in another.

#include <QString>

class QDialog;
class QWidget;

namespace bench {

// The widgets of `window`, laid out and shown, and its size, as census text.
QString Census(const QWidget& window);

// A dialog with the widgets of a census where the window had them, and its size.
QDialog* BuildBareTwin(const QString& census, QWidget* parent = nullptr);

// Every widget of a window, itself included.
int WidgetCount(const QWidget& window);

} // namespace bench
