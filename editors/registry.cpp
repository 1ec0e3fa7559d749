#include "editors/registry.h"

#include "editors/qh1xx/core/layout.h"
#include "editors/qh20x/core/layout.h"
#include "editors/qh304/core/layout.h"
#include "editors/qh404/core/layout.h"

#include <array>

namespace editors {

std::span<const layout::Model* const> AllModels()
{
    static const auto models = std::to_array<const layout::Model*>({
        &qh404::kModel,
        &qh1xx::Qh102(),
        &qh1xx::Qh103(),
        &qh1xx::Qh104(),
        &qh1xx::Qh107(),
        &qh304::kModel,
        &qh20x::Models()[0], // QH203 - 36 pin
        &qh20x::Models()[1],
        &qh20x::Models()[2],
        &qh20x::Models()[3],
        &qh20x::Models()[4], // QH202
        &qh20x::Models()[5], // QH207 - 64 pin
    });
    return models;
}

const layout::Model& HomeModel() { return *AllModels().front(); }

const layout::Model* FindModel(std::string_view id)
{
    for (const layout::Model* model : AllModels())
        if (model->id == id)
            return model;
    return nullptr;
}

std::vector<ListEntry> WindowListOf(const layout::Model& model)
{
    const layout::WindowList& list = model.window;
    if (list.kind == layout::WindowKind::Main)
        return {};
    std::vector<ListEntry> entries;
    if (list.wholeFamily) {
        for (const layout::Model* other : AllModels())
            if (other->family == model.family)
                entries.push_back({other->name, other});
    } else {
        entries.push_back({list.entry.empty() ? model.name : list.entry, &model});
    }
    const ListEntry back{list.back.empty() ? HomeModel().name : list.back, nullptr};
    entries.insert(list.backFirst ? entries.begin() : entries.end(), back);
    return entries;
}

} // namespace editors
