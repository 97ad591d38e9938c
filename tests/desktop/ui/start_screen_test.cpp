// The start screen's choices: menu keys, titles, version and splash by build, the summary texts and
// the setup templates.
#include "ui/start_screen.h"

#include <gtest/gtest.h>

#include "desktop_test_support.h"

namespace desktop {
namespace {

TEST(MainMenuKeys, SelectionMovesWrapAndLettersOrEnterAct) {
  const struct {
    int32_t mode;
    int32_t selected;
    WPARAM wParam;
    bool monitorVariant;
    MenuAction action;
    int32_t selectedAfter;
    bool moved;
  } cases[] = {
      {0, 6, 9, false, MenuAction::kNone, 0, true},    // Tab from Exit to Logging
      {0, 6, 39, false, MenuAction::kNone, 0, true},   // Right
      {0, 6, 40, false, MenuAction::kNone, 0, true},   // Down
      {0, 0, 37, false, MenuAction::kNone, 6, true},   // Left from Logging to Exit
      {0, 0, 38, false, MenuAction::kNone, 6, true},   // Up
      {0, 2, 40, false, MenuAction::kNone, 3, true},
      {0, 3, 13, false, MenuAction::kGpsPortSetup, 3, false},  // Enter presses the selection
      {0, 0, 'L', false, MenuAction::kLogging, 0, false},
      {0, 0, 'l', false, MenuAction::kLogging, 0, false},
      {0, 0, 'T', false, MenuAction::kSystemSetup, 0, false},
      {0, 0, 'o', false, MenuAction::kGpsMonitoring, 0, false},
      {0, 0, 120, false, MenuAction::kExit, 0, false},  // F9 is the code of 'x'
      {0, 0, 112, false, MenuAction::kProfilesOptions, 0, false},
      {0, 0, 'Z', false, MenuAction::kNone, 0, false},
      {0, 0, 424, false, MenuAction::kGpsMonitoring, 0, false},  // a button
      {1, 0, 'L', false, MenuAction::kNone, 0, false},  // keys act on the start screen only
      {2, 0, 9, false, MenuAction::kNone, 0, false},
      {0, 0, 'S', true, MenuAction::kNone, 0, false},   // the monitoring variant ignores S and P
      {0, 0, 'P', true, MenuAction::kNone, 0, false},
      {0, 0, 421, true, MenuAction::kNone, 0, false},
      {0, 1, 13, true, MenuAction::kNone, 1, false},
      {0, 0, 'X', true, MenuAction::kExit, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " wParam " << c.wParam);
    const MainMenuStep step = DecodeMainMenu(c.mode, c.selected, c.wParam, c.monitorVariant);
    EXPECT_EQ(step.action, c.action);
    EXPECT_EQ(step.selected, c.selectedAfter);
    EXPECT_EQ(step.moved, c.moved);
  }
}

TEST(StartScreenTexts, TitlesVersionAndSplashByBuild) {
  const struct {
    int32_t model;
    int32_t gpsSimulator;
    int32_t monitorVariant;
    const char* window;
    const char* screen;
    const char* version;
    const char* splash;  // null: none
  } cases[] = {
      {kModelRz56, 0, 0, "RZ56xp", "RZ56xp", "V 1.06", "SPLASH56MK2"},
      {kModelRz56Mk2, 0, 0, "RZ56MK2xp", "RZ56MK2xp", "V 1.06", "SPLASH56MK2"},
      {kModelRz12, 0, 0, "RZ12xp", "RZ12xp", "V 1.06", "SPLASH12"},
      {kModelRz12, 1, 0, "RZ12xp", "RZ12xp", "V 1.06 SYMULATOR", "SPLASH12"},
      {kModelRz27Dd, 0, 0, "RZ27DDxp", "RZ27DDxp", "V 1.06", "SPLASH27DD"},
      {kModelRz45, 0, 0, "RZ45-3xp", "RZ45-3xp", "V 1.06", "SPLASH45"},
      {kModelRz89, 0, 0, "RZ89xp", "RZ89xp", "V 1.06", "SPLASH27MK2"},
      {kModelZol12, 0, 0, "ZOL12xp", "ZOL12xp", "V 1.06", nullptr},
      {kModelRz27Mk2, 0, 0, "RZ27MK2xp", "RZ27-MK2xp", "V 1.06", "SPLASH27MK2"},
      {kModelRz27Mk2, 1, 1, "RZ27MK2xp - Monitor", "RZ27MK2xp", "V 1.02 Monitor", "SPLASH27MK2"},
      {kModelRz12, 0, 1, "RZ12xp", "RZ12xp", "V 1.06", "SPLASH12"},  // the switch counts on the RZ27-MK2 only
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.window);
    BuildSwitches b;
    b.modelIndex = c.model;
    b.gpsSimulator = c.gpsSimulator;
    b.monitorVariant = c.monitorVariant;
    EXPECT_STREQ(MainWindowTitle(b), c.window);
    EXPECT_STREQ(StartScreenTitle(b), c.screen);
    EXPECT_STREQ(VersionText(b), c.version);
    EXPECT_STREQ(SplashName(b), c.splash);
  }
}

TEST(StartScreenTexts, SummaryOfFreshSettingsOnTheRz12) {
  const SettingsSummaryTexts t = SummarizeSettings(SurveySettingsData{}, RowOf(kModelRz12));
  const char* left[6][2] = {{"Survey Mode:", "AUTO"},   {"Readings/second:", "5.00"}, {"Survey Line:", "1"},
                            {"Line Increment:", "1.00"}, {"Start Station:", "0.000"},  {"Station Increment:", "1.000"}};
  const char* right[6][2] = {{"RZ12 Type:", "Standard"}, {"Dipole:", "Vertical"},  {"RZ12 Port:", "COM1"},
                             {"GPS Sensor:", "Enabled"}, {"GPS Port:", "COM4"},    {"Pause Key:", "any key"}};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(t.left[i].label, left[i][0]);
    EXPECT_EQ(t.left[i].value, left[i][1]);
    EXPECT_EQ(t.right[i].label, right[i][0]);
    EXPECT_EQ(t.right[i].value, right[i][1]);
  }
}

