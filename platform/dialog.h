#pragma once

#include <QDialog>

class QPushButton;

namespace platform {

// A window of the program. Enter in a field presses no button (only a push button that has
// the focus reacts to Enter); Esc closes the window as a cancel.
class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A push button that never becomes the default button by accident.
QPushButton* MakeButton(const QString& caption, QWidget* parent = nullptr);

} // namespace platform
