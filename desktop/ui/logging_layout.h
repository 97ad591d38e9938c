// Geometry of the logging window: its children and button sets from the window size and line
// height, and its text fields from the widths of the texts they are built from. The computations
// are pure; ComputeLoggingLayout(HWND) measures the texts in the window's fonts and stores them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/models.h"

namespace desktop {

// The text fields of the logging window (LoggingLayout); rectangles are left, top, right, bottom.
struct LoggingLayoutData {
  RECT stateRect{}, surveyModeRect{}, modeRect{}, batteryRect{}, markerRect{}, autoCalRect{};
  RECT scaleMaxRect{}, scaleMinRect{};
  int32_t rowY[5] = {};
  int32_t boxEdge[2] = {};
  int32_t fileBoxX = 0, fileValueX = 0, lineBoxX = 0, lineValueX = 0, gpsBoxX = 0, gpsValueX = 0;
  int32_t satLabelX = 0;  // x of the GPS box's "Sat:" label
  RECT fileRect{}, totalStationsRect{}, totalTimeRect{};
  RECT lineNameRect{}, stationRect{}, lineStationsRect{}, lineTimeRect{};
  RECT gpsCountRect{}, gpsFixRect{}, gpsMarkRect[2]{}, gpsPdopRect{}, gpsSatRect{}, gpsLatRect{}, gpsLonRect{};
  // The numbers panel, in its own client coordinates; the fifth cell only on the RZ27-MK2.
  RECT captionRowRect{}, valueRowRect{};
  RECT captionRect[5]{}, valueRect[5]{};
  int32_t numberCells = 4;
};

// Where the logging window's children stand, from W x H and the line height.
struct LoggingGeometry {
  int32_t plotLeft = 20, plotTop = 20, plotWidth = 0, plotHeight = 0;
  int32_t boxesWidth = 0;  // the numbers panel's width and the three boxes' together
  int32_t numbersTop = 0;
  int32_t numbersHeight = 0;
};
LoggingGeometry ComputeLoggingGeometry(int32_t windowWidth, int32_t windowHeight, int32_t lineHeight);

// The texts whose widths place the fields, each measured in its own font.
enum class LayoutText : int {
  kMonitoring, kMarker, kAutoCalOff, kScaleMeter, kScaleMv,  // large font
  kSurveyManual, kSurveyWheel, kSurveyAuto, kModeD, kMode4,  // normal font
  kStationsSample, kStationsLabel, kLonSample, kLonLabel, kPositions, kPhase, kPdopLabel, kGdopNa, kSatLabel,
  kDipoleVertical, kDipoleHorizontal, kDipoleBoth, kDipoleVertical40, kDipoleHorizontal40, kBattery,  // bold
  kCount
};
constexpr int kLayoutTextCount = static_cast<int>(LayoutText::kCount);

enum class LayoutFont : uint8_t { kLarge, kNormal, kBold };
struct LayoutTextInfo {
  const char* text;
  LayoutFont font;
};
LayoutTextInfo LayoutTextOf(LayoutText t);

struct LayoutWidths {
  int32_t width[kLayoutTextCount] = {};
  int32_t stationsHeight = 0;  // tn: the height of "# of Stns:" in the normal font
  int32_t operator[](LayoutText t) const { return width[static_cast<int>(t)]; }
  int32_t& operator[](LayoutText t) { return width[static_cast<int>(t)]; }
};

struct LayoutInputs {
  int32_t windowWidth = 800;
  int32_t windowHeight = 574;
  int32_t lineHeight = 18;
  LoggingKind kind = LoggingKind::kMeter;
};

LoggingLayoutData ComputeLoggingLayout(const LayoutInputs& in, const LayoutWidths& widths);

// ---- Button sets ---------------------------------------------------------------------------------

constexpr int kLoggingButtonIdBase = 460;  // button i of a set has id 460 + i; PAUSE is 460
constexpr int kMonitorButtonsMax = 6;
constexpr int kStandByButtonsMax = 10;

struct ButtonPlace {
  const char* caption = nullptr;
  int32_t x = 0, y = 0, width = 0, height = 0;
};
struct ButtonSet {
  int32_t count = 0;
  ButtonPlace button[kStandByButtonsMax];
};
struct LoggingButtonPlan {
  ButtonSet monitor;
  ButtonSet standBy;
  ButtonPlace pause;
};
LoggingButtonPlan PlanLoggingButtons(LoggingKind kind, int32_t windowWidth, int32_t windowHeight,
                                     int32_t lineHeight);

// The number of buttons in each set of a build.
int32_t MonitorButtonCount(LoggingKind kind);
int32_t StandByButtonCount(LoggingKind kind);

}  // namespace desktop