TEST(StartScreenTexts, SummaryValuesBySettingAndModel) {
  struct Case {
    const char* name;
    int32_t model;
    void (*edit)(SurveySettingsData&);
    bool left;  // the left column, else the right
    int row;
    const char* label;
    const char* value;
  };
  const Case cases[] = {
      {"RZ45 manual dipole 3", kModelRz45, [](SurveySettingsData& s) { s.surveyMode = 2, s.dipole = 3; }, false, 1,
       "Dipole:", "4 readings"},
      {"RZ45 auto dipole 3", kModelRz45, [](SurveySettingsData& s) { s.dipole = 3; }, false, 1, "Dipole:",
       "Horizontal-10 m"},
      {"RZ45 component", kModelRz45, [](SurveySettingsData&) {}, false, 0, "Component:", "Conductivity"},
      {"wheel", kModelRz12, [](SurveySettingsData& s) { s.surveyMode = 1; }, true, 1, "Readings/second:", "N/A"},
      {"manual", kModelRz12, [](SurveySettingsData& s) { s.surveyMode = 2, s.samplesPerReading = 7; }, true, 1,
       "Samples/Reading:", "7"},
      {"mode 9", kModelRz12, [](SurveySettingsData& s) { s.surveyMode = 9; }, true, 0, "Survey Mode:", "9"},
      {"interval 0", kModelRz12, [](SurveySettingsData& s) { s.readingInterval = 0; }, true, 1, "Readings/second:",
       "1.00"},
      {"interval -2", kModelRz12, [](SurveySettingsData& s) { s.readingInterval = -2; }, true, 1,
       "Readings/second:", "1.00"},
      {"gps off sensor", kModelRz12, [](SurveySettingsData& s) { s.gpsEnabled = 0; }, false, 3, "GPS Sensor:",
       "Disabled"},
      {"gps off port", kModelRz12, [](SurveySettingsData& s) { s.gpsEnabled = 0; }, false, 4, "GPS Port:", "N/A"},
      {"gps 2 port", kModelRz12, [](SurveySettingsData& s) { s.gpsEnabled = 2; }, false, 4, "GPS Port:", "COM4"},
      {"gps 2 sensor", kModelRz12, [](SurveySettingsData& s) { s.gpsEnabled = 2; }, false, 3, "GPS Sensor:", "2"},
      {"pause key 7", kModelRz12, [](SurveySettingsData& s) { s.pauseKey = 7; }, false, 5, "Pause Key:", "7"},
      {"pause key P", kModelRz12, [](SurveySettingsData& s) { s.pauseKey = 3; }, false, 5, "Pause Key:", "<P>"},
      {"dipole 9", kModelRz27B, [](SurveySettingsData& s) { s.dipole = 9; }, false, 1, "Dipole:", "9"},
      {"RZ27 component", kModelRz27, [](SurveySettingsData& s) { s.component = 1; }, false, 0, "Component:",
       "Inphase"},
      {"RZ56 type", kModelRz56Mk2, [](SurveySettingsData& s) { s.rz56Type = 3; }, false, 0, "RZ56-MK2 Type:",
       "HP N.C.C."},
      {"RZ56 sensor", kModelRz56Mk2, [](SurveySettingsData& s) { s.rz56SensorSize = 2; }, false, 1, "Sensor Size:",
       "0.5 x 0.5 m"},
      {"MK2 type 1", kModelRz27Mk2, [](SurveySettingsData& s) { s.mk2Type = 1; }, false, 0, "RZ27-MK2 Type:",
       "RZ27-MK2-1"},
      {"MK2 type 0", kModelRz27Mk2, [](SurveySettingsData& s) { s.mk2Type = 0; }, false, 0, "RZ27-MK2 Type:", "0"},
      {"MK2 port", kModelRz27Mk2, [](SurveySettingsData& s) { s.instrumentPort = 11; }, false, 2,
       "RZ27-MK2 Port:", "COM12"},
      {"plain RZ56 empty", kModelRz56, [](SurveySettingsData&) {}, false, 0, "", ""},
      {"RZ89 port", kModelRz89, [](SurveySettingsData&) {}, false, 2, "RZ89 Port:", "COM1"},
      {"ZOL12 empty", kModelZol12, [](SurveySettingsData&) {}, false, 1, "", ""},
      {"station increment", kModelRz12, [](SurveySettingsData& s) { s.stationIncrement = -0.5f; }, true, 5,
       "Station Increment:", "-0.500"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SurveySettingsData s;
    c.edit(s);
    const SettingsSummaryTexts t = SummarizeSettings(s, RowOf(c.model));
    const SummaryLine& line = c.left ? t.left[c.row] : t.right[c.row];
    EXPECT_EQ(line.label, c.label);
    EXPECT_EQ(line.value, c.value);
  }
}

TEST(StartScreenTexts, SetupTemplatesByModel) {
  const struct {
    int32_t model;
    const char* survey;
    const char* system;
    const char* profiles;
  } cases[] = {
      {kModelRz56, nullptr, nullptr, "DISPLAYSETUP12"},
      {kModelRz56Mk2, "SURVEYSETUP", "SYSTEM", "DISPLAYSETUP"},
      {kModelRz12, "SURVEYSETUP12", "SYSTEM12", "DISPLAYSETUP12"},
      {kModelRz27B, "SURVEYSETUP27B", "SYSTEM27", "DISPLAYSETUP12"},
      {kModelRz27Dd, "SURVEYSETUP27DD", "SYSTEM27", "DISPLAYSETUP12"},
      {kModelRz27, "SURVEYSETUP27", "SYSTEM27", "DISPLAYSETUP12"},
      {kModelRz45, "SURVEYSETUP45", "SYSTEM27", "DISPLAYSETUP45"},
      {kModelRz89, nullptr, nullptr, "DISPLAYSETUP12"},
      {kModelZol12, nullptr, nullptr, "DISPLAYSETUP12"},
      {kModelRz27Mk2, "SURVEYSETUP27B", "SYSTEM27MK2", "DISPLAYSETUP27MK2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    const ModelRow& row = RowOf(c.model);
    EXPECT_STREQ(MenuDialogTemplate(MenuAction::kSurveySetup, row), c.survey);
    EXPECT_STREQ(MenuDialogTemplate(MenuAction::kSystemSetup, row), c.system);
    EXPECT_STREQ(MenuDialogTemplate(MenuAction::kGpsPortSetup, row), "GPSINPUT");
    EXPECT_STREQ(MenuDialogTemplate(MenuAction::kProfilesOptions, row), c.profiles);
    EXPECT_EQ(MenuDialogTemplate(MenuAction::kLogging, row), nullptr);
  }
}

}  // namespace
}  // namespace desktop
