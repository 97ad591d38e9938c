// The survey setup and system setup dialogs on every model that has them: what they show at
// opening and after mode switches, what OK stores and saves, and that Cancel and the key c change
// nothing. Typed numbers are read as decimal text and held inside what their settings store.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <string>
#include <vector>

#include "common/record_fields.h"
#include "dialog_fixture.h"
#include "ui/start_screen.h"

namespace desktop {
namespace {

using plat::test::ModalContext;

constexpr int kModeList = 1110, kRateBox = 1111, kLineBox = 1113, kDirectionList = 1116, kStartBox = 1117;
constexpr int kIncrementBox = 1118, kIncrementLabel = 1119, kRateLabel = 1245, kDipoleLabel = 1261;
constexpr int kComponentList = 1262, kDipoleList = 1263;

class SurveySetup : public test::DialogTest {
 protected:
  INT_PTR OpenSurvey(const test::Script& script) { return Open(ThisModel().surveySetupDialog, SurveySetupDlgProc, script); }
};

// Mode switches keep the component and dipole choices by the model's rules; Cancel keeps the
// stored values.
TEST_F(SurveySetup, ModeSwitchesKeepTheChoicesByModel) {
  const struct {
    int32_t model;
    int32_t mode, component, dipole;
    std::vector<int> switches;  // modes selected one after the other
    int list;                   // the list looked at after the switches
    std::wstring shown;         // its selected entry
  } cases[] = {
      {kModelRz27, kModeAuto, 1, 0, {kModeManual, kModeAuto}, kComponentList, L"Inphase"},
      {kModelRz27, kModeAuto, 2, 0, {kModeManual}, kComponentList, L"Conductivity"},
      {kModelRz27Dd, kModeManual, 0, 0, {kModeAuto}, kComponentList, L"Inphase"},  // "Both" becomes "Inphase"
      {kModelRz12, kModeManual, 0, 2, {kModeAuto}, kDipoleList, L"Vertical"},
      {kModelRz12, kModeManual, 1, 2, {kModeWheel, kModeManual}, kDipoleList, L"Vertical"},
      {kModelRz27Mk2, kModeManual, 0, 2, {kModeAuto}, kDipoleList, L"Vertical"},
      {kModelRz45, kModeAuto, 0, 4, {kModeManual}, kDipoleList, L"5 reading"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " mode " << c.mode);
    SetUpBuild(c.model);
    SurveySettings.surveyMode = c.mode;
    SurveySettings.component = c.component;
    SurveySettings.dipole = c.dipole;
    const std::string before = SettingsBytes();
    std::wstring shown;
    EXPECT_EQ(OpenSurvey([&](ModalContext& ctx) {
                for (int mode : c.switches) ctx.Select(kModeList, mode);
                shown = SelectedText(ctx, c.list);
                ctx.Click(IDCANCEL);
              }),
              0);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(SettingsBytes(), before);
    TearDown();
  }
}

TEST_F(SurveySetup, Rz45DipoleListAndLabelFollowTheMode) {
  SetUpBuild(kModelRz45);
  SurveySettings.surveyMode = kModeManual;
  OpenSurvey([&](ModalContext& ctx) {
    EXPECT_EQ(ctx.ControlText(kDipoleLabel), L"Dipole/Separ.");
    EXPECT_EQ(ItemsOf(ctx, kDipoleList), (std::vector<std::wstring>{L"1 reading", L"2 reading", L"3 reading",
                                                                    L"4 reading", L"5 reading", L"6 reading"}));
    ctx.Select(kModeList, kModeAuto);
    EXPECT_EQ(ctx.ControlText(kDipoleLabel), L"Dipole/Separ.");
    EXPECT_EQ(ItemsOf(ctx, kDipoleList).front(), L"Vertical-10m");
    ctx.Select(kModeList, kModeManual);
    EXPECT_EQ(ctx.ControlText(kDipoleLabel), L"Configuration");
    ctx.Click(IDCANCEL);
  });
}

// The mode list's focus notification has run by the time the dialog shows; any later notification
// puts back the kept rate and increment over what was typed.
TEST_F(SurveySetup, ModeListNotificationsRewriteTheBoxes) {
  SetUpBuild(kModelRz12);
  SurveySettings.surveyMode = kModeManual;
  OpenSurvey([&](ModalContext& ctx) {
    EXPECT_EQ(ctx.ControlText(kRateLabel), L"Samples/Rdg");
    EXPECT_EQ(ctx.ControlText(kRateBox), L" 10");
    EXPECT_FALSE(plat::test::IsReadOnly(ctx.Control(kRateBox)));
    ctx.Click(IDCANCEL);
  });
  SurveySettings.surveyMode = kModeWheel;
  OpenSurvey([&](ModalContext& ctx) {
    EXPECT_EQ(ctx.ControlText(kIncrementLabel), L"Wheel Increment");
    EXPECT_EQ(ctx.ControlText(kRateBox), L"Not Available");
    EXPECT_TRUE(plat::test::IsReadOnly(ctx.Control(kRateBox)));
    ctx.Click(IDCANCEL);
  });
  SurveySettings.surveyMode = kModeAuto;
  SurveySettings.readingInterval = 0.2f;
  OpenSurvey([&](ModalContext& ctx) {
    ctx.SetText(kRateBox, L"2");
    Notify(ctx, kModeList, CBN_DROPDOWN);
    EXPECT_EQ(ctx.ControlText(kRateBox), L"5.00");
    ctx.Click(IDOK);
  });
  EXPECT_FLOAT_EQ(SurveySettings.readingInterval, 0.2f);
}

// Each mode keeps its increment; OK stores the shown increment as the chosen mode's only.
TEST_F(SurveySetup, IncrementSlotsFollowTheModeAndOkStoresTheShownOneOnly) {
  SetUpBuild(kModelRz12);
  OpenSurvey([&](ModalContext& ctx) {
    EXPECT_EQ(ctx.ControlText(kIncrementBox), L"1.000");
    ctx.Select(kModeList, kModeWheel);
    EXPECT_EQ(ctx.ControlText(kIncrementBox), L"0.200");
    ctx.Select(kModeList, kModeAuto);
    EXPECT_EQ(ctx.ControlText(kIncrementBox), L"1.000");
    ctx.Select(kModeList, kModeWheel);
    ctx.SetText(kIncrementBox, L"0.5");
    ctx.Click(IDOK);
  });
  const SurveySettingsData& s = SurveySettings;
  EXPECT_EQ(s.surveyMode, kModeWheel);
  EXPECT_FLOAT_EQ(s.stationIncrement, 0.5f);
  EXPECT_FLOAT_EQ(s.stationIncrementWheel, 0.5f);
  EXPECT_FLOAT_EQ(s.stationIncrementAuto, 1.0f);
  EXPECT_FLOAT_EQ(s.stationIncrementManual, 2.0f);
}

// OK's typed values: the rate's interval and milliseconds and the RZ12's divisor, the samples
// clamp and the line-name cut; numbers are decimal only.
TEST_F(SurveySetup, OkConvertsTypedValues) {
  const struct {
    int32_t mode;
    const wchar_t* typed;
    float interval;         // Auto
    int32_t ms;
    int32_t samples;        // Manual
  } cases[] = {
      {kModeAuto, L"5", 0.2f, 200, 10},      {kModeAuto, L"0", 1.0f, 1000, 10},
      {kModeAuto, L"abc", 1.0f, 1000, 10},   {kModeAuto, L"nan", 1.0f, 1000, 10},
      {kModeAuto, L"0x10", 1.0f, 1000, 10},  {kModeAuto, L"-4", 1.0f, 1000, 10},
      {kModeAuto, L"1e20", 0.0001f, 1, 10},  {kModeAuto, L"1e-20", 10000.0f, 10000000, 10},
      {kModeManual, L"150", 0.2f, 200, 100}, {kModeManual, L"0", 0.2f, 200, 1},
      {kModeManual, L"2.9", 0.2f, 200, 2},   {kModeManual, L"1e20", 0.2f, 200, 100},
      {kModeManual, L"inf", 0.2f, 200, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " typed " << std::string(c.typed, c.typed + wcslen(c.typed)));
    SetUpBuild(kModelRz12);
    SurveySettings.surveyMode = c.mode;
    OpenSurvey([&](ModalContext& ctx) {
      ctx.SetText(kRateBox, c.typed);
      ctx.SetText(kLineBox, L"ABCDEFGHIJKLMNOP");
      ctx.Click(IDOK);
    });
    EXPECT_FLOAT_EQ(SurveySettings.readingInterval, c.interval);
    EXPECT_EQ(Watchdog.readingIntervalMs, c.ms);
    EXPECT_EQ(SurveySettings.samplesPerReading, c.samples);
    EXPECT_STREQ(SurveySettings.surveyLine, "ABCDEFGHIJK");
    if (c.mode == kModeAuto && c.ms == 200) {
      EXPECT_EQ(LinkState.sampleDivisor, 2);
    }
    TearDown();
  }
}

// OK stores the station, direction, line and increment and saves them; the summary shows them.
TEST_F(SurveySetup, OkStoresAndSavesAndTheSummaryShowsIt) {
  SetUpBuild(kModelRz12);
  SurveyRun.stationHasReading = 1;
  const auto before = SettingsLines();
  OpenSurvey([&](ModalContext& ctx) {
    ctx.Select(kDirectionList, 3);
    ctx.SetText(kStartBox, L"120.5");
    ctx.SetText(kRateBox, L"4");
    ctx.Click(IDOK);
  });
  EXPECT_EQ(SurveySettings.lineDirection, 3);
  EXPECT_DOUBLE_EQ(SurveySettings.startStation, 120.5);
  EXPECT_DOUBLE_EQ(SurveyRun.station, 120.5);
  EXPECT_EQ(SurveyRun.stationHasReading, 0);
  EXPECT_EQ(ChangedSettings(before, SettingsLines()),
            (std::vector<std::string>{"readingInterval=0.250000", "lineDirection=3", "startStation=120.500000"}));
  const SettingsSummaryTexts summary = SummarizeSettings(SurveySettings, ThisModel());
  EXPECT_EQ(summary.left[1].value, "4.00");
  EXPECT_EQ(summary.left[4].value, "120.500");
  // The next line block writes the direction's letter.
  char record[24 * survey::kLineBlockRecords + 1] = {};
  SYSTEMTIME now{};
  survey::FormatLineBlock(record, 24, SurveySettings.surveyLine, SurveySettings.startStation,
                          SurveySettings.lineDirection, SurveySettings.stationIncrement, now);
  EXPECT_NE(std::string(record, 24 * survey::kLineBlockRecords).find('E'), std::string::npos);
}

// A typed start station and station increment are held within what the line block's 'B' and 'A'
// records and the header write in full; not a number reads 0.
TEST_F(SurveySetup, OkHoldsTheTypedStationAndIncrementWithinTheirRecords) {
  const struct {
    const wchar_t* typed;
    double station;
    const char* record;  // the 'B' record's first 12 characters
    const wchar_t* typedIncrement;
    float increment;
    const char* field;  // the 'A' record's increment field
  } cases[] = {
      {L"120.5", 120.5, "B     120.50", L"2.5", 2.5f, "      2.500"},
      {L"1e15", 99999999.99, "B99999999.99", L"1e15", 999.999f, "    999.999"},
      {L"-1e15", -9999999.99, "B-9999999.99", L"-1e15", -99.999f, "    -99.999"},
      {L"nan", 0.0, "B       0.00", L"nan", 0.0f, "      0.000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.typed, c.typed + wcslen(c.typed)));
    SetUpBuild(kModelRz12);
    SurveySettings.surveyMode = kModeManual;
    OpenSurvey([&](ModalContext& ctx) {
      ctx.SetText(kStartBox, c.typed);
      ctx.SetText(kIncrementBox, c.typedIncrement);
      ctx.Click(IDOK);
    });
    EXPECT_EQ(SurveySettings.startStation, c.station);
    EXPECT_EQ(SurveyRun.station, c.station);
    EXPECT_EQ(SurveySettings.stationIncrement, c.increment);
    EXPECT_EQ(SurveySettings.stationIncrementManual, c.increment);
    char record[24 * survey::kLineBlockRecords + 1] = {};
    survey::FormatLineBlock(record, 24, SurveySettings.surveyLine, SurveySettings.startStation,
                            SurveySettings.lineDirection, SurveySettings.stationIncrement, SYSTEMTIME{});
    EXPECT_EQ(std::string(record + 24, 12), c.record);
    EXPECT_EQ(std::string(record + 48 + 8, 11), c.field);
    TearDown();
  }
}

// The RZ56-MK2 has neither component nor dipole list: OK stores 0 for both, keeps the samples and
// leaves the frame timing alone.
TEST_F(SurveySetup, Rz56Mk2OkStoresNoComponentOrDipoleAndKeepsTheSamples) {
  SetUpBuild(kModelRz56Mk2);
  SurveySettings.component = 2;
  SurveySettings.dipole = 1;
  SurveySettings.surveyMode = kModeManual;
  SurveySettings.samplesPerReading = 7;
  LinkState.framePeriodMs = 3.0f;
  OpenSurvey([&](ModalContext& ctx) {
    EXPECT_EQ(ctx.ControlText(kRateBox), L"Not Available");
    ctx.Select(kModeList, kModeAuto);
    ctx.SetText(kRateBox, L"5");
    ctx.Click(IDOK);
  });
  EXPECT_EQ(SurveySettings.component, 0);
  EXPECT_EQ(SurveySettings.dipole, 0);
  EXPECT_EQ(SurveySettings.samplesPerReading, 7);
  EXPECT_FLOAT_EQ(SurveySettings.readingInterval, 0.2f);
  EXPECT_FLOAT_EQ(LinkState.framePeriodMs, 3.0f);
}

// OK rewrites exactly the lines of the settings the dialog stores, by model: the chosen mode's
// rate or samples and increment only, component and dipole where the model has them (0 where the
// template lacks the list, kept where the model does not store it), the line settings.
TEST_F(SurveySetup, OkRewritesExactlyItsSettingsLines) {
  const std::vector<OkCase> cases = {
      {"RZ12 to Manual, every box changed", kModelRz12, nullptr,
       [](ModalContext& ctx) {
         ctx.Select(kModeList, kModeManual);
         ctx.SetText(kRateBox, L"25");
         ctx.Select(kComponentList, 1);
         ctx.Select(kDipoleList, 2);
         ctx.SetText(kLineBox, L"L7");
         ctx.SetText(1114, L"2.5");
         ctx.Select(1115, 1);
         ctx.Select(kDirectionList, 3);
         ctx.SetText(kStartBox, L"120.5");
         ctx.SetText(kIncrementBox, L"3");
       },
       {"surveyMode=2", "component=1", "dipole=2", "samplesPerReading=25", "stationIncrementManual=3.000000",
        "surveyLine=L7", "lineIncrement=2.500000", "lineSequence=1", "lineDirection=3", "startStation=120.500000"}},
      {"RZ12 in Auto: rate and increment", kModelRz12, nullptr,
       [](ModalContext& ctx) {
         ctx.SetText(kRateBox, L"4");
         ctx.SetText(kIncrementBox, L"1.5");
       },
       {"stationIncrementAuto=1.500000", "readingInterval=0.250000"}},
      {"RZ56-MK2 to Manual: no component or dipole list", kModelRz56Mk2,
       [] {
         SurveySettings.component = 2;
         SurveySettings.dipole = 1;
       },
       [](ModalContext& ctx) {
         ctx.Select(kModeList, kModeManual);
         ctx.SetText(kStartBox, L"7");
       },
       {"surveyMode=2", "component=0", "dipole=0", "startStation=7.000000"}},
      {"RZ27-MK2: no component list", kModelRz27Mk2, [] { SurveySettings.component = 1; },
       [](ModalContext& ctx) { ctx.Select(kDipoleList, 1); }, {"component=0", "dipole=1"}},
      {"RZ45-3: the component is not stored", kModelRz45, [] { SurveySettings.component = 2; },
       [](ModalContext& ctx) { ctx.Select(kDipoleList, 4); }, {"dipole=4"}},
      {"RZ27-DD: the dipole is not stored", kModelRz27Dd,
       [] {
         SurveySettings.component = 1;
         SurveySettings.dipole = 1;
       },
       [](ModalContext& ctx) { ctx.Select(kComponentList, 1); }, {"component=2"}},
  };
  ExpectOkChanges(cases, [] { return ThisModel().surveySetupDialog; }, SurveySetupDlgProc);
}

// Cancel, the close box and the key c end with 0 and change neither the settings nor the file.
TEST_F(SurveySetup, CancelCloseAndKeyCChangeNothing) {
  const std::vector<std::function<void(ModalContext&)>> endings = {
      [](ModalContext& ctx) { ctx.Click(IDCANCEL); },
      [](ModalContext& ctx) { ctx.Close(); },
      [](ModalContext& ctx) { SendMessageA(ctx.Window(), WM_KEYDOWN, 67, 0); },
      [](ModalContext& ctx) { SendMessageA(ctx.Window(), WM_KEYDOWN, 99, 0); },
  };
  for (size_t i = 0; i < endings.size(); ++i) {
    SCOPED_TRACE(i);
    for (int32_t model : {kModelRz12, kModelRz56Mk2}) {
      SetUpBuild(model);
      const std::string settings = SettingsBytes();
      const std::string file = test::RootFileBytes(std::string("C/SURVEY/") + ThisModel().settingsFile);
      for (auto* proc : {SurveySetupDlgProc, LoggerSetupDlgProc}) {
        const char* name = proc == SurveySetupDlgProc ? ThisModel().surveySetupDialog : ThisModel().systemSetupDialog;
        EXPECT_EQ(Open(name, proc, [&](ModalContext& ctx) {
                    if (ctx.Control(kStartBox) != nullptr) ctx.SetText(kStartBox, L"99");
                    if (ctx.Control(1131) != nullptr) ctx.Select(1131, 3);
                    endings[i](ctx);
                  }),
                  0);
      }
      EXPECT_EQ(SettingsBytes(), settings);
      EXPECT_EQ(test::RootFileBytes(std::string("C/SURVEY/") + ThisModel().settingsFile), file);
      TearDown();
    }
  }
}

// ---- System setup ----------------------------------------------------------------------------

class SystemSetup : public test::DialogTest {
 protected:
  INT_PTR OpenSystem(const test::Script& script) { return Open(ThisModel().systemSetupDialog, LoggerSetupDlgProc, script); }
};

TEST_F(SystemSetup, ListsAndLabelsByModel) {
  const struct {
    int32_t model;
    const wchar_t* portLabel;
    const wchar_t* firstPauseKey;
    std::vector<std::wstring> types;
  } cases[] = {
      {kModelRz56Mk2, L"RZ56-MK2 Port:", L"any key", {L"Standard", L"High Power"}},
      {kModelRz12, L"RZ12 Port", L"any key", {L"Standard 3.6 m", L"Short 2.0 m"}},
      {kModelRz27B, L"RZ27B Port", L"any key", {}},
      {kModelRz27Dd, L"RZ27-DD Port", L"any key", {}},
      {kModelRz27, L"RZ27 Port", L"any key", {}},
      {kModelRz45, L"RZ45-3 Port", L"any key", {}},
      {kModelRz27Mk2, L"RZ27-MK2 Port", L"any non numeric key", {L"RZ27-MK2-1", L"RZ27-MK2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model);
    SetUpBuild(c.model);
    OpenSystem([&](ModalContext& ctx) {
      HWND label = nullptr;
      for (HWND h : ctx.Controls()) {
        if (GetDlgCtrlID(h) == 1246) label = h;
      }
      if (c.model == kModelRz56Mk2) {
        EXPECT_EQ(label, nullptr);
      } else {
        EXPECT_EQ(ctx.ControlText(1246), c.portLabel);
      }
      EXPECT_EQ(ItemsOf(ctx, 1131).at(0), c.firstPauseKey);
      EXPECT_EQ(ItemsOf(ctx, 1131).size(), 4u);
      EXPECT_EQ(ItemsOf(ctx, 1121), c.types);
      EXPECT_EQ(ItemsOf(ctx, 1125).size(), 12u);
      EXPECT_EQ(ItemsOf(ctx, 1135), (std::vector<std::wstring>{L"meters", L"feet", L"US Survey Feet"}));
      ctx.Click(IDCANCEL);
    });
    TearDown();
  }
}

TEST_F(SystemSetup, Rz27Mk2TypeAndMarkerPort) {
  SetUpBuild(kModelRz27Mk2);
  SurveySettings.mk2Type = 2;
  SurveySettings.markerPort = 12;
  const auto before = SettingsLines();
  EXPECT_EQ(OpenSystem([&](ModalContext& ctx) {
              EXPECT_EQ(SelectedText(ctx, 1121), L"RZ27-MK2");
              const auto markers = ItemsOf(ctx, 1248);
              ASSERT_EQ(markers.size(), 13u);
              EXPECT_EQ(markers[0], L"Disabled");
              EXPECT_EQ(markers[1], L"COM1:");
              EXPECT_EQ(markers[12], L"COM12:");
              EXPECT_EQ(SelectionOf(ctx, 1248), 12);
              ctx.Select(1121, 0);
              ctx.Select(1248, 5);
              ctx.Click(IDOK);
            }),
            1);
  EXPECT_EQ(SurveySettings.mk2Type, 1);
  EXPECT_EQ(SurveySettings.markerPort, 5);
  EXPECT_EQ(ChangedSettings(before, SettingsLines()), (std::vector<std::string>{"mk2Type=1", "markerPort=5"}));
  EXPECT_EQ(SummarizeSettings(SurveySettings, ThisModel()).right[0].value, "RZ27-MK2-1");
}

// OK rewrites exactly the lines of the settings the model's template shows.
TEST_F(SystemSetup, OkRewritesExactlyItsSettingsLines) {
  const std::vector<OkCase> cases = {
      {"RZ12", kModelRz12, nullptr,
       [](ModalContext& ctx) {
         ctx.Select(1121, 1);
         ctx.Select(1131, 2);
         ctx.Select(1134, 0);
         ctx.Select(1135, 1);
         ctx.Select(1125, 2);
         ctx.Select(1140, 5);
       },
       {"rz12Type=1", "displayUnits=1", "instrumentPort=2", "audio=0", "pauseKey=2", "gpsPort=5"}},
      {"RZ56-MK2", kModelRz56Mk2, nullptr,
       [](ModalContext& ctx) {
         ctx.Select(1121, 1);
         ctx.Select(1122, 2);
         ctx.SetText(1244, L"11.5");
         ctx.Select(1131, 3);
       },
       {"rz56Type=1", "rz56SensorSize=2", "pauseKey=3", "batteryWarning=11.500000"}},
      {"RZ27-MK2", kModelRz27Mk2, [] { SurveySettings.mk2Type = 2; },
       [](ModalContext& ctx) {
         ctx.Select(1121, 0);
         ctx.Select(1249, 0);
         ctx.Select(1248, 3);
       },
       {"mk2Type=1", "softMarker=0", "markerPort=3"}},
      {"RZ27", kModelRz27, nullptr,
       [](ModalContext& ctx) {
         ctx.Select(1135, 2);
         ctx.Select(1140, 0);
       },
       {"displayUnits=2", "gpsPort=0"}},
  };
  ExpectOkChanges(cases, [] { return ThisModel().systemSetupDialog; }, LoggerSetupDlgProc);
}

// The RZ56-MK2's N.C.C. types: a stored 2 shows no selection and OK keeps it with the flag set; a
// type chosen on the list sets the flag by the type.
TEST_F(SystemSetup, Rz56Mk2TypeAndTheNccFlag) {
  const struct {
    int32_t stored;
    int choose;  // -1: untouched
    int32_t type, flag;
  } cases[] = {{2, -1, 2, 1}, {3, -1, 3, 1}, {2, 0, 0, 0}, {0, 1, 1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "stored " << c.stored << " choose " << c.choose);
    SetUpBuild(kModelRz56Mk2);
    SurveySettings.rz56Type = c.stored;
    Rz56Calibration.nccFlag = c.stored > 1 ? 1 : 0;
    OpenSystem([&](ModalContext& ctx) {
      EXPECT_EQ(ctx.ControlText(1244), L"10.50");
      EXPECT_EQ(SelectionOf(ctx, 1121), c.stored > 1 ? -1 : c.stored);
      if (c.choose >= 0) ctx.Select(1121, c.choose);
      ctx.Click(IDOK);
    });
    EXPECT_EQ(SurveySettings.rz56Type, c.type);
    EXPECT_EQ(Rz56Calibration.nccFlag, c.flag);
    TearDown();
  }
}

}  // namespace
}  // namespace desktop
