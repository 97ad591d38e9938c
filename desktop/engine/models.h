// What differs by instrument in the desktop program: one constant row per model, -2 to 7. Code
// asks the build's row (ThisModel()) instead of testing the model number.
#pragma once

#include <cstdint>

#include "engine/state.h"

namespace desktop {

// Layout of the data file's header record.
enum class HeaderLayout : uint8_t {
  kNone,   // no header record: the file begins with the header name record
  kRz56,   // sensor size in byte 16, the conversion variant in byte 20
  kMeter,  // dipole in byte 16, component in byte 18
  kMk2,    // as kMeter, the RZ27-MK2 type in byte 19, L = 26 with the mark in byte 24
};

struct ModelRow {
  int32_t model;                  // BuildConfig.modelIndex
  const char* settingsFile;       // settings file name in the start folder
  HeaderLayout header;            // header record layout
  const char* headerTag;          // header bytes 0-11 (RZ56-MK2: for rz56Type 0 and 2)
  const char* headerTagAlt;       // header bytes 0-11 for rz56Type 1 and 3; null when none
  int32_t recordLength;           // L: bytes per data-file record
  const char* extension;          // data-file extension with its dot, "" for none
  const char* filterText;         // save-dialog filter text
  const char* filterPattern;      // save-dialog filter pattern
  const char* defaultExtension;   // save-dialog default extension, null for none
  int32_t component;              // start value of SurveySettings.component
  int32_t dipole;                 // start value of SurveySettings.dipole
  bool rz56;                      // RZ56 build: mV scale 1 to 2000, grid on scale 1, null records
  int32_t nullChannels;           // null / QC records per group (RZ56 builds), else 0
  bool qcInHeaderNulls;           // header null records carry the QC code and values
  bool mk2;                       // RZ27-MK2 lines in the settings file, O1 to O6 after a line block
};

inline constexpr ModelRow kModelRows[] = {
    {kModelRz56, "RZ56XP.INI", HeaderLayout::kNone, nullptr, nullptr, 24, "", "RZ56MK2 Files (*.R56)", "*.R56",
     nullptr, 0, 0, true, 2, false, false},
    {kModelRz56Mk2, "RZ56MK2XP.INI", HeaderLayout::kRz56, "RZ56MK2 W106", "RZ56HP2 W106", 24, ".R56",
     "RZ56MK2 Files (*.R56)", "*.R56", "R56", 0, 0, true, 4, true, false},
    {kModelRz12, "RZ12XP.INI", HeaderLayout::kMeter, "RZ12    W106", nullptr, 24, ".R12", "RZ12 Files (*.R12)",
     "*.R12", "R12", 0, 0, false, 0, false, false},
    {kModelRz27B, "RZ27BXP.INI", HeaderLayout::kMeter, "RZ27B   W106", nullptr, 24, ".P27", "RZ27B Files (*.P27)",
     "*.P27", "P27", 0, 0, false, 0, false, false},
    {kModelRz27Dd, "RZ27DXP.INI", HeaderLayout::kMeter, "RZ27D   W106", nullptr, 24, ".Q27",
     "RZ27DD Files (*.Q27)", "*.Q27", "Q27", 2, 2, false, 0, false, false},
    {kModelRz27, "RZ27XP.INI", HeaderLayout::kMeter, "RZ27S   W106", nullptr, 24, ".R27", "RZ27 Files (*.R27)",
     "*.R27", "R27", 2, 0, false, 0, false, false},
    {kModelRz45, "RZ45XP.INI", HeaderLayout::kMeter, "RZ45    W106", nullptr, 24, ".R45", "RZ45 Files (*.R45)",
     "*.R45", "R45", 2, 0, false, 0, false, false},
    {kModelRz89, "RZ89XP.INI", HeaderLayout::kNone, nullptr, nullptr, 24, "", "RZ56MK2 Files (*.R56)", "*.R56",
     nullptr, 0, 0, false, 0, false, false},
    {kModelZol12, "CE12XP.INI", HeaderLayout::kNone, nullptr, nullptr, 24, ".Z12", "ZOL12 Files (*.Z12)", "*.Z12",
     "Z12", 0, 0, false, 0, false, false},
    {kModelRz27Mk2, "RZ27MK2XP.INI", HeaderLayout::kMk2, "RZ27MK2 W106", nullptr, 26, ".N27",
     "RZ27MK2 Files (*.N27)", "*.N27", "N27", 0, 0, false, 0, false, true},
};

// The row of a model; an index outside -2 to 7 gets the RZ12's row.
constexpr const ModelRow& RowOf(int32_t model) {
  return model >= kModelFirst && model <= kModelLast ? kModelRows[model - kModelFirst]
                                                     : kModelRows[kModelRz12 - kModelFirst];
}

// The row of the build in force.
inline const ModelRow& ThisModel() { return RowOf(BuildConfig.modelIndex); }

}  // namespace desktop
