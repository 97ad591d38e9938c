// The title screen behind the main menu's buttons: panel, separator, frame with a tick beside each
// button, the version text and the build's three bitmaps. Every paint makes its own pens, brush,
// bitmaps and memory DCs and frees them before it ends.
#include "shell/title.h"

#include <cwchar>

#include "engine/state.h"
#include "shell/shell.h"

namespace handheld {
namespace {

constexpr int kButtons = 7;
constexpr COLORREF kPanelColour = RGB(192, 192, 192);
constexpr COLORREF kFrameColour = RGB(64, 64, 64);

// Loads the named bitmap, copies it at its full size to (x, y) and frees it; nothing for a name
// the resources do not hold.
void DrawBitmap(HDC dc, const wchar_t* name, int x, int y) {
  if (name == nullptr) return;
  HBITMAP bitmap = LoadBitmapW(AppWindows.instance, name);
  if (bitmap == nullptr) return;
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(bitmap);
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// Frame, ticks and end marks, in the pen selected into dc and the DC's default white brush.
void DrawFrameLandscape(HDC dc) {
  const POINT frame[] = {{180, 10}, {308, 10}, {308, 230}, {46, 230}};
  Polyline(dc, frame, 4);
  for (int i = 0; i < kButtons; ++i) Line(dc, 300, 31 + 30 * i, 307, 31 + 30 * i);
  Ellipse(dc, 177, 7, 183, 13);
  Ellipse(dc, 43, 227, 49, 233);
}

void DrawFramePortrait(HDC dc) {
  Line(dc, 90, 75, 90, 293);
  Line(dc, 230, 75, 230, 293);
  for (int i = 0; i < kButtons; ++i) {
    Line(dc, 220, 95 + 30 * i, 230, 95 + 30 * i);
    Line(dc, 90, 95 + 30 * i, 100, 95 + 30 * i);
  }
  Ellipse(dc, 87, 72, 93, 78);
  Ellipse(dc, 87, 290, 93, 296);
  Ellipse(dc, 227, 72, 233, 78);
  Ellipse(dc, 227, 290, 233, 296);
}

// Runs draw with a new solid pen selected into dc, then puts the previous pen back and frees it.
template <class Draw>
void DrawWithPen(HDC dc, int width, COLORREF colour, Draw draw) {
  HPEN pen = CreatePen(PS_SOLID, width, colour);
  HGDIOBJ previous = SelectObject(dc, pen);
  draw();
  SelectObject(dc, previous);
  DeleteObject(pen);
}

// Where each part of the screen stands, by orientation.
struct TitleLayout {
  RECT panel;
  int separatorX;
  POINT version;
  POINT title;
  POINT logo;
  void (*drawFrame)(HDC);
};
constexpr TitleLayout kLandscape = {{37, 0, 320, 240}, 36, {72, 120}, {48, 26}, {48, 185}, DrawFrameLandscape};
constexpr TitleLayout kPortrait = {{49, 0, 240, 320}, 48, {105, 56}, {65, 10}, {65, 300}, DrawFramePortrait};

}  // namespace

TitleBitmapNames ChooseTitleBitmaps(int32_t modelIndex, int32_t portrait, int32_t storageRoot,
                                    int32_t zolOptionAvailable) {
  TitleBitmapNames names{portrait != 0 ? L"STATICBMPAAR" : L"STATICBMPA", nullptr,
                         portrait != 0 ? L"STATICLEADAR" : L"STATICLEAD"};
  if (!KnownModel(modelIndex)) return names;
  const ModelRow& model = ModelRowOf(modelIndex);
  const TitleBitmaps& row = model.iceOption && zolOptionAvailable != 0 ? kIceVariant.titles : model.titles;
  names.title = portrait != 0 ? row.portrait : storageRoot != 0 ? row.landscapeStorage : row.landscapeDrive;
  return names;
}

const wchar_t* TitleVersionText(int32_t modelIndex) {
  return ModelRowOf(modelIndex).titleVersion;
}

LRESULT MainOnPaint(HWND window, UINT, WPARAM, LPARAM) {
  const TitleLayout& layout = ScreenLayout.portrait != 0 ? kPortrait : kLandscape;
  const wchar_t* version = TitleVersionText(BuildConfig.modelIndex);

  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);

  // Panel, outlined in the default pen.
  HBRUSH panel = CreateSolidBrush(kPanelColour);
  HGDIOBJ previousBrush = SelectObject(dc, panel);
  Rectangle(dc, layout.panel.left, layout.panel.top, layout.panel.right, layout.panel.bottom);
  SelectObject(dc, previousBrush);
  DeleteObject(panel);

  // Separator between the side strip and the panel, then the frame in its own pen.
  DrawWithPen(dc, 4, RGB(0, 0, 0), [&] { Line(dc, layout.separatorX, 0, layout.separatorX, layout.panel.bottom); });
  DrawWithPen(dc, 1, kFrameColour, [&] { layout.drawFrame(dc); });

  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, layout.version.x, layout.version.y, version, static_cast<int>(std::wcslen(version)));

  const TitleBitmapNames names = ChooseTitleBitmaps(BuildConfig.modelIndex, ScreenLayout.portrait,
                                                    BuildConfig.storageRoot, BuildConfig.zolOptionAvailable);
  DrawBitmap(dc, names.sideStrip, 0, 0);
  DrawBitmap(dc, names.title, layout.title.x, layout.title.y);
  DrawBitmap(dc, names.logo, layout.logo.x, layout.logo.y);

  EndPaint(window, &ps);
  SetFocus(window);
  UpdateWindow(window);

  HWND taskBar = FindWindowW(L"HHTaskBar", nullptr);
  if (taskBar != nullptr) ShowWindow(taskBar, SW_HIDE);

  if (MainMenu.uptimeExceeded == 1) ShowUptimeStop(window);
  return 0;
}

}  // namespace handheld
