// Test-only automation of the layer (plat::test::). Linked into test binaries only.
#pragma once

#include <windows.h>

#include <string>

namespace plat::test {

struct Screen {
  int cx = 0;
  int cy = 0;  // 0 x 0: the profile's default screen
};

// Between tests: ends the windows, waits (bounded) for every platform thread to end and fails the
// test for any still alive, closes the remaining handles, clears registries, recorders and scripts,
// and resets the clock, the configuration and the counters.
void Reset(Profile profile = Profile::Handheld, Screen screen = {});

// Exception thrown by the test exit hook (see InstallTestExitHook).
struct ProcessExit {
  UINT code;
};
// Makes ExitProcess throw ProcessExit{code} on the calling thread instead of ending the process.
void InstallTestExitHook();

}  // namespace plat::test

#include "plat/test_clock.h"
#include "plat/test_files.h"
#include "plat/test_comm.h"
#include "plat/test_misc.h"
#include "plat/test_gdi.h"
#include "plat/test_window.h"
#include "plat/test_modal.h"
#include "plat/test_dialogs.h"
#include "plat/test_commdlg.h"
#include "plat/test_controls.h"
