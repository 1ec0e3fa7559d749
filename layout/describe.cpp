#include "layout/describe.h"

#include "image/e2prom_data.h"

#include <algorithm>

namespace layout {

namespace {

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A value as a tooltip quotes it: a long string cut short.
std::string quotedValue(std::string_view text)
{
    constexpr std::size_t kLongest = 40;
    return text.size() > kLongest ? quoted(text.substr(0, kLongest)) + "..." : quoted(text);
}

// The bits of a mask as runs from the highest: "bit 7", "bits 5-4", "bits 7-6, 3".
std::string bitsText(std::uint8_t mask)
{
    std::string runs;
    int count = 0;
    for (int high = 7; high >= 0; --high) {
        if (!(mask >> high & 1u))
            continue;
        int low = high;
        while (low > 0 && (mask >> (low - 1) & 1u))
            --low;
        runs += (runs.empty() ? "" : ", ") +
                (low == high ? std::to_string(high) : Format("%d-%d", high, low));
        count += high - low + 1;
        high = low;
    }
    return (count == 1 ? "bit " : "bits ") + runs;
}

// Which part of a field byte `offset` is: its bits, a byte of a word, a character's byte.
std::string partText(const Field& field, unsigned offset)
{
    const Place& place = field.place;
    if (place.isArea()) {
        const unsigned at = offset - place.firstByte();
        return Format("character %u, %s byte", at / 2 + 1, at % 2 ? "high" : "low");
    }
    if (place.bits == 16) {
        const bool first = offset == place.firstByte();
        return first == place.bigEndian ? "high byte" : "low byte";
    }
    return bitsText(place.bitsIn(offset));
}

std::uint8_t ownedBits(const Model& model, unsigned offset)
{
    std::uint8_t owned = 0;
    for (const Field& field : model.fields)
        owned |= field.place.bitsIn(offset);
    return owned;
}

const UnusedBytes* unusedRange(const Model& model, unsigned offset)
{
    for (const UnusedBytes& range : model.unused)
        if (offset >= range.first && offset <= range.last)
            return &range;
    return nullptr;
}

// Why a field's bits come out differently: what a load or a rule said of it, what the form
// shows, and the code stored for it against the one the image holds.
std::string fieldReason(const Model& model, std::size_t at, const Values& values,
                        const EncodeResult& result, const std::vector<DecodeNote>& notes,
                        const CE2promData& shown, const CE2promData& built)
{
    const Field& field = model.fields[at];
    std::string reason;
    for (const DecodeNote& note : notes)
        if (note.field == at)
            reason += note.message + "; ";
    for (const Correction& correction : result.corrections)
        if (correction.changes.has(at) && !correction.message.empty())
            reason += correction.message + "; ";
    reason += DisplayName(model, field) + " shows " + quotedValue(ShowValue(field, values, at));
    if (!field.place.isArea())
        reason += Format(", stored as 0x%X (now 0x%X)", GetBits(built, field.place),
                         GetBits(shown, field.place));
    return reason;
}

} // namespace

std::string DisplayName(const Model& model, const Field& field)
{
    const auto sameLabel = std::count_if(model.fields.begin(), model.fields.end(),
                                         [&](const Field& other) { return other.label == field.label; });
    std::string name(field.label);
    if (sameLabel > 1 && !field.group.empty())
        name = std::string(field.group) + ": " + name;
    return name;
}

std::string PlaceText(const Field& field)
{
    const Place& place = field.place;
    if (place.isArea())
        return Format("0x%02X-0x%02X, length in 0x%02X", place.firstByte(), place.lastByte(),
                      field.countAt);
    if (place.bits == 16)
        return Format("0x%02X-0x%02X ", place.offset, place.offset + 1) +
               (place.bigEndian ? "high byte first" : "low byte first");
    if (place.bits == 8 && place.lsb == 0)
        return Format("0x%02X", place.offset);
    return Format("0x%02X ", place.offset) + bitsText(place.bitsIn(place.offset));
}

std::string CodeText(const Field& field, std::size_t item)
{
    const std::uint32_t code = CodeOfIndex(field, static_cast<std::int64_t>(item));
    return field.place.bits == 1 ? std::to_string(code) : Format("0x%X", code);
}

std::string BoxRule(const Model& model, const Field& field)
{
    const std::string limit = " of at most " + std::to_string(field.limit) + " characters";
    switch (field.kind) {
    case Kind::Hex:
        return std::string(model.readHex == HexReading::ByDigitPosition ? "hex digits by position" : "hex text") +
               limit + " (" + std::to_string(field.place.bits) + " bits stored)";
    case Kind::Decimal:
        return "decimal digits" + limit + " (8 bits stored)";
    case Kind::Text:
        return "text" + limit + ", one byte per character";
    case Kind::Choice:
        break;
    }
    return {};
}

std::string FieldTip(const Model& model, const Field& field)
{
    const bool oneByte = field.place.firstByte() == field.place.lastByte();
    std::string tip = (oneByte ? "Offset " : "Offsets ") + PlaceText(field);
    if (field.kind == Kind::Choice) {
        for (std::size_t i = 0; i < field.items.size(); ++i)
            tip += "\n" + CodeText(field, i) + ": " + std::string(field.items[i]);
        if (!field.fallback.empty())
            tip += "\nany other code shows " + quoted(field.fallback);
    } else {
        tip += "\n" + BoxRule(model, field);
    }
    return tip + "\nProfile key: " + std::string(field.key);
}

std::vector<std::size_t> FieldsAt(const Model& model, unsigned offset)
{
    std::vector<std::size_t> fields;
    for (std::size_t at = 0; at < model.fields.size(); ++at)
        if (model.fields[at].place.bitsIn(offset))
            fields.push_back(at);
    return fields;
}

std::string ByteText(const Model& model, unsigned offset)
{
    std::string text = Format("Byte 0x%02X", offset);
    const std::vector<std::size_t> fields = FieldsAt(model, offset);
    if (fields.empty()) {
        text += ": not used by this model";
        if (const UnusedBytes* range = unusedRange(model, offset))
            text += "\n(" + std::string(range->why) + ")";
        return text;
    }
    for (std::size_t at : fields)
        text += "\n" + DisplayName(model, model.fields[at]) + ": " +
                partText(model.fields[at], offset);
    if (const std::uint8_t loose = static_cast<std::uint8_t>(~ownedBits(model, offset)))
        text += "\n" + bitsText(loose) + ": not used by this model";
    return text;
}

std::map<unsigned, ByteChange> ChangesOnCreate(const Model& model, const Values& values,
                                               const CE2promData& shown,
                                               const std::vector<DecodeNote>& notes)
{
    CE2promData built = shown;
    const EncodeResult result = Create(model, values, built);
    Values after = values;
    for (const Correction& correction : result.corrections)
        after.overlay(correction.changes);

    std::map<unsigned, ByteChange> changes;
    for (unsigned offset = 0; offset < CE2promData::kSize; ++offset) {
        ByteChange change{shown.GetByte(offset), built.GetByte(offset), {}};
        const auto differs = static_cast<std::uint8_t>(change.shown ^ change.written);
        if (!differs)
            continue;
        for (std::size_t at : FieldsAt(model, offset))
            if (model.fields[at].place.bitsIn(offset) & differs)
                change.why.push_back(fieldReason(model, at, after, result, notes, shown, built));
        if (const auto loose = static_cast<std::uint8_t>(differs & ~ownedBits(model, offset)))
            change.why.push_back(loose == 0xFF ? "not used by this model"
                                               : bitsText(loose) + ": not used by this model");
        changes.emplace(offset, std::move(change));
    }
    return changes;
}

std::string ChangeText(const ByteChange& change)
{
    std::string text = Format("The next Create writes 0x%02X here (now 0x%02X):", change.written,
                              change.shown);
    for (const std::string& why : change.why)
        text += "\n- " + why;
    return text;
}

} // namespace layout
