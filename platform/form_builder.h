#pragma once

// Lays a description's fields out as the form shows them: one group box per group caption,
// each a grid of labelled rows in the order of the table, the fields without a caption in a
// grid of their own. Where a window fixes more (a group in columns, a row kept free at the
// top), the arrangement is given per caption.

#include "layout/field.h"

#include <functional>
#include <map>
#include <span>
#include <string_view>

class QGridLayout;
class QGroupBox;
class QVBoxLayout;
class QWidget;

namespace platform {

class FieldForm;

struct Arrangement {
    int columns = 1;  // the group's rows are split into this many columns, filled in turn
    int firstRow = 0; // rows above it are left to the window (a control that is not a field)
};

// Boxes one under the other, at the top of their place (a missing box is left out).
QVBoxLayout* Column(std::initializer_list<QWidget*> boxes);

class GroupedFields {
public:
    // Adds the widget of every field `wanted` takes (all, without one) to the form, in its
    // group's box.
    GroupedFields(FieldForm& form, std::span<const layout::Field> fields,
                  const std::function<bool(const layout::Field&)>& wanted = {},
                  const std::map<std::string_view, Arrangement>& arrangements = {});

    // The box of a caption, nullptr when no field wanted has it.
    QGroupBox* box(std::string_view caption) const;
    QGridLayout* grid(std::string_view caption) const;
    // The fields without a caption; nullptr when every field has one.
    QGridLayout* loose() const { return m_loose; }

private:
    std::map<std::string_view, QGroupBox*> m_boxes;
    QGridLayout* m_loose = nullptr;
};

} // namespace platform
