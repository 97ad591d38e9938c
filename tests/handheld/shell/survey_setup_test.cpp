// The survey setup dialog with its real templates: what it shows per model, how its lists and
// boxes follow a mode switch, what OK stores and saves, that Cancel changes nothing, and the
// corrections of typed values and of stored values its lists do not offer.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cfloat>
#include <cwchar>
#include <string>
#include <vector>

#include "engine/settings.h"
#include "engine/state.h"
#include "setup_dialog_fixture.h"
#include "shell/setup_dialogs.h"
#include "shell/shell.h"

namespace handheld {
namespace {

using plat::test::ModalContext;
using W = std::vector<std::wstring>;

constexpr int kModeList = 620, kRateBox = 621, kComponentList = 622, kDipoleList = 623, kLineBox = 624,
              kLineIncrementBox = 625, kSequenceList = 626, kDirectionList = 627, kStartBox = 628, kIncrementBox = 629;

// What the open dialog shows.
struct View {
  std::wstring title, rateLabel, rate, dipoleLabel, incrementLabel, increment;
  bool rateReadOnly = false;
  W modes, components, dipoles;
  int mode = -1, component = -1, dipole = -1, sequence = -1, direction = -1;
  std::wstring line, lineIncrement, start;
};

View Read(ModalContext& ctx) {
  View v;
  v.title = ctx.ControlText(600);
  v.rateLabel = ctx.ControlText(601);
  v.rate = ctx.ControlText(kRateBox);
  v.rateReadOnly = plat::test::IsReadOnly(ctx.Control(kRateBox));
  v.dipoleLabel = ctx.ControlText(603);
  v.incrementLabel = ctx.ControlText(609);
  v.increment = ctx.ControlText(kIncrementBox);
  v.modes = plat::test::Items(ctx.Control(kModeList));
  v.mode = plat::test::Selection(ctx.Control(kModeList));
  v.components = plat::test::Items(ctx.Control(kComponentList));
  v.component = plat::test::Selection(ctx.Control(kComponentList));
  v.dipoles = plat::test::Items(ctx.Control(kDipoleList));
  v.dipole = plat::test::Selection(ctx.Control(kDipoleList));
  v.sequence = plat::test::Selection(ctx.Control(kSequenceList));
  v.direction = plat::test::Selection(ctx.Control(kDirectionList));
  v.line = ctx.ControlText(kLineBox);
  v.lineIncrement = ctx.ControlText(kLineIncrementBox);
  v.start = ctx.ControlText(kStartBox);
  return v;
}

class SurveySetup : public test::DialogFixture {
 protected:
  void Use(int32_t model, bool portrait = false, int32_t root = 1) { SetUpDialogs({model, 0, root, portrait}); }
  // The build's survey setup, run with the script.
  INT_PTR OpenSetup(const std::function<void(ModalContext&)>& script) { return OpenMenuDialog(1, script); }
  // Opens it, reads what it shows, and cancels.
  View OpenAndRead() {
    View v;
    OpenSetup([&](ModalContext& ctx) {
      v = Read(ctx);
      ctx.Key(VK_ESCAPE);
    });
    return v;
  }
  static void Ok(ModalContext& ctx) { ctx.ClickCaptionOk(); }
};

const W kThreeModes{L"Auto", L"Wheel", L"Manual"};
const W kTwoModes{L"Auto", L"Manual"};
const W kTwoDipoles{L"Vertical", L"Horizontal"};
const W kThreeDipoles{L"Vertical", L"Horizontal", L"Both"};

// What each model shows for its stored values. The mode list takes the focus on opening, and its
// notification lays out the labels for the mode shown ("Samples/Rdg" in Manual, "Wheel Inc." in
// Wheel).
TEST_F(SurveySetup, WhatEachModelShows) {
  struct Case {
    int32_t model;
    int32_t mode, component, dipole;
    const wchar_t* title;
    W modes;
    int modeEntry;
    const wchar_t* rateLabel;
    const wchar_t* rate;
    bool readOnly;
    W components;
    int componentEntry;
    W dipoles;
    int dipoleEntry;
    const wchar_t* dipoleLabel;
    const wchar_t* incrementLabel;
  } const cases[] = {
      {kModelRz12, 0, 1, 1, L"RZ12 Mode", kThreeModes, 0, L"Readings/s", L"5.00", false, {L"Both", L"Inphase"}, 1,
       kTwoDipoles, 1, L"Dipole Mode", L"Stn Increment"},
      {kModelRz12, 1, 0, 0, L"RZ12 Mode", kThreeModes, 1, L"Readings/s", L"Not Available", true, {L"Both", L"Inphase"},
       0, kTwoDipoles, 0, L"Dipole Mode", L"Wheel Inc."},
      {kModelRz27, 0, 1, 0, L"RZ27 Mode", kThreeModes, 0, L"Readings/s", L"5.00", false,
       {L"Inphase", L"Conductivity"}, 0, kTwoDipoles, 0, L"Dipole Mode", L"Stn Increment"},
      {kModelRz27Dd, 2, 0, 0, L"RZ27-DD Mode", kThreeModes, 2, L"Samples/Rdg", L"10", false,
       {L"Both", L"Inphase", L"Conductivity"}, 0, {}, -1, L"", L"Stn Increment"},
      {kModelRz27B, 2, 0, 2, L"RZ27B Mode", kThreeModes, 2, L"Samples/Rdg", L"10", false, {}, -1, kThreeDipoles, 2,
       L"Dipole Mode", L"Stn Increment"},
      {kModelRz45, 0, 0, 4, L"RZ45-3 Mode", kThreeModes, 0, L"Readings/s", L"5.00", false, {}, -1,
       {L"Vert-10m", L"Vert-20m", L"Vert-40m", L"Horiz-10m", L"Horiz-20m", L"Horiz-40m"}, 4, L"Dipole/Separ.",
       L"Stn Increment"},
      {kModelRz45, 2, 0, 3, L"RZ45-3 Mode", kThreeModes, 2, L"Samples/Rdg", L"10", false, {}, -1,
       {L"1 reading", L"2 readings", L"3 readings", L"4 readings", L"5 readings", L"6 readings"}, 3,
       L"Configuration", L"Stn Increment"},
      // The ZOL12's "Manual" is mode 1, with no rate; a stored 2 is shown as it.
      {kModelZol12, 1, 0, 0, L"ZOL12 Mode", kTwoModes, 1, L"Readings/s", L"Not Available", true, {}, -1, {}, -1, L"",
       L"Stn Increment"},
      {kModelZol12, 2, 0, 0, L"ZOL12 Mode", kTwoModes, 1, L"Readings/s", L"Not Available", true, {}, -1, {}, -1, L"",
       L"Stn Increment"},
      {kModelRz27Mk2, 2, 0, 2, L"RZ27/2 Mode", kTwoModes, 1, L"Samples/Rdg", L"10", false, {}, -1, kThreeDipoles, 2,
       L"Dipole Mode", L"Stn Increment"},
  };
  for (const Case& c : cases) {
    for (bool portrait : {false, true}) {
      SCOPED_TRACE(testing::Message() << "model " << c.model << " mode " << c.mode << (portrait ? " portrait" : ""));
      Use(c.model, portrait, 0);  // the one-column templates everywhere
      SurveySettings.surveyMode = c.mode;
      SurveySettings.component = c.component;
      SurveySettings.dipole = c.dipole;
      const View v = OpenAndRead();
      EXPECT_EQ(v.title, c.title);
      EXPECT_EQ(v.modes, c.modes);
      EXPECT_EQ(v.mode, c.modeEntry);
      EXPECT_EQ(v.rateLabel, c.rateLabel);
      EXPECT_EQ(v.rate, c.rate);
      EXPECT_EQ(v.rateReadOnly, c.readOnly);
      EXPECT_EQ(v.components, c.components);
      EXPECT_EQ(v.component, c.componentEntry);
      EXPECT_EQ(v.dipoles, c.dipoles);
      EXPECT_EQ(v.dipole, c.dipoleEntry);
      EXPECT_EQ(v.dipoleLabel, c.dipoleLabel);
      EXPECT_EQ(v.incrementLabel, c.incrementLabel);
      // The line and numbering rows are the same everywhere.
      EXPECT_EQ(v.line, L"0");
      EXPECT_EQ(v.lineIncrement, L"1.00");
      EXPECT_EQ(v.sequence, 0);
      EXPECT_EQ(v.direction, 1);
      EXPECT_EQ(v.start, L"0.000");
      TearDown();
    }
  }
}

// Opened in Manual, the RZ27-MK2 shows "Manual", the samples and three dipoles; Cancel keeps it in
// Manual and keeps the settings file as it was.
TEST_F(SurveySetup, Mk2InManualAndCancel) {
  Use(kModelRz27Mk2);
  SurveySettings.surveyMode = 2;
  SurveySettings.samplesPerReading = 5;
  LoadSaveSettings(1);
  const std::string file = test::SettingsFileBytes();
  View v;
  OpenSetup([&](ModalContext& ctx) {
    v = Read(ctx);
    ctx.SetText(kRateBox, L"7");
    ctx.Select(kDipoleList, 0);
    ctx.Cancel();
  });
  EXPECT_EQ(v.modes[static_cast<size_t>(v.mode)], L"Manual");
  EXPECT_EQ(v.rate, L"5");
  EXPECT_EQ(v.dipoles.size(), 3u);
  EXPECT_EQ(SurveySettings.surveyMode, 2);
  EXPECT_EQ(SurveySettings.samplesPerReading, 5);
  EXPECT_EQ(test::SettingsFileBytes(), file);
}

// The component kept across mode switches (RZ27-DD "Conductivity", RZ27 "Inphase"), and the RZ12's
// dipole "Both" turning "Vertical" outside Manual, which Cancel does not keep.
TEST_F(SurveySetup, ComponentAndDipoleAcrossModeSwitches) {
  struct Case {
    int32_t model, component;
    std::wstring expected;
  } const cases[] = {{kModelRz27Dd, 2, L"Conductivity"}, {kModelRz27, 1, L"Inphase"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    Use(c.model);
    SurveySettings.component = c.component;
    std::vector<std::wstring> shown;
    std::vector<size_t> sizes;
    OpenSetup([&](ModalContext& ctx) {
      HWND list = ctx.Control(kComponentList);
      auto note = [&] {
        shown.push_back(plat::test::Items(list)[static_cast<size_t>(plat::test::Selection(list))]);
        sizes.push_back(plat::test::Items(list).size());
      };
      note();
      ctx.Select(kModeList, 2);  // Manual
      note();
      ctx.Select(kModeList, 0);  // Auto
      note();
      Ok(ctx);
    });
    EXPECT_EQ(shown, (W{c.expected, c.expected, c.expected}));
    EXPECT_EQ(sizes, (std::vector<size_t>{2, 3, 2}));
    EXPECT_EQ(SurveySettings.component, c.component);
    TearDown();
  }

  Use(kModelRz12);
  SurveySettings.surveyMode = 2;
  SurveySettings.dipole = 2;
  View manual, automatic;
  OpenSetup([&](ModalContext& ctx) {
    manual = Read(ctx);
    ctx.Select(kModeList, 0);
    automatic = Read(ctx);
    ctx.Cancel();
  });
  EXPECT_EQ(manual.dipoles, kThreeDipoles);
  EXPECT_EQ(manual.dipole, 2);
  EXPECT_EQ(automatic.dipoles, kTwoDipoles);
  EXPECT_EQ(automatic.dipole, 0);
  EXPECT_EQ(automatic.rateLabel, L"Readings/s");
  EXPECT_EQ(automatic.rate, L"5.00");
  EXPECT_EQ(SurveySettings.dipole, 2);
  EXPECT_EQ(SurveySettings.surveyMode, 2);
}

// The increment box: 0 becomes 1.000 at once; each mode keeps its own increment while the dialog is
// open, but OK stores only the chosen mode's.
TEST_F(SurveySetup, IncrementsPerMode) {
  Use(kModelRz12);
  SurveySettings.stationIncrementAuto = 1.0f;
  SurveySettings.stationIncrementWheel = 0.2f;
  SurveySettings.stationIncrementManual = 2.0f;
  SurveySettings.stationIncrement = 1.0f;
  std::vector<std::wstring> shown;
  OpenSetup([&](ModalContext& ctx) {
    ctx.SetText(kIncrementBox, L"0");
    shown.push_back(ctx.ControlText(kIncrementBox));
    ctx.SetText(kIncrementBox, L"2.5");
    ctx.Select(kModeList, 1);  // Wheel
    shown.push_back(ctx.ControlText(kIncrementBox));
    shown.push_back(ctx.ControlText(609));
    ctx.Select(kModeList, 0);  // back to Auto
    shown.push_back(ctx.ControlText(kIncrementBox));
    ctx.Select(kModeList, 2);  // Manual: the Manual increment, typed over
    shown.push_back(ctx.ControlText(kIncrementBox));
    ctx.SetText(kIncrementBox, L"7");
    ctx.Select(kModeList, 1);  // Wheel again, typed over, and OK there
    ctx.SetText(kIncrementBox, L"0.5");
    Ok(ctx);
  });
  EXPECT_EQ(shown, (W{L"1.000", L"0.200", L"Wheel Inc.", L"2.500", L"2.000"}));
  EXPECT_EQ(SurveySettings.surveyMode, 1);
  EXPECT_FLOAT_EQ(SurveySettings.stationIncrement, 0.5f);
  EXPECT_FLOAT_EQ(SurveySettings.stationIncrementWheel, 0.5f);
  EXPECT_FLOAT_EQ(SurveySettings.stationIncrementAuto, 1.0f);  // the typed 2.5 is dropped
  EXPECT_FLOAT_EQ(SurveySettings.stationIncrementManual, 2.0f);
}

// The ZOL12's rate is held at 1 reading per second or less, shown back at once.
TEST_F(SurveySetup, Zol12RateHeldAtOne) {
  Use(kModelZol12);
  SurveySettings.surveyMode = 0;
  SurveySettings.readingInterval = 2.0f;
  std::wstring before, after;
  OpenSetup([&](ModalContext& ctx) {
    before = ctx.ControlText(kRateBox);
    ctx.SetText(kRateBox, L"2");
    after = ctx.ControlText(kRateBox);
    Ok(ctx);
  });
  EXPECT_EQ(before, L"0.50");
  EXPECT_EQ(after, L"1.00");
  EXPECT_FLOAT_EQ(SurveySettings.readingInterval, 1.0f);
}

// OK on the RZ12: every value into the settings, the run's station at the start station, the
// reading timing recomputed, and the file rewritten with exactly these lines changed.
TEST_F(SurveySetup, OkStoresEverythingAndSaves) {
  Use(kModelRz12);
  SurveySettings.readingInterval = 0.5f;
  LoadSaveSettings(1);
  const std::vector<std::string> before = SettingsLines();
  SurveyRun.stationHasReading = 1;
  OpenSetup([&](ModalContext& ctx) {
    ctx.Select(kModeList, 0);
    ctx.SetText(kRateBox, L"5");
    ctx.Select(kComponentList, 1);
    ctx.Select(kDipoleList, 1);
    ctx.SetText(kLineBox, L"L12");
    ctx.SetText(kLineIncrementBox, L"2");
    ctx.Select(kSequenceList, 1);
    ctx.Select(kDirectionList, 3);
    ctx.SetText(kStartBox, L"100.5");
    ctx.SetText(kIncrementBox, L"2.5");
    Ok(ctx);
  });
  const SurveySettingsData& s = SurveySettings;
  EXPECT_FLOAT_EQ(s.readingInterval, 0.2f);
  EXPECT_EQ(LinkState.sampleDivisor, 2);
  EXPECT_EQ(s.component, 1);
  EXPECT_EQ(s.dipole, 1);
  EXPECT_STREQ(s.surveyLine, L"L12");
  EXPECT_FLOAT_EQ(s.lineIncrement, 2.0f);
  EXPECT_EQ(s.lineSequence, 1);
  EXPECT_EQ(s.lineDirection, 3);
  EXPECT_DOUBLE_EQ(s.startStation, 100.5);
  EXPECT_DOUBLE_EQ(SurveyRun.station, 100.5);
  EXPECT_EQ(SurveyRun.stationHasReading, 0);
  EXPECT_FLOAT_EQ(s.stationIncrement, 2.5f);
  EXPECT_FLOAT_EQ(s.stationIncrementAuto, 2.5f);
  const std::vector<std::string> after = SettingsLines();
  EXPECT_EQ(ChangedRz12Settings(before, after),
            (std::set<std::string>{"component", "dipole", "readingInterval", "surveyLine", "lineIncrement",
                                   "lineSequence", "lineDirection", "startStation", "stationIncrement",
                                   "stationIncrementAuto"}));
  EXPECT_EQ(after[48], "0.200000\r");
  EXPECT_EQ(after[49], "L12\r");
}

// Cancel after changes everywhere leaves the settings and the file as they were.
TEST_F(SurveySetup, CancelChangesNothing) {
  Use(kModelRz27);
  LoadSaveSettings(1);
  const std::string file = test::SettingsFileBytes();
  OpenSetup([&](ModalContext& ctx) {
    ctx.Select(kModeList, 2);
    ctx.SetText(kRateBox, L"3");
    ctx.Select(kComponentList, 0);
    ctx.SetText(kLineBox, L"X");
    ctx.SetText(kIncrementBox, L"0");
    ctx.Key(VK_ESCAPE);
  });
  EXPECT_EQ(test::SettingsFileBytes(), file);
  LoadSaveSettings(1);  // what memory holds, written the same way
  EXPECT_EQ(test::SettingsFileBytes(), file);
}

// Typed values that are not ordinary numbers: decimal only, clamped before any conversion. A rate
// of 0 or less counts as 1 reading per second.
TEST_F(SurveySetup, TypedValues) {
  struct Case {
    int mode;  // the mode entry chosen
    const wchar_t* rate;
    float interval;
    int32_t samples;
  } const cases[] = {
      {0, L"nan", 1.0f, 10},   {0, L"0x10", 1.0f, 10},    {0, L"1e20", 0.0001f, 10}, {0, L"-3", 1.0f, 10},
      {0, L"inf", 1.0f, 10},   {0, L"2.5", 0.4f, 10},     {2, L"1e20", 0.2f, 100},   {2, L"-2", 0.2f, 1},
      {2, L"0", 0.2f, 1},      {2, L"37.9", 0.2f, 37},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.rate, c.rate + wcslen(c.rate)) << " mode " << c.mode);
    Use(kModelRz12);
    OpenSetup([&](ModalContext& ctx) {
      ctx.Select(kModeList, c.mode);
      ctx.SetText(kRateBox, c.rate);
      Ok(ctx);
    });
    EXPECT_FLOAT_EQ(SurveySettings.readingInterval, c.interval);
    EXPECT_EQ(SurveySettings.samplesPerReading, c.samples);
    EXPECT_GE(LinkState.sampleDivisor, 1);
    TearDown();
  }

