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

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* visibleDefaultButton() const;
};

// A push button that never becomes the default button by accident (setDefault makes it one
// on purpose).
QPushButton* MakeButton(const QString& caption, QWidget* parent = nullptr);

} // namespace platform
