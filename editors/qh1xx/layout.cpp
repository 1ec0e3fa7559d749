#include "editors/qh1xx/layout.h"

#include "image/e2prom_data.h"

#include <array>
#include <utility>
#include <vector>

namespace qh1xx {

namespace {

using layout::Field;
using layout::Kind;
using layout::Place;
using Items = std::array<std::string_view, 2>;

constexpr Items kPowerModes{"Bus-Power", "Self-Power"};
constexpr Items kIndicators{"No-LED", "LED"};
constexpr Items kSpeeds{"High-Full", "Full Only"};
constexpr Items kTts{"Single TT", "Mult TT"};
constexpr Items kEops{"Enable EOP", "Disable EOP"};
constexpr std::array<std::string_view, 3> kSensing{"Gang", "Individual", "OCS Not Supported"};
constexpr Items kSensingQh102{"Gang", "OCS Not Supported"};
constexpr Items kGangIndividual{"Gang", "Individual"};
constexpr Items kNoYes{"No", "Yes"};
constexpr std::array<std::string_view, 4> kTimers{"0.1ms", "2ms", "4ms", "6ms"};
constexpr Items kRemovable{"Removeable", "Non-Removeable"};
constexpr Items kEnable{"Enable", "Disable"};

// The widest product-ID list, the QH107's: it also names the QH105 and QH106, which have
// no form of their own.
constexpr std::array<std::string_view, 5> kPidsQh107{"0103", "0104", "0105", "0106", "0107"};

constexpr std::string_view kOcsNotSupported = "OCS Not Supported";
constexpr std::uint8_t kFamilyByte = 0x01; // high byte of every family member's product ID
constexpr std::uint16_t kFirstConfigByte = 6;
constexpr std::uint16_t kLastConfigByte = 15;

constexpr FamilyField Word(std::string_view key, std::string_view label, std::uint16_t offset,
                           std::string_view defaultText)
{
    return {{.key = key, .label = label, .group = "Collect Data", .kind = Kind::Hex,
             .defaultText = defaultText, .place = {offset, 0, 16, false},
             .style = layout::HexStyle::Word}};
}

// The product ID: its text is the value, its items are offered to pick from.
constexpr FamilyField ProductId(std::string_view key, std::string_view label,
                                std::uint16_t offset, std::span<const std::string_view> items,
                                std::string_view defaultText)
{
    FamilyField entry = Word(key, label, offset, defaultText);
    entry.field.items = items;
    return entry;
}

constexpr FamilyField Byte(std::string_view key, std::string_view label, std::string_view group,
                           std::uint16_t offset, std::string_view defaultText)
{
    return {{.key = key, .label = label, .group = group, .kind = Kind::Hex,
             .defaultText = defaultText, .place = {offset, 0, 8}}};
}

constexpr FamilyField Choice(std::string_view key, std::string_view label,
                             std::string_view group, std::span<const std::string_view> items,
                             std::string_view defaultText, Place place)
{
    return {{.key = key, .label = label, .group = group, .items = items,
             .defaultText = defaultText, .place = place}};
}

// Bit n of a port bitmap carries port n.
constexpr FamilyField Port(std::string_view key, std::string_view label, int port, PortMap map)
{
    const bool fixed = map == PortMap::NonRemovable;
    const bool self = map == PortMap::DisableSelf;
    const std::uint16_t offset = fixed ? 8 : self ? 9 : 10;
    const std::string_view group = fixed  ? "Non Removable Device"
                                   : self ? "Port Disable Self Power"
                                          : "Port Disable Bus Power";
    FamilyField entry = Choice(key, label, group, fixed ? kRemovable : kEnable,
                               fixed ? "Removeable" : "Enable",
                               {offset, static_cast<std::uint8_t>(port), 1});
    entry.port = port;
    entry.map = map;
    return entry;
}

constexpr PortMap kFixed = PortMap::NonRemovable;
constexpr PortMap kBus = PortMap::DisableBus;
constexpr PortMap kSelf = PortMap::DisableSelf;

// Every field of the family: every port and option, the widest product-ID list, and the
// defaults most models share.
constexpr std::array kFamily{
    Word(kVid, "VID (Hex)", 0, "7A7A"),
    ProductId(kPid, "PID (Hex)", 2, kPidsQh107, "0107"),
    Word("did", "DID (Hex)", 4, "0000"),
    Byte("power_on_timer", "Power-On Timer (Hex)", "Collect Data", 15, "32"),
    Byte("bus_max_power", "Max Power (Hex)", "Bus Power", 12, "64"),
    Byte("bus_hub_current", "Hub Controller Current (Hex)", "Bus Power", 14, "64"),
    Byte("self_max_power", "Max Power (Hex)", "Self Power", 11, "01"),
    Byte("self_hub_current", "Hub Controller Current (Hex)", "Self Power", 13, "01"),

    Choice(kSelfBusPower, "Self-/Bus-Power", "Config Data Byte 1", kPowerModes, "Bus-Power",
           {6, 7, 1}),
    Choice("port_indicators", "Port Indicators", "Config Data Byte 1", kIndicators, "No-LED",
           {6, 6, 1}),
    Choice("high_speed_disable", "High-Speed Disable", "Config Data Byte 1", kSpeeds,
           "High-Full", {6, 5, 1}),
    Choice("multi_tt", "Multiple-TT Support", "Config Data Byte 1", kTts, "Mult TT", {6, 4, 1}),
    Choice("eop_disable", "EOP Disable", "Config Data Byte 1", kEops, "Disable EOP", {6, 3, 1}),
    Choice(kCurrentSensing, "Current Sensing", "Config Data Byte 1", kSensing, kOcsNotSupported,
           {6, 1, 2}),
    Choice("port_power_enabling", "Downstream Port Power Enabling", "Config Data Byte 1",
           kGangIndividual, "Gang", {6, 0, 1}),

    // Bit 6 (the OTG enable the form shows greyed) and bits 2 to 0 are always written 0.
    Choice("dynamic_power", "Dynamic Power", "Config Data Byte 2", kNoYes, "Yes", {7, 7, 1}),
    Choice(kOverCurrentTimer, "Over-Current Timer", "Config Data Byte 2", kTimers, "2ms",
           {7, 4, 2}),
    Choice(kCompoundDevice, "Compound Device", "Config Data Byte 2", kNoYes, "No", {7, 3, 1}),

    Port("port1_non_removable", "Port 1 Non-Removable", 1, kFixed),
    Port("port2_non_removable", "Port 2 Non-Removable", 2, kFixed),
    Port("port3_non_removable", "Port 3 Non-Removable", 3, kFixed),
    Port("port4_non_removable", "Port 4 Non-Removable", 4, kFixed),
    Port("port5_non_removable", "Port 5 Non-Removable", 5, kFixed),
    Port("port6_non_removable", "Port 6 Non-Removable", 6, kFixed),
    Port("port7_non_removable", "Port 7 Non-Removable", 7, kFixed),
    Port("port1_disable_bus", "Port 1 Disable", 1, kBus),
    Port("port2_disable_bus", "Port 2 Disable", 2, kBus),
    Port("port3_disable_bus", "Port 3 Disable", 3, kBus),
    Port("port4_disable_bus", "Port 4 Disable", 4, kBus),
    Port("port5_disable_bus", "Port 5 Disable", 5, kBus),
    Port("port6_disable_bus", "Port 6 Disable", 6, kBus),
    Port("port7_disable_bus", "Port 7 Disable", 7, kBus),
    Port("port1_disable_self", "Port 1 Disable", 1, kSelf),
    Port("port2_disable_self", "Port 2 Disable", 2, kSelf),
    Port("port3_disable_self", "Port 3 Disable", 3, kSelf),
    Port("port4_disable_self", "Port 4 Disable", 4, kSelf),
    Port("port5_disable_self", "Port 5 Disable", 5, kSelf),
    Port("port6_disable_self", "Port 6 Disable", 6, kSelf),
    Port("port7_disable_self", "Port 7 Disable", 7, kSelf),
};

// A value a model sets its own way; empty members keep the family's.
struct Difference {
    std::string_view key;
    std::span<const std::string_view> items = {};
    std::string_view defaultText = {};
    std::optional<Place> place = {};
};

struct Variant {
    std::string_view id;
    std::string_view name;
    std::string_view description;
    int ports; // downstream ports, also the model byte (offset 2) of its product ID
    std::span<const std::string_view> absent;
    std::span<const Difference> differences;
};

constexpr std::array<std::string_view, 1> kPidsQh102{"0102"};
constexpr std::array<std::string_view, 2> kPidsQh103{"0103", "0104"};

constexpr std::array<std::string_view, 3> kAbsentOnQh102{"port_indicators", "multi_tt",
                                                         "port_power_enabling"};
constexpr std::array kQh102{
    Difference{.key = kPid, .items = kPidsQh102, .defaultText = "0102"},
    // Two items, stored in bit 2 alone: "OCS Not Supported" sets the bit that the
    // three-item list's value 10 sets.
    Difference{.key = kCurrentSensing, .items = kSensingQh102, .place = Place{6, 2, 1}},
};
constexpr std::array kQh103{Difference{.key = kPid, .items = kPidsQh103, .defaultText = "0103"}};
constexpr std::array kQh104{Difference{.key = kPid, .items = kPidsQh103, .defaultText = "0104"}};
constexpr std::array kQh107{
    Difference{.key = "bus_max_power", .defaultText = "01"},
    Difference{.key = "bus_hub_current", .defaultText = "01"},
};

constexpr std::array<Variant, 4> kVariants{{
    {"qh102", "QH102", "QH1xx family, two downstream ports", 2, kAbsentOnQh102, kQh102},
    {"qh103", "QH103", "QH1xx family, three downstream ports", 3, {}, kQh103},
    {"qh104", "QH104", "QH1xx family, four downstream ports", 4, {}, kQh104},
    {"qh107", "QH107", "QH1xx family, seven downstream ports", 7, {}, kQh107},
}};

constexpr std::array<layout::UnusedBytes, 1> kUnused{{{16, 255, "not used by this family"}}};

bool Has(std::span<const std::string_view> keys, std::string_view key)
{
    for (std::string_view each : keys)
        if (each == key)
            return true;
    return false;
}

std::vector<Field> FieldsOf(const Variant& variant)
{
    std::vector<Field> fields;
    for (const FamilyField& entry : kFamily) {
        if (entry.port > variant.ports || Has(variant.absent, entry.field.key))
            continue;
        Field field = entry.field;
        for (const Difference& difference : variant.differences) {
            if (difference.key != field.key)
                continue;
            if (!difference.items.empty())
                field.items = difference.items;
            if (!difference.defaultText.empty())
                field.defaultText = difference.defaultText;
            if (difference.place)
                field.place = *difference.place;
        }
        fields.push_back(field);
    }
    return fields;
}

layout::EncodeResult Encode(const layout::Model& model, const layout::Values& given,
                            CE2promData& image);
layout::DecodeResult Decode(const layout::Model& model, const CE2promData& image);
std::optional<std::string> ForeignImageQuestion(const CE2promData& loaded);
layout::DisplayChoice ChooseDisplayModel(const CE2promData& loaded, const layout::Model& current);

template <std::size_t I>
layout::EncodeResult EncodeModel(const layout::Values& values, CE2promData& image);
template <std::size_t I>
layout::DecodeResult DecodeModel(const CE2promData& image);

// The four descriptions, built once from the family table and the variants.
struct Family {
    std::array<std::vector<Field>, kVariants.size()> fields;
    std::array<layout::Model, kVariants.size()> models;

