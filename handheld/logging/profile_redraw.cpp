// The profile redraw: the open data file is read backwards from its end, and the readings of the
// current line are drawn again from the newest column leftwards, until the line's date record
// ('Z') or the left edge. Reads are positional reads through the data-file object under its lock,
// so the file position at which the writers append never moves, and an append in progress is
// complete before a read.
#include <windows.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/decoders.h"
#include "engine/ice.h"
#include "engine/records.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/plot_channels.h"

namespace handheld {
namespace {

constexpr int kChannels = TraceSetData::kChannels;

// Whole records before a position, newest first, read in blocks. Ends at the start of the file and
// at the first short or failed read, so a damaged file always ends the walk.
class BackwardRecords {
 public:
  BackwardRecords(DataFile& file, int length, uint64_t end) : file_(file), length_(length), start_(end) {}

  // The previous record into `record` (`length` bytes); false when there is none.
  bool Previous(unsigned char* record) {
    if (next_ == 0 && !Fill()) return false;
    next_ -= length_;
    std::memcpy(record, block_ + next_, static_cast<size_t>(length_));
    return true;
  }

 private:
  static constexpr int kBlockRecords = 64;

  bool Fill() {
    const uint64_t records = std::min<uint64_t>(start_ / length_, kBlockRecords);
    if (records == 0) return false;
    const uint32_t bytes = static_cast<uint32_t>(records) * static_cast<uint32_t>(length_);
    uint32_t got = 0;
    if (!file_.ReadAt(start_ - bytes, block_, bytes, &got) || got != bytes) return false;
    start_ -= bytes;
    next_ = static_cast<int>(bytes);
    return true;
  }

  DataFile& file_;
  int length_;
  uint64_t start_;  // file offset of block_[0]
  int next_ = 0;    // bytes of the block not yet handed out
  unsigned char block_[kBlockRecords * kRecordMax];
};

// The walk's state: the column of the next reading, the calibration offsets in force for it, and
// each channel's points not yet drawn, newest first.
class Redraw {
 public:
  // The offsets that stand: while a calibration runs those in force are 0, but the readings of the
  // line were decoded with the standing ones.
  explicit Redraw(HWND window) : window_(window) {
    const float* standing = Mk2OffsetsStanding();
    for (int i = 0; i < 6; ++i) offsets_[i] = standing[i];
  }

  int x() const { return x_; }
  void StepLeft() { x_ -= 2; }

  // A calibration record: going backwards, the readings before it used the value it replaced.
  void Calibration(const unsigned char* record) {
    const int i = record[1] - '1';
    if (i < 0 || i >= 6) return;
    const double replaced = plat::ParseDecimal(reinterpret_cast<const char*>(record) + 13);
    offsets_[i] = std::fabs(replaced) <= FLT_MAX ? static_cast<float>(replaced) : 0.0f;
  }

  // A reading record: a point at the current column for every valid, plotted channel.
  void Reading(const unsigned char* record) {
    int32_t valid[kChannels] = {};
    float values[kChannels] = {};
    DecodeStoredReading(record, offsets_, valid, values);
    for (int c = 0; c < kChannels; ++c) {
      GroupScale g;
      if (valid[c] == 0 || PlotState.traceShown[c] != 1 || !GroupScaleOf(ChannelGroup(c), &g)) continue;
      points_[c].push_back(POINT{x_, PlotRow(g.max, values[c], g.pxPerUnit)});
    }
    // The RZ12's ice profile: the thickness of each horizontal-dipole conductivity, as channel 4.
    // Drawn only where the live plot draws it (ice option on, ice profile chosen, "Th" shown).
    GroupScale ice;
    if (BuildModel().iceOption && PlotState.traceShown[kIceChannel] == 1 && valid[1] != 0 &&
        GroupScaleOf(ChannelGroup(kIceChannel), &ice)) {
      // Off the curve there is no thickness: a gap, as in the live plot.
      const float thickness = ComputeIceThickness(values[1], SurveySettings.seaWaterIndex);
      if (IceThicknessOnCurve(thickness)) {
        points_[kIceChannel].push_back(POINT{x_, PlotRow(ice.max, thickness, ice.pxPerUnit)});
      }
    }
  }

  // Draws every channel's pending points, cut into pieces wherever two consecutive points lie more
  // than 2 columns apart.
  void FlushAll() {
    for (int c = 0; c < kChannels; ++c) {
      std::vector<POINT>& p = points_[c];
      const int n = static_cast<int>(p.size());
      int first = 0;
      for (int i = 1; i <= n; ++i) {
        if (i == n || p[i - 1].x - p[i].x > 2) {
          DrawTracePolyline(window_, p.data(), first, i, c);
          first = i;
        }
      }
      p.clear();
    }
  }

 private:
  HWND window_;
  int x_ = NewestColumn();
  float offsets_[6];
  std::vector<POINT> points_[kChannels];
};

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
  // Records start at multiples of the record length; a torn tail is not a record.
  const uint64_t size = file.Size();
  BackwardRecords records(file, length, size - size % static_cast<uint64_t>(length));
  Redraw redraw(curveWnd);

  unsigned char record[kRecordMax];
  while (records.Previous(record)) {
    record[length - 1] = 0;  // the line feed
    const unsigned char tag = record[0];
    if (tag == 'Z') break;
    if (tag == 'O') {
      redraw.Calibration(record);
    } else if (tag == 'S') {
      redraw.StepLeft();
      redraw.FlushAll();
    } else if (IsReadingTag(tag)) {
      redraw.Reading(record);
      // The second to sixth readings of a station share the column of its first one.
      if (tag == 'T' || tag == 't') redraw.StepLeft();
      if (redraw.x() < 0) break;
    }
  }
  redraw.FlushAll();
}

}  // namespace handheld
