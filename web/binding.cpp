// The core as the page script sees it: a few calls that take and answer JSON text. Every
// caption, item, rule, check, message and byte comes from the core here; the script only
// shows what these answer and hands back what the user did.
//
// Values travel as an array with one entry per field of the model, in the model's order: a
// choice's item index, a box's text, or null where the field has no value. Texts in JSON
// are UTF-8; the form's texts are single-byte (each character one code unit from 0x01 to
// 0xFF), so they are turned into and out of that at this edge.

#include "web/binding.h"

#include "cli/error.h"
#include "cli/profile.h"
#include "editors/registry.h"
#include "image/e2prom_data.h"
#include "image/image_formats.h"
#include "layout/describe.h"
#include "layout/load.h"
#include "layout/model.h"
#include "layout/page.h"
#include "web/front_texts.h"

#include <algorithm>
#include <sstream>

namespace web {

using json = nlohmann::json;

namespace {

std::string utf8Of(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | byte >> 6);
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

// The single-byte text of UTF-8 text; a character past U+00FF becomes 0x00, which no box
// takes, so Takes refuses it and a Create's check names the field.
std::string bytesOf(std::string_view utf8)
{
    std::string bytes;
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        if (lead < 0x80) {
            bytes += static_cast<char>(lead);
            continue;
        }
        std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        std::uint32_t code = lead & (0x3Fu >> (length - 1));
        for (std::size_t i = 1; i < length && at + i < utf8.size(); ++i)
            code = code << 6 | (static_cast<unsigned char>(utf8[at + i]) & 0x3Fu);
        at += length - 1;
        bytes += static_cast<char>(code <= 0xFF ? code : 0);
    }
    return bytes;
}

const layout::Model& modelOf(const std::string& id)
{
    if (const layout::Model* model = editors::FindModel(id))
        return *model;
    return editors::HomeModel();
}

json valuesJson(const layout::Model& model, const layout::Values& values)
{
    json list = json::array();
    for (std::size_t at = 0; at < model.fields.size(); ++at) {
        if (!values.has(at))
            list.push_back(nullptr);
        else if (model.fields[at].kind == layout::Kind::Choice)
            list.push_back(values.index(at));
        else
            list.push_back(utf8Of(values.text(at)));
    }
    return list;
}

layout::Values valuesOf(const layout::Model& model, const json& list)
{
    layout::Values values(model.fields.size());
    for (std::size_t at = 0; at < model.fields.size() && at < list.size(); ++at) {
        const json& value = list[at];
        if (value.is_number_integer())
            values.setIndex(at, value.get<std::int64_t>());
        else if (value.is_string())
            values.setText(at, bytesOf(value.get<std::string>()));
    }
    return values;
}

json imageJson(const CE2promData& image)
{
    return json(std::vector<int>(image.bytes().begin(), image.bytes().end()));
}

CE2promData imageOf(const json& bytes)
{
    CE2promData image;
    if (!bytes.is_array())
        return image;
    std::vector<std::uint8_t> list;
    for (const json& byte : bytes)
        list.push_back(static_cast<std::uint8_t>(byte.get<int>()));
    image.CopyIn(list.data(), static_cast<int>(list.size()));
    return image;
}

json correctionJson(const layout::Model& model, const layout::Correction& correction)
{
    return {{"message", utf8Of(correction.message)},
            {"changes", valuesJson(model, correction.changes)}};
}

std::string kindName(layout::Kind kind)
{
    switch (kind) {
    case layout::Kind::Choice:
        return "choice";
    case layout::Kind::Hex:
        return "hex";
    case layout::Kind::Decimal:
        return "decimal";
    case layout::Kind::Text:
        return "text";
    }
    return "choice";
}

const char* partName(layout::Part part)
{
    switch (part) {
    case layout::Part::Group:
        return "group";
    case layout::Part::Table:
        return "table";
    case layout::Part::Stack:
        return "stack";
    case layout::Part::Line:
        return "line";
    case layout::Part::Grid:
        return "grid";
    case layout::Part::Control:
        return "control";
    case layout::Part::Gap:
        return "gap";
    }
    return "gap";
}

const char* alignName(layout::Align align)
{
    switch (align) {
    case layout::Align::Fill:
        return "fill";
    case layout::Align::Top:
        return "top";
    case layout::Align::TopLeft:
        return "topLeft";
    case layout::Align::Left:
        return "left";
    case layout::Align::Bottom:
        return "bottom";
    }
    return "fill";
}

int indexOf(const layout::Model& model, const layout::Field* field)
{
    return field ? static_cast<int>(field - model.fields.data()) : -1;
}

// The fields a model's window shows: a family window serving several models shows every
// field of the family, those its model lacks empty and greyed.
std::span<const layout::Field> windowFields(const layout::Model& model)
{
    return model.window.fields ? model.window.fields() : model.fields;
}

// A part of a page as the page script renders it: what it is, where it stands, and for a
// group the model's fields it holds (by position), for a table its cells.
json nodeJson(const layout::Model& model, const layout::Node& node)
{
    json part = {{"part", partName(node.part)},
                 {"name", utf8Of(node.name)},
                 {"row", node.row},
                 {"column", node.column},
                 {"rowSpan", node.rowSpan},
                 {"columnSpan", node.columnSpan},
                 {"align", alignName(node.align)},
                 {"stretch", node.stretch}};
    json parts = json::array();
    for (const layout::Node& inner : node.parts)
        parts.push_back(nodeJson(model, inner));
    part["parts"] = parts;
    switch (node.part) {
    case layout::Part::Group: {
        // Each row: the model's field by position, or the caption of one it lacks.
        json fields = json::array();
        for (const layout::Field* shown : layout::FieldsOfGroup(windowFields(model), node.name)) {
            if (const layout::Field* own = layout::FindField(model.fields, shown->key))
                fields.push_back(indexOf(model, own));
            else
                fields.push_back({{"key", shown->key}, {"label", utf8Of(shown->label)}});
        }
        json lists = json::array();
        for (const layout::ListRow& list : node.lists)
            lists.push_back({{"name", list.name}, {"label", utf8Of(list.label)}, {"after", list.after}});
        part.update({{"fields", fields}, {"boxed", node.boxed}, {"columns", node.columns},
                     {"lists", lists}, {"columnGap", node.columnGap}, {"packed", node.packed}});
        break;
    }
    case layout::Part::Table: {
        json cells = json::array();
        for (const layout::TableCell& cell : node.cells) {
            json entry = {{"block", cell.block}, {"row", cell.row}, {"column", cell.column},
                          {"heading", cell.heading}};
            if (cell.key.empty())
                entry["text"] = utf8Of(cell.text.view());
            else
                entry["field"] = indexOf(model, layout::FindField(model.fields, cell.key));
            cells.push_back(entry);
        }
        part.update({{"cells", cells}, {"size", node.size}});
        break;
    }
    case layout::Part::Stack:
        part.update({{"roomAtEnd", node.roomAtEnd}, {"linedUp", node.linedUp}});
        break;
    case layout::Part::Grid:
        part["stretchRow"] = node.stretchRow;
        break;
    case layout::Part::Gap:
        part["size"] = node.size;
        break;
    default:
        break;
    }
    return part;
}

// The model's pages, and the page each field stands on.
json pagesJson(const layout::Model& model, json& fields)
{
    json pages = json::array();
    for (std::size_t at = 0; at < model.pages.size(); ++at) {
        const layout::Page& page = model.pages[at];
        std::vector<const layout::Field*> placed;
        layout::FieldsPlaced(page.root, model.fields, placed);
        for (const layout::Field* field : placed)
            if (const int index = indexOf(model, field); index >= 0)
                fields[static_cast<std::size_t>(index)]["page"] = at;
        pages.push_back({{"title", utf8Of(page.title)}, {"root", nodeJson(model, page.root)}});
    }
    return pages;
}

json fieldJson(const layout::Model& model, const layout::Field& field)
{
    json items = json::array();
    for (std::string_view item : field.items)
        items.push_back(utf8Of(item));
    return {{"key", field.key},
            {"label", utf8Of(field.label)},
            {"name", utf8Of(layout::DisplayName(model, field))},
            {"group", utf8Of(field.group)},
            {"kind", kindName(field.kind)},
            {"items", items},
            {"default", utf8Of(field.defaultText)},
            {"limit", field.limit},
            {"readOnly", field.readOnly},
            {"page", 0},
            {"tip", utf8Of(layout::FieldTip(model, field))}};
}

// What the listing shows of each byte of the model's image: the fields that hold bits of
// it, and its description for the pointer.
json bytesJson(const layout::Model& model)
{
    json bytes = json::array();
    for (unsigned offset = 0; offset < CE2promData::kSize; ++offset)
        bytes.push_back({{"fields", layout::FieldsAt(model, offset)},
                         {"text", utf8Of(layout::ByteText(model, offset))}});
    return bytes;
}

// Which window serves a model and what its own Device ID list holds, as the desktop's
// editor table and windows have them: the home model in the main window's form; the QH1xx
// family in one window of its own whose list switches between its models (and which follows
// a loaded image to the model it names); every other model in a sheet over the main window,
// whose list holds the way back and the model.
json windowJson(const layout::Model& model)
{
    static constexpr const char* kWays[] = {"main", "beside", "sheet"};
    json window = {{"way", kWays[static_cast<int>(model.window.kind)]}};
    if (model.window.kind == layout::WindowKind::Main)
        return window;
    json entries = json::array();
    json serves = json::array();
    for (const editors::ListEntry& entry : editors::WindowListOf(model)) {
        entries.push_back(utf8Of(entry.text));
        serves.push_back(entry.model ? json(entry.model->id) : json(nullptr));
        if (!entry.model)
            window["back"] = entries.size() - 1;
    }
    window["entries"] = entries;
    window["serves"] = serves;
    if (model.window.wholeFamily)
        window["followImage"] = true;
    return window;
}

json modelJson(const layout::Model& model)
{
    json fields = json::array();
    for (const layout::Field& field : model.fields)
        fields.push_back(fieldJson(model, field));
    json pages = pagesJson(model, fields);
    return {{"id", model.id},
                  {"name", utf8Of(model.name)},
                  {"description", utf8Of(model.description)},
                  {"family", model.family},
                  {"capitals", model.typing.capitals},
                  {"loadSize", model.loadSize},
                  {"greyingFollowsLoads", model.greyingFollowsLoads},
                  {"fields", fields},
                  {"pages", pages},
                  {"files", FileTextsOf(model)},
                  {"window", windowJson(model)},
                  {"defaults", valuesJson(model, layout::DefaultValues(model))},
                  {"bytes", bytesJson(model)}};
}

std::string answer(const json& result) { return result.dump(); }

} // namespace

