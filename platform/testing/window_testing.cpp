// plat::test automation of the window layer.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <sys/stat.h>

#include <cstdlib>

#include "modal.h"
#include "surface.h"
#include "window_internal.h"

namespace plat::test {
namespace {

using detail::KernelMutex;

// The UI thread of the program started by RunProgram (0: the test thread itself).
std::atomic<DWORD> g_uiThread{0};

struct ProgramArgs {
  int (*winMainW)(HINSTANCE, HINSTANCE, LPWSTR, int);
  int (*winMainA)(HINSTANCE, HINSTANCE, LPSTR, int);
};

DWORD WINAPI ProgramMain(LPVOID p) {
  std::unique_ptr<ProgramArgs> args(static_cast<ProgramArgs*>(p));
  InstallTestExitHook();
  detail::CurrentQueue();
  g_uiThread.store(GetCurrentThreadId());
  static wchar_t wideCmd[1] = {0};
  static char narrowCmd[1] = {0};
  int code;
  try {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    code = args->winMainW ? args->winMainW(inst, nullptr, wideCmd, SW_SHOWNORMAL)
                          : args->winMainA(inst, nullptr, narrowCmd, SW_SHOWNORMAL);
  } catch (const ProcessExit& e) {
    code = static_cast<int>(e.code);
  }
  return static_cast<DWORD>(code);
}

HANDLE Start(ProgramArgs* args, Profile profile, Screen screen) {
  detail::SetProfile(profile);
  detail::SetScreenSize(profile, screen.cx, screen.cy);
  HANDLE h = CreateThread(nullptr, 0, ProgramMain, args, 0, nullptr);
  if (!h) {
    delete args;
    ADD_FAILURE() << "the program's UI thread could not start";
  }
  return h;
}

std::shared_ptr<detail::Queue> UiQueueLocked() {
  const DWORD ui = g_uiThread.load();
  return ui ? detail::QueueOfThreadLocked(ui) : nullptr;
}

// Keys the injection has pressed: a second KeyDown is an auto-repeat.
std::mutex g_keyMutex;
bool g_injectedDown[256] = {};

void InjectKey(UINT msg, int vk, bool repeat) {
  LPARAM flags = 1;
  if (repeat) flags |= LPARAM{1} << 30;
  if (msg == WM_KEYUP) flags |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
  detail::InputEvent e;
  e.msg = msg;
  e.vk = static_cast<WPARAM>(vk & 0xFF);
  e.keyFlags = static_cast<LPARAM>(static_cast<uint32_t>(flags));
  detail::InjectInput(e);
}

void InjectMouse(UINT msg, int x, int y) {
  detail::InputEvent e;
  e.msg = msg;
  e.screen = POINT{x, y};
  detail::InjectInput(e);
}

// The key and Shift state that types c on the US layout; false when there is none.
bool KeyFor(char c, int* vk, bool* shift) {
  *shift = false;
  if (c >= 'a' && c <= 'z') {
    *vk = c - 'a' + 'A';
    return true;
  }
  if (c >= 'A' && c <= 'Z') {
    *vk = c;
    *shift = true;
    return true;
  }
  if (c >= '0' && c <= '9') {
    *vk = c;
    return true;
  }
  static const char kShiftedDigits[] = ")!@#$%^&*(";
  for (int i = 0; i < 10; ++i) {
    if (c == kShiftedDigits[i]) {
      *vk = '0' + i;
      *shift = true;
      return true;
    }
  }
  struct Key {
    int vk;
    char plain;
    char shifted;
  };
  static const Key kKeys[] = {
      {VK_SPACE, ' ', 0},          {VK_RETURN, '\r', 0},       {VK_RETURN, '\n', 0},       {VK_TAB, '\t', 0},
      {VK_BACK, '\b', 0},          {VK_OEM_1, ';', ':'},       {VK_OEM_PLUS, '=', '+'},    {VK_OEM_COMMA, ',', '<'},
      {VK_OEM_MINUS, '-', '_'},    {VK_OEM_PERIOD, '.', '>'},  {VK_OEM_2, '/', '?'},       {VK_OEM_3, '`', '~'},
      {VK_OEM_4, '[', '{'},        {VK_OEM_5, '\\', '|'},      {VK_OEM_6, ']', '}'},       {VK_OEM_7, '\'', '"'},
  };
  for (const Key& k : kKeys) {
    if (c == k.plain || (k.shifted && c == k.shifted)) {
      *vk = k.vk;
      *shift = k.shifted && c == k.shifted;
      return true;
    }
  }
  return false;
}

}  // namespace

int PumpUntilIdle() {
  constexpr int kLimit = 1000000;
  int n = 0;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // stays for the caller's own loop
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (++n >= kLimit) {
      ADD_FAILURE() << "PumpUntilIdle: messages keep coming (a paint or post loop?)";
      break;
    }
  }
  return n;
}

