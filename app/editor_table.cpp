#include "app/editor_table.h"

#include "editors/qh1xx/core/layout.h"
#include "editors/qh1xx/qh1xx_editor.h"
#include "editors/qh20x/core/layout.h"
#include "editors/qh20x/qh20x_pages.h"
#include "editors/qh304/core/layout.h"
#include "editors/qh304/qh304_pages.h"
#include "editors/qh404/core/layout.h"
#include "layout/model.h"

#include <array>

namespace {

constexpr std::array<EditorEntry, 4> kEditors{{
    {qh404::kFamilyId},
    {qh1xx::kFamilyId, &CE2PromQH1XX::Open},
    {qh304::kFamilyId, nullptr, &qh304::OpenSheet},
    {qh20x::kFamilyId, nullptr, &qh20x::OpenSheet},
}};

} // namespace

const EditorEntry* EditorFor(const layout::Model& model)
{
    for (const EditorEntry& entry : kEditors)
        if (entry.family == model.family)
            return &entry;
    return nullptr;
}