  Use(kModelRz12);
  std::wstring shown;
  OpenSetup([&](ModalContext& ctx) {
    ctx.SetText(kIncrementBox, L"nan");
    shown = ctx.ControlText(kIncrementBox);
    ctx.SetText(kLineBox, L"ABCDEFGHIJKLMNOP");
    ctx.SetText(kLineIncrementBox, L"1e300");
    ctx.SetText(kStartBox, L"0x20");
    Ok(ctx);
  });
  EXPECT_EQ(shown, L"1.000");
  EXPECT_FLOAT_EQ(SurveySettings.stationIncrement, 1.0f);
  EXPECT_STREQ(SurveySettings.surveyLine, L"ABCDEFGHIJK");  // the first 11 characters
  EXPECT_FLOAT_EQ(SurveySettings.lineIncrement, FLT_MAX);
  EXPECT_DOUBLE_EQ(SurveySettings.startStation, 0.0);
}

// Stored values that a list does not offer: an RZ27-MK2 in mode 1 shows and stores Auto; a list
// left without a selection keeps its setting at OK.
TEST_F(SurveySetup, StoredValuesTheListsDoNotOffer) {
  Use(kModelRz27Mk2);
  SurveySettings.surveyMode = 1;
  SurveySettings.surveyModeChoice = 1;
  View v;
  OpenSetup([&](ModalContext& ctx) {
    v = Read(ctx);
    Ok(ctx);
  });
  EXPECT_EQ(v.mode, 0);
  EXPECT_EQ(v.rate, L"5.00");
  EXPECT_EQ(SurveySettings.surveyMode, 0);
  EXPECT_EQ(SurveySettings.surveyModeChoice, 0);
  EXPECT_EQ(SurveySettings.component, 0);  // the MK2's template has no component list: "Both"
  TearDown();

  Use(kModelRz27);
  SurveySettings.surveyMode = 7;
  SurveySettings.surveyModeChoice = 7;
  SurveySettings.component = 9;
  SurveySettings.dipole = 5;
  SurveySettings.lineSequence = 4;
  SurveySettings.lineDirection = 7;
  OpenSetup([&](ModalContext& ctx) {
    v = Read(ctx);
    Ok(ctx);
  });
  EXPECT_EQ(v.mode, -1);
  EXPECT_EQ(v.component, -1);
  EXPECT_EQ(v.dipole, -1);
  EXPECT_EQ(v.sequence, -1);
  EXPECT_EQ(v.direction, -1);
  EXPECT_EQ(SurveySettings.surveyMode, 7);
  EXPECT_EQ(SurveySettings.surveyModeChoice, 7);
  EXPECT_EQ(SurveySettings.component, 9);
  EXPECT_EQ(SurveySettings.dipole, 5);
  EXPECT_EQ(SurveySettings.lineSequence, 4);
  EXPECT_EQ(SurveySettings.lineDirection, 7);
}

// The two-column landscape template keeps its short increment label in Auto and Manual.
TEST_F(SurveySetup, TwoColumnTemplateKeepsItsShortLabels) {
  Use(kModelRz12);
  std::vector<std::wstring> labels;
  OpenSetup([&](ModalContext& ctx) {
    labels.push_back(ctx.ControlText(609));
    ctx.Select(kModeList, 1);
    labels.push_back(ctx.ControlText(609));
    ctx.Select(kModeList, 2);
    labels.push_back(ctx.ControlText(609));
    labels.push_back(ctx.ControlText(605));
    ctx.Cancel();
  });
  EXPECT_EQ(labels, (W{L"Stn Incr.", L"Wheel Inc.", L"Stn Incr.", L"Line Incr."}));
}

}  // namespace
}  // namespace handheld
