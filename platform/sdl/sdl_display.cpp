// The SDL2 display backend. The UI thread's message waits call Wait() below instead of blocking on
// the kernel's condition variable; a Kick from another thread (a send, a post, an invalidation, a
// worker's drawing) ends that wait as it would headless. With the X11 driver the wait is a poll
// of the X connection and an eventfd that a Kick writes (one system call, where an SDL event
// would make a trip through the X server); under other drivers it is SDL_WaitEventTimeout, and a
// Kick pushes a private SDL event. A frame shows only the bands of the screen that changed. Events
// are handled in bounded batches and turned into injected input, so sent messages, which the
// retrieval serves first, are never held up by a storm of them. Window procedures never run here:
// closing the window queues WM_CLOSE as a send that the retrieval delivers.
#include "sdl_display.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "foreign_windows.h"
#include "paths.h"
#include "plat/display.h"
#include "surface.h"
#include "window_internal.h"

namespace plat::detail::sdl {
namespace {

constexpr int64_t kFrameUs = 16667;  // at most 60 frames a second
constexpr int kBatch = 64;           // SDL events handled per wait

struct State {
  SDL_Window* window = nullptr;
  SDL_Surface* scaled = nullptr;  // the screen at the window's size, XRGB like the surfaces
  int scale = 1;
  SIZE size{0, 0};
  // Presenting.
  std::shared_ptr<Surface> shown;  // the screen surface last presented, and its version then
  uint64_t shownVersion = 0;
  std::vector<uint32_t> shownPixels;  // its pixels then, so a frame shows only what changed
  bool mustPresent = true;  // the window's contents were lost (exposed, shown, resized)
  std::atomic<uint64_t> presents{0};
  std::atomic<int64_t> lastPresentUs{0};
  std::wstring title;
  std::atomic<int> xFd{-1};  // the X connection the UI thread polls, or -1: it waits in SDL
  // Input.
  bool buttonHeld = false;            // a left button-down inside the screen was delivered
  std::vector<SDL_Keycode> heldKeys;  // keys down, for the codes two keys share
};

State& S() {
  static State* s = new State;
  return *s;
}

std::atomic<uint32_t> g_wakeType{0};
// Written by a Kick while the UI thread polls the X connection. Made once and never closed, so a
// late wake can never write into a descriptor that has been reused.
std::atomic<int> g_wakeFd{-1};
// Raised by a second instance's activation request (from the request listener's thread).
std::atomic<uint32_t> g_raiseType{0};

int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// ---- The program's main window ----

// The first top-level window the program made that still lives (handles only grow). Windows of the
// layer's own classes (dialogs, boxes, menus) count only while there is no other.
std::shared_ptr<Window> MainWindowLocked() {
  Window* best = nullptr;
  auto key = [](const Window* w) {
    return std::make_pair(w->cls && w->cls->system, reinterpret_cast<uintptr_t>(w->hwnd));
  };
  for (Window* t : TopLevelsLocked()) {
    if (t->destroying) continue;
    if (!best || key(t) < key(best)) best = t;
  }
  return best ? FindWindowLocked(best->hwnd) : nullptr;
}

void UpdateTitle() {
  State& st = S();
  std::wstring title;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<Window> w = MainWindowLocked();
    if (!w) return;  // keeps the last title while no window is up
    title = w->text;
  }
  if (title == st.title) return;
  st.title = title;
  SDL_SetWindowTitle(st.window, ToUtf8(FromWide(title.c_str())).c_str());
}

// Closing the SDL window: WM_CLOSE to the main window, which decides. Queued as a send for its
// thread, which handles it ahead of everything else at its next retrieval.
void SendCloseToMainWindow() {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = MainWindowLocked();
  if (!w || w->queue->ended) return;
  auto item = std::make_shared<SentItem>();
  item->target = w;
  item->msg = WM_CLOSE;
  w->queue->sent.push_back(item);
  ++w->queue->arrivals;
  Kick();
}

// ---- Presenting ----

bool ResizeWindow(SIZE size) {
  State& st = S();
  if (st.scaled && st.size.cx == size.cx && st.size.cy == size.cy) return true;
  if (st.scaled) SDL_FreeSurface(st.scaled);
  st.scaled = SDL_CreateRGBSurfaceWithFormat(0, size.cx * st.scale, size.cy * st.scale, 32, SDL_PIXELFORMAT_RGB888);
  if (!st.scaled) return false;
  if (st.size.cx != size.cx || st.size.cy != size.cy) {
    st.size = size;
    SDL_SetWindowSize(st.window, size.cx * st.scale, size.cy * st.scale);
  }
  return true;
}

// Copies the screen's rectangle r into the scaled surface, each pixel as a scale x scale block.
void Scale(const Surface& screen, const RECT& r, SDL_Surface* dst, int scale) {
  const int w = screen.WidthLocked();
  const uint32_t* src = screen.PixelsLocked();
  auto* base = static_cast<uint8_t*>(dst->pixels);
  const size_t rowBytes = static_cast<size_t>(r.right - r.left) * static_cast<size_t>(scale) * 4;
  const size_t left = static_cast<size_t>(r.left) * static_cast<size_t>(scale) * 4;
  for (int y = r.top; y < r.bottom && (y + 1) * scale <= dst->h; ++y) {
    uint8_t* first = base + static_cast<size_t>(y * scale) * static_cast<size_t>(dst->pitch) + left;
    auto* row = reinterpret_cast<uint32_t*>(first);
    const uint32_t* in = src + static_cast<size_t>(y) * static_cast<size_t>(w) + r.left;
    for (int x = 0; x < r.right - r.left; ++x) {
      for (int k = 0; k < scale; ++k) row[x * scale + k] = in[x];
    }
    for (int k = 1; k < scale; ++k) std::memcpy(first + static_cast<size_t>(k) * static_cast<size_t>(dst->pitch), first, rowBytes);
  }
}

// Rows that changed closer than this are shown as one band.
constexpr int kBandGap = 8;

// The bands of the screen that differ from `was` (same size), each from its first to its last
// changed column; `was` takes the new pixels.
std::vector<RECT> ChangedBands(const Surface& screen, std::vector<uint32_t>& was) {
  const int w = screen.WidthLocked();
  const int h = screen.HeightLocked();
  const uint32_t* now = screen.PixelsLocked();
  std::vector<RECT> bands;
  int gap = kBandGap;
  for (int y = 0; y < h; ++y) {
    const uint32_t* a = now + static_cast<size_t>(y) * static_cast<size_t>(w);
    uint32_t* b = was.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
    if (std::memcmp(a, b, static_cast<size_t>(w) * 4) == 0) {
      ++gap;
      continue;
    }
    int left = 0;
    while (a[left] == b[left]) ++left;
    int right = w;
    while (a[right - 1] == b[right - 1]) --right;
    std::memcpy(b + left, a + left, static_cast<size_t>(right - left) * 4);
    if (gap < kBandGap && !bands.empty()) {
      RECT& band = bands.back();
      band.left = std::min<LONG>(band.left, left);
      band.right = std::max<LONG>(band.right, right);
      band.bottom = y + 1;
    } else {
      bands.push_back(RECT{left, y, right, y + 1});
    }
    gap = 0;
  }
  return bands;
}

// Composes the screen and shows what changed since the last frame (all of it when the window lost
// its contents).
void PresentIfChanged() {
  State& st = S();
  std::shared_ptr<Surface> screen = ComposeScreen();
  const SIZE size = screen->Size();
  if (size.cx <= 0 || size.cy <= 0 || !ResizeWindow(size)) return;
  std::vector<RECT> bands;
  {
    SurfaceLocks lock(*screen);
    const uint64_t version = screen->Version();
    if (!st.mustPresent && screen == st.shown && version == st.shownVersion) return;
    if (screen->WidthLocked() != size.cx || screen->HeightLocked() != size.cy) return;  // resized meanwhile
    const size_t pixels = static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy);
    if (st.mustPresent || screen != st.shown || st.shownPixels.size() != pixels) {
      st.shownPixels.assign(screen->PixelsLocked(), screen->PixelsLocked() + pixels);
      bands.push_back(RECT{0, 0, size.cx, size.cy});
    } else {
      bands = ChangedBands(*screen, st.shownPixels);
    }
    st.shown = screen;
    st.shownVersion = version;
    for (const RECT& r : bands) Scale(*screen, r, st.scaled, st.scale);
  }
  st.mustPresent = false;
  if (bands.empty()) return;  // drawn again as it was
  SDL_Surface* win = SDL_GetWindowSurface(st.window);
  if (!win) return;
  std::vector<SDL_Rect> rects;
  for (const RECT& r : bands) {
    SDL_Rect rect{r.left * st.scale, r.top * st.scale, (r.right - r.left) * st.scale, (r.bottom - r.top) * st.scale};
    SDL_Rect to = rect;
    SDL_BlitSurface(st.scaled, &rect, win, &to);
    rects.push_back(rect);
  }
  SDL_UpdateWindowSurfaceRects(st.window, rects.data(), static_cast<int>(rects.size()));
  st.presents.fetch_add(1, std::memory_order_relaxed);
  st.lastPresentUs.store(NowUs(), std::memory_order_relaxed);
}

