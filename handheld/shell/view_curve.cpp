// The file review's plot ViewCurveWnd (grid, curves of the slots, cursor bar) and the value panel
// of ViewFilesWnd, which shows the slot under the bar.
#include <algorithm>

#include "engine/state.h"
#include "logging/logging.h"
#include "logging/plot_channels.h"
#include "logging/screen.h"
#include "logging/window_table.h"
#include "shell/file_review.h"
#include "shell/file_review_rules.h"
#include "shell/shell.h"

namespace handheld {

namespace {

constexpr MessageHandler kViewCurveHandlers[] = {{WM_PAINT, ViewCurveOnPaint}};
constexpr COLORREF kBarColour = RGB(128, 128, 128);

// The group a channel is drawn against in the review: the live plot's groups, without the RZ12's
// ice profile, and nothing on the RZ89.
int32_t ReviewGroup(int32_t channel) {
  if (BuildModel().reviewChannels == 0) return kGroupNone;
  const int32_t group = ChannelGroup(channel);
  return group == kGroupIce ? kGroupNone : group;
}

// The channels whose pieces still open after the last slot are drawn.
bool ModelHasChannel(int32_t channel) {
  return channel >= 0 && channel < 8 && (BuildModel().reviewChannels >> channel & 1) != 0;
}

CursorSlot SlotAt(int32_t s) {
  CursorSlot slot;
  if (s < 0 || s >= kReviewSlots) return slot;
  slot.present = FileReview.present[s];
  slot.station = FileReview.station[s];
  for (int c = 0; c < kReviewChannels; ++c) {
    slot.valid[c] = FileReview.valid[c][s];
    slot.value[c] = FileReview.value[c][s];
  }
  slot.iceThickness = FileReview.iceThickness[s];
  return slot;
}

}  // namespace

int RegisterViewCurveWnd(HINSTANCE instance) {
  return RegisterProgramClass(instance, L"ViewCurveWnd", ViewCurveWndProc, WHITE_BRUSH);
}

LRESULT CALLBACK ViewCurveWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kViewCurveHandlers, window, message, wParam, lParam);
}

LRESULT ViewCurveOnPaint(HWND, UINT, WPARAM, LPARAM) {
  HWND plot = AppWindows.viewCurveWnd;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(plot, &ps);
  // Any grid setting but scale 1 (the ice thickness too) gives the scale-2 grid here.
  GroupScale g;
  if (GroupScaleOf(SurveySettings.gridScale == 0 ? kGroupScale1 : kGroupScale2, &g)) {
    DrawPlotGrid(dc, 0, g.min, g.max, g.pxPerUnit);
  }
  if (FileReview.open == 1) {
    DrawReviewCurves(FileReview.firstSlot, FileReview.lastSlot);
    MoveCursorBar(FileReview.cursorSlot, FileReview.cursorSlot);
  }
  EndPaint(plot, &ps);
  return 0;
}

void DrawReviewCurves(int32_t firstSlot, int32_t lastSlot) {
  if (BuildModel().reviewChannels == 0) return;
  POINT points[kReviewChannels][kReviewSlots];
  int count[kReviewChannels] = {};
  const auto draw = [&](int c) {
    DrawReviewPolyline(points[c], count[c], c);
    count[c] = 0;
  };
  const int32_t first = std::max(firstSlot, 1);
  const int32_t last = std::min(lastSlot, kReviewSlots - 1);
  int x = 1;
  for (int32_t s = first; s <= last; ++s, ++x) {
    if (FileReview.present[s] != 1) {
      for (int c = 0; c < kReviewChannels; ++c) {
        if (count[c] > 0) draw(c);
      }
      continue;
    }
    float values[kReviewChannels];
    for (int c = 0; c < kReviewChannels; ++c) values[c] = FileReview.value[c][s];
    int32_t rows[kReviewChannels] = {};
    ReviewValuesToRows(values, rows);
    for (int c = 0; c < kReviewChannels; ++c) {
      if (FileReview.valid[c][s] == 1) {
        points[c][count[c]++] = POINT{x, rows[c]};
      } else if (count[c] > 0) {
        draw(c);
      }
    }
  }
  for (int c = 0; c < kReviewChannels; ++c) {
    if (count[c] > 0 && ModelHasChannel(c)) draw(c);
  }
}

