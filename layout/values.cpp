#include "layout/values.h"

namespace layout {

namespace {
const std::string kNoText;
} // namespace

std::int64_t Values::index(std::size_t field) const
{
    return has(field) ? m_slots[field].index : kNoSelection;
}

const std::string& Values::text(std::size_t field) const
{
    return has(field) ? m_slots[field].text : kNoText;
}

Values::Slot& Values::slot(std::size_t field)
{
    if (field >= m_slots.size())
        m_slots.resize(field + 1);
    Slot& slot = m_slots[field];
    slot.set = true;
    return slot;
}

void Values::setIndex(std::size_t field, std::int64_t index) { slot(field).index = index; }

void Values::setText(std::size_t field, std::string text) { slot(field).text = std::move(text); }

void Values::unset(std::size_t field)
{
    if (field < m_slots.size())
        m_slots[field] = Slot{};
}

void Values::overlay(const Values& other)
{
    for (std::size_t field = 0; field < other.m_slots.size(); ++field)
        if (other.m_slots[field].set)
            slot(field) = other.m_slots[field];
}

void Values::take(const Values& other, std::size_t field)
{
    if (other.has(field))
        slot(field) = other.m_slots[field];
}

} // namespace layout
