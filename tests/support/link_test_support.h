// Test stand-ins for the windows the handheld reader threads address (link_windows_base.h), and
// the thread helpers of the reader tests.
#pragma once

#include <windows.h>

#include <atomic>

#include "link_windows_base.h"
#include "thread_windows.h"

namespace handheld::test {

using test_support::Announcement;
using test_support::JoinThread;
using test_support::MonitorPaint;
using test_support::StartThread;

// The logging window records each reading's LinkState frame and tick and each GPS sentence with
// its verdict; the monitor records GpsState.sentence and its wide copy.
class LinkWindows : public test_support::LinkWindowsBase {
 public:
  LinkWindows();
};

// Closes the port in a LinkState field and sets the field invalid, as the end of a run does.
inline void ClosePort(std::atomic<HANDLE>& field) { test_support::ClosePortField(field); }

}  // namespace handheld::test
