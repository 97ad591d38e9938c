// Input: the injected mouse and key events, addressed to windows at retrieval time, the key
// state, TranslateMessage, and the focus and activation rules.
#include <array>

#include "foreign_windows.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

std::deque<InputEvent>& g_input = *new std::deque<InputEvent>;  // never destroyed, like the queues
std::array<uint8_t, 256> g_keys{};  // 0x80 down, 0x01 toggled
HWND g_focus = nullptr;
HWND g_active = nullptr;
HWND g_capture = nullptr;  // the window that took the button-down, until the button-up
HWND g_watchPopup = nullptr;    // a popup that closes on a click anywhere else
HWND g_watchPartner = nullptr;  // ... and the window told so with WM_CANCELMODE

constexpr uint8_t kDown = 0x80;
constexpr uint8_t kToggled = 0x01;

void InitKeysLocked() {
  g_keys.fill(0);
  g_keys[VK_NUMLOCK] = kToggled;  // Num Lock on
}

struct KeysInit {
  KeysInit() { InitKeysLocked(); }
} g_keysInit;

bool Down(int vk) { return (g_keys[static_cast<size_t>(vk) & 0xFF] & kDown) != 0; }
bool Toggled(int vk) { return (g_keys[static_cast<size_t>(vk) & 0xFF] & kToggled) != 0; }

void ApplyKeyLocked(UINT msg, WPARAM vk) {
  uint8_t& k = g_keys[vk & 0xFF];
  if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
    if (!(k & kDown)) k ^= kToggled;
    k |= kDown;
  } else {
    k &= static_cast<uint8_t>(~kDown);
  }
}

// The window keys go to now: the focus, else the active top-level window.
Window* KeyTargetLocked() {
  if (auto f = FindWindowLocked(g_focus)) return f.get();
  if (auto a = FindWindowLocked(g_active)) return a.get();
  return nullptr;
}

bool AcceptsInput(const Window* w) { return VisibleLocked(w) && EnabledLocked(w); }

enum class Route { Mine, Other, Drop };

// Where an event goes: to a window of q (msg filled), to another thread, or nowhere.
Route RouteLocked(Queue* q, const InputEvent& e, MSG* msg, HWND* nonClientClose, HWND* captionOk) {
  *msg = MSG{};
  msg->time = static_cast<DWORD>(NowMs());
  msg->pt = e.screen;
  if (e.msg == WM_KEYDOWN || e.msg == WM_KEYUP) {
    Window* t = KeyTargetLocked();
    if (!t) return Route::Drop;
    if (t->queue.get() != q) return Route::Other;
    if (!EnabledLocked(t) || !EnabledLocked(TopLevelOf(t))) return Route::Drop;
    const bool alt = Down(VK_MENU) || (e.msg == WM_KEYDOWN && e.vk == VK_MENU);
    msg->hwnd = t->hwnd;
    msg->message = e.msg == WM_KEYDOWN ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    msg->wParam = e.vk;
    msg->lParam = e.keyFlags;
    return Route::Mine;
  }
  Window* t = nullptr;
  if (auto c = FindWindowLocked(g_capture); c && e.msg != WM_LBUTTONDOWN) {
    t = c.get();
  } else if (e.msg == WM_MOUSEMOVE) {
    return Route::Drop;  // motion only while the button is held
  } else {
    t = HitTestLocked(e.screen);
  }
  if (!t) return Route::Drop;
  if (t->queue.get() != q) return Route::Other;
  if (!AcceptsInput(t) || !EnabledLocked(TopLevelOf(t))) return Route::Drop;
  const POINT o = ClientOriginScreen(t);
  const POINT local{e.screen.x - o.x, e.screen.y - o.y};
  const RECT client = ClientRectLocked(t);
  if (e.msg == WM_LBUTTONDOWN && !Contains(client, local)) {
    // Non-client: the caption's close box (desktop) and OK box (handheld) act on the button-down.
    const bool caption = (t->style & WS_CAPTION) == WS_CAPTION;
    if (caption && Contains(CaptionBoxRectScreen(WindowRectScreen(t), t->style), e.screen)) {
      if (CurrentProfile() == Profile::Desktop && (t->style & WS_SYSMENU)) *nonClientClose = t->hwnd;
      if (CurrentProfile() == Profile::Handheld && (t->exStyle & WS_EX_CAPTIONOKBTN)) *captionOk = t->hwnd;
    }
    return Route::Drop;
  }
  msg->hwnd = t->hwnd;
  msg->message = e.msg;
  msg->wParam = e.msg == WM_LBUTTONUP ? 0 : MK_LBUTTON;
  msg->lParam = MAKELPARAM(static_cast<SHORT>(local.x), static_cast<SHORT>(local.y));
  return Route::Mine;
}

