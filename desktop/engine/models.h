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

// Rows 1 and 2 of the start screen's right-hand summary column.
enum class SummaryKind : uint8_t {
  kNone,   // both rows empty
  kRz56,   // RZ56-MK2 type and sensor size
  kRz12,   // RZ12 type and dipole
  kRz27,   // component and dipole
  kRz45,   // fixed component, dipole or readings per station
  kMk2,    // RZ27-MK2 type and dipole
};

// The logging window's shape: its button sets, status-strip widths, scale labels and number cells.
enum class LoggingKind : uint8_t {
  kRz56Mk2,  // six Monitor and ten Stand By buttons, mV scale, battery field
  kMeter,    // three and seven buttons, two scales with the grid's in bold
  kRz45,     // as kMeter with the wide RZ45 mode field and one bold scale
  kMk2,      // five and nine buttons, the calibration field, five number cells
  kPartial,  // the meter buttons; no status fields, scale labels or captions
};

// The text of the logging window's mode field.
enum class ModeField : uint8_t { kNone, kDipole, kComponent, kRz45 };

// What a run start starts for the instrument.
enum class RunReader : uint8_t {
  kRz56Mk2,  // 'H','X' answered "OK", then the request reader and the 100 ms timer
  kNone,     // no reader and no timer
  kMeter,    // the 300 ms timer and the meter reader
  kProbed,   // the format probe first, then as kMeter
  kZol12,    // the ice-thickness reader, no timer
  kMk2,      // the 300 ms timer, the RZ27-MK2 reader and its marker watcher
};

// What timer 1 of the logging window checks.
enum class WatchdogKind : uint8_t { kNone, kMeter, kRz56Mk2 };

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
  float framePeriodMs;            // instrument frame period for the sample divisor
  bool oneSecondFrames;           // about one frame a second whatever the interval (ZOL12)
  // ---- The windows' facts ----
  const char* windowTitle;        // main window title
  const char* screenTitle;        // start-screen title
  const char* splash;             // start-screen splash bitmap, null for none
  const char* portLabel;          // summary label of the instrument port
  SummaryKind summary;            // summary rows 1 and 2 of the right column
  const char* surveySetupDialog;  // the start screen's Survey Setup template, null for none
  const char* systemSetupDialog;  // the start screen's System Setup template, null for none
  const char* profilesDialog;     // the start screen's Profiles Options template
  const char* scaleDialog;        // the logging window's Scale template
  const char* displayDialog;      // the logging window's Profiles template
  LoggingKind logging;            // the logging window's shape
  ModeField modeField;            // the logging window's mode text
  const char* const* captions;    // the numbers panel's column captions, null for none
  RunReader reader;               // what a run start starts
  WatchdogKind watchdog;          // what timer 1 checks
};

// Numbers panel captions by instrument family.
inline constexpr const char* kCaptionsRz56Mk2[] = {"Ch1 [mV]", "Ch2 [mV]", "Ch3 [mV]", "Ch4 [mV]", nullptr};
inline constexpr const char* kCaptionsMeter[] = {"Conductivity", "Inphase", "Dipole", "Gain", nullptr};
inline constexpr const char* kCaptionsRz27Dd[] = {"Vertical", "Horizontal", "Component", "Gain", nullptr};
inline constexpr const char* kCaptionsRz45[] = {"Conductivity", "Separation", "Dipole", "Gain", nullptr};
inline constexpr const char* kCaptionsMk2[] = {"Cond 1 m", "Inph 1 m", "Cond 0.5 m", "Inph 0.5 m", "Dipole"};

