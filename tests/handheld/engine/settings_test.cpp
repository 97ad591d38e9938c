#include "engine/settings.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "engine/scale.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "engine_test_support.h"

namespace handheld {
namespace {

constexpr int32_t kPlotHeight = 200;

// Line numbers (0 = the version line) in the RZ12 build without the ice option.
constexpr int kLineAudio = 4;
constexpr int kLineColour0 = 22;
constexpr int kLineScale1Min = 31;
constexpr int kLineScale1Max = 32;
constexpr int kLineGpsPort = 36;
constexpr int kLineSurveyMode = 41;
constexpr int kLineSamples = 44;
constexpr int kLineIncrementAuto = 45;
constexpr int kLineInterval = 48;
constexpr int kLineSurveyLine = 49;
constexpr int kLineLineIncrement = 50;
constexpr int kLineStartStation = 53;
constexpr int kLineStationIncrement = 54;
constexpr int kRz12Lines = 55;

// What start-up sets before the load: the plot height, the reading timing, the per-model plot
// settings (component, dipole, the ZOL12 ranges and the factors) and the RZ27-MK2's portrait
// pause key.
void StartUpDefaults() {
  SurveySettingsData& s = SurveySettings;
  ScreenLayout.plotHeight = kPlotHeight;
  ComputeSampleDivisor();
  switch (BuildConfig.modelIndex) {
    case kModelRz27Dd:
      s.component = 2;
      s.dipole = 2;
      break;
    case kModelRz27:
    case kModelRz45:
      s.component = 2;
      s.dipole = 0;
      break;
    case kModelZol12:
      s.component = 0;
      s.dipole = 0;
      s.scale1Min = 0.0f;
      s.scale1Max = 10.0f;
      s.scale2Min = 0.0f;
      s.scale2Max = 20.0f;
      break;
    default:
      s.component = 0;
      s.dipole = 0;
      break;
  }
  PlotState.pxPerUnit0 = PixelsPerUnit(PlotState.pxPerUnit0, kPlotHeight, s.scale1Min, s.scale1Max);
  PlotState.pxPerUnit1 = PixelsPerUnit(PlotState.pxPerUnit1, kPlotHeight, s.scale2Min, s.scale2Max);
  if (BuildConfig.zolOptionAvailable) {
    PlotState.pxPerUnitIce =
        PixelsPerUnit(PlotState.pxPerUnitIce, kPlotHeight, s.iceScaleMin, s.iceScaleMax);
  }
  if (BuildConfig.modelIndex == kModelRz27Mk2 && ScreenLayout.portrait) s.pauseKey = 2;
}

// The settings as a new build starts with them, after start-up.
void FreshSettings() {
  ResetSurveySettings();
  ResetPlotState();
  ResetLinkState();
  ResetSurveyRun();
  StartUpDefaults();
}

// A value other than the initial one in every field, of every line kind.
void SetNonDefaults() {
  SurveySettingsData& s = SurveySettings;
  s.rz12Type = 1;
  s.zolEnabled = 1;
  s.showIceProfile = 1;
  s.seaWaterIndex = 10;
  s.iceScaleMin = 0.5f;
  s.iceScaleMax = 4.25f;
  s.displayUnits = 1;
  s.instrumentPort = 11;
  s.audio = 0;
  s.pauseKey = 3;
  for (int i = 0; i < 8; ++i) {
    s.traceVisible[i] = i % 2;
    s.traceThickness[i] = 1 + (i + 1) % 4;
    s.traceColour[i] = RGB(30 * i, 255 - i, 7 * i + 1);
  }
  s.traceColour[7] = 0x80FF00FFu;  // beyond 2^31: written as the signed 32-bit value
  s.gridScale = 2;
  s.scale1Min = -12.5f;
  s.scale1Max = 987.25f;
  s.scale2Min = -3.125f;
  s.scale2Max = 40.5f;
  s.gpsEnabled = 1;
  s.gpsPort = 11;
  s.gpsBaudIndex = 5;
  s.gpsDataBitsIndex = 0;
  s.gpsParityIndex = 2;
  s.gpsStopBitsIndex = 1;
  s.surveyMode = 2;
  s.component = 1;
  s.dipole = 5;
  s.samplesPerReading = 100;
  s.mk2Type = 1;
  for (int i = 0; i < 6; ++i) s.mk2Offset[i] = -1.5f + 0.25f * static_cast<float>(i);
  s.stationIncrementAuto = 2.5f;
  s.stationIncrementWheel = 0.75f;
  s.stationIncrementManual = 12.5f;
  s.readingInterval = 0.5f;
  wcscpy(s.surveyLine, L"L\u00C4\u20AC-9");  // CP1252 bytes C4 and 80
  s.lineIncrement = -2.5f;
  s.lineSequence = 1;
  s.lineDirection = 3;
  s.startStation = 123456.125;
  s.stationIncrement = 12.5f;
  s.softMarker = 1;
  s.markerPort = 11;
}

// ---- Files under the test's drive root, reached directly on Linux --------------------------

std::string LinuxPath(const std::string& rel) { return std::string(plat::DriveRoot()) + "/" + rel; }

bool Exists(const std::string& rel) { return std::filesystem::exists(LinuxPath(rel)); }

std::string ReadBytes(const std::string& rel) {
  std::ifstream in(LinuxPath(rel), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& rel, const std::string& bytes) {
  const std::filesystem::path p = LinuxPath(rel);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

std::vector<std::string> SplitCrLf(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = bytes.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines.push_back(bytes.substr(start, at - start));
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

// The file a build writes from its initial values, line by line.
std::vector<std::string> DefaultLines(int model, int zol) {
  const bool mk2 = model == kModelRz27Mk2;
  const bool zol12 = model == kModelZol12;
  std::vector<std::string> l = {model == kModelRz12 || model == kModelRz45 ? "CEVer2.11"
                                                                            : "CEVer2.10"};
  auto add = [&l](std::initializer_list<const char*> more) { l.insert(l.end(), more.begin(), more.end()); };
  if (model == kModelRz12) add({"0"});
  if (model == kModelRz12 && zol) add({"0", "0", "0", "0.000000", "5.000000"});
  add({"0", "0", "1", mk2 ? "2" : "0"});
  add({"1", "1", "1", "1", "1", "1", "1", "1"});
  add({"2", "2", "2", "2", "1", "1", "1", "1"});
  add({"16711680", "65280", "255", "16711935", "0", "65535", "16711935", "65280"});
  add({"0", "0.000000", zol12 ? "10.000000" : "500.000000", zol12 ? "0.000000" : "-25.000000",
       zol12 ? "20.000000" : "25.000000"});
  add({"0", "1", "1", "1", "0", "0", "0"});
  const char* component = model == kModelRz27Dd || model == kModelRz27 || model == kModelRz45 ? "2" : "0";
  add({component, model == kModelRz27Dd ? "2" : "0", "10"});
  if (mk2) add({"2", "0.000000", "0.000000", "0.000000", "0.000000", "0.000000", "0.000000"});
  add({"1.000000", "0.200000", "2.000000", zol12 ? "1.000000" : "0.200000", "0", "1.000000", "0",
       "1", "0.000000", "1.000000"});
  if (mk2) add({"0", "0"});
  return l;
}

const char* SettingsPath(int model, int root) {
  static const char* const kStorage[] = {
      "Storage/VLQINI/RZ12.INI", "Storage/VLQINI/RZ27B.INI", "Storage/VLQINI/RZ27D.INI",
      "Storage/VLQINI/RZ27.INI", "Storage/VLQINI/RZ45.INI",  "C_DRIVE/VLQINI/RZ89.INI",
      "Storage/VLQINI/ZOL12.INI", "Storage/VLQINI/RZ27MK2.INI"};
  static const char* const kDrive[] = {
      "C_DRIVE/VLQINI/RZ12.INI", "C_DRIVE/VLQINI/RZ27B.INI", "C_DRIVE/VLQINI/RZ27D.INI",
      "C_DRIVE/VLQINI/RZ27.INI", "C_DRIVE/VLQINI/RZ45.INI",  "C_DRIVE/VLQINI/RZ89.INI",
      "C_DRIVE/VLQINI/ZOL12.INI", "C_DRIVE/VLQINI/RZ27MK2.INI"};
  return root ? kStorage[model] : kDrive[model];
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::UseTempRoot(); }
  void TearDown() override {
    plat::test::Reset();
    ResetEngineState();
  }

  void Build(int model, int zol = 0, int root = 1) {
    test::UseBuild(model, zol, root);
    StartUpDefaults();
    path_ = SettingsPath(model, root);
  }

  // The non-default settings as the build writes them.
  std::string NonDefaultFile() {
    SetNonDefaults();
    LoadSaveSettings(1);
    std::string bytes = ReadBytes(path_);
    FreshSettings();
    return bytes;
  }

  std::string path_;
};

// ---- Default files ---------------------------------------------------------------------------

struct DefaultCase {
  int model;
  int zol;
  int root;
  size_t lines;
};

TEST_F(SettingsFileTest, MissingFileIsWrittenFromTheValuesInForce) {
  const DefaultCase cases[] = {
      {kModelRz12, 0, 1, 55},  {kModelRz12, 1, 1, 60},  {kModelRz12, 0, 0, 55},
      {kModelRz27B, 0, 1, 54}, {kModelRz27Dd, 0, 1, 54}, {kModelRz27, 0, 1, 54},
      {kModelRz45, 0, 1, 54},  {kModelRz89, 0, 1, 54},  {kModelRz89, 0, 0, 54},
      {kModelZol12, 0, 1, 54}, {kModelRz27Mk2, 0, 1, 63}, {kModelRz27Mk2, 0, 0, 63},
  };
  for (const DefaultCase& c : cases) {
    SCOPED_TRACE("model " + std::to_string(c.model) + " zol " + std::to_string(c.zol) + " root " +
                 std::to_string(c.root));
    plat::test::UseTempRoot();
    Build(c.model, c.zol, c.root);
    LoadSaveSettings(0);
    const std::vector<std::string> expected = DefaultLines(c.model, c.zol);
    ASSERT_EQ(expected.size(), c.lines);
    EXPECT_EQ(ReadBytes(path_), JoinCrLf(expected));
    EXPECT_FALSE(Exists(std::string(path_) + ".tmp"));
    // The root's own settings folder exists too, also when the file lives elsewhere.
    EXPECT_TRUE(std::filesystem::is_directory(LinuxPath(c.root ? "Storage/VLQINI" : "C_DRIVE/VLQINI")));
  }
}

TEST_F(SettingsFileTest, Rz89SettingsReloadUnderEitherRoot) {
  for (int root : {1, 0}) {
    SCOPED_TRACE(root);
    plat::test::UseTempRoot();
    Build(kModelRz89, 0, root);
    SurveySettings.gpsPort = 9;
    LoadSaveSettings(1);
    EXPECT_TRUE(Exists("C_DRIVE/VLQINI/RZ89.INI"));
    EXPECT_FALSE(Exists("Storage/VLQINI/RZ89.INI"));
    FreshSettings();
    LoadSaveSettings(0);
    EXPECT_EQ(SurveySettings.gpsPort, 9);
  }
}

// ---- Reload ----------------------------------------------------------------------------------

TEST_F(SettingsFileTest, EveryLineKindSurvivesAReload) {
  for (auto [model, zol] : {std::pair{kModelRz12, 1}, std::pair{kModelRz27Mk2, 0}}) {
    SCOPED_TRACE(model);
    plat::test::UseTempRoot();
    Build(model, zol);
    const std::string saved = NonDefaultFile();
    if (model == kModelRz12) {
      const std::vector<std::string> lines = SplitCrLf(saved);
      ASSERT_EQ(lines.size(), 60u);
      EXPECT_EQ(lines[6], "4.250000");                        // ice maximum
      EXPECT_EQ(lines[kLineColour0 + 5 + 7], "-2130771713");  // colour 0x80FF00FF
      EXPECT_EQ(lines[kLineSurveyLine + 5], "L\xC4\x80-9");   // name through CP1252
      EXPECT_EQ(lines[kLineStartStation + 5], "123456.125000");
    }

    LoadSaveSettings(0);
    EXPECT_EQ(ReadBytes(path_), saved);  // a load of a good file writes nothing
    const SurveySettingsData& s = SurveySettings;
    EXPECT_EQ(s.traceColour[7], 0x80FF00FFu);
    EXPECT_STREQ(s.surveyLine, L"L\u00C4\u20AC-9");
    EXPECT_EQ(s.surveyMode, 2);
    EXPECT_EQ(s.surveyModeChoice, 2);
    EXPECT_EQ(s.stationIncrement, s.stationIncrementManual);
    EXPECT_EQ(SurveyRun.station, 123456.125);
    EXPECT_EQ(PlotState.pxPerUnit0, 200.0f / (987.25f - -12.5f));
    EXPECT_EQ(PlotState.pxPerUnit1, 200.0f / (40.5f - -3.125f));
    if (zol) {
      EXPECT_EQ(PlotState.pxPerUnitIce, 200.0f / (4.25f - 0.5f));
    }
    EXPECT_EQ(LinkState.sampleDivisor, model == kModelRz12 ? 5 : 11);  // interval 0.5 s
    EXPECT_EQ(LinkState.readingsPerSecond, 2);

    // Every value written came back: saving again gives the same bytes.
    LoadSaveSettings(1);
    EXPECT_EQ(ReadBytes(path_), saved);
  }
}

TEST_F(SettingsFileTest, WheelModeWritesOnlyTheSignOfTheIncrement) {
  const struct {
    float increment;
    const char* line;
  } cases[] = {{-0.5f, "-1.000000"}, {0.0f, "1.000000"}, {3.0f, "1.000000"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Build(kModelRz12);
    SurveySettings.surveyMode = 1;
    SurveySettings.stationIncrementWheel = 0.75f;
    SurveySettings.stationIncrement = c.increment;
    LoadSaveSettings(1);
    EXPECT_EQ(SplitCrLf(ReadBytes(path_))[kLineStationIncrement], c.line);
    FreshSettings();
    LoadSaveSettings(0);
    EXPECT_EQ(SurveySettings.stationIncrement, 0.75f);
  }
}

TEST_F(SettingsFileTest, Zol12IntervalIsAlwaysOneSecond) {
  Build(kModelZol12);
  std::vector<std::string> lines = DefaultLines(kModelZol12, 0);
  lines[kLineInterval - 1] = "0.300000";  // no type line in this build
  WriteBytes(path_, JoinCrLf(lines));
  SurveySettings.readingInterval = 0.3f;
  LoadSaveSettings(0);
  EXPECT_EQ(SurveySettings.readingInterval, 1.0f);
  EXPECT_EQ(LinkState.sampleDivisor, 1);
  EXPECT_EQ(LinkState.readingsPerSecond, 1);
}

// ---- Files that are replaced -----------------------------------------------------------------

TEST_F(SettingsFileTest, ForeignFileIsReplacedByTheValuesInForce) {
  Build(kModelRz12);
  const std::string good = NonDefaultFile();
  std::string lfOnly;
  for (char c : good) {
    if (c != '\r') lfOnly += c;
  }
  std::string nul = good;
  nul.insert(9, std::string("\0", 1));

  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"another version", "CEVer2.10" + good.substr(9)},
      {"another build", JoinCrLf(DefaultLines(kModelRz27Mk2, 0))},
      {"line feeds only", lfOnly},
      {"NUL in the version line", nul},
      {"empty", ""},
      {"a single line feed", "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FreshSettings();
    SurveySettings.gpsPort = 7;  // a value in force that the old file does not hold
    WriteBytes(path_, c.bytes);
    LoadSaveSettings(0);
    std::vector<std::string> expected = DefaultLines(kModelRz12, 0);
    expected[kLineGpsPort] = "7";
    EXPECT_EQ(ReadBytes(path_), JoinCrLf(expected));
    EXPECT_EQ(SurveySettings.gpsPort, 7);
    EXPECT_EQ(SurveySettings.audio, 1);  // nothing was read from the old file
  }
}

// ---- Damaged files ---------------------------------------------------------------------------

TEST_F(SettingsFileTest, FileCutAtEveryByteLoadsWhatItHolds) {
  Build(kModelRz12, 1);
  SetNonDefaults();
  SurveySettings.surveyMode = 0;
  SurveySettings.stationIncrement = SurveySettings.stationIncrementAuto;
  LoadSaveSettings(1);
  const std::string full = ReadBytes(path_);
  const std::vector<std::string> fullLines = SplitCrLf(full);
  FreshSettings();
  LoadSaveSettings(1);
  const std::vector<std::string> defaultLines = SplitCrLf(ReadBytes(path_));
  ASSERT_EQ(fullLines.size(), defaultLines.size());
  const size_t stationIncrementLine = fullLines.size() - 1;

  for (size_t cut = 0; cut <= full.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    FreshSettings();
    const std::string bytes = full.substr(0, cut);
    WriteBytes(path_, bytes);
    LoadSaveSettings(0);
    if (cut < strlen("CEVer2.11")) {
      EXPECT_EQ(ReadBytes(path_), JoinCrLf(defaultLines));  // version unreadable: replaced
      continue;
    }
    ASSERT_EQ(ReadBytes(path_), bytes);  // the load never rewrites a file of its version
    EXPECT_FALSE(Exists(std::string(path_) + ".tmp"));
    EXPECT_EQ(SurveySettings.stationIncrement, SurveySettings.stationIncrementAuto);
    EXPECT_EQ(SurveyRun.station, SurveySettings.startStation);

    LoadSaveSettings(1);
    const std::vector<std::string> now = SplitCrLf(ReadBytes(path_));
    ASSERT_EQ(now.size(), fullLines.size());
    size_t start = 0;
    for (size_t i = 0; i < fullLines.size(); start += fullLines[i].size() + 2, ++i) {
      if (i == stationIncrementLine) continue;  // replaced by the kept increment
      const size_t end = start + fullLines[i].size() + 2;
      if (end <= cut) {
        EXPECT_EQ(now[i], fullLines[i]) << "line " << i;
      } else if (start >= cut) {
        EXPECT_EQ(now[i], defaultLines[i]) << "line " << i;
      }
    }
  }
}

TEST_F(SettingsFileTest, EmptyLinesReadAsZeroAndKeepTheFactorsInForce) {
  Build(kModelRz12, 1);
  PlotState.pxPerUnit0 = 0.4f;
  PlotState.pxPerUnit1 = 4.0f;
  PlotState.pxPerUnitIce = 40.0f;
  const std::string bytes = "CEVer2.11\r\n" + std::string(59, '\n');
  WriteBytes(path_, bytes);
  LoadSaveSettings(0);
  EXPECT_EQ(ReadBytes(path_), bytes);
  const SurveySettingsData& s = SurveySettings;
  EXPECT_EQ(s.audio, 0);
  EXPECT_EQ(s.traceColour[0], 0u);
  EXPECT_EQ(s.scale1Max, 0.0f);
  EXPECT_STREQ(s.surveyLine, L"");
  EXPECT_EQ(PlotState.pxPerUnit0, 0.4f);  // empty ranges: factors in force
  EXPECT_EQ(PlotState.pxPerUnit1, 4.0f);
  EXPECT_EQ(PlotState.pxPerUnitIce, 40.0f);
  EXPECT_EQ(s.readingInterval, 0.0f);
  EXPECT_EQ(LinkState.sampleDivisor, 1);
  EXPECT_EQ(LinkState.readingsPerSecond, 11);
}

TEST_F(SettingsFileTest, DamagedLinesLoadToDefinedValues) {
  using Check = std::function<void()>;
  const SurveySettingsData& s = SurveySettings;
  const std::string longLine(10000, 'A');
  const struct {
    const char* name;
    std::vector<std::pair<int, std::string>> edits;  // line number, new text
    bool lastLine;  // the file ends after the last edited line, without CR LF
    Check check;
  } cases[] = {
      {"10,000-byte name", {{kLineSurveyLine, longLine}}, false,
       [&] {
         EXPECT_STREQ(s.surveyLine, L"AAAAAAAAAAA");
         EXPECT_EQ(s.lineIncrement, -2.5f);  // the next line is read whole
       }},
      {"10,000 digits", {{kLineSamples, std::string(10000, '7')}}, false,
       [&] {
         EXPECT_EQ(s.samplesPerReading, INT_MAX);
         EXPECT_EQ(s.stationIncrementAuto, 2.5f);
       }},
      {"10,000 bytes without line feed", {{kLineSurveyLine, longLine}}, true,
       [&] {
         EXPECT_STREQ(s.surveyLine, L"AAAAAAAAAAA");
         EXPECT_EQ(s.lineIncrement, 1.0f);  // missing: the value in force
       }},
      {"30-character name", {{kLineSurveyLine, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"}}, false,
       [&] { EXPECT_STREQ(s.surveyLine, L"ABCDEFGHIJK"); }},
      {"NUL in a number", {{kLineGpsPort, std::string("3\0009", 3)}}, false,
       [&] { EXPECT_EQ(s.gpsPort, 3); }},
      {"NUL in the name", {{kLineSurveyLine, std::string("AB\0CD", 5)}}, false,
       [&] { EXPECT_STREQ(s.surveyLine, L"AB"); }},
      {"binary bytes", {{kLineAudio, "\xFF\xFE\x01"}}, false, [&] { EXPECT_EQ(s.audio, 0); }},
      {"CP1252 name", {{kLineSurveyLine, "\x80\x9F\xE9"}}, false,
       [&] { EXPECT_STREQ(s.surveyLine, L"\u20AC\u0178\u00E9"); }},
      {"integer abc", {{kLineGpsPort, "abc"}}, false, [&] { EXPECT_EQ(s.gpsPort, 0); }},
      {"integer 0x10", {{kLineGpsPort, "0x10"}}, false, [&] { EXPECT_EQ(s.gpsPort, 0); }},
      {"integer past 32 bits", {{kLineGpsPort, "99999999999"}}, false,
       [&] { EXPECT_EQ(s.gpsPort, INT_MAX); }},
      {"integer below 32 bits", {{kLineGpsPort, "-99999999999"}}, false,
       [&] { EXPECT_EQ(s.gpsPort, INT_MIN); }},
      {"colour -1", {{kLineColour0, "-1"}}, false, [&] { EXPECT_EQ(s.traceColour[0], 0xFFFFFFFFu); }},
      {"float inf", {{kLineScale1Max, "inf"}}, false, [&] { EXPECT_EQ(s.scale1Max, 0.0f); }},
      {"float nan", {{kLineScale1Max, "nan"}}, false, [&] { EXPECT_EQ(s.scale1Max, 0.0f); }},
      {"float 1e999", {{kLineScale1Max, "1e999"}}, false, [&] { EXPECT_EQ(s.scale1Max, 0.0f); }},
      {"float beyond single precision", {{kLineScale1Max, "1e39"}}, false,
       [&] { EXPECT_EQ(s.scale1Max, 0.0f); }},
      {"float with trailing text", {{kLineScale1Min, " -2.5e3x"}}, false,
       [&] {
         EXPECT_EQ(s.scale1Min, -2500.0f);
         EXPECT_EQ(PlotState.pxPerUnit0, 200.0f / (987.25f + 2500.0f));
       }},
      {"start station", {{kLineStartStation, "-1e300"}}, false,
       [&] { EXPECT_EQ(SurveyRun.station, -1e300); }},
      {"survey mode out of range", {{kLineSurveyMode, "7"}, {kLineStationIncrement, "-4.000000"}}, false,
       [&] {
         EXPECT_EQ(s.surveyModeChoice, 7);
         EXPECT_EQ(s.stationIncrement, -4.0f);  // no kept increment: the line's value stays
       }},
      {"interval 1e30", {{kLineInterval, "1e30"}}, false,
       [&] {
         EXPECT_EQ(LinkState.sampleDivisor, 1 << 30);
         EXPECT_EQ(LinkState.readingsPerSecond, 1);
       }},
      {"interval -1", {{kLineInterval, "-1"}}, false,
       [&] {
         EXPECT_EQ(LinkState.sampleDivisor, 1);
         EXPECT_EQ(LinkState.readingsPerSecond, 1);
       }},
  };

  Build(kModelRz12);
  const std::vector<std::string> good = SplitCrLf(NonDefaultFile());
  ASSERT_EQ(good.size(), static_cast<size_t>(kRz12Lines));
  ASSERT_EQ(good[kLineLineIncrement], "-2.500000");
  ASSERT_EQ(good[kLineIncrementAuto], "2.500000");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines = good;
    for (const auto& [line, text] : c.edits) lines[line] = text;
    std::string bytes;
    if (c.lastLine) {
      lines.resize(c.edits.back().first + 1);
      bytes = JoinCrLf(lines);
      bytes.resize(bytes.size() - 2);
    } else {
      bytes = JoinCrLf(lines);
    }
    FreshSettings();
    WriteBytes(path_, bytes);
    LoadSaveSettings(0);
    EXPECT_EQ(ReadBytes(path_), bytes);
    c.check();
  }
}

// ---- Files that cannot be opened or written --------------------------------------------------

TEST_F(SettingsFileTest, FileThatCannotBeOpenedIsLeftAlone) {
  Build(kModelRz12);
  const std::string saved = NonDefaultFile();

  // Injected: the open fails with a sharing violation.
  SurveySettings.gpsPort = 7;
  plat::test::FailCreateFile("*RZ12.INI", ERROR_SHARING_VIOLATION, 1);
  LoadSaveSettings(0);
  EXPECT_EQ(ReadBytes(path_), saved);
  EXPECT_EQ(SurveySettings.gpsPort, 7);
  EXPECT_EQ(SurveySettings.audio, 1);

  // Real: another open holds the file exclusively.
  HANDLE held = CreateFileW(L"Storage\\VLQINI\\RZ12.INI", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  LoadSaveSettings(0);
  CloseHandle(held);
  EXPECT_EQ(ReadBytes(path_), saved);
  EXPECT_EQ(SurveySettings.gpsPort, 7);
}

TEST_F(SettingsFileTest, FailedSaveKeepsTheOldFileWhole) {
  Build(kModelRz12);
  const std::string saved = NonDefaultFile();
  SurveySettings.gpsPort = 7;

  plat::test::FailCreateFile("*RZ12.INI.tmp", ERROR_ACCESS_DENIED, 1);
  LoadSaveSettings(1);
  EXPECT_EQ(ReadBytes(path_), saved);

  plat::test::FailWritesAfter(100);  // disk full in the middle of the file
  LoadSaveSettings(1);
  EXPECT_EQ(ReadBytes(path_), saved);
  EXPECT_FALSE(Exists(std::string(path_) + ".tmp"));
  EXPECT_EQ(SurveySettings.gpsPort, 7);

  plat::test::ClearFaults();
  LoadSaveSettings(1);  // once the faults are gone the save lands
  EXPECT_EQ(SplitCrLf(ReadBytes(path_))[kLineGpsPort], "7");
}

TEST_F(SettingsFileTest, UnwritableFolderLeavesTheValuesInMemory) {
  Build(kModelRz12);
  WriteBytes("Storage/VLQINI", "not a folder");
  SurveySettings.gpsPort = 7;
  LoadSaveSettings(0);
  LoadSaveSettings(1);
  EXPECT_EQ(SurveySettings.gpsPort, 7);
  EXPECT_EQ(ReadBytes("Storage/VLQINI"), "not a folder");
}

// ---- The line reader -------------------------------------------------------------------------

// The same lines from the file (read in blocks: the bytes run past the first) and from memory.
TEST_F(SettingsFileTest, ReadLineSplitsLinesWithinItsBuffer) {
  Build(kModelRz12);
  const std::string bytes = "ab\r\n\ncd\n" + std::string(300, 'x') + "\r\n" + std::string(255, 'y') +
                            "\r\n" + "last\r";
  ASSERT_GT(bytes.size(), 512u);
  WriteBytes("Storage/lines.txt", bytes);
  HANDLE f = CreateFileW(L"Storage\\lines.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  SettingsBytes fromFile(f);
  SettingsBytes fromMemory(bytes.data(), bytes.size());
  const std::string expected[] = {"ab", "", "c", std::string(255, 'x'), std::string(255, 'y'), "last"};
  for (SettingsBytes* in : {&fromFile, &fromMemory}) {
    SCOPED_TRACE(in == &fromFile ? "file" : "memory");
    char buf[kSettingsLineMax + 16];
    memset(buf, '#', sizeof buf);
    for (const std::string& e : expected) {
      EXPECT_EQ(ReadLine(*in, buf), static_cast<int>(e.size()));
      EXPECT_EQ(std::string(buf), e);
    }
    EXPECT_EQ(ReadLine(*in, buf), -1);
    EXPECT_EQ(buf[kSettingsLineMax], '#');  // nothing past the buffer
  }
  CloseHandle(f);
}

// ---- Pixels per unit -------------------------------------------------------------------------

TEST(PixelsPerUnitTest, EmptyOrOverflowingRangeKeepsTheFactorInForce) {
  const struct {
    int32_t height;
    float min, max, expected;
  } cases[] = {
      {200, 0.0f, 500.0f, 0.4f},
      {200, -25.0f, 25.0f, 4.0f},
      {200, 5.0f, 5.0f, 9.0f},            // empty range
      {200, 0.0f, 1e-45f, 9.0f},          // quotient not finite
      {200, -FLT_MAX, FLT_MAX, 0.0f},     // range overflows: factor 0, still finite
      {200, 500.0f, 0.0f, -0.4f},         // reversed range: a defined negative factor
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PixelsPerUnit(9.0f, c.height, c.min, c.max), c.expected) << c.min << " " << c.max;
  }
}

}  // namespace
}  // namespace handheld
