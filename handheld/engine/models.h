// The instrument models of the handheld builds, one row each: every fact in which one model's
// program differs from another's. Code asks the row of its build (BuildModel()) or of a model it
// is given (ModelRowOf()) instead of testing the model index; a switch on the model stays only
// where a model follows a procedure of its own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/model_numbers.h"

namespace handheld {

// Instrument models (the handheld builds use 0 to 7).
using enum survey::Model;

// The frame family a model's instrument sends: it picks the reader thread, its framer and the
// logging window's reading handler.
enum class FrameFamily : int32_t { kNone, kMeter, kZol12, kRz27Mk2 };

// The survey mode list of the setup dialog: Auto, Wheel, Manual; or two entries, whose second
// stands for Wheel (the ZOL12) or for Manual (the RZ27-MK2).
enum class ModeChoice : int32_t { kThree, kTwoSecondWheel, kTwoSecondManual };

// The component list of the setup dialog: none; the RZ12's Both and Inphase; or Inphase and
// Conductivity, with Both ahead of them in survey mode Manual.
enum class ComponentChoice : int32_t { kNone, kRz12, kShortOrLong };

// The dipole list of the setup dialog: none; Vertical and Horizontal (Both too in survey mode
// Manual); or the RZ45's six separations (readings per station in survey mode Manual).
enum class DipoleChoice : int32_t { kNone, kVerticalHorizontal, kSeparations };

// The profile scales: conductivity alone; conductivity and inphase; or thickness in metres and
// inphase. The display options' grid list names the two of a pair (the ice option adds Ice
// Thickness to the second pair); a single scale has no grid list.
enum class ScaleChoice : int32_t { kConductivity, kConductivityInphase, kThicknessInphase };

// The logger setup's instrument type list (and the settings line and header tag it chooses): none,
// Standard and Short, or RZ27-MK2-1 and RZ27-MK2.
enum class TypeChoice : int32_t { kNone, kStandardShort, kMk2 };

// The title screen's bitmaps: portrait, landscape on a storage-root build, landscape otherwise.
struct TitleBitmaps {
  const wchar_t* portrait;
  const wchar_t* landscapeStorage;
  const wchar_t* landscapeDrive;
};

// A dialog's template names: portrait, landscape on a storage-root build, landscape otherwise.
struct DialogNames {
  const wchar_t* portrait;
  const wchar_t* landscapeStorage;
  const wchar_t* landscapeDrive;
};

struct ModelRow {
  int32_t model;                  // the index, BuildConfig.modelIndex
  const wchar_t* instrument;      // the instrument's name on the stand-in bitmaps
  const wchar_t* strip;           // the shorter name on the narrow side strip
  // Settings file
  const wchar_t* settingsFile;    // its name in the settings folder
  const char* settingsVersion;    // its first line
  bool settingsOnDrive;           // kept under "C_DRIVE\VLQINI" on a storage-root build too
  // Data file
  int32_t recordLength;           // bytes per record, line feed included
  const char* modelTag;           // header record bytes 0-7
  const char* formatTag;          // header record bytes 8-11
  // Instrument link
  DWORD baud;                     // instrument (and marker) port baud rate
  const wchar_t* portFailure;     // the message when the instrument port does not open
  FrameFamily frames;             // the reader thread, framer and handler of its frames
  bool probedFrameLength;         // the run start probes 7- or 12-byte frames; others keep 12
  bool statusDipoleBits;          // the meter status byte carries the dipole and gain bits
  // Build options
  bool iceOption;                 // the ice-thickness option can be built in
  TypeChoice types;                 // the instrument type list
  bool calibrates;                // the calibration procedure: its menu, commands and records
  // Title screen
  TitleBitmaps titles;            // all nullptr: no title bitmap
  const wchar_t* titleVersion;    // the version text below the title
  // Channels
  int32_t displayChannels;        // traces the display options offer (the ice option adds one)
  int32_t slotChannels;           // channels of a file-review slot
  // Setup dialogs
  ModeChoice modes;                 // the survey mode list
  ComponentChoice components;       // the component list
  DipoleChoice dipoles;             // the dipole list
  bool dipoleKeptOnModeSwitch;    // a mode switch keeps the dipole (else Both falls back to Vertical)
  const wchar_t* modeTitle;       // the survey setup's mode caption; nullptr: the template's own
  const wchar_t* portLabel;       // the logger setup's instrument port label; nullptr: the template's
  bool ownPauseKeys;              // the pause key list names "any non numeric key" and keeps its
                                  // entries in portrait
  ScaleChoice scales;               // the profile scales and the grid list
  // Readings and the logging window
  bool secondFrameField;          // a meter frame of 8 bytes or more holds a second value field
  bool dualDipoleValues;          // the values are one component on both dipoles (IV/IH, CV/CH)
  bool softMarkerKeys;            // the digits (for pause key "any key") and, in portrait, the
                                  // selection keys hold the soft marker in place of their own use
  bool markerPort;                // a marker input on a port of its own or on the instrument's
  bool endlessWatchdog;           // a lost link writes one break and never ends the run
  DialogNames surveySetup;        // the survey setup's templates; all nullptr: no survey setup
  const wchar_t* optionsDialog;   // the display options' template (an ice build: "GetOptionsZOLNew")
  float maxReadingRate;           // the highest Auto rate (readings/s) the survey setup takes; 0: any
  uint8_t reviewChannels;         // the channels the file review draws, a bit each; none on the RZ89
  bool splitReviewScale;          // the file review shows the C and I scales in two fields of their own
};

// The RZ12 build with the ice option: its own name on the bitmaps and its own titles.
struct IceVariant {
  const wchar_t* instrument;
  const wchar_t* strip;
  TitleBitmaps titles;
};

inline constexpr TitleBitmaps kNoTitles{nullptr, nullptr, nullptr};
inline constexpr DialogNames kNoDialog{nullptr, nullptr, nullptr};

// Indexed by the model.
inline constexpr ModelRow kModelRows[] = {
    {kModelRz12, L"RZ12", L"RZ12",
     L"RZ12.INI", "CEVer2.11", false,
     24, "RZ12MK2 ", "W211",
     CBR_9600, L"Cannot open RZ12 port", FrameFamily::kMeter, false, true,
     true, TypeChoice::kStandardShort, false,
     {L"STATICTIT_RZ12AR", L"STATICTIT_RZ12MX", L"STATICTIT_RZ12"}, L"Version 2.11",
     4, 6,
     ModeChoice::kThree, ComponentChoice::kRz12, DipoleChoice::kVerticalHorizontal, false, nullptr, nullptr, false,
     ScaleChoice::kConductivityInphase,
     true, false, false, false, false, {L"GetSurveySetup12V", L"GetSurveySetup12H", L"GetSurveySetup12"}, L"GetOptions", 0.0f, 0x0F, false},
    {kModelRz27B, L"RZ27B", L"RZ27B",
     L"RZ27B.INI", "CEVer2.10", false,
     24, "RZ27B   ", "W210",
     CBR_9600, L"Cannot open RZ27B port", FrameFamily::kMeter, false, true,
     false, TypeChoice::kNone, false,
     {L"STATICTIT_RZ27BAR", L"STATICTIT_RZ27BMX", L"STATICTIT_RZ27B"}, L"Version 2.10",
     4, 6,
     ModeChoice::kThree, ComponentChoice::kNone, DipoleChoice::kVerticalHorizontal, false, nullptr, L"RZ27B Port", false,
     ScaleChoice::kConductivityInphase,
     true, false, false, false, false, {L"GetSurveySetup27BV", L"GetSurveySetup27B", L"GetSurveySetup27B"}, L"GetOptions", 0.0f, 0x0F, false},
    {kModelRz27Dd, L"RZ27-DD", L"RZ27",
     L"RZ27D.INI", "CEVer2.10", false,
     24, "RZ27D   ", "W210",
     CBR_9600, L"Cannot open RZ27D port", FrameFamily::kMeter, false, true,
     false, TypeChoice::kNone, false,
     {L"STATICTIT_RZ27DDAR", L"STATICTIT_RZ27DDMX", L"STATICTIT_RZ27DD"}, L"Version 2.10",
     4, 6,
     ModeChoice::kThree, ComponentChoice::kShortOrLong, DipoleChoice::kNone, true, nullptr, L"RZ27-DD Port", false,
     ScaleChoice::kConductivityInphase,
     true, true, false, false, false, {L"GetSurveySetup27D", L"GetSurveySetup27D", L"GetSurveySetup27D"}, L"GetOptions", 0.0f, 0x0F, false},
    {kModelRz27, L"RZ27", L"RZ27",
     L"RZ27.INI", "CEVer2.10", false,
     24, "RZ27S   ", "W210",
     CBR_9600, L"Cannot open RZ27 port", FrameFamily::kMeter, true, true,
     false, TypeChoice::kNone, false,
     {L"STATICTIT_RZ27AR", L"STATICTIT_RZ27MX", L"STATICTIT_RZ27"}, L"Version 2.10",
     4, 6,
     ModeChoice::kThree, ComponentChoice::kShortOrLong, DipoleChoice::kVerticalHorizontal, false, L"RZ27 Mode",
     L"RZ27 Port", false, ScaleChoice::kConductivityInphase,
     false, false, false, false, false, {L"GetSurveySetup12V", L"GetSurveySetup12H", L"GetSurveySetup12"}, L"GetOptions", 0.0f, 0x0F, false},
    {kModelRz45, L"RZ45", L"RZ45",
     L"RZ45.INI", "CEVer2.11", false,
     24, "RZ45    ", "W211",
     CBR_9600, L"Cannot open RZ45 port", FrameFamily::kMeter, false, false,
     false, TypeChoice::kNone, false,
     {L"STATICTIT_RZ45AR", L"STATICTIT_RZ45MX", L"STATICTIT_RZ45"}, L"Version 2.11",
     6, 6,
     ModeChoice::kThree, ComponentChoice::kNone, DipoleChoice::kSeparations, true, L"RZ45-3 Mode", L"RZ45-3 Port", false,
     ScaleChoice::kConductivity,
     true, false, false, false, true, {L"GetSurveySetup27BV", L"GetSurveySetup27B", L"GetSurveySetup27B"}, L"GetOptions45", 0.0f, 0x3F, false},
    {kModelRz89, L"RZ89", L"RZ89",
     L"RZ89.INI", "CEVer2.10", true,
     24, "RZ89    ", "W210",
     CBR_9600, L"Cannot open RZ89 port", FrameFamily::kMeter, false, true,
     false, TypeChoice::kNone, false,
     kNoTitles, L"Version 2.10",
     4, 6,
     ModeChoice::kThree, ComponentChoice::kNone, DipoleChoice::kNone, false, nullptr, nullptr, false,
     ScaleChoice::kConductivityInphase,
     true, false, false, false, false, kNoDialog, L"GetOptions", 0.0f, 0x00, false},
    {kModelZol12, L"ZOL12", L"ZOL12",
     L"ZOL12.INI", "CEVer2.10", false,
     24, "ZOL12   ", "W210",
     CBR_9600, L"Cannot open ZOL12 port", FrameFamily::kZol12, false, true,
     false, TypeChoice::kNone, false,
     {L"STATICTIT_ZOL12AR", L"STATICTIT_ZOL12MX", L"STATICTIT_ZOL12"}, L"Version 2.10",
     4, 6,
     ModeChoice::kTwoSecondWheel, ComponentChoice::kNone, DipoleChoice::kNone, false, L"ZOL12 Mode", L"ZOL12 Port", false,
     ScaleChoice::kThicknessInphase,
     true, false, false, false, false, {L"GetSurveySetupZOL12", L"GetSurveySetupZOL12", L"GetSurveySetupZOL12"}, L"GetOptionsZOL12", 1.0f, 0x05, false},
    {kModelRz27Mk2, L"RZ27-MK2", L"RZ27",
     L"RZ27MK2.INI", "CEVer2.10", false,
     26, "RZ27MK2 ", "W210",
     CBR_19200, L"Cannot open RZ27MK2 port", FrameFamily::kRz27Mk2, false, true,
     false, TypeChoice::kMk2, true,
     {L"STATICTIT_RZ27MK2AR", L"STATICTIT_RZ27MK2MX", L"STATICTIT_RZ27MK2"}, L"Version 2.10",
     8, 8,
     ModeChoice::kTwoSecondManual, ComponentChoice::kNone, DipoleChoice::kVerticalHorizontal, false, L"RZ27/2 Mode",
     L"RZ27-MK2 Port", true, ScaleChoice::kConductivityInphase,
     true, false, true, true, false, {L"GetSurveySetup27B", L"GetSurveySetup27B", L"GetSurveySetup27B"}, L"GetOptions27mk2", 0.0f, 0xFF, true},
};
inline constexpr int32_t kModelCount = static_cast<int32_t>(sizeof kModelRows / sizeof kModelRows[0]);

// What a model outside the line gets: no frames, no file, the common lists.
inline constexpr ModelRow kUnknownModelRow{
    -1, L"", L"", nullptr, nullptr, false, 24, "????????", "W???", CBR_9600, nullptr, FrameFamily::kNone, false, true,
    false, TypeChoice::kNone, false, kNoTitles, L"Version 2.10", 4, 6, ModeChoice::kThree, ComponentChoice::kNone, DipoleChoice::kNone,
    false, nullptr, nullptr, false, ScaleChoice::kConductivityInphase, true, false, false, false, false, kNoDialog, nullptr, 0.0f, 0x00, false};

inline constexpr IceVariant kIceVariant{L"RZ12 ZOL", L"ZOL", {L"STATICTIT_ZOLAR", L"STATICTIT_ZOLMX", L"STATICTIT_RZ12"}};

constexpr bool KnownModel(int32_t model) { return model >= 0 && model < kModelCount; }

constexpr const ModelRow& ModelRowOf(int32_t model) {
  return KnownModel(model) ? kModelRows[model] : kUnknownModelRow;
}

// The row of the build that BuildConfig describes.
const ModelRow& BuildModel();

// Whether the build has the ice-thickness option: a model that can have it, with the switch on.
bool IceBuild();

}  // namespace handheld
