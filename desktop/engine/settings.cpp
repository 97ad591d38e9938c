#include "engine/settings.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "engine/build_config.h"
#include "engine/models.h"
#include "engine/plot_scale.h"
#include "engine/state.h"
#include "engine/timing.h"

namespace desktop {

namespace {

constexpr const char* kVersion = "Ver1.06";

// Which builds have a line.
enum class Builds : uint8_t { kAll, kMk2 };

// How a line is written and read.
enum class Kind : uint8_t {
  kInt,     // "%d", read as a decimal integer (saturating)
  kColour,  // a 0x00BBGGRR colour as its signed decimal, read as a decimal integer
  kFloat,   // "%f" of a single-precision value, read as a decimal number
  kDouble,  // "%f" of a double-precision value, read as a decimal number
  kText,    // 8-bit text, cut to its field when read
};

// What the reader derives after a line.
enum class Then : uint8_t {
  kNothing,
  kNccFlag,              // the N.C.C. flag from the RZ56 type
  kPxPerUnit0,           // scale 1's factor
  kPxPerUnit1AndGrid,    // scale 2's factor, then the grid rows of the grid group
  kSurveyModeChoice,     // the survey mode as read
  kInterval,             // the reading timer's period and the sample divisor
  kIncrementAndStation,  // the increment kept for the mode, and the station from the start station
};

// One table row: `count` lines of consecutive values (arrays), or one text line of `size` bytes.
struct SettingsLine {
  Builds builds;
  Kind kind;
  void* value;
  int32_t count;
  int32_t size;
  Then then;
};

constexpr SettingsLine Int(int32_t& v, Then then = Then::kNothing) {
  return {Builds::kAll, Kind::kInt, &v, 1, 0, then};
}
template <size_t N>
constexpr SettingsLine Ints(int32_t (&v)[N], Kind kind = Kind::kInt) {
  return {Builds::kAll, kind, v, static_cast<int32_t>(N), 0, Then::kNothing};
}
constexpr SettingsLine Float(float& v, Then then = Then::kNothing) {
  return {Builds::kAll, Kind::kFloat, &v, 1, 0, then};
}
template <size_t N>
constexpr SettingsLine Floats(float (&v)[N]) {
  return {Builds::kAll, Kind::kFloat, v, static_cast<int32_t>(N), 0, Then::kNothing};
}
constexpr SettingsLine Double(double& v, Then then) { return {Builds::kAll, Kind::kDouble, &v, 1, 0, then}; }
template <size_t N>
constexpr SettingsLine Text(char (&v)[N]) {
  return {Builds::kAll, Kind::kText, v, 1, static_cast<int32_t>(N), Then::kNothing};
}
constexpr SettingsLine Mk2Only(SettingsLine line) {
  line.builds = Builds::kMk2;
  return line;
}

constexpr SurveySettingsData& S = SurveySettings;

// Every value line of the file, in file order; WriteSettings and ReadSettings both walk it.
constexpr SettingsLine kLines[] = {
    Text(S.dataFolder),        Int(S.rz56Type, Then::kNccFlag),
    Int(S.rz12Type),           Int(S.rz56SensorSize),
    Int(S.displayUnits),       Int(S.instrumentPort),
    Int(S.audio),              Int(S.pauseKey),
    Ints(S.traceVisible),      Ints(S.traceThickness),
    Ints(S.traceColour, Kind::kColour),
    Int(S.rz56ScaleMode),      Int(S.gridScale),
    Float(S.scale1Min),        Float(S.scale1Max, Then::kPxPerUnit0),
    Float(S.scale2Min),        Float(S.scale2Max, Then::kPxPerUnit1AndGrid),
    Int(S.gpsEnabled),         Int(S.gpsPort),
    Int(S.gpsBaudIndex),       Int(S.gpsDataBitsIndex),
    Int(S.gpsParityIndex),     Int(S.gpsStopBitsIndex),
    Int(S.surveyMode, Then::kSurveyModeChoice),
    Int(S.component),          Int(S.dipole),
    Int(S.samplesPerReading),  Mk2Only(Int(S.mk2Type)),
    Mk2Only(Floats(S.mk2Offset)),
    Float(S.stationIncrementAuto), Float(S.stationIncrementWheel),
    Float(S.stationIncrementManual), Float(S.readingInterval, Then::kInterval),
    Text(S.surveyLine),        Float(S.lineIncrement),
    Int(S.lineSequence),       Int(S.lineDirection),
    Double(S.startStation, Then::kIncrementAndStation),
    Float(S.batteryWarning),   Mk2Only(Int(S.softMarker)),
    Mk2Only(Int(S.markerPort)),
};

bool Applies(Builds builds) { return builds == Builds::kAll || ThisModel().mk2; }

// Entry i of a row, printed with its CR LF.
int FormatLine(const SettingsLine& line, int32_t i, char* out, int size) {
  int n = 0;
  switch (line.kind) {
    case Kind::kInt:
    case Kind::kColour:
      n = snprintf(out, size, "%d\r\n", static_cast<const int32_t*>(line.value)[i]);
      break;
    case Kind::kFloat:
      n = snprintf(out, size, "%f\r\n", static_cast<double>(static_cast<const float*>(line.value)[i]));
      break;
    case Kind::kDouble:
      n = snprintf(out, size, "%f\r\n", *static_cast<const double*>(line.value));
      break;
    case Kind::kText: {
      const char* text = static_cast<const char*>(line.value);
      n = snprintf(out, size, "%.*s\r\n", static_cast<int>(strnlen(text, line.size - 1)), text);
      break;
    }
  }
  return survey::FittedLength(n, size);
}

// A number outside the float range reads as 0, as one that is not finite does.
float ToFloat(double v) { return std::fabs(v) <= FLT_MAX ? static_cast<float>(v) : 0.0f; }

void ParseLine(const SettingsLine& line, int32_t i, const char* text) {
  switch (line.kind) {
    case Kind::kInt:
    case Kind::kColour:
      static_cast<int32_t*>(line.value)[i] = plat::atoi(text);
      break;
    case Kind::kFloat:
      static_cast<float*>(line.value)[i] = ToFloat(plat::ParseDecimal(text));
      break;
    case Kind::kDouble:
      *static_cast<double*>(line.value) = plat::ParseDecimal(text);
      break;
    case Kind::kText: {
      // A longer text keeps its leading bytes, as many as the field holds.
      char* field = static_cast<char*>(line.value);
      const size_t n = strnlen(text, static_cast<size_t>(line.size - 1));
      memcpy(field, text, n);
      field[n] = 0;
      break;
    }
  }
}

// A hand-edited scale whose maximum is not above its minimum is widened in memory, as the
// readings-scale dialog widens it; the factor follows.
float WidenedFactor(float minimum, float& maximum, float widening) {
  if (!(maximum > minimum)) maximum = minimum + widening;
  return PixelsPerUnit(ScreenLayout.plotHeight, minimum, maximum);
}

void Derive(Then then) {
  switch (then) {
    case Then::kNothing:
      break;
    case Then::kNccFlag:
      // Set and cleared by every load, so normalisation ends when the type is set back.
      Rz56Calibration.nccFlag = SurveySettings.rz56Type > 1 ? 1 : 0;
      break;
    case Then::kPxPerUnit0:
      PlotState.pxPerUnit0 = WidenedFactor(SurveySettings.scale1Min, SurveySettings.scale1Max, 100.0f);
      break;
    case Then::kPxPerUnit1AndGrid:
      PlotState.pxPerUnit1 = WidenedFactor(SurveySettings.scale2Min, SurveySettings.scale2Max, 10.0f);
      ComputeGridInForce();
      break;
    case Then::kSurveyModeChoice:
      SurveySettings.surveyModeChoice = SurveySettings.surveyMode;
      break;
    case Then::kInterval:
      Watchdog.readingIntervalMs = ReadingIntervalMs(SurveySettings.readingInterval);
      ComputeSampleDivisor();
      break;
    case Then::kIncrementAndStation:
      // The increment in force is the one kept for the mode; an unknown mode keeps it as it is.
      if (SurveySettings.surveyMode >= kModeAuto && SurveySettings.surveyMode <= kModeManual) {
        const float kept[] = {SurveySettings.stationIncrementAuto, SurveySettings.stationIncrementWheel,
                              SurveySettings.stationIncrementManual};
        SurveySettings.stationIncrement = kept[SurveySettings.surveyMode];
      }
      SurveyRun.station = SurveySettings.startStation;
      break;
  }
}

// The settings file's full path in the start folder, widened for the file calls; false when it
// does not fit.
bool SettingsPath(wchar_t* out, int size) {
  const char* folder = MainMenu.startFolder;
  const size_t n = strnlen(folder, sizeof MainMenu.startFolder);
  const char* separator = n > 0 && folder[n - 1] == '\\' ? "" : "\\";
  char path[2 * MAX_PATH];
  const int length = snprintf(path, sizeof path, "%.*s%s%s", static_cast<int>(n), folder, separator,
                              ThisModel().settingsFile);
  if (n == 0 || length < 0 || length >= MAX_PATH) return false;
  plat::Widen(path, out, size);
  return true;
}

}  // namespace

bool WriteSettings(HANDLE file) {
  char text[400];  // "%f" of any double fits
  for (const SettingsLine& line : kLines) {
    if (!Applies(line.builds)) continue;
    for (int32_t i = 0; i < line.count; ++i) {
      if (!survey::WriteText(file, text, FormatLine(line, i, text, sizeof text))) return false;
    }
  }
  return true;
}

void ReadSettings(HANDLE file) {
  char text[kSettingsLineMax];
  bool inFile = true;  // false once the file has ended: the rest keep the values in force
  for (const SettingsLine& line : kLines) {
    if (Applies(line.builds)) {
      for (int32_t i = 0; inFile && i < line.count; ++i) {
        inFile = ReadLine(file, text) >= 0;
        if (inFile) ParseLine(line, i, text);
      }
      Derive(line.then);
    }
  }
}

bool LoadSaveSettings(int save) {
  // The start folder is made current before every open, as the program's other file calls expect.
  SetCurrentDirectoryA(MainMenu.startFolder);
  wchar_t path[MAX_PATH];
  if (!SettingsPath(path, MAX_PATH)) return false;
  if (save) return survey::ReplaceSettingsFile(path, kVersion, WriteSettings);
  return survey::LoadSettingsFile(path, kVersion, kSettingsLineMax, ReadSettings, WriteSettings);
}

void SetDefaultSettings() {
  const ModelRow& row = ThisModel();
  SurveySettingsData& s = SurveySettings;
  if (row.rz56) {
    s.scale1Min = 0.0f;
    s.scale1Max = 2000.0f;
    PlotState.pxPerUnit0 = PixelsPerUnit(ScreenLayout.plotHeight, s.scale1Min, s.scale1Max);
  } else {
    s.scale1Min = 0.0f;
    s.scale1Max = 500.0f;
    s.scale2Min = -25.0f;
    s.scale2Max = 25.0f;
    PlotState.pxPerUnit0 = PixelsPerUnit(ScreenLayout.plotHeight, s.scale1Min, s.scale1Max);
    PlotState.pxPerUnit1 = PixelsPerUnit(ScreenLayout.plotHeight, s.scale2Min, s.scale2Max);
    s.gridScale = 0;
    s.component = row.component;
    s.dipole = row.dipole;
  }
  ComputeGridInForce();  // scale 1 in either case
  FillBuildConfig(BuildSwitchesInForce());  // the record length of the model
  InitGgaDisplayTable();
}

void InitGgaDisplayTable() {
  constexpr int32_t kFieldNumbers[6] = {8, 7, 4, 3, 6, 5};
  memcpy(GpsState.ggaName, "GGA", 4);
  GpsState.ggaItemCount = 6;
  for (int32_t i = 0; i < 6; ++i) {
    GpsState.ggaItemOrder[i] = i;
    GpsState.ggaFieldNumber[i] = kFieldNumbers[i];
  }
}

}  // namespace desktop
