#include "layout/model.h"

#include "image/e2prom_data.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace layout {

namespace {

void putField(const Model& model, const Field& field, const Values& values, std::size_t at,
              ImageBytes& bytes)
{
    switch (field.kind) {
    case Kind::Choice:
        PutBits(bytes, field.place, CodeOfIndex(field, values.index(at)));
        return;
    case Kind::Hex:
    case Kind::Decimal:
        PutBits(bytes, field.place, ReadNumber(model, field, values.text(at)));
        return;
    case Kind::Text:
        PutString(bytes, field.place, values.text(at));
        return;
    }
}

// Bytes first to last, as far as the image reaches.
void zeroBytes(ImageBytes& bytes, unsigned first, unsigned last)
{
    const unsigned end = std::min<unsigned>(last + 1u, bytes.size());
    if (first < end)
        std::memset(bytes.data() + first, 0, end - first);
}

// The bytes of a place; most places are one byte, which is written at once.
inline void zeroPlace(ImageBytes& bytes, const Place& place)
{
    if (!place.isArea() && place.bits != 16 && place.offset < bytes.size())
        bytes[place.offset] = 0;
    else
        zeroBytes(bytes, place.firstByte(), place.lastByte());
}

} // namespace

// Both work on the bytes in one piece: the holder's calls check every offset.
EncodeResult EncodeFields(const Model& model, const Values& values, CE2promData& image)
{
    ImageBytes bytes = image.bytes();
    // The bits of a written byte that no field owns are written 0, and so are the unused
    // bytes of a model that does not build on the holder's.
    for (const Field& field : model.fields)
        zeroPlace(bytes, field.place);
    if (model.start != CreateStart::KeepHolder)
        for (const UnusedBytes& range : model.unused)
            zeroBytes(bytes, range.first, range.last);
    for (std::size_t at = 0; at < model.fields.size(); ++at)
        putField(model, model.fields[at], values, at, bytes);
    image.CopyIn(bytes.data(), static_cast<int>(bytes.size()));
    return {};
}

DecodeResult DecodeFields(const Model& model, const CE2promData& image)
{
    const ImageBytes& bytes = image.bytes();
    DecodeResult result{Values(model.fields.size()), {}};
    for (std::size_t at = 0; at < model.fields.size(); ++at) {
        const Field& field = model.fields[at];
        switch (field.kind) {
        case Kind::Choice:
            if (const int item = ItemOfCode(field, GetBits(bytes, field.place)); item >= 0)
                result.values.setIndex(at, item);
            break;
        case Kind::Hex:
        case Kind::Decimal:
            result.values.setText(at, ShowNumber(field.show, GetBits(bytes, field.place)));
            break;
        case Kind::Text:
            result.values.setText(at, GetString(bytes, field.place, ByteAt(bytes, field.countAt),
                                                model.strings));
            break;
        }
    }
    return result;
}

std::optional<std::size_t> FieldIndex(const Model& model, std::string_view key)
{
    for (std::size_t at = 0; at < model.fields.size(); ++at)
        if (model.fields[at].key == key)
            return at;
    return std::nullopt;
}

std::optional<std::size_t> PositionAmong(std::span<const Model> models, const Model& model)
{
    for (std::size_t at = 0; at < models.size(); ++at)
        if (&models[at] == &model)
            return at;
    return std::nullopt;
}

const Field* FindField(std::span<const Field> fields, std::string_view key)
{
    for (const Field& field : fields)
        if (field.key == key)
            return &field;
    return nullptr;
}

Values DefaultValues(const Model& model)
{
    Values values(model.fields.size());
    for (std::size_t at = 0; at < model.fields.size(); ++at) {
        const Field& field = model.fields[at];
        if (field.kind == Kind::Choice)
            values.setIndex(at, field.defaultIndex());
        else
            values.setText(at, std::string(field.defaultText));
    }
    return values;
}

std::uint32_t ReadNumber(const Model& model, const Field& field, std::string_view text)
{
    const std::string_view boxed = text.substr(0, field.limit);
    if (field.kind == Kind::Decimal)
        return static_cast<std::uint32_t>(ScanDecimal(boxed));
    return model.readHex == HexReading::ByDigitPosition ? DigitHex(boxed, field.limit)
                                                        : ScanHex(boxed, field.limit);
}

std::string ShowValue(const Field& field, const Values& values, std::size_t at)
{
    if (field.kind != Kind::Choice)
        return values.text(at);
    const std::int64_t index = values.index(at);
    if (index < 0 || static_cast<std::size_t>(index) >= field.items.size())
        return {};
    return std::string(field.items[static_cast<std::size_t>(index)]);
}

