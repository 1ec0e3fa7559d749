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
    // Room for a value of each of `fields` fields, none set yet.
    explicit Values(std::size_t fields) : m_slots(fields) { m_texts.reserve(fields); }

    std::size_t size() const { return m_slots.size(); }
    // Whether the field has a value here; a decode leaves out what it could not take over,
    // and a correction holds only the fields it changes.
    bool has(std::size_t field) const { return field < m_slots.size() && m_slots[field].set; }
    // kNoSelection without a value
    std::int64_t index(std::size_t field) const
    {
        return has(field) ? m_slots[field].index : kNoSelection;
    }
    // "" without a value
    const std::string& text(std::size_t field) const
    {
        return has(field) && m_slots[field].text != kNoText ? m_texts[m_slots[field].text]
                                                             : noText();
    }

    void setIndex(std::size_t field, std::int64_t index) { slot(field).index = index; }
    void setText(std::size_t field, std::string text)
    {
        Slot& at = slot(field);
        if (at.text == kNoText) {
            at.text = static_cast<std::uint32_t>(m_texts.size());
            m_texts.push_back(std::move(text));
        } else {
            m_texts[at.text] = std::move(text);
        }
    }
    void unset(std::size_t field);
    // Takes over every value `other` has, or its value of one field.
    void overlay(const Values& other);
    void take(const Values& other, std::size_t field);

    // Equal when both have the same fields, each with the same value or none.
    bool operator==(const Values& other) const;

private:
    static constexpr std::uint32_t kNoText = 0xFFFFFFFF;
    // Small and without a destructor, so a decode's values of every field are cheap to
    // make; the texts, which fewer fields have, live apart.
    struct Slot {
        std::int64_t index = kNoSelection;
        std::uint32_t text = kNoText; // its place in m_texts
        bool set = false;
    };
    // The codec calls these once a field: the common case stays inline.
    Slot& slot(std::size_t field)
    {
        if (field >= m_slots.size())
            m_slots.resize(field + 1);
        Slot& at = m_slots[field];
        at.set = true;
        return at;
    }
    static const std::string& noText();

    std::vector<Slot> m_slots;
    std::vector<std::string> m_texts;
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
