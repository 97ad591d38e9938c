// A small program for the display smoke test: one push button (the layer's BUTTON) on a plain main
// window. It prints where the button is and the face colour to expect, then "BN_CLICKED" for each
// click and "key <code>" for each key; Escape ends it, and so does a guard timer should the test
// stall.
#include <windows.h>

#include <cstdio>

namespace {

constexpr int kButtonId = 1;
constexpr RECT kButton{60, 120, 180, 160};
constexpr UINT_PTR kGuardTimer = 1;
constexpr UINT kGuardMs = 9000;

LRESULT CALLBACK MainProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(w) == kButtonId && HIWORD(w) == BN_CLICKED) {
        std::printf("BN_CLICKED\n");
        std::fflush(stdout);
      }
      return 0;
    case WM_TIMER:
      if (w == kGuardTimer) {
        std::fprintf(stderr, "smoke: nothing ended the program\n");
        ExitProcess(3);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(h, msg, w, l);
  }
}

int WINAPI SmokeWinMain(HINSTANCE inst, HINSTANCE, LPWSTR, int) {
  WNDCLASSW wc{};
  wc.hInstance = inst;
  wc.lpfnWndProc = MainProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"SmokeMain";
  if (!RegisterClassW(&wc)) return 10;
  HWND main = CreateWindowExW(0, L"SmokeMain", L"Smoke", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, nullptr, nullptr, inst, nullptr);
  if (!main) return 12;
  HWND button = CreateWindowExW(0, L"BUTTON", L"Press", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kButton.left,
                                kButton.top, kButton.right - kButton.left, kButton.bottom - kButton.top, main,
                                reinterpret_cast<HMENU>(uintptr_t{kButtonId}), inst, nullptr);
  if (!button) return 13;
  SetTimer(main, kGuardTimer, kGuardMs, nullptr);

  RECT r;
  GetWindowRect(button, &r);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  std::printf("ready %ld %ld %ld %ld %02x%02x%02x\n", static_cast<long>(r.left), static_cast<long>(r.top),
              static_cast<long>(r.right - r.left), static_cast<long>(r.bottom - r.top), GetRValue(face),
              GetGValue(face), GetBValue(face));
  std::fflush(stdout);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_KEYDOWN) {
      std::printf("key %u\n", static_cast<unsigned>(msg.wParam));
      std::fflush(stdout);
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      DestroyWindow(main);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

const plat::AppEntry& PlatAppEntry() {
  static const plat::AppEntry entry{plat::Profile::Handheld, SmokeWinMain, nullptr};
  return entry;
}
