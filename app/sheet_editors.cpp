#include "app/sheet_editors.h"

#include "editors/qh20x/qh20x_pages.h"
#include "editors/qh304/qh304_pages.h"
#include "layout/model.h"

#include <array>
#include <string_view>

namespace {

using SheetOpener = platform::Sheet* (*)(const layout::Model&, QWidget&, std::function<void()>);

struct SheetFamily {
    std::string_view family;
    SheetOpener open;
};

constexpr std::array<SheetFamily, 2> kSheetFamilies{{
    {"qh304", qh304::OpenSheet},
    {"qh20x", qh20x::OpenSheet},
}};

} // namespace

platform::Sheet* OpenSheetEditor(const layout::Model& model, QWidget& owner,
                                 std::function<void()> onLeave)
{
    for (const SheetFamily& entry : kSheetFamilies)
        if (entry.family == model.family)
            return entry.open(model, owner, std::move(onLeave));
    return nullptr;
}
