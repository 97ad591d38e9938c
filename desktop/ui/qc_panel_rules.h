// The QC-coil panel as a step machine, without windows: what a button, a key or a timer tick does
// to its step, and what its paint draws. The panel's window procedure carries the answers out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "engine/rz56_reading.h"

namespace desktop {

constexpr int kQcOkButtonId = 480;
constexpr int kQcCancelButtonId = 481;
constexpr UINT_PTR kQcWaitTimer = 2;
constexpr UINT kQcWaitPeriodMs = 1000;
constexpr int32_t kQcWaitSeconds = 60;

enum class QcInput : uint8_t { kOkButton, kCancelButton, kChar, kKeyDown, kTick };

// What the window does after a step, in this order: the timer, the OK button, the default-button
// style (onto qcFocusedButton), the counter band, the repaint, the close.
struct QcPanelStep {
  bool stopTimer = false;
  bool startTimer = false;
  bool disableOk = false;
  bool moveDefault = false;
  bool drawCounter = false;  // "%2d of 60" of qcSecondsOrOk in the counter band
  bool repaint = false;
  bool close = false;        // hide the panel, offsets and buttons back, the profile redrawn
};

// One input: a button's WM_COMMAND, a WM_CHAR (its character in ch), a WM_KEYDOWN or a tick of
// the wait timer. Only a close resets the step (to 0, with the records flag).
QcPanelStep StepQcPanel(Rz56QcPanelState& panel, QcInput input, WPARAM ch = 0);

// One text of the panel at row y: centred (x -1) or from x, in the bold or the normal font.
struct QcText {
  char text[48] = {};
  int y = 0;
  int x = -1;
  bool bold = false;
};
struct QcPaint {
  std::vector<QcText> texts;
  bool enableOk = false;      // OK enabled and made the focused button (with the default style)
  bool stopTimer = false;
  bool writeRecords = false;  // the QC records of this result, once
};
// The panel's paint by its step; marks the result's records as written and OK as focused.
QcPaint PaintQcPanel(Rz56QcPanelState& panel, int32_t externalCoil, const float qcValue[kRz56Channels]);

// The counter's text, "%2d of 60".
QcText QcCounterText(int32_t seconds);

}  // namespace desktop
