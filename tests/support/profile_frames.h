// Instrument frames and colours for the profile tests of either program: a triangle wave that
// makes the curves slope, meter frames in the shape "T", status, two signed fields, and an
// RZ27-MK2 count, with eight trace colours apart from each other, the grid, white and black.
#pragma once

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace survey::test {

constexpr COLORREF kTraceColours[8] = {RGB(255, 0, 0),   RGB(0, 160, 0),   RGB(0, 0, 255),  RGB(200, 0, 200),
                                       RGB(0, 200, 200), RGB(255, 140, 0), RGB(120, 60, 0), RGB(90, 90, 255)};

// A triangle wave 0..10..0 over 20 readings, so that the curves slope and a column shift shows.
inline double Tri(int i) {
  const int phase = i % 20;
  return phase < 10 ? phase : 20 - phase;
}

// The 12 bytes of a meter frame: tag, status and the two fields as "%+05d".
inline std::string MeterFrame(char tag, unsigned char status, int field1, int field2) {
  char f[16];
  snprintf(f, sizeof f, "%c%c%+05d%+05d", tag, status, field1, field2);
  return std::string(f, 12);
}

// An RZ27-MK2 count for a base value.
inline int Mk2Count(double base) { return static_cast<int>(std::lround((base / 8.0 + 160.0) * 1024.0 / 5.0)); }

}  // namespace survey::test
