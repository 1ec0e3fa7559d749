#include "layout/rules.h"

#include "layout/model.h"

#include <algorithm>
#include <cstdio>

namespace layout {

namespace {

bool ShowsNoItem(const Field& field, std::int64_t index)
{
    return index < 0 || static_cast<std::size_t>(index) >= field.items.size();
}

// Whether giving the field `value` changes what the image stores for it.
bool ChangesStored(const Field& field, const Values& values, std::size_t at,
                   std::string_view value)
{
    if (field.kind == Kind::Choice)
        return CodeOfIndex(field, values.index(at)) != CodeOfIndex(field, field.indexOf(value));
    return values.text(at) != value;
}

// The message with "%x" replaced by the index, in hex, as the number it is stored as.
std::string Told(std::string_view message, std::int64_t index)
{
    std::string told(message);
    if (const std::size_t at = told.find("%x"); at != std::string::npos) {
        char hex[20];
        std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(index));
        told.replace(at, 2, hex);
    }
    return told;
}

std::optional<Correction> Apply(const Model& model, const Rule& rule, const Values& values)
{
    if (!Holds(model, values, rule.when))
        return std::nullopt;
    Correction correction;
    bool changes = false;
    for (const Setting& setting : rule.sets) {
        const std::optional<std::size_t> at = FieldIndex(model, setting.key);
        if (!at)
            continue;
        const Field& field = model.fields[*at];
        changes = changes || ChangesStored(field, values, *at, setting.value);
        if (field.kind == Kind::Choice)
            correction.changes.setIndex(*at, field.indexOf(setting.value));
        else
            correction.changes.setText(*at, std::string(setting.value));
    }
    if (rule.onlyIfItChanges && !changes)
        return std::nullopt;
    const std::optional<std::size_t> condition = FieldIndex(model, rule.when.key);
    correction.message = Told(rule.message, condition ? values.index(*condition) : 0);
    return correction;
}

bool Follows(const Model& model, const Rule& rule, std::size_t field, const Values& now)
{
    const bool named = std::any_of(rule.picked.begin(), rule.picked.end(), [&](auto key) {
        return FieldIndex(model, key) == field;
    });
    return named && (rule.item.empty() || now.index(field) == model.fields[field].indexOf(rule.item));
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The keys the model has (a family's table may name ports it lacks).
std::string Keys(const Model& model, std::span<const std::string_view> keys)
{
    std::string joined;
    for (std::string_view key : keys)
        if (FindField(model.fields, key))
            joined += (joined.empty() ? "" : ", ") + std::string(key);
    return joined;
}

std::string Condition(const Shows& shows)
{
    if (shows.key.empty())
        return {};
    const std::string item = shows.item.empty() ? "no item" : Quoted(shows.item);
    return std::string(shows.key) + (shows.is ? " shows " : " shows other than ") + item;
}

std::string DescribeRule(const Model& model, const Rule& rule)
{
    std::string line = rule.on == On::Pick ? "picking " + (rule.item.empty() ? std::string("any item")
                                                                              : Quoted(rule.item)) +
                                                 " in " + Keys(model, rule.picked)
                                           : std::string("on Create");
    if (rule.own)
        return line + ": " + std::string(rule.about);
    if (const std::string condition = Condition(rule.when); !condition.empty())
        line += ", while " + condition;
    line += ":";
    for (const Setting& setting : rule.sets)
        if (FindField(model.fields, setting.key))
            line += " " + std::string(setting.key) + " = " + Quoted(setting.value) + ";";
    if (rule.onlyIfItChanges)
        line += " (when that changes something)";
    if (!rule.message.empty())
        line += " tells " + Quoted(rule.message);
    return line;
}

} // namespace

bool Holds(const Model& model, const Values& values, const Shows& shows)
{
    if (shows.key.empty())
        return true;
    const std::optional<std::size_t> at = FieldIndex(model, shows.key);
    if (!at)
        return false;
    const Field& field = model.fields[*at];
    const std::int64_t index = values.index(*at);
    const bool showsItem =
        shows.item.empty() ? ShowsNoItem(field, index) : index == field.indexOf(shows.item);
    return showsItem == shows.is;
}

std::optional<Correction> PickRule(const Model& model, std::size_t field, const Values& now)
{
    for (const Rule& rule : model.rules)
        if (rule.on == On::Pick && Follows(model, rule, field, now))
            if (std::optional<Correction> correction = Apply(model, rule, now))
                return correction;
    return std::nullopt;
}

std::vector<Correction> CreateRules(const Model& model, Values& values)
{
    std::vector<Correction> corrections;
    for (const Rule& rule : model.rules) {
        if (rule.on != On::Create)
            continue;
        std::optional<Correction> correction =
            rule.own ? rule.own(model, values) : Apply(model, rule, values);
        if (!correction)
            continue;
        if (!rule.showsOnly)
            values.overlay(correction->changes);
        corrections.push_back(std::move(*correction));
    }
    return corrections;
}

void ApplyEnabling(const Model& model, const Values& values, std::optional<std::size_t> changed,
                   std::vector<bool>& enabled)
{
    for (const EnabledIf& row : model.enabling) {
        const std::optional<std::size_t> condition = FieldIndex(model, row.when.key);
        if (!condition || (changed && *changed != *condition))
            continue;
        const bool on = Holds(model, values, row.when);
        for (std::string_view key : row.fields)
            if (const std::optional<std::size_t> at = FieldIndex(model, key))
                enabled[*at] = on;
    }
    for (std::size_t at = 0; at < model.fields.size(); ++at)
        if (model.fields[at].greyed)
            enabled[at] = false;
}

std::vector<std::string> DescribeRules(const Model& model)
{
    std::vector<std::string> lines;
    for (const Rule& rule : model.rules)
        lines.push_back(DescribeRule(model, rule));
    for (const EnabledIf& row : model.enabling)
        if (FindField(model.fields, row.when.key))
            lines.push_back(Keys(model, row.fields) + " enabled while " + Condition(row.when));
    for (std::string_view hook : model.hookRules)
        lines.emplace_back(hook);
    std::vector<std::string_view> greyed;
    for (const Field& field : model.fields)
        if (field.greyed)
            greyed.push_back(field.key);
    if (!greyed.empty())
        lines.push_back(Keys(model, greyed) + " always greyed");
    return lines;
}

std::vector<std::string> CheckRules(std::span<const Model* const> models)
{
    std::vector<std::string> problems;
    auto check = [&](std::string_view key, std::string_view item) {
        bool known = false;
        for (const Model* model : models) {
            const Field* field = FindField(model->fields, key);
            if (!field)
                continue;
            known = true;
            if (!item.empty() && field->kind == Kind::Choice && field->indexOf(item) < 0)
                problems.push_back(std::string(model->id) + ": a rule names " + Quoted(item) +
                                   ", which is not an item of " + std::string(key));
        }
        if (!known)
            problems.push_back("a rule names " + std::string(key) +
                               ", which no model of its family has");
    };
    // Each table once, however many models share it.
    std::vector<const void*> seen;
    auto firstTime = [&](const void* table) {
        if (!table || std::find(seen.begin(), seen.end(), table) != seen.end())
            return false;
        seen.push_back(table);
        return true;
    };
    for (const Model* model : models) {
        if (firstTime(model->rules.data()))
            for (const Rule& rule : model->rules) {
                for (std::string_view key : rule.picked)
                    check(key, rule.item);
                if (!rule.when.key.empty())
                    check(rule.when.key, rule.when.item);
                for (const Setting& setting : rule.sets)
                    check(setting.key, setting.value);
            }
        if (firstTime(model->enabling.data()))
            for (const EnabledIf& row : model->enabling) {
                check(row.when.key, row.when.item);
                for (std::string_view key : row.fields)
                    check(key, {});
            }
    }
    return problems;
}

} // namespace layout
