#include "editors/qh404/layout.h"

#include "image/e2prom_data.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace qh404 {

using layout::Field;
using layout::HexStyle;
using layout::Kind;
using layout::Place;

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

constexpr Field Word(std::string_view key, std::string_view label, std::string_view text,
                     std::uint16_t offset)
{
    return {.key = key, .label = label, .kind = Kind::Hex, .defaultText = text,
            .place = {offset, 0, 16, true}, .style = HexStyle::Word};
}

constexpr Field Byte(std::string_view key, std::string_view label, std::string_view text,
                     std::uint16_t offset)
{
    return {.key = key, .label = label, .kind = Kind::Hex, .defaultText = text,
            .place = {offset, 0, 8}, .style = HexStyle::Byte};
}

// A two-item choice stored as one bit: the item index is the bit.
constexpr Field Flag(std::string_view key, std::string_view label, std::string_view group,
                     std::span<const std::string_view> items, std::string_view text,
                     std::uint16_t offset, std::uint8_t bit)
{
    return {.key = key, .label = label, .group = group, .items = items, .defaultText = text,
            .place = {offset, bit, 1}};
}

constexpr std::uint16_t kConfig3Byte = 6; // the group captions run opposite to the bytes
constexpr std::uint16_t kConfig2Byte = 7;
constexpr std::uint16_t kConfig1Byte = 8;