inline constexpr ModelRow kModelRows[] = {
    {kModelRz56, "RZ56XP.INI", HeaderLayout::kNone, nullptr, nullptr, 24, "", "RZ56MK2 Files (*.R56)", "*.R56",
     nullptr, 0, 0, true, 2, false, false, 91.0f, false,
     "RZ56xp", "RZ56xp", "SPLASH56MK2", "RZ56 Port:", SummaryKind::kNone, nullptr, nullptr, "DISPLAYSETUP12",
     "READINGSCALE12", "DISPLAYSETUP", LoggingKind::kPartial, ModeField::kNone, nullptr, RunReader::kNone,
     WatchdogKind::kNone},
    {kModelRz56Mk2, "RZ56MK2XP.INI", HeaderLayout::kRz56, "RZ56MK2 W106", "RZ56HP2 W106", 24, ".R56",
     "RZ56MK2 Files (*.R56)", "*.R56", "R56", 0, 0, true, 4, true, false, 91.0f, false,
     "RZ56MK2xp", "RZ56MK2xp", "SPLASH56MK2", "RZ56-MK2 Port:", SummaryKind::kRz56, "SURVEYSETUP", "SYSTEM",
     "DISPLAYSETUP", "READINGSCALE", "DISPLAYSETUP", LoggingKind::kRz56Mk2, ModeField::kNone, kCaptionsRz56Mk2,
     RunReader::kRz56Mk2, WatchdogKind::kRz56Mk2},
    {kModelRz12, "RZ12XP.INI", HeaderLayout::kMeter, "RZ12    W106", nullptr, 24, ".R12", "RZ12 Files (*.R12)",
     "*.R12", "R12", 0, 0, false, 0, false, false, 91.0f, false,
     "RZ12xp", "RZ12xp", "SPLASH12", "RZ12 Port:", SummaryKind::kRz12, "SURVEYSETUP12", "SYSTEM12", "DISPLAYSETUP12",
     "READINGSCALE12", "DISPLAYSETUP12", LoggingKind::kMeter, ModeField::kDipole, kCaptionsMeter, RunReader::kMeter,
     WatchdogKind::kMeter},
    {kModelRz27B, "RZ27BXP.INI", HeaderLayout::kMeter, "RZ27B   W106", nullptr, 24, ".P27", "RZ27B Files (*.P27)",
     "*.P27", "P27", 0, 0, false, 0, false, false, 91.0f, false,
     "RZ27Bxp", "RZ27Bxp", "SPLASH27B", "RZ27B Port:", SummaryKind::kRz27, "SURVEYSETUP27B", "SYSTEM27",
     "DISPLAYSETUP12", "READINGSCALE12", "DISPLAYSETUP12", LoggingKind::kMeter, ModeField::kDipole, kCaptionsMeter,
     RunReader::kMeter, WatchdogKind::kMeter},
    {kModelRz27Dd, "RZ27DXP.INI", HeaderLayout::kMeter, "RZ27D   W106", nullptr, 24, ".Q27",
     "RZ27DD Files (*.Q27)", "*.Q27", "Q27", 2, 2, false, 0, false, false, 91.0f, false,
     "RZ27DDxp", "RZ27DDxp", "SPLASH27DD", "RZ27-DD Port:", SummaryKind::kRz27, "SURVEYSETUP27DD", "SYSTEM27",
     "DISPLAYSETUP12", "READINGSCALE12", "DISPLAYSETUP12", LoggingKind::kMeter, ModeField::kComponent,
     kCaptionsRz27Dd, RunReader::kMeter, WatchdogKind::kMeter},
    {kModelRz27, "RZ27XP.INI", HeaderLayout::kMeter, "RZ27S   W106", nullptr, 24, ".R27", "RZ27 Files (*.R27)",
     "*.R27", "R27", 2, 0, false, 0, false, false, 91.0f, false,
     "RZ27xp", "RZ27xp", "SPLASH27", "RZ27 Port:", SummaryKind::kRz27, "SURVEYSETUP27", "SYSTEM27", "DISPLAYSETUP12",
     "READINGSCALE12", "DISPLAYSETUP12", LoggingKind::kMeter, ModeField::kDipole, kCaptionsMeter, RunReader::kProbed,
     WatchdogKind::kMeter},
    {kModelRz45, "RZ45XP.INI", HeaderLayout::kMeter, "RZ45    W106", nullptr, 24, ".R45", "RZ45 Files (*.R45)",
     "*.R45", "R45", 2, 0, false, 0, false, false, 91.0f, false,
     "RZ45-3xp", "RZ45-3xp", "SPLASH45", "RZ45-3 Port:", SummaryKind::kRz45, "SURVEYSETUP45", "SYSTEM27",
     "DISPLAYSETUP45", "READINGSCALE45", "DISPLAYSETUP45", LoggingKind::kRz45, ModeField::kRz45, kCaptionsRz45,
     RunReader::kMeter, WatchdogKind::kMeter},
    {kModelRz89, "RZ89XP.INI", HeaderLayout::kNone, nullptr, nullptr, 24, "", "RZ56MK2 Files (*.R56)", "*.R56",
     nullptr, 0, 0, false, 0, false, false, 91.0f, false,
     "RZ89xp", "RZ89xp", "SPLASH27MK2", "RZ89 Port:", SummaryKind::kNone, nullptr, nullptr, "DISPLAYSETUP12",
     "READINGSCALE12", "DISPLAYSETUP12", LoggingKind::kPartial, ModeField::kNone, nullptr, RunReader::kMeter,
     WatchdogKind::kNone},
    {kModelZol12, "CE12XP.INI", HeaderLayout::kNone, nullptr, nullptr, 24, ".Z12", "ZOL12 Files (*.Z12)", "*.Z12",
     "Z12", 0, 0, false, 0, false, false, 91.0f, true,
     "ZOL12xp", "ZOL12xp", nullptr, "ZOL12 Port:", SummaryKind::kNone, nullptr, nullptr, "DISPLAYSETUP12",
     "READINGSCALE12", "DISPLAYSETUP12", LoggingKind::kPartial, ModeField::kNone, nullptr, RunReader::kZol12,
     WatchdogKind::kNone},
    {kModelRz27Mk2, "RZ27MK2XP.INI", HeaderLayout::kMk2, "RZ27MK2 W106", nullptr, 26, ".N27",
     "RZ27MK2 Files (*.N27)", "*.N27", "N27", 0, 0, false, 0, false, true, 47.0f, false,
     "RZ27MK2xp", "RZ27-MK2xp", "SPLASH27MK2", "RZ27-MK2 Port:", SummaryKind::kMk2, "SURVEYSETUP27B", "SYSTEM27MK2",
     "DISPLAYSETUP27MK2", "READINGSCALE12", "DISPLAYSETUP27MK2", LoggingKind::kMk2, ModeField::kDipole, kCaptionsMk2,
     RunReader::kMk2, WatchdogKind::kMeter},
};

// The row of a model; an index outside -2 to 7 gets the RZ12's row.
constexpr const ModelRow& RowOf(int32_t model) {
  return model >= kModelFirst && model <= kModelLast ? kModelRows[model - kModelFirst]
                                                     : kModelRows[kModelRz12 - kModelFirst];
}

// The row of the build in force.
inline const ModelRow& ThisModel() { return RowOf(BuildConfig.modelIndex); }

}  // namespace desktop
