#pragma once

// What the main window hands an editor window it opens for a model of its list.

#include <QString>

#include <functional>

class QWidget;

namespace layout {
struct Model;
}

namespace platform {

struct EditorOpening {
    const layout::Model& model;
    QWidget& owner;  // the main window
    QString wayBack; // the model-list entry that leads back to the main window
    // For a sheet: what the main window does once the sheet is left.
    std::function<void()> onLeave;
};

} // namespace platform
