// plat::test::Reset: returns the layer to its initial state between tests.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include "boxes_internal.h"
#include "commdlg_internal.h"
#include "core.h"

namespace plat::test {

void ResetWindowAutomation();  // window_testing.cpp
void ResetModalAutomation();   // modal_testing.cpp

void Reset(Profile profile, Screen screen) {
  // Windows first: their handlers may still end threads or release what the later steps free.
  detail::ResetWindows(profile, screen.cx, screen.cy);
  detail::ResetDialogs();
  ResetWindowAutomation();
  // Fails the test when a queued modal expectation was never met; clears the modal scripts and log.
  ResetModalAutomation();
  detail::ResetBoxes();  // message box records and menus
  detail::ResetCommonDialogs();
  // Threads next: they may still hold handles that the later steps close.
  if (!detail::WaitThreadsEnded(2000)) {
    ADD_FAILURE() << "a platform thread was still alive at the end of the test";
  }
  detail::RetireAllHandles();
  detail::ResetGdi();
  detail::ResetComm();
  detail::ResetFiles();
  detail::ResetStandIns();
  detail::ResetResources();
  detail::ResetThreads();
  detail::ResetClock();
  detail::SetProfile(profile);
}

}  // namespace plat::test
