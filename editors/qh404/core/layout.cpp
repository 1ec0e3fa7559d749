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
    kBoxes.word(key::kVid, "VID (hex)", "", 0, "7A7A", kHighByteFirst),
    kBoxes.word(key::kPid, "PID (hex)", "", 2, "A700", kHighByteFirst),
    kBoxes.word(key::kDid, "DID (hex)", "", 4, "0000", kHighByteFirst),
    Flag(key::kDynamicPower, "Dynamic Power", kGroupConfig1, kNoYes, "No", kConfig1Byte, 7),
    Flag(key::kOnTheGo, "On-The_Go", kGroupConfig1, kOtg, "Disable OTG", kConfig1Byte, 6),
    {.key = key::kOverCurrentTimer, .label = "Over-Current Timer", .group = kGroupConfig1,
     .items = kTimers, .defaultText = "2ms", .place = {kConfig1Byte, 0, 4},
     .codes = kTimerCodes},
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
constexpr std::size_t kCompound = At(key::kCompoundDevice);
constexpr std::size_t kPowerSource = At(key::kSelfBusPower);
constexpr std::array<std::size_t, 4> kNonRemovable{
    At(key::kNonRemovable[0]), At(key::kNonRemovable[1]), At(key::kNonRemovable[2]),
    At(key::kNonRemovable[3])};
// Shown greyed: the user cannot change them, a loaded image still shows its values.
constexpr std::array<std::size_t, 2> kFixed{At(key::kDynamicPower), At(key::kOnTheGo)};

constexpr std::array<layout::UnusedBytes, 1> kUnused{{
    {12, 255, "not used by the QH404; kept as the image holder has them"},
}};

// The product IDs of the hub's own line; a file with another one belongs to another model.
constexpr std::array<std::uint16_t, 3> kOwnProductIds{0xA500, 0xA600, 0xA700};

int IndexIn(std::size_t field, std::string_view item) { return kFields[field].indexOf(item); }

// Current sensing and port power switching must agree: mixed settings become individual.
void PowerSenseRule(const layout::Values& values, CE2promData& image,
                    layout::EncodeResult& result)
{
    const std::int64_t sensing = values.index(kSensing);
    const std::int64_t power = values.index(kPortPower);
    if (sensing == power)
        return;
    layout::PutBits(image, kFields[kSensing].place, 0);
    layout::PutBits(image, kFields[kPortPower].place, 0);
    layout::Correction correction{
        layout::Format("Conflict values of port power=0x%x and Current Sense=0x%x, set to "
                       "default=0",
                       static_cast<unsigned>(power), static_cast<unsigned>(sensing)),
        {}};
    correction.changes.setIndex(kSensing, 0);
    correction.changes.setIndex(kPortPower, 0);
    result.corrections.push_back(std::move(correction));
}

// Only a compound device may have non-removable ports.
void CompoundRule(CE2promData& image, layout::EncodeResult& result)
{
    const bool anyFixed = std::any_of(kNonRemovable.begin(), kNonRemovable.end(), [&](auto at) {
        return layout::GetBits(image, kFields[at].place) != 0;
    });
    if (layout::GetBits(image, kFields[kCompound].place) != 0 || !anyFixed)
        return;
    layout::Correction correction{
        "Compound device field is set to 'No', all of the ports will set to Removable", {}};
    for (std::size_t port : kNonRemovable) {
        layout::PutBits(image, kFields[port].place, 0);
        correction.changes.setIndex(port, 0);
    }
    result.corrections.push_back(std::move(correction));
}

// The timer is a nibble with three known codes; a selection that is none of the three
// items (an empty item a load appended, or no selection) is stored as 0 and the form goes
// back to the first timer.
void TimerRule(const layout::Values& values, CE2promData& image, layout::EncodeResult& result)
{
    const Field& timer = kFields[kTimer];
    const std::int64_t index = values.index(kTimer);
    if (index >= 0 && static_cast<std::size_t>(index) < timer.items.size())
        return;
    layout::PutBits(image, timer.place, 0);
    layout::Correction correction{
        layout::Format("Over-Current Timer:Invalid value 0x%x, default to 0x0",
                       static_cast<unsigned>(index)),
        {}};
    correction.changes.setIndex(kTimer, 0);
    result.corrections.push_back(std::move(correction));
}

layout::EncodeResult Encode(const layout::Model& model, const layout::Values& values,
                            CE2promData& image)
{
    layout::EncodeResult result = layout::EncodeFields(model, values, image);
    PowerSenseRule(values, image, result);
    CompoundRule(image, result);
    TimerRule(values, image, result);
    return result;
}

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

// Bus power brings its own current values, no port LEDs and port 4 switched off; self
// power puts all three back. Silent.
layout::Correction PowerSourceRule(bool bus)
{
    const char* current = bus ? "64" : "00";
    layout::Correction correction;
    correction.changes.setText(At(key::kMaxPower), current);
    correction.changes.setText(At(key::kHubCurrent), current);
    correction.changes.setIndex(At(key::kPortIndicators),
                                IndexIn(At(key::kPortIndicators), bus ? "No-LED" : "LED"));
    correction.changes.setIndex(At(key::kPortDisable[3]),
                                IndexIn(At(key::kPortDisable[3]), bus ? "Disable" : "Enable"));
    return correction;
}

std::optional<layout::Correction> OnUserChange(const layout::Model&, std::size_t field,
                                               const layout::Values& now)
{
    if (field == kPowerSource)
        return PowerSourceRule(now.index(field) == IndexIn(field, "Bus-Power"));
    // A non-removable port makes the hub part of a compound device.
    const bool port = std::find(kNonRemovable.begin(), kNonRemovable.end(), field) !=
                      kNonRemovable.end();
    if (!port || now.index(field) != IndexIn(field, "Non-Removeable") ||
        now.index(kCompound) != IndexIn(kCompound, "No"))
        return std::nullopt;
    layout::Correction correction{
        "Non-Removable has been selected, Compound device field will set to Yes", {}};
    correction.changes.setIndex(kCompound, IndexIn(kCompound, "Yes"));
    return correction;
}

void Greying(const layout::Model&, const layout::Values&, std::optional<std::size_t>,
             std::vector<bool>& enabled)
{
    for (std::size_t fixed : kFixed)
        enabled[fixed] = false;
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
    .encode = Encode,
    .decode = Decode,
    .foreignImageQuestion = ForeignImageQuestion,
    .onUserChange = OnUserChange,
    .greying = Greying,
    .pages = kPages,
};

} // namespace qh404
