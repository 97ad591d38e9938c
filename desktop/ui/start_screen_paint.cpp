// The start screen beside the menu buttons: the frame with its end marks, the company line, title
// and version, the settings summary and the splash. Every pen the paint makes is freed before it
// ends; the splash is loaded once and kept until the window goes.
#include <cstring>

#include "engine/models.h"
#include "engine/state.h"
#include "ui/main_window.h"
#include "ui/start_screen.h"

namespace desktop {
namespace {

constexpr COLORREF kFrameColour = RGB(64, 64, 64);

void TextAt(HDC dc, int x, int y, const char* text) {
  ExtTextOutA(dc, x, y, 0, nullptr, text, static_cast<UINT>(std::strlen(text)), nullptr);
}

// Draws text so that it ends at x = right.
void TextEndingAt(HDC dc, int right, int y, const char* text, HFONT font, COLORREF colour) {
  const HGDIOBJ previous = SelectObject(dc, font);
  SetTextColor(dc, colour);
  SIZE size{};
  GetTextExtentPointA(dc, text, static_cast<int>(std::strlen(text)), &size);
  TextAt(dc, right - size.cx, y, text);
  SelectObject(dc, previous);
}

void DrawFrame(HDC dc, int w, int bottom) {
  const HPEN linePen = CreatePen(PS_SOLID, 1, kFrameColour);
  HGDIOBJ previous = SelectObject(dc, linePen);
  const POINT left[] = {{10, 14}, {10, bottom - 10}};
  Polyline(dc, left, 2);
  const POINT box[] = {{w - 200, 14}, {w - 14, 14}, {w - 14, bottom - 10}, {w - 200, bottom - 10}, {w - 200, bottom - 90}};
  Polyline(dc, box, 5);
  SelectObject(dc, previous);
  DeleteObject(linePen);

  const HPEN markPen = CreatePen(PS_SOLID, 1, kFrameColour);
  previous = SelectObject(dc, markPen);
  Ellipse(dc, 7, 11, 13, 17);
  Ellipse(dc, w - 203, 11, w - 197, 17);
  Ellipse(dc, w - 203, bottom - 93, w - 197, bottom - 87);
  Ellipse(dc, 7, bottom - 13, 13, bottom - 7);
  SelectObject(dc, previous);
  DeleteObject(markPen);
}

void DrawSplash(HDC dc) {
  if (MainMenu.bitmap == nullptr) {
    const char* name = SplashName(BuildConfig);
    if (name == nullptr) return;
    MainMenu.bitmap = LoadBitmapA(AppWindows.instance, name);
    if (MainMenu.bitmap == nullptr) return;
    BITMAP info{};
    GetObjectA(MainMenu.bitmap, sizeof info, &info);
    MainMenu.bitmapWidth = info.bmWidth;
    MainMenu.bitmapHeight = info.bmHeight;
  }
  HDC memory = CreateCompatibleDC(dc);
  const HGDIOBJ previous = SelectObject(memory, MainMenu.bitmap);
  BitBlt(dc, 38, 259, MainMenu.bitmapWidth, MainMenu.bitmapHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
}

// The uptime stop: one box however often the screen is repainted under it, then the exit.
void StopForUptime(HWND main) {
  if (MainMenu.stopBoxOpen == 1) return;
  MainMenu.stopBoxOpen = 1;
  MessageBoxA(main,
              "Windows has run for more than 20 days.\r\n"
              "Please restart the system to assure accurate clock operation.",
              "PROGRAM STOP", MB_ICONEXCLAMATION | MB_OK);
  ExitProcess(0);
}

}  // namespace

LRESULT MainOnPaint(HWND main, UINT, WPARAM, LPARAM) {
  RECT client{};
  GetClientRect(main, &client);
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(main, &ps);
  const int w = ScreenLayout.windowWidth;
  DrawFrame(dc, w, client.bottom);

  SetBkMode(dc, TRANSPARENT);
  const int right = client.right - 40;
  TextEndingAt(dc, right, client.bottom - 36, "Velquor Limited", AppWindows.fontNormal, RGB(0, 0, 255));
  TextEndingAt(dc, right, client.bottom - 100, StartScreenTitle(BuildConfig), AppWindows.fontTitle,
               RGB(160, 160, 160));
  TextEndingAt(dc, right, client.bottom - 70, VersionText(BuildConfig), AppWindows.fontNormal, RGB(0, 0, 0));
  SetTextColor(dc, RGB(0, 0, 0));
  DrawSettingsSummary(dc);
  DrawSplash(dc);
  EndPaint(main, &ps);
  UpdateWindow(main);
  SetFocus(main);
  if (MainMenu.uptimeExceeded == 1) StopForUptime(main);
  return 0;
}

void DrawSettingsSummary(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  const HGDIOBJ previous = SelectObject(dc, AppWindows.fontLarge);
  TextAt(dc, 190, 30, "CURRENT PROGRAM SETTINGS");
  TextAt(dc, 40, 60, "SURVEY PARAMETERS");
  TextAt(dc, 350, 60, "SYSTEM SETUP");
  const SettingsSummaryTexts t = SummarizeSettings(SurveySettings, ThisModel());
  for (int row = 0; row < 6; ++row) {
    const int y = 90 + 25 * row;
    TextAt(dc, 40, y, t.left[row].label.c_str());
    TextAt(dc, 190, y, t.left[row].value.c_str());
    TextAt(dc, 300, y, t.right[row].label.c_str());
    TextAt(dc, 460, y, t.right[row].value.c_str());
  }
  SelectObject(dc, previous);
}

}  // namespace desktop
