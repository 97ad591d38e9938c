// The file review on any file: the input is written as a data file under a scratch drive root and
// reviewed with records of 24 bytes (RZ12 with the ice option) and 26 bytes (RZ27-MK2): the line
// index, the walk of lines into the scratch files and the slots read back. The walk over the bytes
// in memory must give the same rows as the one over the file, and the row reader takes the input
// as scratch rows as well.
#include <stdlib.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/state.h"
#include "fuzz_check.h"
#include "shell/file_review.h"
#include "shell/file_review_rules.h"

using namespace handheld;

namespace {

constexpr const wchar_t* kPath = L"\\fuzz.R12";

std::string FileBytes(const wchar_t* path) {
  HANDLE h = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  FUZZ_CHECK(h != INVALID_HANDLE_VALUE);
  std::string bytes(GetFileSize(h, nullptr), '\0');
  DWORD got = 0;
  FUZZ_CHECK(bytes.empty() || (ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                               got == bytes.size()));
  CloseHandle(h);
  return bytes;
}

void Review(const uint8_t* data, size_t size, int32_t model, int32_t frameLength) {
  ResetEngineState();
  ResetFileReview();
  BuildConfig.modelIndex = model;
  BuildConfig.zolOptionAvailable = model == kModelRz12 ? 1 : 0;
  BuildConfig.recordLength = model == kModelRz27Mk2 ? 26 : 24;
  LinkState.frameLength = frameLength;
  const int length = BuildConfig.recordLength;

  HANDLE file = CreateFileW(kPath, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  FUZZ_CHECK(file != INVALID_HANDLE_VALUE);
  IndexLines(file);
  const int32_t lines = FileReview.lineCount;
  FUZZ_CHECK(static_cast<size_t>(lines) == FileReview.lineOffset.size());
  FUZZ_CHECK(FileReview.curvesPerStation >= 1 && FileReview.curvesPerStation <= 10);
  for (int64_t offset : FileReview.lineOffset) FUZZ_CHECK(offset % length == 0 && offset + length <= int64_t(size));

  // The first two lines, the last one and one past it.
  for (int32_t line : {1, 2, lines, lines + 1}) {
    if ((line == 2 && lines < 3) || (line == lines && lines < 1)) continue;  // done already
    ExtractLine(file, line);
    const std::string flags = FileBytes(ScratchFlagsPath());
    const std::string values = FileBytes(ScratchValuesPath());
    const size_t rows = static_cast<size_t>(FileReview.rowCount);
    FUZZ_CHECK(flags.size() == rows * kFlagsRowBytes && values.size() == rows * kValuesRowBytes);
    if (line >= 1 && line <= lines) {
      const int64_t offset = FileReview.lineOffset[static_cast<size_t>(line) - 1];
      MemoryRecords records(data, size, length, static_cast<size_t>(offset));
      WalkSettings s;
      s.curvesPerStation = FileReview.curvesPerStation;
      s.frameLength = frameLength;
      s.length = length;
      ScratchRows memory;
      WalkLine(records, s, memory, nullptr);
      FUZZ_CHECK(memory.flags == flags && memory.values == values);
    } else {
      FUZZ_CHECK(rows == 0);
    }
    for (size_t r = 0; r < rows; ++r) {
      const bool station = values.find('.', r * kValuesRowBytes) < (r + 1) * kValuesRowBytes;
      FUZZ_CHECK(flags[(r + 1) * kFlagsRowBytes - 1] == '\n' && values[(r + 1) * kValuesRowBytes - 1] == '\n');
      FUZZ_CHECK(station == (flags.compare(r * kFlagsRowBytes, 12, "          -1") != 0));
    }
    for (int32_t first : {1, FileReview.rowCount - 309}) {
      ReadLineRows(1, 310, first);
      const size_t from = static_cast<size_t>(EffectiveFirstRow(first));
      for (size_t slot = 1; slot <= 310; ++slot) {
        const size_t row = from + slot - 1;
        const bool hasRow = row <= rows && values.find('.', (row - 1) * kValuesRowBytes) < row * kValuesRowBytes;
        FUZZ_CHECK(FileReview.present[slot] == (hasRow ? 1 : 0));
      }
    }
  }
  CloseHandle(file);
}

}  // namespace

// The scratch root goes under $TMPDIR (the smoke script gives each run its own and removes it).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* tmp = getenv("TMPDIR");
  static std::string root;
  root = std::string(tmp && *tmp ? tmp : "/tmp") + "/survey-fuzz-review-XXXXXX";
  FUZZ_CHECK(mkdtemp(root.data()) != nullptr);
  setenv("PLAT_ROOT", root.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CreateDirectoryW(L"Storage", nullptr);
  CreateDirectoryW(L"Storage\\VLQINI", nullptr);
  HANDLE out = CreateFileW(kPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  FUZZ_CHECK(out != INVALID_HANDLE_VALUE);
  DWORD put = 0;
  FUZZ_CHECK(size == 0 || (WriteFile(out, data, static_cast<DWORD>(size), &put, nullptr) && put == size));
  CloseHandle(out);

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
