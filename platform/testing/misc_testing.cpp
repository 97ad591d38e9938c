// Test API of the recorded stand-ins, and the exit hook that unwinds instead of ending the process.
#include <plat/testing.h>

#include "core.h"

namespace plat::test {
namespace {

// The hook is process-wide, but only threads that installed it throw: ExitProcess elsewhere (a worker
// thread, whose stack has nobody to catch) still ends the process.
thread_local bool t_throwOnExit = false;

void TestExitHook(UINT code) {
  if (t_throwOnExit) throw ProcessExit{code};
}

}  // namespace

void InstallTestExitHook() {
  t_throwOnExit = true;
  SetExitHook(&TestExitHook);
}

void SetBatteryPercent(int percent) { detail::SetBatteryOverride(percent); }

std::vector<Beep> Beeps() {
  std::vector<Beep> out;
  for (const auto& [type, tick] : detail::BeepLog()) out.push_back(Beep{type, tick});
  return out;
}

uint64_t IdleTimerResets() { return detail::IdleTimerResetCount(); }

std::vector<ReleaseRecord> Releases() {
  std::vector<ReleaseRecord> out;
  for (const detail::ReleaseEntry& e : detail::ReleaseLog()) {
    out.push_back(ReleaseRecord{static_cast<ReleaseKind>(e.op), e.handle, e.window, e.timerId});
  }
  return out;
}

}  // namespace plat::test
