#pragma once

// The registry of models: every entry of the main window's model list, in its order. It
// sits above the families so that the building blocks in layout/ never need to know them;
// the desktop program and the command-line tool offer exactly what is registered here.

#include "layout/model.h"

#include <span>
#include <string_view>
#include <vector>

namespace editors {

std::span<const layout::Model* const> AllModels();
// The model the main window's own form edits: first in the list, and where the way back of
// every other editor leads.
const layout::Model& HomeModel();
const layout::Model* FindModel(std::string_view id);

// An entry of a window's own "Device ID" list: its text, and the model it shows (nullptr:
// the way back to the main window).
struct ListEntry {
    std::string_view text;
    const layout::Model* model;
};
// The entries of the list of the window that shows `model`, in order (none for the main
// window's own form, whose list is the registry's).
std::vector<ListEntry> WindowListOf(const layout::Model& model);

} // namespace editors