// A button-down elsewhere than on the watched popup or its partner: the partner hears of it once.
void CheckOutsideClickLocked(UINT msg, HWND target) {
  if (msg != WM_LBUTTONDOWN || !g_watchPopup || target == g_watchPopup || target == g_watchPartner) return;
  if (auto p = FindWindowLocked(g_watchPartner)) PostLocked(p.get(), WM_CANCELMODE, 0, 0);
  g_watchPopup = g_watchPartner = nullptr;
}

}  // namespace

void WatchOutsideClicks(HWND popup, HWND partner) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  g_watchPopup = popup && partner ? popup : nullptr;
  g_watchPartner = popup && partner ? partner : nullptr;
}

void InjectInput(const InputEvent& e) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  g_input.push_back(e);
  Kick();
}

bool TakeInputLocked(Queue* q, MSG* msg, bool remove) {
  while (!g_input.empty()) {
    HWND close = nullptr, ok = nullptr;
    const InputEvent e = g_input.front();
    const Route r = RouteLocked(q, e, msg, &close, &ok);
    if (r == Route::Other) return false;
    if (r == Route::Drop) {
      g_input.pop_front();
      CheckOutsideClickLocked(e.msg, nullptr);
      if (auto w = FindWindowLocked(close)) PostLocked(w.get(), WM_CLOSE, 0, 0);
      if (auto w = FindWindowLocked(ok)) PostLocked(w.get(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      continue;
    }
    if (!remove) return true;
    g_input.pop_front();
    if (e.msg == WM_KEYDOWN || e.msg == WM_KEYUP) {
      ApplyKeyLocked(e.msg, e.vk);
    } else if (e.msg == WM_LBUTTONDOWN) {
      g_keys[0x01] |= kDown;  // VK_LBUTTON
      g_capture = msg->hwnd;
      CheckOutsideClickLocked(e.msg, msg->hwnd);
      // A click activates the top-level window it lands in (after this message is handled),
      // unless that window never takes the activation.
      std::shared_ptr<Window> w = FindWindowLocked(msg->hwnd);
      Window* topWindow = TopLevelOf(w.get());
      HWND top = topWindow->hwnd;
      if (top != g_active && !(topWindow->exStyle & WS_EX_NOACTIVATE)) q->pendingActivate = top;
    } else if (e.msg == WM_LBUTTONUP) {
      g_keys[0x01] &= static_cast<uint8_t>(~kDown);
      g_capture = nullptr;
    }
    return true;
  }
  return false;
}

bool HasInputLocked(Queue* q) {
  while (!g_input.empty()) {
    MSG m;
    HWND close = nullptr, ok = nullptr;
    const Route r = RouteLocked(q, g_input.front(), &m, &close, &ok);
    // Input to drop is work too: the retrieval drops it (and presses caption boxes).
    return r != Route::Other;
  }
  return false;
}

HWND FocusLocked() {
  if (!FindWindowLocked(g_focus)) g_focus = nullptr;
  return g_focus;
}

HWND ActiveLocked() {
  if (!FindWindowLocked(g_active)) g_active = nullptr;
  return g_active;
}

HWND SetFocusCore(HWND h, bool force) {
  HWND old;
  std::shared_ptr<Window> target;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    old = FocusLocked();
    if (h) {
      target = FindWindowLocked(h);
      if (!target || target->destroying) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
      // A disabled target, or one whose top-level window is disabled (a modal UI is open), keeps
      // the focus where it is.
      if (!force && (!EnabledLocked(target.get()) || (TopLevelOf(target.get())->style & WS_DISABLED))) {
        return nullptr;
      }
    }
    if (old == h) return old;
    g_focus = h;
    if (target) TopLevelOf(target.get())->lastFocus = h;
  }
  if (old) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(h), 0);
  if (h) SendMessageW(h, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

void ActivateWindow(HWND h) {
  HWND old;
  HWND focus = nullptr;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<Window> w = FindWindowLocked(h);
    if (!w || w->destroying) return;
    Window* top = TopLevelOf(w.get());
    h = top->hwnd;
    old = ActiveLocked();
    if (old == h) return;
    g_active = h;
    MarkScreenDirtyLocked();  // the caption colours follow the activation
    std::shared_ptr<Window> last = FindWindowLocked(top->lastFocus);
    focus = last && IsAncestorOf(top, last.get()) && AcceptsInput(last.get()) ? last->hwnd : h;
    std::shared_ptr<Window> f = FindWindowLocked(g_focus);
    if (f && IsAncestorOf(top, f.get())) focus = nullptr;  // the focus is inside already
  }
  if (old) SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(h));
  SendMessageW(h, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
  if (focus) SetFocusCore(focus, false);
}

void MoveFocusOff(HWND h, bool destroying) {
  HWND newFocus = nullptr;
  bool moveFocus = false;
  HWND newActive = nullptr;
  bool moveActive = false;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<Window> w = FindWindowLocked(h);
    if (!w) return;
    std::shared_ptr<Window> f = FindWindowLocked(g_focus);
    // The focus leaves a window that is hidden, disabled or going, or under such a window.
    if (f && IsAncestorOf(w.get(), f.get()) && (destroying || !AcceptsInput(f.get()))) {
      moveFocus = true;
      for (Window* a = w->parent; a; a = a->parent) {
        if (AcceptsInput(a) && !a->destroying) {
          newFocus = a->hwnd;
          break;
        }
      }
    }
    std::shared_ptr<Window> act = FindWindowLocked(g_active);
    if (act && act.get() == w.get() && (destroying || !w->visible)) {
      moveActive = true;
      std::shared_ptr<Window> owner = FindWindowLocked(w->owner);
      if (owner && owner->visible && !owner->destroying) {
        newActive = owner->hwnd;
      } else {
        for (Window* t : TopLevelsLocked()) {
          if (t != w.get() && t->visible && !t->destroying && !(t->style & WS_DISABLED)) {
            newActive = t->hwnd;
            break;
          }
        }
      }
      if (!newActive) g_active = nullptr;
    }
  }
  if (moveFocus) SetFocusCore(newFocus, true);
  if (moveActive && newActive) ActivateWindow(newActive);
}

