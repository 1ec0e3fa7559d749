#pragma once

// The two-page editors the main window runs as sheets, by the family of the model picked.

#include "platform/sheet.h"

#include <functional>

namespace layout {
struct Model;
}

// Opens the sheet of the model's editor over `owner`; `onLeave` runs when the sheet is
// left. Answers nullptr when no editor serves the model.
platform::Sheet* OpenSheetEditor(const layout::Model& model, QWidget& owner,
                                 std::function<void()> onLeave);
