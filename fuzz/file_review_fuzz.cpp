// The file review on any file: the input, as a data file's bytes, is reviewed with records of 24
// bytes (RZ12 with the ice option) and 26 bytes (RZ27-MK2): the line index, the walk of lines into
// scratch rows and the slots read back, through the same header reading, line scan, walk and slot
// reader as the review of a file on disk (which only adds the block reads and the scratch files).
// The row reader also takes the input as scratch rows.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/models.h"
#include "engine/state.h"
#include "fuzz_check.h"
#include "shell/file_review.h"
#include "shell/file_review_rules.h"

using namespace handheld;

namespace {

void Review(const uint8_t* data, size_t size, int32_t model, int32_t frameLength) {
  ResetEngineState();
  ResetFileReview();
  BuildConfig.modelIndex = model;
  BuildConfig.zolOptionAvailable = ModelRowOf(model).iceOption ? 1 : 0;
  BuildConfig.recordLength = ModelRowOf(model).recordLength;
  LinkState.frameLength = frameLength;
  const int length = BuildConfig.recordLength;

  IndexLines(data, size);
  const int32_t lines = FileReview.lineCount;
  FUZZ_CHECK(static_cast<size_t>(lines) == FileReview.lineOffset.size());
  FUZZ_CHECK(FileReview.curvesPerStation >= 1 && FileReview.curvesPerStation <= 10);
  for (int64_t offset : FileReview.lineOffset) FUZZ_CHECK(offset % length == 0 && offset + length <= int64_t(size));

  // The first two lines, the last one and one past it.
  for (int32_t line : {1, 2, lines, lines + 1}) {
    if ((line == 2 && lines < 3) || (line == lines && lines < 1)) continue;  // done already
    ScratchRows scratch;
    ExtractLine(data, size, line, &scratch);
    const std::string& flags = scratch.flags;
    const std::string& values = scratch.values;
    const size_t rows = static_cast<size_t>(FileReview.rowCount);
    FUZZ_CHECK(flags.size() == rows * kFlagsRowBytes && values.size() == rows * kValuesRowBytes);
    if (line < 1 || line > lines) FUZZ_CHECK(rows == 0);
    for (size_t r = 0; r < rows; ++r) {
      const bool station = values.find('.', r * kValuesRowBytes) < (r + 1) * kValuesRowBytes;
      FUZZ_CHECK(flags[(r + 1) * kFlagsRowBytes - 1] == '\n' && values[(r + 1) * kValuesRowBytes - 1] == '\n');
      FUZZ_CHECK(station == (flags.compare(r * kFlagsRowBytes, 12, "          -1") != 0));
    }
    // The screen's slots from the first row and from the one that shows the last row (the same
    // for up to 310 rows), up to 310 of them; past the line's end two slots show what the rest
    // of the screen gets.
    const int32_t lastFirst = FileReview.rowCount - 309;
    for (int32_t first : {1, lastFirst}) {
      if (first == lastFirst && EffectiveFirstRow(first) == 1) continue;  // done already
      const size_t from = static_cast<size_t>(EffectiveFirstRow(first));
      const size_t slots = static_cast<size_t>(std::clamp<int64_t>(int64_t(rows) + 3 - int64_t(from), 1, 310));
      ReadLineRows(scratch, 1, static_cast<int32_t>(slots), first);
      for (size_t slot = 1; slot <= slots; ++slot) {
        const size_t row = from + slot - 1;
        const bool hasRow = row <= rows && values.find('.', (row - 1) * kValuesRowBytes) < row * kValuesRowBytes;
        FUZZ_CHECK(FileReview.present[slot] == (hasRow ? 1 : 0));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Review(data, size, kModelRz12, 12);
  Review(data, size, kModelRz27Mk2, 14);

  // The input as scratch rows: every slot is a station, a gap or past the end, and a station row
  // is one whose values row holds a '.'.
  const char* bytes = reinterpret_cast<const char*>(data);
  for (size_t r = 0; r * kFlagsRowBytes < size; ++r) {
    const size_t at1 = r * kFlagsRowBytes;
    const size_t at2 = std::min(size, r * kValuesRowBytes);
    const size_t got1 = std::min<size_t>(size - at1, kFlagsRowBytes);
    const size_t got2 = std::min<size_t>(size - at2, kValuesRowBytes);
    SlotRow slot;
    const RowKind kind = ParseSlotRows(bytes + at1, got1, bytes + at2, got2, 8, slot);
    FUZZ_CHECK((kind == RowKind::kStation) == (slot.present == 1));
    if (kind == RowKind::kStation) {
      FUZZ_CHECK(got1 == kFlagsRowBytes && got2 == kValuesRowBytes);
      FUZZ_CHECK(std::find(bytes + at2, bytes + at2 + kValuesRowBytes, '.') != bytes + at2 + kValuesRowBytes);
    }
  }
  return 0;
}
