#include "engine/settings.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "common/settings_file.h"
#include "engine/scale.h"
#include "engine/state.h"
#include "engine/timing.h"

namespace handheld {

namespace {

// Which builds have a line.
enum class When : uint8_t {
  kAlways,
  kRz12,  // the RZ12 build
  kIce,   // the RZ12 build with the ice-thickness option
  kMk2,   // the RZ27-MK2 build
};

// How a line is written and read.
enum class Kind : uint8_t {
  kInt,               // "%d", read as a decimal integer
  kColour,            // the 32-bit colour as a signed decimal, read as a decimal integer
  kFloat,             // "%f" of a single-precision value, read as a decimal number
  kDouble,            // "%f" of a double-precision value, read as a decimal number
  kText,              // the survey line name, 8-bit in the file, wide in memory
  kStationIncrement,  // as kFloat, but in Wheel mode only the sign is written
  kMk2Offset,         // as kFloat, but the offsets that stand are written (Mk2OffsetsStanding)
};

// What the reader recomputes after a line.
enum class After : uint8_t {
  kNothing,
  kPxPerUnitIce,
  kPxPerUnit0,
  kPxPerUnit1,
  kSurveyModeChoice,
  kSampleDivisor,
  kKeptIncrement,
  kStation,
};

struct Field {
  Kind kind;
  void* value;
};

constexpr Field F(int32_t* v) { return {Kind::kInt, v}; }
constexpr Field F(COLORREF* v) { return {Kind::kColour, v}; }
constexpr Field F(float* v) { return {Kind::kFloat, v}; }
constexpr Field F(double* v) { return {Kind::kDouble, v}; }
constexpr Field F(wchar_t* v) { return {Kind::kText, v}; }

struct SettingsLine {
  When when;
  Field field;
  After after;
};

constexpr When A = When::kAlways;
constexpr After N = After::kNothing;
constexpr SurveySettingsData& S = SurveySettings;

// Every value line of the file, in file order; WriteSettings and ReadSettings both walk it.
constexpr SettingsLine kLines[] = {
    {When::kRz12, F(&S.rz12Type), N},
    {When::kIce, F(&S.zolEnabled), N},
    {When::kIce, F(&S.showIceProfile), N},
    {When::kIce, F(&S.seaWaterIndex), N},
    {When::kIce, F(&S.iceScaleMin), N},
    {When::kIce, F(&S.iceScaleMax), After::kPxPerUnitIce},
    {A, F(&S.displayUnits), N},
    {A, F(&S.instrumentPort), N},
    {A, F(&S.audio), N},
    {A, F(&S.pauseKey), N},
    {A, F(&S.traceVisible[0]), N},
    {A, F(&S.traceVisible[1]), N},
    {A, F(&S.traceVisible[2]), N},
    {A, F(&S.traceVisible[3]), N},
    {A, F(&S.traceVisible[4]), N},
    {A, F(&S.traceVisible[5]), N},
    {A, F(&S.traceVisible[6]), N},
    {A, F(&S.traceVisible[7]), N},
    {A, F(&S.traceThickness[0]), N},
    {A, F(&S.traceThickness[1]), N},
    {A, F(&S.traceThickness[2]), N},
    {A, F(&S.traceThickness[3]), N},
    {A, F(&S.traceThickness[4]), N},
    {A, F(&S.traceThickness[5]), N},
    {A, F(&S.traceThickness[6]), N},
    {A, F(&S.traceThickness[7]), N},
    {A, F(&S.traceColour[0]), N},
    {A, F(&S.traceColour[1]), N},
    {A, F(&S.traceColour[2]), N},
    {A, F(&S.traceColour[3]), N},
    {A, F(&S.traceColour[4]), N},
    {A, F(&S.traceColour[5]), N},
    {A, F(&S.traceColour[6]), N},
    {A, F(&S.traceColour[7]), N},
    {A, F(&S.gridScale), N},
    {A, F(&S.scale1Min), N},
    {A, F(&S.scale1Max), After::kPxPerUnit0},
    {A, F(&S.scale2Min), N},
    {A, F(&S.scale2Max), After::kPxPerUnit1},
    {A, F(&S.gpsEnabled), N},
    {A, F(&S.gpsPort), N},
    {A, F(&S.gpsBaudIndex), N},
    {A, F(&S.gpsDataBitsIndex), N},
    {A, F(&S.gpsParityIndex), N},
    {A, F(&S.gpsStopBitsIndex), N},
    {A, F(&S.surveyMode), After::kSurveyModeChoice},
    {A, F(&S.component), N},
    {A, F(&S.dipole), N},
    {A, F(&S.samplesPerReading), N},
    {When::kMk2, F(&S.mk2Type), N},
    {When::kMk2, {Kind::kMk2Offset, &S.mk2Offset[0]}, N},
    {When::kMk2, {Kind::kMk2Offset, &S.mk2Offset[1]}, N},
    {When::kMk2, {Kind::kMk2Offset, &S.mk2Offset[2]}, N},
    {When::kMk2, {Kind::kMk2Offset, &S.mk2Offset[3]}, N},
    {When::kMk2, {Kind::kMk2Offset, &S.mk2Offset[4]}, N},
    {When::kMk2, {Kind::kMk2Offset, &S.mk2Offset[5]}, N},
    {A, F(&S.stationIncrementAuto), N},
    {A, F(&S.stationIncrementWheel), N},
    {A, F(&S.stationIncrementManual), N},
    {A, F(&S.readingInterval), After::kSampleDivisor},
    {A, F(S.surveyLine), N},
    {A, F(&S.lineIncrement), N},
    {A, F(&S.lineSequence), N},
    {A, F(&S.lineDirection), N},
    {A, F(&S.startStation), After::kStation},
    {A, {Kind::kStationIncrement, &S.stationIncrement}, After::kKeptIncrement},
    {When::kMk2, F(&S.softMarker), N},
    {When::kMk2, F(&S.markerPort), N},
};

constexpr int32_t kModeAuto = 0;
constexpr int32_t kModeWheel = 1;
constexpr int32_t kModeManual = 2;

constexpr const wchar_t* kStorageFolder = L"Storage\\VLQINI";
constexpr const wchar_t* kDriveFolder = L"C_DRIVE\\VLQINI";

bool Applies(When when) {
  switch (when) {
    case When::kAlways:
      return true;
    case When::kRz12:
      return BuildModel().types == TypeChoice::kStandardShort;
    case When::kIce:
      return IceBuild();
    case When::kMk2:
      return BuildModel().calibrates;
  }
  return false;
}

using survey::FittedLength;
using survey::WriteText;

int FormatLine(const Field& field, char* out, int size) {
  switch (field.kind) {
    case Kind::kInt:
      return FittedLength(snprintf(out, size, "%d\r\n", *static_cast<int32_t*>(field.value)), size);
    case Kind::kColour:
      // Written as the signed 32-bit value it always was, so every colour reads back unchanged.
      return FittedLength(
          snprintf(out, size, "%d\r\n", static_cast<int32_t>(*static_cast<COLORREF*>(field.value))),
          size);
    case Kind::kFloat:
      return FittedLength(snprintf(out, size, "%f\r\n", *static_cast<float*>(field.value)), size);
    case Kind::kDouble:
      return FittedLength(snprintf(out, size, "%f\r\n", *static_cast<double*>(field.value)), size);
    case Kind::kText: {
      char name[SurveySettingsData::kSurveyLineMax + 1];  // Narrow keeps at most 11 characters
      plat::Narrow(static_cast<wchar_t*>(field.value), name, sizeof name);
      return FittedLength(snprintf(out, size, "%s\r\n", name), size);
    }
    case Kind::kStationIncrement: {
      float increment = *static_cast<float*>(field.value);
      if (SurveySettings.surveyMode == kModeWheel) increment = increment < 0.0f ? -1.0f : 1.0f;
      return FittedLength(snprintf(out, size, "%f\r\n", increment), size);
    }
    case Kind::kMk2Offset: {
      // While a calibration runs the offsets in force are 0: the file keeps the standing ones.
      const auto index = static_cast<float*>(field.value) - SurveySettings.mk2Offset;
      return FittedLength(snprintf(out, size, "%f\r\n", Mk2OffsetsStanding()[index]), size);
    }
  }
  return 0;
}

// A decimal number of the widened line; a value outside the float range reads as 0, as a number
// that is not finite does.
double ParseWidened(const char* line) {
  wchar_t wide[kSettingsLineMax];
  plat::Widen(line, wide, kSettingsLineMax);
  return plat::ParseDecimal(wide);
}

float ToFloat(double v) { return std::fabs(v) <= FLT_MAX ? static_cast<float>(v) : 0.0f; }

void ParseLine(const Field& field, const char* line) {
  switch (field.kind) {
    case Kind::kInt:
      *static_cast<int32_t*>(field.value) = plat::atoi(line);
      break;
    case Kind::kColour:
      *static_cast<COLORREF*>(field.value) = static_cast<COLORREF>(plat::atoi(line));
      break;
    case Kind::kFloat:
    case Kind::kStationIncrement:
    case Kind::kMk2Offset:
      *static_cast<float*>(field.value) = ToFloat(ParseWidened(line));
      break;
    case Kind::kDouble:
      *static_cast<double*>(field.value) = ParseWidened(line);
      break;
    case Kind::kText:
      // A longer name keeps its first 11 characters (one byte is one character in CP1252).
      plat::Widen(line, static_cast<wchar_t*>(field.value), SurveySettingsData::kSurveyLineMax + 1);
      break;
  }
}

void Recompute(After after) {
  switch (after) {
    case After::kNothing:
      break;
    case After::kPxPerUnitIce:
      PlotState.pxPerUnitIce = PixelsPerUnit(PlotState.pxPerUnitIce, ScreenLayout.plotHeight,
                                             SurveySettings.iceScaleMin, SurveySettings.iceScaleMax);
      break;
    case After::kPxPerUnit0:
      PlotState.pxPerUnit0 = PixelsPerUnit(PlotState.pxPerUnit0, ScreenLayout.plotHeight,
                                           SurveySettings.scale1Min, SurveySettings.scale1Max);
      break;
    case After::kPxPerUnit1:
      PlotState.pxPerUnit1 = PixelsPerUnit(PlotState.pxPerUnit1, ScreenLayout.plotHeight,
                                           SurveySettings.scale2Min, SurveySettings.scale2Max);
      break;
    case After::kSurveyModeChoice:
      SurveySettings.surveyModeChoice = SurveySettings.surveyMode;
      break;
    case After::kSampleDivisor:
      ComputeSampleDivisor();
      break;
    case After::kKeptIncrement:
      // The increment in force is the one kept for the mode; the sign written in Wheel mode is
      // not taken back. An unknown mode keeps the line's value.
      switch (SurveySettings.surveyMode) {
        case kModeAuto:
          SurveySettings.stationIncrement = SurveySettings.stationIncrementAuto;
          break;
        case kModeWheel:
          SurveySettings.stationIncrement = SurveySettings.stationIncrementWheel;
          break;
        case kModeManual:
          SurveySettings.stationIncrement = SurveySettings.stationIncrementManual;
          break;
        default:
          break;
      }
      break;
    case After::kStation:
      SurveyRun.station = SurveySettings.startStation;
      break;
  }
}

// Creates every level of a root-relative folder path; existing folders are left as they are.
void CreateFolders(const wchar_t* path) {
  wchar_t prefix[MAX_PATH];
  const size_t length = wcslen(path);
  if (length >= MAX_PATH) return;
  for (size_t i = 1; i <= length; ++i) {
    if (path[i] == L'\\' || path[i] == 0) {
      wmemcpy(prefix, path, i);
      prefix[i] = 0;
      CreateDirectoryW(prefix, nullptr);
    }
  }
}

}  // namespace

bool WriteSettings(HANDLE file) {
  // Large enough for "%f" of any double.
  char line[400];
  for (const SettingsLine& l : kLines) {
    if (!Applies(l.when)) continue;
    const int length = FormatLine(l.field, line, sizeof line);
    if (!WriteText(file, line, length)) return false;
  }
  return true;
}

bool SettingsBytes::Refill() {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  DWORD got = 0;
  if (!ReadFile(file_, block_, sizeof block_, &got, nullptr) || got == 0) {
    file_ = INVALID_HANDLE_VALUE;  // nothing more is read after the end or a failure
    return false;
  }
  at_ = 0;
  end_ = got;
  return true;
}

void ReadSettings(SettingsBytes& in) {
  char line[kSettingsLineMax];
  bool more = true;
  for (const SettingsLine& l : kLines) {
    if (!Applies(l.when)) continue;
    if (more) {
      if (ReadLine(in, line) < 0) {
        more = false;  // the file ended early: the rest keep the values in force
      } else {
        ParseLine(l.field, line);
      }
    }
    Recompute(l.after);
  }
}

int ReadLine(SettingsBytes& in, char* buf) {
  int stored = 0;
  bool any = false;
  bool lineFeed = false;
  char last = 0;  // the last byte before the line feed or the end, kept or not
  const char* bytes = nullptr;
  size_t n = 0;
  while (!lineFeed && in.Peek(&bytes, &n)) {
    any = true;
    const auto* feed = static_cast<const char*>(memchr(bytes, '\n', n));
    const size_t part = feed ? static_cast<size_t>(feed - bytes) : n;
    const size_t kept = std::min(part, static_cast<size_t>(kSettingsLineMax - stored));
    memcpy(buf + stored, bytes, kept);
    stored += static_cast<int>(kept);
    if (part > 0) last = bytes[part - 1];
    lineFeed = feed != nullptr;
    in.Take(feed ? part + 1 : part);
  }
  return survey::EndLine(buf, kSettingsLineMax, stored, any, lineFeed, last);
}

void LoadSaveSettings(int save) {
  if (!KnownModel(BuildConfig.modelIndex)) return;
  const ModelRow& row = BuildModel();

  const wchar_t* rootFolder = BuildConfig.storageRoot == 0 ? kDriveFolder : kStorageFolder;
  const wchar_t* fileFolder = row.settingsOnDrive ? kDriveFolder : rootFolder;
  CreateFolders(rootFolder);
  if (fileFolder != rootFolder) CreateFolders(fileFolder);

  wchar_t path[MAX_PATH];
  const int n = swprintf(path, MAX_PATH, L"%ls\\%ls", fileFolder, row.settingsFile);
  if (n < 0 || n >= MAX_PATH) return;

  if (save) {
    survey::ReplaceSettingsFile(path, row.settingsVersion, WriteSettings);
    return;
  }

  HANDLE file = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      survey::ReplaceSettingsFile(path, row.settingsVersion, WriteSettings);
    }
    return;  // any other failure (busy, denied) leaves the file and the values alone
  }
  char line[kSettingsLineMax];
  SettingsBytes in(file);
  const int length = ReadLine(in, line);
  const bool sameVersion = length == static_cast<int>(strlen(row.settingsVersion)) &&
                           memcmp(line, row.settingsVersion, static_cast<size_t>(length)) == 0;
  if (sameVersion) ReadSettings(in);
  CloseHandle(file);
  // Another program version or build: nothing is read, the values in force replace it.
  if (!sameVersion) survey::ReplaceSettingsFile(path, row.settingsVersion, WriteSettings);
}

}  // namespace handheld