void ReviewValuesToRows(const float values[8], int32_t rows[8]) {
  for (int c = 0; c < kReviewChannels; ++c) {
    GroupScale g;
    if (!GroupScaleOf(ReviewGroup(c), &g)) continue;
    rows[c] = PlotRow(g.max, values[c], g.pxPerUnit);
  }
}

void DrawReviewPolyline(const POINT* points, int count, int channel) {
  if (points == nullptr || count < 2 || channel < 0 || channel >= kReviewChannels) return;
  HWND plot = AppWindows.viewCurveWnd;
  HDC dc = GetDC(plot);
  HPEN pen = CreatePen(PS_SOLID, SurveySettings.traceThickness[channel], SurveySettings.traceColour[channel]);
  HGDIOBJ old = SelectObject(dc, pen);
  Polyline(dc, points, count);
  SelectObject(dc, old);
  DeleteObject(pen);
  ReleaseDC(plot, dc);
}

void MoveCursorBar(int32_t oldSlot, int32_t newSlot) {
  const int height = ScreenLayout.plotHeight - 2;
  if (height <= 0) return;
  HWND plot = AppWindows.viewCurveWnd;
  HDC dc = GetDC(plot);
  HDC memory = CreateCompatibleDC(dc);
  if (oldSlot != newSlot && FileReview.savedColumn != nullptr) {
    HGDIOBJ old = SelectObject(memory, FileReview.savedColumn);
    BitBlt(dc, oldSlot, 1, 1, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
  }
  HBITMAP column = CreateCompatibleBitmap(dc, 1, height);
  HGDIOBJ old = SelectObject(memory, column);
  BitBlt(memory, 0, 0, 1, height, dc, newSlot, 1, SRCCOPY);
  SelectObject(memory, old);
  if (FileReview.savedColumn != nullptr) DeleteObject(FileReview.savedColumn);
  FileReview.savedColumn = column;
  DeleteDC(memory);

  HPEN pen = CreatePen(PS_SOLID, 1, kBarColour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, newSlot, 1, nullptr);
  LineTo(dc, newSlot, ScreenLayout.plotHeight - 1);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  ReleaseDC(plot, dc);
}

void ShowCursorValues(int32_t slot) {
  const int32_t model = BuildConfig.modelIndex;
  WindowDc dc(AppWindows.viewFilesWnd);
  SelectObject(dc, AppWindows.fontBold);
  EraseField(dc, FileReview.stationRect);
  for (int i = 0; i < 4; ++i) EraseField(dc, FileReview.valueRect[i]);
  if (FileReview.headerZolEnabled == 1) EraseField(dc, FileReview.iceRect);
  for (int i = 4; i < ModelRowOf(model).displayChannels && i < 8; ++i) EraseField(dc, FileReview.valueRect[i]);

  const CursorTexts t = CursorValueTexts(model, ScreenLayout.portrait, FileReview.headerZolEnabled,
                                         SurveySettings.displayUnits, SlotAt(slot));
  if (t.present) {
    DrawTextAt(dc, FileReview.stationRect.left, FileReview.stationRect.top, t.station.c_str());
    for (int i = 0; i < kReviewChannels; ++i) {
      if (t.field[i].empty()) continue;
      // The RZ27-MK2's last two fields are on the bottom row.
      const int y = i >= 6 ? FileReview.valueRect[i].top : FileReview.underPlotY;
      DrawTextAt(dc, FileReview.valueRect[i].left, y, t.field[i].c_str());
    }
    if (!t.ice.empty()) DrawTextAt(dc, FileReview.iceRect.left, FileReview.iceRect.top, t.ice.c_str());
  }
  SelectObject(dc, AppWindows.fontNormal);
}

}  // namespace handheld
