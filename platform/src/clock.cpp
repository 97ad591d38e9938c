// The one clock (real, manual or auto-advancing virtual), the kernel lock, and the wait that every
// in-process layer wait goes through.
//
// Every waiter sits in KernelWait under the kernel lock. A state change calls Kick(), which marks
// every waiter "pending" (it must re-check) and wakes it; a waiter clears its own mark when it
// re-evaluates its condition and blocks again. The virtual clock is quiescent when every platform
// thread is blocked in KernelWait with no pending re-check (or waits in the harness); only then
// does it step to the next deadline, so threads, timers and time-outs interleave in a fixed order.
#include "clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

namespace plat::detail {
namespace {

// A thread that reads the tick this often without a layer wait is treated as waiting 1 ms.
constexpr uint32_t kTickReadsPerMs = 10000;
// Real waits re-check the clock at least this often (a suspended system, mode switches).
constexpr uint64_t kRealWaitCapMs = 1000;
constexpr int kPollCapMs = 1000;
// poll() time-out handed out if a real descriptor is used while the clock is virtual.
constexpr int kPollVirtualMs = 10;
// How long the virtual clock waits in real time for every platform thread to block before it
// steps anyway (with a warning), so that a thread stuck outside the layer cannot hang a test.
constexpr auto kQuiescenceLimit = std::chrono::seconds(5);

constexpr int64_t kMsPerDay = 86400000;

struct Kernel {
  std::mutex m;
  std::condition_variable idleCv;  // harness waits: quiescence, thread ends
  std::vector<ThreadCtx*> platform;
  std::vector<ThreadCtx*> waiting;
  int advancing = 0;
};

// Lives for the whole process: detached threads may still use it while the process exits.
Kernel& K() {
  static Kernel* k = new Kernel;
  return *k;
}

uint32_t ParseTickStart(const char* s) {
  if (!s || *s < '0' || *s > '9') return 0;
  uint64_t v = 0;
  for (; *s >= '0' && *s <= '9'; ++s) {
    v = v * 10 + static_cast<uint64_t>(*s - '0');
    if (v > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(v);
}

uint32_t EnvTickStart() {
  static const uint32_t v = ParseTickStart(std::getenv("PLAT_TICK_START"));
  return v;
}

// Clock state readable without the kernel lock: NowMs is called with and without it held.
struct Clock {
  Clock() : tickStart(EnvTickStart()), tickOffset(EnvTickStart()) {}
  std::atomic<ClockKind> kind{ClockKind::Real};
  std::atomic<uint64_t> virtualNow{0};
  std::atomic<uint32_t> tickStart;
  std::atomic<uint32_t> tickOffset;  // tick = low 32 bits of NowMs() + tickOffset
  // Local time set by the harness: base (ms since 1970-01-01 on the local calendar) at NowMs() == at.
  std::mutex localMutex;
  bool localSet = false;
  int64_t localBase = 0;
  uint64_t localAt = 0;
};

Clock& C() {
  static Clock* c = new Clock;
  return *c;
}

bool Virtual() { return C().kind.load(std::memory_order_acquire) != ClockKind::Real; }

uint64_t BootMs() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

// ---- Per-thread records ----

thread_local ThreadCtx* t_self = nullptr;
thread_local bool t_inWait = false;
thread_local uint32_t t_tickReads = 0;

// The record of a thread the layer did not start; leaves the clock when the thread ends.
struct OwnedCtx {
  ThreadCtx ctx;
  ~OwnedCtx() {
    std::lock_guard<std::mutex> lock(K().m);
    UnregisterLocked(&ctx);
    t_self = nullptr;
  }
};
thread_local std::unique_ptr<OwnedCtx> t_owned;

std::atomic<DWORD> g_nextThreadId{1};

void Erase(std::vector<ThreadCtx*>& v, ThreadCtx* c) {
  auto it = std::find(v.begin(), v.end(), c);
  if (it != v.end()) v.erase(it);
}

// ---- Quiescence and stepping (kernel lock held) ----

uint64_t NextDeadlineLocked(uint64_t now) {
  uint64_t next = kNoDeadline;
  for (const ThreadCtx* w : K().waiting) {
    if (w->deadline > now && w->deadline < next) next = w->deadline;
  }
  return next;
}

void StepLocked(uint64_t to) {
  C().virtualNow.store(to, std::memory_order_release);
  Kick();
}

// Auto mode: with every platform thread blocked, jump to the earliest deadline.
void MaybeAutoStepLocked() {
  if (C().kind.load() != ClockKind::Auto || K().advancing > 0) return;
  if (!QuiescentLocked()) return;
  uint64_t next = NextDeadlineLocked(NowMs());
  if (next != kNoDeadline) StepLocked(next);
}

void WaitQuiescentLocked(std::unique_lock<std::mutex>& lk) {
  if (!K().idleCv.wait_for(lk, kQuiescenceLimit, QuiescentLocked)) {
    std::fprintf(stderr,
                 "plat: virtual clock stepped although a platform thread has not blocked in a "
                 "layer wait for 5 s\n");
  }
}

void SleepLocked(std::unique_lock<std::mutex>& lk, uint64_t deadline);

void WaitVirtualMs(uint64_t ms) {
  std::unique_lock<std::mutex> lk(K().m);
  SleepLocked(lk, NowMs() + ms);
}

// ---- Calendar helpers (proleptic Gregorian) ----

int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = yoe + era * 400 + (*m <= 2);
}

void SetLocalBase(const SYSTEMTIME& st) {
  Clock& c = C();
  std::lock_guard<std::mutex> lock(c.localMutex);
  c.localSet = true;
  c.localBase = SystemTimeToMs(st);
  c.localAt = NowMs();
}

}  // namespace

// ---- Local calendar (no time zone: the calendar as given) ----

int64_t SystemTimeToMs(const SYSTEMTIME& st) {
  const int month = std::clamp<int>(st.wMonth, 1, 12);
  const int64_t days = DaysFromCivil(st.wYear, month, 1) + std::max<int>(st.wDay, 1) - 1;
  return days * kMsPerDay + int64_t{st.wHour} * 3600000 + int64_t{st.wMinute} * 60000 +
         int64_t{st.wSecond} * 1000 + st.wMilliseconds;
}

void MsToSystemTime(int64_t ms, SYSTEMTIME* st) {
  int64_t days = ms / kMsPerDay;
  int64_t rem = ms % kMsPerDay;
  if (rem < 0) {
    rem += kMsPerDay;
    --days;
  }
  int64_t y = 0;
  int m = 0;
  int d = 0;
  CivilFromDays(days, &y, &m, &d);
  st->wYear = static_cast<WORD>(std::clamp<int64_t>(y, 0, 65535));
  st->wMonth = static_cast<WORD>(m);
  st->wDay = static_cast<WORD>(d);
  st->wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday (4)
  st->wHour = static_cast<WORD>(rem / 3600000);
  st->wMinute = static_cast<WORD>(rem / 60000 % 60);
  st->wSecond = static_cast<WORD>(rem / 1000 % 60);
  st->wMilliseconds = static_cast<WORD>(rem % 1000);
}

// ---- Kernel lock and waits ----

std::mutex& KernelMutex() { return K().m; }

void Kick() {
  Kernel& k = K();
  const bool real = !Virtual();
  for (ThreadCtx* w : k.waiting) {
    // Woken once until it re-checks; a sleep on the real clock has nothing to re-check.
    if (w->pending || (real && w->sleeping)) continue;
    w->pending = true;
    if (w == t_self) continue;
    // A thread waiting through its display is woken through it.
    if (w->display) {
      w->display->wake();
    } else {
      w->wake.notify_one();
    }
  }
  k.idleCv.notify_all();
}

uint64_t NowMs() { return Virtual() ? C().virtualNow.load(std::memory_order_acquire) : BootMs(); }

bool ClockIsVirtual() { return Virtual(); }

namespace {

thread_local const DisplayWaiter* t_displayWaiter = nullptr;

// KernelWait, through the display waiter dw when given. A sleep (ready() is always false) is not
// woken by Kicks on the real clock: nothing but its deadline, or a switch of the clock, can end it.
bool WaitCore(std::unique_lock<std::mutex>& lk, uint64_t deadline, const std::function<bool()>& ready,
              const DisplayWaiter* dw, bool sleep = false) {
  Kernel& k = K();
  if (lk.mutex() != &k.m || !lk.owns_lock()) {
    std::fprintf(stderr, "plat: KernelWait called without the kernel lock\n");
    std::abort();
  }
  // A wait from inside a wait's own condition cannot block: it only evaluates.
  if (t_inWait) return ready();
  ThreadCtx* me = CurrentThreadCtx();
  t_tickReads = 0;
  t_inWait = true;
  me->inWait = true;
  me->deadline = deadline;
  me->display = dw;
  k.waiting.push_back(me);
  bool ok = false;
  for (;;) {
    me->pending = false;
    ok = ready();
    if (ok) break;
    const uint64_t now = NowMs();
    if (now >= deadline) break;
    k.idleCv.notify_all();  // this thread may be the last one to block
    auto rechecks = [me] { return me->pending; };
    if (dw) {
      if (Virtual()) MaybeAutoStepLocked();
      if (me->pending) continue;  // the step above woke this thread itself
      // A Kick while the display waits pushes a wake into the display's own event queue, so
      // none is lost between the unlock and the display wait.
      int timeout = -1;
      if (!Virtual() && deadline != kNoDeadline) {
        timeout = static_cast<int>(std::min(deadline - now, kRealWaitCapMs));
      }
      lk.unlock();
      dw->wait(timeout);
      lk.lock();
    } else if (Virtual()) {
      MaybeAutoStepLocked();
      me->wake.wait(lk, rechecks);
    } else {
      me->sleeping = sleep;
      if (deadline == kNoDeadline) {
        me->wake.wait(lk, rechecks);
      } else {
        const uint64_t ms = std::min(deadline - now, kRealWaitCapMs);
        me->wake.wait_for(lk, std::chrono::milliseconds(ms), rechecks);
      }
      me->sleeping = false;
    }
  }
  Erase(k.waiting, me);
  me->inWait = false;
  me->pending = false;
  me->deadline = kNoDeadline;
  me->display = nullptr;
  t_inWait = false;
  return ok;
}

void SleepLocked(std::unique_lock<std::mutex>& lk, uint64_t deadline) {
  WaitCore(lk, deadline, [] { return false; }, nullptr, true);
}

}  // namespace

bool KernelWait(std::unique_lock<std::mutex>& lk, uint64_t deadline, const std::function<bool()>& ready) {
  return WaitCore(lk, deadline, ready, nullptr);
}

bool KernelWaitForMessages(std::unique_lock<std::mutex>& lk, uint64_t deadline, const std::function<bool()>& ready) {
  return WaitCore(lk, deadline, ready, t_displayWaiter);
}

void SetDisplayWaiter(const DisplayWaiter* waiter) { t_displayWaiter = waiter; }

int RealPollTimeout(uint64_t deadline) {
  if (Virtual()) return kPollVirtualMs;
  if (deadline == kNoDeadline) return kPollCapMs;
  const uint64_t now = BootMs();
  if (now >= deadline) return 0;
  return static_cast<int>(std::min<uint64_t>(deadline - now, kPollCapMs));
}

// ---- Per-thread records ----

ThreadCtx* CurrentThreadCtx() {
  if (!t_self) {
    t_owned = std::make_unique<OwnedCtx>();
    t_owned->ctx.id = NewThreadId();
    t_self = &t_owned->ctx;
  }
  return t_self;
}

void AdoptThreadCtx(ThreadCtx* ctx) { t_self = ctx; }

DWORD NewThreadId() { return g_nextThreadId.fetch_add(1, std::memory_order_relaxed); }

void RegisterLocked(ThreadCtx* ctx) {
  if (ctx->platform) return;
  ctx->platform = true;
  K().platform.push_back(ctx);
}

void UnregisterLocked(ThreadCtx* ctx) {
  if (!ctx->platform) return;
  ctx->platform = false;
  Erase(K().platform, ctx);
  K().idleCv.notify_all();
  MaybeAutoStepLocked();
}

void RegisterPlatformThread() {
  std::lock_guard<std::mutex> lock(K().m);
  RegisterLocked(CurrentThreadCtx());
}

void UnregisterPlatformThread() {
  std::lock_guard<std::mutex> lock(K().m);
  UnregisterLocked(CurrentThreadCtx());
}

void ForgetPlatformThreadsLocked() {
  for (ThreadCtx* t : K().platform) t->platform = false;
  K().platform.clear();
  K().idleCv.notify_all();
}

bool QuiescentLocked() {
  for (const ThreadCtx* t : K().platform) {
    if (t->idle == 0 && (!t->inWait || t->pending)) return false;
  }
  return true;
}

bool HarnessWaitLocked(std::unique_lock<std::mutex>& lk, uint32_t realMs, const std::function<bool()>& pred) {
  ThreadCtx* me = CurrentThreadCtx();
  ++me->idle;
  K().idleCv.notify_all();
  MaybeAutoStepLocked();
  const bool ok = K().idleCv.wait_for(lk, std::chrono::milliseconds(realMs), pred);
  --me->idle;
  return ok;
}

void HoldAutoStepLocked(bool hold) {
  if (hold) {
    ++K().advancing;
  } else {
    --K().advancing;
    MaybeAutoStepLocked();
  }
}

// ---- Clock controls ----

void UseClock(ClockKind kind, uint32_t startTick, const SYSTEMTIME& startLocalTime) {
  std::lock_guard<std::mutex> lock(K().m);
  Clock& c = C();
  if (kind != ClockKind::Real && c.kind.load() == ClockKind::Real) {
    c.virtualNow.store(startTick, std::memory_order_release);
  }
  c.kind.store(kind, std::memory_order_release);
  c.tickOffset.store(startTick - static_cast<uint32_t>(NowMs()));
  SetLocalBase(startLocalTime);
  RegisterLocked(CurrentThreadCtx());
  Kick();
}

void AdvanceClock(uint32_t ms) {
  std::unique_lock<std::mutex> lk(K().m);
  if (!Virtual()) return;
  ThreadCtx* me = CurrentThreadCtx();
  ++me->idle;
  ++K().advancing;
  const uint64_t target = NowMs() + ms;
  WaitQuiescentLocked(lk);
  while (Virtual()) {
    const uint64_t now = NowMs();
    if (now >= target) break;
    StepLocked(std::min(NextDeadlineLocked(now), target));
    WaitQuiescentLocked(lk);
  }
  --K().advancing;
  --me->idle;
}

void SetTickValue(uint32_t tick) { C().tickOffset.store(tick - static_cast<uint32_t>(NowMs())); }

void SetLocalTimeValue(const SYSTEMTIME& st) { SetLocalBase(st); }

void SetTickStartValue(uint32_t start) {
  Clock& c = C();
  c.tickStart.store(start);
  if (!Virtual()) c.tickOffset.store(start);
}

void ResetClock() {
  std::lock_guard<std::mutex> lock(K().m);
  Clock& c = C();
  c.kind.store(ClockKind::Real, std::memory_order_release);
  c.tickStart.store(EnvTickStart());
  c.tickOffset.store(EnvTickStart());
  {
    std::lock_guard<std::mutex> local(c.localMutex);
    c.localSet = false;
  }
  Kick();
}

}  // namespace plat::detail

// ---- Time calls ----

using namespace plat::detail;

DWORD GetTickCount() {
  if (Virtual() && !t_inWait && ++t_tickReads >= kTickReadsPerMs) {
    t_tickReads = 0;
    WaitVirtualMs(1);
  }
  return static_cast<uint32_t>(NowMs()) + C().tickOffset.load();
}

void GetLocalTime(LPSYSTEMTIME st) {
  if (!st) return;
  Clock& c = C();
  {
    std::lock_guard<std::mutex> lock(c.localMutex);
    if (c.localSet) {
      MsToSystemTime(c.localBase + static_cast<int64_t>(NowMs() - c.localAt), st);
      return;
    }
  }
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm t{};
  localtime_r(&ts.tv_sec, &t);
  st->wYear = static_cast<WORD>(t.tm_year + 1900);
  st->wMonth = static_cast<WORD>(t.tm_mon + 1);
  st->wDayOfWeek = static_cast<WORD>(t.tm_wday);
  st->wDay = static_cast<WORD>(t.tm_mday);
  st->wHour = static_cast<WORD>(t.tm_hour);
  st->wMinute = static_cast<WORD>(t.tm_min);
  st->wSecond = static_cast<WORD>(std::min(t.tm_sec, 59));  // a leap second reads as :59
  st->wMilliseconds = static_cast<WORD>(ts.tv_nsec / 1000000);
}

void Sleep(DWORD ms) {
  ParkPoint();
  if (ms == 0 && !Virtual()) {
    std::this_thread::yield();
  } else {
    std::unique_lock<std::mutex> lk(K().m);
    SleepLocked(lk, ms == INFINITE ? kNoDeadline : NowMs() + ms);
  }
  ParkPoint();
}

namespace plat {

void SpinPause() {
  if (Virtual()) {
    WaitVirtualMs(1);
  } else {
    std::this_thread::yield();
  }
}

}  // namespace plat