constexpr std::array<Field, 25> kFields{{
    Word(key::kVid, "VID (hex)", "7A7A", 0),
    Word(key::kPid, "PID (hex)", "A700", 2),
    Word(key::kDid, "DID (hex)", "0000", 4),
    Flag(key::kDynamicPower, "Dynamic Power", kGroupConfig1, kNoYes, "No", kConfig1Byte, 7),
    Flag(key::kOnTheGo, "On-The_Go", kGroupConfig1, kOtg, "Disable OTG", kConfig1Byte, 6),
    // Bits 5-4 of this byte belong to no field and are always written 0.
    {.key = key::kOverCurrentTimer, .label = "Over-Current Timer", .group = kGroupConfig1,
     .items = kTimers, .defaultText = "2ms", .place = {kConfig1Byte, 0, 4},
     .codes = kTimerCodes},
    Byte(key::kMaxPower, "Max Power (hex)", "00", 9),
    Byte(key::kHubCurrent, "Hub Controller Current (hex)", "00", 10),
    Byte(key::kPowerOnTimer, "Power-On Timer (hex)", "80", 11),
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

constexpr Place kSpareTimerBits{kConfig1Byte, 4, 2};
constexpr Place kNonRemovableBits{kConfig2Byte, 4, 4};

constexpr std::array<layout::UnusedBytes, 1> kUnused{{
    {12, 255, "not used by the QH404; kept as the image holder has them"},
}};

// The product IDs of the hub's own line; a file with another one belongs to another model.
constexpr std::array<std::uint16_t, 3> kOwnProductIds{0xA500, 0xA600, 0xA700};

// Current sensing and port power switching must agree: mixed settings become individual.
void PowerSenseRule(const layout::Values& values, CE2promData& image,
                    layout::EncodeResult& result)
{
    const std::int64_t sensing = values.number(key::kCurrentSensing);
    const std::int64_t power = values.number(key::kPortPower);
    if (sensing == power)
        return;
    layout::PutBits(image, FieldOf(key::kCurrentSensing).place, 0);
    layout::PutBits(image, FieldOf(key::kPortPower).place, 0);
    result.corrections.push_back(
        {layout::Format("Conflict values of port power=0x%x and Current Sense=0x%x, set to "
                        "default=0",
                        static_cast<unsigned>(power), static_cast<unsigned>(sensing)),
         {{std::string(key::kCurrentSensing), 0}, {std::string(key::kPortPower), 0}}});
}

// Only a compound device may have non-removable ports.
void CompoundRule(CE2promData& image, layout::EncodeResult& result)
{
    if (layout::GetBits(image, FieldOf(key::kCompoundDevice).place) != 0 ||
        layout::GetBits(image, kNonRemovableBits) == 0)
        return;
    layout::PutBits(image, kNonRemovableBits, 0);
    layout::Correction correction{
        "Compound device field is set to 'No', all of the ports will set to Removable", {}};
    for (std::string_view port : key::kNonRemovable)
        correction.updates.emplace_back(std::string(port), 0);
    result.corrections.push_back(std::move(correction));
}

// The timer is a nibble with three known codes; a selection that is none of the three
// items (an empty item a load appended, or no selection) is stored as 0 and the form goes
// back to the first timer.
void TimerRule(const layout::Values& values, CE2promData& image, layout::EncodeResult& result)
{
    const Field& timer = FieldOf(key::kOverCurrentTimer);
    const std::int64_t index = values.number(timer.key);
    if (index >= 0 && static_cast<std::size_t>(index) < timer.items.size())
        return;
    layout::PutBits(image, timer.place, 0);
    result.corrections.push_back(
        {layout::Format("Over-Current Timer:Invalid value 0x%x, default to 0x0",
                        static_cast<unsigned>(index)),
         {{std::string(timer.key), 0}}});
}

// Nibble 0 is what an image built from an invalid selection holds; it reads as the first
// timer. Any other unknown nibble is reported and the selection left as it was.
void DecodeTimer(const CE2promData& image, layout::DecodeResult& result)
{
    const Field& timer = FieldOf(key::kOverCurrentTimer);
    const std::uint32_t nibble = layout::GetBits(image, timer.place);
    const int index = nibble == 0 ? 0 : layout::IndexOfCode(timer, nibble);
    if (index >= 0) {
        result.values.numbers[std::string(timer.key)] = index;
        return;
    }
    result.notes.push_back(
        {layout::Format("Over-Current Timer:Invalid value 0x%x", nibble), std::string(timer.key)});
}

} // namespace

std::span<const Field> Fields() { return kFields; }

const Field& FieldOf(std::string_view key)
{
    const Field* field = layout::FindField(kFields, key);
    if (!field)
        std::abort(); // a key that is not in the table is a programming error
    return *field;
}

layout::EncodeResult Encode(const layout::Values& values, CE2promData& image)
{
    for (const Field& field : kFields)
        layout::EncodePlainField(field, values, image);
    layout::PutBits(image, kSpareTimerBits, 0);

    layout::EncodeResult result;
    PowerSenseRule(values, image, result);
    CompoundRule(image, result);
    TimerRule(values, image, result);
    return result;
}

layout::DecodeResult Decode(const CE2promData& image)
{
    layout::DecodeResult result;
    for (const Field& field : kFields)
        if (field.key != key::kOverCurrentTimer)
            layout::DecodePlainField(field, image, result.values);
    DecodeTimer(image, result);
    return result;
}

std::optional<std::string> ForeignImageQuestion(const CE2promData& loaded)
{
    const std::uint32_t pid = layout::GetBits(loaded, FieldOf(key::kPid).place);
    if (std::find(kOwnProductIds.begin(), kOwnProductIds.end(), pid) != kOwnProductIds.end())
        return std::nullopt;
    // The two bytes as they stand in the file, each without leading zero.
    return layout::Format("Dev PID %X%X is not QH404. Click OK to go on, Cancel to abort",
                          pid >> 8, pid & 0xFFu);
}

constinit const layout::Model kModel{
    .id = "qh404",
    .name = "QH404",
    .description = "four ports, On-The-Go option",
    .fields = kFields,
    .unused = kUnused,
    .readHex = layout::ScanHex,
    .hexTextLimit = 7,
    .loadSize = 16,
    .exactLoadSize = false,
    .encode = Encode,
    .decode = Decode,
    .foreignImageQuestion = ForeignImageQuestion,
};

} // namespace qh404
