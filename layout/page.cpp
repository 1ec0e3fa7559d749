#include "layout/page.h"

#include "layout/model.h"

#include <algorithm>
#include <map>

namespace layout {

std::vector<const Field*> FieldsOfGroup(std::span<const Field> fields, std::string_view caption)
{
    std::vector<const Field*> members;
    for (const Field& field : fields)
        if (field.group == caption)
            members.push_back(&field);
    return members;
}

void FieldsPlaced(const Node& node, std::span<const Field> fields,
                  std::vector<const Field*>& placed)
{
    switch (node.part) {
    case Part::Group:
        for (const Field* field : FieldsOfGroup(fields, node.name))
            placed.push_back(field);
        break;
    case Part::Table:
        for (const TableCell& cell : node.cells)
            if (!cell.key.empty())
                if (const Field* field = FindField(fields, cell.key))
                    placed.push_back(field);
        break;
    case Part::Stack:
    case Part::Line:
    case Part::Grid:
        for (const Node& part : node.parts)
            FieldsPlaced(part, fields, placed);
        break;
    case Part::Control:
    case Part::Gap:
        break;
    }
}

namespace {

void CheckNode(const Model& model, const Node& node, std::vector<std::string>& problems)
{
    const std::string where = std::string(model.id) + ": ";
    if (node.part == Part::Group && FieldsOfGroup(model.fields, node.name).empty())
        problems.push_back(where + "the group \"" + std::string(node.name) +
                           "\" on its page has no field");
    if (node.part == Part::Group)
        for (const ListRow& list : node.lists)
            if (!list.after.empty() && !FindField(model.fields, list.after))
                problems.push_back(where + "the list \"" + std::string(list.name) +
                                   "\" follows a field it lacks: " + std::string(list.after));
    if (node.part == Part::Table)
        for (const TableCell& cell : node.cells)
            if (!cell.key.empty() && !FindField(model.fields, cell.key))
                problems.push_back(where + "a table cell names a field it lacks: " +
                                   std::string(cell.key));
    if (node.part == Part::Grid)
        for (const Node& part : node.parts)
            if (part.row < 0 || part.column < 0 || part.rowSpan < 1 || part.columnSpan < 1)
                problems.push_back(where + "a part of a grid stands outside its cells");
    for (const Node& part : node.parts)
        CheckNode(model, part, problems);
}

} // namespace

std::vector<std::string> CheckPages(const Model& model)
{
    std::vector<std::string> problems;
    if (model.pages.empty())
        return {std::string(model.id) + ": no page places its fields"};
    std::map<const Field*, int> times;
    for (const Page& page : model.pages) {
        CheckNode(model, page.root, problems);
        std::vector<const Field*> placed;
        FieldsPlaced(page.root, model.fields, placed);
        for (const Field* field : placed)
            ++times[field];
    }
    for (const Field& field : model.fields) {
        const int count = times.contains(&field) ? times.at(&field) : 0;
        if (count != 1)
            problems.push_back(std::string(model.id) + ": the field " + std::string(field.key) +
                               (count == 0 ? " stands on no page"
                                           : " stands on its pages more than once"));
    }
    return problems;
}

} // namespace layout
