#pragma once

// A form's state as the codec sees it: one value per field, held by the field's position in
// its model (keys belong to the edges: profiles and widgets). A choice holds the index of
// its selected item, every other field the text its box shows.

#include "layout/field.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace layout {

class Values {
public:
    Values() = default;
    explicit Values(std::size_t fields) : m_slots(fields) {}

    std::size_t size() const { return m_slots.size(); }
    // Whether the field has a value here; a decode leaves out what it could not take over,
    // and a correction holds only the fields it changes.
    bool has(std::size_t field) const { return field < m_slots.size() && m_slots[field].set; }
    std::int64_t index(std::size_t field) const;      // kNoSelection without a value
    const std::string& text(std::size_t field) const; // "" without a value

    void setIndex(std::size_t field, std::int64_t index);
    void setText(std::size_t field, std::string text);
    void unset(std::size_t field);
    // Takes over every value `other` has, or its value of one field.
    void overlay(const Values& other);
    void take(const Values& other, std::size_t field);

    bool operator==(const Values&) const = default;

private:
    struct Slot {
        bool set = false;
        std::int64_t index = kNoSelection;
        std::string text;
        bool operator==(const Slot&) const = default;
    };
    Slot& slot(std::size_t field);

    std::vector<Slot> m_slots;
};

// A change a rule made: the message the editor shows first (none when empty), then the new
// values of the fields it changed.
struct Correction {
    std::string message;
    Values changes;
};

// What a decode could not take over: the message the editor shows, and the field left as
// it was.
struct DecodeNote {
    std::string message;
    std::size_t field = 0;
};

// Why a Create is refused: the message, and the field the user has to put right.
struct Refusal {
    std::string message;
    std::size_t field = 0;
};

} // namespace layout
