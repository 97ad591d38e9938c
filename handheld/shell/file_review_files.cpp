// The file review's files: the open dialog and the reviewed file, its line index, and the two
// scratch files that hold the rows of the line on show.
#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/ice.h"
#include "engine/records.h"
#include "engine/state.h"
#include "logging/data_file_naming.h"
#include "shell/file_review.h"
#include "shell/file_review_rules.h"

namespace handheld {

FileReviewData FileReview;

void ResetFileReview() { FileReview = FileReviewData{}; }

namespace {

// The channels a row carries back into the slots.
int SlotChannels() { return BuildModel().slotChannels; }

HANDLE OpenScratch(const wchar_t* path, DWORD disposition) {
  return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Close(HANDLE& h) {
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  h = INVALID_HANDLE_VALUE;
}

// Writes the rows gathered so far to both scratch files in one piece each; a file that could not
// be created takes nothing.
class ScratchFiles final : public ScratchSink {
 public:
  ScratchFiles()
      : flags_(OpenScratch(ScratchFlagsPath(), CREATE_ALWAYS)),
        values_(OpenScratch(ScratchValuesPath(), CREATE_ALWAYS)) {}
  ~ScratchFiles() override {
    Close(flags_);
    Close(values_);
  }
  ScratchFiles(const ScratchFiles&) = delete;
  ScratchFiles& operator=(const ScratchFiles&) = delete;

  void Flush(ScratchRows& rows) override {
    Write(flags_, rows.flags);
    Write(values_, rows.values);
  }

 private:
  static void Write(HANDLE h, std::string& bytes) {
    if (!bytes.empty()) {
      DWORD put = 0;
      WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    }
    bytes.clear();
  }

  HANDLE flags_;
  HANDLE values_;
};

}  // namespace

// ---- The file and its lines -----------------------------------------------------------------

void OpenReviewFile(HWND owner) {
  const DataFileKind* kind = DataFileKindOf(BuildConfig.modelIndex);
  if (kind == nullptr) return;
  const std::wstring folder = DataFolderOf(*kind, BuildConfig.storageRoot);
  wchar_t path[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = kind->filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrDefExt = kind->extension;
  ofn.Flags = 0;
  if (!GetOpenFileNameW(&ofn)) {
    if (FileReview.open == 1) FileReview.open = 2;
    return;
  }
  path[MAX_PATH - 1] = L'\0';

  // The base name: from the file name's start up to the extension's dot.
  const size_t length = std::wcslen(path);
  const size_t begin = std::min<size_t>(ofn.nFileOffset, length);
  size_t end = std::min<size_t>(ofn.nFileExtension, length);
  if (end > begin && path[end - 1] == L'.') --end;
  if (end < begin) end = begin;
  size_t n = 0;
  for (size_t i = begin; i < end && n < sizeof FileReview.title - 1; ++i) {
    FileReview.title[n++] = plat::WideToCp1252(path[i]);
  }
  FileReview.title[n] = 0;

  Close(FileReview.file);
  // Existing files only: a name that is not there is a file that cannot be opened, and a mistyped
  // name leaves nothing behind.
  FileReview.file = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  FileReview.open = 1;
}

namespace {

// The header values from the file's first record (null when it has none), then the lines of
// `all`, the records from the file's start.
void IndexRecords(const unsigned char* header, RecordSource& all) {
  FileReview.lineCount = 0;
  FileReview.lineOffset.clear();
  const int length = RecordLength();
  const bool readIce = IceBuild();
  // A file shorter than one record reads as a header of zeros.
  const ReviewHeader h = ParseReviewHeader(header, length, readIce);
  FileReview.headerDipole = static_cast<int8_t>(h.dipole);
  FileReview.headerSurveyMode = h.surveyMode;
  FileReview.headerComponent = h.component;
  if (readIce) {
    FileReview.headerZolEnabled = h.zolEnabled;
    if (h.zolEnabled == 1) {
      FileReview.headerSeaWaterIndex = h.seaWaterIndex;
      LoadIceCurve(h.seaWaterIndex);
    }
  }
  FileReview.curvesPerStation =
      ReadingsPerStation(BuildConfig.modelIndex, h.surveyMode, h.dipole, h.component);
  LineIndex lines;
  ScanLines(all, length, lines);
  FileReview.lineOffset = std::move(lines.offsets);
  FileReview.lineCount = static_cast<int32_t>(std::min<size_t>(FileReview.lineOffset.size(), INT32_MAX));
  for (const std::string& name : lines.names) {
    wchar_t wide[16] = {};
    for (size_t i = 0; i < name.size() && i < 15; ++i) {
      wide[i] = plat::Cp1252ToWide(static_cast<unsigned char>(name[i]));
    }
    SendMessageW(FileReview.lineBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
  }
  SendMessageW(FileReview.lineBox, CB_SETCURSEL, 0, 0);
}

}  // namespace

void IndexLines(HANDLE file) {
  const int length = RecordLength();
  unsigned char header[kRecordMax];
  const bool whole = FileRecords(file, length, 0).Next(header);
  FileRecords all(file, length, 0);  // after the header's read, which moved the file's position
  IndexRecords(whole ? header : nullptr, all);
}

void IndexLines(const unsigned char* data, size_t size) {
  const int length = RecordLength();
  MemoryRecords all(data, size, length);
  IndexRecords(size >= static_cast<size_t>(length) ? data : nullptr, all);
}

// ---- Scratch rows -----------------------------------------------------------------------------

const wchar_t* ScratchFlagsPath() {
  return BuildConfig.storageRoot == 1 ? L"Storage\\VLQINI\\LINE1.R1X" : L"C_DRIVE\\VLQINI\\LINE1.R1X";
}

const wchar_t* ScratchValuesPath() {
  return BuildConfig.storageRoot == 1 ? L"Storage\\VLQINI\\LINE2.R1X" : L"C_DRIVE\\VLQINI\\LINE2.R1X";
}

namespace {

// Line `line`'s offset, or -1 for a line the file does not have.
int64_t LineOffset(int32_t line) {
  if (line < 1 || line > FileReview.lineCount || static_cast<size_t>(line) > FileReview.lineOffset.size()) return -1;
  return FileReview.lineOffset[static_cast<size_t>(line) - 1];
}

// Walks a line's records into rows (handed to the sink when it is given) and sets the row count.
void WalkReviewLine(RecordSource& records, ScratchRows& rows, ScratchSink* sink) {
  WalkSettings s;
  s.curvesPerStation = FileReview.curvesPerStation;
  s.frameLength = LinkState.frameLength.load();
  s.length = RecordLength();
  WalkLine(records, s, rows, sink);
  if (sink) sink->Flush(rows);
  FileReview.rowCount = rows.count;
}

}  // namespace

void ExtractLine(HANDLE file, int32_t line) {
  FileReview.rowCount = 0;
  ScratchFiles scratch;  // both files emptied, and closed again on return
  // A line the file does not have gives no rows.
  const int64_t offset = LineOffset(line);
  if (offset < 0) return;
  FileRecords records(file, RecordLength(), offset);
  ScratchRows rows;
  WalkReviewLine(records, rows, &scratch);
}

void ExtractLine(const unsigned char* data, size_t size, int32_t line, ScratchRows* rows) {
  FileReview.rowCount = 0;
  *rows = ScratchRows{};
  const int64_t offset = LineOffset(line);
  if (offset < 0) return;
  MemoryRecords records(data, size, RecordLength(), static_cast<size_t>(offset));
  WalkReviewLine(records, *rows, nullptr);
}

namespace {

// The slots first..last of the window, clamped to the arrays.
struct SlotRange {
  int32_t first;
  size_t slots;
};
SlotRange Slots(int32_t firstSlot, int32_t lastSlot) {
  const int32_t first = std::max(firstSlot, 1);
  const int32_t last = std::min(lastSlot, kReviewSlots - 1);
  return {first, last >= first ? static_cast<size_t>(last - first + 1) : 0};
}

// Fills the slots from the rows' bytes as the files gave them (got1 and got2 bytes): slot k sees
// only its own row's bytes, so a short row is empty, never another row's.
void FillSlots(const SlotRange& range, const char* flagsBytes, size_t got1, const char* valuesBytes, size_t got2) {
  const int channels = SlotChannels();
  for (size_t k = 0; k < range.slots; ++k) {
    const size_t s = static_cast<size_t>(range.first) + k;
    const size_t at1 = k * kFlagsRowBytes;
    const size_t at2 = k * kValuesRowBytes;
    const size_t have1 = got1 > at1 ? std::min<size_t>(got1 - at1, kFlagsRowBytes) : 0;
    const size_t have2 = got2 > at2 ? std::min<size_t>(got2 - at2, kValuesRowBytes) : 0;
    // The slot takes what the row reader sets: the flags of the channels read, and for a station
    // row its station and values too; the rest stays as it was.
    SlotRow slot;
    const RowKind kind = ParseSlotRows(have1 ? flagsBytes + at1 : nullptr, have1, have2 ? valuesBytes + at2 : nullptr,
                                       have2, channels, slot);
    FileReview.present[s] = slot.present;
    for (int c = 0; c < channels; ++c) FileReview.valid[c][s] = slot.valid[c];
    if (kind == RowKind::kStation) {
      FileReview.station[s] = slot.station;
      for (int c = 0; c < channels; ++c) FileReview.value[c][s] = slot.value[c];
    }
    if (FileReview.headerZolEnabled == 1 && FileReview.valid[1][s] == 1) {
      FileReview.iceThickness[s] = ComputeIceThickness(FileReview.value[1][s], FileReview.headerSeaWaterIndex);
    }
  }
}

}  // namespace

void ReadLineRows(int32_t firstSlot, int32_t lastSlot, int32_t firstRow) {
  HANDLE flags = OpenScratch(ScratchFlagsPath(), OPEN_EXISTING);
  if (flags == INVALID_HANDLE_VALUE) MessageBoxW(AppWindows.viewCurveWnd, L"invalid handle 1", L"IHV", MB_OK);
  HANDLE values = OpenScratch(ScratchValuesPath(), OPEN_EXISTING);
  if (values == INVALID_HANDLE_VALUE) MessageBoxW(AppWindows.viewCurveWnd, L"invalid handle 2", L"IHV", MB_OK);
  const SlotRange range = Slots(firstSlot, lastSlot);
  const int64_t row = EffectiveFirstRow(firstRow) - int64_t{1};
  LARGE_INTEGER at{};
  at.QuadPart = row * kFlagsRowBytes;
  SetFilePointerEx(flags, at, nullptr, FILE_BEGIN);
  at.QuadPart = row * kValuesRowBytes;
  SetFilePointerEx(values, at, nullptr, FILE_BEGIN);
  // All the rows of the slots in one read per file; a read comes short only at the end of a file,
  // so the rows are those that one read per row would give.
  std::string flagsBytes(range.slots * kFlagsRowBytes, '\0');
  std::string valuesBytes(range.slots * kValuesRowBytes, '\0');
  DWORD got1 = 0;
  DWORD got2 = 0;
  if (range.slots > 0) {
    if (!ReadFile(flags, flagsBytes.data(), static_cast<DWORD>(flagsBytes.size()), &got1, nullptr)) got1 = 0;
    if (!ReadFile(values, valuesBytes.data(), static_cast<DWORD>(valuesBytes.size()), &got2, nullptr)) got2 = 0;
  }
  Close(flags);
  Close(values);
  FillSlots(range, flagsBytes.data(), got1, valuesBytes.data(), got2);
}

void ReadLineRows(const ScratchRows& rows, int32_t firstSlot, int32_t lastSlot, int32_t firstRow) {
  const SlotRange range = Slots(firstSlot, lastSlot);
  const auto row = static_cast<size_t>(EffectiveFirstRow(firstRow) - 1);
  // What a read of the slots' rows from row on gives.
  auto part = [&range, row](const std::string& bytes, size_t rowBytes, size_t* got) {
    const size_t from = std::min(bytes.size(), row * rowBytes);
    *got = std::min(bytes.size() - from, range.slots * rowBytes);
    return bytes.data() + from;
  };
  size_t got1 = 0;
  size_t got2 = 0;
  const char* flags = part(rows.flags, kFlagsRowBytes, &got1);
  const char* values = part(rows.values, kValuesRowBytes, &got2);
  FillSlots(range, flags, got1, values, got2);
}

}  // namespace handheld
