// The profile redraw: the open data file is read backwards from its end (common/profile_walk.h),
// and the readings of the current line are drawn again from the newest column leftwards, until the
// line's date record ('Z') or the left edge.
#include <windows.h>

#include "common/profile_walk.h"
#include "engine/decoders.h"
#include "engine/ice.h"
#include "engine/records.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/plot_channels.h"

namespace handheld {
namespace {

constexpr int kChannels = TraceSetData::kChannels;

// A reading record: a point at the walk's column for every valid, plotted channel.
void ReadingPoints(const unsigned char* record, survey::ProfileRedraw& redraw) {
  int32_t valid[kChannels] = {};
  float values[kChannels] = {};
  DecodeStoredReading(record, redraw.offsets(), valid, values);
  for (int c = 0; c < kChannels; ++c) {
    GroupScale g;
    if (valid[c] == 0 || PlotState.traceShown[c] != 1 || !GroupScaleOf(ChannelGroup(c), &g)) continue;
    redraw.Add(c, PlotRow(g.max, values[c], g.pxPerUnit));
  }
  // The RZ12's ice profile: the thickness of each horizontal-dipole conductivity, as channel 4.
  // Drawn only where the live plot draws it (ice option on, ice profile chosen, "Th" shown).
  GroupScale ice;
  if (BuildModel().iceOption && PlotState.traceShown[kIceChannel] == 1 && valid[1] != 0 &&
      GroupScaleOf(ChannelGroup(kIceChannel), &ice)) {
    // Off the curve there is no thickness: a gap, as in the live plot.
    const float thickness = ComputeIceThickness(values[1], SurveySettings.seaWaterIndex);
    if (IceThicknessOnCurve(thickness)) redraw.Add(kIceChannel, PlotRow(ice.max, thickness, ice.pxPerUnit));
  }
}

}  // namespace

void DrawTracePolyline(HWND window, const POINT* points, int first, int end, int channel) {
  if (points == nullptr || first < 0 || end <= first || channel < 0 || channel >= kChannels) return;
  HDC dc = GetDC(window);
  HPEN pen = CreatePen(PS_SOLID, SurveySettings.traceThickness[channel], SurveySettings.traceColour[channel]);
  HGDIOBJ old = SelectObject(dc, pen);
  if (end - first == 1) {
    const POINT dot[2] = {points[first], points[first]};
    Polyline(dc, dot, 2);
  } else {
    Polyline(dc, points + first, end - first);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
  ReleaseDC(window, dc);
}

void RedrawProfile(HWND curveWnd) {
  DataFile& file = SurveyRun.dataFile;
  if (!file.IsOpen()) return;
  const int length = RecordLength();
  // Records start at multiples of the record length; a torn tail is not a record. The offsets
  // that stand: while a calibration runs those in force are 0, but the readings of the line were
  // decoded with the standing ones.
  const uint64_t size = file.Size();
  survey::ProfileRedraw redraw(NewestColumn(), Mk2OffsetsStanding());
  const auto draw = [curveWnd](int c, POINT* p, int first, int end) { DrawTracePolyline(curveWnd, p, first, end, c); };
  const auto reading = [&redraw](const unsigned char* record) { ReadingPoints(record, redraw); };
  survey::WalkLineBackward(file, length, size - size % static_cast<uint64_t>(length),
                           [&](const unsigned char* record) { return redraw.Record(record, reading, draw); });
  redraw.FlushAll(draw);
}

}  // namespace handheld
