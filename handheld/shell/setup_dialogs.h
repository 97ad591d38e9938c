// The setup dialogs of the main menu (survey, logger, GPS port, display options) and the profile
// scale dialog: the rules they follow, as pure functions, and the helpers they share. The dialog
// procedures are declared in shell.h and logging/dialogs.h, where their callers find them.
#pragma once

#include <windows.h>

#include <cstdint>

namespace handheld {

// A list's texts in list order; the position of an entry is the value it stands for unless a rule
// below says otherwise.
struct TextList {
  const wchar_t* const* texts = nullptr;
  int count = 0;
};

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

// Typed values (already read as decimal numbers). A rate of 0 or less counts as 1.0 and any rate is
// held within 0.0001 to 10000 readings per second, so its inverse is always a finite positive
// interval; samples of 0 or less count as 1, and are held within 1 to INT_MAX while typing and 1 to
// 100 when stored; a station or line increment is held within the float range.
float TypedRate(double value);
int32_t TypedSamples(double value);
int32_t StoredSamples(double value);
float FloatValue(double value);
// The rate the dialog shows for a stored interval: its inverse within the limits above; 1.0 for an
// interval of 0 or less.
float RateOfInterval(float interval);

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
TextList ComPortList();         // "COM1:" to "COM12:"
TextList MarkerPortList();      // "Disabled", COM1 to COM5, COM7 to COM12
TextList OnOffList();           // "Disabled", "Enabled"
TextList SeaWaterList();
TextList ProfileChoiceList();   // "Cond./Inphase", "Ice Thickness"
TextList UnitsList();
TextList AudioList();
TextList BaudList();
TextList ParityList();
TextList DataBitsList();
TextList StopBitsList();

// ---- Display options -------------------------------------------------------------------------

// Channels the display options manage: 4; 5 on the RZ12 with the ice option, 6 on the RZ45, 8 on
// the RZ27-MK2.
int DisplayChannelCount(int32_t model, int32_t iceOption);
// The grid list: "Conductivity", "Inphase"; the ZOL12 "Thickness", "Inphase"; with the ice option
// also "Ice Thickness"; empty on the RZ45.
TextList GridList(int32_t model, int32_t iceOption);
TextList WidthList();  // "1 pixel" to "4 pixels"
// The grid entry consistent with the profile choice: 2 when the ice profile is shown; otherwise a
// grid of 2 becomes 0 and any other is kept.
int32_t GridForProfile(int32_t showIceProfile, int32_t grid);

// The shapes of one colour sample button, in the item's coordinates.
struct ColourButtonShapes {
  RECT frame;             // drawn with the 3-pixel shadow pen over the white brush
  POINT innerEdge[3];     // in the dark-shadow pen when pressed, else the light pen
  bool innerDark;
  bool pressedEdge;       // pressed: innerLow in the light pen as well
  POINT innerLow[3];
  POINT outerEdge[3];     // in the dark-shadow pen
  POINT sampleFrom, sampleTo;  // the sample line in the channel's pen (its end pixel not drawn)
  bool focus;
  RECT focusRect;
};
ColourButtonShapes ColourButtonShapesFor(const RECT& item, bool pressed, bool focus);
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

// ---- Shared by the dialogs -------------------------------------------------------------------

// Empties list `id` and fills it with the texts.
void FillList(HWND dialog, int id, const TextList& list);
// Fills list `id` and selects `entry` (-1 or a position outside the list leaves no selection).
void FillAndSelect(HWND dialog, int id, const TextList& list, int entry);
// The selected position of list `id`: -1 for none, 0 for a list the template lacks.
int SelectedEntry(HWND dialog, int id);
// Stores the selected position (+ offset) into the setting; a list without a selection leaves the
// setting as it is.
void StoreSelection(HWND dialog, int id, int32_t* setting, int32_t offset = 0);
// The text of edit `id` (at most 32 characters) read as a decimal number; 0 for anything else.
double ReadNumber(HWND dialog, int id);
// Sets the text of `id` to a number in a printf format.
void ShowNumber(HWND dialog, int id, const char* format, double value);

}  // namespace handheld
