#include "editors/qh1xx/core/layout.h"

#include "image/e2prom_data.h"
#include "layout/family.h"
#include "layout/fields.h"

#include <algorithm>
#include <array>
#include <vector>

namespace qh1xx {

namespace {

using layout::Field;
using layout::Kind;
using layout::Place;
using layout::Show;
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

// A hex box takes seven characters, scanned as one number; a byte shows as "%x".
constexpr layout::BoxStyle kBoxes{.wordLimit = 7, .byteLimit = 7, .byteShow = Show::HexLower};
constexpr std::string_view kCollectData = "Collect Data";
constexpr std::string_view kConfig1 = "Config Data Byte 1";
constexpr std::string_view kConfig2 = "Config Data Byte 2";
namespace hub = layout::hub;

// The product ID: its text is the value, its items are offered to pick from.
constexpr Field ProductId(std::string_view label, std::span<const std::string_view> items,
                          std::string_view defaultText)
{
    Field field = kBoxes.word(hub::kPid, label, kCollectData, defaultText);
    field.items = items;
    return field;
}

using layout::Choice;

// Bit n of a port bitmap carries port n.
constexpr FamilyField Port(std::string_view key, std::string_view label, int port, PortMap map)
{
    const bool fixed = map == PortMap::NonRemovable;
    const bool self = map == PortMap::DisableSelf;
    const std::uint16_t offset = fixed ? 8 : self ? 9 : 10;
    const std::string_view group = fixed  ? "Non Removable Device"
                                   : self ? "Port Disable Self Power"
                                          : "Port Disable Bus Power";
    return {Choice(key, label, group, fixed ? kRemovable : kEnable, fixed ? "Removeable" : "Enable",
                   {offset, static_cast<std::uint8_t>(port), 1}),
            port, map};
}

constexpr PortMap kFixed = PortMap::NonRemovable;
constexpr PortMap kBus = PortMap::DisableBus;
constexpr PortMap kSelf = PortMap::DisableSelf;

// Every field of the family: every port and option, the widest product-ID list, and the
// defaults most models share.
constexpr FamilyField kFamily[]{
    {kBoxes.word(hub::kVid, "VID (Hex)", kCollectData, "7A7A")},
    {ProductId("PID (Hex)", kPidsQh107, "0107")},
    {kBoxes.word(hub::kDid, "DID (Hex)", kCollectData, "0000")},
    // The power values and the power-on time at the family's own places.
    {kBoxes.byte(hub::kPowerOnTime.key, "Power-On Timer (Hex)", kCollectData, 15, "32")},
    {kBoxes.byte(hub::kBusMaxPower.key, "Max Power (Hex)", "Bus Power", 12, "64")},
    {kBoxes.byte(hub::kBusHubCurrent.key, "Hub Controller Current (Hex)", "Bus Power", 14, "64")},
    {kBoxes.byte(hub::kSelfMaxPower.key, "Max Power (Hex)", "Self Power", 11, "01")},
    {kBoxes.byte(hub::kSelfHubCurrent.key, "Hub Controller Current (Hex)", "Self Power", 13,
                 "01")},

    {Choice(hub::kSelfBusPower, "Self-/Bus-Power", kConfig1, kPowerModes, "Bus-Power")},
    {Choice(hub::kPortIndicators, "Port Indicators", kConfig1, kIndicators, "No-LED")},
    {Choice(hub::kHighSpeedDisable, "High-Speed Disable", kConfig1, kSpeeds, "High-Full")},
    {Choice(hub::kMultipleTt, "Multiple-TT Support", kConfig1, kTts, "Mult TT")},
    {Choice(hub::kEopDisable, "EOP Disable", kConfig1, kEops, "Disable EOP")},
    // Bits 11 name no item; they read as "OCS Not Supported", so the next build writes 10.
    {Choice(hub::kCurrentSensing, "Current Sensing", kConfig1, kSensing, kOcsNotSupported,
            kOcsNotSupported)},
    {Choice(hub::kPortPower, "Downstream Port Power Enabling", kConfig1, kGangIndividual,
            "Gang")},

    // Bit 6 (the OTG enable the form shows greyed) and bits 2 to 0 are always written 0.
    {Choice(hub::kDynamicPower, "Dynamic Power", kConfig2, kNoYes, "Yes")},
    {Choice(hub::kOverCurrentTimer, "Over-Current Timer", kConfig2, kTimers, "2ms")},
    {Choice(hub::kCompoundDevice, "Compound Device", kConfig2, kNoYes, "No")},

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

using layout::Difference;

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

constexpr std::array<std::string_view, 3> kAbsentOnQh102{
    hub::kPortIndicators.key, hub::kMultipleTt.key, hub::kPortPower.key};
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

std::vector<Field> FieldsOf(const Variant& variant)
{
    std::vector<Field> fields;
    for (const FamilyField& entry : kFamily)
        if (entry.port <= variant.ports)
            fields.push_back(entry.field);
    return layout::WithDifferences(std::move(fields), variant.absent, variant.differences);
}

// The family's rules are rows of data: its models need nothing else to be found.
struct NoExtra {};

// A non-removable port makes the hub a compound device (with a message), and the power
// mode decides the current sensing (silently). A Create tells of a timer list that shows no
// item (it stores the first), and makes every port removable on a hub that is no compound
// device.
using layout::On;
using layout::Setting;
constexpr std::array<std::string_view, 7> kNonRemovableKeys{
    "port1_non_removable", "port2_non_removable", "port3_non_removable", "port4_non_removable",
    "port5_non_removable", "port6_non_removable", "port7_non_removable"};
constexpr std::array<std::string_view, 1> kPowerSourceKey{kSelfBusPower};
constexpr Setting kCompoundYes[]{{kCompoundDevice, "Yes"}};
constexpr Setting kGangSensing[]{{kCurrentSensing, "Gang"}};
constexpr Setting kNoSensing[]{{kCurrentSensing, kOcsNotSupported}};
constexpr Setting kFirstTimer[]{{kOverCurrentTimer, "0.1ms"}};
constexpr std::array<Setting, 7> AllRemovable()
{
    std::array<Setting, 7> settings{};
    for (std::size_t port = 0; port < settings.size(); ++port)
        settings[port] = {kNonRemovableKeys[port], "Removeable"};
    return settings;
}
constexpr std::array<Setting, 7> kAllRemovable = AllRemovable();

constexpr layout::Rule kRules[]{
    {.picked = kNonRemovableKeys, .item = "Non-Removeable", .when = {kCompoundDevice, "No"},
     .sets = kCompoundYes,
     .message = "Non-Removable has been selected, Compound device field will set to Yes"},
    {.picked = kPowerSourceKey, .item = "Self-Power", .sets = kGangSensing},
    {.picked = kPowerSourceKey, .item = "Bus-Power", .sets = kNoSensing},
    {.on = On::Create, .when = {kOverCurrentTimer, ""}, .sets = kFirstTimer,
     .message = "Over-Current Timer:Invalid value 0x%x, default to 0x0"},
    {.on = On::Create, .when = {kCompoundDevice, "No"}, .sets = kAllRemovable,
     .message = "Compound device field is set to 'No', all of the ports will set to Removable",
     .onlyIfItChanges = true},
};

std::optional<std::string> ForeignImageQuestion(const layout::Model&, const CE2promData& loaded);
layout::DisplayChoice ChooseDisplayModel(const layout::Model&, const CE2promData& loaded);

// The "Collect Data" box: IDs top left, the two power boxes top right; the configuration
// bytes and the non-removable ports in the left column over "Create EEPROM File", their
// lists lined up; the port-disable boxes (ports 1 to 4 in a first column, 5 to 7 in a
// second) over the listing in the right column; the input file line at the bottom. Bit 6
// of the second byte has a list on the form that never offers a value.
using layout::Node;
using layout::Part;
constexpr layout::ListRow kOtgEnable[]{{"otg_enable", "OTG Enable", hub::kDynamicPower.key}};
constexpr Node kPowers[]{layout::Group("Bus Power"), layout::Group("Self Power")};
constexpr Node kLeftColumn[]{
    layout::Group(kConfig1),
    {.part = Part::Group, .name = kConfig2, .lists = kOtgEnable},
    layout::Group("Non Removable Device"),
    {.part = Part::Control, .name = "create", .align = layout::Align::Left},
};
constexpr Node PortDisable(std::string_view caption)
{
    return {.part = Part::Group, .name = caption, .columns = 2, .columnGap = 100, .packed = true};
}
constexpr Node kRightColumn[]{
    PortDisable("Port Disable Bus Power"),
    PortDisable("Port Disable Self Power"),
    {.part = Part::Control, .name = "listing", .stretch = 1},
};
constexpr Node kCollectParts[]{
    {.part = Part::Group, .name = kCollectData, .row = 0, .column = 0, .boxed = false,
     .roomBelowRight = true},
    {.part = Part::Line, .parts = kPowers, .row = 0, .column = 1},
    {.part = Part::Stack, .parts = kLeftColumn, .row = 1, .column = 0, .linedUp = true},
    {.part = Part::Stack, .parts = kRightColumn, .row = 1, .column = 1, .roomAtEnd = false},
    {.part = Part::Control, .name = "input", .row = 2, .column = 0, .columnSpan = 2},
};
constexpr layout::Page kPages[]{
    {"", {.part = Part::Grid, .name = kCollectData, .parts = kCollectParts}}};

layout::MadeModel MakeModel(std::size_t at)
{
    const Variant& variant = kVariants[at];
    return {{.id = variant.id,
             .name = variant.name,
             .description = variant.description,
             .family = kFamilyId,
             .unused = kUnused,
             .readHex = layout::HexReading::Scanned,
             .start = layout::CreateStart::KeepHolder,
             .loadSize = 16,
             .exactLoadSize = false,
             .foreignImageQuestion = ForeignImageQuestion,
             .chooseDisplayModel = ChooseDisplayModel,
             .rules = kRules,
             .pages = kPages,
             .window = {.kind = layout::WindowKind::Beside,
                        .wholeFamily = true,
                        .fields = FormFields}},
            FieldsOf(variant)};
}

// The four descriptions, built once from the family table and the variants.
const layout::FamilyModels<NoExtra>& TheFamily()
{
    static const layout::FamilyModels<NoExtra> family(kVariants.size(), MakeModel,
                                                      [](const layout::Model&) { return NoExtra{}; });
    return family;
}

std::optional<std::string> ForeignImageQuestion(const layout::Model&, const CE2promData& loaded)
{
    if (loaded.GetByte(3) == kFamilyByte)
        return std::nullopt;
    return layout::Format("Dev PID %X%X is not QH1xx. Click OK to go on, Cancel to abort",
                          static_cast<unsigned>(loaded.GetByte(2)),
                          static_cast<unsigned>(loaded.GetByte(3)));
}

// The model byte is the port count; product IDs of models without a form of their own
// (0105, 0106) are shown through the QH107's if the user agrees.
layout::DisplayChoice ChooseDisplayModel(const layout::Model&, const CE2promData& loaded)
{
    for (std::size_t i = 0; i < kVariants.size(); ++i)
        if (kVariants[i].ports == loaded.GetByte(2))
            return {.model = &Models()[i]};
    return {.question = "Select QH107 as display template", .ifYes = &Qh107()};
}

} // namespace

std::span<const FamilyField> FamilyFields() { return kFamily; }

std::span<const layout::Field> FormFields()
{
    static const std::vector<Field> fields = [] {
        std::vector<Field> all;
        for (const FamilyField& entry : kFamily)
            all.push_back(entry.field);
        return all;
    }();
    return fields;
}

std::span<const layout::Model> Models() { return TheFamily().models(); }

const layout::Model& Qh102() { return Models()[0]; }
const layout::Model& Qh103() { return Models()[1]; }
const layout::Model& Qh104() { return Models()[2]; }
const layout::Model& Qh107() { return Models()[3]; }

} // namespace qh1xx
