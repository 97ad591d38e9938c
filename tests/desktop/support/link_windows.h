// Test stand-ins for the windows the desktop reader threads address (link_windows_base.h), and
// the thread helpers of the reader tests.
#pragma once

#include <windows.h>

#include "link_windows_base.h"
#include "reader_threads.h"

namespace desktop::test {

using test_support::Announcement;
using test_support::MonitorPaint;

// The logging window records each reading's LinkState frame (an RZ56 reading's kept 14 bytes) and
// tick and each GPS sentence with its verdict and GpsState.sentenceTick; the monitor records
// GpsState.sentence and GpsMonitor.line, and then takes the line as the GPS monitor's paint does
// (GpsState.sentenceValid 0).
class LinkWindows : public test_support::LinkWindowsBase {
 public:
  // The logging window's client area: room for the GPS fields the tests place.
  static constexpr int kLoggingWidth = 400;
  static constexpr int kLoggingHeight = 300;
  LinkWindows();
};

}  // namespace desktop::test
