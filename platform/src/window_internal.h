// Internals of the window manager: windows, classes, per-thread queues, sends, timers and the
// update regions. All of it is guarded by KernelMutex, so posting, sending and invalidating can
// wake a thread that waits for messages through KernelWait on the one clock. Window procedures
// always run with the lock released.
#pragma once

#include <algorithm>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "clock.h"

namespace plat::detail {

class Surface;
struct Window;
struct Queue;

struct WndClass {
  std::wstring name;
  WNDPROC proc = nullptr;
  HBRUSH background = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  UINT style = 0;
  bool wide = true;     // registered through the W call: text messages carry wchar_t
  bool system = false;  // the layer's own classes survive a harness reset
};

// A message sent from another thread, or work marshalled onto the owner thread (automation,
// UpdateWindow). The sender waits until done; the target fills result under the lock.
struct SentItem {
  std::shared_ptr<Window> target;  // null for work that names no window
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::function<LRESULT()> work;  // runs instead of the window procedure when set
  LRESULT result = 0;
  std::atomic<bool> done{false};  // written under the lock; read by the sender's spin without it
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  uint32_t period = 0;
  uint64_t start = 0;  // due times are start + k * period
  uint64_t due = 0;
  uint64_t order = 0;  // creation order breaks ties
};

// One per thread that created a window or retrieved messages.
struct Queue {
  DWORD threadId = 0;
  std::deque<std::shared_ptr<SentItem>> sent;
  std::vector<std::shared_ptr<SentItem>> running;  // being handled now
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  bool ended = false;        // the thread has ended: sends to it return 0
  bool inMessageWait = false;  // blocked in a retrieval wait (for WaitIdle)
  int modalDepth = 0;
  HWND pendingActivate = nullptr;  // a click landed in this top-level window
  uint64_t serviced = 0;           // incoming sends handled so far
  std::atomic<uint64_t> arrivals{0};  // bumped by every send and post to it, for the short spin
};

struct Window {
  HWND hwnd = nullptr;
  std::shared_ptr<WndClass> cls;
  WNDPROC proc = nullptr;
  bool wide = true;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::wstring text;
  UINT_PTR id = 0;
  LONG userData = 0;
  Window* parent = nullptr;       // children only
  HWND owner = nullptr;           // owned top-level windows
  std::vector<Window*> children;  // topmost first
  RECT rect{};                    // window rectangle: parent client coordinates, or screen
  std::shared_ptr<Surface> surface;
  std::shared_ptr<Queue> queue;
  std::vector<RECT> update;  // client coordinates
  bool erase = false;
  uint64_t validations = 0;  // counts BeginPaint and ValidateRect calls
  bool visible = false;  // the window's own WS_VISIBLE
  bool destroying = false;
  bool destroyed = false;
  HWND lastFocus = nullptr;  // top-level windows: the focus to give back on activation
};

// ---- Rectangles ------------------------------------------------------------------------------
inline bool RectEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
inline RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  return RectEmpty(r) ? RECT{0, 0, 0, 0} : r;
}
inline RECT Offset(RECT r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }
inline bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }
// The parts of every rectangle of list that lie outside cut.
std::vector<RECT> Subtract(const std::vector<RECT>& list, const RECT& cut);

// ---- Registry (window.cpp) -------------------------------------------------------------------
std::shared_ptr<Window> FindWindowLocked(HWND h);  // live windows only
std::shared_ptr<Window> LookupWindow(HWND h);      // takes the lock; sets ERROR_INVALID_WINDOW_HANDLE
std::vector<Window*>& TopLevelsLocked();           // topmost first
Window* TopLevelOf(Window* w);
bool IsAncestorOf(const Window* ancestor, const Window* w);  // or the same window
bool VisibleLocked(const Window* w);                         // the window and all its ancestors
bool EnabledLocked(const Window* w);                         // the window and all its ancestors
bool ClipsChildren(const Window* w);
// Non-client offsets of the client area inside the window rectangle.
RECT FrameInsets(const Window* w);
RECT ClientRectLocked(const Window* w);  // (0,0)-(cx,cy)
POINT ClientOriginScreen(const Window* w);
RECT WindowRectScreen(const Window* w);
// The topmost visible window at a screen point, descending into children, or nullptr.
Window* HitTestLocked(POINT screen);
// Every visible window's client area that is not covered, in screen coordinates.
std::vector<RECT> VisibleClientPartsLocked(const Window* w);
SIZE ScreenSize();
// Calls the window procedure without the lock (lk is released meanwhile when given and held).
LRESULT CallProc(const std::shared_ptr<Window>& w, UINT msg, WPARAM wp, LPARAM lp);
// Harness: fault injection, and the screen of a program started by the test.
void FailRegisterClassNamed(const wchar_t* name);
void FailCreateWindowOfClass(const wchar_t* name);
void SetScreenSize(Profile profile, int cx, int cy);
// Registers a class of the layer's own (controls, dialogs) that survives a harness reset.
ATOM RegisterSystemClass(const wchar_t* name, WNDPROC proc, HBRUSH background);

// ---- Predefined controls (controls.cpp) ------------------------------------------------------
// Registers the control classes ("Button", "Static", "Edit", "ComboBox", "ListBox") once, before
// the first class is registered or looked up.
void EnsureControlClasses();

