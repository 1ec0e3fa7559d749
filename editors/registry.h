#pragma once

// The registry of models: every entry of the main window's model list, in its order. It
// sits above the families so that the building blocks in layout/ never need to know them;
// the desktop program and the command-line tool offer exactly what is registered here.

#include "layout/model.h"

#include <span>
#include <string_view>

namespace editors {

std::span<const layout::Model* const> AllModels();
// The model the main window's own form edits: first in the list, and where the way back of
// every other editor leads.
const layout::Model& HomeModel();
const layout::Model* FindModel(std::string_view id);

} // namespace editors
