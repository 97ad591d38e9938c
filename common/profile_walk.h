// The profile redraws' walk and pieces: the records of the open data file read from a given end
// towards its start, newest first, with positional reads through the data-file object (each under
// its lock), so the position at which the writers append never moves and an append in progress is
// whole before a read; and a channel's collected points cut into the pieces of curve they form.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "common/data_file.h"
#include "common/record_fields.h"

namespace survey {

// Whole records before a position, newest first, read in blocks. Ends at the start of the file
// (fewer than `length` bytes behind) and at the first short or failed read, so a damaged file
// always ends the walk.
class BackwardRecords {
 public:
  BackwardRecords(DataFile& file, int length, uint64_t end);

  // The previous record into `record` (`length` bytes); false when there is none.
  bool Previous(unsigned char* record);

 private:
  static constexpr int kBlockRecords = 64;

  bool Fill();

  DataFile& file_;
  int length_;
  uint64_t start_;  // file offset of block_[0]
  int next_ = 0;    // bytes of the block not yet handed out
  unsigned char block_[kBlockRecords * kRecordMax];
};

// The records of the current survey line before `end`, newest first: each is handed to onRecord
// (a callable taking the record, returning true to go on) with its last byte, the line feed,
// replaced by a NUL. The walk ends when onRecord returns false, at the line's date record 'Z'
// (not handed on), and wherever BackwardRecords ends. `length` is the record length (24 or 26).
template <typename OnRecord>
void WalkLineBackward(DataFile& file, int length, uint64_t end, OnRecord&& onRecord) {
  if (length < 2 || length > kRecordMax) return;
  BackwardRecords records(file, length, end);
  unsigned char record[kRecordMax];
  while (records.Previous(record)) {
    record[length - 1] = 0;
    if (record[0] == 'Z' || !onRecord(static_cast<const unsigned char*>(record))) return;
  }
}

// A channel's points, newest first (x falls along the list), cut wherever two consecutive points
// lie more than 2 columns apart: draw(first, end) for each piece, points first to end - 1.
template <typename Draw>
void ForEachPiece(const POINT* points, int count, Draw&& draw) {
  int first = 0;
  for (int i = 1; i <= count; ++i) {
    if (i == count || points[i - 1].x - points[i].x > 2) {
      draw(first, i);
      first = i;
    }
  }
}

// The state of one profile redraw: the column of the next reading, the RZ27-MK2 offsets in force
// for it, and each channel's points not yet drawn, newest first. The lists grow as needed: a
// station with many readings of one channel gives many points in one column.
class ProfileRedraw {
 public:
  static constexpr int kChannels = 8;

  // newestColumn: where the walk starts; offsets: O1 to O6 in force for the newest readings.
  ProfileRedraw(int newestColumn, const float offsets[6]) : x_(newestColumn) {
    for (int i = 0; i < 6; ++i) offsets_[i] = offsets[i];
  }

  int x() const { return x_; }
  const float* offsets() const { return offsets_; }
  // The point (x, row) for a channel (0 to 7) of the reading being read.
  void Add(int channel, int row) {
    if (channel >= 0 && channel < kChannels) points_[channel].push_back(POINT{x_, row});
  }

  // One record of the walk, by its tag: a calibration record ('O') gives the offset it replaced
  // (the older readings used it); a station record ('S') moves 2 columns left and draws every
  // channel's points; a reading calls onReading(record), and its first reading of a station ('T' or
  // 't') then moves 2 columns left (the second to sixth share its column). Other tags are skipped.
  // False once the column is left of the plot.
  template <typename OnReading, typename Draw>
  bool Record(const unsigned char* record, OnReading&& onReading, Draw&& draw) {
    const unsigned char tag = record[0];
    if (tag == 'O') {
      TakeReplacedOffset(record, offsets_);
    } else if (tag == 'S') {
      x_ -= 2;
      FlushAll(draw);
    } else if (IsReadingTag(tag)) {
      onReading(record);
      if (tag == 'T' || tag == 't') x_ -= 2;
      return x_ >= 0;
    }
    return true;
  }

  // Every channel's pending points in pieces (ForEachPiece): draw(channel, points, first, end) with
  // the list's points, newest first; then the lists are empty. draw may reorder a piece.
  template <typename Draw>
  void FlushAll(Draw&& draw) {
    for (int c = 0; c < kChannels; ++c) {
      std::vector<POINT>& p = points_[c];
      ForEachPiece(p.data(), static_cast<int>(p.size()), [&](int first, int end) { draw(c, p.data(), first, end); });
      p.clear();
    }
  }

 private:
  int x_;
  float offsets_[6];
  std::vector<POINT> points_[kChannels];
};

}  // namespace survey
