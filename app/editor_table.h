#pragma once

// Which window edits which model: the main window's own form, a window of its own beside
// the main window, or a sheet over it, by the model's family. The one place that ties a
// family to its windows; the main window asks it for every entry of its model list.

#include "platform/editor_opening.h"

#include <string_view>

namespace platform {
class ModelessEditor;
class Sheet;
} // namespace platform

struct EditorEntry {
    std::string_view family;
    // How the family's window opens: beside the main window, or as a sheet over it. With
    // neither, the main window's own form edits the family's model.
    platform::ModelessEditor* (*beside)(const platform::EditorOpening&) = nullptr;
    platform::Sheet* (*sheet)(const platform::EditorOpening&) = nullptr;
};

// The entry of the model's family; nullptr when no window of this build serves it.
const EditorEntry* EditorFor(const layout::Model& model);
