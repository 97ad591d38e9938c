// The SDL display backend under SDL's dummy video driver: SDL events made up by the tests become
// the layer's input, the window closes through WM_CLOSE, PrintScreen saves the screen, frames are
// throttled, and other threads wake the UI thread's display wait.
// test-labels: threads
// test-requires: platform_sdl
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "../../platform/sdl/sdl_display.h"
#include "../../platform/src/core.h"
#include "../../platform/src/surface.h"
#include "../../platform/src/window_internal.h"
#include "plat/display.h"
#include "window_test_util.h"

namespace sdl = plat::detail::sdl;

namespace {

using wintest::Seen;

class SdlDisplay : public wintest::WindowTest {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    WindowTest::SetUp();
    root = plat::test::UseTempRoot();
    setenv("PLAT_SHOTS", (root + "/shots").c_str(), 1);
    ASSERT_TRUE(sdl::Start(2));
  }
  void TearDown() override {
    sdl::Stop();
    unsetenv("PLAT_SHOTS");
    WindowTest::TearDown();
  }
  // Restarts the display with another zoom.
  void Restart(int scale) {
    sdl::Stop();
    ASSERT_TRUE(sdl::Start(scale));
  }

  static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }
  static void Key(SDL_Keycode key, bool down, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = sdl::WindowId();
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    Push(e);
  }
  static void Button(bool down, int x, int y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = sdl::WindowId();
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    Push(e);
  }
  static void Motion(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = sdl::WindowId();
    e.motion.x = x;
    e.motion.y = y;
    Push(e);
  }
  static void CloseWindow() {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    e.window.windowID = sdl::WindowId();
    Push(e);
  }

  // Handles every queued SDL event, then retrieves, translates and dispatches what they produced.
  void Drain() {
    do {
      sdl::Pump();
    } while (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }

  // The keyboard messages the windows saw, oldest first.
  std::vector<Seen> Keys() {
    std::vector<Seen> out;
    std::lock_guard<std::mutex> lock(rec.mutex);
    for (const Seen& s : rec.log) {
      if (s.msg == WM_KEYDOWN || s.msg == WM_KEYUP || s.msg == WM_CHAR || s.msg == WM_SYSKEYDOWN ||
          s.msg == WM_SYSKEYUP) {
        out.push_back(s);
      }
    }
    return out;
  }

  HWND FocusedTop() {
    HWND h = Top(WS_VISIBLE, {0, 0, 240, 320}, L"Main");
    SetFocus(h);
    Drain();
    rec.Clear();
    return h;
  }

  std::string root;
};

// ---- Keyboard ----

