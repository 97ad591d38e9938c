// The RZ56-MK2 reading handler's normalisation: the first 98 frames of a run fill the transmitter
// current ring, then the run's buttons come back. Readings, nulling and the QC check come with the
// RZ56-MK2 nulling and check.
#include <cstdio>
#include <cstring>

#include "engine/state.h"
#include "ui/logging.h"

namespace desktop {

int32_t AccumulateNormalization() {
  if (Rz56Calibration.currentIndex < 0 || Rz56Calibration.currentIndex >= kRz56RingSize) {
    Rz56Calibration.currentIndex = 0;
  }
  // The frame's current count, signed 16-bit as received (bytes 10 and 11, high byte first).
  const int16_t count = static_cast<int16_t>((LinkState.frame[10] << 8) | LinkState.frame[11]);
  Rz56Calibration.currentSamples[Rz56Calibration.currentIndex] = count;
  Rz56Calibration.currentIndex += 1;
  if (Rz56Calibration.currentIndex < kRz56RingSize) return Rz56Calibration.currentIndex * 100 / kRz56RingSize;
  float sum = 0;
  for (float sample : Rz56Calibration.currentSamples) sum += sample;
  Rz56Calibration.currentSum = sum;
  Rz56Calibration.currentIndex = 0;
  SurveyRun.acquisitionState = 1;
  return 100;
}

LRESULT OnRz56Reading(HWND, UINT, WPARAM, LPARAM) {
  if (SurveyRun.acquisitionState != 0) return 0;
  const int32_t percent = AccumulateNormalization();
  char text[32];
  std::snprintf(text, sizeof text, "Normalization: %3d %c", percent, '%');
  HDC dc = GetDC(AppWindows.numbersWnd);
  FillRect(dc, &LoggingLayout.valueRowRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  const HGDIOBJ previous = SelectObject(dc, AppWindows.fontBold);
  const RECT& cell = LoggingLayout.valueRect[1];
  ExtTextOutA(dc, cell.left, cell.top, 0, nullptr, text, static_cast<UINT>(std::strlen(text)), nullptr);
  SelectObject(dc, previous);
  ReleaseDC(AppWindows.numbersWnd, dc);
  LinkState.frame[0] = 0;
  if (percent == 100) {
    // The run's start disabled every Monitor button but Exit until now.
    for (HWND button : LoggingButtons.monitor) EnableWindow(button, TRUE);
  }
  return 0;
}

}  // namespace desktop
