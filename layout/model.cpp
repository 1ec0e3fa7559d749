#include "layout/model.h"

#include "image/e2prom_data.h"

#include <array>

namespace layout {

const Model* FindModel(std::string_view id)
{
    for (const Model* model : AllModels())
        if (model->id == id)
            return model;
    return nullptr;
}

std::uint32_t ReadHexText(const Model& model, std::string_view text)
{
    const std::string_view boxed = text.substr(0, model.hexTextLimit);
    return model.readHex ? model.readHex(boxed) : ScanHex(boxed);
}

std::optional<std::int64_t> ReadChoice(const Field& field, std::string_view text)
{
    const int index = field.indexOf(text);
    if (index < 0)
        return std::nullopt;
    return index;
}

Values DefaultValues(const Model& model)
{
    Values values;
    for (const Field& field : model.fields) {
        switch (field.kind) {
        case Kind::Choice:
            values.numbers[std::string(field.key)] = field.defaultIndex();
            break;
        case Kind::Hex:
            values.numbers[std::string(field.key)] = ReadHexText(model, field.defaultText);
            break;
        case Kind::Text:
            values.texts[std::string(field.key)] = std::string(field.defaultText);
            break;
        }
    }
    return values;
}

std::string ShowValue(const Field& field, const Values& values)
{
    switch (field.kind) {
    case Kind::Choice: {
        const std::int64_t index = values.number(field.key, kNoSelection);
        if (index < 0 || static_cast<std::size_t>(index) >= field.items.size())
            return {};
        return std::string(field.items[static_cast<std::size_t>(index)]);
    }
    case Kind::Hex:
        return FormatHex(field.style, static_cast<std::uint32_t>(values.number(field.key)));
    case Kind::Text: {
        const auto found = values.texts.find(field.key);
        return found == values.texts.end() ? std::string() : found->second;
    }
    }
    return {};
}

void EncodePlainField(const Field& field, const Values& values, CE2promData& image)
{
    const std::int64_t value = values.number(field.key);
    const std::uint32_t raw = field.kind == Kind::Choice ? CodeOfIndex(field, value)
                                                         : static_cast<std::uint32_t>(value);
    PutBits(image, field.place, raw & field.place.mask());
}

void DecodePlainField(const Field& field, const CE2promData& image, Values& values)
{
    const std::uint32_t raw = GetBits(image, field.place);
    if (field.kind == Kind::Choice) {
        const int index = IndexOfCode(field, raw);
        if (index >= 0)
            values.numbers[std::string(field.key)] = index;
        return;
    }
    values.numbers[std::string(field.key)] = raw;
}

namespace {

void checkField(const Field& field, std::vector<std::string>& problems)
{
    const std::string name(field.key);
    const Place& place = field.place;
    if (field.kind == Kind::Text)
        return; // string areas are checked by their family's own table
    if (place.bits == 16 ? place.lsb != 0 || place.offset + 1u >= CE2promData::kSize
                         : place.bits == 0 || place.lsb + place.bits > 8 ||
                               place.offset >= CE2promData::kSize)
        problems.push_back(name + ": place outside the image or its byte");
    if (field.kind != Kind::Choice)
        return;
    if (field.items.empty())
        problems.push_back(name + ": a choice without items");
    if (field.defaultIndex() < 0)
        problems.push_back(name + ": default \"" + std::string(field.defaultText) +
                           "\" is not one of its items");
    if (!field.codes.empty() && field.codes.size() != field.items.size())
        problems.push_back(name + ": codes and items differ in number");
    for (std::size_t i = 0; i < field.items.size(); ++i)
        if (CodeOfIndex(field, static_cast<std::int64_t>(i)) > place.mask())
            problems.push_back(name + ": item " + std::string(field.items[i]) +
                               " does not fit its bits");
}

} // namespace

std::vector<std::string> CheckModel(const Model& model)
{
    std::vector<std::string> problems;
    std::array<std::string, CE2promData::kSize * 8> owner; // one entry per bit
    auto claim = [&](std::size_t bit, std::string_view who) {
        if (bit >= owner.size())
            return;
        if (!owner[bit].empty())
            problems.push_back(std::string(who) + " and " + owner[bit] + " share byte " +
                               std::to_string(bit / 8) + " bit " + std::to_string(bit % 8));
        owner[bit] = std::string(who);
    };

    for (std::size_t i = 0; i < model.fields.size(); ++i) {
        const Field& field = model.fields[i];
        for (std::size_t j = 0; j < i; ++j)
            if (model.fields[j].key == field.key)
                problems.push_back("key used twice: " + std::string(field.key));
        checkField(field, problems);
        if (field.kind == Kind::Text)
            continue;
        const Place& place = field.place;
        const unsigned first = place.offset * 8u + (place.bits == 16 ? 0u : place.lsb);
        for (unsigned bit = 0; bit < place.bits; ++bit)
            claim(first + bit, field.key);
    }
    for (const UnusedBytes& range : model.unused)
        for (unsigned byte = range.first; byte <= range.last; ++byte)
            for (unsigned bit = 0; bit < 8; ++bit)
                if (owner[byte * 8 + bit].empty())
                    owner[byte * 8 + bit] = "unused";
    for (std::size_t byte = 0; byte < CE2promData::kSize; ++byte) {
        bool anyOwned = false;
        for (unsigned bit = 0; bit < 8; ++bit)
            anyOwned = anyOwned || !owner[byte * 8 + bit].empty();
        if (!anyOwned)
            problems.push_back("byte " + std::to_string(byte) +
                               " is neither owned by a field nor named unused");
    }
    return problems;
}

} // namespace layout
