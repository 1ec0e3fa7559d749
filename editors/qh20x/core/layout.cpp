#include "editors/qh20x/core/layout.h"

#include "image/e2prom_data.h"
#include "layout/family.h"
#include "layout/fields.h"

#include <algorithm>
#include <optional>
#include <array>
#include <vector>

namespace qh20x {

namespace {

using layout::Field;
using layout::Kind;
using layout::Place;
using layout::Show;
using Items2 = std::array<std::string_view, 2>;

constexpr Items2 kPowerModes{"Bus Power", "Self Power"};
constexpr Items2 kSpeeds{"High/Full Speed", "Full Speed Only"};
constexpr Items2 kTts{"Single TT", "Multiple TT"};
constexpr Items2 kEops{"Enable EOP", "EOP disabled"};
constexpr std::array<std::string_view, 3> kSensing{"Gang", "Individual", "OCS Not Supported"};
constexpr Items2 kGangIndividual{"Gang", "Individual"};
constexpr Items2 kNoYes{"No", "Yes"};
constexpr std::array<std::string_view, 4> kTimers{".1 ms", "4 ms", "8 ms", "16 ms"};
constexpr Items2 kRemaps{"Standard", "Port Re-Map"};
constexpr Items2 kLeds{"USB", "Speed Indication"};
constexpr Items2 kStrings{"Strings Disabled", "Strings Enabled"};
constexpr Items2 kRemovable{"Removable", "Non-removable"};
constexpr Items2 kAvailable{"Available", "Disabled"};
constexpr std::array<std::string_view, 4> kBoosts{"Normal", "Elevate + 4%", "Elevate + 8%",
                                                  "Elevate + 12%"};
constexpr Items2 kSwaps{"Default", "Swapped"};
// A model's port-map list is the first entries of this one: up to its highest logical port.
constexpr std::array<std::string_view, 8> kMaps{
    "Port Disabled",         "Map to Logical Port 1", "Map to Logical Port 2",
    "Map to Logical Port 3", "Map to Logical Port 4", "Map to Logical Port 5",
    "Map to Logical Port 6", "Map to Logical Port 7"};

constexpr std::array<std::string_view, 8> kPortLabels{"Port 0", "Port 1", "Port 2", "Port 3",
                                                      "Port 4", "Port 5", "Port 6", "Port 7"};

// The port fields of each kind, by port number (port 0 exists only for the swap).
enum class Role { None, NonRemovable, DisableSelf, DisableBus, Boost, Map, Swap };

struct PortKind {
    std::array<std::string_view, 8> keys;
    std::string_view group;
    std::span<const std::string_view> items;
};

constexpr PortKind kNonRemovable{
    {"", "port1_non_removable", "port2_non_removable", "port3_non_removable",
     "port4_non_removable", "port5_non_removable", "port6_non_removable", "port7_non_removable"},
    "Non-Removable Device", kRemovable};
constexpr PortKind kDisableSelf{
    {"", "port1_disable_self", "port2_disable_self", "port3_disable_self", "port4_disable_self",
     "port5_disable_self", "port6_disable_self", "port7_disable_self"},
    "Self Power", kAvailable};
constexpr PortKind kDisableBus{
    {"", "port1_disable_bus", "port2_disable_bus", "port3_disable_bus", "port4_disable_bus",
     "port5_disable_bus", "port6_disable_bus", "port7_disable_bus"},
    "Bus Power", kAvailable};
constexpr PortKind kBoost{
    {"", "port1_boost", "port2_boost", "port3_boost", "port4_boost", "port5_boost",
     "port6_boost", "port7_boost"},
    kGroupBoost, kBoosts};
constexpr PortKind kMap{
    {"", "port1_map", "port2_map", "port3_map", "port4_map", "port5_map", "port6_map",
     "port7_map"},
    kGroupPortMap, kMaps};
constexpr PortKind kSwap{
    {"port0_swap", "port1_swap", "port2_swap", "port3_swap", "port4_swap", "port5_swap",
     "port6_swap", "port7_swap"},
    kGroupPortSwap, kSwaps};

// A field of the family table and, for a port field, its port and what it sets for it.
struct FamilyField {
    Field field;
    int port = -1;
    Role role = Role::None;
};

// A hex box takes as many digits as its value has; a byte shows as "%02x". A string's
// length is filled by the form as the string is left.
constexpr layout::BoxStyle kBoxes{.wordLimit = 4, .byteLimit = 2, .byteShow = Show::HexLower2,
                                  .lengthShow = Show::Decimal2, .lengthsFilledByForm = true};
constexpr std::string_view kIds = "IDs";
constexpr std::string_view kConfig1 = "Config Data Byte 1";
constexpr std::string_view kConfig2 = "Config Data Byte 2";
constexpr std::string_view kConfig3 = "Config Data Byte 3";
constexpr std::string_view kStringGroup = "String Descriptor Fields";
namespace hub = layout::hub;

// Stored high byte first, shown as its two bytes in lower case ("%02x%02x").
constexpr Field LangId()
{
    Field field = kBoxes.word(hub::kLangId, "Lang ID (Hex)", kIds, "0000", true);
    field.show = Show::HexLower4;
    return field;
}

using layout::Choice;

// Where a port's bits live for each kind of port field.
constexpr Place PortPlace(Role role, int port)
{
    const auto n = static_cast<std::uint8_t>(port);
    switch (role) {
    case Role::NonRemovable: return {0x09, n, 1};
    case Role::DisableSelf: return {0x0A, n, 1};
    case Role::DisableBus: return {0x0B, n, 1};
    // Ports 1 to 4 two bits each from the bottom of 0xF8, ports 5 to 7 of 0xF7.
    case Role::Boost:
        return n <= 4 ? Place{0xF8, static_cast<std::uint8_t>(2 * (n - 1)), 2}
                      : Place{0xF7, static_cast<std::uint8_t>(2 * (n - 5)), 2};
    // Two ports a byte from 0xFB, the lower-numbered in the low nibble; port 7 alone in
    // 0xFE, read from its low nibble and written as the whole byte.
    case Role::Map:
        return {static_cast<std::uint16_t>(0xFB + (n - 1) / 2),
                static_cast<std::uint8_t>(4 * ((n - 1) % 2)), 4};
    case Role::Swap: return {0xFA, n, 1};
    case Role::None: break;
    }
    return {};
}

constexpr FamilyField Port(Role role, const PortKind& kind, int port)
{
    const auto n = static_cast<std::size_t>(port);
    return {Choice(kind.keys[n], kPortLabels[n], kind.group, kind.items, kind.items[0],
                   PortPlace(role, port), role == Role::Map ? kMaps[0] : std::string_view()),
            port, role};
}

template <std::size_t N>
constexpr void AddPorts(std::array<FamilyField, N>& table, std::size_t& at, Role role,
                        const PortKind& kind, int first, int last)
{
    for (int port = first; port <= last; ++port)
        table[at++] = Port(role, kind, port);
}

constexpr std::size_t kFamilySize = 71;

// Every field of the family in form order: the main page, then the additional page.
constexpr std::array<FamilyField, kFamilySize> MakeFamily()
{
    std::array<FamilyField, kFamilySize> table{};
    std::size_t at = 0;
    for (const Field& field : {
             kBoxes.word(hub::kVid, "VID (Hex)", kIds, "7A7A"),
             kBoxes.word(hub::kPid, "PID (Hex)", kIds, "0207"),
             kBoxes.word(hub::kDid, "DID (Hex)", kIds, "0000"),
             LangId(),
             Choice(hub::kSelfBusPower, "Self/Bus Power", kConfig1, kPowerModes, "Self Power"),
             Choice(hub::kHighSpeedDisable, "High-Speed Disable", kConfig1, kSpeeds,
                    "High/Full Speed"),
             Choice(hub::kMultipleTt, "Multiple-TT Support", kConfig1, kTts, "Multiple TT"),
             Choice(hub::kEopDisable, "EOP Disable", kConfig1, kEops, "EOP disabled"),
             // Bits 11 are never written; they read as "OCS Not Supported".
             Choice(hub::kCurrentSensing, "Current Sensing", kConfig1, kSensing, "Individual",
                    "OCS Not Supported"),
             Choice(hub::kPortPower, "Downstream Port Power Enabling", kConfig1, kGangIndividual,
                    "Individual"),
             Choice(hub::kDynamicPower, "Dynamic Power", kConfig2, kNoYes, "No"),
             Choice(hub::kOverCurrentTimer, "Over-Current Timer", kConfig2, kTimers, "8 ms"),
             Choice(hub::kCompoundDevice, "Compound Device", kConfig2, kNoYes, "No"),
             Choice(kPortRemap, "Port Re-Mapping Enable", kConfig3, kRemaps, "Standard",
                    {0x08, 3, 1}),
             // Only 01 is "Speed Indication"; 10 and 11 read as "USB".
             Choice(hub::kLedMode, "LED Mode", kConfig3, kLeds, "USB", "USB"),
             Choice(hub::kStringEnable, "String Descriptor Enable", kConfig3, kStrings,
                    "Strings Disabled"),
         })
        table[at++] = {field};
    AddPorts(table, at, Role::NonRemovable, kNonRemovable, 1, 7);
    AddPorts(table, at, Role::DisableSelf, kDisableSelf, 1, 7);
    table[at++] = {kBoxes.byte(hub::kSelfMaxPower, "Max Power (Hex)", "Self Power", "01")};
    table[at++] = {
        kBoxes.byte(hub::kSelfHubCurrent, "Max Hub Controller Current (Hex)", "Self Power", "01")};
    AddPorts(table, at, Role::DisableBus, kDisableBus, 1, 7);
    table[at++] = {kBoxes.byte(hub::kBusMaxPower, "Max Power (Hex)", "Bus Power", "32")};
    table[at++] = {
        kBoxes.byte(hub::kBusHubCurrent, "Max Hub Controller Current (Hex)", "Bus Power", "32")};
    table[at++] = {kBoxes.byte(hub::kPowerOnTime, "Power On Time (Hex)", "", "32")};
    for (const Field& field : {
             kBoxes.length(hub::kMfgString, "Mfg. Length", kStringGroup),
             kBoxes.length(hub::kProductString, "Product Length", kStringGroup),
             kBoxes.length(hub::kSerialString, "Serial # Length", kStringGroup),
             layout::String(hub::kMfgString, "Mfg. String", kStringGroup),
             layout::String(hub::kProductString, "Product String", kStringGroup),
             layout::String(hub::kSerialString, "Serial String", kStringGroup),
         })
        table[at++] = {field};
    AddPorts(table, at, Role::Boost, kBoost, 1, 7);
    table[at++] = {
        Choice("up_port_boost", "Up port", kGroupBoost, kBoosts, "Normal", {0xF6, 0, 2})};
    AddPorts(table, at, Role::Map, kMap, 1, 7);
    AddPorts(table, at, Role::Swap, kSwap, 0, 7);
    if (at != kFamilySize)
        std::abort(); // the table's size is written above: keep it in step
    return table;
}

constexpr std::array<FamilyField, kFamilySize> kFamily = MakeFamily();

// What the QH202 lacks; every other model has all of the family's fields its ports allow.
constexpr std::array<std::string_view, 10> kAbsentOnQh202{
    hub::kMultipleTt.key, kLedMode, kStringEnable, hub::kLangId.key,
    hub::kMfgString.length.key, hub::kProductString.length.key, hub::kSerialString.length.key,
    hub::kMfgString.key, hub::kProductString.key, hub::kSerialString.key};

using layout::Difference;
constexpr std::array kQh202{
    Difference{.key = "pid", .defaultText = "0202"},
    Difference{.key = "did", .defaultText = "0AA0"},
    Difference{.key = hub::kOverCurrentTimer.key, .defaultText = "4 ms"},
    Difference{.key = hub::kPortPower.key, .label = "Port Power Switching"},
};
constexpr std::array kQh203Pins36{Difference{.key = "pid", .defaultText = "0203"}};
constexpr std::array kQh203Pins48{Difference{.key = "pid", .defaultText = "0203"},
                                  Difference{.key = kLedMode, .defaultText = "Speed Indication"}};
constexpr std::array kQh204Pins36{Difference{.key = "pid", .defaultText = "0204"}};
constexpr std::array kQh204Pins48{Difference{.key = "pid", .defaultText = "0204"},
                                  Difference{.key = kLedMode, .defaultText = "Speed Indication"}};

constexpr layout::UnusedBytes kNotUsed[] = {
    {0xD0, 0xF5, "not used"}, {0xF9, 0xF9, "not used"}, {0xFF, 0xFF, "not used"}};
constexpr std::array<layout::UnusedBytes, 6> kUnusedQh202{{
    {0x11, 0xCF, "language ID and strings: not on the QH202"},
    {0xF7, 0xF7, "boost of ports 5 to 7: QH207 only"},
    {0xFC, 0xFE, "port map of ports 3 to 7: not on the QH202"},
    kNotUsed[0], kNotUsed[1], kNotUsed[2]}};
constexpr std::array<layout::UnusedBytes, 5> kUnusedFourPorts{{
    {0xF7, 0xF7, "boost of ports 5 to 7: QH207 only"},
    {0xFD, 0xFE, "port map of ports 5 to 7: QH207 only"},
    kNotUsed[0], kNotUsed[1], kNotUsed[2]}};
constexpr std::array<layout::UnusedBytes, 3> kUnusedQh207{{kNotUsed[0], kNotUsed[1], kNotUsed[2]}};

struct Member {
    Variant variant;
    std::span<const std::string_view> absent;
    std::span<const Difference> differences;
    std::span<const layout::UnusedBytes> unused;
};

constexpr std::array<Member, 6> kMembers{{
    {{"qh203-36", "QH203 - 36 pin", "QH20x family, QH203 in the 36-pin package, three ports",
      Editor::Qh20x, "QH203 -36 Pin", 4, 3, true, true},
     {}, kQh203Pins36, kUnusedFourPorts},
    {{"qh203-48", "QH203 - 48 pin", "QH20x family, QH203 in the 48-pin package, three ports",
      Editor::Qh20x, "QH203 -48 Pin", 4, 3, true, false},
     {}, kQh203Pins48, kUnusedFourPorts},
    {{"qh204-36", "QH204 - 36 pin", "QH20x family, QH204 in the 36-pin package, four ports",
      Editor::Qh20x, "QH204 -36 Pin", 4, 4, false, true},
     {}, kQh204Pins36, kUnusedFourPorts},
    {{"qh204-48", "QH204 - 48 pin", "QH20x family, QH204 in the 48-pin package, four ports",
      Editor::Qh20x, "QH204 -48 Pin", 4, 4, false, false},
     {}, kQh204Pins48, kUnusedFourPorts},
    {{"qh202", "QH202", "QH20x family, QH202, two ports, no strings", Editor::Qh202,
      "202", 2, 2, false, false},
     kAbsentOnQh202, kQh202, kUnusedQh202},
    {{"qh207", "QH207 - 64 pin", "QH20x family, QH207 in the 64-pin package, seven ports",
      Editor::Qh207, "QH207 - 64 Pin", 7, 7, false, false},
     {}, {}, kUnusedQh207},
}};

// Where the fields the rules work on sit in one model, and the port of each field.
struct Positions {
    std::size_t remap = 0;
    std::vector<std::size_t> maps; // the port map, port by port
};

std::vector<Field> FieldsOf(const Member& member)
{
    const Variant& variant = member.variant;
    std::vector<Field> fields;
    for (const FamilyField& entry : kFamily) {
        if (entry.port > variant.ports)
            continue;
        Field field = entry.field;
        if (entry.role == Role::Map)
            field.items = std::span(kMaps).first(static_cast<std::size_t>(variant.logicalPorts) + 1);
        // The QH203's fourth port (but for its swap) and the 36-pin packages' LED mode never
        // change.
        if (variant.fourthPortFixed && entry.port == 4 && entry.role != Role::Swap)
            field = layout::Greyed(field);
        if (variant.ledFixed && field.key == kLedMode)
            field = layout::Greyed(field);
        fields.push_back(field);
    }
    return layout::WithDifferences(std::move(fields), member.absent, member.differences);
}

Positions PositionsIn(const layout::Model& model)
{
    Positions at{.remap = *layout::FieldIndex(model, kPortRemap)};
    for (std::size_t field = 0; field < model.fields.size(); ++field)
        if (layout::EntryOf<FamilyField>(kFamily, model.fields[field].key).role == Role::Map)
            at.maps.push_back(field);
    return at;
}

layout::DecodeResult Decode(const layout::Model& model, const CE2promData& image);
std::optional<layout::Correction> OnUserChange(const layout::Model& model, std::size_t field,
                                               const layout::Values& now);

// "Standard" resets the port map (silently); a Create writes it as "Port Disabled" while
// re-mapping is off. Non-removable ports count only on a compound device; the port-disable
// choices only while the port map is off, the port map only while it is on; the Lang ID and
// strings only while strings are enabled.
using layout::On;
using layout::Setting;
constexpr std::array<Setting, 7> MapsDisabled()
{
    std::array<Setting, 7> settings{};
    for (std::size_t port = 1; port <= settings.size(); ++port)
        settings[port - 1] = {kMap.keys[port], kMaps[0]};
    return settings;
}
constexpr std::array<Setting, 7> kMapsDisabled = MapsDisabled();
constexpr std::array<std::string_view, 1> kRemapKey{kPortRemap};
constexpr layout::Shows kRemapOn{kPortRemap, "Port Re-Map"};

constexpr std::string_view kHookRules[]{
    "leaving a string: its length box shows its length in characters",
    "on load, while port_remap shows \"Standard\": the port map shows \"Port Disabled\"",
};

constexpr layout::Rule kRules[]{
    {.picked = kRemapKey, .item = "Standard", .sets = kMapsDisabled},
    {.on = On::Create, .when = {kPortRemap, "Port Re-Map", false}, .sets = kMapsDisabled,
     .message = "\"Port Re-Mapping Enable\" is \"Standard\": the port map is written as "
                "\"Port Disabled\"",
     .onlyIfItChanges = true},
};

constexpr std::array<std::string_view, 7> Ports(const PortKind& kind)
{
    std::array<std::string_view, 7> keys{};
    for (std::size_t port = 1; port <= keys.size(); ++port)
        keys[port - 1] = kind.keys[port];
    return keys;
}
constexpr auto kNonRemovablePorts = Ports(kNonRemovable);
constexpr auto kDisablePorts = [] {
    std::array<std::string_view, 14> keys{};
    for (std::size_t port = 1; port <= 7; ++port) {
        keys[port - 1] = kDisableSelf.keys[port];
        keys[port + 6] = kDisableBus.keys[port];
    }
    return keys;
}();
constexpr auto kMapPorts = Ports(kMap);
constexpr std::array<std::string_view, 4> kStringFields{
    hub::kLangId.key, hub::kMfgString.key, hub::kProductString.key, hub::kSerialString.key};
constexpr layout::EnabledIf kEnabling[]{
    {kNonRemovablePorts, {kCompoundDevice, "Yes"}},
    {kDisablePorts, {kPortRemap, "Port Re-Map", false}},
    {kMapPorts, kRemapOn},
    {kStringFields, {kStringEnable, "Strings Enabled"}},
};

// The main page, three columns in a box, each box right under the one above it, the
// strings under the first two: the IDs (the page's own model list first), the non-removable
// ports and the power-on time; the first configuration byte and the self-power ports; the
// other two bytes and the bus-power ports.
using layout::Node;
using layout::Part;
constexpr layout::ListRow kDeviceList[]{{"deviceId", layout::words::kDeviceId}};
constexpr Node kFirstColumn[]{{.part = Part::Group, .name = "IDs", .lists = kDeviceList},
                              layout::Group("Non-Removable Device"), layout::Rows()};
constexpr Node kSecondColumn[]{layout::Group("Config Data Byte 1"), layout::Group("Self Power")};
constexpr Node kThirdColumn[]{layout::Group("Config Data Byte 2"),
                              layout::Group("Config Data Byte 3"), layout::Group("Bus Power")};
constexpr Node kColumns[]{
    {.part = Part::Stack, .parts = kFirstColumn, .row = 0, .column = 0},
    {.part = Part::Stack, .parts = kSecondColumn, .row = 0, .column = 1},
    {.part = Part::Stack, .parts = kThirdColumn, .row = 0, .column = 2, .rowSpan = 2},
    {.part = Part::Group, .name = "String Descriptor Fields", .row = 1, .column = 0,
     .columnSpan = 2, .align = layout::Align::Bottom, .columns = 2},
};
constexpr Node kMainPage{.part = Part::Grid, .name = "Tab1 Fields", .parts = kColumns,
                         .stretchRow = 0};
// The QH202 keeps no strings.
constexpr Node kMainPageWithoutStrings{.part = Part::Grid, .name = "Tab1 Fields",
                                       .parts = std::span(kColumns).first(3), .stretchRow = 0};

// The additional page: the three port boxes at their own widths; under them the file
// controls and the listing side by side; room to spare goes below.
constexpr Node kPortBoxes[]{
    {.part = Part::Group, .name = kGroupBoost, .row = 0, .column = 0,
     .align = layout::Align::TopLeft},
    {.part = Part::Group, .name = kGroupPortMap, .row = 0, .column = 1,
     .align = layout::Align::TopLeft},
    {.part = Part::Group, .name = kGroupPortSwap, .row = 0, .column = 2,
     .align = layout::Align::TopLeft},
    {.part = Part::Control, .name = "files", .row = 1, .column = 0, .columnSpan = 2,
     .align = layout::Align::Top},
    {.part = Part::Control, .name = "listing", .row = 1, .column = 2},
};
constexpr Node kAdditionalPage{.part = Part::Grid, .name = "Tab2 Fields", .parts = kPortBoxes,
                               .stretchRow = 2};

constexpr layout::FileTexts kFileTexts{
    .outputLabel = "Output File Name:",
    .inputLabel = "Input File to Load:",
    .loadCaption = "Load From File",
    .hasExit = true,
    .outputInFolder = true,
    .emptyOutput = layout::EmptyOutputName::Refused,
    .writeFailed = "Error creating EE file",
    .noInputName = layout::kNoInputFileNamed,
    .nameRefused = layout::kNotAnImageFile, // the box holds no name the manager refuses
    .unreadable = layout::kNotAnImageFile,
    .listsBeforeWriting = false,
};

constexpr layout::Page kQh202Pages[]{{"Main - Configuration", kMainPageWithoutStrings},
                                     {"Additional - Configuration", kAdditionalPage}};
constexpr layout::Page kPages[]{{"Tab1", kMainPage}, {"Tab2", kAdditionalPage}};

layout::MadeModel MakeModel(std::size_t at)
{
    const Variant& variant = kMembers[at].variant;
    return {{
                .id = variant.id,
                .name = variant.name,
                .description = variant.description,
                .family = kFamilyId,
                .unused = kMembers[at].unused,
                // The QH202's form scans a number; the others read digits by position.
                .readHex = variant.editor == Editor::Qh202 ? layout::HexReading::Scanned
                                                           : layout::HexReading::ByDigitPosition,
                .strings = layout::StringUnits::Words,
                .start = layout::CreateStart::Zeros,
                .loadSize = static_cast<int>(CE2promData::kSize),
                .exactLoadSize = true,
                .decode = Decode,
                .rules = kRules,
                .enabling = kEnabling,
                .onUserChange = OnUserChange,
                .hookRules = kHookRules,
                .pages = variant.editor == Editor::Qh202 ? std::span(kQh202Pages)
                                                         : std::span(kPages),
                .files = &kFileTexts,
                // The QH202's list names the model first and goes back with its second entry.
                .window = {.back = layout::words::kBack,
                           .backFirst = variant.editor != Editor::Qh202,
                           .entry = variant.deviceEntry},
            },
            FieldsOf(kMembers[at])};
}

// The six descriptions, built once from the family table and the members.
const layout::FamilyModels<Positions>& TheFamily()
{
    static const layout::FamilyModels<Positions> family(kMembers.size(), MakeModel, PositionsIn);
    return family;
}

const Positions& PositionsOf(const layout::Model& model) { return TheFamily().extraOf(model); }

bool RemapOn(const Positions& at, const layout::Values& values)
{
    return values.index(at.remap) == 1;
}

// The port map counts only while re-mapping is on: off, every port shows "Port Disabled"
// and is written 0, whatever a file held.
layout::DecodeResult Decode(const layout::Model& model, const CE2promData& image)
{
    layout::DecodeResult result = layout::DecodeFields(model, image);
    const Positions& at = PositionsOf(model);
    if (!RemapOn(at, result.values))
        for (std::size_t field : at.maps)
            result.values.setIndex(field, 0);
    return result;
}

// Leaving a string shows its length in characters. Silent.
std::optional<layout::Correction> OnUserChange(const layout::Model& model, std::size_t field,
                                               const layout::Values& now)
{
    const std::optional<std::size_t> length = layout::LengthFieldOf(model, field);
    if (!length)
        return std::nullopt;
    layout::Correction correction;
    correction.changes.setText(
        *length,
        layout::ShowNumber(Show::Decimal2, static_cast<std::uint32_t>(now.text(field).size())));
    return correction;
}

} // namespace

std::span<const layout::Model> Models() { return TheFamily().models(); }

const Variant& VariantOf(const layout::Model& model)
{
    return kMembers[TheFamily().indexOf(model)].variant;
}

} // namespace qh20x