std::size_t LongestText(const Field& field)
{
    if (field.kind == Kind::Choice)
        return 0;
    if (field.kind == Kind::Text) // a length byte may make a load read on past the area
        return std::max<std::size_t>(field.limit, 255);
    return std::max<std::size_t>(field.limit, ShowNumber(field.show, field.place.mask()).size());
}

bool Takes(const Field& field, unsigned char c)
{
    if (field.kind == Kind::Decimal)
        return c >= '0' && c <= '9';
    return IsStringCharacter(c);
}

std::string AsLeft(const Model& model, const Field& field, std::string_view typed)
{
    std::string text(typed);
    if (field.kind == Kind::Choice)
        return text;
    if (model.typing.capitals && field.kind == Kind::Hex)
        for (char& c : text)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
    if (!model.typing.padOnLeave)
        return text;
    if (text.size() > field.limit)
        text.resize(field.limit);
    if (field.kind == Kind::Text)
        return text;
    if (field.limit == 2)
        return text.empty() ? "0" : text.size() == 1 ? "0" + text : text;
    text.insert(0, field.limit - text.size(), '0');
    return text;
}

std::optional<std::size_t> LengthFieldOf(const Model& model, std::size_t textField)
{
    if (textField >= model.fields.size() || model.fields[textField].kind != Kind::Text)
        return std::nullopt;
    const std::uint16_t count = model.fields[textField].countAt;
    for (std::size_t at = 0; at < model.fields.size(); ++at) {
        const Field& field = model.fields[at];
        if (field.kind == Kind::Decimal && field.place.offset == count && field.place.bits == 8)
            return at;
    }
    return std::nullopt;
}

EncodeResult Create(const Model& model, const Values& values, CE2promData& holder)
{
    switch (model.start) {
    case CreateStart::KeepHolder:
        break;
    case CreateStart::Zeros: {
        constexpr ImageBytes kZeros{};
        holder.CopyIn(kZeros.data(), static_cast<int>(kZeros.size()));
        break;
    }
    case CreateStart::Erased:
        holder.Clear();
        break;
    }
    const bool ruled = std::any_of(model.rules.begin(), model.rules.end(),
                                   [](const Rule& rule) { return rule.on == On::Create; });
    if (!ruled)
        return model.encode(model, values, holder);
    Values corrected = values;
    std::vector<Correction> corrections = CreateRules(model, corrected);
    EncodeResult result = model.encode(model, corrected, holder);
    result.corrections.insert(result.corrections.begin(),
                              std::make_move_iterator(corrections.begin()),
                              std::make_move_iterator(corrections.end()));
    return result;
}

std::vector<bool> Enabled(const Model& model, const Values& values,
                          std::optional<std::size_t> changed, std::vector<bool> current)
{
    current.resize(model.fields.size(), true);
    ApplyEnabling(model, values, changed, current);
    if (model.greying)
        model.greying(model, values, changed, current);
    return current;
}

std::optional<Correction> OnUserChange(const Model& model, std::size_t field, const Values& now)
{
    if (std::optional<Correction> correction = PickRule(model, field, now))
        return correction;
    return model.onUserChange ? model.onUserChange(model, field, now) : std::nullopt;
}

namespace {

bool isHexDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    });
}

// A decimal number from 0 to 31; a text that reads as no number fails as well.
bool isCountUpTo31(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\n\v\f\r");
    const bool number = first != std::string_view::npos &&
                        (std::isdigit(static_cast<unsigned char>(text[first])) ||
                         (first + 1 < text.size() && (text[first] == '-' || text[first] == '+') &&
                          std::isdigit(static_cast<unsigned char>(text[first + 1]))));
    const std::int64_t count = ScanDecimal(text);
    return number && count >= 0 && count <= 31;
}

// The message with its "%d" markers replaced by the numbers, in order.
std::string withNumbers(std::string_view message, std::initializer_list<std::int64_t> numbers)
{
    std::string text;
    auto number = numbers.begin();
    for (std::size_t at = 0; at < message.size(); ++at) {
        if (message.substr(at, 2) == "%d" && number != numbers.end()) {
            text += std::to_string(*number++);
            ++at;
        } else {
            text += message[at];
        }
    }
    return text;
}