    Family() { build(std::make_index_sequence<kVariants.size()>{}); }

    template <std::size_t... I>
    void build(std::index_sequence<I...>)
    {
        ((fields[I] = FieldsOf(kVariants[I]),
          models[I] = layout::Model{.id = kVariants[I].id,
                                    .name = kVariants[I].name,
                                    .description = kVariants[I].description,
                                    .fields = fields[I],
                                    .unused = kUnused,
                                    .readHex = layout::ScanHex,
                                    .hexTextLimit = 7,
                                    .loadSize = 16,
                                    .exactLoadSize = false,
                                    .encode = EncodeModel<I>,
                                    .decode = DecodeModel<I>,
                                    .foreignImageQuestion = ForeignImageQuestion,
                                    .chooseDisplayModel = ChooseDisplayModel}),
         ...);
    }
};

const Family& TheFamily()
{
    static const Family family;
    return family;
}

template <std::size_t I>
layout::EncodeResult EncodeModel(const layout::Values& values, CE2promData& image)
{
    return Encode(TheFamily().models[I], values, image);
}

template <std::size_t I>
layout::DecodeResult DecodeModel(const CE2promData& image)
{
    return Decode(TheFamily().models[I], image);
}

bool IsItem(const Field& field, std::int64_t index)
{
    return index >= 0 && static_cast<std::size_t>(index) < field.items.size();
}

const FamilyField* FamilyEntry(std::string_view key)
{
    for (const FamilyField& entry : kFamily)
        if (entry.field.key == key)
            return &entry;
    return nullptr;
}

layout::EncodeResult Encode(const layout::Model& model, const layout::Values& given,
                            CE2promData& image)
{
    layout::EncodeResult result;
    layout::Values values = given;

    // A list without a selection stores its first item. Only the timer tells the user,
    // and its list is set to match what is written.
    for (const Field& field : model.fields) {
        const std::int64_t found = values.number(field.key, layout::kNoSelection);
        if (field.kind != Kind::Choice || IsItem(field, found))
            continue;
        values.numbers[std::string(field.key)] = 0;
        if (field.key == kOverCurrentTimer)
            result.corrections.push_back(
                {layout::Format("Over-Current Timer:Invalid value 0x%x, default to 0x0",
                                static_cast<unsigned>(found)),
                 {{std::string(kOverCurrentTimer), 0}}});
    }

    // Only a compound device may have non-removable ports.
    if (values.number(kCompoundDevice) == 0) {
        layout::Correction removable{
            "Compound device field is set to 'No', all of the ports will set to Removable", {}};
        bool anyFixed = false;
        for (const Field& field : model.fields) {
            const FamilyField* entry = FamilyEntry(field.key);
            if (!entry || entry->map != PortMap::NonRemovable)
                continue;
            anyFixed = anyFixed || values.number(field.key) == 1;
            values.numbers[std::string(field.key)] = 0;
            removable.updates.emplace_back(field.key, 0);
        }
        if (anyFixed)
            result.corrections.push_back(std::move(removable));
    }

    // Bits without a field on this model (absent ports, the QH102's missing options,
    // reserved bits) are written 0.
    for (std::uint16_t offset = kFirstConfigByte; offset <= kLastConfigByte; ++offset)
        image.SetByte(0, offset);
    for (const Field& field : model.fields)
        layout::EncodePlainField(field, values, image);
    return result;
}

// Bits 11 name no item; they read as "OCS Not Supported", so the next build writes 10.
void DecodeCurrentSensing(const Field& field, const CE2promData& image, layout::Values& values)
{
    int index = layout::IndexOfCode(field, layout::GetBits(image, field.place));
    if (index < 0)
        index = field.indexOf(kOcsNotSupported);
    values.numbers[std::string(field.key)] = index;
}

layout::DecodeResult Decode(const layout::Model& model, const CE2promData& image)
{
    layout::DecodeResult result;
    for (const Field& field : model.fields) {
        if (field.key == kCurrentSensing)
            DecodeCurrentSensing(field, image, result.values);
        else
            layout::DecodePlainField(field, image, result.values);
    }
    return result;
}

std::optional<std::string> ForeignImageQuestion(const CE2promData& loaded)
{
    if (loaded.GetByte(3) == kFamilyByte)
        return std::nullopt;
    return layout::Format("Dev PID %X%X is not QH1xx. Click OK to go on, Cancel to abort",
                          static_cast<unsigned>(loaded.GetByte(2)),
                          static_cast<unsigned>(loaded.GetByte(3)));
}

// The model byte is the port count; product IDs of models without a form of their own
// (0105, 0106) are shown through the QH107's if the user agrees.
layout::DisplayChoice ChooseDisplayModel(const CE2promData& loaded, const layout::Model&)
{
    const Family& family = TheFamily();
    for (std::size_t i = 0; i < kVariants.size(); ++i)
        if (kVariants[i].ports == loaded.GetByte(2))
            return {.model = &family.models[i]};
    return {.question = "Select QH107 as display template", .ifYes = &Qh107()};
}

} // namespace

std::span<const FamilyField> FamilyFields() { return kFamily; }

const layout::Model* ModelOfIndex(int modelIndex)
{
    if (modelIndex < kFirstModelIndex || modelIndex > kLastModelIndex)
        return nullptr;
    return &TheFamily().models[static_cast<std::size_t>(modelIndex - kFirstModelIndex)];
}

int IndexOfModel(const layout::Model& model)
{
    for (int index = kFirstModelIndex; index <= kLastModelIndex; ++index)
        if (ModelOfIndex(index) == &model)
            return index;
    return 0;
}

const layout::Model& Qh102() { return TheFamily().models[0]; }
const layout::Model& Qh103() { return TheFamily().models[1]; }
const layout::Model& Qh104() { return TheFamily().models[2]; }
const layout::Model& Qh107() { return TheFamily().models[3]; }

std::optional<layout::Correction> RuleOnChoice(const layout::Model& model, std::string_view key,
                                               std::int64_t index,
                                               const layout::Values& current)
{
    const FamilyField* entry = FamilyEntry(key);
    if (entry && entry->map == PortMap::NonRemovable) {
        if (index != 1 || current.number(kCompoundDevice, layout::kNoSelection) != 0)
            return std::nullopt;
        return layout::Correction{
            "Non-Removable has been selected, Compound device field will set to Yes",
            {{std::string(kCompoundDevice), 1}}};
    }
    if (key == kSelfBusPower) {
        const Field* sensing = layout::FindField(model.fields, kCurrentSensing);
        if (!sensing)
            return std::nullopt;
        const int target = sensing->indexOf(index == 1 ? "Gang" : kOcsNotSupported);
        return layout::Correction{{}, {{std::string(kCurrentSensing), target}}};
    }
    return std::nullopt;
}

} // namespace qh1xx
