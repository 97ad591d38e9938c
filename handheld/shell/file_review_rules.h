// The file review's rules, free of windows: the header values, the record readers, the line scan,
// the walk of one line into scratch rows, the two row formats and their reader, the slot actions,
// the key tables, the value and help texts and the window's layout.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/screen_snapshot.h"

namespace handheld {

constexpr int kFlagsRowBytes = 29;    // LINE1.R1X: station, eight valid flags, line feed
constexpr int kValuesRowBytes = 109;  // LINE2.R1X: station, eight values, line feed
constexpr int kGapRowsPerStationRecord = 4;

// ---- Header -----------------------------------------------------------------------------------

// A header character read as a one-digit number; any other character reads 0.
int32_t HeaderDigit(unsigned char c);
// The sea-water index of header character 20: 'A' is 10, a digit its value, anything else 0.
int32_t SeaWaterDigit(unsigned char c);
// The readings that make up one station of a file recorded with these header values.
int32_t ReadingsPerStation(int32_t model, int32_t surveyMode, int32_t dipole, int32_t component);

// ---- Records ----------------------------------------------------------------------------------

// Whole records of one length, in file order. Next stops for good at the first short read.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // The next record (`length` bytes) into `record`; false when there is no whole record left.
  virtual bool Next(unsigned char* record) = 0;
};

// The records of an open file from a byte offset on, read in blocks of about 64 KiB. It yields
// exactly the records that one ReadFile per record would, and ends at the first short read (an
// invalid handle reads nothing).
class FileRecords final : public RecordSource {
 public:
  FileRecords(HANDLE file, int length, int64_t start);
  bool Next(unsigned char* record) override;

 private:
  HANDLE file_;
  int length_;
  std::vector<unsigned char> block_;
  size_t have_ = 0;  // bytes of whole records in the block
  size_t next_ = 0;
  bool ended_ = false;  // the last read came short
};

// The records of bytes in memory from an offset on; a torn tail is no record.
class MemoryRecords final : public RecordSource {
 public:
  MemoryRecords(const unsigned char* data, size_t size, int length, size_t start = 0);
  bool Next(unsigned char* record) override;

 private:
  const unsigned char* data_;
  size_t size_;
  size_t length_;
  size_t at_;
};

// The values the review takes from a file's first record.
struct ReviewHeader {
  int32_t dipole = 0;
  int32_t surveyMode = 0;
  int32_t component = 0;
  int32_t zolEnabled = 0;     // only read when the build asks for it
  int32_t seaWaterIndex = 0;  // set only when zolEnabled is 1
};
// Reads characters 16 to 18 (and, with readIce, 19 and 20) of a header record of `length` bytes.
ReviewHeader ParseReviewHeader(const unsigned char* record, int length, bool readIce);

// The survey lines of a file: each 'L' record's offset and name, in file order.
struct LineIndex {
  std::vector<int64_t> offsets;
  std::vector<std::string> names;  // 8-bit: position 1 up to the first blank or zero, at most 8
};
// Scans the records of a source that starts at the file's start.
void ScanLines(RecordSource& records, int length, LineIndex& out);

// ---- Scratch rows -----------------------------------------------------------------------------

// Rows formatted in memory and the count of rows made (also those already flushed).
struct ScratchRows {
  std::string flags;
  std::string values;
  int32_t count = 0;
};
void AppendStationRow(ScratchRows& rows, double station, const int32_t valid[8], const float values[8]);
void AppendGapRow(ScratchRows& rows);

// The decoder follows BuildConfig.modelIndex (the RZ27-MK2 with the walk's offsets, every other
// model the meter decoder), with the settings in force.
struct WalkSettings {
  int32_t curvesPerStation = 1;
  int32_t frameLength = 12;  // bytes of a reading record that are decoded
  int length = 24;           // record length
};
// What the walk calls when its buffers have grown past kScratchFlushBytes: the rows are written
// and the buffers emptied (count stays).
class ScratchSink {
 public:
  virtual ~ScratchSink() = default;
  virtual void Flush(ScratchRows& rows) = 0;
};
constexpr size_t kScratchFlushBytes = 256 * 1024;
// Walks one line from its name record: the start station and increment of its line block, then
// every record up to the next 'L' record or the end, grouping readings into station rows and
// writing four gap rows for every station record. Rows still gathered at the end are dropped.
void WalkLine(RecordSource& records, const WalkSettings& settings, ScratchRows& rows, ScratchSink* sink);

