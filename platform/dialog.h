#pragma once

#include <QDialog>

class QPushButton;

namespace platform {

// A window of the program. Enter in a field presses no button unless a page shows one made
// its default on purpose (a push button that has the focus reacts to Enter); Esc closes the
// window as a cancel.
class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(QWidget* parent = nullptr);

    // Shown fitted to its screen: where the screen is too small, the window's scrolling
    // areas give way, so it opens whole.
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* visibleDefaultButton() const;
};

// The Tab key goes through the window's controls in reading order: a box or page read
// whole before the next, a grid row by row from left to right, other layouts in their order;
// the first control has the focus when the window opens.
void SetReadingOrder(QWidget& window);

// A push button that never becomes the default button by accident (setDefault makes it one
// on purpose). Alt and the first letter of its caption press it; its accessible name is the
// caption itself.
QPushButton* MakeButton(const QString& caption, QWidget* parent = nullptr);

} // namespace platform
