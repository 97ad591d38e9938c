// The logger setup and GPS port setup dialogs with their real templates: the lists and labels per
// model and orientation, the ice lists greyed and ungreyed at once, what OK stores and saves, what
// Cancel keeps, and the stored values the lists do not offer.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <string>
#include <vector>

#include "engine/settings.h"
#include "engine/state.h"
#include "setup_dialog_fixture.h"
#include "shell/shell.h"

namespace handheld {
namespace {

using plat::test::ModalContext;
using W = std::vector<std::wstring>;

constexpr int kTypeList = 810, kMarkerList = 813, kSoftMarkerList = 814, kZolList = 816, kSeaWaterList = 818,
              kProfileList = 820, kPortList = 823, kUnitsList = 824, kAudioList = 825, kPauseList = 826;

class LoggerSetup : public test::DialogFixture {
 protected:
  void Use(int32_t model, bool portrait = false, int32_t ice = 0, int32_t root = 1) {
    SetUpDialogs({model, ice, root, portrait});
  }
  INT_PTR OpenLogger(const std::function<void(ModalContext&)>& script) { return OpenMenuDialog(2, script); }
  INT_PTR OpenGps(const std::function<void(ModalContext&)>& script) {
    return Open(L"GetGPSPortSetup", GpsPortSetupDlgProc, script);
  }
  static W Items(ModalContext& ctx, int id) { return plat::test::Items(ctx.Control(id)); }
  static int Sel(ModalContext& ctx, int id) { return plat::test::Selection(ctx.Control(id)); }
};

// Label 803 by model (the RZ89 keeps the template's "RZ12 Port"), the type list of the RZ12 and the
// RZ27-MK2, and the pause keys by model and orientation.
TEST_F(LoggerSetup, LabelsAndListsByModelAndOrientation) {
  struct Case {
    int32_t model;
    bool portrait;
    const wchar_t* portLabel;
    W types;
    W pause;
  } const cases[] = {
      {kModelRz12, false, L"RZ12 Port", {L"Standard", L"Short"}, {L"any key", L"<Space Bar>", L"<Enter>", L"<P>"}},
      {kModelRz12, true, L"RZ12 Port", {L"Standard", L"Short"}, {L"any key"}},
      {kModelRz27B, false, L"RZ27B Port", {}, {L"any key", L"<Space Bar>", L"<Enter>", L"<P>"}},
      {kModelRz27Dd, true, L"RZ27-DD Port", {}, {L"any key"}},
      {kModelRz27, false, L"RZ27 Port", {}, {L"any key", L"<Space Bar>", L"<Enter>", L"<P>"}},
      {kModelRz45, false, L"RZ45-3 Port", {}, {L"any key", L"<Space Bar>", L"<Enter>", L"<P>"}},
      {kModelRz89, false, L"RZ12 Port", {}, {L"any key", L"<Space Bar>", L"<Enter>", L"<P>"}},
      {kModelZol12, true, L"ZOL12 Port", {}, {L"any key"}},
      {kModelRz27Mk2, true, L"RZ27-MK2 Port", {L"RZ27-MK2-1", L"RZ27-MK2"},
       {L"any non numeric key", L"<Space Bar>", L"<Enter>", L"<P>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << (c.portrait ? " portrait" : ""));
    Use(c.model, c.portrait);
    std::wstring label;
    W types, pause, ports, units, audio;
    OpenLogger([&](ModalContext& ctx) {
      label = ctx.ControlText(803);
      types = Items(ctx, kTypeList);
      pause = Items(ctx, kPauseList);
      ports = Items(ctx, kPortList);
      units = Items(ctx, kUnitsList);
      audio = Items(ctx, kAudioList);
      ctx.Cancel();
    });
    EXPECT_EQ(label, c.portLabel);
    EXPECT_EQ(types, c.types);
    EXPECT_EQ(pause, c.pause);
    ASSERT_EQ(ports.size(), 12u);
    EXPECT_EQ(ports.front(), L"COM1:");
    EXPECT_EQ(ports.back(), L"COM12:");
    EXPECT_EQ(units, (W{L"meters", L"feet"}));
    EXPECT_EQ(audio, (W{L"No", L"Yes"}));
    TearDown();
  }
}

// The RZ27-MK2: the marker list without COM6, the soft marker's text by orientation and storage
// root, the type stored as position + 1, and in portrait always the pause key "<Enter>".
TEST_F(LoggerSetup, Mk2MarkerTypeAndPauseKey) {
  struct Case {
    bool portrait;
    int32_t root;
    const wchar_t* softMarker;
    int32_t pauseStored;
  } const cases[] = {{false, 1, L"any numeric key", 3}, {true, 1, L"any arrow key", 2}, {true, 0, L"any numeric key", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.portrait ? "portrait" : "landscape") << " root " << c.root);
    Use(kModelRz27Mk2, c.portrait, 0, c.root);
    SurveySettings.mk2Type = 2;
    W marker, soft;
    int pauseAfterChoice = -1;
    OpenLogger([&](ModalContext& ctx) {
      marker = Items(ctx, kMarkerList);
      soft = Items(ctx, kSoftMarkerList);
      ctx.Select(kTypeList, 0);
      ctx.Select(kMarkerList, 6);
      ctx.Select(kSoftMarkerList, 1);
      ctx.Select(kPauseList, 3);
      pauseAfterChoice = Sel(ctx, kPauseList);
      ctx.ClickCaptionOk();
    });
    ASSERT_EQ(marker.size(), 12u);
    EXPECT_EQ(marker[6], L"COM7:");
    EXPECT_EQ(soft, (W{L"Disabled", c.softMarker}));
    EXPECT_EQ(pauseAfterChoice, c.portrait ? 2 : 3);  // portrait: "<Enter>" selected again at once
    EXPECT_EQ(SurveySettings.mk2Type, 1);
    EXPECT_EQ(SurveySettings.markerPort, 6);
    EXPECT_EQ(SurveySettings.softMarker, 1);
    EXPECT_EQ(SurveySettings.pauseKey, c.pauseStored);
    TearDown();
  }
}

// The ice build: the sea-water and profile lists are greyed while the option is off and follow the
// option list at once; Cancel keeps the option off. OK stores the three ice settings.
TEST_F(LoggerSetup, IceListsFollowTheOptionAtOnce) {
  Use(kModelRz12, false, 1);
  LoadSaveSettings(1);
  const std::string file = test::SettingsFileBytes();
  std::vector<bool> enabled;
  W sea, profile;
  OpenLogger([&](ModalContext& ctx) {
    sea = Items(ctx, kSeaWaterList);
    profile = Items(ctx, kProfileList);
    enabled.push_back(plat::test::IsEnabled(ctx.Control(kSeaWaterList)));
    enabled.push_back(plat::test::IsEnabled(ctx.Control(kProfileList)));
    ctx.Select(kZolList, 1);
    enabled.push_back(plat::test::IsEnabled(ctx.Control(kSeaWaterList)));
    enabled.push_back(plat::test::IsEnabled(ctx.Control(kProfileList)));
    ctx.Select(kZolList, 0);
    enabled.push_back(plat::test::IsEnabled(ctx.Control(kSeaWaterList)));
    ctx.Select(kZolList, 1);
    ctx.Cancel();
  });
  EXPECT_EQ(enabled, (std::vector<bool>{false, false, true, true, false}));
  ASSERT_EQ(sea.size(), 11u);
  EXPECT_EQ(sea.front(), L"2000 mS/m");
  EXPECT_EQ(sea.back(), L"3000 mS/m");
  EXPECT_EQ(profile, (W{L"Cond./Inphase", L"Ice Thickness"}));
  EXPECT_EQ(SurveySettings.zolEnabled, 0);
  EXPECT_EQ(test::SettingsFileBytes(), file);

  OpenLogger([&](ModalContext& ctx) {
    ctx.Select(kZolList, 1);
    ctx.Select(kSeaWaterList, 4);
    ctx.Select(kProfileList, 1);
    ctx.ClickCaptionOk();
  });
  EXPECT_EQ(SurveySettings.zolEnabled, 1);
  EXPECT_EQ(SurveySettings.seaWaterIndex, 4);
  EXPECT_EQ(SurveySettings.showIceProfile, 1);
  const std::vector<std::string> lines = SettingsLines();
  ASSERT_GT(lines.size(), 4u);
  EXPECT_EQ(lines[2], "1\r");  // after the RZ12 type: the option, the profile shown, the sea water
  EXPECT_EQ(lines[3], "1\r");
  EXPECT_EQ(lines[4], "4\r");
}

// OK on the RZ12 changes exactly the logger's lines of the settings file.
TEST_F(LoggerSetup, OkStoresTheLoggerSettingsAndSaves) {
  Use(kModelRz12);
  LoadSaveSettings(1);
  const std::vector<std::string> before = SettingsLines();
  OpenLogger([&](ModalContext& ctx) {
    ctx.Select(kTypeList, 1);
    ctx.Select(kPortList, 4);
    ctx.Select(kUnitsList, 1);
    ctx.Select(kAudioList, 0);
    ctx.Select(kPauseList, 2);
    ctx.ClickCaptionOk();
  });
  EXPECT_EQ(SurveySettings.rz12Type, 1);
  EXPECT_EQ(SurveySettings.instrumentPort, 4);
  EXPECT_EQ(SurveySettings.displayUnits, 1);
  EXPECT_EQ(SurveySettings.audio, 0);
  EXPECT_EQ(SurveySettings.pauseKey, 2);
  EXPECT_EQ(ChangedRz12Settings(before, SettingsLines()),
            (std::set<std::string>{"rz12Type", "instrumentPort", "displayUnits", "audio", "pauseKey"}));
}

// Stored values the lists do not offer: in portrait a pause key of 1 to 3 shows "any key" and OK
// stores 0; a value no list shows leaves its list without a selection, and OK keeps it.
TEST_F(LoggerSetup, StoredValuesTheListsDoNotOffer) {
  Use(kModelRz12, true);
  SurveySettings.pauseKey = 3;
  int shown = -2;
  OpenLogger([&](ModalContext& ctx) {
    shown = Sel(ctx, kPauseList);
    ctx.ClickCaptionOk();
  });
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(SurveySettings.pauseKey, 0);
  TearDown();

  Use(kModelRz27Mk2);
  SurveySettings.mk2Type = 5;
  SurveySettings.instrumentPort = 14;
  SurveySettings.markerPort = -1;
  SurveySettings.softMarker = 3;
  SurveySettings.displayUnits = 2;
  SurveySettings.audio = 7;
  SurveySettings.pauseKey = 9;
  std::vector<int> selections;
  OpenLogger([&](ModalContext& ctx) {
    for (int id : {kTypeList, kPortList, kMarkerList, kSoftMarkerList, kUnitsList, kAudioList, kPauseList}) {
      selections.push_back(Sel(ctx, id));
    }
    ctx.ClickCaptionOk();
  });
  EXPECT_EQ(selections, (std::vector<int>(7, -1)));
  EXPECT_EQ(SurveySettings.mk2Type, 5);
  EXPECT_EQ(SurveySettings.instrumentPort, 14);
  EXPECT_EQ(SurveySettings.markerPort, -1);
  EXPECT_EQ(SurveySettings.softMarker, 3);
  EXPECT_EQ(SurveySettings.displayUnits, 2);
  EXPECT_EQ(SurveySettings.audio, 7);
  EXPECT_EQ(SurveySettings.pauseKey, 9);
}

// The GPS port: the six lists, OK storing and saving exactly them, Cancel nothing, and "Monitor GPS
// Output" storing them without saving and ending with 1.
TEST_F(LoggerSetup, GpsPortDialog) {
  Use(kModelRz12);
  LoadSaveSettings(1);
  const std::vector<std::string> before = SettingsLines();
  W lists[6];
  OpenGps([&](ModalContext& ctx) {
    for (int i = 0; i < 6; ++i) lists[i] = Items(ctx, 720 + i);
    EXPECT_EQ(ctx.ControlText(729), L"Monitor GPS Output");
    ctx.Select(720, 1);
    ctx.Select(721, 3);
    ctx.Select(722, 5);
    ctx.Select(723, 2);
    ctx.Select(724, 0);
    ctx.Select(725, 1);
    ctx.Key(VK_ESCAPE);
  });
  EXPECT_EQ(lists[0], (W{L"Disabled", L"Enabled"}));
  EXPECT_EQ(lists[1].size(), 12u);
  EXPECT_EQ(lists[2], (W{L"4800", L"9600", L"19200", L"38400", L"57600", L"115200"}));
  EXPECT_EQ(lists[3], (W{L"No", L"Even", L"Odd"}));
  EXPECT_EQ(lists[4], (W{L"7", L"8"}));
  EXPECT_EQ(lists[5], (W{L"1", L"2"}));
  EXPECT_EQ(SettingsLines(), before);
  EXPECT_EQ(SurveySettings.gpsEnabled, 0);

  auto choose = [](ModalContext& ctx) {
    ctx.Select(720, 1);
    ctx.Select(721, 3);
    ctx.Select(722, 5);
    ctx.Select(723, 2);
    ctx.Select(724, 0);
    ctx.Select(725, 1);
  };
  EXPECT_EQ(OpenGps([&](ModalContext& ctx) {
              choose(ctx);
              ctx.Click(729);
            }),
            1);
  EXPECT_EQ(SurveySettings.gpsEnabled, 1);
  EXPECT_EQ(SurveySettings.gpsPort, 3);
  EXPECT_EQ(SurveySettings.gpsBaudIndex, 5);
  EXPECT_EQ(SurveySettings.gpsParityIndex, 2);
  EXPECT_EQ(SurveySettings.gpsDataBitsIndex, 0);
  EXPECT_EQ(SurveySettings.gpsStopBitsIndex, 1);
  EXPECT_EQ(SettingsLines(), before);  // not saved

  ResetSurveySettings();
  EXPECT_EQ(OpenGps([&](ModalContext& ctx) {
              choose(ctx);
              ctx.ClickCaptionOk();
            }),
            0);
  EXPECT_EQ(ChangedRz12Settings(before, SettingsLines()),
            (std::set<std::string>{"gpsEnabled", "gpsPort", "gpsBaudIndex", "gpsParityIndex", "gpsDataBitsIndex",
                                   "gpsStopBitsIndex"}));
}

}  // namespace
}  // namespace handheld
