// A window like the handheld logging screen, for the repaint benchmark and the repaint tests: a
// 320x240 window that erases its background, draws 24 text fields in the 14-px font and a 4-px
// separator, and holds a bordered 270x180 plot child that draws a grid and 8 polylines of 136
// points in pens of 1 to 4 px, then scrolls by 2 px with BitBlt.
#pragma once

#include <windows.h>

#include <cstdio>

namespace scene {

constexpr int kFields = 24;
constexpr int kCurves = 8;
constexpr int kPoints = 136;
constexpr int kPlotX = 25;
constexpr int kPlotY = 54;
constexpr int kPlotW = 270;
constexpr int kPlotH = 180;

inline POINT* Curve(int c) {
  static POINT curves[kCurves][kPoints];
  static bool made = false;
  if (!made) {
    for (int k = 0; k < kCurves; ++k) {
      int y = 20 + k * 18;
      for (int i = 0; i < kPoints; ++i) {
        // A deterministic wobble, no floating point.
        y += ((i * 7 + k * 13) % 11) - 5;
        if (y < 2) y = 2;
        if (y > kPlotH - 4) y = kPlotH - 4;
        curves[k][i] = POINT{i * 2, y};
      }
    }
    made = true;
  }
  return curves[c];
}

inline LRESULT CALLBACK LogProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg != WM_PAINT) return DefWindowProcW(h, msg, w, l);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  LOGFONTW lf{};
  lf.lfHeight = -12;  // the 14-px cell
  lf.lfWeight = FW_NORMAL;
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, OPAQUE);
  for (int i = 0; i < kFields; ++i) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%d.%02d", 100 + i, i * 3);
    TextOutW(dc, (i % 8) * 40, (i / 8) * 16, text, static_cast<int>(wcslen(text)));
  }
  SelectObject(dc, oldFont);
  DeleteObject(font);
  RECT sep{0, 48, 320, 52};
  FillRect(dc, &sep, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EndPaint(h, &ps);
  return 0;
}

inline LRESULT CALLBACK PlotProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg != WM_PAINT) return DefWindowProcW(h, msg, w, l);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT rc;
  GetClientRect(h, &rc);
  HPEN grid = CreatePen(PS_SOLID, 1, RGB(192, 192, 192));
  HGDIOBJ oldPen = SelectObject(dc, grid);
  for (int x = 0; x < rc.right; x += 20) {
    MoveToEx(dc, x, 0, nullptr);
    LineTo(dc, x, rc.bottom);
  }
  for (int y = 0; y < rc.bottom; y += 20) {
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, rc.right, y);
  }
  for (int c = 0; c < kCurves; ++c) {
    HPEN pen = CreatePen(PS_SOLID, 1 + c % 4, RGB(40 * c, 255 - 30 * c, 60));
    SelectObject(dc, pen);
    Polyline(dc, Curve(c), kPoints);
    SelectObject(dc, grid);
    DeleteObject(pen);
  }
  SelectObject(dc, oldPen);
  DeleteObject(grid);
  BitBlt(dc, 0, 0, rc.right - 2, rc.bottom, dc, 2, 0, SRCCOPY);  // the live plot's scroll
  EndPaint(h, &ps);
  return 0;
}

struct Windows {
  HWND log;
  HWND plot;
};

// Registers the classes and makes the windows (handheld profile, 320x240 screen).
inline Windows Make() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = LogProc;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"SceneLog";
  RegisterClassW(&wc);
  wc.lpfnWndProc = PlotProc;
  wc.lpszClassName = L"ScenePlot";
  RegisterClassW(&wc);
  Windows w{};
  w.log = CreateWindowExW(0, L"SceneLog", L"Log", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
  w.plot = CreateWindowExW(0, L"ScenePlot", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, kPlotX - 1, kPlotY - 1,
                           kPlotW + 1, kPlotH + 1, w.log, reinterpret_cast<HMENU>(uintptr_t{780}), nullptr, nullptr);
  return w;
}

// A full repaint of both windows, synchronously.
inline void Repaint(const Windows& w) {
  RedrawWindow(w.log, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace scene
