#pragma once

// Where the fields of a model stand on its window's pages, described once as data beside the
// fields, so the desktop windows and the browser place every box the same way and a caption
// that names no group is found by a check, not by a missing box on screen.
//
// A page is a tree of parts: boxes of a group's fields, stacks (one under the other), lines
// (side by side), grids (parts in cells) and the window's own controls, which the description
// places but each front end makes (the model list, the file boxes and buttons, the listing).
// Write the trees bottom-up as constexpr arrays: a part's `parts` span points at an array
// written before it.

#include "layout/field.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace layout {

struct Model;

enum class Part : std::uint8_t {
    Group,   // the fields of the group captioned `name`, one labelled row each, in form order
    Table,   // the fields of `cells`, each without its label, under headings: a grid of choices
    Stack,   // `parts` one under the other
    Line,    // `parts` side by side
    Grid,    // `parts` in the cells they name
    Control, // the window's own control `name` (see the front ends for the names they know)
    Gap,     // `size` pixels of empty space in a stack or a line
};

// Where a part sits in its cell, or across its stack or line.
enum class Align : std::uint8_t { Fill, Top, TopLeft, Left, Bottom };

// A labelled list that is the window's own, shown as one row of a group among the fields:
// after the field with key `after`, or first when `after` is empty.
struct ListRow {
    std::string_view name;  // the control's name, as a Control part's
    std::string_view label; // its caption
    std::string_view after = {};
};

// One cell of a Table: a field's widget (key), or a text (a heading, centred, or a row's
// name). Cells are made in the order given, which is the order a front end makes them in.
// A table's blocks stand side by side, a gap between them; each is a grid of its own, so
// the Tab key goes down one block before the next.
struct TableCell {
    int block = 0;
    int row = 0;
    int column = 0;
    std::string_view key = {};
    ShortText text = {};
    bool heading = false;
};

struct Node {
    Part part = Part::Group;
    // Group and Table: the caption of their box (and, for a Group, of its fields' group);
    // Stack and Grid: the caption of a box drawn round them ("" for none);
    // Control: the control's name.
    std::string_view name = {};
    std::span<const Node> parts = {}; // Stack, Line, Grid

    // Where the part stands in a Grid, and how it sits in its cell, stack or line.
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
    Align align = Align::Fill;
    int stretch = 0; // in a stack or a line: its share of the room to spare

    // Group.
    bool boxed = true;   // false: the rows without a box (the caption still picks the fields)
    int columns = 1;     // the rows split into this many columns, filled one after the other
    std::span<const ListRow> lists = {};
    int columnGap = 0;   // least width of the space between two columns, in pixels
    bool packed = false; // the rows keep to the top left of the box, whatever its size
    bool roomBelowRight = false; // room to spare goes below and right of the rows

    // Stack: room to spare goes below the parts; the labels of its groups line up in one
    // column, their fields after them.
    bool roomAtEnd = true;
    bool linedUp = false;

    // Grid: the row that takes the room to spare, if any.
    int stretchRow = -1;

    // Gap: its size; Table: the gap between its blocks.
    int size = 0;

    // Table.
    std::span<const TableCell> cells = {};
};

// One page of a model's window: the title of its tab ("" for a window of one page) and its
// parts.
struct Page {
    std::string_view title;
    Node root;
};

// A Group of `caption`'s fields.
constexpr Node Group(std::string_view caption)
{
    return {.part = Part::Group, .name = caption};
}

// The same rows without a box round them; "" for the fields without a group.
constexpr Node Rows(std::string_view caption = {})
{
    return {.part = Part::Group, .name = caption, .boxed = false};
}

constexpr Node Control(std::string_view name)
{
    return {.part = Part::Control, .name = name};
}

constexpr Node Stack(std::span<const Node> parts)
{
    return {.part = Part::Stack, .parts = parts};
}

constexpr Node Gap(int size)
{
    return {.part = Part::Gap, .size = size};
}

// The fields a part places, in the order it places them (a Group's by the field order of
// `fields`), and the window controls it names, for checks and for front ends that walk it.
void FieldsPlaced(const Node& node, std::span<const Field> fields,
                  std::vector<const Field*>& placed);
std::vector<const Field*> FieldsOfGroup(std::span<const Field> fields, std::string_view caption);

// Problems of a model's pages: a field placed by no part or by two, a Group whose caption
// no field of the model has (a typo drops a box), a Table cell naming a key the model lacks,
// a part of a grid outside its cells. Empty when the pages are sound.
std::vector<std::string> CheckPages(const Model& model);

} // namespace layout
