// The rules of the desktop setup dialogs as pure functions: the lists each model offers in each
// survey mode, how the survey dialog's choices follow a mode switch, the mode's labels and boxes,
// the typed values' conversions, the system lists by model, the readings scale's widening and the
// display options' one-visible-channel rule. The list and number helpers both programs share are
// in common/setup_fields.h.
#pragma once

#include <cstdint>

#include "common/setup_fields.h"

namespace desktop {

using survey::TextList;

// ---- Survey setup ----------------------------------------------------------------------------

TextList SurveyModeList();  // "Auto", "Wheel", "Manual" (position = mode)

// The component list of a mode: RZ12 "Both", "Inphase"; RZ27-DD and RZ27 "Inphase",
// "Conductivity" outside Manual and "Both", "Inphase", "Conductivity" in Manual; empty for the
// models without the list.
TextList ComponentList(int32_t model, int32_t mode);
// The component positions of common/setup_fields.h, the RZ27-DD and RZ27 having the short list.
int ComponentIndexOf(int32_t model, int32_t mode, int32_t component);
int32_t ComponentOfIndex(int32_t model, int32_t mode, int index);
int ComponentIndexOnSwitch(int32_t model, int32_t oldMode, int32_t newMode, int index);

// The dipole list of a mode: "Vertical", "Horizontal" (and "Both" in Manual) on the RZ12, RZ27B,
// RZ27 and RZ27-MK2; the RZ45-3's six configurations, or in Manual its six reading counts; empty
// for the RZ56-MK2 and RZ27-DD.
TextList DipoleList(int32_t model, int32_t mode);
// The dipole choice kept when the dialog switches to newMode: outside Manual "Both" becomes
// "Vertical" on every model but the RZ27-DD and RZ45-3.
int32_t DipoleOnSwitch(int32_t model, int32_t newMode, int32_t dipole);
// The RZ45-3's dipole label in a mode after a switch: "Configuration" in Manual, else
// "Dipole/Separ."; null for the other models (the template's text stays).
const wchar_t* DipoleLabelOnSwitch(int32_t model, int32_t mode);

// The rate box of a mode: the rate, "Not Available" (read-only) or the samples.
enum class RateBox : uint8_t { kRate, kNotAvailable, kSamples };
struct ModeBoxes {
  const wchar_t* rateLabel;       // label 1245
  RateBox rateBox;                // box 1111
  const wchar_t* incrementLabel;  // label 1119
};
// The labels and boxes of a mode after a notification of the mode list; atOpening: as the dialog
// opens (the Manual label "Sample/Rdg", the increment label kept: null).
ModeBoxes ModeBoxesOf(int32_t model, int32_t mode, bool atOpening);

// The increment states: one slot per mode and the increment shown.
struct IncrementSlots {
  float slot[3] = {};  // Auto, Wheel, Manual
  float current = 0.0f;
};
// A switch from oldMode to newMode: the shown increment goes into the old mode's slot and the new
// mode's slot is shown. A mode outside 0 to 2 has no slot.
IncrementSlots SwitchIncrement(IncrementSlots slots, int32_t oldMode, int32_t newMode);

// OK's conversions of typed numbers (already read as decimal text). The interval of a typed rate:
// 0 or less counts as 1.0 and the rate is held within 0.0001 to 10000 readings per second.
float IntervalOfTypedRate(double typed);

// The survey and system setup and New Line end as after Cancel on a WM_KEYDOWN with the letter c,
// upper or lower case.
bool IsCancelKey(WPARAM key);

// ---- System setup ----------------------------------------------------------------------------

// The type list 1121: RZ56-MK2 "Standard", "High Power"; RZ12 "Standard 3.6 m", "Short 2.0 m";
// RZ27-MK2 "RZ27-MK2-1", "RZ27-MK2" (stored as position + 1); empty elsewhere.
TextList TypeList(int32_t model);
TextList SensorSizeList();  // "1 x 0.5 m", "1 x 1 m", "0.5 x 0.5 m"
// "any key" (RZ27-MK2 "any non numeric key"), "<Enter>", "<Space Bar>", "<P>".
TextList PauseKeyList(int32_t model);
TextList MarkerPortList();  // "Disabled", "COM1:" to "COM12:" (position n is COMn)
TextList SoftMarkerList();  // "Disabled", "any numeric key"
TextList UnitsList();       // "meters", "feet", "US Survey Feet"
// Label 1246 by model, "RZ12 Port" to "RZ27-MK2 Port"; null for the RZ56 builds (no such label).
const wchar_t* PortLabel(int32_t model);
// The N.C.C. flag that follows a stored RZ56-MK2 type: set for the types above 1.
int32_t NccFlagOf(int32_t rz56Type);

// ---- Display options and readings scale ------------------------------------------------------

// The channels the display options hold: 4; 6 on the RZ45-3, 8 on the RZ27-MK2.
int DisplayChannelCount(int32_t model);
// The display options' channel of a colour button, check box or width list id; -1 for none.
int ColourButtonChannel(int id);
int CheckBoxChannel(int id);
int WidthListChannel(int id);
// At least one channel stays visible: when every channel of the template is off, channel 2 of the
// RZ56 builds or channel 0 of the others is turned on.
void KeepOneVisible(int32_t model, int32_t visible[8]);

struct ScaleRange {
  double min = 0.0;
  double max = 0.0;
};
// A typed scale: each end held within -1,000,000 to 1,000,000, and a maximum not above the
// minimum becomes minimum + widen (100 for scale 1, 10 for scale 2).
ScaleRange WidenedScale(double min, double max, double widen);

}  // namespace desktop
