// Window timers on the platform clock. A WM_TIMER is made at retrieval time, when nothing else
// is queued; due times are start + k * period, and late ticks coalesce into one.
#include "window_internal.h"

namespace plat::detail {
namespace {

uint64_t g_timerOrder = 0;

Timer* EarliestDueLocked(Queue* q, uint64_t now) {
  Timer* best = nullptr;
  for (Timer& t : q->timers) {
    if (t.due > now) continue;
    if (!best || t.due < best->due || (t.due == best->due && t.order < best->order)) best = &t;
  }
  return best;
}

}  // namespace

bool TimerDueLocked(Queue* q) { return EarliestDueLocked(q, NowMs()) != nullptr; }

uint64_t NextTimerDueLocked(Queue* q) {
  uint64_t next = kNoDeadline;
  for (const Timer& t : q->timers) next = std::min(next, t.due);
  return next;
}

bool TakeTimerLocked(Queue* q, MSG* msg, bool remove) {
  const uint64_t now = NowMs();
  Timer* t = EarliestDueLocked(q, now);
  if (!t) return false;
  *msg = MSG{};
  msg->hwnd = t->hwnd;
  msg->message = WM_TIMER;
  msg->wParam = t->id;
  msg->lParam = 0;
  msg->time = static_cast<DWORD>(now);
  if (remove) {
    // The next due time is the first one after now: ticks missed meanwhile are not queued.
    const uint64_t k = (now - t->start) / t->period + 1;
    t->due = t->start + k * t->period;
  }
  return true;
}

void KillWindowTimersLocked(Window* w) {
  auto& timers = w->queue->timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [w](const Timer& t) { return t.hwnd == w->hwnd; }),
               timers.end());
}

}  // namespace plat::detail

using namespace plat::detail;

// TIMERPROC callbacks are not supported: the timer posts WM_TIMER to its window.
UINT_PTR SetTimer(HWND h, UINT_PTR id, UINT ms, TIMERPROC) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  if (!w || w->destroying) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const uint32_t period = std::clamp<uint32_t>(ms, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  const uint64_t now = NowMs();
  auto& timers = w->queue->timers;
  Timer* t = nullptr;
  for (Timer& x : timers) {
    if (x.hwnd == h && x.id == id) t = &x;
  }
  if (!t) {
    timers.push_back(Timer{});
    t = &timers.back();
    t->hwnd = h;
    t->id = id;
    t->order = ++g_timerOrder;
  }
  // A replaced timer starts its period again.
  t->period = period;
  t->start = now;
  t->due = now + period;
  Kick();
  return id;
}

BOOL KillTimer(HWND h, UINT_PTR id) {
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<Window> w = FindWindowLocked(h);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    auto& timers = w->queue->timers;
    auto it = timers.begin();
    while (it != timers.end() && !(it->hwnd == h && it->id == id)) ++it;
    if (it == timers.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    timers.erase(it);
    Kick();
  }
  RecordRelease({ReleaseOp::Timer, nullptr, h, id});
  return TRUE;
}