std::string Models()
{
    json models = json::array();
    for (const layout::Model* model : editors::AllModels()) {
        models.push_back({{"id", model->id},
                          {"name", utf8Of(model->name)},
                          {"family", model->family},
                          {"window", windowJson(*model)}});
    }
    return answer({{"home", editors::HomeModel().id}, {"models", models}, {"texts", FrontTexts()}});
}

std::string Model(const std::string& id)
{
    return answer(modelJson(modelOf(id)));
}

std::string AsLeft(const std::string& model, int field, const std::string& typed)
{
    const layout::Model& at = modelOf(model);
    if (field < 0 || static_cast<std::size_t>(field) >= at.fields.size())
        return typed;
    return utf8Of(layout::AsLeft(at, at.fields[static_cast<std::size_t>(field)], bytesOf(typed)));
}

bool Takes(const std::string& model, int field, const std::string& typed)
{
    const layout::Model& at = modelOf(model);
    if (field < 0 || static_cast<std::size_t>(field) >= at.fields.size())
        return false;
    const std::string bytes = bytesOf(typed);
    return std::all_of(bytes.begin(), bytes.end(), [&](char c) {
        return c != '\0' &&
               layout::Takes(at.fields[static_cast<std::size_t>(field)], static_cast<unsigned char>(c));
    });
}

