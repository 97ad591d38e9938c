#include "link_test_support.h"

#include "engine/readers.h"
#include "engine/state.h"

namespace handheld::test {

namespace {

bool IsReading(UINT msg) { return msg == WM_READING || msg == WM_ZOL12_READING || msg == WM_RZ27MK2_READING; }

void AtMessage(Announcement* a) {
  if (a->msg == WM_GPS_SENTENCE) {
    a->bytes = GpsState.sentence;
    a->valid = GpsState.sentenceValid;
  } else {
    a->frameTick = LinkState.lastFrameTick.load();
    a->bytes.assign(reinterpret_cast<const char*>(LinkState.frame), static_cast<size_t>(LinkState.frameLength));
  }
}

void AtPaint(MonitorPaint* p) {
  p->sentence = GpsState.sentence;
  p->wide = GpsState.sentenceWide;
  p->valid = GpsState.sentenceValid;
}

void SetWindows(HWND logging, HWND monitor) {
  AppWindows.loggingWnd = logging;
  AppWindows.monitorGpsWnd = monitor;
}

}  // namespace

LinkWindows::LinkWindows() : LinkWindowsBase({WM_GPS_SENTENCE, IsReading, AtMessage, AtPaint, nullptr, SetWindows}) {}

}  // namespace handheld::test
