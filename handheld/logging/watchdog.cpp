// The connection watchdog: timer 1 of the logging window checks that instrument frames keep
// arriving. A period without a frame is a miss; misses are written into the data file and break
// the curves, and the sixth in a row ends the run (the RZ45 build never gets there).
#include <cstdint>

#include "engine/records.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/screen.h"

namespace handheld {

namespace {

constexpr int32_t kMissesToEnd = 6;

// The dialogs and boxes of the logging screen that may be open when the run ends, by title, and
// the message that ends each as cancelled (a box ends as not-Yes on WM_DESTROY).
struct OpenDialog {
  const wchar_t* title;
  UINT message;
};
constexpr OpenDialog kRunDialogs[] = {
    {L"Create Data File", WM_CLOSE}, {L"Confirm Exit", WM_DESTROY}, {L"Display Options", WM_CLOSE},
    {L"New Line", WM_CLOSE},         {L"New Station", WM_CLOSE},    {L"Enter Comment", WM_CLOSE},
    {L"Enter Scale", WM_CLOSE},
};

// Whether the last frame is more than one period old. The frame tick is read before the tick: a
// frame stamped in between then gives a negative difference, which is no miss.
bool PeriodMissed() {
  const uint32_t lastFrame = LinkState.lastFrameTick.load(std::memory_order_acquire);
  const uint32_t now = GetTickCount();
  const auto gap = static_cast<int32_t>(now - lastFrame);
  return gap > Watchdog.periodMs;
}

bool FileOpen() { return SurveyRun.state.load() != kRunMonitor; }

// Erases the first values row; with the text, "Please Wait..." in bold at the range field's left.
void ShowValuesRow(HWND hwnd, const wchar_t* text) {
  WindowDc dc(hwnd);
  EraseField(dc, LoggingLayout.valuesRowRect);
  if (text != nullptr) {
    SelectObject(dc, AppWindows.fontBold);
    DrawTextAt(dc, LoggingLayout.rangeRect.left, LoggingLayout.valuesRowY, text);
  }
}

void Miss(HWND hwnd, int32_t count) {
  KillTimer(hwnd, kWatchdogTimer);
  if (BuildModel().endlessWatchdog) {
    // One break per loss; the count is held at 2 so that the run never ends.
    if (FileOpen() && count == 1) WriteEventRecord(L"$CONN BREAK", 'X');
    Watchdog.missCount.store(2);
  } else if (FileOpen()) {
    WriteEventRecord(L"$CONN BREAK", 'X');
  }
  for (auto& h : PlotState.havePrev) h = 0;
  ShowValuesRow(hwnd, L"Please Wait...");
  SetTimer(hwnd, kWatchdogTimer, static_cast<UINT>(Watchdog.periodMs), nullptr);
  SetFocus(hwnd);
}

void EndRun(HWND hwnd) {
  KillTimer(hwnd, kWatchdogTimer);
  if (FileOpen()) WriteEventRecord(L"$CONN END  ", 'X');
  // Stand By in every state: the GPS reader stops recording, and the end treats the run as one
  // with a data file.
  SurveyRun.state = kRunStandBy;
  ShowValuesRow(hwnd, nullptr);
  MessageBoxW(hwnd, L"NO CONNECTION Press <ENTER> to STOP", L"NO CONNECTION", MB_OK | MB_ICONEXCLAMATION);
  for (const OpenDialog& d : kRunDialogs) {
    HWND open = FindWindowW(nullptr, d.title);
    if (open != nullptr) SendMessageW(open, d.message, 0, 0);
  }
  StopLogging(1);
}

}  // namespace

LRESULT LoggingOnTimer(HWND hwnd, UINT, WPARAM, LPARAM) {
  // A tick that outlived its run (a quiet end leaves the timer) has nothing to watch.
  if (SurveyRun.runActive == 0) {
    KillTimer(hwnd, kWatchdogTimer);
    return 1;
  }
  if (!PeriodMissed()) return 1;
  const int32_t count = Watchdog.missCount.fetch_add(1) + 1;
  if (count < kMissesToEnd) {
    Miss(hwnd, count);
  } else {
    EndRun(hwnd);
  }
  return 1;
}

}  // namespace handheld
