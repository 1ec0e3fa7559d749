#pragma once

// The QH1xx family image: sixteen configuration bytes at the start of the image, shared
// by the QH102, QH103, QH104 and QH107. One table describes every field the family has;
// each model is that table less what the model lacks, plus the few values it sets its own
// way (its ports, its product IDs, its bus-power defaults, and the QH102's shorter
// Current Sensing list).

#include "layout/fields.h"
#include "layout/model.h"

#include <span>
#include <string_view>

namespace qh1xx {

// The family's name in its models' descriptions.
inline constexpr std::string_view kFamilyId = "qh1xx";

// Keys of the fields the family's rules and editor name.
inline constexpr std::string_view kVid = layout::hub::kVid.key;
inline constexpr std::string_view kPid = layout::hub::kPid.key;
inline constexpr std::string_view kSelfBusPower = layout::hub::kSelfBusPower.key;
inline constexpr std::string_view kCurrentSensing = layout::hub::kCurrentSensing.key;
inline constexpr std::string_view kOverCurrentTimer = layout::hub::kOverCurrentTimer.key;
inline constexpr std::string_view kCompoundDevice = layout::hub::kCompoundDevice.key;

// The port bitmaps a port has a field in.
enum class PortMap { None, NonRemovable, DisableBus, DisableSelf };

// A field of the family table: the field itself and, for a port field, which port and
// which bitmap it belongs to (port 0: not a port field).
struct FamilyField {
    layout::Field field;
    int port = 0;
    PortMap map = PortMap::None;
};

// Every field any model of the family has, in form order. Per-model values (items,
// defaults, places) are those of the model's own fields; read these for keys, labels,
// groups and ports.
std::span<const FamilyField> FamilyFields();
// The same fields alone: what the family's window shows (each model's pages place them).
std::span<const layout::Field> FormFields();

// The four models, in the order of the main window's model list.
std::span<const layout::Model> Models();

const layout::Model& Qh102();
const layout::Model& Qh103();
const layout::Model& Qh104();
const layout::Model& Qh107();

} // namespace qh1xx
