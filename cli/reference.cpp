#include "cli/reference.h"

#include <algorithm>
#include <tuple>

namespace cli {

namespace {

std::string inQuotes(std::string_view text) { return nlohmann::json(std::string(text)).dump(); }

std::string codeText(const layout::Field& field, std::size_t index)
{
    const std::uint32_t code = layout::CodeOfIndex(field, static_cast<std::int64_t>(index));
    return field.place.bits == 1 ? std::to_string(code) : layout::Format("0x%X", code);
}

// What a box takes, and what of it reaches the image.
std::string boxRule(const layout::Model& model, const layout::Field& field)
{
    const std::string limit = " of at most " + std::to_string(field.limit) + " characters";
    switch (field.kind) {
    case layout::Kind::Hex:
        return std::string(model.readHex == layout::DigitHex ? "hex digits by position"
                                                              : "hex text") +
               limit + " (" + std::to_string(field.place.bits) + " bits stored)";
    case layout::Kind::Decimal:
        return "decimal digits" + limit + " (8 bits stored)";
    case layout::Kind::Text:
        return "text" + limit + ", one byte per character";
    case layout::Kind::Choice:
        break;
    }
    return {};
}

// A hex field may offer texts to pick from (a product-ID list); any hex text is taken.
std::string offered(const layout::Field& field, bool markdown)
{
    if (field.kind != layout::Kind::Hex || field.items.empty())
        return {};
    std::string text = "; the form offers ";
    for (std::size_t i = 0; i < field.items.size(); ++i) {
        const std::string item = inQuotes(field.items[i]);
        text += (i ? ", " : "") + (markdown ? "`" + item + "`" : item);
    }
    return text;
}

std::string tableCell(std::string text)
{
    std::string cell;
    for (char c : text)
        cell += c == '|' ? std::string("\\|") : std::string(1, c);
    return cell;
}

} // namespace

std::string PlaceText(const layout::Field& field)
{
    const layout::Place& place = field.place;
    if (place.isArea())
        return layout::Format("0x%02X-0x%02X, length in 0x%02X", place.firstByte(),
                              place.lastByte(), field.countAt);
    if (place.bits == 16)
        return layout::Format("0x%02X-0x%02X ", place.offset, place.offset + 1) +
               (place.bigEndian ? "high byte first" : "low byte first");
    if (place.bits == 8 && place.lsb == 0)
        return layout::Format("0x%02X", place.offset);
    if (place.bits == 1)
        return layout::Format("0x%02X bit %u", place.offset, place.lsb);
    return layout::Format("0x%02X bits %u-%u", place.offset, place.lsb + place.bits - 1u,
                          place.lsb);
}

std::string ByteMap(const layout::Model& model)
{
    // (offset, highest bit first, text of the place, rest of the line)
    std::vector<std::tuple<unsigned, int, std::string, std::string>> rows;
    for (const layout::Field& field : model.fields) {
        std::string line = DisplayName(model, field) + " [" + std::string(field.key) + "]: ";
        if (field.kind == layout::Kind::Choice) {
            for (std::size_t i = 0; i < field.items.size(); ++i)
                line += (i ? ", " : "") + codeText(field, i) + " " + inQuotes(field.items[i]);
        } else {
            line += boxRule(model, field) + offered(field, false);
        }
        line += "; default " + inQuotes(field.defaultText);
        rows.emplace_back(field.place.offset, -(field.place.lsb + field.place.bits),
                          PlaceText(field), line);
    }
    for (const layout::UnusedBytes& range : model.unused)
        rows.emplace_back(range.first, 0,
                          range.first == range.last
                              ? layout::Format("0x%02X", range.first)
                              : layout::Format("0x%02X-0x%02X", range.first, range.last),
                          "unused: " + std::string(range.why));
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    std::size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, std::get<2>(row).size());

    std::string text = std::string(model.name) + " (" + std::string(model.id) + "): " +
                       std::string(model.description) + "\n";
    for (const auto& [offset, bit, place, line] : rows)
        text += place + std::string(width + 2 - place.size(), ' ') + line + "\n";
    return text;
}

std::string KeysSection(const layout::Model& model)
{
    std::string text = "## " + std::string(model.name) + " (`" + std::string(model.id) +
                       "`)\n\n" + std::string(model.description) +
                       "\n\n| Key | Label | Group | Allowed values | Default |\n"
                       "|---|---|---|---|---|\n";
    for (const layout::Field& field : model.fields) {
        std::string allowed;
        if (field.kind == layout::Kind::Choice)
            for (std::size_t i = 0; i < field.items.size(); ++i)
                allowed += (i ? ", `" : "`") + inQuotes(field.items[i]) + "`";
        else
            allowed = boxRule(model, field) + offered(field, true);
        text += "| `" + std::string(field.key) + "` | " + tableCell(std::string(field.label)) +
                " | " + (field.group.empty() ? "" : "`" + inQuotes(field.group) + "`") + " | " +
                tableCell(allowed) + " | `" + tableCell(inQuotes(field.defaultText)) + "` |\n";
    }
    return text;
}

std::string KeysReference(Models models)
{
    std::string text =
        "# Profile keys\n\n"
        "<!-- Generated by `hubquill-cli keys > docs/profiles.md` from the layout descriptions;\n"
        "     a test fails when this file and the descriptions disagree. -->\n\n"
        "A profile names a model and gives field values by key, as the texts the model's form\n"
        "shows (see [cli.md](cli.md)). Every key of a model is listed here with the label of its\n"
        "form field, its group box, the values it takes and its default. Choice values are the\n"
        "item texts exactly as quoted.\n";
    if (models.empty())
        text += "\nNo model is built in yet.\n";
    for (const layout::Model* model : models)
        text += "\n" + KeysSection(*model);
    return text;
}

} // namespace cli