std::string UserChange(const std::string& model, int field, const std::string& values)
{
    const layout::Model& at = modelOf(model);
    if (field < 0 || static_cast<std::size_t>(field) >= at.fields.size())
        return "null";
    const std::optional<layout::Correction> correction = layout::OnUserChange(
        at, static_cast<std::size_t>(field), valuesOf(at, json::parse(values)));
    return correction ? answer(correctionJson(at, *correction)) : "null";
}

std::string Enabled(const std::string& model, const std::string& values, int changed,
                    const std::string& current)
{
    const layout::Model& at = modelOf(model);
    std::vector<bool> now;
    for (const json& flag : json::parse(current))
        now.push_back(flag.get<bool>());
    if (now.size() != at.fields.size())
        now.clear();
    std::optional<std::size_t> field;
    if (changed >= 0)
        field = static_cast<std::size_t>(changed);
    return answer(layout::Enabled(at, valuesOf(at, json::parse(values)), field, now));
}

std::string Create(const std::string& model, const std::string& values, const std::string& holder)
{
    const layout::Model& at = modelOf(model);
    const layout::Values form = valuesOf(at, json::parse(values));
    if (const std::optional<layout::Refusal> refusal = layout::RefuseCreate(at, form))
        return answer({{"refusal", {{"message", utf8Of(refusal->message)}, {"field", refusal->field}}}});
    CE2promData image = imageOf(json::parse(holder));
    const layout::EncodeResult result = layout::Create(at, form, image);
    json corrections = json::array();
    for (const layout::Correction& correction : result.corrections)
        corrections.push_back(correctionJson(at, correction));
    return answer({{"image", imageJson(image)}, {"corrections", corrections}});
}

