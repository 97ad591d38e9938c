// The setup dialogs of the main menu (survey, logger, GPS port, display options) and the profile
// scale dialog: the rules they follow, as pure functions, and the helpers they share. The dialog
// procedures are declared in shell.h and logging/dialogs.h, where their callers find them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/setup_fields.h"

namespace handheld {

// Shared with the desktop's setup dialogs: the list and number helpers, the typed-value clamps and
// the colour sample (common/setup_fields.h).
using survey::AudioList;
using survey::BaudList;
using survey::ColourButtonShapes;
using survey::ColourButtonShapesFor;
using survey::ComPortList;
using survey::DataBitsList;
using survey::FillAndSelect;
using survey::FillList;
using survey::FloatValue;
using survey::OnOffList;
using survey::ParityList;
using survey::RateOfInterval;
using survey::ReadNumber;
using survey::SelectedEntry;
using survey::ShowNumber;
using survey::StopBitsList;
using survey::StoredSamples;
using survey::StoreSelection;
using survey::TextList;
using survey::TypedRate;
using survey::TypedSamples;
using survey::WidthList;

// ---- Survey setup ----------------------------------------------------------------------------

constexpr int32_t kSurveyModeAuto = 0;
constexpr int32_t kSurveyModeWheel = 1;
constexpr int32_t kSurveyModeManual = 2;

// The survey mode list: "Auto", "Wheel", "Manual" (entry = mode); the ZOL12 and the RZ27-MK2 offer
// "Auto" and "Manual" only, standing for modes 0 and 1 (ZOL12) or 0 and 2 (RZ27-MK2).
TextList SurveyModeList(int32_t model);
// The mode an entry stands for; -1 for a position outside the list.
int32_t SurveyModeOfEntry(int32_t model, int entry);
// The entry shown for a stored mode: the ZOL12 takes a stored 2 as its mode 1 and the RZ27-MK2 a
// stored 1 as Auto; -1 (no selection) for a mode the list cannot show.
int SurveyModeEntryOf(int32_t model, int32_t mode);

// The component list of a mode: RZ12 "Both", "Inphase"; RZ27-DD and RZ27 "Inphase",
// "Conductivity" outside Manual and "Both", "Inphase", "Conductivity" in Manual; empty for the
// models without the list.
TextList ComponentList(int32_t model, int32_t mode);
// The list position of a stored component (one less on the RZ27-DD's and RZ27's short list), and
// the component a position stands for.
int ComponentIndexOf(int32_t model, int32_t mode, int32_t component);
int32_t ComponentOfIndex(int32_t model, int32_t mode, int index);
// The position kept across a mode switch: one up into Manual, one down out of it (from 1 or more),
// on the RZ27-DD and RZ27; unchanged elsewhere.
int ComponentIndexOnSwitch(int32_t model, int32_t oldMode, int32_t newMode, int index);

// The dipole list of a mode: "Vertical", "Horizontal" (and "Both" in Manual) on the RZ12, RZ27B,
// RZ27 and RZ27-MK2; the RZ45's six coil separations, or in Manual its six readings per station;
// empty for the models without the list.
TextList DipoleList(int32_t model, int32_t mode);
// The dipole kept when the dialog switches to newMode: outside Manual "Both" becomes "Vertical"
// (every model with the two-or-three entry list); the RZ45 keeps its value.
int32_t DipoleOnSwitch(int32_t model, int32_t newMode, int32_t dipole);

// The mode title (label 600) by model; null keeps the template's text.
const wchar_t* SurveyModeTitle(int32_t model);

// ---- Logger setup ----------------------------------------------------------------------------

// Label 803 by model; null keeps the template's "RZ12 Port" (RZ12, RZ89).
const wchar_t* InstrumentPortLabel(int32_t model);
// The pause key list of the model and orientation: four entries, or in portrait only "any key"
// (every model but the RZ27-MK2).
TextList PauseKeyList(int32_t model, int32_t portrait);
// The entry shown for a stored pause key; in portrait a key of 1 to 3 that the one-entry list does
// not offer shows "any key". -1 for a key the list cannot show.
int PauseKeyEntryOf(int32_t model, int32_t portrait, int32_t pauseKey);
// The soft marker list: "Disabled", "any numeric key"; "any arrow key" in portrait on storage-root
// builds.
TextList SoftMarkerList(int32_t portrait, int32_t storageRoot);
// The other fixed lists of the logger and GPS port dialogs.
TextList Rz12TypeList();
TextList Mk2TypeList();         // stored as position + 1
TextList MarkerPortList();      // "Disabled", COM1 to COM5, COM7 to COM12
TextList SeaWaterList();
TextList ProfileChoiceList();   // "Cond./Inphase", "Ice Thickness"
TextList UnitsList();

// ---- Display options -------------------------------------------------------------------------

// Channels the display options manage: 4; 5 on the RZ12 with the ice option, 6 on the RZ45, 8 on
// the RZ27-MK2.
int DisplayChannelCount(int32_t model, int32_t iceOption);
// The grid list: "Conductivity", "Inphase"; the ZOL12 "Thickness", "Inphase"; with the ice option
// also "Ice Thickness"; empty on the RZ45.
TextList GridList(int32_t model, int32_t iceOption);
// The grid entry consistent with the profile choice: 2 when the ice profile is shown; otherwise a
// grid of 2 becomes 0 and any other is kept.
int32_t GridForProfile(int32_t showIceProfile, int32_t grid);

// Draws one sample button of the display options (channel = control id - 758). Returns 0.
int DrawColourButton(HWND dialog, const DRAWITEMSTRUCT* item);

// ---- Profile scale ---------------------------------------------------------------------------

struct ScaleRange {
  double min = 0.0;
  double max = 0.0;
};
// Conductivity and inphase scales: each end within -9000 to 9000, and a maximum not above the
// minimum becomes minimum + 100.
ScaleRange WideScale(double min, double max);
// ZOL12 thickness and ice scales: a minimum below 0 becomes 0 and above 10 becomes 9, a maximum
// within 0 to 10, and a maximum not above the minimum becomes minimum + 1.
ScaleRange TenMetreScale(double min, double max);

}  // namespace handheld
