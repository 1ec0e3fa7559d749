#pragma once

// The words of the windows around the forms: captions of the file controls, the model
// lists, tabs and buttons, and the messages of the file actions, per kind of editor. The
// desktop program keeps the same words next to its windows; here they are handed to the
// page script with the models, so the script writes none of them itself.

#include <nlohmann/json.hpp>

namespace web {

nlohmann::json FrontTexts();

} // namespace web