std::string Load(const std::string& model, const std::string& file, const std::string& holder,
                 const std::string& answers)
{
    const layout::Model& at = modelOf(model);
    const json given = json::parse(file);
    std::vector<std::uint8_t> head;
    for (const json& byte : given["head"])
        head.push_back(static_cast<std::uint8_t>(byte.get<int>()));
    const json said = json::parse(answers);
    layout::LoadAnswers known{.followImage = said.value("followImage", true)};
    if (said.contains("foreignImage"))
        known.foreignImage = said["foreignImage"].get<bool>();
    if (said.contains("displayTemplate"))
        known.displayTemplate = said["displayTemplate"].get<bool>();
    const layout::LoadStep step = layout::Load(
        at, {given["size"].get<std::size_t>(), head}, imageOf(json::parse(holder)), known);
    switch (step.outcome) {
    case layout::LoadOutcome::Refused:
        return answer({{"outcome", "refused"}});
    case layout::LoadOutcome::Cancelled:
        return answer({{"outcome", "cancelled"}});
    case layout::LoadOutcome::Asks:
        return answer({{"outcome", "asks"},
                       {"question", step.question == layout::LoadQuestion::ForeignImage
                                        ? "foreignImage"
                                        : "displayTemplate"},
                       {"text", utf8Of(step.questionText)},
                       {"image", imageJson(step.image)}});
    case layout::LoadOutcome::Taken:
        break;
    }
    json notes = json::array();
    for (const layout::DecodeNote& note : step.decoded.notes)
        notes.push_back({{"message", utf8Of(note.message)}, {"field", note.field}});
    return answer({{"outcome", "taken"},
                   {"image", imageJson(step.image)},
                   {"model", step.model->id},
                   {"modelChosen", step.modelChosen},
                   {"values", valuesJson(*step.model, step.decoded.values)},
                   {"notes", notes}});
}

std::string Listing(const std::string& image)
{
    json lines = json::array();
    for (const std::string& line : ListingLines(imageOf(json::parse(image))))
        lines.push_back(line);
    return answer(lines);
}

std::string Changes(const std::string& model, const std::string& values, const std::string& shown,
                    const std::string& notes)
{
    const layout::Model& at = modelOf(model);
    std::vector<layout::DecodeNote> decodeNotes;
    for (const json& note : json::parse(notes))
        decodeNotes.push_back({bytesOf(note["message"].get<std::string>()), note["field"].get<std::size_t>()});
    json marks = json::array();
    for (const auto& [offset, change] : layout::ChangesOnCreate(
             at, valuesOf(at, json::parse(values)), imageOf(json::parse(shown)), decodeNotes))
        marks.push_back({{"offset", offset}, {"text", utf8Of(layout::ChangeText(change))}});
    return answer(marks);
}

std::string ProfileOf(const std::string& model, const std::string& values)
{
    const layout::Model& at = modelOf(model);
    return cli::ProfileOf(at, valuesOf(at, json::parse(values))).dump(2) + "\n";
}

std::string ReadProfile(const std::string& name, const std::string& content)
{
    const std::vector<std::uint8_t> bytes(content.begin(), content.end());
    std::istringstream nothing;
    try {
        const cli::Profile profile = cli::ReadProfile(name, bytes, editors::AllModels(), nothing);
        return answer({{"model", profile.model->id},
                       {"values", valuesJson(*profile.model, profile.values)},
                       {"warnings", profile.warnings}});
    } catch (const cli::Error& error) {
        return answer({{"error", utf8Of(error.what())}});
    }
}

std::string Encoded(const std::string& bytesJson, const std::string& format)
{
    const std::optional<image::Format> named = image::FormatNamed(format);
    const CE2promData bytes = imageOf(json::parse(bytesJson));
    return image::Encoded(bytes.bytes(), named.value_or(image::Format::IntelHex));
}

} // namespace web
