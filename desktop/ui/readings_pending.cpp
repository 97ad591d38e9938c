// The meter and RZ27-MK2 handlers come with the desktop survey recording; until then each
// consumes its message as below.
#include "engine/state.h"
#include "ui/logging.h"

namespace desktop {

// The meter and RZ27-MK2 frames are marked as taken (byte 0 set to 0).
LRESULT OnReading(HWND, UINT, WPARAM, LPARAM) {
  LinkState.frame[0] = 0;
  return 0;
}
LRESULT OnRz27Mk2Reading(HWND, UINT, WPARAM, LPARAM) {
  LinkState.frame[0] = 0;
  return 0;
}

}  // namespace desktop
