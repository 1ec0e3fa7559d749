#include "layout/model.h"

#include "editors/qh404/layout.h"

#include <array>

// The registry of models, in the order of the main window's model list. A family joins
// the program (and the command-line tool) by adding its descriptions here.
namespace layout {

std::span<const Model* const> AllModels()
{
    static const std::array<const Model*, 1> models{&qh404::kModel};
    return models;
}

} // namespace layout