std::optional<Refusal> failedCheck(const Model& model, const CreateCheck& check,
                                   const Values& values)
{
    const std::size_t at = *FieldIndex(model, check.key);
    const std::string& text = values.text(at);
    switch (check.check) {
    case Check::HexDigits:
        if (isHexDigits(text))
            return std::nullopt;
        break;
    case Check::CountUpTo31:
        if (isCountUpTo31(text))
            return std::nullopt;
        break;
    case Check::MatchesLength: {
        const auto count = static_cast<std::int64_t>(text.size());
        const std::int64_t length = ScanDecimal(values.text(*LengthFieldOf(model, at)));
        if (count == length)
            return std::nullopt;
        return Refusal{withNumbers(check.message, {count, length}), at};
    }
    }
    return Refusal{std::string(check.message), at};
}

} // namespace

std::optional<Refusal> RefuseCreate(const Model& model, const Values& values)
{
    for (const CreateCheck& check : model.checks)
        if (std::optional<Refusal> refusal = failedCheck(model, check, values))
            return refusal;
    return std::nullopt;
}

namespace {

bool placeFits(const Place& place)
{
    if (place.isArea())
        return place.lastByte() < CE2promData::kSize;
    if (place.bits == 16)
        return place.lsb == 0 && place.offset + 1u < CE2promData::kSize;
    return place.bits > 0 && place.lsb + place.bits <= 8 && place.offset < CE2promData::kSize;
}

void checkChoice(const Field& field, std::vector<std::string>& problems)
{
    const std::string name(field.key);
    if (field.items.empty())
        problems.push_back(name + ": a choice without items");
    if (field.defaultIndex() < 0)
        problems.push_back(name + ": default \"" + std::string(field.defaultText) +
                           "\" is not one of its items");
    if (!field.fallback.empty() && field.indexOf(field.fallback) < 0)
        problems.push_back(name + ": fallback \"" + std::string(field.fallback) +
                           "\" is not one of its items");
    if (!field.codes.empty() && field.codes.size() != field.items.size())
        problems.push_back(name + ": codes and items differ in number");
    for (std::size_t i = 0; i < field.items.size(); ++i)
        if (CodeOfIndex(field, static_cast<std::int64_t>(i)) > field.place.mask())
            problems.push_back(name + ": item " + std::string(field.items[i]) +
                               " does not fit its bits");
}

void checkField(const Model& model, std::size_t at, std::vector<std::string>& problems)
{
    const Field& field = model.fields[at];
    const std::string name(field.key);
    if (!placeFits(field.place) || field.place.isArea() != (field.kind == Kind::Text))
        problems.push_back(name + ": place outside the image or its byte");
    if (field.kind == Kind::Choice) {
        checkChoice(field, problems);
        return;
    }
    if (field.limit == 0 || field.defaultText.size() > field.limit)
        problems.push_back(name + ": its box takes no text, or less than its default");
    if (field.kind == Kind::Text && !LengthFieldOf(model, at))
        problems.push_back(name + ": no length field at byte " + std::to_string(field.countAt));
}

} // namespace

std::vector<std::string> CheckModel(const Model& model)
{
    std::vector<std::string> problems;
    std::array<std::string, CE2promData::kSize * 8> owner; // one entry per bit
    auto claim = [&](unsigned byte, std::uint8_t bits, std::string_view who) {
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (byte >= CE2promData::kSize || !(bits >> bit & 1u))
                continue;
            std::string& held = owner[byte * 8 + bit];
            if (!held.empty())
                problems.push_back(std::string(who) + " and " + held + " share byte " +
                                   std::to_string(byte) + " bit " + std::to_string(bit));
            held = std::string(who);
        }
    };

    for (std::size_t at = 0; at < model.fields.size(); ++at) {
        const Field& field = model.fields[at];
        for (std::size_t before = 0; before < at; ++before)
            if (model.fields[before].key == field.key)
                problems.push_back("key used twice: " + std::string(field.key));
        checkField(model, at, problems);
        for (unsigned byte = field.place.firstByte(); byte <= field.place.lastByte(); ++byte)
            claim(byte, field.place.bitsIn(byte), field.key);
    }
    for (const CreateCheck& check : model.checks) {
        const std::optional<std::size_t> at = FieldIndex(model, check.key);
        if (!at || (check.check == Check::MatchesLength && !LengthFieldOf(model, *at)))
            problems.push_back("a check of " + std::string(check.key) +
                               ", which is not a field of its kind");
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
    for (std::string& problem : CheckPages(model))
        problems.push_back(std::move(problem));
    return problems;
}

} // namespace layout
