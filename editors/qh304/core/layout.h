#pragma once

// The QH304: four ports shared by two upstream hosts, "UP1" and "UP2". Its image fills all
// 256 bytes: IDs low byte first, three configuration bytes, four port bitmaps, power and
// timing bytes, a language ID stored high byte first, three string areas, and from 0xD1 the
// ownership registers of eight interfaces, the port assignment and the port lockout. Create
// starts from an erased image and writes every byte; the form rewrites what is typed when a
// box is left, and refuses to build until its checks pass.

#include "layout/model.h"

#include <string_view>

namespace qh304 {

// The family's name in its model's description.
inline constexpr std::string_view kFamilyId = "qh304";

// The group captions of the second page.
inline constexpr std::string_view kGroupInterfaces = "Port Assign Interface Configuration Fields";
inline constexpr std::string_view kGroupAssignment = "Port Assignment Fields";
inline constexpr std::string_view kGroupLockout = "Port Lockout";

// The eight interfaces and the four ports of each.
inline constexpr int kInterfaces = 8;
inline constexpr int kPorts = 4;

extern const layout::Model kModel;

} // namespace qh304
