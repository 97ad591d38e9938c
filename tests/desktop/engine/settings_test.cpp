// The desktop settings file: default files byte for byte per model, every line kind through a
// save and a load, the values a load derives, replaced foreign files, and damaged files that load
// to defined values.
#include "engine/settings.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "desktop_test_support.h"
#include "engine/models.h"
#include "engine/state.h"
#include "engine/timing.h"

namespace desktop {
namespace {

constexpr const char* kFolder = "C/RZ12/";

// Value lines of a new RZ12 file, after the version line.
const std::vector<std::string> kRz12Values = {
    "C:\\", "0", "0", "0", "0", "0", "1", "0",                                        // folder .. pause key
    "1", "1", "1", "1", "1", "1", "1", "1",                                           // visible
    "2", "2", "2", "2", "1", "1", "1", "1",                                           // thickness
    "16711680", "65280", "255", "16711935", "0", "65535", "16711935", "65280",        // colours
    "0", "0", "0.000000", "500.000000", "-25.000000", "25.000000",                    // scales
    "1", "3", "1", "1", "0", "0", "0", "0", "0", "10",                                // GPS .. samples
    "1.000000", "0.200000", "2.000000", "0.200000", "1", "1.000000", "0", "1", "0.000000", "10.500000",
};
constexpr int kLineScale1Max = 36;  // line numbers, the version line being 0
constexpr int kLineComponent = 46;
constexpr int kLineSamples = 48;
constexpr int kLineInterval = 52;

std::string Join(const std::vector<std::string>& values) {
  std::string text = "Ver1.06\r\n";
  for (const std::string& v : values) text += v + "\r\n";
  return text;
}

using survey::test::CrLfLines;

class SettingsTest : public test::EngineTest {
 protected:
  // A build started as the main window's creation starts it: the sample divisor, the defaults,
  // then two loads.
  void StartUp(int32_t model) {
    test::UseBuild(model);
    test::UseDesktopRoot();
    ComputeSampleDivisor();
    SetDefaultSettings();
    LoadSaveSettings(0);
    LoadSaveSettings(0);
  }
  static std::string FileText() { return test::RootFileBytes(std::string(kFolder) + ThisModel().settingsFile); }
  static void WriteFileText(const std::string& text) {
    std::ofstream(std::string(plat::DriveRoot()) + "/" + kFolder + ThisModel().settingsFile, std::ios::binary)
        << text;
  }
  // Loads `text` as the settings file, from the start-up state of the build.
  static void Load(const std::string& text) {
    WriteFileText(text);
    LoadSaveSettings(0);
  }
};

TEST_F(SettingsTest, NewFilesOfEachBuildByteForByte) {
  auto with = [](std::vector<std::string> v, int line, const char* value) {
    v[line - 1] = value;
    return v;
  };
  std::vector<std::string> mk2 = kRz12Values;
  mk2.insert(mk2.begin() + kLineSamples, {"2", "0.000000", "0.000000", "0.000000", "0.000000", "0.000000", "0.000000"});
  mk2.insert(mk2.end(), {"1", "1"});
  const auto rz56 = with(kRz12Values, kLineScale1Max, "2000.000000");
  const struct {
    int32_t model;
    const char* file;
    std::vector<std::string> values;
    int32_t recordLength;
  } cases[] = {
      {kModelRz12, "RZ12XP.INI", kRz12Values, 24},
      {kModelRz27Mk2, "RZ27MK2XP.INI", mk2, 26},
      {kModelRz56Mk2, "RZ56MK2XP.INI", rz56, 24},
      {kModelRz56, "RZ56XP.INI", rz56, 24},
      {kModelRz27Dd, "RZ27DXP.INI", with(with(kRz12Values, kLineComponent, "2"), kLineComponent + 1, "2"), 24},
      {kModelRz27, "RZ27XP.INI", with(kRz12Values, kLineComponent, "2"), 24},
      {kModelRz45, "RZ45XP.INI", with(kRz12Values, kLineComponent, "2"), 24},
      {kModelRz27B, "RZ27BXP.INI", kRz12Values, 24},
      {kModelZol12, "CE12XP.INI", with(kRz12Values, kLineInterval, "1.000000"), 24},
      {kModelRz89, "RZ89XP.INI", kRz12Values, 24},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    StartUp(c.model);
    EXPECT_STREQ(ThisModel().settingsFile, c.file);
    EXPECT_EQ(FileText(), Join(c.values));
    EXPECT_EQ(BuildConfig.recordLength, c.recordLength);
  }
  EXPECT_EQ(kRz12Values.size() + 1, 59u);
  EXPECT_EQ(mk2.size() + 1, 68u);
}

TEST_F(SettingsTest, EveryLineKindSurvivesASaveAndALoad) {
  StartUp(kModelRz27Mk2);
  SurveySettingsData& s = SurveySettings;
  strcpy(s.dataFolder, "C:\\SURVEY\\\xE9t\xE9\\");
  s.rz56SensorSize = 2;
  s.traceColour[3] = static_cast<int32_t>(0xFF00FF00u);  // a colour whose top bit is set
  s.traceThickness[7] = 4;
  s.scale2Min = -12.5f;
  s.mk2Offset[5] = -3.25f;
  s.readingInterval = 0.25f;
  strcpy(s.surveyLine, "L-12\xB0");
  s.startStation = -1234567.5;
  s.batteryWarning = 11.75f;
  s.markerPort = 12;
  ASSERT_TRUE(LoadSaveSettings(1));
  const std::string saved = FileText();
  const SurveySettingsData kept = s;

  ResetObject(SurveySettings);
  LoadSaveSettings(0);
  EXPECT_STREQ(s.dataFolder, kept.dataFolder);
  EXPECT_EQ(s.rz56SensorSize, 2);
  EXPECT_EQ(s.traceColour[3], kept.traceColour[3]);
  EXPECT_EQ(s.traceThickness[7], 4);
  EXPECT_EQ(s.scale2Min, -12.5f);
  EXPECT_EQ(s.mk2Offset[5], -3.25f);
  EXPECT_STREQ(s.surveyLine, kept.surveyLine);
  EXPECT_EQ(s.startStation, -1234567.5);
  EXPECT_EQ(s.batteryWarning, 11.75f);
  EXPECT_EQ(s.markerPort, 12);
  EXPECT_EQ(Watchdog.readingIntervalMs, 250);
  ASSERT_TRUE(LoadSaveSettings(1));
  EXPECT_EQ(FileText(), saved);
}

TEST_F(SettingsTest, TheLoadDerivesFlagTimingIncrementStationAndGrid) {
  StartUp(kModelRz12);
  std::vector<std::string> v = kRz12Values;

  // The N.C.C. flag follows the RZ56 type at every load.
  v[1] = "2";
  Load(Join(v));
  EXPECT_EQ(Rz56Calibration.nccFlag, 1);
  v[1] = "0";
  Load(Join(v));
  EXPECT_EQ(Rz56Calibration.nccFlag, 0);

  // The survey mode chooses the increment in force; the station is the start station.
  const struct {
    const char* mode;
    float increment;
  } modes[] = {{"0", 1.0f}, {"1", 0.2f}, {"2", 2.0f}};
  for (const auto& m : modes) {
    v[kLineSamples - 4] = m.mode;
    v[kLineSamples + 8] = "-12.500000";  // start station
    v[kLineInterval - 1] = "0.250000";
    Load(Join(v));
    EXPECT_EQ(SurveySettings.surveyModeChoice, std::atoi(m.mode));
    EXPECT_EQ(SurveySettings.stationIncrement, m.increment) << m.mode;
    EXPECT_EQ(SurveyRun.station, -12.5);
    EXPECT_EQ(Watchdog.readingIntervalMs, 250);
    EXPECT_EQ(LinkState.sampleDivisor, 3);  // 250 / 91 + 0.5
  }

  // The logging window's load at the real plot height: the factors and the grid group's rows.
  const struct {
    int32_t model;
    const char* gridScale;
    int32_t zeroRow;
  } grids[] = {{kModelRz12, "0", 307}, {kModelRz12, "1", 191}, {kModelRz56Mk2, "1", 307}};
  for (const auto& g : grids) {
    StartUp(g.model);
    std::vector<std::string> values = CrLfLines(FileText());
    values.erase(values.begin());
    values[kLineScale1Max - 3] = g.gridScale;
    values[kLineScale1Max - 1] = "500.000000";
    ScreenLayout.plotHeight = 384;
    Load(Join(values));
    EXPECT_FLOAT_EQ(PlotState.pxPerUnit0, 0.768f);
    EXPECT_FLOAT_EQ(PlotState.pxPerUnit1, 7.68f);
    EXPECT_EQ(PlotState.grid[1], g.zeroRow) << g.model << " grid " << g.gridScale;
  }

  // The GPS display table.
  EXPECT_STREQ(GpsState.ggaName, "GGA");
  EXPECT_EQ(GpsState.ggaItemCount, 6);
  EXPECT_EQ(std::vector<int32_t>(GpsState.ggaItemOrder, GpsState.ggaItemOrder + 6),
            (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(std::vector<int32_t>(GpsState.ggaFieldNumber, GpsState.ggaFieldNumber + 6),
            (std::vector<int32_t>{8, 7, 4, 3, 6, 5}));
}

TEST_F(SettingsTest, ForeignFilesAreReplacedByTheValuesInForce) {
  StartUp(kModelRz12);
  const std::string fresh = FileText();
  std::string older = fresh;
  older.replace(0, 7, "Ver1.05");
  std::string lfOnly = fresh;
  lfOnly.erase(std::remove(lfOnly.begin(), lfOnly.end(), '\r'), lfOnly.end());
  const struct {
    std::string text;
    bool replaced;
  } cases[] = {
      {older, true},
      {lfOnly, true},   // the version line loses its last character to the missing CR
      {"", true},
      {"Ver1.06", false},  // the right version with no lines: read as it stands, kept
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 12));
    SurveySettings.gpsPort = 7;  // a value in force that the foreign file does not hold
    Load(c.text);
    EXPECT_EQ(SurveySettings.gpsPort, 7);
    if (!c.replaced) {
      EXPECT_EQ(FileText(), c.text);
      continue;
    }
    const std::vector<std::string> lines = CrLfLines(FileText());
    ASSERT_EQ(lines.size(), 59u);
    EXPECT_EQ(lines[0], "Ver1.06");
    EXPECT_EQ(lines[40], "7");
  }
}

TEST_F(SettingsTest, DamagedFilesLoadToDefinedValues) {
  StartUp(kModelRz27Mk2);
  const std::string full = FileText();

  // Cut at every byte: the lines there are read, the rest keep their values, nothing overruns.
  for (size_t cut = 0; cut <= full.size(); ++cut) {
    ResetObject(SurveySettings);
    Load(full.substr(0, cut));
    ASSERT_TRUE(std::isfinite(PlotState.pxPerUnit0)) << cut;
    ASSERT_TRUE(std::isfinite(PlotState.pxPerUnit1)) << cut;
  }

  std::vector<std::string> v = CrLfLines(full);
  v.erase(v.begin());
  const std::string longFolder(300, 'F');
  const std::string longName(30, 'N');
  const int folder = 0, visible0 = 8, colour0 = 24, scale1Min = kLineScale1Max - 2, gpsPort = 39,
            surveyLine = kLineInterval + 7, startStation = surveyLine + 4;
  v[folder] = longFolder;
  v[visible0] = std::string(10000, '7');                   // a 10,000-byte line
  v[visible0 + 1] = std::string("12\0" "34", 5);           // a NUL inside a line
  v[colour0] = "99999999999";                              // past 32 bits: saturates
  v[colour0 + 1] = "-99999999999";
  v[scale1Min] = "40.000000";                              // max = min ...
  v[scale1Min + 1] = "40.000000";
  v[scale1Min + 2] = "inf";                                // ... and non-numbers
  v[scale1Min + 3] = "nan";
  v[gpsPort] = "0x10";
  v[surveyLine] = longName;
  v[startStation] = "1e999";
  ScreenLayout.plotHeight = 384;
  Load(Join(v));
  const SurveySettingsData& s = SurveySettings;
  EXPECT_EQ(std::string(s.dataFolder), longFolder.substr(0, 263));
  EXPECT_EQ(s.traceVisible[0], 2147483647);  // the long line's first 511 digits saturate
  EXPECT_EQ(s.traceVisible[1], 12);
  EXPECT_EQ(s.traceColour[0], 2147483647);
  EXPECT_EQ(s.traceColour[1], -2147483647 - 1);
  EXPECT_EQ(s.scale1Min, 40.0f);
  EXPECT_EQ(s.scale1Max, 140.0f);  // widened as the scale dialog widens it
  EXPECT_FLOAT_EQ(PlotState.pxPerUnit0, 3.84f);
  EXPECT_EQ(s.scale2Min, 0.0f);
  EXPECT_EQ(s.scale2Max, 10.0f);
  EXPECT_FLOAT_EQ(PlotState.pxPerUnit1, 38.4f);
  EXPECT_EQ(s.gpsPort, 0);
  EXPECT_EQ(std::string(s.surveyLine), longName.substr(0, 11));
  EXPECT_EQ(s.startStation, 0.0);
  EXPECT_EQ(s.markerPort, 1);  // the lines after the damage are read in their places
}

TEST_F(SettingsTest, AGoneStartFolderOrAFailedSaveKeepsTheValuesAndTheOldFile) {
  StartUp(kModelRz12);
  const std::string before = FileText();

  // A failed save leaves the old file whole.
  SurveySettings.gpsPort = 9;
  plat::test::FailWritesAfter(100, ERROR_DISK_FULL);
  EXPECT_FALSE(LoadSaveSettings(1));
  plat::test::ClearFaults();
  EXPECT_EQ(FileText(), before);

  // The start folder is gone: nothing is written anywhere, the values stay in memory.
  strcpy(MainMenu.startFolder, "C:\\GONE");
  EXPECT_FALSE(LoadSaveSettings(0));
  EXPECT_FALSE(LoadSaveSettings(1));
  EXPECT_EQ(SurveySettings.gpsPort, 9);
  EXPECT_TRUE(test::RootFileBytes("C/GONE/RZ12XP.INI").empty());
  EXPECT_EQ(FileText(), before);
}

}  // namespace
}  // namespace desktop
