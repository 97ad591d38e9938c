// The scrolling profile plot: CurveWnd's paint (grid and scale labels), the grid itself, and the
// per-reading scroll and segments. The pixels of CurveWnd are the only record of the live curves;
// a repaint draws the grid and labels only, and the caller then redraws the curves from the data
// file (RedrawProfile).
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "engine/ice.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/plot_channels.h"

namespace handheld {
namespace {

constexpr COLORREF kGridColour = RGB(192, 192, 192);

struct MessageEntry {
  UINT message;
  LRESULT (*handler)(HWND, UINT, WPARAM, LPARAM);
};
constexpr MessageEntry kCurveMessages[] = {{WM_PAINT, CurveOnPaint}};

// Horizontal lines of one pen from x0 to x1 at the given rows (the end column is not drawn by a
// 1-px pen).
void DrawRows(HDC dc, int width, const int32_t* rows, int count, int x0, int x1) {
  HPEN pen = CreatePen(PS_SOLID, width, kGridColour);
  HGDIOBJ old = SelectObject(dc, pen);
  for (int i = 0; i < count; ++i) {
    MoveToEx(dc, x0, rows[i], nullptr);
    LineTo(dc, x1, rows[i]);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

// The zero line (or first even row) and the other grid rows of PlotState.grid, from x0 to x1.
void DrawGridRows(HDC dc, int zeroWidth, int x0, int x1) {
  const int32_t* grid = PlotState.grid;
  DrawRows(dc, zeroWidth, &grid[1], 1, x0, x1);
  const int32_t last = std::min<int32_t>(grid[0], 9);
  if (last >= 2) DrawRows(dc, 1, &grid[2], last - 1, x0, x1);
}

// One scale label: right-aligned 3 pixels inside the plot's width, but never left of the label
// column, so the scrolling part of the plot never carries a label.
void DrawLabel(HDC dc, HFONT font, const char* format, float value, int y) {
  char narrow[64];
  snprintf(narrow, sizeof narrow, format, static_cast<double>(value));
  wchar_t text[64];
  const int n = plat::Widen(narrow, text, 64);
  SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text, n, &size);
  const int x = std::max<int>(ScreenLayout.plotWidth - size.cx - 3, LabelColumnMin());
  TextOutW(dc, x, y, text, n);
}

// The labels of the groups in use: group 0 (or the ice range) at the bottom and top lines, and
// group 1 one line inside them when both are labelled. The grid group's pair is bold.
void DrawScaleLabels(HDC dc) {
  const SurveySettingsData& s = SurveySettings;
  const int h = ScreenLayout.plotHeight;
  const int t = ScreenLayout.textHeight;
  const auto fontFor = [](int32_t group) {
    return SurveySettings.gridScale == group ? AppWindows.fontBold : AppWindows.fontNormal;
  };
  HGDIOBJ oldFont = SelectObject(dc, AppWindows.fontNormal);
  int n = 1;
  if (s.component != 1) {
    if (BuildModel().iceOption && s.showIceProfile == 1) {
      DrawLabel(dc, AppWindows.fontBold, "%.1f", s.iceScaleMin, h - t - 1);
      DrawLabel(dc, AppWindows.fontBold, "%.1f", s.iceScaleMax, 0);
    } else {
      const char* format = BuildModel().scales == ScaleChoice::kThicknessInphase ? "%.1f" : "%.0f";  // metres
      DrawLabel(dc, fontFor(kGroupScale1), format, s.scale1Min, h - t - 1);
      DrawLabel(dc, fontFor(kGroupScale1), format, s.scale1Max, 0);
    }
    n = 2;
  }
  if (s.component != 2 && s.showIceProfile == 0) {
    DrawLabel(dc, fontFor(kGroupScale2), "%.0f", s.scale2Min, h - n * (t + 1));
    DrawLabel(dc, fontFor(kGroupScale2), "%.0f", s.scale2Max, (n - 1) * (t + 2));
    SelectObject(dc, AppWindows.fontNormal);
  }
  SelectObject(dc, oldFont);
}

}  // namespace

LRESULT CALLBACK CurveWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  for (const MessageEntry& e : kCurveMessages) {
    if (e.message == message) return e.handler(hwnd, message, wParam, lParam);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CurveOnPaint(HWND, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(AppWindows.curveWnd, &ps);
  GroupScale g;
  if (GroupScaleOf(SurveySettings.gridScale, &g)) DrawPlotGrid(dc, 1, g.min, g.max, g.pxPerUnit);
  EndPaint(AppWindows.curveWnd, &ps);
  return 0;
}

void DrawPlotGrid(HDC dc, int withLabels, float min, float max, float pxPerUnit) {
  const int32_t ratio = ComputePlotGrid(ScreenLayout.plotHeight, min, max, pxPerUnit, PlotState.grid);
  DrawGridRows(dc, ratio >= 1 ? 2 : 1, 0, ScreenLayout.plotWidth);
  if (withLabels == 1) DrawScaleLabels(dc);
}

void PlotReadingPoint(HDC dc, const int32_t rows[8]) {
  const int x = NewestColumn();
  const int h = ScreenLayout.plotHeight;
  if (PlotState.started == 1 && SurveyRun.readingsAtStation == 0) {
    // A station completed: everything moves 2 columns left, and the three columns around the
    // newest one start afresh with their grid marks.
    BitBlt(dc, 0, 0, x, h, dc, 2, 0, SRCCOPY);
    HGDIOBJ old = SelectObject(dc, GetStockObject(WHITE_PEN));
    for (int c = x - 1; c <= x + 1; ++c) {
      MoveToEx(dc, c, 0, nullptr);
      LineTo(dc, c, h);
    }
    SelectObject(dc, old);
    DrawGridRows(dc, GridHasZeroLine() ? 2 : 1, x - 1, x + 1);
  }
  PlotState.started = 1;

  // The RZ12's ice thickness breaks its curve at a reading without one (off the curve, or in vertical
  // dipole), as the redraw does.
  if (BuildModel().iceOption && TraceSet.traceValid[kIceChannel] == 0) {
    PlotState.havePrev[kIceChannel] = 0;
  }
  for (int c = 0; c < TraceSetData::kChannels; ++c) {
    if (TraceSet.traceValid[c] == 0 || PlotState.traceShown[c] != 1) continue;
    HPEN pen = CreatePen(PS_SOLID, SurveySettings.traceThickness[c], SurveySettings.traceColour[c]);
    HGDIOBJ old = SelectObject(dc, pen);
    if (PlotState.havePrev[c] == 1) {
      MoveToEx(dc, x - 2, PlotState.prevRow[c], nullptr);
    } else {
      MoveToEx(dc, x, rows[c], nullptr);  // a new piece of curve starts with a dot
      PlotState.havePrev[c] = 1;
    }
    LineTo(dc, x, rows[c]);
    PlotState.prevRow[c] = rows[c];
    SelectObject(dc, old);
    DeleteObject(pen);
  }
}

}  // namespace handheld
