#pragma once

// Builds a window's page from the core's description of it: group boxes of labelled rows,
// stacks, lines and grids of them, and the window's own controls where the description
// places them. Every field's widget is made by the window's FieldForm, so the page reads and
// shows values as the form does.

#include "layout/page.h"

#include <QString>

#include <map>
#include <span>
#include <string>
#include <string_view>

class QComboBox;
class QLayout;
class QWidget;

namespace platform {

class FieldForm;

// A part as built: a widget (a box) or a layout; neither for a group without a field.
struct Built {
    QWidget* widget = nullptr;
    QLayout* layout = nullptr;
    bool empty() const { return !widget && !layout; }
};

class PageBuilder {
public:
    // `fields` are the fields the page shows (a family window: all of the family's).
    PageBuilder(FieldForm& form, std::span<const layout::Field> fields);

    // The window's own control a Control part names; a name not given here is left out.
    void provide(std::string_view name, QWidget* widget);
    void provide(std::string_view name, QLayout* layout);

    Built build(const layout::Node& node);
    // The page's parts laid out in `page`.
    void fill(QWidget& page, const layout::Node& root);

    // A list a group's rows hold for the window (see layout::ListRow), once built.
    QComboBox* list(std::string_view name) const;

private:
    Built group(const layout::Node& node);
    Built table(const layout::Node& node);
    Built stack(const layout::Node& node);
    Built line(const layout::Node& node);
    Built grid(const layout::Node& node);
    Built control(const layout::Node& node) const;

    FieldForm& m_form;
    std::span<const layout::Field> m_fields;
    std::map<std::string, Built, std::less<>> m_controls;
    std::map<std::string, QComboBox*, std::less<>> m_lists;
};

} // namespace platform
