#include "platform/page_builder.h"

#include "platform/field_form.h"
#include "platform/text.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>
#include <variant>
#include <vector>

namespace platform {

namespace {

Qt::Alignment AlignmentOf(layout::Align align)
{
    switch (align) {
    case layout::Align::Fill: return {};
    case layout::Align::Top: return Qt::AlignTop;
    case layout::Align::TopLeft: return Qt::AlignTop | Qt::AlignLeft;
    case layout::Align::Left: return Qt::AlignLeft;
    case layout::Align::Bottom: return Qt::AlignBottom;
    }
    return {};
}

void AddTo(QBoxLayout& box, const Built& built, const layout::Node& node)
{
    if (built.widget)
        box.addWidget(built.widget, node.stretch, AlignmentOf(node.align));
    else if (built.layout)
        box.addLayout(built.layout, node.stretch);
}

// The grid of a group box built from a Group part.
QGridLayout* GridOf(const Built& built)
{
    if (auto* box = qobject_cast<QGroupBox*>(built.widget))
        return qobject_cast<QGridLayout*>(box->layout());
    return nullptr;
}

// The labels of a stack's boxes line up in one column, their fields right after them.
void LineUp(std::span<const Built> boxes)
{
    int labelWidth = 0;
    for (const Built& built : boxes)
        if (GridOf(built))
            for (const QLabel* label : built.widget->findChildren<QLabel*>())
                labelWidth = std::max(labelWidth, label->sizeHint().width());
    for (const Built& built : boxes)
        if (QGridLayout* grid = GridOf(built)) {
            grid->setColumnMinimumWidth(0, labelWidth);
            grid->setColumnStretch(2, 1);
        }
}

} // namespace

PageBuilder::PageBuilder(FieldForm& form, std::span<const layout::Field> fields)
    : m_form(form), m_fields(fields)
{
}

void PageBuilder::provide(std::string_view name, QWidget* widget)
{
    m_controls[std::string(name)] = {.widget = widget};
}

void PageBuilder::provide(std::string_view name, QLayout* layout)
{
    m_controls[std::string(name)] = {.layout = layout};
}

QComboBox* PageBuilder::list(std::string_view name) const
{
    const auto found = m_lists.find(name);
    return found == m_lists.end() ? nullptr : found->second;
}

Built PageBuilder::build(const layout::Node& node)
{
    switch (node.part) {
    case layout::Part::Group: return group(node);
    case layout::Part::Table: return table(node);
    case layout::Part::Stack: return stack(node);
    case layout::Part::Line: return line(node);
    case layout::Part::Grid: return grid(node);
    case layout::Part::Control: return control(node);
    case layout::Part::Gap: return {};
    }
    return {};
}

void PageBuilder::fill(QWidget& page, const layout::Node& root)
{
    const Built built = build(root);
    if (built.widget)
        (new QVBoxLayout(&page))->addWidget(built.widget);
    else if (built.layout)
        page.setLayout(built.layout);
}

// The group's rows in form order, each list of the window's after the field it follows,
// split into the columns asked for, filled one after the other.
Built PageBuilder::group(const layout::Node& node)
{
    using Row = std::variant<const layout::Field*, const layout::ListRow*>;
    std::vector<Row> rows;
    auto listsAfter = [&](std::string_view key) {
        for (const layout::ListRow& list : node.lists)
            if (list.after == key)
                rows.emplace_back(&list);
    };
    listsAfter({});
    for (const layout::Field* field : layout::FieldsOfGroup(m_fields, node.name)) {
        rows.emplace_back(field);
        listsAfter(field->key);
    }
    if (rows.empty())
        return {};

    Built built;
    QGridLayout* grid = nullptr;
    if (node.boxed)
        built.widget = MakeGroup(ToQString(node.name), grid);
    else
        built.layout = grid = new QGridLayout;
    const int columns = std::max(1, node.columns);
    const int perColumn = (static_cast<int>(rows.size()) + columns - 1) / columns;
    for (int at = 0; at < static_cast<int>(rows.size()); ++at) {
        const int row = at % perColumn;
        const int column = 2 * (at / perColumn);
        if (const auto* field = std::get_if<const layout::Field*>(&rows[at]))
            m_form.add(**field, grid, row, column);
        else if (const auto* list = std::get_if<const layout::ListRow*>(&rows[at]))
            m_lists[std::string((*list)->name)] = AddLabelledChoice(
                grid, row, column, ToQString((*list)->label), ToQString((*list)->name));
    }
    for (int column = 1; column < columns && node.columnGap > 0; ++column)
        grid->setColumnMinimumWidth(2 * column, node.columnGap);
    if (node.packed)
        grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (node.roomBelowRight) {
        grid->setRowStretch(perColumn, 1);
        grid->setColumnStretch(2 * columns, 1);
    }
    return built;
}

// Blocks side by side, each a grid of its own; headings centred over their columns.
Built PageBuilder::table(const layout::Node& node)
{
    auto* box = new QGroupBox(ToQString(node.name));
    auto* blocks = new QHBoxLayout(box);
    int count = 0;
    for (const layout::TableCell& cell : node.cells)
        count = std::max(count, cell.block + 1);
    std::vector<QGridLayout*> grids;
    for (int block = 0; block < count; ++block) {
        grids.push_back(new QGridLayout);
        blocks->addLayout(grids.back());
        if (block + 1 < count)
            blocks->addSpacing(node.size);
    }
    for (const layout::TableCell& cell : node.cells) {
        QGridLayout* grid = grids[static_cast<std::size_t>(cell.block)];
        if (!cell.key.empty()) {
            if (const layout::Field* field = layout::FindField(m_fields, cell.key))
                m_form.addBare(*field, grid, cell.row, cell.column);
            continue;
        }
        auto* label = new QLabel(ToQString(cell.text.view()));
        if (cell.heading)
            label->setAlignment(Qt::AlignCenter);
        grid->addWidget(label, cell.row, cell.column);
    }
    return {.widget = box};
}

Built PageBuilder::stack(const layout::Node& node)
{
    auto* column = new QVBoxLayout;
    std::vector<Built> parts;
    for (const layout::Node& part : node.parts) {
        if (part.part == layout::Part::Gap) {
            column->addSpacing(part.size);
            continue;
        }
        parts.push_back(build(part));
        AddTo(*column, parts.back(), part);
    }
    if (node.roomAtEnd)
        column->addStretch(1);
    if (node.linedUp)
        LineUp(parts);
    return {.layout = column};
}

Built PageBuilder::line(const layout::Node& node)
{
    auto* row = new QHBoxLayout;
    for (const layout::Node& part : node.parts) {
        if (part.part == layout::Part::Gap)
            row->addSpacing(part.size);
        else
            AddTo(*row, build(part), part);
    }
    return {.layout = row};
}

Built PageBuilder::grid(const layout::Node& node)
{
    Built built;
    QGridLayout* grid = nullptr;
    if (node.name.empty())
        built.layout = grid = new QGridLayout;
    else
        built.widget = MakeGroup(ToQString(node.name), grid);
    for (const layout::Node& part : node.parts) {
        const Built cell = build(part);
        if (cell.widget)
            grid->addWidget(cell.widget, part.row, part.column, part.rowSpan, part.columnSpan,
                            AlignmentOf(part.align));
        else if (cell.layout)
            grid->addLayout(cell.layout, part.row, part.column, part.rowSpan, part.columnSpan,
                            AlignmentOf(part.align));
    }
    if (node.stretchRow >= 0)
        grid->setRowStretch(node.stretchRow, 1);
    return built;
}

Built PageBuilder::control(const layout::Node& node) const
{
    const auto found = m_controls.find(node.name);
    return found == m_controls.end() ? Built{} : found->second;
}

} // namespace platform
