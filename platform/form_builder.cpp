#include "platform/form_builder.h"

#include "platform/field_form.h"
#include "platform/text.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include <algorithm>

#include <vector>

namespace platform {

QVBoxLayout* Column(std::initializer_list<QWidget*> boxes)
{
    auto* column = new QVBoxLayout;
    for (QWidget* box : boxes)
        if (box)
            column->addWidget(box);
    column->addStretch(1);
    return column;
}

GroupedFields::GroupedFields(FieldForm& form, std::span<const layout::Field> fields,
                             const std::function<bool(const layout::Field&)>& wanted,
                             const std::map<std::string_view, Arrangement>& arrangements)
{
    std::map<std::string_view, std::vector<const layout::Field*>> groups;
    std::vector<std::string_view> order;
    for (const layout::Field& field : fields) {
        if (wanted && !wanted(field))
            continue;
        if (!groups.contains(field.group))
            order.push_back(field.group);
        groups[field.group].push_back(&field);
    }
    for (std::string_view caption : order) {
        QGridLayout* grid = nullptr;
        if (caption.empty())
            grid = m_loose = new QGridLayout;
        else
            m_boxes[caption] = MakeGroup(ToQString(caption), grid);
        const auto found = arrangements.find(caption);
        const Arrangement arrangement = found == arrangements.end() ? Arrangement{} : found->second;
        const std::vector<const layout::Field*>& members = groups[caption];
        const int columns = std::max(1, arrangement.columns);
        const int rows = (static_cast<int>(members.size()) + columns - 1) / columns;
        for (int i = 0; i < static_cast<int>(members.size()); ++i)
            form.add(*members[static_cast<std::size_t>(i)], grid,
                     arrangement.firstRow + i % rows, 2 * (i / rows));
    }
}

QGroupBox* GroupedFields::box(std::string_view caption) const
{
    const auto found = m_boxes.find(caption);
    return found == m_boxes.end() ? nullptr : found->second;
}

QGridLayout* GroupedFields::grid(std::string_view caption) const
{
    QGroupBox* group = box(caption);
    return group ? static_cast<QGridLayout*>(group->layout()) : nullptr;
}

} // namespace platform