// One slot as read back from a flags row and a values row.
struct SlotRow {
  int32_t present = 0;
  float station = 0.0f;
  int32_t valid[8] = {};
  float value[8] = {};
};
enum class RowKind { kPastEnd, kGap, kStation };
// Reads a slot from the bytes the two files gave (`got1` and `got2` of them). Past the end (a
// short flags row) and a gap (a short values row, or one without '.') clear present and the flags
// of channels 0..channels-1 and leave station and values alone; a station row sets all of them.
RowKind ParseSlotRows(const char* flagsRow, size_t got1, const char* valuesRow, size_t got2, int channels,
                      SlotRow& slot);

// ---- Slots ------------------------------------------------------------------------------------

enum ReviewAction : int32_t {
  kActionStart = 0,
  kActionBack = 1,
  kActionLeft = 2,
  kActionRight = 3,
  kActionOn = 4,
  kActionEnd = 5,
  kActionFile = 6,
  kActionScale = 7,
  kActionExit = 8,
  kActionHelp = 9,
  kActionLine = 10,
};

struct SlotState {
  int32_t firstRow = 1;
  int32_t cursorSlot = 50;
  int32_t rowCount = 0;
  int32_t slotsPerScreen = 310;
  int32_t lastSlot = 310;
  int32_t pageStep = 80;
};
// What a slot action (start, back, left, right, on, end) does.
struct SlotStep {
  int32_t firstRow = 1;
  int32_t cursorSlot = 50;
  bool reread = false;       // the rows are read again from firstRow and the plot repainted
  bool cursorMoved = false;  // the bar moves from the old cursor slot to the new one
  bool showValues = false;   // the value panel is rewritten
};
SlotStep SlotAction(int32_t action, const SlotState& state);
// The cursor slot of a newly opened file.
int32_t FirstCursorSlot(int32_t rowCount);
// The scratch row that a first-row value starts from (below 1 counts as 1).
int32_t EffectiveFirstRow(int32_t firstRow);

// ---- Keys -------------------------------------------------------------------------------------

constexpr int32_t kReviewNoAction = -1;
constexpr int32_t kReviewTab = -2;
// The action a message of ViewFilesWnd asks for: a button's WM_COMMAND its index, WM_KEYDOWN and
// WM_CHAR by their own tables (Enter, character 13, takes `selected`; Tab, character 9, gives
// kReviewTab), anything else kReviewNoAction.
int32_t ReviewInputAction(UINT message, WPARAM wParam, int32_t selected);
// The selection after Tab: the next one, after 10 back to 0.
int32_t NextReviewSelection(int32_t selected);

// ---- Texts ------------------------------------------------------------------------------------

// The help box's eleven lines for the storage root (1 "Storage", else "C_DRIVE"), and the whole
// text joined by "\r\n".
const std::vector<std::wstring>& ReviewHelpLines(int32_t storageRoot);
std::wstring ReviewHelpText(int32_t storageRoot);

// What the value panel shows of one slot.
struct CursorTexts {
  bool present = false;
  std::wstring station;
  std::wstring field[8];  // per value field; empty: nothing drawn there
  std::wstring ice;       // empty: nothing drawn
};
struct CursorSlot {
  int32_t present = 0;
  float station = 0.0f;
  int32_t valid[8] = {};
  float value[8] = {};
  float iceThickness = 0.0f;
};
CursorTexts CursorValueTexts(int32_t model, int32_t portrait, int32_t zolEnabled, int32_t displayUnits,
                             const CursorSlot& slot);

// ---- Layout -----------------------------------------------------------------------------------

// The screen snapshot (its model and the screen layout's fields).
using ReviewScreen = ScreenSnapshot;
// Text widths in the normal font that the layout needs.
struct ReviewTextWidths {
  int lineLabel = 0;      // "Ln" in landscape, "Line" in portrait
  int fileField = 0;      // "File:WWWWWWWW"
  int stationLabel = 0;   // "Stn:"
  int stationDigits = 0;  // "999999999"
  int mk2Scale = 0;       // "C:99999/99999"
};
struct ReviewFields {
  int32_t row1Y = 0, row2Y = 0, underPlotY = 0, bottomY = 0;
  RECT lineLabel{}, file{}, station{}, scale{}, scaleC{}, scaleI{};
  RECT value[8]{};
  RECT ice{};
};
ReviewFields ComputeReviewFields(const ReviewScreen& screen, const ReviewTextWidths& widths);
// Window rectangles (left, top, right, bottom) of button i (0..9) and of the line box.
RECT ReviewButtonRect(const ReviewScreen& screen, int i);
RECT LineBoxRect(const ReviewScreen& screen);

}  // namespace handheld