// Microseconds until the next frame may be shown (0: now).
int64_t UntilNextFrameUs() {
  const State& st = S();
  if (st.presents.load(std::memory_order_relaxed) == 0) return 0;
  const int64_t due = st.lastPresentUs.load(std::memory_order_relaxed) + kFrameUs;
  return std::max<int64_t>(0, due - NowUs());
}

// ---- Screenshots ----

// Makes the folder and its parents; false with errno set when it is not a writable folder.
bool MakeFolders(const std::string& dir) {
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    const std::string part = dir.substr(0, i);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat sb {};
  if (stat(dir.c_str(), &sb) != 0) return false;
  if (!S_ISDIR(sb.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  return access(dir.c_str(), W_OK) == 0;
}

// PrintScreen: the composed screen as a PNG in the shots folder. A failure is reported and the
// program goes on.
void TakeScreenshot() {
  const std::string dir = ShotsFolder();
  errno = 0;
  if (!MakeFolders(dir)) {
    const int e = errno;
    std::fprintf(stderr, "platform: cannot write screenshots to %s: %s\n", dir.c_str(),
                 e ? std::strerror(e) : "not a writable folder");
    return;
  }
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char stem[64];
  std::snprintf(stem, sizeof stem, "screen-%04d%02d%02d-%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  std::string path;
  for (int n = 0; n < 1000; ++n) {
    char suffix[16] = "";
    if (n > 0) std::snprintf(suffix, sizeof suffix, "-%d", n);
    path = dir + "/" + stem + suffix + ".png";
    if (access(path.c_str(), F_OK) != 0) break;
  }
  errno = 0;
  if (!plat::SaveScreenPng(path.c_str())) {
    const int e = errno;
    std::fprintf(stderr, "platform: cannot write the screenshot %s: %s\n", path.c_str(),
                 e ? std::strerror(e) : "write failed");
    return;
  }
  std::fprintf(stderr, "platform: screenshot %s\n", path.c_str());
}

// ---- Input ----

void Inject(UINT msg, int x, int y) {
  InputEvent e;
  e.msg = msg;
  e.screen = POINT{x, y};
  InjectInput(e);
}

void OnButton(const SDL_MouseButtonEvent& b) {
  State& st = S();
  if (b.button != SDL_BUTTON_LEFT) return;
  const int x = b.x >= 0 ? b.x / st.scale : -1;
  const int y = b.y >= 0 ? b.y / st.scale : -1;
  const bool inside = x >= 0 && y >= 0 && x < st.size.cx && y < st.size.cy;
  if (b.type == SDL_MOUSEBUTTONDOWN) {
    if (!inside) return;  // outside the virtual screen
    st.buttonHeld = true;
    Inject(WM_LBUTTONDOWN, x, y);
  } else if (st.buttonHeld) {
    // The release always follows a delivered press, at the nearest screen point, so the window
    // that took the press gets its button-up.
    st.buttonHeld = false;
    Inject(WM_LBUTTONUP, std::clamp(x, 0, std::max(0, static_cast<int>(st.size.cx) - 1)),
           std::clamp(y, 0, std::max(0, static_cast<int>(st.size.cy) - 1)));
  }
}

void OnMotion(const SDL_MouseMotionEvent& m) {
  State& st = S();
  if (!st.buttonHeld || m.x < 0 || m.y < 0) return;
  const int x = m.x / st.scale;
  const int y = m.y / st.scale;
  if (x >= st.size.cx || y >= st.size.cy) return;
  Inject(WM_MOUSEMOVE, x, y);
}

void OnKey(const SDL_KeyboardEvent& k) {
  State& st = S();
  const bool down = k.type == SDL_KEYDOWN;
  if (k.keysym.sym == SDLK_PRINTSCREEN) {
    if (down && !k.repeat) TakeScreenshot();
    return;  // the program never sees it
  }
  const int vk = VirtualKey(k.keysym.sym);
  if (!vk) return;
  auto& held = st.heldKeys;
  const bool otherHeld = std::any_of(held.begin(), held.end(), [&](SDL_Keycode c) {
    return c != k.keysym.sym && VirtualKey(c) == vk;
  });
  const auto mine = std::find(held.begin(), held.end(), k.keysym.sym);
  InputEvent e;
  e.vk = static_cast<WPARAM>(vk);
  if (down) {
    const bool wasDown = k.repeat || mine != held.end() || otherHeld;
    if (mine == held.end()) held.push_back(k.keysym.sym);
    e.msg = WM_KEYDOWN;
    e.keyFlags = 1 | (wasDown ? LPARAM{1} << 30 : 0);
  } else {
    if (mine != held.end()) held.erase(mine);
    if (otherHeld) return;  // the code stays down while its other key is held
    e.msg = WM_KEYUP;
    e.keyFlags = static_cast<LPARAM>(static_cast<uint32_t>(1u | (1u << 30) | (1u << 31)));
  }
  InjectInput(e);
}

void Handle(const SDL_Event& e) {
  State& st = S();
  switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      OnButton(e.button);
      break;
    case SDL_MOUSEMOTION:
      OnMotion(e.motion);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      OnKey(e.key);
      break;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          SendCloseToMainWindow();
          break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          st.mustPresent = true;
          break;
        default:
          break;
      }
      break;
    default:
      if (e.type == g_raiseType.load(std::memory_order_relaxed) && st.window) SDL_RaiseWindow(st.window);
      break;  // the wake event, text input, SDL_QUIT (the close comes as the window event) ...
  }
}

// Handles first and then what else is queued, up to one batch.
void HandleBatch(const SDL_Event& first) {
  Handle(first);
  SDL_Event e;
  for (int n = 1; n < kBatch && SDL_PollEvent(&e); ++n) Handle(e);
}

void PresentIfDue() {
  if (UntilNextFrameUs() == 0) PresentIfChanged();
}

// The UI thread's message wait (KernelMutex released).
void Wait(int timeoutMs) {
  State& st = S();
  if (!st.window) return;
  int timeout = timeoutMs;
  const int64_t until = UntilNextFrameUs();
  if (until == 0) {
    PresentIfChanged();
  } else {
    // A frame is not due yet: come back when it is, to show what changed meanwhile.
    const int frameMs = static_cast<int>((until + 999) / 1000);
    timeout = timeout < 0 ? frameMs : std::min(timeout, frameMs);
  }
  UpdateTitle();
  SDL_Event e;
  if (st.xFd < 0) {
    if (SDL_WaitEventTimeout(&e, timeout)) HandleBatch(e);
    return;
  }
  // Polling for an event reads all the X connection holds (and sends what is queued for it), so
  // the poll below sees whatever comes next.
  if (SDL_PollEvent(&e)) {
    HandleBatch(e);
    return;
  }
  const int wakeFd = g_wakeFd.load(std::memory_order_relaxed);
  pollfd f[2] = {{wakeFd, POLLIN, 0}, {st.xFd.load(), POLLIN, 0}};
  if (::poll(f, 2, timeout) > 0 && (f[0].revents & POLLIN)) {
    eventfd_t drained;
    eventfd_read(wakeFd, &drained);
  }
  if (SDL_PollEvent(&e)) HandleBatch(e);
}

// Any thread: ends the UI thread's Wait.
void Wake() {
  if (S().xFd >= 0) {
    eventfd_write(g_wakeFd.load(std::memory_order_relaxed), 1);
    return;
  }
  SDL_Event e{};
  e.type = g_wakeType.load(std::memory_order_relaxed);
  SDL_PushEvent(&e);
}

const DisplayWaiter kWaiter{&Wait, &Wake};

bool StartBackend(int scale) { return Start(scale); }

const DisplayBackend kBackend{&StartBackend, &Stop};

}  // namespace

