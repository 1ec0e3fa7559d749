#include "editors/qh404/core/layout.h"

#include "image/e2prom_data.h"
#include "layout/fields.h"

#include <algorithm>
#include <array>

namespace qh404 {

using layout::Field;
using layout::Kind;
using layout::Show;

namespace {

constexpr std::array<std::string_view, 2> kNoYes{"No", "Yes"};
constexpr std::array<std::string_view, 2> kOtg{"Disable OTG", "Enable OTG"};
constexpr std::array<std::string_view, 3> kTimers{"2ms", "4ms", "6ms"};
constexpr std::array<std::uint8_t, 3> kTimerCodes{0x5, 0xA, 0xF};
constexpr std::array<std::string_view, 2> kPower{"Self-Power", "Bus-Power"};
constexpr std::array<std::string_view, 2> kLed{"No-LED", "LED"};
constexpr std::array<std::string_view, 2> kSpeed{"High-Full", "Full Only"};
constexpr std::array<std::string_view, 2> kTt{"Single TT", "Mult TT"};
constexpr std::array<std::string_view, 2> kEop{"Enable EOP", "Disable EOP"};
constexpr std::array<std::string_view, 2> kGang{"Individual", "Gang"};
constexpr std::array<std::string_view, 2> kRemovable{"Removeable", "Non-Removeable"};
constexpr std::array<std::string_view, 2> kEnable{"Enable", "Disable"};

// A hex box takes seven characters, read as one hex number; a byte shows as "%x". The IDs
// stand outside any group box and are stored high byte first.
constexpr layout::BoxStyle kBoxes{.wordLimit = 7, .byteLimit = 7, .byteShow = Show::HexLower};
constexpr bool kHighByteFirst = true;

// A two-item choice stored as one bit: the item index is the bit.
constexpr Field Flag(std::string_view key, std::string_view label, std::string_view group,
                     std::span<const std::string_view> items, std::string_view text,
                     std::uint16_t offset, std::uint8_t bit)
{
    return layout::Choice(key, label, group, items, text, {offset, bit, 1});
}

constexpr std::uint16_t kConfig3Byte = 6; // the group captions run opposite to the bytes
constexpr std::uint16_t kConfig2Byte = 7;
constexpr std::uint16_t kConfig1Byte = 8;

// Bits 5-4 of the timer's byte belong to no field and are always written 0.
constexpr std::array<Field, 25> kFields{{
    kBoxes.word(layout::hub::kVid, "VID (hex)", "", "7A7A", kHighByteFirst),
    kBoxes.word(layout::hub::kPid, "PID (hex)", "", "A700", kHighByteFirst),
    kBoxes.word(layout::hub::kDid, "DID (hex)", "", "0000", kHighByteFirst),
    // Shown greyed: the user cannot change them, a loaded image still shows its values.
    layout::Greyed(Flag(key::kDynamicPower, "Dynamic Power", kGroupConfig1, kNoYes, "No",
                        kConfig1Byte, 7)),
    layout::Greyed(Flag(key::kOnTheGo, "On-The_Go", kGroupConfig1, kOtg, "Disable OTG",
                        kConfig1Byte, 6)),
    // A selection that is none of its items is stored as 0, which reads back as the first.
    {.key = key::kOverCurrentTimer, .label = "Over-Current Timer", .group = kGroupConfig1,
     .items = kTimers, .defaultText = "2ms", .place = {kConfig1Byte, 0, 4},
     .codes = kTimerCodes, .noItemCode = 0},
    kBoxes.byte(key::kMaxPower, "Max Power (hex)", "", 9, "00"),
    kBoxes.byte(key::kHubCurrent, "Hub Controller Current (hex)", "", 10, "00"),
    kBoxes.byte(key::kPowerOnTime, "Power-On Timer (hex)", "", 11, "80"),
    Flag(key::kSelfBusPower, "Self-/Bus-Power", kGroupConfig3, kPower, "Self-Power",
         kConfig3Byte, 7),
    Flag(key::kPortIndicators, "Port Indicators", kGroupConfig3, kLed, "LED", kConfig3Byte, 6),
    Flag(key::kHighSpeedDisable, "High-Speed Disable", kGroupConfig3, kSpeed, "High-Full",
         kConfig3Byte, 5),
    Flag(key::kMultipleTt, "Multiple-TT Support", kGroupConfig3, kTt, "Mult TT", kConfig3Byte,
         4),
    Flag(key::kEopDisable, "EOP Disable", kGroupConfig3, kEop, "Disable EOP", kConfig3Byte, 3),
    Flag(key::kCurrentSensing, "Current Sensing", kGroupConfig3, kGang, "Individual",
         kConfig3Byte, 2),
    Flag(key::kPortPower, "Downstream Port Power Enabling", kGroupConfig3, kGang, "Individual",
         kConfig3Byte, 1),
    Flag(key::kCompoundDevice, "Compound Device", kGroupConfig3, kNoYes, "No", kConfig3Byte, 0),
    Flag(key::kNonRemovable[0], "Port 1 Non-Removable", kGroupConfig2, kRemovable,
         "Removeable", kConfig2Byte, 4),
    Flag(key::kNonRemovable[1], "Port 2 Non-Removable", kGroupConfig2, kRemovable,
         "Removeable", kConfig2Byte, 5),
    Flag(key::kNonRemovable[2], "Port 3 Non-Removable", kGroupConfig2, kRemovable,
         "Removeable", kConfig2Byte, 6),
    Flag(key::kNonRemovable[3], "Port 4 Non-Removable", kGroupConfig2, kRemovable,
         "Removeable", kConfig2Byte, 7),
    Flag(key::kPortDisable[0], "Port 1 Disable", kGroupConfig2, kEnable, "Enable",
         kConfig2Byte, 0),
    Flag(key::kPortDisable[1], "Port 2 Disable", kGroupConfig2, kEnable, "Enable",
         kConfig2Byte, 1),
    Flag(key::kPortDisable[2], "Port 3 Disable", kGroupConfig2, kEnable, "Enable",
         kConfig2Byte, 2),
    Flag(key::kPortDisable[3], "Port 4 Disable", kGroupConfig2, kEnable, "Enable",
         kConfig2Byte, 3),
}};

constexpr std::size_t At(std::string_view key) { return layout::PositionOf(kFields, key); }

constexpr std::size_t kTimer = At(key::kOverCurrentTimer);
constexpr std::size_t kSensing = At(key::kCurrentSensing);
constexpr std::size_t kPortPower = At(key::kPortPower);

constexpr std::array<layout::UnusedBytes, 1> kUnused{{
    {12, 255, "not used by the QH404; kept as the image holder has them"},
}};

// The product IDs of the hub's own line; a file with another one belongs to another model.
constexpr std::array<std::uint16_t, 3> kOwnProductIds{0xA500, 0xA600, 0xA700};

// Current sensing and port power switching must agree: mixed settings become individual.
std::optional<layout::Correction> PowerSenseRule(const layout::Model&, const layout::Values& values)
{
    const std::int64_t sensing = values.index(kSensing);
    const std::int64_t power = values.index(kPortPower);
    if (sensing == power)
        return std::nullopt;
    layout::Correction correction{
        layout::Format("Conflict values of port power=0x%x and Current Sense=0x%x, set to "
                       "default=0",
                       static_cast<unsigned>(power), static_cast<unsigned>(sensing)),
        {}};
    correction.changes.setIndex(kSensing, 0);
    correction.changes.setIndex(kPortPower, 0);
    return correction;
}

using layout::On;
using layout::Setting;
constexpr std::array<std::string_view, 4> kNonRemovableKeys{
    key::kNonRemovable[0], key::kNonRemovable[1], key::kNonRemovable[2], key::kNonRemovable[3]};
constexpr std::array<std::string_view, 1> kPowerSourceKey{key::kSelfBusPower};
constexpr Setting kCompoundYes[]{{key::kCompoundDevice, "Yes"}};
constexpr Setting kAllRemovable[]{{key::kNonRemovable[0], "Removeable"},
                                  {key::kNonRemovable[1], "Removeable"},
                                  {key::kNonRemovable[2], "Removeable"},
                                  {key::kNonRemovable[3], "Removeable"}};
// Bus power brings its own current values, no port LEDs and port 4 switched off; self power
// puts all three back.
constexpr Setting kBusPowered[]{{key::kMaxPower, "64"},
                                {key::kHubCurrent, "64"},
                                {key::kPortIndicators, "No-LED"},
                                {key::kPortDisable[3], "Disable"}};
constexpr Setting kSelfPowered[]{{key::kMaxPower, "00"},
                                 {key::kHubCurrent, "00"},
                                 {key::kPortIndicators, "LED"},
                                 {key::kPortDisable[3], "Enable"}};
constexpr Setting kFirstTimer[]{{key::kOverCurrentTimer, "2ms"}};

constexpr std::string_view kHookRules[]{
    "on load: an over_current_timer nibble of 0 shows the first timer; another code no item "
    "has is told, and the list keeps what it showed",
};

constexpr layout::Rule kRules[]{
    {.picked = kPowerSourceKey, .item = "Bus-Power", .sets = kBusPowered},
    {.picked = kPowerSourceKey, .item = "Self-Power", .sets = kSelfPowered},
    // A non-removable port makes the hub part of a compound device.
    {.picked = kNonRemovableKeys, .item = "Non-Removeable",
     .when = {key::kCompoundDevice, "No"}, .sets = kCompoundYes,
     .message = "Non-Removable has been selected, Compound device field will set to Yes"},
    {.on = On::Create, .own = PowerSenseRule,
     .about = "current sensing and port power that differ both go back to their first item, "
              "told"},
    // Only a compound device may have non-removable ports.
    {.on = On::Create, .when = {key::kCompoundDevice, "No"}, .sets = kAllRemovable,
     .message = "Compound device field is set to 'No', all of the ports will set to Removable",
     .onlyIfItChanges = true},
    // A timer selection that is none of the three items (an empty item a load appended, or
    // no selection) is stored as 0, and the form goes back to the first timer.
    {.on = On::Create, .when = {key::kOverCurrentTimer, ""}, .sets = kFirstTimer,
     .message = "Over-Current Timer:Invalid value 0x%x, default to 0x0", .showsOnly = true},
};

// Nibble 0 is what an image built from an invalid selection holds; it reads as the first
// timer. Any other unknown nibble is reported and the selection left as it was.
layout::DecodeResult Decode(const layout::Model& model, const CE2promData& image)
{
    layout::DecodeResult result = layout::DecodeFields(model, image);
    const std::uint32_t nibble = layout::GetBits(image, kFields[kTimer].place);
    if (nibble == 0)
        result.values.setIndex(kTimer, 0);
    else if (!result.values.has(kTimer))
        result.notes.push_back({layout::Format("Over-Current Timer:Invalid value 0x%x", nibble),
                                kTimer});
    return result;
}

std::optional<std::string> ForeignImageQuestion(const layout::Model&, const CE2promData& loaded)
{
    const std::uint32_t pid = layout::GetBits(loaded, kFields[At(key::kPid)].place);
    if (std::find(kOwnProductIds.begin(), kOwnProductIds.end(), pid) != kOwnProductIds.end())
        return std::nullopt;
    // The two bytes as they stand in the file, each without leading zero.
    return layout::Format("Dev PID %X%X is not QH404. Click OK to go on, Cancel to abort",
                          pid >> 8, pid & 0xFFu);
}

// The "Collect Data" box: the IDs and byte values over the group of the byte they share;
// beside them the two other bit groups, one over the other.
constexpr layout::Node kIdColumn[]{layout::Rows(),
                                   layout::Gap(8), layout::Group(kGroupConfig1)};
constexpr layout::Node kBitColumn[]{layout::Group(kGroupConfig2), layout::Group(kGroupConfig3)};
constexpr layout::Node kCollectColumns[]{
    {.part = layout::Part::Stack, .parts = kIdColumn, .row = 0, .column = 0},
    {.part = layout::Part::Stack, .parts = kBitColumn, .row = 0, .column = 1},
};
constexpr layout::Page kPages[]{
    {"", {.part = layout::Part::Grid, .name = "Collect Data", .parts = kCollectColumns}}};

} // namespace

constinit const layout::Model kModel{
    .id = "qh404",
    .name = "QH404",
    .description = "four ports, On-The-Go option",
    .family = kFamilyId,
    .fields = kFields,
    .unused = kUnused,
    .readHex = layout::HexReading::Scanned,
    .start = layout::CreateStart::KeepHolder,
    .loadSize = 16,
    .exactLoadSize = false,
    .decode = Decode,
    .foreignImageQuestion = ForeignImageQuestion,
    .rules = kRules,
    .hookRules = kHookRules,
    .pages = kPages,
    .window = {.kind = layout::WindowKind::Main},
};

} // namespace qh404
