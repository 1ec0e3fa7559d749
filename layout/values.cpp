#include "layout/values.h"

namespace layout {

const std::string& Values::noText()
{
    static const std::string none;
    return none;
}

void Values::unset(std::size_t field)
{
    if (field >= m_slots.size())
        return;
    Slot& at = m_slots[field];
    at.set = false;
    at.index = kNoSelection;
    if (at.text != kNoText)
        m_texts[at.text].clear();
}

void Values::overlay(const Values& other)
{
    for (std::size_t field = 0; field < other.m_slots.size(); ++field)
        take(other, field);
}

void Values::take(const Values& other, std::size_t field)
{
    if (!other.has(field))
        return;
    setIndex(field, other.index(field));
    if (other.m_slots[field].text != kNoText || m_slots[field].text != kNoText)
        setText(field, other.text(field));
}

bool Values::operator==(const Values& other) const
{
    if (m_slots.size() != other.m_slots.size())
        return false;
    for (std::size_t field = 0; field < m_slots.size(); ++field)
        if (has(field) != other.has(field) || index(field) != other.index(field) ||
            text(field) != other.text(field))
            return false;
    return true;
}

} // namespace layout