bool Start(int scale) {
  State& st = S();
  if (st.window) return true;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // Ctrl+C ends the program as headless
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // The window's surface is blitted by SDL's own framebuffer: no GPU context, so no OpenGL driver
  // and its threads are loaded for a 320 x 240 screen that changes a few times a second.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "platform: the SDL display cannot start: %s\n", SDL_GetError());
    return false;
  }
  const uint32_t wake = SDL_RegisterEvents(2);  // the wake and the raise events
  st.scale = std::clamp(scale, 1, 16);
  const SIZE size = ScreenSize();
  if (wake != static_cast<uint32_t>(-1)) {
    st.window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, size.cx * st.scale,
                                 size.cy * st.scale, SDL_WINDOW_SHOWN);
  }
  if (!st.window) {
    std::fprintf(stderr, "platform: the SDL window cannot open: %s\n", SDL_GetError());
    SDL_Quit();
    return false;
  }
  SDL_StopTextInput();  // characters come from TranslateMessage, as headless
  g_wakeType.store(wake, std::memory_order_relaxed);
  g_raiseType.store(wake + 1, std::memory_order_relaxed);
  if (g_wakeFd.load() < 0) g_wakeFd.store(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  st.xFd.store(g_wakeFd.load() >= 0 ? X11ConnectionFd(st.window) : -1);
  // A second instance asks this one to come to the front: raise the window on the UI thread.
  SetActivateRequestHook([](const std::wstring&) {
    SDL_Event e{};
    e.type = g_raiseType.load(std::memory_order_relaxed);
    SDL_PushEvent(&e);
    Wake();
  });
  st.size = size;
  st.mustPresent = true;
  st.presents.store(0);
  st.lastPresentUs.store(0);
  st.title.clear();
  st.buttonHeld = false;
  st.heldKeys.clear();
  SetDisplayWaiter(&kWaiter);
  PresentIfChanged();
  UpdateTitle();
  return true;
}

