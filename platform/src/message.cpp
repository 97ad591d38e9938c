// Per-thread message queues: retrieval in priority order, posting, cross-thread sends and the
// message wait on the one clock.
#include <algorithm>
#include <chrono>
#include <cstring>

#include "window_internal.h"

namespace plat::detail {
namespace {

// Never destroyed: a thread that ends while the process exits still takes its queue out.
std::vector<std::shared_ptr<Queue>>& g_queues = *new std::vector<std::shared_ptr<Queue>>;  // every live queue
std::deque<SendRecord>& g_sendLog = *new std::deque<SendRecord>;
constexpr size_t kSendLogLimit = 4096;
std::mutex g_sendHookMutex;
std::shared_ptr<const std::function<void(HWND, UINT)>> g_sendHook;  // under g_sendHookMutex

void RunSendHook(HWND hwnd, UINT msg) {
  std::shared_ptr<const std::function<void(HWND, UINT)>> hook;
  {
    std::lock_guard<std::mutex> lock(g_sendHookMutex);
    hook = g_sendHook;
  }
  if (hook) (*hook)(hwnd, msg);
}

void EndQueue(const std::shared_ptr<Queue>& q);

// On the real clock a hand-over between busy threads usually completes within microseconds, far
// sooner than a sleeping thread wakes up: a waiter spins this long (lock released) before it
// blocks. Never on the virtual clock, whose stepping needs the waiter blocked.
constexpr auto kSpin = std::chrono::microseconds(50);
// A spin that keeps failing only burns the CPU (a UI thread waiting for the next reading, a
// reader waiting for a handler that writes a file): after n misses in a row the next 2^n - 1
// waits block at once, up to 2^kMaxSpinMisses - 1, and a hit starts over.
constexpr int kMaxSpinMisses = 8;

// One per thread and kind of wait.
struct SpinGauge {
  int misses = 0;
  int skip = 0;
};
thread_local SpinGauge t_messageSpin;
thread_local SpinGauge t_replySpin;

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

template <class Pred>
void SpinUnlocked(std::unique_lock<std::mutex>& lk, SpinGauge& gauge, Pred done) {
  if (ClockIsVirtual()) return;
  if (gauge.skip > 0) {
    --gauge.skip;
    return;
  }
  lk.unlock();
  const auto until = std::chrono::steady_clock::now() + kSpin;
  bool hit = true;
  for (int i = 0; !done(); ++i) {
    CpuRelax();
    if ((i & 63) == 63 && std::chrono::steady_clock::now() >= until) {
      hit = done();
      break;
    }
  }
  lk.lock();
  if (hit) {
    gauge.misses = 0;
  } else {
    gauge.misses = std::min(gauge.misses + 1, kMaxSpinMisses);
    gauge.skip = (1 << gauge.misses) - 1;
  }
}

// Ends the thread's queue when the thread ends: senders waiting on it are released with 0.
struct QueueHolder {
  std::shared_ptr<Queue> q;
  ~QueueHolder() {
    if (q) EndQueue(q);
  }
};
thread_local QueueHolder t_queue;

void ReleaseItemLocked(SentItem& item) {
  if (!item.done) {
    item.result = 0;
    item.done = true;
  }
}

void EndQueue(const std::shared_ptr<Queue>& q) {
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    q->ended = true;
    for (auto& item : q->sent) ReleaseItemLocked(*item);
    for (auto& item : q->running) ReleaseItemLocked(*item);
    q->sent.clear();
    q->posted.clear();
    q->timers.clear();
    g_queues.erase(std::remove(g_queues.begin(), g_queues.end(), q), g_queues.end());
    Kick();
  }
}

MSG MakeMsg(HWND h, UINT m, WPARAM w, LPARAM l) {
  MSG msg{};
  msg.hwnd = h;
  msg.message = m;
  msg.wParam = w;
  msg.lParam = l;
  msg.time = static_cast<DWORD>(NowMs());
  return msg;
}

LRESULT SendCore(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  std::unique_lock<std::mutex> lk(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  if (!w) {
    lk.unlock();
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  lk.unlock();
  return CallProc(w, m, wp, lp);  // sends to the window's own thread when that is another one
}

// The list and combo box messages that carry an item's text: strings in, and strings out (with
// the message that gives the length the caller's buffer was sized for).
bool ItemTextIn(UINT m) {
  return m == CB_ADDSTRING || m == CB_INSERTSTRING || m == LB_ADDSTRING || m == LB_INSERTSTRING;
}
UINT ItemTextLengthFor(UINT m) {
  return m == CB_GETLBTEXT ? CB_GETLBTEXTLEN : m == LB_GETTEXT ? LB_GETTEXTLEN : 0;
}

// An item text read in the window's type and handed over in the caller's. The caller's buffer
// holds the item's length plus the NUL, as the length message says.
LRESULT SendItemTextOut(HWND h, UINT m, WPARAM wp, LPARAM lp, bool callerWide) {
  const LRESULT len = SendCore(h, ItemTextLengthFor(m), wp, 0);
  if (len < 0 || !lp) return SendCore(h, m, wp, 0);  // the control's own error value
  const size_t n = static_cast<size_t>(std::min<LRESULT>(len, 1 << 20)) + 1;
  if (callerWide) {
    std::vector<char> tmp(n, 0);
    const LRESULT r = SendCore(h, m, wp, reinterpret_cast<LPARAM>(tmp.data()));
    if (r < 0) return r;
    tmp[n - 1] = 0;
    return plat::Widen(tmp.data(), reinterpret_cast<wchar_t*>(lp), static_cast<int>(n));
  }
  std::vector<wchar_t> tmp(n, 0);
  const LRESULT r = SendCore(h, m, wp, reinterpret_cast<LPARAM>(tmp.data()));
  if (r < 0) return r;
  tmp[n - 1] = 0;
  return plat::Narrow(tmp.data(), reinterpret_cast<char*>(lp), static_cast<int>(n));
}

// Text messages carry the window's character type; a caller of the other type is converted.
// Returns true when it handled the message.
bool SendConverted(HWND h, UINT m, WPARAM wp, LPARAM lp, bool callerWide, LRESULT* out) {
  if (m != WM_SETTEXT && m != WM_GETTEXT && !ItemTextIn(m) && !ItemTextLengthFor(m)) return false;
  bool wide;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<Window> w = FindWindowLocked(h);
    if (!w) return false;
    wide = w->wide;
  }
  if (wide == callerWide) return false;
  if (ItemTextLengthFor(m)) {
    *out = SendItemTextOut(h, m, wp, lp, callerWide);
    return true;
  }
  if (m == WM_SETTEXT || ItemTextIn(m)) {
    if (callerWide) {
      std::string s = lp ? NarrowText(reinterpret_cast<const wchar_t*>(lp)) : std::string();
      *out = SendCore(h, m, wp, lp ? reinterpret_cast<LPARAM>(s.c_str()) : 0);
    } else {
      std::wstring s = lp ? WidenText(reinterpret_cast<const char*>(lp)) : std::wstring();
      *out = SendCore(h, m, wp, lp ? reinterpret_cast<LPARAM>(s.c_str()) : 0);
    }
    return true;
  }
  // WM_GETTEXT: wParam is the buffer size in characters, NUL included.
  const int n = static_cast<int>(std::min<WPARAM>(wp, 1u << 20));
  if (n <= 0 || !lp) {
    *out = 0;
    return true;
  }
  if (callerWide) {
    std::vector<char> tmp(static_cast<size_t>(n), 0);
    SendCore(h, m, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(tmp.data()));
    tmp[static_cast<size_t>(n) - 1] = 0;
    *out = plat::Widen(tmp.data(), reinterpret_cast<wchar_t*>(lp), n);
  } else {
    std::vector<wchar_t> tmp(static_cast<size_t>(n), 0);
    SendCore(h, m, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(tmp.data()));
    tmp[static_cast<size_t>(n) - 1] = 0;
    *out = plat::Narrow(tmp.data(), reinterpret_cast<char*>(lp), n);
  }
  return true;
}

LRESULT SendEntry(HWND h, UINT m, WPARAM wp, LPARAM lp, bool wide) {
  ParkPoint();
  LRESULT r = 0;
  if (!SendConverted(h, m, wp, lp, wide, &r)) r = SendCore(h, m, wp, lp);
  ParkPoint();
  return r;
}

BOOL PostEntry(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  ParkPoint();
  BOOL ok = TRUE;
  {
    std::unique_lock<std::mutex> lk(KernelMutex());
    if (!h) {
      // A thread message to the caller's own queue.
      lk.unlock();
      std::shared_ptr<Queue> q = CurrentQueue();
      lk.lock();
      q->posted.push_back(MakeMsg(nullptr, m, wp, lp));
      Kick();
    } else if (std::shared_ptr<Window> w = FindWindowLocked(h); w && !w->queue->ended) {
      PostLocked(w.get(), m, wp, lp);
    } else {
      ok = FALSE;
    }
  }
  if (!ok) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  ParkPoint();
  return ok;
}

// Only NULL/0/0 filters are supported; a window filter must at least name a live window.
bool FilterOk(HWND h) { return !h || IsWindow(h); }

BOOL GetEntry(LPMSG msg, HWND filter) {
  if (!msg || !FilterOk(filter)) {
    SetLastError(msg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return -1;
  }
  std::shared_ptr<Queue> q = CurrentQueue();
  std::unique_lock<std::mutex> lk(KernelMutex());
  GetCoreLocked(lk, q.get(), msg);
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekEntry(LPMSG msg, HWND filter, UINT remove) {
  if (!msg || !FilterOk(filter)) {
    SetLastError(msg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::shared_ptr<Queue> q = CurrentQueue();
  std::unique_lock<std::mutex> lk(KernelMutex());
  return PeekCoreLocked(lk, q.get(), msg, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

LRESULT DispatchEntry(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  std::shared_ptr<Window> w = LookupWindow(msg->hwnd);
  if (!w) return 0;  // messages for destroyed windows are dropped
  if (msg->message == WM_PAINT) {
    PaintNow(w);
    return 0;
  }
  return CallProc(w, msg->message, msg->wParam, msg->lParam);
}

}  // namespace

std::shared_ptr<Queue> CurrentQueue() {
  if (!t_queue.q) {
    auto q = std::make_shared<Queue>();
    q->threadId = CurrentThreadCtx()->id;
    std::lock_guard<std::mutex> lock(KernelMutex());
    g_queues.push_back(q);
    t_queue.q = q;
  }
  return t_queue.q;
}

Queue* CurrentQueueIfAny() { return t_queue.q.get(); }

std::shared_ptr<Queue> QueueOfThreadLocked(DWORD threadId) {
  for (auto& q : g_queues) {
    if (q->threadId == threadId) return q;
  }
  return nullptr;
}

bool HasWorkLocked(Queue* q) {
  return !q->sent.empty() || !q->posted.empty() || q->quit || HasInputLocked(q) || FindPaintLocked(q) ||
         TimerDueLocked(q);
}

bool ServiceOneSendLocked(std::unique_lock<std::mutex>& lk, Queue* q) {
  if (q->sent.empty()) return false;
  std::shared_ptr<SentItem> item = q->sent.front();
  q->sent.pop_front();
  q->running.push_back(item);
  lk.unlock();
  LRESULT r = 0;
  if (item->work) {
    r = item->work();
  } else {
    r = CallProc(item->target, item->msg, item->wParam, item->lParam);
    if (item->target) RunSendHook(item->target->hwnd, item->msg);
  }
  const DWORD tick = GetTickCount();
  lk.lock();
  q->running.erase(std::find(q->running.begin(), q->running.end(), item));
  ++q->serviced;
  if (!item->done) {
    item->result = r;
    item->done = true;
  }
  if (!item->work && item->target) {
    if (g_sendLog.size() >= kSendLogLimit) g_sendLog.pop_front();
    g_sendLog.push_back(SendRecord{item->target->hwnd, item->msg, tick});
  }
  Kick();
  return true;
}

LRESULT SendAndWaitLocked(std::unique_lock<std::mutex>& lk, Queue* q, const std::shared_ptr<SentItem>& item) {
  if (q->ended) return 0;
  q->sent.push_back(item);
  ++q->arrivals;
  Kick();
  Queue* mine = CurrentQueueIfAny();
  SpinUnlocked(lk, t_replySpin, [&] { return item->done.load(std::memory_order_acquire); });
  while (!item->done) {
    // A thread blocked in its own send still handles the sends that reach it.
    if (mine && mine != q && ServiceOneSendLocked(lk, mine)) continue;
    KernelWait(lk, kNoDeadline, [&] { return item->done || (mine && !mine->sent.empty()); });
  }
  return item->result;
}

bool PeekCoreLocked(std::unique_lock<std::mutex>& lk, Queue* q, MSG* msg, bool remove) {
  while (ServiceOneSendLocked(lk, q)) {
  }
  if (!q->posted.empty()) {
    *msg = q->posted.front();
    if (remove) q->posted.pop_front();
    return true;
  }
  if (TakeInputLocked(q, msg, remove)) {
    if (HWND top = q->pendingActivate) {
      q->pendingActivate = nullptr;
      lk.unlock();
      ActivateWindow(top);
      lk.lock();
    }
    return true;
  }
  if (q->quit) {
    *msg = MakeMsg(nullptr, WM_QUIT, static_cast<WPARAM>(q->quitCode), 0);
    if (remove) q->quit = false;
    return true;
  }
  if (Window* w = FindPaintLocked(q)) {
    *msg = MakeMsg(w->hwnd, WM_PAINT, 0, 0);
    return true;
  }
  return TakeTimerLocked(q, msg, remove);
}

void GetCoreLocked(std::unique_lock<std::mutex>& lk, Queue* q, MSG* msg) {
  for (;;) {
    if (PeekCoreLocked(lk, q, msg, true)) return;
    const uint64_t seen = q->arrivals.load();
    SpinUnlocked(lk, t_messageSpin, [&] { return q->arrivals.load(std::memory_order_acquire) != seen; });
    if (q->arrivals.load() != seen) continue;
    WaitForWorkLocked(lk, q);
  }
}

void WaitForWorkLocked(std::unique_lock<std::mutex>& lk, Queue* q) {
  const uint64_t deadline = NextTimerDueLocked(q);
  q->inMessageWait = true;
  // A timer set meanwhile for an earlier time ends the wait too, so its deadline is taken up.
  KernelWaitForMessages(lk, deadline,
                        [q, deadline] { return HasWorkLocked(q) || NextTimerDueLocked(q) < deadline; });
  q->inMessageWait = false;
}

void ForgetWindowLocked(Window* w) {
  Queue* q = w->queue.get();
  auto& posted = q->posted;
  posted.erase(std::remove_if(posted.begin(), posted.end(), [w](const MSG& m) { return m.hwnd == w->hwnd; }),
               posted.end());
  for (auto it = q->sent.begin(); it != q->sent.end();) {
    if ((*it)->target.get() == w) {
      ReleaseItemLocked(**it);
      it = q->sent.erase(it);
    } else {
      ++it;
    }
  }
  // A send whose handler is running when its window goes releases its sender now.
  for (auto& item : q->running) {
    if (item->target.get() == w) ReleaseItemLocked(*item);
  }
  KillWindowTimersLocked(w);
  Kick();
}

void PostLocked(Window* w, UINT msg, WPARAM wp, LPARAM lp) {
  w->queue->posted.push_back(MakeMsg(w->hwnd, msg, wp, lp));
  ++w->queue->arrivals;
  Kick();
}

void ResetQueues() {
  std::lock_guard<std::mutex> lock(KernelMutex());
  for (auto& q : g_queues) {
    for (auto& item : q->sent) ReleaseItemLocked(*item);
    q->sent.clear();
    q->posted.clear();
    q->timers.clear();
    q->quit = false;
    q->quitCode = 0;
  }
  g_sendLog.clear();
  Kick();
  SetSendHandledHook(nullptr);
}

void SetSendHandledHook(std::function<void(HWND, UINT)> hook) {
  auto kept = hook ? std::make_shared<const std::function<void(HWND, UINT)>>(std::move(hook)) : nullptr;
  std::lock_guard<std::mutex> lock(g_sendHookMutex);
  g_sendHook = std::move(kept);
}

std::vector<SendRecord> SendLog() {
  std::lock_guard<std::mutex> lock(KernelMutex());
  return std::vector<SendRecord>(g_sendLog.begin(), g_sendLog.end());
}

}  // namespace plat::detail

using namespace plat::detail;

BOOL GetMessageW(LPMSG msg, HWND h, UINT, UINT) { return GetEntry(msg, h); }
BOOL GetMessageA(LPMSG msg, HWND h, UINT, UINT) { return GetEntry(msg, h); }
BOOL PeekMessageW(LPMSG msg, HWND h, UINT, UINT, UINT remove) { return PeekEntry(msg, h, remove); }
BOOL PeekMessageA(LPMSG msg, HWND h, UINT, UINT, UINT remove) { return PeekEntry(msg, h, remove); }

BOOL WaitMessage() {
  std::shared_ptr<Queue> q = CurrentQueue();
  std::unique_lock<std::mutex> lk(KernelMutex());
  for (;;) {
    while (ServiceOneSendLocked(lk, q.get())) {
    }
    if (HasWorkLocked(q.get())) return TRUE;
    WaitForWorkLocked(lk, q.get());
  }
}

LRESULT DispatchMessageW(const MSG* msg) { return DispatchEntry(msg); }
LRESULT DispatchMessageA(const MSG* msg) { return DispatchEntry(msg); }

BOOL PostMessageW(HWND h, UINT m, WPARAM w, LPARAM l) { return PostEntry(h, m, w, l); }
BOOL PostMessageA(HWND h, UINT m, WPARAM w, LPARAM l) { return PostEntry(h, m, w, l); }

void PostQuitMessage(int code) {
  std::shared_ptr<Queue> q = CurrentQueue();
  std::lock_guard<std::mutex> lock(KernelMutex());
  q->quit = true;
  q->quitCode = code;
  Kick();
}

LRESULT SendMessageW(HWND h, UINT m, WPARAM w, LPARAM l) { return SendEntry(h, m, w, l, true); }
LRESULT SendMessageA(HWND h, UINT m, WPARAM w, LPARAM l) { return SendEntry(h, m, w, l, false); }

LRESULT CallWindowProcW(WNDPROC proc, HWND h, UINT m, WPARAM w, LPARAM l) { return proc ? proc(h, m, w, l) : 0; }
LRESULT CallWindowProcA(WNDPROC proc, HWND h, UINT m, WPARAM w, LPARAM l) { return proc ? proc(h, m, w, l) : 0; }

namespace plat {

DWORD WaitServicingSends(HANDLE h, DWORD ms) {
  std::shared_ptr<Object> obj = LookupWaitable(h);
  if (!obj) return WAIT_FAILED;
  Queue* q = CurrentQueueIfAny();
  std::unique_lock<std::mutex> lk(KernelMutex());
  const uint64_t deadline = ms == INFINITE ? kNoDeadline : NowMs() + ms;
  bool signalled = false;
  for (;;) {
    if (TakeSignalLocked(obj.get())) return WAIT_OBJECT_0;
    if (q && ServiceOneSendLocked(lk, q)) continue;
    if (NowMs() >= deadline) return WAIT_TIMEOUT;
    KernelWait(lk, deadline, [&] {
      if (TakeSignalLocked(obj.get())) signalled = true;
      return signalled || (q && !q->sent.empty());
    });
    if (signalled) return WAIT_OBJECT_0;
  }
}

}  // namespace plat
