#include "layout/model.h"

#include "editors/qh1xx/layout.h"
#include "editors/qh404/layout.h"

#include <array>

// The registry of models, in the order of the main window's model list. A family joins
// the program (and the command-line tool) by adding its descriptions here.
namespace layout {

std::span<const Model* const> AllModels()
{
    static const auto models = std::to_array<const Model*>({
        &qh404::kModel,
        &qh1xx::Qh102(),
        &qh1xx::Qh103(),
        &qh1xx::Qh104(),
        &qh1xx::Qh107(),
    });
    return models;
}

} // namespace layout
