#include "bench/qh404_floor.h"

#include "image/e2prom_data.h"

#include <array>

namespace bench::qh404_floor {

namespace {

// Field positions in the QH404's table.
enum : std::size_t {
    kVid, kPid, kDid, kDynamicPower, kOnTheGo, kTimer, kMaxPower, kHubCurrent, kPowerOnTimer,
    kSelfBusPower, kPortIndicators, kHighSpeed, kMultiTt, kEop, kSensing, kPortPower,
    kCompound, kFixed1, kFixed2, kFixed3, kFixed4, kDisable1, kDisable2, kDisable3, kDisable4,
    kFields
};

constexpr std::array<std::uint8_t, 3> kTimerCodes{0x5, 0xA, 0xF};
constexpr std::uint8_t kConfig3 = 6, kConfig2 = 7, kConfig1 = 8;

// A two-item list: its index is the bit; no selection or another index stores 0.
std::uint8_t Bit(const layout::Values& values, std::size_t field, int bit)
{
    return static_cast<std::uint8_t>((values.index(field) == 1 ? 1 : 0) << bit);
}

std::uint32_t Number(const layout::Values& values, std::size_t field)
{
    return layout::ScanHex(std::string_view(values.text(field)).substr(0, 7), 7);
}

std::string Word(const CE2promData::Bytes& bytes, std::size_t at)
{
    return layout::ShowNumber(layout::Show::HexUpper4,
                              static_cast<std::uint32_t>(bytes[at] << 8 | bytes[at + 1]));
}

void PutWord(CE2promData& image, std::uint32_t at, std::uint32_t value)
{
    image.SetByte(static_cast<std::uint8_t>(value >> 8), at);
    image.SetByte(static_cast<std::uint8_t>(value), at + 1);
}

layout::Correction Corrected(std::string message, std::initializer_list<std::size_t> fields)
{
    layout::Correction correction{std::move(message), {}};
    for (std::size_t field : fields)
        correction.changes.setIndex(field, 0);
    return correction;
}

} // namespace

layout::EncodeResult Encode(const layout::Values& values, CE2promData& image)
{
    layout::EncodeResult result;
    PutWord(image, 0, Number(values, kVid));
    PutWord(image, 2, Number(values, kPid));
    PutWord(image, 4, Number(values, kDid));

    const std::int64_t sensing = values.index(kSensing);
    const std::int64_t power = values.index(kPortPower);
    const bool mixedPower = sensing != power;
    std::uint8_t config3 = Bit(values, kSelfBusPower, 7) | Bit(values, kPortIndicators, 6) |
                           Bit(values, kHighSpeed, 5) | Bit(values, kMultiTt, 4) |
                           Bit(values, kEop, 3) | Bit(values, kCompound, 0);
    if (!mixedPower)
        config3 |= Bit(values, kSensing, 2) | Bit(values, kPortPower, 1);
    image.SetByte(config3, kConfig3);

    std::uint8_t fixedPorts = Bit(values, kFixed1, 4) | Bit(values, kFixed2, 5) |
                              Bit(values, kFixed3, 6) | Bit(values, kFixed4, 7);
    const bool fixedOnPlainHub = fixedPorts != 0 && !(config3 & 1u);
    if (fixedOnPlainHub)
        fixedPorts = 0;
    image.SetByte(fixedPorts | Bit(values, kDisable1, 0) | Bit(values, kDisable2, 1) |
                      Bit(values, kDisable3, 2) | Bit(values, kDisable4, 3),
                  kConfig2);

    const std::int64_t timer = values.index(kTimer);
    const bool timerValid = timer >= 0 && timer < 3;
    image.SetByte(Bit(values, kDynamicPower, 7) | Bit(values, kOnTheGo, 6) |
                      (timerValid ? kTimerCodes[static_cast<std::size_t>(timer)] : 0),
                  kConfig1);
    image.SetByte(static_cast<std::uint8_t>(Number(values, kMaxPower)), 9);
    image.SetByte(static_cast<std::uint8_t>(Number(values, kHubCurrent)), 10);
    image.SetByte(static_cast<std::uint8_t>(Number(values, kPowerOnTimer)), 11);

    if (mixedPower)
        result.corrections.push_back(Corrected(
            layout::Format("Conflict values of port power=0x%x and Current Sense=0x%x, set to "
                           "default=0",
                           static_cast<unsigned>(power), static_cast<unsigned>(sensing)),
            {kSensing, kPortPower}));
    if (fixedOnPlainHub)
        result.corrections.push_back(Corrected(
            "Compound device field is set to 'No', all of the ports will set to Removable",
            {kFixed1, kFixed2, kFixed3, kFixed4}));
    if (!timerValid)
        result.corrections.push_back(
            Corrected(layout::Format("Over-Current Timer:Invalid value 0x%x, default to 0x0",
                                     static_cast<unsigned>(timer)),
                      {kTimer}));
    return result;
}

layout::DecodeResult Decode(const CE2promData& image)
{
    const auto& bytes = image.bytes();
    layout::DecodeResult result{layout::Values(kFields), {}};
    layout::Values& values = result.values;
    values.setText(kVid, Word(bytes, 0));
    values.setText(kPid, Word(bytes, 2));
    values.setText(kDid, Word(bytes, 4));

    const std::uint8_t config3 = bytes[kConfig3];
    const std::uint8_t config2 = bytes[kConfig2];
    const std::uint8_t config1 = bytes[kConfig1];
    values.setIndex(kDynamicPower, config1 >> 7 & 1);
    values.setIndex(kOnTheGo, config1 >> 6 & 1);
    const std::uint8_t nibble = config1 & 0xF;
    if (nibble == 0)
        values.setIndex(kTimer, 0);
    for (std::size_t item = 0; item < kTimerCodes.size(); ++item)
        if (nibble == kTimerCodes[item])
            values.setIndex(kTimer, static_cast<std::int64_t>(item));
    for (std::size_t at = 0; at < 3; ++at)
        values.setText(kMaxPower + at, layout::ShowNumber(layout::Show::HexLower, bytes[9 + at]));
    for (int bit = 7; bit >= 0; --bit) // kSelfBusPower (bit 7) to kCompound (bit 0)
        values.setIndex(kSelfBusPower + static_cast<std::size_t>(7 - bit), config3 >> bit & 1);
    for (int port = 0; port < 4; ++port) {
        values.setIndex(kFixed1 + static_cast<std::size_t>(port), config2 >> (4 + port) & 1);
        values.setIndex(kDisable1 + static_cast<std::size_t>(port), config2 >> port & 1);
    }
    if (!values.has(kTimer))
        result.notes.push_back(
            {layout::Format("Over-Current Timer:Invalid value 0x%x", nibble), kTimer});
    return result;
}

} // namespace bench::qh404_floor