TEST_F(SdlDisplay, KeyMapGivesVirtualKeysAndTheCharactersOfTheKeyState) {
  HWND h = FocusedTop();
  const struct {
    SDL_Keycode key;
    bool shift;
    WPARAM vk;
    wchar_t ch;  // 0: TranslateMessage makes none
  } cases[] = {
      {SDLK_a, false, 'A', L'a'},
      {SDLK_a, true, 'A', L'A'},
      {SDLK_z, false, 'Z', L'z'},
      {SDLK_m, true, 'M', L'M'},
      {SDLK_0, false, '0', L'0'},
      {SDLK_9, false, '9', L'9'},
      {SDLK_9, true, '9', L'('},
      {SDLK_F1, false, VK_F1, 0},
      {SDLK_F9, false, VK_F9, 0},
      {SDLK_F12, false, VK_F12, 0},
      {SDLK_LEFT, false, VK_LEFT, 0},
      {SDLK_UP, false, VK_UP, 0},
      {SDLK_RIGHT, false, VK_RIGHT, 0},
      {SDLK_DOWN, false, VK_DOWN, 0},
      {SDLK_HOME, false, VK_HOME, 0},
      {SDLK_END, false, VK_END, 0},
      {SDLK_PAGEUP, false, VK_PRIOR, 0},
      {SDLK_PAGEDOWN, false, VK_NEXT, 0},
      {SDLK_INSERT, false, VK_INSERT, 0},
      {SDLK_DELETE, false, VK_DELETE, 0},
      {SDLK_KP_0, false, VK_NUMPAD0, L'0'},
      {SDLK_KP_1, false, VK_NUMPAD1, L'1'},
      {SDLK_KP_9, false, VK_NUMPAD9, L'9'},
      {SDLK_KP_MULTIPLY, false, VK_MULTIPLY, L'*'},
      {SDLK_KP_PLUS, false, VK_ADD, L'+'},
      {SDLK_KP_MINUS, false, VK_SUBTRACT, L'-'},
      {SDLK_KP_DIVIDE, false, VK_DIVIDE, L'/'},
      {SDLK_KP_PERIOD, false, VK_DECIMAL, L'.'},
      {SDLK_RETURN, false, VK_RETURN, L'\r'},
      {SDLK_KP_ENTER, false, VK_RETURN, L'\r'},
      {SDLK_ESCAPE, false, VK_ESCAPE, 27},
      {SDLK_BACKSPACE, false, VK_BACK, L'\b'},
      {SDLK_TAB, false, VK_TAB, L'\t'},
      {SDLK_SPACE, false, VK_SPACE, L' '},
      {SDLK_SLASH, true, VK_OEM_2, L'?'},
      {SDLK_SEMICOLON, false, VK_OEM_1, L';'},
      {SDLK_QUOTE, true, VK_OEM_7, L'"'},
      {SDLK_MINUS, false, VK_OEM_MINUS, L'-'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SDL_GetKeyName(c.key));
    if (c.shift) Key(SDLK_LSHIFT, true);
    Key(c.key, true);
    Key(c.key, false);
    if (c.shift) Key(SDLK_LSHIFT, false);
    Drain();
    std::vector<Seen> want;
    if (c.shift) want.push_back({h, WM_KEYDOWN, VK_SHIFT, 0});
    want.push_back({h, WM_KEYDOWN, c.vk, 0});
    if (c.ch) want.push_back({h, WM_CHAR, static_cast<WPARAM>(c.ch), 0});
    want.push_back({h, WM_KEYUP, c.vk, 0});
    if (c.shift) want.push_back({h, WM_KEYUP, VK_SHIFT, 0});
    const std::vector<Seen> got = Keys();
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i].hwnd, h);
      EXPECT_EQ(got[i].msg, want[i].msg) << i;
      EXPECT_EQ(got[i].wParam, want[i].wParam) << i;
    }
    rec.Clear();
  }
  // Caps Lock inverts the case, and Ctrl with a letter gives its control character.
  Key(SDLK_CAPSLOCK, true);
  Key(SDLK_CAPSLOCK, false);
  Key(SDLK_b, true);
  Key(SDLK_b, false);
  Key(SDLK_CAPSLOCK, true);
  Key(SDLK_CAPSLOCK, false);
  Key(SDLK_RCTRL, true);
  Key(SDLK_c, true);
  Key(SDLK_c, false);
  Key(SDLK_RCTRL, false);
  Drain();
  std::vector<WPARAM> chars;
  for (const Seen& s : rec.Of(WM_CHAR)) chars.push_back(s.wParam);
  EXPECT_EQ(chars, (std::vector<WPARAM>{'B', 3}));
}

TEST_F(SdlDisplay, RepeatSetsBit30AndSharedCodesGoUpWithTheLastKey) {
  FocusedTop();
  Key(SDLK_F5, true);
  Key(SDLK_F5, true, true);
  Key(SDLK_F5, true, true);
  Key(SDLK_F5, false);
  // Two keys give VK_SHIFT: it is released when the second one is.
  Key(SDLK_LSHIFT, true);
  Key(SDLK_RSHIFT, true);
  Key(SDLK_LSHIFT, false);
  Drain();
  EXPECT_LT(GetKeyState(VK_SHIFT), 0) << "Shift reads up while the right Shift is held";
  Key(SDLK_RSHIFT, false);
  Drain();
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);

  const std::vector<Seen> got = Keys();
  struct Want {
    UINT msg;
    WPARAM vk;
    bool bit30;
  } want[] = {
      {WM_KEYDOWN, VK_F5, false}, {WM_KEYDOWN, VK_F5, true},    {WM_KEYDOWN, VK_F5, true},
      {WM_KEYUP, VK_F5, true},    {WM_KEYDOWN, VK_SHIFT, false}, {WM_KEYDOWN, VK_SHIFT, true},
      {WM_KEYUP, VK_SHIFT, true},
  };
  ASSERT_EQ(got.size(), std::size(want));
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].msg, want[i].msg) << i;
    EXPECT_EQ(got[i].wParam, want[i].vk) << i;
    const auto flags = static_cast<uint32_t>(got[i].lParam);
    EXPECT_EQ((flags >> 30) & 1, want[i].bit30 ? 1u : 0u) << i;
    EXPECT_EQ(flags >> 31, want[i].msg == WM_KEYUP ? 1u : 0u) << i;
    EXPECT_EQ(flags & 0xFFFF, 1u) << i;
  }
}

