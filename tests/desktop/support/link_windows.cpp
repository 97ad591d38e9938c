#include "link_windows.h"

#include "engine/messages.h"
#include "engine/rz56_frames.h"
#include "engine/state.h"

namespace desktop::test {

namespace {

bool IsReading(UINT msg) {
  return msg == WM_READING || msg == WM_ZOL12_READING || msg == WM_RZ27MK2_READING || msg == WM_RZ56_READING;
}

void AtMessage(Announcement* a) {
  if (a->msg == WM_GPS_SENTENCE) {
    a->bytes = GpsState.sentence;
    a->valid = GpsState.sentenceValid.load();
    a->sentenceTick = GpsState.sentenceTick.load();
  } else if (a->msg == WM_RZ56_READING) {
    a->bytes.assign(reinterpret_cast<const char*>(LinkState.frame), kRz56KeptLength);
  } else {
    a->frameTick = LinkState.lastFrameTick.load();
    a->bytes.assign(reinterpret_cast<const char*>(LinkState.frame), static_cast<size_t>(LinkState.frameLength));
  }
}

void AtPaint(MonitorPaint* p) {
  p->sentence = GpsState.sentence;
  p->line = GpsMonitor.line;
  p->valid = GpsState.sentenceValid.load();
}

void AfterPaint() { GpsState.sentenceValid = 0; }

void SetWindows(HWND logging, HWND monitor) {
  AppWindows.loggingWnd = logging;
  AppWindows.monitorGpsWnd = monitor;
}

}  // namespace

LinkWindows::LinkWindows()
    : LinkWindowsBase({WM_GPS_SENTENCE, IsReading, AtMessage, AtPaint, AfterPaint, SetWindows}, kLoggingWidth,
                      kLoggingHeight) {}

}  // namespace desktop::test
