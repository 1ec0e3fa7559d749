#include "cli/profile.h"

#include "cli/error.h"
#include "cli/files.h"
#include "image/e2prom_data.h"
#include "layout/fields.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>

namespace fs = std::filesystem;
using nlohmann::json;

namespace cli {

namespace {

std::string inQuotes(std::string_view text) { return json(std::string(text)).dump(); }

std::string joined(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

std::string allowedItems(const layout::Field& field)
{
    std::vector<std::string> items;
    for (std::string_view item : field.items)
        items.push_back(inQuotes(item));
    return joined(items);
}

// Form texts hold one byte per character (0x00 to 0xFF); profiles are UTF-8.
std::string utf8Of(std::string_view bytes)
{
    std::string text;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | c >> 6);
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

// nullopt when a character needs more than one byte. The JSON parser has already refused
// malformed UTF-8.
std::optional<std::string> singleBytesOf(std::string_view utf8)
{
    std::string bytes;
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const auto c = static_cast<unsigned char>(utf8[at]);
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && at + 1 < utf8.size()) {
            bytes += static_cast<char>((c & 0x03) << 6 | (static_cast<unsigned char>(utf8[++at]) & 0x3F));
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

// A hex text as a person types it into the box: optional blanks, an optional 0x, hex
// digits. The form reads "12zz" as 12 and "zz" as 0 without a word; a profile saying so is
// far more likely a slip than an intention, so it is refused.
bool isHexText(std::string_view text)
{
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    });
}

unsigned widthOf(const layout::Field& field) { return field.place.bits; }

[[noreturn]] void badValue(const layout::Field& field, const std::string& what,
                           const std::string& allowed)
{
    throw Error("key " + inQuotes(field.key) + ": " + what + "; allowed: " + allowed);
}

// A field's text as a profile file gives it, and the file that gives it.
struct Given {
    json text;
    std::string from;
};

// One profile file as written: its model (may be empty when a base gives it) and its
// field texts, after those of its bases.
struct Layer {
    std::string model;
    std::string modelFrom; // the file that named the model
    std::map<std::string, Given, std::less<>> fields;
};

std::string shown(const std::string& name) { return name == "-" ? "standard input" : name; }

void requireKey(const layout::Model& model, std::string_view key, const std::string& where)
{
    if (layout::FindField(model.fields, key))
        return;
    std::vector<std::string> keys;
    for (const layout::Field& field : model.fields)
        keys.push_back(std::string(field.key));
    throw Error(where + ": unknown key " + inQuotes(key) + " for " + std::string(model.id) +
                "; allowed: " + joined(keys));
}

// The key of the model's field that a profile's `key` gives: itself, or for a key the
// field was once named by, the key that names it now. Throws cli::Error naming `key` as
// given when the model has no such field.
std::string fieldKey(const layout::Model& model, std::string_view key, const std::string& where)
{
    const std::string_view current = layout::CurrentKey(key);
    if (!layout::FindField(model.fields, current))
        requireKey(model, key, where);
    return std::string(current);
}

// The parser's own words for what it could not read: where it is and what it found.
std::string parseErrorText(const json::exception& error)
{
    std::string_view text = error.what();
    for (std::string_view prefix : {std::string_view("] "), std::string_view("parse error at ")})
        if (const std::size_t at = text.find(prefix); at != std::string_view::npos)
            text.remove_prefix(at + prefix.size());
    return std::string(text);
}

// Far deeper than a profile goes (a text in "fields" in the document is 2); a value nested
// far deeper would exhaust the stack of whatever walks it.
constexpr std::size_t kDeepestNesting = 64;

// Refuses a value nested deeper than kDeepestNesting, naming the line and column of the
// bracket that goes too deep, before the parser builds it.
void requireShallow(const std::string& name, std::span<const std::uint8_t> content)
{
    std::size_t depth = 0, line = 1, column = 0;
    bool inString = false, escaped = false;
    for (const std::uint8_t byte : content) {
        ++column;
        if (byte == '\n') {
            ++line;
            column = 0;
        }
        if (inString) {
            inString = escaped || byte != '"';
            escaped = !escaped && byte == '\\';
        } else if (byte == '"') {
            inString = true;
        } else if (byte == '[' || byte == '{') {
            if (++depth > kDeepestNesting)
                throw Error(shown(name) + ": line " + std::to_string(line) + ", column " +
                            std::to_string(column) + ": values nested more than " +
                            std::to_string(kDeepestNesting) + " deep");
        } else if ((byte == ']' || byte == '}') && depth > 0) {
            --depth;
        }
    }
}

// The JSON of a profile file. A key given twice in one object is refused rather than
// left to the parser, which would quietly keep the last.
json parseDocument(const std::string& name, std::span<const std::uint8_t> content)
{
    requireShallow(name, content);
    std::vector<std::set<std::string>> openObjects; // the keys of each, innermost last
    std::optional<std::string> twice;
    const json::parser_callback_t noteKeys = [&](int, json::parse_event_t event, json& parsed) {
        if (event == json::parse_event_t::object_start)
            openObjects.emplace_back();
        else if (event == json::parse_event_t::object_end)
            openObjects.pop_back();
        else if (event == json::parse_event_t::key && !openObjects.back().insert(parsed).second)
            twice = twice.value_or(parsed.get<std::string>());
        return true;
    };
    json document;
    try {
        document = json::parse(content.begin(), content.end(), noteKeys);
    } catch (const json::exception& error) { // a syntax error, or a number past any range
        throw Error(shown(name) + ": not valid JSON: " + parseErrorText(error));
    }
    if (twice)
        throw Error(shown(name) + ": key " + inQuotes(*twice) + " is given twice in one object");
    return document;
}

Layer readLayer(const std::string& name, std::span<const std::uint8_t> content,
                std::istream& in, Models models, std::vector<fs::path>& chain);

// The layer of the base that profile `name` extends, named relative to it.
Layer readBase(const std::string& name, const json& base, std::istream& in, Models models,
               std::vector<fs::path>& chain)
{
    if (!base.is_string() || base.get<std::string>().empty())
        throw Error(shown(name) + ": \"extends\" must name a profile file");
    fs::path path(base.get<std::string>());
    if (path.is_relative() && name != "-")
        path = fs::path(name).parent_path() / path;
    std::vector<std::uint8_t> content;
    try {
        content = ReadInput(path.string(), in);
    } catch (const Error& error) {
        throw Error(shown(name) + ": its base " + error.what());
    }
    return readLayer(path.string(), content, in, models, chain);
}

void enterChain(const std::string& name, std::vector<fs::path>& chain)
{
    if (name == "-")
        return;
    std::error_code error;
    const fs::path identity = fs::weakly_canonical(fs::absolute(name), error);
    if (std::find(chain.begin(), chain.end(), identity) != chain.end()) {
        std::string loop;
        for (const fs::path& link : chain)
            loop += link.string() + " -> ";
        throw Error("profiles extend each other in a cycle: " + loop + identity.string());
    }
    chain.push_back(identity);
}

Layer readLayer(const std::string& name, std::span<const std::uint8_t> content,
                std::istream& in, Models models, std::vector<fs::path>& chain)
{
    enterChain(name, chain);
    const json document = parseDocument(name, content);
    if (!document.is_object())
        throw Error(shown(name) + ": a profile is a JSON object with \"model\" and \"fields\"");
    for (const auto& [key, value] : document.items())
        if (key != "model" && key != "fields" && key != "extends")
            throw Error(shown(name) + ": unknown entry " + inQuotes(key) +
                        "; allowed: \"model\", \"fields\", \"extends\"");

    Layer layer;
    if (document.contains("extends"))
        layer = readBase(name, document["extends"], in, models, chain);
    if (document.contains("model")) {
        const json& model = document["model"];
        if (!model.is_string())
            throw Error(shown(name) + ": \"model\" must be a model id");
        const std::string id = model.get<std::string>();
        try {
            ModelNamed(models, id);
        } catch (const Error& error) {
            throw Error(shown(name) + ": " + error.what());
        }
        if (!layer.model.empty() && layer.model != id)
            throw Error(shown(name) + " is for " + id + " but its base " + layer.modelFrom +
                        " is for " + layer.model);
        layer.model = id;
        layer.modelFrom = shown(name);
    }
    if (layer.model.empty())
        throw Error(shown(name) + ": no \"model\" (and no base that names one)");

    const layout::Model& model = ModelNamed(models, layer.model);
    if (document.contains("fields")) {
        const json& fields = document["fields"];
        if (!fields.is_object())
            throw Error(shown(name) + ": \"fields\" must be an object of key: text");
        for (const auto& [key, value] : fields.items()) {
            const std::string current = fieldKey(model, key, shown(name));
            if (current != key && fields.contains(current))
                throw Error(shown(name) + ": keys " + inQuotes(key) + " and " + inQuotes(current) +
                            " name the same field (" + inQuotes(key) +
                            " is its old name); give one of them");
            layer.fields[current] = {value, shown(name)};
        }
    }
    return layer;
}

} // namespace

const layout::Model& ModelNamed(Models models, std::string_view id)
{
    std::vector<std::string> ids;
    for (const layout::Model* model : models) {
        if (model->id == id)
            return *model;
        ids.push_back(std::string(model->id));
    }
    throw Error("unknown model " + inQuotes(id) + "; allowed: " +
                (ids.empty() ? std::string("none (no model is built in)") : joined(ids)));
}

namespace {

bool checkedOnCreate(const layout::Model& model, const layout::Field& field)
{
    return std::any_of(model.checks.begin(), model.checks.end(),
                       [&](const layout::CreateCheck& check) { return check.key == field.key; });
}

// The text a profile gives a box, as the form would hold it once typed in and left.
std::string BoxText(const layout::Model& model, const layout::Field& field, const json& text)
{
    const bool hex = field.kind == layout::Kind::Hex;
    const std::size_t longest = layout::LongestText(field);
    const std::string limit =
        "at most " + std::to_string(field.limit) + " characters" +
        (longest > field.limit ? " typed (" + std::to_string(longest) + " as a load shows them)"
                               : std::string());
    const std::string example =
        field.defaultText.empty() ? std::string() : ", such as " + inQuotes(field.defaultText);
    std::string allowed = "text of " + limit + " U+0001 to U+00FF";
    if (hex)
        allowed = std::string(model.readHex == layout::HexReading::ByDigitPosition ? "hex digits by position, "
                                                                : "hex digits, optionally after 0x, ") +
                  limit + example;
    else if (field.kind == layout::Kind::Decimal)
        allowed = "decimal digits, " + limit + example;
    if (!text.is_string())
        badValue(field, text.dump() + " is not a text", allowed);
    const std::string typed = text.get<std::string>();
    const auto bytes = singleBytesOf(typed);
    if (!bytes || !std::all_of(bytes->begin(), bytes->end(), [&](char c) {
            return layout::Takes(field, static_cast<unsigned char>(c));
        }))
        badValue(field, inQuotes(typed) + " holds a character the form's box does not take",
                 allowed);
    if (bytes->size() > layout::LongestText(field))
        badValue(field, inQuotes(typed) + " is longer than the form's box takes", allowed);
    // A model that checks a box's text before a Create says itself what it refuses; without
    // such a check the form reads "12zz" as 12 and "zz" as 0 without a word, which a profile
    // far more likely means as a slip than as an intention.
    if (hex && !checkedOnCreate(model, field) && !isHexText(*bytes))
        badValue(field, inQuotes(typed) + " is not a hex number", allowed);
    // Longer than one can type, the text is one a load shows, and stays as shown.
    return bytes->size() > field.limit ? *bytes : layout::AsLeft(model, field, *bytes);
}

// The value of the field at `at` read from its profile text (a JSON string): an item, or
// the text the form's box holds once the text is typed in and left. Throws cli::Error
// naming the key and the values allowed.
void ReadField(const layout::Model& model, std::size_t at, const json& text,
               layout::Values& values, std::vector<std::string>& warnings)
{
    const layout::Field& field = model.fields[at];
    if (field.kind == layout::Kind::Choice) {
        const int index = text.is_string() ? field.indexOf(text.get<std::string>()) : -1;
        if (index < 0)
            badValue(field, text.dump() + " is not one of its items", allowedItems(field));
        values.setIndex(at, index);
        return;
    }
    std::string boxText = BoxText(model, field, text);
    // Only a load fills a box past what it takes; Create reads no further than that.
    if (boxText.size() > field.limit)
        warnings.push_back("key " + inQuotes(field.key) + ": " + inQuotes(utf8Of(boxText)) +
                           " is longer than its box (" + std::to_string(field.limit) +
                           " characters); " +
                           (field.kind == layout::Kind::Text ? "the image keeps " : "the form reads ") +
                           inQuotes(utf8Of(boxText.substr(0, field.limit))));
    if (field.kind != layout::Kind::Text) {
        const std::uint32_t number = layout::ReadNumber(model, field, boxText);
        if (number > field.place.mask())
            warnings.push_back("key " + inQuotes(field.key) + ": " + inQuotes(boxText) +
                               " is wider than " + std::to_string(widthOf(field)) +
                               " bits; the image keeps " +
                               layout::Format("%X", number & field.place.mask()));
    }
    values.setText(at, std::move(boxText));
}


// The image Create builds from `values` in a fresh holder; nullopt when the model refuses
// to build it.
std::optional<CE2promData> built(const layout::Model& model, const layout::Values& values)
{
    if (layout::RefuseCreate(model, values))
        return std::nullopt;
    CE2promData image;
    layout::Create(model, values, image);
    return image;
}

// "byte 0x13" or "bytes 0x13, 0x16-0x1B": where two images differ.
std::string differingBytes(const CE2promData& a, const CE2promData& b)
{
    std::string text;
    std::size_t count = 0;
    for (unsigned at = 0; at < CE2promData::kSize;) {
        if (a.GetByte(at) == b.GetByte(at)) {
            ++at;
            continue;
        }
        unsigned end = at;
        while (end + 1 < CE2promData::kSize && a.GetByte(end + 1) != b.GetByte(end + 1))
            ++end;
        text += (text.empty() ? "" : ", ") + layout::Format("0x%02X", at) +
                (end > at ? layout::Format("-0x%02X", end) : std::string());
        count += end - at + 1;
        at = end + 1;
    }
    return (count == 1 ? "byte " : "bytes ") + text;
}

// A field given with a text that the form would have changed: kept as given, unless that
// builds the image the form would build anyway.
struct Kept {
    std::size_t field;
    std::size_t typed; // the field whose typing the form follows
    std::string follows;
    layout::Values changes; // what the form fills, `field` among them
};

// Texts typed and left: the fields the form fills on leaving them (a string's length)
// follow them, unless `fixed` says that field was given as well, which is kept. A field
// that follows is kept no longer.
void FollowLeftBoxes(const layout::Model& model, const std::vector<bool>& typed,
                     const std::vector<bool>& fixed, layout::Values& values,
                     std::vector<Kept>& kept)
{
    for (std::size_t at = 0; at < model.fields.size(); ++at) {
        if (!typed[at] || model.fields[at].kind == layout::Kind::Choice)
            continue;
        const std::optional<layout::Correction> left = layout::OnUserChange(model, at, values);
        if (!left)
            continue;
        for (std::size_t changed = 0; changed < model.fields.size(); ++changed) {
            if (!left->changes.has(changed))
                continue;
            const layout::Field& field = model.fields[changed];
            const std::string follows = layout::ShowValue(field, left->changes, changed);
            if (!fixed[changed]) {
                values.take(left->changes, changed);
                std::erase_if(kept, [&](const Kept& one) { return one.field == changed; });
            } else if (layout::ShowValue(field, values, changed) != follows) {
                kept.push_back({changed, at, follows, left->changes});
            }
        }
    }
}

// Warns of each field kept as given where the image differs from the one the form builds
// once the text it follows is typed, saying where.
void warnOfKept(const layout::Model& model, const std::vector<Kept>& kept,
                const layout::Values& values, std::vector<std::string>& warnings)
{
    const std::optional<CE2promData> image = kept.empty() ? std::nullopt : built(model, values);
    for (const Kept& one : kept) {
        const layout::Field& field = model.fields[one.field];
        layout::Values formValues = values;
        formValues.take(one.changes, one.field);
        const std::optional<CE2promData> formImage = built(model, formValues);
        if (image && formImage && image->bytes() == formImage->bytes())
            continue;
        const std::string how = image && formImage
                                    ? " (the image differs at " + differingBytes(*image, *formImage) + ")"
                                    : std::string();
        warnings.push_back("key " + inQuotes(field.key) + ": " +
                           inQuotes(utf8Of(layout::ShowValue(field, values, one.field))) +
                           " kept as given; the form shows " + inQuotes(utf8Of(one.follows)) +
                           " once " + inQuotes(model.fields[one.typed].key) + " is typed" + how);
    }
}

using GivenTexts = std::map<std::string, Given, std::less<>>;

constexpr const char* kSetting = "--set";

// Reads texts over `values`, each as ReadField reads it, a refusal naming where the text
// came from; then the fields the form fills once a text is typed and left follow it. The
// profile's texts stand together: a field it gives is kept whatever else it gives. A --set
// is typed over them: what it fills follows it, unless another --set gives that too.
void readGivenTexts(const layout::Model& model, const GivenTexts& texts, layout::Values& values,
                    std::vector<std::string>& warnings)
{
    std::vector<bool> given(model.fields.size(), false), fromFile(model.fields.size(), false),
        set(model.fields.size(), false);
    for (const auto& [key, value] : texts) {
        const std::size_t at = *layout::FieldIndex(model, key);
        try {
            ReadField(model, at, value.text, values, warnings);
        } catch (const Error& error) {
            throw Error(value.from.empty() ? error.what() : value.from + ": " + error.what());
        }
        given[at] = true;
        (value.from == kSetting ? set : fromFile)[at] = true;
    }
    std::vector<Kept> kept;
    FollowLeftBoxes(model, fromFile, given, values, kept);
    FollowLeftBoxes(model, set, set, values, kept);
    warnOfKept(model, kept, values, warnings);
}

} // namespace

void ReadTexts(const layout::Model& model, const FieldTexts& texts, layout::Values& values,
               std::vector<std::string>& warnings)
{
    GivenTexts given;
    for (const auto& [key, text] : texts)
        given[key] = {text, {}};
    readGivenTexts(model, given, values, warnings);
}

void RequireUtf8(std::string_view text, const std::string& what)
{
    try {
        json(std::string(text)).dump();
    } catch (const json::type_error&) {
        throw Error(what + ": not valid UTF-8 text");
    }
}

std::vector<Setting> SettingsOf(const std::vector<std::string>& arguments)
{
    std::vector<Setting> settings;
    for (const std::string& argument : arguments) {
        RequireUtf8(argument, "--set");
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos || equals == 0)
            throw Error("--set " + inQuotes(argument) + ": give KEY=TEXT");
        settings.push_back({argument.substr(0, equals), argument.substr(equals + 1)});
    }
    return settings;
}