HANDLE RunProgram(int (*winMain)(HINSTANCE, HINSTANCE, LPWSTR, int), Profile profile, Screen screen) {
  return Start(new ProgramArgs{winMain, nullptr}, profile, screen);
}

HANDLE RunProgram(int (*winMain)(HINSTANCE, HINSTANCE, LPSTR, int), Profile profile, Screen screen) {
  return Start(new ProgramArgs{nullptr, winMain}, profile, screen);
}

int Wait(HANDLE program, DWORD realMs) {
  std::shared_ptr<detail::Object> obj = detail::LookupWaitable(program);
  if (!obj) {
    ADD_FAILURE() << "Wait: not a program handle";
    return -1;
  }
  bool ended;
  {
    std::unique_lock<std::mutex> lk(KernelMutex());
    ended = detail::HarnessWaitLocked(lk, realMs, [&] { return detail::TakeSignalLocked(obj.get()); });
  }
  if (!ended) {
    ADD_FAILURE() << "Wait: the program did not end within " << realMs << " ms";
    return -1;
  }
  g_uiThread.store(0);
  DWORD code = 0;
  GetExitCodeThread(program, &code);
  return static_cast<int>(code);
}

bool WaitIdle(DWORD realMs) {
  std::unique_lock<std::mutex> lk(KernelMutex());
  detail::HoldAutoStepLocked(true);
  const bool ok = detail::HarnessWaitLocked(lk, realMs, [] {
    if (!detail::QuiescentLocked()) return false;
    std::shared_ptr<detail::Queue> q = UiQueueLocked();
    return !q || q->ended || (q->inMessageWait && !detail::HasWorkLocked(q.get()));
  });
  detail::HoldAutoStepLocked(false);
  return ok;
}

bool RunFor(uint32_t ms) {
  Advance(ms);
  return WaitIdle();
}

LRESULT OnUiThread(const std::function<LRESULT()>& fn) {
  std::unique_lock<std::mutex> lk(KernelMutex());
  std::shared_ptr<detail::Queue> q = UiQueueLocked();
  if (!q || q->threadId == GetCurrentThreadId()) {
    lk.unlock();
    return fn();
  }
  auto item = std::make_shared<detail::SentItem>();
  item->work = fn;
  return detail::SendAndWaitLocked(lk, q.get(), item);
}

// ---- Finding and reading ----

HWND FindTop(const std::wstring& s) {
  if (HWND h = FindWindowW(nullptr, s.c_str())) return h;
  return FindWindowW(s.c_str(), nullptr);
}

HWND Child(HWND parent, int id) { return GetDlgItem(parent, id); }

std::vector<HWND> Children(HWND parent) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::vector<HWND> out;
  if (auto w = detail::FindWindowLocked(parent)) {
    for (detail::Window* c : w->children) out.push_back(c->hwnd);
  }
  return out;
}

HWND FocusWindow() { return GetFocus(); }
HWND ActiveWindow() { return GetActiveWindow(); }

std::wstring Text(HWND h) {
  const int n = GetWindowTextLengthW(h);
  if (n <= 0) return std::wstring();
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<size_t>(std::max(got, 0)));
  return s;
}

bool IsVisible(HWND h) { return IsWindowVisible(h) != FALSE; }
bool IsEnabled(HWND h) { return IsWindowEnabled(h) != FALSE; }
DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)); }
DWORD ExStyle(HWND h) { return static_cast<DWORD>(GetWindowLongW(h, GWL_EXSTYLE)); }

RECT WindowRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

RECT ClientRectScreen(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  POINT o{0, 0};
  ClientToScreen(h, &o);
  return detail::Offset(r, o.x, o.y);
}

std::vector<TimerInfo> Timers(HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::vector<TimerInfo> out;
  if (auto w = detail::FindWindowLocked(h)) {
    for (const detail::Timer& t : w->queue->timers) {
      if (t.hwnd == h) out.push_back(TimerInfo{t.id, t.period});
    }
  }
  return out;
}

std::vector<RECT> UpdateRegion(HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  auto w = detail::FindWindowLocked(h);
  return w ? w->update : std::vector<RECT>{};
}

bool UpdateErase(HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  auto w = detail::FindWindowLocked(h);
  return w && w->erase;
}

