// The profile redraw: the current line of the open data file is read backwards from its end
// (WalkCurrentLine), and its readings are drawn again from the newest column leftwards, until the
// line's date record ('Z'), the left edge, or the start of a damaged file.
#include <algorithm>

#include "common/profile_walk.h"
#include "engine/decoders.h"
#include "engine/line_walk.h"
#include "engine/state.h"
#include "ui/logging.h"
#include "ui/plot.h"

namespace desktop {
namespace {

constexpr int kChannels = TraceSetData::kChannels;

// A reading record: a point at the walk's column for every valid, shown channel, its row as the
// live plot's (ValuesToRows).
void ReadingPoints(const unsigned char* record, survey::ProfileRedraw& redraw) {
  int32_t valid[kChannels] = {};
  float values[kChannels] = {};
  char dipole = 0;
  char marker = 0;
  if (BuildConfig.modelIndex == kModelRz27Mk2) {
    const float* o = redraw.offsets();
    DecodeRz27Mk2Record(record, valid, values, dipole, marker, o[0], o[1], o[2], o[3], o[4], o[5]);
  } else {
    float value1 = 0;
    float value2 = 0;
    int16_t range = 0;
    int32_t frameKind = 0;
    DecodeMeterRecord(record, valid, values, value1, value2, dipole, range, marker, frameKind);
  }
  int32_t rows[kChannels] = {};
  ValuesToRows(values, rows);
  for (int c = 0; c < kChannels; ++c) {
    if (valid[c] != 0 && PlotState.traceShown[c] == 1) redraw.Add(c, rows[c]);
  }
}

}  // namespace

void DrawTracePolyline(HWND window, const POINT* points, int first, int end, int channel) {
  if (points == nullptr || first < 0 || end <= first || channel < 0 || channel >= kChannels) return;
  HDC dc = GetDC(window);
  const HGDIOBJ previous = SelectObject(dc, PlotState.tracePen[channel]);
  if (end - first == 1) {
    const POINT dot[2] = {points[first], points[first]};
    Polyline(dc, dot, 2);
  } else {
    Polyline(dc, points + first, end - first);
  }
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
}

void RedrawProfile(HWND curveWnd) {
  survey::ProfileRedraw redraw(NewestColumn(), SurveySettings.mk2Offset);
  // Each piece is drawn oldest point first, as the live plot drew it: a 1-pixel pen leaves out a
  // line's end pixel, which then falls on the newest point in both.
  const auto draw = [curveWnd](int c, POINT* p, int first, int end) {
    std::reverse(p + first, p + end);
    DrawTracePolyline(curveWnd, p, first, end, c);
  };
  const auto reading = [&redraw](const unsigned char* record) { ReadingPoints(record, redraw); };
  WalkCurrentLine([&](const unsigned char* record) { return redraw.Record(record, reading, draw); });
  redraw.FlushAll(draw);
}

}  // namespace desktop
