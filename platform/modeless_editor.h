#pragma once

#include "platform/dialog.h"

namespace platform {

// An editor window that stays open beside the main window. It tells the main window, by
// queued signals in this order, that the user asked to go back to it and that it closed.
class ModelessEditor : public Dialog {
    Q_OBJECT
public:
    using Dialog::Dialog;

signals:
    void backToMain();
    void editorClosed();
};

} // namespace platform