std::vector<ModalInfo> ModalStack() {
  std::vector<ModalInfo> out;
  for (const detail::ModalEntry& e : detail::ModalStack()) {
    out.push_back(ModalInfo{e.hwnd, static_cast<ModalKind>(e.kind), e.owner});
  }
  return out;
}

void OnModalStart(std::function<void(HWND, ModalKind)> hook) {
  if (!hook) {
    detail::SetModalHook(nullptr);
    return;
  }
  detail::SetModalHook([hook](HWND h, detail::ModalKind k) { hook(h, static_cast<ModalKind>(k)); });
}

// ---- Input ----

void Click(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  Click(h, (r.right - r.left) / 2, (r.bottom - r.top) / 2);
}

void Click(HWND h, int x, int y) {
  POINT p{x, y};
  if (!ClientToScreen(h, &p)) {
    ADD_FAILURE() << "Click: not a window";
    return;
  }
  ClickScreen(p.x, p.y);
}

void ClickScreen(int x, int y) {
  Press(x, y);
  Release(x, y);
}

void Press(int x, int y) { InjectMouse(WM_LBUTTONDOWN, x, y); }
void MoveMouse(int x, int y) { InjectMouse(WM_MOUSEMOVE, x, y); }
void Release(int x, int y) { InjectMouse(WM_LBUTTONUP, x, y); }

void KeyDown(int vk) {
  bool repeat;
  {
    std::lock_guard<std::mutex> lock(g_keyMutex);
    repeat = g_injectedDown[vk & 0xFF];
    g_injectedDown[vk & 0xFF] = true;
  }
  InjectKey(WM_KEYDOWN, vk, repeat);
}

void KeyUp(int vk) {
  {
    std::lock_guard<std::mutex> lock(g_keyMutex);
    g_injectedDown[vk & 0xFF] = false;
  }
  InjectKey(WM_KEYUP, vk, true);
}

void KeyPress(int vk) {
  KeyDown(vk);
  KeyUp(vk);
}

void KeyRepeat(int vk, int n) {
  {
    std::lock_guard<std::mutex> lock(g_keyMutex);
    g_injectedDown[vk & 0xFF] = true;
  }
  for (int i = 0; i < n; ++i) InjectKey(WM_KEYDOWN, vk, true);
  KeyUp(vk);
}

void TypeText(const std::string& text) {
  for (char c : text) {
    int vk;
    bool shift;
    if (!KeyFor(c, &vk, &shift)) continue;
    if (shift) KeyDown(VK_SHIFT);
    KeyPress(vk);
    if (shift) KeyUp(VK_SHIFT);
  }
}

// ---- Capture ----

COLORREF ScreenPixel(int x, int y) {
  const uint32_t p = detail::ComposeScreen()->Pixel(x, y);
  return p == CLR_INVALID ? CLR_INVALID : detail::ColorFromPixel(p);
}

namespace {

std::shared_ptr<detail::Surface> SurfaceOf(HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  auto w = detail::FindWindowLocked(h);
  return w ? w->surface : nullptr;
}

}  // namespace

COLORREF WindowPixel(HWND h, int x, int y) {
  std::shared_ptr<detail::Surface> s = SurfaceOf(h);
  if (!s) return CLR_INVALID;
  const uint32_t p = s->Pixel(x, y);
  return p == CLR_INVALID ? CLR_INVALID : detail::ColorFromPixel(p);
}

size_t CountPixels(HWND h, RECT rc, COLORREF colour) {
  std::shared_ptr<detail::Surface> s = SurfaceOf(h);
  return s ? s->CountPixels(rc, detail::PixelFromColor(colour)) : 0;
}

std::string OutputPath(const std::string& name) {
  const char* env = std::getenv("PLAT_TEST_OUTPUT");
  std::string dir = env && *env ? env : "test-output";
  mkdir(dir.c_str(), 0755);
  return dir + "/" + name;
}

// ---- Recorders and faults ----

void ResetWindowAutomation() {
  g_uiThread.store(0);
  std::lock_guard<std::mutex> lock(g_keyMutex);
  for (bool& k : g_injectedDown) k = false;
}

std::vector<SendInfo> Sends() {
  std::vector<SendInfo> out;
  for (const detail::SendRecord& r : detail::SendLog()) out.push_back(SendInfo{r.hwnd, r.msg, r.tick});
  return out;
}

void OnSendHandled(std::function<void(HWND hwnd, UINT msg)> hook) { detail::SetSendHandledHook(std::move(hook)); }

void FailRegisterClass(const std::wstring& name) { detail::FailRegisterClassNamed(name.c_str()); }
void FailCreateWindow(const std::wstring& className) { detail::FailCreateWindowOfClass(className.c_str()); }

}  // namespace plat::test
