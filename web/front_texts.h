#pragma once

// The words of the windows around the forms, handed to the page script with the models so
// the script writes none of them itself: the core's words every editor shares and each
// model's file texts, and the few words only a front end has (its message boxes' buttons,
// the About box, what the browser offers beyond the desktop).

#include "layout/model.h"

#include <nlohmann/json.hpp>

namespace web {

// The words every window shares.
nlohmann::json FrontTexts();

// The captions and messages of a model's file controls, and the order of the buttons of
// its "File Info" box.
nlohmann::json FileTextsOf(const layout::Model& model);

} // namespace web
