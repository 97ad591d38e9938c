// The RZ56 strip chart: four channels on scale 1, every recorded reading 2 pixels further right,
// and its redraw from the data file.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/line_walk.h"
#include "engine/models.h"
#include "engine/rz56_convert.h"
#include "engine/rz56_frames.h"
#include "engine/state.h"
#include "ui/logging.h"
#include "ui/plot.h"

namespace desktop {
namespace {

void Segment(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

bool Visible(int channel) { return SurveySettings.traceVisible[channel] == 1; }

}  // namespace

void PlotRz56Point(HDC dc, const int32_t rows[kRz56Channels]) {
  ScrollPlot(dc);
  const int x = NewestColumn();
  // The grid marks of the cleared columns.
  const bool zeroInside = SurveySettings.scale1Min < 0 && SurveySettings.scale1Max > 0;
  const HGDIOBJ previous = SelectObject(dc, zeroInside ? AppWindows.penGridZero : AppWindows.penGrid);
  Segment(dc, x - 1, PlotState.grid[1], x + 1, PlotState.grid[1]);
  SelectObject(dc, AppWindows.penGrid);
  const int last = std::clamp(PlotState.grid[0], 0, 9);
  for (int i = 2; i <= last; ++i) Segment(dc, x - 1, PlotState.grid[i], x + 1, PlotState.grid[i]);
  for (int ch = 0; ch < kRz56Channels; ++ch) {
    if (!Visible(ch)) {
      // Shown again later, the channel starts afresh rather than from a stale row.
      PlotState.havePrev[ch] = 0;
      continue;
    }
    SelectObject(dc, PlotState.tracePen[ch]);
    if (PlotState.havePrev[ch] == 1) {
      Segment(dc, x - 2, PlotState.rz56PrevRow[ch], x, rows[ch]);
    } else {
      Segment(dc, x, rows[ch], x, rows[ch]);
      PlotState.havePrev[ch] = 1;
    }
    PlotState.rz56PrevRow[ch] = rows[ch];
  }
  SelectObject(dc, previous);
}

namespace {

// The replaced offset of a null record, the "%9.2f" number from character 11; false when the field
// holds no finite number (a damaged record keeps the offset in force).
bool ReplacedOffset(const unsigned char* record, float* offset) {
  char text[10];
  std::memcpy(text, record + 11, 9);
  text[9] = 0;
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || !std::isfinite(v)) return false;
  *offset = StoreFloat(v);
  return true;
}

// One strip-chart redraw: the column of the next reading, the null offsets in force for it, the
// null group being read (newest first), and each channel's points not yet drawn.
struct Rz56Redraw {
  int x = 0;
  float offsets[kRz56Channels] = {};
  std::vector<std::pair<bool, float>> group;
  std::vector<POINT> points[kRz56Channels];

  // The group's first record in file order gives channel 0's offset; a channel without a record, or
  // with a damaged one, keeps its offset.
  void EndGroup() {
    const int n = static_cast<int>(group.size());
    for (int i = 0; i < n && i < kRz56Channels; ++i) {
      const auto& [valid, value] = group[static_cast<size_t>(n - 1 - i)];
      if (valid) offsets[i] = value;
    }
    group.clear();
  }
  bool HasPoints() const {
    for (const auto& p : points) {
      if (!p.empty()) return true;
    }
    return false;
  }
  void Draw(HWND window) {
    const POINT* lists[kRz56Channels];
    int count = 0;
    for (int ch = 0; ch < kRz56Channels; ++ch) {
      lists[ch] = points[ch].data();
      count = std::max(count, static_cast<int>(points[ch].size()));
    }
    DrawRz56Polylines(window, lists, count);
    for (auto& p : points) p.clear();
  }
};

}  // namespace

void DrawRz56Polylines(HWND window, const POINT* const lists[kRz56Channels], int count) {
  if (count <= 0) return;
  HDC dc = GetDC(window);
  const HGDIOBJ previous = SelectObject(dc, GetStockObject(BLACK_PEN));
  for (int ch = 0; ch < kRz56Channels; ++ch) {
    if (!Visible(ch) || lists[ch] == nullptr) continue;
    SelectObject(dc, PlotState.tracePen[ch]);
    Polyline(dc, lists[ch], count);
  }
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
}

void RedrawRz56Profile(HWND window) {
  if (!SurveyRun.dataFile.IsOpen()) return;
  Rz56Redraw r;
  r.x = NewestColumn();
  std::memcpy(r.offsets, Rz56Calibration.nullOffset, sizeof r.offsets);
  const int groupSize = std::clamp(ThisModel().nullChannels, 1, kRz56Channels);
  WalkCurrentLine([&](const unsigned char* record) {
    const unsigned char tag = record[0];
    if (tag == 'O') {
      float offset = 0;
      const bool valid = ReplacedOffset(record, &offset);
      r.group.emplace_back(valid, offset);
      if (static_cast<int>(r.group.size()) >= groupSize) r.EndGroup();
      return true;
    }
    // A foreign record inside a null group ends the group there.
    if (!r.group.empty()) r.EndGroup();
    if (IsRz56Tag(tag)) {
      float v[kRz56Channels];
      int32_t recordTag = 0;
      ConvertRz56Record(record, v[0], v[1], v[2], v[3], r.offsets[0], r.offsets[1], r.offsets[2], r.offsets[3],
                        recordTag);
      float c[kRz56Channels];
      CompressRz56Values(v[0], v[1], v[2], v[3], c[0], c[1], c[2], c[3]);
      int32_t rows[kRz56Channels];
      Rz56ValuesToRows(c[0], c[1], c[2], c[3], rows);
      for (int ch = 0; ch < kRz56Channels; ++ch) {
        if (Visible(ch)) r.points[ch].push_back(POINT{r.x, rows[ch]});
      }
      r.x -= 2;
      return r.x >= 0;
    }
    if (tag == 'S') {
      r.x -= 2;
      if (r.HasPoints()) r.Draw(window);
    }
    return true;
  });
  r.Draw(window);
}

}  // namespace desktop
