#pragma once

// The QH404: a four-port hub with an On-The-Go option. Its configuration fills the first
// twelve bytes of the image; its IDs are stored high byte first, unlike every other family.

#include "layout/fields.h"
#include "layout/model.h"

#include <span>
#include <string_view>

namespace qh404 {

// The family's name in its model's description.
inline constexpr std::string_view kFamilyId = "qh404";

// Field keys (profile keys and widget object names).
// The configuration bits it shares with the other families carry their shared keys, though
// most of them sit elsewhere in its image.
namespace key {
namespace hub = layout::hub;
inline constexpr std::string_view kVid = hub::kVid.key;
inline constexpr std::string_view kPid = hub::kPid.key;
inline constexpr std::string_view kDid = hub::kDid.key;
inline constexpr std::string_view kDynamicPower = hub::kDynamicPower.key;
inline constexpr std::string_view kOnTheGo = "on_the_go";
inline constexpr std::string_view kOverCurrentTimer = hub::kOverCurrentTimer.key;
inline constexpr std::string_view kMaxPower = "max_power";
inline constexpr std::string_view kHubCurrent = "hub_current";
inline constexpr std::string_view kPowerOnTime = hub::kPowerOnTime.key;
inline constexpr std::string_view kSelfBusPower = hub::kSelfBusPower.key;
inline constexpr std::string_view kPortIndicators = hub::kPortIndicators.key;
inline constexpr std::string_view kHighSpeedDisable = hub::kHighSpeedDisable.key;
inline constexpr std::string_view kMultipleTt = hub::kMultipleTt.key;
inline constexpr std::string_view kEopDisable = hub::kEopDisable.key;
inline constexpr std::string_view kCurrentSensing = hub::kCurrentSensing.key;
inline constexpr std::string_view kPortPower = hub::kPortPower.key;
inline constexpr std::string_view kCompoundDevice = hub::kCompoundDevice.key;
// Port n (1 to 4) is element n - 1.
inline constexpr std::string_view kNonRemovable[4] = {
    "port1_non_removable", "port2_non_removable", "port3_non_removable", "port4_non_removable"};
inline constexpr std::string_view kPortDisable[4] = {"port1_disable", "port2_disable",
                                                     "port3_disable", "port4_disable"};
} // namespace key

// Group captions as the form shows them.
inline constexpr std::string_view kGroupConfig1 = "Config Data 1";
inline constexpr std::string_view kGroupConfig2 = "Config Data 2 ";
inline constexpr std::string_view kGroupConfig3 = "Config Data 3";

extern const layout::Model kModel;

} // namespace qh404
