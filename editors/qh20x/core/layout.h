#pragma once

// The QH20x family image: one 256-byte layout shared by the QH202, the QH203 and QH204 (each
// in a 36-pin and a 48-pin package) and the QH207. One table describes every field the
// family has, its widest model (seven ports) first; each model is that table less what it
// lacks (ports, and on the QH202 the strings and three options), plus the values it sets its
// own way. Create builds the image from zeros; a load takes files of exactly 256 bytes.

#include "layout/fields.h"
#include "layout/model.h"

#include <span>
#include <string_view>

namespace qh20x {

// The family's name in its models' descriptions.
inline constexpr std::string_view kFamilyId = "qh20x";

// Keys the family's rules and editors name.
inline constexpr std::string_view kCompoundDevice = layout::hub::kCompoundDevice.key;
inline constexpr std::string_view kPortRemap = "port_remap";
inline constexpr std::string_view kLedMode = layout::hub::kLedMode.key;
inline constexpr std::string_view kStringEnable = layout::hub::kStringEnable.key;

// The group captions of the additional page.
inline constexpr std::string_view kGroupBoost = "Electrical Drive Strength Boost";
inline constexpr std::string_view kGroupPortMap = "Port Map";
inline constexpr std::string_view kGroupPortSwap = "Port Swap";

// The three editors of the family, each a pair of pages.
enum class Editor { Qh202, Qh20x, Qh207 };

// What the editors need to know of a model beyond its fields.
struct Variant {
    std::string_view id;
    std::string_view name;        // the main window's model-list entry
    std::string_view description;
    Editor editor;
    std::string_view deviceEntry; // the page's own "Device ID" entry for the model
    int ports;                    // port choices per group (the QH203 shows a fourth, fixed)
    int logicalPorts;             // the highest "Map to Logical Port" item
    bool fourthPortFixed;         // QH203: port 4's choices are always disabled
    bool ledFixed;                // 36-pin: "LED Mode" shows "USB" and is always disabled
};

// The six models, in the order of the main window's model list.
std::span<const layout::Model> Models();
const Variant& VariantOf(const layout::Model& model);

} // namespace qh20x
