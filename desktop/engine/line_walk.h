// The backward walk of the desktop's profile redraws (the meter profile and the RZ56 strip chart):
// the current survey line of the open data file, newest record first.
#pragma once

#include "common/profile_walk.h"
#include "engine/records.h"
#include "engine/state.h"

namespace desktop {

// Hands each record of the current line to onRecord (a callable taking the record, its line feed
// replaced by a NUL, and returning true to go on), from the end of SurveyRun.dataFile backwards.
// The walk ends when onRecord returns false, at the line's date record 'Z', when fewer than one
// record's bytes lie behind, or at a short read; the file and its append position are unchanged.
// Nothing happens when no data file is open.
template <typename OnRecord>
void WalkCurrentLine(OnRecord&& onRecord) {
  DataFile& file = SurveyRun.dataFile;
  if (!file.IsOpen()) return;
  survey::WalkLineBackward(file, RecordLength(), file.Size(), onRecord);
}

}  // namespace desktop
