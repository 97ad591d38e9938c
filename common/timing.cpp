#include "common/timing.h"

#include <windows.h>

namespace survey {

void DelayMs(int ms) {
  const DWORD start = GetTickCount();
  while (static_cast<int32_t>(GetTickCount() - start) <= ms) plat::SpinPause();
}

}  // namespace survey
