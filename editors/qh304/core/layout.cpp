#include "editors/qh304/core/layout.h"

#include "image/e2prom_data.h"
#include "layout/fields.h"

#include <algorithm>
#include <array>

namespace qh304 {

namespace {

using layout::Field;
using layout::Kind;
using layout::Place;
using layout::Show;
using Items2 = std::array<std::string_view, 2>;
using Items3 = std::array<std::string_view, 3>;

constexpr Items2 kPowerModes{"Bus-Power", "Self-Power"};
constexpr Items2 kSpeeds{"High-Full", "Full Only"};
constexpr Items2 kTts{"Single TT", "Mult TT"};
constexpr Items2 kEops{"Enable EOP", "Disable EOP"};
constexpr Items3 kSensing{"Gang", "Individual", "OCS Not Supported"};
constexpr Items2 kGangIndividual{"Gang", "Individual"};
constexpr Items2 kNoYes{"No", "Yes"};
constexpr std::array<std::string_view, 4> kTimers{"0.1ms", "2ms", "4ms", "6ms"};
constexpr Items2 kStrengths{"Normal", "Elevated"};
constexpr std::array<std::string_view, 4> kAssignModes{
    "Programmable Mode", "DPC-Level", "DPC-Edge(No Unassign)", "DPC-Edge(Unassign)"};
constexpr Items2 kAssignConfigs{"HW Interface Pins", "Port Assign Registers"};
constexpr Items3 kLeds{"USB Mode", "Ownership/Port Speed", "Basic Host Ownership"};
constexpr Items2 kStringSupport{"Disable String Support", "Enable String Support"};
constexpr Items2 kRemovable{"Removeable", "Non-Removeable"};
constexpr Items2 kEnable{"Enable", "Disable"};
constexpr Items3 kOwners{"unassigned", "UP1", "UP2"};
constexpr Items3 kAssigned{"Unassigned", "Owned by UP1", "Owned by UP2"};
constexpr Items3 kAssignedPort1{"Unassigned", "Owned by UP1", "Owner by UP2"}; // as it reads
constexpr Items2 kLockout{"Available", "Locked"};

// The interface registers: for interface n, port 1 and 2 in the low and high nibble of
// 0xD1 + 4n (register A), ports 3 and 4 in 0xD2 + 4n (register B); then two zero bytes.
constexpr std::uint16_t kFirstInterface = 0xD1;
constexpr std::uint16_t kPortAssignment = 0xF1;
constexpr std::uint16_t kLockoutByte = 0xF5;

// Each interface's owner of ports 1 to 4 when the editor opens (0 unassigned, 1 UP1, 2 UP2).
constexpr int kOwnerDefaults[kInterfaces][kPorts] = {
    {1, 1, 1, 1}, {2, 2, 2, 2}, {1, 1, 2, 2}, {1, 1, 1, 2},
    {2, 2, 2, 1}, {2, 1, 1, 1}, {1, 1, 2, 0}, {1, 1, 1, 0}};

// A word's box takes four hex digits, a byte's two, shown as "%X" after a load; the user
// types a string's length, shown as "%d".
constexpr layout::BoxStyle kBoxes{.wordLimit = 4, .byteLimit = 2, .byteShow = Show::HexUpper,
                                  .lengthShow = Show::Decimal};
constexpr std::string_view kIds = "IDs";
constexpr std::string_view kConfig1 = "Config Data Byte 1";
constexpr std::string_view kConfig2 = "Config Data Byte 2";
constexpr std::string_view kConfig3 = "Config Data Byte 3";
constexpr std::string_view kStringGroup = "String Descriptor Fields";
namespace hub = layout::hub;

using layout::Choice;

// Keys and labels of the fields that come in numbered rows.
struct PortNames {
    layout::ShortText nonRemovableKey, nonRemovableLabel, busKey, selfKey, disableLabel;
    layout::ShortText assignKey, assignLabel, lockoutKey, lockoutLabel;
};

constexpr std::array<PortNames, kPorts> MakePortNames()
{
    std::array<PortNames, kPorts> names{};
    for (int port = 1; port <= kPorts; ++port) {
        PortNames& n = names[static_cast<std::size_t>(port - 1)];
        n.nonRemovableKey << "port" << port << "_non_removable";
        n.nonRemovableLabel << "Port " << port << " Non-Removable";
        n.busKey << "port" << port << "_disable_bus";
        n.selfKey << "port" << port << "_disable_self";
        n.disableLabel << "Port " << port << " Disable";
        n.assignKey << "port" << port << "_assign";
        n.assignLabel << "Port Assign " << port;
        n.lockoutKey << "port" << port << "_lockout";
        n.lockoutLabel << "Port " << port;
    }
    return names;
}
constexpr std::array<PortNames, kPorts> kPortNames = MakePortNames();

// "int3_port2", labelled "Int 3A Port 2": ports 1 and 2 are register A, 3 and 4 register B.
struct InterfaceNames {
    layout::ShortText key, label;
};

constexpr std::array<InterfaceNames, kInterfaces * kPorts> MakeInterfaceNames()
{
    std::array<InterfaceNames, kInterfaces * kPorts> names{};
    for (int n = 0; n < kInterfaces; ++n)
        for (int port = 1; port <= kPorts; ++port) {
            InterfaceNames& name = names[static_cast<std::size_t>(n * kPorts + port - 1)];
            name.key << "int" << n << "_port" << port;
            name.label << "Int " << n << (port <= 2 ? "A" : "B") << " Port " << port;
        }
    return names;
}
constexpr std::array<InterfaceNames, kInterfaces * kPorts> kInterfaceNames = MakeInterfaceNames();

constexpr std::size_t kFieldCount = 82;

constexpr std::array<Field, kFieldCount> MakeFields()
{
    std::array<Field, kFieldCount> table{};
    std::size_t at = 0;
    for (const Field& field : {
             kBoxes.word(hub::kVid, "VID (Hex)", kIds, "7A7A"),
             kBoxes.word(hub::kPid, "PID (Hex)", kIds, "0304"),
             kBoxes.word(hub::kDid, "DID (Hex)", kIds, "0000"),
             // High byte first, unlike the IDs; shown "%02X%02X", its two bytes in order.
             kBoxes.word(hub::kLangId, "Lang ID (Hex)", kIds, "0000", true),
             Choice(hub::kSelfBusPower, "Self-/Bus-Power", kConfig1, kPowerModes, "Self-Power"),
             Choice(hub::kHighSpeedDisable, "High-Speed Disable", kConfig1, kSpeeds, "High-Full"),
             Choice(hub::kMultipleTt, "Multiple-TT Support", kConfig1, kTts, "Mult TT"),
             Choice(hub::kEopDisable, "EOP Disable", kConfig1, kEops, "Disable EOP"),
             // The value 3 reads as "OCS Not Supported".
             Choice(hub::kCurrentSensing, "Current Sensing", kConfig1, kSensing, "Individual",
                    "OCS Not Supported"),
             Choice(hub::kPortPower, "Downstream Port Power Enabling", kConfig1, kGangIndividual,
                    "Individual"),
             Choice(hub::kDynamicPower, "Dynamic Power", kConfig2, kNoYes, "No"),
             Choice(hub::kOverCurrentTimer, "Over-Current Timer", kConfig2, kTimers, "2ms"),
             Choice(hub::kCompoundDevice, "Compound Device", kConfig2, kNoYes, "No"),
             Choice("drive_strength", "Drive Strength", kConfig2, kStrengths, "Normal",
                    {0x07, 0, 1}),
             Choice("port_assign_mode", "Port Assign Int Mode", kConfig3, kAssignModes,
                    "Programmable Mode", {0x08, 6, 2}),
             Choice("port_assign_cfg", "Port Assign Cfg", kConfig3, kAssignConfigs,
                    "HW Interface Pins", {0x08, 5, 1}),
             // The value 3 reads as "USB Mode".
             Choice(hub::kLedMode, "LED Mode", kConfig3, kLeds, "USB Mode", "USB Mode"),
             Choice(hub::kStringEnable, "String Desc Enable", kConfig3, kStringSupport,
                    "Disable String Support"),
         })
        table[at++] = field;
    for (int port = 1; port <= kPorts; ++port) {
        const PortNames& n = kPortNames[static_cast<std::size_t>(port - 1)];
        table[at++] = Choice(n.nonRemovableKey.view(), n.nonRemovableLabel.view(),
                             "Non Removable Device", kRemovable, "Removeable",
                             {0x09, static_cast<std::uint8_t>(port), 1});
    }
    table[at++] = kBoxes.byte(hub::kBusMaxPower, "Max Power (Hex)", "Bus Power", "64");
    table[at++] =
        kBoxes.byte(hub::kBusHubCurrent, "Hub Controller Current (Hex)", "Bus Power", "64");
    for (int port = 1; port <= kPorts; ++port) {
        const PortNames& n = kPortNames[static_cast<std::size_t>(port - 1)];
        table[at++] = Choice(n.busKey.view(), n.disableLabel.view(), "Bus Power", kEnable,
                             "Enable", {0x0B, static_cast<std::uint8_t>(port), 1});
    }
    table[at++] = kBoxes.byte(hub::kSelfMaxPower, "Max Power (Hex)", "Self Power", "01");
    table[at++] =
        kBoxes.byte(hub::kSelfHubCurrent, "Hub Controller Current (Hex)", "Self Power", "01");
    for (int port = 1; port <= kPorts; ++port) {
        const PortNames& n = kPortNames[static_cast<std::size_t>(port - 1)];
        table[at++] = Choice(n.selfKey.view(), n.disableLabel.view(), "Self Power", kEnable,
                             "Enable", {0x0A, static_cast<std::uint8_t>(port), 1});
    }
    table[at++] = kBoxes.byte(hub::kPowerOnTime, "Power-On Time (Hex)", "Other Fields", "32");
    table[at++] = kBoxes.byte("port_delay", "Port Delay Time (Hex)", "Other Fields", 0xD0, "2F");
    table[at++] = kBoxes.length(hub::kMfgString, "Mfg Len", kStringGroup);
    table[at++] = kBoxes.length(hub::kProductString, "Prod Len", kStringGroup);
    table[at++] = kBoxes.length(hub::kSerialString, "Serial Len", kStringGroup);
    table[at++] = layout::String(hub::kMfgString, "Mfg String", kStringGroup);
    table[at++] = layout::String(hub::kProductString, "Prod String", kStringGroup);
    table[at++] = layout::String(hub::kSerialString, "Serial String", kStringGroup);

    // A nibble of 3 to 15 reads as UP1.
    for (int n = 0; n < kInterfaces; ++n)
        for (int port = 1; port <= kPorts; ++port) {
            const InterfaceNames& name =
                kInterfaceNames[static_cast<std::size_t>(n * kPorts + port - 1)];
            const auto offset =
                static_cast<std::uint16_t>(kFirstInterface + 4 * n + (port - 1) / 2);
            const auto lsb = static_cast<std::uint8_t>(4 * ((port - 1) % 2));
            table[at++] = Choice(name.key.view(), name.label.view(), kGroupInterfaces, kOwners,
                                 kOwners[static_cast<std::size_t>(kOwnerDefaults[n][port - 1])],
                                 {offset, lsb, 4}, "UP1");
        }
    for (int port = 1; port <= kPorts; ++port) {
        const PortNames& n = kPortNames[static_cast<std::size_t>(port - 1)];
        const auto offset = static_cast<std::uint16_t>(kPortAssignment + (port - 1) / 2);
        const auto lsb = static_cast<std::uint8_t>(4 * ((port - 1) % 2));
        table[at++] = Choice(n.assignKey.view(), n.assignLabel.view(), kGroupAssignment,
                             port == 1 ? std::span<const std::string_view>(kAssignedPort1)
                                       : std::span<const std::string_view>(kAssigned),
                             "Unassigned", {offset, lsb, 4}, "Owned by UP1");
    }
    for (int port = 1; port <= kPorts; ++port) {
        const PortNames& n = kPortNames[static_cast<std::size_t>(port - 1)];
        table[at++] = Choice(n.lockoutKey.view(), n.lockoutLabel.view(), kGroupLockout,
                             kLockout, "Available",
                             {kLockoutByte, static_cast<std::uint8_t>(port), 1});
    }
    if (at != kFieldCount)
        std::abort(); // the table's size is written above: keep it in step
    return table;
}

constexpr std::array<Field, kFieldCount> kFields = MakeFields();

constexpr std::array<layout::UnusedBytes, 10> kUnused{{
    {0xD3, 0xD4, "reserved, written 0"}, {0xD7, 0xD8, "reserved, written 0"},
    {0xDB, 0xDC, "reserved, written 0"}, {0xDF, 0xE0, "reserved, written 0"},
    {0xE3, 0xE4, "reserved, written 0"}, {0xE7, 0xE8, "reserved, written 0"},
    {0xEB, 0xEC, "reserved, written 0"}, {0xEF, 0xF0, "reserved, written 0"},
    {0xF3, 0xF4, "reserved, written 0"}, {0xF6, 0xFF, "reserved, written 0"},
}};

// What a Create checks first, in this order; the first failure refuses it.
constexpr std::array<layout::CreateCheck, 16> kChecks{{
    {"vid", layout::Check::HexDigits,
     "Enter a valid value for the field 'VID' (4 digit HEX number)"},
    {"pid", layout::Check::HexDigits,
     "Enter a valid value for the field 'PID' (4 digit HEX number)"},
    {"did", layout::Check::HexDigits,
     "Enter a valid value for the field 'DID' (4 digit HEX number)"},
    {"lang_id", layout::Check::HexDigits,
     "Enter a valid value for the field 'Lang ID' (4 digit HEX number)"},
    {"bus_max_power", layout::Check::HexDigits,
     "Enter a valid value for the field 'Max Power' for Bus-Powered devices (2 digit HEX "
     "number)"},
    {"self_max_power", layout::Check::HexDigits,
     "Enter a valid value for the field 'Max Power' for Self-Powered devices (2 digit HEX "
     "number)"},
    {"bus_hub_current", layout::Check::HexDigits,
     "Enter a valid value for the field 'Hub Controller Current' for Bus-Powered devices (2 "
     "digit HEX number)"},
    {"self_hub_current", layout::Check::HexDigits,
     "Enter a valid value for the field 'Hub Controller Current' for Self-Powered devices (2 "
     "digit HEX number)"},
    {hub::kPowerOnTime.key, layout::Check::HexDigits,
     "Enter a valid value for the field 'Power-On Time' (2 digit HEX number)"},
    {"port_delay", layout::Check::HexDigits,
     "Enter a valid value for the field 'Port Delay Time' (2 digit HEX number)"},
    {"mfg_length", layout::Check::CountUpTo31,
     "Enter a valid value for the field 'Mfg Len' (decimal number in range 0 through 31)"},
    {"mfg_string", layout::Check::MatchesLength,
     "The Mfg string length (%d) does not match the value in field 'Mfg Len' (%d). Enter the "
     "correct string and its length"},
    {hub::kProductString.length.key, layout::Check::CountUpTo31,
     "Enter a valid value for the field 'Prod Len' (decimal number in range 0 through 31)"},
    {hub::kProductString.key, layout::Check::MatchesLength,
     "The Prod string length (%d) does not match the value in field 'Prod Len' (%d). Enter "
     "the correct string and its length"},
    {"serial_length", layout::Check::CountUpTo31,
     "Enter a valid value for the field 'Serial Len' (decimal number in range 0 through 31)"},
    {"serial_string", layout::Check::MatchesLength,
     "The Serial string length (%d) does not match the value in field 'Serial Len' (%d). "
     "Enter the correct string and its length"},
}};

constexpr std::size_t At(std::string_view key) { return layout::PositionOf(kFields, key); }

constexpr std::array<std::size_t, kPorts> PortRow(std::size_t first)
{
    return {first, first + 1, first + 2, first + 3};
}
constexpr std::array<std::size_t, kPorts> kBusDisable = PortRow(At("port1_disable_bus"));
constexpr std::array<std::size_t, kPorts> kSelfDisable = PortRow(At("port1_disable_self"));
// A non-removable port makes the hub a compound device, and a hub that is none has removable
// ports only; self power and "OCS Not Supported" exclude each other. Each is told.
using layout::On;
using layout::Setting;
constexpr std::array<std::string_view, kPorts> kNonRemovableKeys{
    "port1_non_removable", "port2_non_removable", "port3_non_removable", "port4_non_removable"};
constexpr std::array<std::string_view, 1> kCompoundKey{hub::kCompoundDevice.key};
constexpr std::array<std::string_view, 1> kPowerSourceKey{hub::kSelfBusPower.key};
constexpr std::array<std::string_view, 1> kSensingKey{hub::kCurrentSensing.key};
constexpr Setting kCompoundYes[]{{hub::kCompoundDevice.key, "Yes"}};
constexpr Setting kAllRemovable[]{{kNonRemovableKeys[0], "Removeable"},
                                  {kNonRemovableKeys[1], "Removeable"},
                                  {kNonRemovableKeys[2], "Removeable"},
                                  {kNonRemovableKeys[3], "Removeable"}};
constexpr Setting kIndividualSensing[]{{hub::kCurrentSensing.key, "Individual"}};
constexpr Setting kBusPowered[]{{hub::kSelfBusPower.key, "Bus-Power"}};

constexpr std::string_view kHookRules[]{
    "picking \"Disable\" for a port: the ports above it in its group are disabled too; "
    "\"Enable\": the ports below it are enabled too",
};

constexpr layout::Rule kRules[]{
    {.picked = kNonRemovableKeys, .item = "Non-Removeable",
     .when = {hub::kCompoundDevice.key, "No"}, .sets = kCompoundYes,
     .message = "Non-Removable has been selected, Compound Device field of Config Data Byte 2 "
                "will be set to Yes"},
    {.picked = kCompoundKey, .item = "No", .sets = kAllRemovable,
     .message = "Compound Device field being changed to 'No'. This will force all the ports to "
                "be configured as 'Removable'.",
     .onlyIfItChanges = true},
    {.picked = kPowerSourceKey, .item = "Self-Power",
     .when = {hub::kCurrentSensing.key, "OCS Not Supported"}, .sets = kIndividualSensing,
     .message = "'Self-Powered' being selected. This will set the Current Sensing field to "
                "'Individual'."},
    {.picked = kSensingKey, .item = "OCS Not Supported",
     .when = {hub::kSelfBusPower.key, "Self-Power"}, .sets = kBusPowered,
     .message = "'OCS Not Supported' being selected. This will set the device to be configured "
                "as 'Bus-Powered'."},
};

// The Lang ID and the strings take typing while strings are enabled. The form's opening,
// its reset to the defaults and the user's own change of "String Desc Enable" move them: a
// load leaves them as they were (the model's greying does not follow loads).
constexpr std::array<std::string_view, 4> kStringFields{
    hub::kLangId.key, hub::kMfgString.key, hub::kProductString.key, hub::kSerialString.key};
constexpr layout::EnabledIf kEnabling[]{
    {kStringFields, {hub::kStringEnable.key, "Enable String Support"}}};

// Disabled ports are always the highest-numbered of their group: disabling one disables
// those above it, enabling one enables those below it. Silent.
std::optional<layout::Correction> PortDisableChain(const std::array<std::size_t, kPorts>& group,
                                                   std::size_t port, const layout::Values& now)
{
    const bool disable = now.index(group[port]) == 1;
    layout::Correction chain;
    for (std::size_t other = 0; other < kPorts; ++other)
        if (disable ? other > port : other < port)
            chain.changes.setIndex(group[other], disable ? 1 : 0);
    return chain;
}

// What the rows do not say: the port-disable chains.
std::optional<layout::Correction> OnUserChange(const layout::Model&, std::size_t field,
                                               const layout::Values& now)
{
    for (const auto* group : {&kBusDisable, &kSelfDisable})
        if (const auto port = std::find(group->begin(), group->end(), field); port != group->end())
            return PortDisableChain(*group, static_cast<std::size_t>(port - group->begin()), now);
    return std::nullopt;
}

// The first page: three columns, each box right under the one above it, the strings under
// the first two: the IDs (the page's own model list first), the non-removable ports and the
// other fields; the first configuration byte and the bus power; the other two bytes and the
// self power.
using layout::Node;
using layout::Part;
constexpr layout::ListRow kDeviceList[]{{"deviceId", layout::words::kDeviceId}};
constexpr Node kFirstColumn[]{{.part = Part::Group, .name = kIds, .lists = kDeviceList},
                              layout::Group("Non Removable Device"),
                              layout::Group("Other Fields")};
constexpr Node kSecondColumn[]{layout::Group(kConfig1), layout::Group("Bus Power")};
constexpr Node kThirdColumn[]{layout::Group(kConfig2), layout::Group(kConfig3),
                              layout::Group("Self Power")};
constexpr Node kColumns[]{
    {.part = Part::Stack, .parts = kFirstColumn, .row = 0, .column = 0},
    {.part = Part::Stack, .parts = kSecondColumn, .row = 0, .column = 1},
    {.part = Part::Stack, .parts = kThirdColumn, .row = 0, .column = 2, .rowSpan = 2},
    {.part = Part::Group, .name = kStringGroup, .row = 1, .column = 0, .columnSpan = 2,
     .align = layout::Align::Bottom, .columns = 2},
};

// The interfaces: 0 to 3 in the left block, 4 to 7 in the right, one a row: "Int nA" before
// the choices of ports 1 and 2, "Int nB" before those of ports 3 and 4, under the ports'
// headings. Each block is a grid of its own, so the Tab key goes down one before the other.
constexpr int kHalf = kInterfaces / 2;
constexpr std::size_t kCellsPerBlock = kPorts + kHalf * (2 + kPorts);
constexpr std::array<layout::TableCell, 2 * kCellsPerBlock> MakeInterfaceCells()
{
    std::array<layout::TableCell, 2 * kCellsPerBlock> cells{};
    std::size_t at = 0;
    for (int block = 0; block < 2; ++block) {
        for (int port = 1; port <= kPorts; ++port) {
            layout::TableCell& heading = cells[at++];
            heading = {.block = block, .row = 0, .column = port + (port > 2), .heading = true};
            heading.text << "Port " << port;
        }
        for (int row = 1; row <= kHalf; ++row) {
            const int n = block * kHalf + row - 1;
            for (int pair = 0; pair < 2; ++pair) {
                layout::TableCell& name = cells[at++];
                name = {.block = block, .row = row, .column = 3 * pair};
                name.text << "Int " << n << (pair ? "B" : "A");
                for (int port = 2 * pair + 1; port <= 2 * pair + 2; ++port)
                    cells[at++] = {.block = block, .row = row, .column = pair + port,
                                   .key = kInterfaceNames[static_cast<std::size_t>(
                                                              n * kPorts + port - 1)]
                                              .key.view()};
            }
        }
    }
    return cells;
}
constexpr auto kInterfaceCells = MakeInterfaceCells();

// The second page: the interfaces; under them the port choices over the file controls,
// and the listing beside them.
constexpr Node kPortBoxes[]{
    {.part = Part::Group, .name = kGroupAssignment, .align = layout::Align::Top},
    {.part = Part::Group, .name = kGroupLockout, .align = layout::Align::Top},
};
constexpr Node kPortColumn[]{{.part = Part::Line, .parts = kPortBoxes}, layout::Control("files")};
constexpr Node kPortPageParts[]{
    {.part = Part::Table, .name = kGroupInterfaces, .row = 0, .column = 0, .columnSpan = 2,
     .size = 16, .cells = kInterfaceCells},
    {.part = Part::Stack, .parts = kPortColumn, .row = 1, .column = 0},
    {.part = Part::Control, .name = "listing", .row = 1, .column = 1},
};

constexpr layout::FileTexts kFileTexts{
    .outputLabel = "Output File Name :",
    .inputLabel = "Input File to Load :",
    .loadCaption = "LOAD from FILE",
    .hasExit = true,
    .emptyOutput = layout::EmptyOutputName::BecomesDefault,
    .writeFailed = "Error trying to create EEPROM file.",
    .noInputName = layout::kNoInputFileNamed,
    .nameRefused = layout::kNotAnImageFile, // the box holds no name the manager refuses
    .unreadable = layout::kNotAnImageFile,
    .listsBeforeWriting = true,
    .badFileResetsNames = true,
    .createIsDefault = true,
    .exitBeforeLoad = true,
};

constexpr layout::Page kPages[]{
    {"Tab1", {.part = Part::Grid, .parts = kColumns, .stretchRow = 0}},
    {"Tab2", {.part = Part::Grid, .parts = kPortPageParts, .stretchRow = 1}},
};

} // namespace

constinit const layout::Model kModel{
    .id = "qh304",
    .name = "QH304",
    .description = "four ports shared by two upstream hosts, with port ownership and lockout",
    .family = kFamilyId,
    .fields = kFields,
    .unused = kUnused,
    .readHex = layout::HexReading::Scanned,
    .typing = {.capitals = true, .padOnLeave = true},
    .strings = layout::StringUnits::LowBytes,
    .start = layout::CreateStart::Erased,
    .loadSize = static_cast<int>(CE2promData::kSize),
    .exactLoadSize = true,
    .rules = kRules,
    .enabling = kEnabling,
    .onUserChange = OnUserChange,
    .hookRules = kHookRules,
    .greyingFollowsLoads = false,
    .checks = kChecks,
    .pages = kPages,
    .files = &kFileTexts,
    .window = {.kind = layout::WindowKind::Sheet},
};

} // namespace qh304
