// The file review: a data file of the build's instrument, opened for reading, its survey lines
// listed, one line at a time turned into scratch rows and shown as profile curves with a cursor bar
// and the values under it.
//
// FileReview is the review's one program-wide record (owner: the shell). The window pieces are
// here; the pure rules they apply (header digits, line scan, walk, row formats, slot actions, key
// tables, texts and layout) are in file_review_rules.h.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace handheld {

constexpr int kReviewSlots = 320;        // per-slot entries; slot 0 is never used
constexpr int kReviewChannels = 8;
constexpr int kReviewButtons = 10;
constexpr int kReviewButtonIdBase = 480;  // button i has id 480 + i; its action is i
constexpr int kLineBoxId = 220;
constexpr int kViewCurveWndId = 9;
constexpr int32_t kLineBoxSelection = 10;  // FileReview.selectedButton for the line box

struct FileReviewData {
  // The file and its line index.
  HANDLE file = INVALID_HANDLE_VALUE;
  int32_t open = 0;  // 0 no file shown, 1 a file shown, 2 the open dialog cancelled while one was shown
  char title[260] = {};  // base name of the chosen file, 8-bit
  int32_t lineCount = 0;
  std::vector<int64_t> lineOffset;  // lineOffset[n - 1]: byte offset of line n's name record
  int8_t headerDipole = 0;
  int32_t headerSurveyMode = 0;
  int32_t headerComponent = 0;
  int32_t headerZolEnabled = 0;
  int32_t headerSeaWaterIndex = 0;
  int32_t curvesPerStation = 1;

  // Rows and slots.
  int32_t currentLine = 0;  // line box index of the line in the scratch files
  int32_t rowCount = 0;
  int32_t firstRow = 0;
  int32_t firstSlot = 0;
  int32_t lastSlot = 0;
  int32_t slotsPerScreen = 0;
  int32_t cursorSlot = 0;
  HBITMAP savedColumn = nullptr;  // the plot column under the cursor bar
  int32_t selectedButton = 6;     // 0..9 a button, 10 the line box
  int32_t pageStep = 80;
  HWND buttons[kReviewButtons] = {};
  HWND lineBox = nullptr;
  int32_t present[kReviewSlots] = {};
  float station[kReviewSlots] = {};
  int32_t valid[kReviewChannels][kReviewSlots] = {};
  float value[kReviewChannels][kReviewSlots] = {};
  float iceThickness[kReviewSlots] = {};

  // Text rows and fields of the review window, set by its paint.
  int32_t row1Y = 0, row2Y = 0, underPlotY = 0, bottomY = 0;
  RECT lineLabelRect{}, fileRect{}, stationRect{}, scaleRect{}, scaleRectC{}, scaleRectI{};
  RECT valueRect[kReviewChannels]{};
  RECT iceRect{};
};
extern FileReviewData FileReview;
void ResetFileReview();  // tests only

// ---- The file and its lines -----------------------------------------------------------------

// The open dialog over `owner`; a chosen file is opened (created empty when missing) into
// FileReview.file and FileReview.open becomes 1; a cancel turns 1 into 2.
void OpenReviewFile(HWND owner);
// Header values, readings per station and the line table of the file; fills the line box (emptied
// by the caller) and selects its first entry.
void IndexLines(HANDLE file);

// ---- Scratch rows -----------------------------------------------------------------------------

// The scratch files' paths on this build.
const wchar_t* ScratchFlagsPath();
const wchar_t* ScratchValuesPath();
// Writes the rows of line `line` (1..lineCount) into both scratch files and sets
// FileReview.rowCount; any other line empties them (0 rows).
void ExtractLine(HANDLE file, int32_t line);
// Fills the per-slot arrays of slots first..last from the rows firstRow, firstRow + 1, ...
void ReadLineRows(int32_t firstSlot, int32_t lastSlot, int32_t firstRow);

// The same three steps on a data file's bytes in memory, the scratch rows kept in memory too: the
// same header reading, line scan, walk and slot reading as on the files.
struct ScratchRows;
void IndexLines(const unsigned char* data, size_t size);
void ExtractLine(const unsigned char* data, size_t size, int32_t line, ScratchRows* rows);
void ReadLineRows(const ScratchRows& rows, int32_t firstSlot, int32_t lastSlot, int32_t firstRow);

// ---- Windows ----------------------------------------------------------------------------------

int RegisterViewCurveWnd(HINSTANCE instance);
LRESULT ViewFilesOnCreate(HWND, UINT, WPARAM, LPARAM);
LRESULT ViewFilesOnPaint(HWND, UINT, WPARAM, LPARAM);
LRESULT ViewFilesOnCommand(HWND, UINT, WPARAM, LPARAM);
LRESULT ViewFilesOnSize(HWND, UINT, WPARAM, LPARAM);
LRESULT ViewCurveOnPaint(HWND, UINT, WPARAM, LPARAM);

// Puts the saved column back at the old slot (when it differs and a column was saved), saves the
// column at the new slot and draws the grey bar there.
void MoveCursorBar(int32_t oldSlot, int32_t newSlot);
// The curves of slots first..last on the review plot.
void DrawReviewCurves(int32_t firstSlot, int32_t lastSlot);
// The plot rows of the channels the model has; the other entries are left as they were.
void ReviewValuesToRows(const float values[8], int32_t rows[8]);
// One curve piece in the channel's pen; fewer than two points draw nothing.
void DrawReviewPolyline(const POINT* points, int count, int channel);
// Rewrites the value panel for the slot.
void ShowCursorValues(int32_t slot);

}  // namespace handheld
