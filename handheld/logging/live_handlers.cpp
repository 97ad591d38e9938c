// The logging window's live handlers of the ZOL12, the RZ27-MK2 and the GPS. For now each only
// takes its message: a reading frame is marked as taken and a sentence is cleared.
#include <cstring>

#include "engine/state.h"
#include "logging/logging.h"

namespace handheld {

LRESULT OnRz27Mk2Reading(HWND, UINT, WPARAM, LPARAM) {
  LinkState.frame[0] = 0;
  return 0;
}


}  // namespace handheld