TEST_F(SdlDisplay, UnknownKeysAreIgnoredAndPrintScreenSavesTheScreenUnseen) {
  HWND h = FocusedTop();
  HDC dc = GetDC(h);
  RECT r{10, 20, 30, 40};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &r, red);
  DeleteObject(red);
  ReleaseDC(h, dc);

  Key(SDLK_F13, true);
  Key(SDLK_F13, false);
  Key(SDLK_APPLICATION, true);
  Key(SDLK_APPLICATION, false);
  Key(SDLK_PRINTSCREEN, true);
  Key(SDLK_PRINTSCREEN, false);
  Drain();
  EXPECT_TRUE(Keys().empty());

  std::vector<std::filesystem::path> shots;
  for (const auto& e : std::filesystem::directory_iterator(root + "/shots")) shots.push_back(e.path());
  ASSERT_EQ(shots.size(), 1u);
  EXPECT_EQ(shots[0].extension(), ".png");
  // The second one gets a name of its own.
  Key(SDLK_PRINTSCREEN, true);
  Key(SDLK_PRINTSCREEN, false);
  Drain();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root + "/shots"), {}), 2);
}

TEST_F(SdlDisplay, AnUnwritableShotsFolderIsReportedAndTheProgramGoesOn) {
  HWND h = FocusedTop();
  const std::string file = root + "/not-a-folder";
  FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  for (const std::string& shots : {file, file + "/below"}) {
    setenv("PLAT_SHOTS", shots.c_str(), 1);
    testing::internal::CaptureStderr();
    Key(SDLK_PRINTSCREEN, true);
    Key(SDLK_PRINTSCREEN, false);
    Key(SDLK_x, true);
    Drain();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(shots), std::string::npos) << err;
    ASSERT_EQ(rec.Of(WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(rec.Of(WM_KEYDOWN)[0].hwnd, h);
    Key(SDLK_x, false);
    Drain();
    rec.Clear();
  }
}

// ---- Mouse ----

TEST_F(SdlDisplay, ClicksAreDividedByTheScaleAndHitTheWindowBeneath) {
  for (int scale : {2, 3}) {
    SCOPED_TRACE(scale);
    Restart(scale);
    HWND top = Top(WS_VISIBLE, {0, 0, 240, 320}, L"Main");
    HWND left = Kid(top, 1, {10, 10, 60, 40});
    HWND right = Kid(top, 2, {100, 10, 150, 40});
    Drain();
    rec.Clear();
    // Screen (120, 25) is client (20, 15) of the right child.
    Button(true, 120 * scale, 25 * scale);
    Button(false, 120 * scale + scale - 1, 25 * scale + scale - 1);
    // (59, 39) is the last pixel of the left child; (60, 40) lies outside it.
    Button(true, 59 * scale + scale - 1, 39 * scale);
    Button(false, 59 * scale, 39 * scale);
    Drain();
    const std::vector<Seen> downs = rec.Of(WM_LBUTTONDOWN);
    const std::vector<Seen> ups = rec.Of(WM_LBUTTONUP);
    ASSERT_EQ(downs.size(), 2u);
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(downs[0].hwnd, right);
    EXPECT_EQ(downs[0].lParam, MAKELPARAM(20, 15));
    EXPECT_EQ(ups[0].hwnd, right);
    EXPECT_EQ(ups[0].lParam, MAKELPARAM(20, 15));
    EXPECT_EQ(downs[1].hwnd, left);
    EXPECT_EQ(downs[1].lParam, MAKELPARAM(49, 29));
    DestroyWindow(top);
    Drain();
    rec.Clear();
  }
}

TEST_F(SdlDisplay, MotionOnlyWhileHeldAndNothingOutsideTheScreen) {
  HWND top = Top(WS_VISIBLE, {0, 0, 240, 320}, L"Main");
  Drain();
  rec.Clear();
  Motion(20, 20);                  // not held: dropped
  Button(true, 240 * 2 + 4, 10);   // right of the screen: ignored
  Button(false, 240 * 2 + 4, 10);  // its release too
  Button(true, 10, 10);
  Motion(40, 60);
  Motion(-4, 30);            // outside while held: dropped
  Button(false, 600, 700);   // released outside: delivered at the nearest screen point
  Motion(50, 50);            // released: dropped
  SDL_Event right{};
  right.type = SDL_MOUSEBUTTONDOWN;
  right.button.button = SDL_BUTTON_RIGHT;
  Push(right);               // other buttons: ignored
  Drain();
  const std::vector<UINT> msgs = rec.Messages(top);
  std::vector<UINT> mouse;
  for (UINT m : msgs) {
    if (m >= WM_MOUSEMOVE && m <= WM_LBUTTONUP) mouse.push_back(m);
  }
  EXPECT_EQ(mouse, (std::vector<UINT>{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}));
  EXPECT_EQ(rec.Of(WM_LBUTTONDOWN).at(0).lParam, MAKELPARAM(5, 5));
  EXPECT_EQ(rec.Of(WM_MOUSEMOVE).at(0).lParam, MAKELPARAM(20, 30));
  EXPECT_EQ(rec.Of(WM_LBUTTONUP).at(0).lParam, MAKELPARAM(239, 319));
}

// ---- Window ----

TEST_F(SdlDisplay, TitleAndCloseFollowTheFirstTopLevelWindow) {
  // A window of the layer's own classes made earlier does not count while the program has one.
  HWND layers = CreateWindowExW(0, L"BUTTON", L"Layer's", WS_VISIBLE, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(layers, nullptr);
  HWND first = Top(WS_VISIBLE, {0, 0, 240, 320}, L"Survey \u00e9");
  HWND second = Top(WS_VISIBLE, {20, 20, 100, 100}, L"Second");
  Drain();
  SDL_Window* w = SDL_GetWindowFromID(sdl::WindowId());
  ASSERT_NE(w, nullptr);
  EXPECT_STREQ(SDL_GetWindowTitle(w), "Survey \xc3\xa9");
  SetWindowTextW(first, L"Renamed");
  Drain();
  EXPECT_STREQ(SDL_GetWindowTitle(w), "Renamed");
  int cx = 0, cy = 0;
  SDL_GetWindowSize(w, &cx, &cy);
  EXPECT_EQ(cx, 480);
  EXPECT_EQ(cy, 640);

  // The close reaches the first window as a send; its handler decides (here: it stays).
  rec.Clear();
  On(WM_CLOSE, [](HWND, WPARAM, LPARAM, LRESULT* r) {
    *r = 0;
    return true;
  });
  CloseWindow();
  Drain();
  ASSERT_EQ(rec.Of(WM_CLOSE).size(), 1u);
  EXPECT_EQ(rec.Of(WM_CLOSE)[0].hwnd, first);
  EXPECT_TRUE(IsWindow(first));
  // With the first one gone the next one in creation order is the main window.
  DestroyWindow(first);
  rec.Clear();
  CloseWindow();
  Drain();
  ASSERT_EQ(rec.Of(WM_CLOSE).size(), 1u);
  EXPECT_EQ(rec.Of(WM_CLOSE)[0].hwnd, second);
  // With none of the program's own left, the layer's window is the one.
  DestroyWindow(second);
  CloseWindow();
  Drain();
  EXPECT_FALSE(IsWindow(layers)) << "its default WM_CLOSE destroys it";
  EXPECT_STREQ(SDL_GetWindowTitle(w), "Layer's");
}

TEST_F(SdlDisplay, TheScreenIsShownScaledNearestNeighbour) {
  HWND h = Top(WS_VISIBLE, {0, 0, 240, 320}, L"Main");
  Drain();
  HDC dc = GetDC(h);
  SetPixel(dc, 10, 20, RGB(255, 0, 0));
  SetPixel(dc, 239, 319, RGB(0, 0, 255));
  ReleaseDC(h, dc);
  const uint64_t frames = sdl::PresentCount();
  for (int i = 0; i < 100 && sdl::PresentCount() == frames; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Drain();
  }
  ASSERT_GT(sdl::PresentCount(), frames);
  SDL_Surface* s = SDL_GetWindowSurface(SDL_GetWindowFromID(sdl::WindowId()));
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->w, 480);
  ASSERT_EQ(s->h, 640);
  auto rgb = [s](int x, int y) {
    uint32_t p;
    std::memcpy(&p, static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel, sizeof p);
    uint8_t r, g, b;
    SDL_GetRGB(p, s->format, &r, &g, &b);
    return RGB(r, g, b);
  };
  const struct {
    int x, y;
    COLORREF want;
  } cases[] = {
      {20, 40, RGB(255, 0, 0)},    {21, 41, RGB(255, 0, 0)},   {22, 40, RGB(255, 255, 255)},
      {19, 41, RGB(255, 255, 255)}, {20, 42, RGB(255, 255, 255)}, {479, 639, RGB(0, 0, 255)},
      {478, 638, RGB(0, 0, 255)},  {477, 639, RGB(255, 255, 255)},
  };
  for (const auto& c : cases) EXPECT_EQ(rgb(c.x, c.y), c.want) << c.x << "," << c.y;
}

// A frame copies only the bands that changed: after changes at the edges, in the middle, in rows
// far apart and in rows close together, the window still shows the whole screen, scaled.
TEST_F(SdlDisplay, AFrameShowsWhatChangedAndKeepsTheRest) {
  HWND h = Top(WS_VISIBLE, {0, 0, 240, 320}, L"Main");
  Drain();
  SDL_Surface* s = SDL_GetWindowSurface(SDL_GetWindowFromID(sdl::WindowId()));
  ASSERT_NE(s, nullptr);
  auto fill = [h](RECT r, COLORREF c) {
    HDC dc = GetDC(h);
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
    ReleaseDC(h, dc);
  };
  const struct {
    const char* name;
    std::vector<RECT> rects;
  } cases[] = {
      {"a corner pixel", {{0, 0, 1, 1}}},
      {"the last column and row", {{239, 0, 240, 320}, {0, 319, 240, 320}}},
      {"a block in the middle", {{100, 150, 140, 170}}},
      {"rows far apart", {{10, 20, 30, 22}, {200, 300, 220, 301}}},
      {"rows a few apart, columns apart", {{5, 100, 8, 101}, {230, 103, 235, 104}}},
  };
  COLORREF colour = RGB(200, 0, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    colour = RGB(GetRValue(colour) ^ 0x55, 40, 90);
    const uint64_t frames = sdl::PresentCount();
    for (const RECT& r : c.rects) fill(r, colour);
    for (int i = 0; i < 100 && sdl::PresentCount() == frames; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      Drain();
    }
    ASSERT_GT(sdl::PresentCount(), frames);
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> screen = plat::detail::ComposeScreen()->Snapshot(&width, &height);
    int wrong = 0;
    for (int y = 0; y < s->h; ++y) {
      for (int x = 0; x < s->w; ++x) {
        uint32_t p;
        std::memcpy(&p, static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel, sizeof p);
        uint8_t r, g, b;
        SDL_GetRGB(p, s->format, &r, &g, &b);
        const uint32_t want = screen[static_cast<size_t>(y / 2) * static_cast<size_t>(width) + static_cast<size_t>(x / 2)];
        if (plat::detail::PixelFromColor(RGB(r, g, b)) != want && ++wrong <= 3) {
          ADD_FAILURE() << "window pixel " << x << "," << y << " is not the screen's";
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

// The desktop profile's default screen: the SDL window shows 800x574 pixels at zoom 1.
TEST_F(SdlDisplay, TheDesktopProfileShowsAnEightHundredBy574Screen) {
  sdl::Stop();
  plat::test::Reset(plat::Profile::Desktop);
  ASSERT_TRUE(sdl::Start(1));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 574);
  int w = 0;
  int h = 0;
  SDL_GetWindowSize(SDL_GetWindowFromID(sdl::WindowId()), &w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 574);
}

// ---- The display wait ----

// Waits for a message in GetMessage; false when the watchdog timer came first.
bool GetWithin(HWND h, UINT msg, UINT ms) {
  SetTimer(h, 99, ms, nullptr);
  MSG m;
  bool got = false;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_TIMER && m.wParam == 99) break;
    TranslateMessage(&m);
    DispatchMessageW(&m);
    if (m.message == msg) {
      got = true;
      break;
    }
  }
  KillTimer(h, 99);
  return got;
}

TEST_F(SdlDisplay, FramesAreThrottledAndOnlyShownAfterAChange) {
  HWND h = Top(WS_VISIBLE, {0, 0, 240, 320}, L"Main");
  GetWithin(h, WM_NULL, 30);  // shown and settled
  // A worker changes the screen far more often than 60 times a second for 300 ms.
  std::atomic<bool> stop{false};
  std::atomic<int> changes{0};
  std::thread painter([&] {
    while (!stop.load()) {
      HDC dc = GetDC(h);
      RECT r{0, 0, 50, 50};
      HBRUSH b = CreateSolidBrush(RGB(changes.load() & 0xFF, 0, 0));
      FillRect(dc, &r, b);
      DeleteObject(b);
      ReleaseDC(h, dc);
      ++changes;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  const uint64_t before = sdl::PresentCount();
  const auto start = std::chrono::steady_clock::now();
  GetWithin(h, WM_NULL, 300);
  stop = true;
  painter.join();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const uint64_t frames = sdl::PresentCount() - before;
  EXPECT_GE(frames, 2u) << changes << " changes in " << ms << " ms";
  EXPECT_LE(frames, static_cast<uint64_t>(ms * 60 / 1000) + 2) << changes << " changes in " << ms << " ms";

  // Without a change nothing is shown.
  GetWithin(h, WM_NULL, 40);
  const uint64_t settled = sdl::PresentCount();
  GetWithin(h, WM_NULL, 60);
  EXPECT_EQ(sdl::PresentCount(), settled);
}

TEST_F(SdlDisplay, OtherThreadsWakeTheDisplayWait) {
  HWND h = Top(WS_VISIBLE, {0, 0, 240, 320}, L"Main");
  GetWithin(h, WM_NULL, 30);  // shown and settled

  // A post from a worker ends GetMessage at once.
  const auto t0 = std::chrono::steady_clock::now();
  std::thread poster([h] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    PostMessageW(h, WM_APP, 1, 0);
  });
  EXPECT_TRUE(GetWithin(h, WM_APP, 2000));
  poster.join();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500));

  // So does a send, and the drawing of a worker is shown without any message for the UI thread.
  std::atomic<LRESULT> answer{0};
  On(WM_APP + 1, [](HWND, WPARAM, LPARAM, LRESULT* r) {
    *r = 42;
    return true;
  });
  const uint64_t frames = sdl::PresentCount();
  std::atomic<int64_t> drawnUs{0};
  std::thread worker([&] {
    answer = SendMessageW(h, WM_APP + 1, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    HDC dc = GetDC(h);
    RECT r{0, 0, 20, 20};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(h, dc);
    drawnUs = std::chrono::duration_cast<std::chrono::microseconds>(
                  std::chrono::steady_clock::now().time_since_epoch())
                  .count();
  });
  GetWithin(h, WM_NULL, 300);
  worker.join();
  EXPECT_EQ(answer.load(), 42);
  EXPECT_GT(sdl::PresentCount(), frames);
  EXPECT_GE(sdl::LastPresentUs(), drawnUs.load());
  EXPECT_LT(sdl::LastPresentUs() - drawnUs.load(), 150000) << "the worker's drawing waited for the watchdog";
}

TEST_F(SdlDisplay, TheAutoClockStepsWhileTheUiThreadWaitsInTheDisplay) {
  plat::test::UseVirtualClock(1000, plat::test::MakeSystemTime(2024, 5, 1), plat::test::ClockMode::Auto);
  HWND h = Top(WS_VISIBLE, {0, 0, 240, 320}, L"Main");
  const DWORD start = GetTickCount();
  const auto real = std::chrono::steady_clock::now();
  SetTimer(h, 7, 300, nullptr);
  int ticks = 0;
  MSG m;
  while (ticks < 3 && GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_TIMER && m.wParam == 7) ++ticks;
    DispatchMessageW(&m);
  }
  KillTimer(h, 7);
  EXPECT_EQ(GetTickCount() - start, 900u);
  EXPECT_LT(std::chrono::steady_clock::now() - real, std::chrono::milliseconds(500));
}

TEST_F(SdlDisplay, AnEventStormNeverHoldsUpSentMessages) {
  HWND h = FocusedTop();
  constexpr int kStorm = 4000;
  constexpr int kSendAt = 100;
  for (int i = 0; i < kStorm; ++i) Key(SDLK_a, true, i > 0);
  Key(SDLK_a, false);
  std::atomic<int> keysBefore{-1};
  std::atomic<int> keys{0};
  std::atomic<bool> go{false};
  std::thread sender([&] {
    while (!go.load()) std::this_thread::sleep_for(std::chrono::microseconds(100));
    SendMessageW(h, WM_APP, 0, 0);
  });
  // Amid the storm a send arrives; the handler returns only once it is queued.
  On(WM_KEYDOWN, [&](HWND, WPARAM, LPARAM, LRESULT*) {
    if (++keys == kSendAt) {
      go = true;
      std::shared_ptr<plat::detail::Queue> q = plat::detail::CurrentQueue();
      for (int i = 0; i < 20000; ++i) {
        {
          std::lock_guard<std::mutex> lock(plat::detail::KernelMutex());
          if (!q->sent.empty()) break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
    }
    return false;
  });
  On(WM_APP, [&](HWND, WPARAM, LPARAM, LRESULT*) {
    keysBefore = keys.load();
    return true;
  });
  while (keys.load() < kStorm) {
    if (!GetWithin(h, WM_KEYUP, 2000)) break;
  }
  sender.join();
  EXPECT_EQ(keys.load(), kStorm);
  EXPECT_EQ(keysBefore.load(), kSendAt) << "the send waited behind the storm";
}

// ---- Start-up ----

int SdlConfigMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  const auto& c = plat::detail::StartupConfig();
  std::printf("%s %d %s\n", c.display == plat::detail::DisplayMode::Sdl ? "sdl" : "headless", c.scale,
              sdl::Running() ? "window" : "none");
  return 0;
}

TEST(SdlStartUp, ChosenByPlatDisplayOrByAnXDisplay) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  const std::string root = plat::test::UseTempRoot();
  setenv("PLAT_ROOT", root.c_str(), 1);
  const std::string out = root + "/config.txt";
  const struct {
    const char* display;  // PLAT_DISPLAY, nullptr: unset
    const char* x;        // DISPLAY, nullptr: unset
    bool built;           // the program links the backend
    const char* shown;
  } cases[] = {
      {"sdl", nullptr, true, "sdl 3 window"},
      {nullptr, ":99", true, "sdl 3 window"},
      {nullptr, nullptr, true, "headless 3 none"},
      {"headless", ":99", true, "headless 3 none"},
      {"sdl", ":99", false, "headless 3 none"},
      {nullptr, ":99", false, "headless 3 none"},
  };
  for (const auto& c : cases) {
    EXPECT_EXIT(
        {
          std::freopen(out.c_str(), "w", stdout);
          c.display ? setenv("PLAT_DISPLAY", c.display, 1) : unsetenv("PLAT_DISPLAY");
          c.x ? setenv("DISPLAY", c.x, 1) : unsetenv("DISPLAY");
          unsetenv("WAYLAND_DISPLAY");
          setenv("PLAT_SCALE", "3", 1);
          if (c.built) plat::RegisterSdlDisplay();
          plat::RunMain({plat::Profile::Handheld, SdlConfigMain, nullptr});
        },
        ::testing::ExitedWithCode(0), "");
    std::FILE* f = std::fopen(out.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char line[64] = "";
    if (!std::fgets(line, sizeof line, f)) line[0] = 0;
    std::fclose(f);
    EXPECT_EQ(std::string(line), std::string(c.shown) + "\n") << (c.display ? c.display : "-") << " "
                                                               << (c.x ? c.x : "-");
  }
  plat::test::Reset();
}

}  // namespace