Profile ReadProfile(const std::string& name, Models models, std::istream& in,
                    std::span<const Setting> settings)
{
    return ReadProfile(name, ReadInput(name, in), models, in, settings);
}

Profile ReadProfile(const std::string& name, std::span<const std::uint8_t> content,
                    Models models, std::istream& in, std::span<const Setting> settings)
{
    std::vector<fs::path> chain;
    Layer layer = readLayer(name, content, in, models, chain);
    Profile profile;
    profile.model = &ModelNamed(models, layer.model);
    const layout::Model& model = *profile.model;
    for (const Setting& setting : settings)
        layer.fields[fieldKey(model, setting.key, kSetting)] = {setting.text, kSetting};
    profile.values = layout::DefaultValues(model);
    readGivenTexts(model, layer.fields, profile.values, profile.warnings);
    return profile;
}

json ProfileValue(const layout::Field& field, const layout::Values& values, std::size_t at)
{
    if (field.kind == layout::Kind::Choice) {
        const std::int64_t index = values.index(at);
        if (index < 0 || static_cast<std::size_t>(index) >= field.items.size())
            return nullptr;
    }
    return utf8Of(layout::ShowValue(field, values, at));
}

nlohmann::ordered_json ProfileOf(const layout::Model& model, const layout::Values& values)
{
    nlohmann::ordered_json profile;
    profile["model"] = std::string(model.id);
    profile["fields"] = nlohmann::ordered_json::object();
    for (std::size_t at = 0; at < model.fields.size(); ++at)
        profile["fields"][std::string(model.fields[at].key)] =
            ProfileValue(model.fields[at], values, at);
    return profile;
}

nlohmann::ordered_json DefaultProfile(const layout::Model& model)
{
    return ProfileOf(model, layout::DefaultValues(model));
}

} // namespace cli