// ---- Queues and sends (message.cpp) ----------------------------------------------------------
// The calling thread's queue, made on first use.
std::shared_ptr<Queue> CurrentQueue();
// The calling thread's queue if it has one.
Queue* CurrentQueueIfAny();
// The queue of a thread, or null.
std::shared_ptr<Queue> QueueOfThreadLocked(DWORD threadId);
// With the lock: whether something is waiting to be retrieved by q (any kind).
bool HasWorkLocked(Queue* q);
// Runs one incoming send of q (releasing the lock meanwhile); false when none is queued.
bool ServiceOneSendLocked(std::unique_lock<std::mutex>& lk, Queue* q);
// Queues item to q and waits until it is done, servicing the caller's own sends meanwhile.
// Returns the result, or 0 when q's thread has ended.
LRESULT SendAndWaitLocked(std::unique_lock<std::mutex>& lk, Queue* q, const std::shared_ptr<SentItem>& item);
// The next message for q of kinds posted, input, quit, paint, timer (sends are serviced first).
bool PeekCoreLocked(std::unique_lock<std::mutex>& lk, Queue* q, MSG* msg, bool remove);
// Blocks until something may be retrievable for q (or its next timer is due).
void WaitForWorkLocked(std::unique_lock<std::mutex>& lk, Queue* q);
// GetMessage's wait: until a message is there; returns it.
void GetCoreLocked(std::unique_lock<std::mutex>& lk, Queue* q, MSG* msg);
// Drops everything queued for a window that is being destroyed and releases its senders.
void ForgetWindowLocked(Window* w);
// Posts to a window's queue with the lock held.
void PostLocked(Window* w, UINT msg, WPARAM wp, LPARAM lp);
void ResetQueues();
// Sent-message log for the test API: (window, message, tick when handled).
struct SendRecord {
  HWND hwnd;
  UINT msg;
  DWORD tick;
};
std::vector<SendRecord> SendLog();
// Called on the receiving thread after the handler of each send of the log has returned, while
// its sender still waits; empty removes it. ResetQueues removes it too.
void SetSendHandledHook(std::function<void(HWND, UINT)> hook);

// ---- Input and focus (input.cpp) -------------------------------------------------------------
struct InputEvent {
  UINT msg = 0;  // WM_KEYDOWN, WM_KEYUP, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE
  WPARAM vk = 0;
  LPARAM keyFlags = 0;
  POINT screen{};
};
void InjectInput(const InputEvent& e);
// The next input event for q converted to a message, dropping input aimed at disabled windows.
bool TakeInputLocked(Queue* q, MSG* msg, bool remove);
bool HasInputLocked(Queue* q);
// Focus and activation. Each sends its messages with the lock released.
HWND SetFocusCore(HWND h, bool force);
void ActivateWindow(HWND h);
// After w (or an ancestor) was hidden, disabled or is being destroyed: moves the focus and the
// activation off it. Call without the lock.
void MoveFocusOff(HWND h, bool destroying);
HWND FocusLocked();
HWND ActiveLocked();
void ResetInput();
// Until the next button-down that lands anywhere but on popup or partner, which posts
// WM_CANCELMODE to partner once (a combo box and its open list). NULL clears.
void WatchOutsideClicks(HWND popup, HWND partner);

// ---- Timers (timer.cpp) ----------------------------------------------------------------------
bool TakeTimerLocked(Queue* q, MSG* msg, bool remove);
bool TimerDueLocked(Queue* q);
uint64_t NextTimerDueLocked(Queue* q);
void KillWindowTimersLocked(Window* w);

// ---- Invalidation and painting (paint.cpp) ---------------------------------------------------
// Adds rc (client coordinates; nullptr: the whole client) to w's update region.
void InvalidateLocked(Window* w, const RECT* rc, bool erase, bool children);
// The whole window and all its visible descendants (showing a window).
void InvalidateAllLocked(Window* w, bool erase);
// Invalidates with erase the uncovered parts of every visible window inside a screen rectangle.
void ExposeLocked(const RECT& screen);
// The first window of q with a pending paint, parent first, children bottom to top.
Window* FindPaintLocked(Queue* q);
void ClearUpdateLocked(Window* w, bool descendants);
// Sends WM_PAINT to w now, and validates if the handler did not. Call without the lock.
void PaintNow(const std::shared_ptr<Window>& w);
// DefWindowProc's WM_ERASEBKGND: fills the paint DC's region with the class brush; false when
// there is no brush.
bool EraseBackground(HWND h, HDC hdc);

// ---- Surfaces and composition (compose.cpp) --------------------------------------------------
std::shared_ptr<Surface> MakeClientSurface(int cx, int cy);
void ResizeClientSurface(Surface& s, int cx, int cy);
// Geometry or visibility changed: the next capture composes again.
void MarkScreenDirtyLocked();
// The caption's OK box (handheld) or close box (desktop) of a window rectangle, in screen
// coordinates.
RECT CaptionBoxRectScreen(const RECT& window, DWORD style);
// The composed screen (cached until something changes), and one window composed on its own.
std::shared_ptr<Surface> ComposeScreen();
std::shared_ptr<Surface> ComposeWindow(HWND h, bool withFrame);
void ResetCompose();

// ---- Modal loops (modal.cpp) -----------------------------------------------------------------
void ResetModal();

// ---- Text helpers (window.cpp) ---------------------------------------------------------------
std::wstring WidenText(const char* s);
std::string NarrowText(const std::wstring& s);
bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b);

}  // namespace plat::detail
