// plat::test clock control: thin wrappers over the clock's own controls.
#include <plat/testing.h>

#include "clock.h"

namespace plat::test {

void UseVirtualClock(uint32_t startTick, const SYSTEMTIME& startLocalTime, ClockMode mode) {
  const detail::ClockKind kind = mode == ClockMode::Manual ? detail::ClockKind::Manual
                                 : mode == ClockMode::Auto ? detail::ClockKind::Auto
                                                           : detail::ClockKind::Real;
  detail::UseClock(kind, startTick, startLocalTime);
}

void Advance(uint32_t ms) { detail::AdvanceClock(ms); }
void SetTick(uint32_t tick) { detail::SetTickValue(tick); }
void SetLocalTime(const SYSTEMTIME& st) { detail::SetLocalTimeValue(st); }
void SetTickStart(uint32_t start) { detail::SetTickStartValue(start); }
void RegisterTestThread() { detail::RegisterPlatformThread(); }
void UnregisterTestThread() { detail::UnregisterPlatformThread(); }

SYSTEMTIME MakeSystemTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD milliseconds) {
  SYSTEMTIME st{};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  st.wMilliseconds = milliseconds;
  detail::MsToSystemTime(detail::SystemTimeToMs(st), &st);
  return st;
}

}  // namespace plat::test