void Stop() {
  State& st = S();
  if (!st.window) return;
  SetActivateRequestHook(nullptr);
  SetDisplayWaiter(nullptr);
  if (st.scaled) SDL_FreeSurface(st.scaled);
  st.scaled = nullptr;
  SDL_DestroyWindow(st.window);
  st.window = nullptr;
  st.xFd.store(-1);
  st.shown.reset();
  st.shownPixels.clear();
  SDL_Quit();
}

bool Running() { return S().window != nullptr; }

void Pump() {
  State& st = S();
  if (!st.window) return;
  SDL_Event e;
  if (SDL_PollEvent(&e)) HandleBatch(e);
  PresentIfDue();
  UpdateTitle();
}

uint32_t WindowId() { return S().window ? SDL_GetWindowID(S().window) : 0; }
uint64_t PresentCount() { return S().presents.load(); }
int64_t LastPresentUs() { return S().lastPresentUs.load(); }

std::string ShotsFolder() {
  const char* env = std::getenv("PLAT_SHOTS");
  if (env && *env) return env;
  return std::string(plat::DriveRoot()) + "/shots";
}

}  // namespace plat::detail::sdl

namespace plat {

void RegisterSdlDisplay() { RegisterDisplayBackend(&detail::sdl::kBackend); }

}  // namespace plat
