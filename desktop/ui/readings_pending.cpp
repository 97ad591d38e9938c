// The RZ27-MK2 handler comes with the desktop survey recording; until then it consumes its
// message as below.
#include "engine/state.h"
#include "ui/logging.h"

namespace desktop {

// The RZ27-MK2 frame is marked as taken (byte 0 set to 0).
LRESULT OnRz27Mk2Reading(HWND, UINT, WPARAM, LPARAM) {
  LinkState.frame[0] = 0;
  return 0;
}

}  // namespace desktop
