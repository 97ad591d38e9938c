// Control ids the display options' templates and procedure share: channel c's check box, colour
// sample button and width list.
#pragma once

#include <cstdint>

namespace desktop {

inline constexpr uint16_t kDisplayCheckIds[8] = {1162, 1163, 1164, 1165, 3005, 3006, 3007, 3008};
inline constexpr uint16_t kDisplayColourIds[8] = {1170, 1171, 1174, 1175, 3003, 3004, 3011, 3012};
inline constexpr uint16_t kDisplayWidthIds[8] = {1196, 1197, 1198, 1199, 3001, 3002, 3009, 3010};

}  // namespace desktop