void ResetInput() {
  std::lock_guard<std::mutex> lock(KernelMutex());
  g_input.clear();
  InitKeysLocked();
  g_focus = nullptr;
  g_active = nullptr;
  g_capture = nullptr;
  g_watchPopup = g_watchPartner = nullptr;
}

// ---- Characters from keys ----

namespace {

// The character TranslateMessage makes for a key, or 0.
wchar_t CharForKey(WPARAM vk, bool shift, bool ctrl, bool caps, bool numLock) {
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return static_cast<wchar_t>(vk - 'A' + 1);
    const bool upper = shift != caps;
    return static_cast<wchar_t>(upper ? vk : vk - 'A' + 'a');
  }
  if (ctrl) return 0;
  if (vk >= '0' && vk <= '9') {
    static const char kShifted[] = ")!@#$%^&*(";
    return static_cast<wchar_t>(shift ? kShifted[vk - '0'] : static_cast<char>(vk));
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return numLock ? static_cast<wchar_t>('0' + (vk - VK_NUMPAD0)) : 0;
  struct Pair {
    WPARAM vk;
    char plain;
    char shifted;
  };
  static const Pair kKeys[] = {
      {VK_SPACE, ' ', ' '},     {VK_RETURN, '\r', '\r'},  {VK_TAB, '\t', '\t'},     {VK_BACK, '\b', '\b'},
      {VK_ESCAPE, 27, 27},      {VK_MULTIPLY, '*', '*'},  {VK_ADD, '+', '+'},       {VK_SUBTRACT, '-', '-'},
      {VK_DIVIDE, '/', '/'},    {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},  {VK_OEM_COMMA, ',', '<'},
      {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},    {VK_OEM_3, '`', '~'},
      {VK_OEM_4, '[', '{'},     {VK_OEM_5, '\\', '|'},    {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
  };
  if (vk == VK_DECIMAL) return numLock ? L'.' : 0;
  for (const Pair& p : kKeys) {
    if (p.vk == vk) return static_cast<wchar_t>(static_cast<unsigned char>(shift ? p.shifted : p.plain));
  }
  return 0;
}

}  // namespace

}  // namespace plat::detail

using namespace plat::detail;

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  std::unique_lock<std::mutex> lk(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(msg->hwnd);
  if (!w) return FALSE;
  const wchar_t c = CharForKey(msg->wParam, Down(VK_SHIFT), Down(VK_CONTROL), Toggled(VK_CAPITAL), Toggled(VK_NUMLOCK));
  if (!c) return FALSE;
  PostLocked(w.get(), msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, c, msg->lParam);
  return TRUE;
}

SHORT GetKeyState(int vk) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  if (vk < 0 || vk > 255) return 0;
  return static_cast<SHORT>((Down(vk) ? 0x8000 : 0) | (Toggled(vk) ? 1 : 0));
}

SHORT GetAsyncKeyState(int vk) { return GetKeyState(vk); }

HWND SetFocus(HWND h) { return SetFocusCore(h, false); }

HWND GetFocus() {
  std::lock_guard<std::mutex> lock(KernelMutex());
  return FocusLocked();
}

HWND GetActiveWindow() {
  std::lock_guard<std::mutex> lock(KernelMutex());
  return ActiveLocked();
}

HWND SetActiveWindow(HWND h) {
  HWND old = GetActiveWindow();
  if (!IsWindow(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  ActivateWindow(h);
  return old;
}

// The low bit asks for the owned windows too: handles never have it set, so it is masked off.
BOOL SetForegroundWindow(HWND h) {
  h = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(h) & ~uintptr_t{1});
  // Another instance's window: the request goes to that process.
  if (BOOL sent; SetForegroundForeign(h, &sent)) return sent;
  if (!IsWindow(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  ActivateWindow(h);
  return TRUE;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }
