// The model table against the facts the program states per model: file names and tags, the link,
// the title screen and the setup captions. A shifted or mistyped cell shows as the model's row.
#include "engine/models.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/build_config.h"
#include "engine/state.h"

namespace handheld {
namespace {

std::wstring Text(const wchar_t* s) { return s != nullptr ? s : L"(none)"; }
std::string Text(const char* s) { return s != nullptr ? s : "(none)"; }

struct Expected {
  const wchar_t* settingsFile;
  const char* settingsVersion;
  bool settingsOnDrive;
  int32_t recordLength;
  const char* modelTag;
  const char* formatTag;
  DWORD baud;
  const wchar_t* portFailure;
  FrameFamily frames;
  const wchar_t* titlePortrait;
  const wchar_t* titleStorage;
  const wchar_t* titleDrive;
  const wchar_t* titleVersion;
  const wchar_t* modeTitle;
  const wchar_t* portLabel;
  int32_t displayChannels;
  int32_t slotChannels;
};

constexpr FrameFamily M = FrameFamily::kMeter;

// Indexed by the model.
const Expected kExpected[] = {
    {L"RZ12.INI", "CEVer2.11", false, 24, "RZ12MK2 ", "W211", 9600, L"Cannot open RZ12 port", M,
     L"STATICTIT_RZ12AR", L"STATICTIT_RZ12MX", L"STATICTIT_RZ12", L"Version 2.11", nullptr, nullptr, 4, 6},
    {L"RZ27B.INI", "CEVer2.10", false, 24, "RZ27B   ", "W210", 9600, L"Cannot open RZ27B port", M,
     L"STATICTIT_RZ27BAR", L"STATICTIT_RZ27BMX", L"STATICTIT_RZ27B", L"Version 2.10", nullptr, L"RZ27B Port", 4, 6},
    {L"RZ27D.INI", "CEVer2.10", false, 24, "RZ27D   ", "W210", 9600, L"Cannot open RZ27D port", M,
     L"STATICTIT_RZ27DDAR", L"STATICTIT_RZ27DDMX", L"STATICTIT_RZ27DD", L"Version 2.10", nullptr, L"RZ27-DD Port", 4,
     6},
    {L"RZ27.INI", "CEVer2.10", false, 24, "RZ27S   ", "W210", 9600, L"Cannot open RZ27 port", M,
     L"STATICTIT_RZ27AR", L"STATICTIT_RZ27MX", L"STATICTIT_RZ27", L"Version 2.10", L"RZ27 Mode", L"RZ27 Port", 4, 6},
    {L"RZ45.INI", "CEVer2.11", false, 24, "RZ45    ", "W211", 9600, L"Cannot open RZ45 port", M,
     L"STATICTIT_RZ45AR", L"STATICTIT_RZ45MX", L"STATICTIT_RZ45", L"Version 2.11", L"RZ45-3 Mode", L"RZ45-3 Port", 6,
     6},
    {L"RZ89.INI", "CEVer2.10", true, 24, "RZ89    ", "W210", 9600, L"Cannot open RZ89 port", M, nullptr, nullptr,
     nullptr, L"Version 2.10", nullptr, nullptr, 4, 6},
    {L"ZOL12.INI", "CEVer2.10", false, 24, "ZOL12   ", "W210", 9600, L"Cannot open ZOL12 port", FrameFamily::kZol12,
     L"STATICTIT_ZOL12AR", L"STATICTIT_ZOL12MX", L"STATICTIT_ZOL12", L"Version 2.10", L"ZOL12 Mode", L"ZOL12 Port", 4,
     6},
    {L"RZ27MK2.INI", "CEVer2.10", false, 26, "RZ27MK2 ", "W210", 19200, L"Cannot open RZ27MK2 port",
     FrameFamily::kRz27Mk2, L"STATICTIT_RZ27MK2AR", L"STATICTIT_RZ27MK2MX", L"STATICTIT_RZ27MK2", L"Version 2.10",
     L"RZ27/2 Mode", L"RZ27-MK2 Port", 8, 8},
};

TEST(ModelRows, HoldEachModelsFacts) {
  ASSERT_EQ(std::size(kExpected), static_cast<size_t>(kModelCount));
  for (int32_t model = 0; model < kModelCount; ++model) {
    SCOPED_TRACE(model);
    const ModelRow& row = ModelRowOf(model);
    const Expected& e = kExpected[model];
    EXPECT_EQ(row.model, model);
    EXPECT_EQ(Text(row.settingsFile), Text(e.settingsFile));
    EXPECT_EQ(Text(row.settingsVersion), Text(e.settingsVersion));
    EXPECT_EQ(row.settingsOnDrive, e.settingsOnDrive);
    EXPECT_EQ(row.recordLength, e.recordLength);
    EXPECT_EQ(Text(row.modelTag), Text(e.modelTag));
    EXPECT_EQ(Text(row.formatTag), Text(e.formatTag));
    EXPECT_EQ(row.baud, e.baud);
    EXPECT_EQ(Text(row.portFailure), Text(e.portFailure));
    EXPECT_EQ(row.frames, e.frames);
    EXPECT_EQ(Text(row.titles.portrait), Text(e.titlePortrait));
    EXPECT_EQ(Text(row.titles.landscapeStorage), Text(e.titleStorage));
    EXPECT_EQ(Text(row.titles.landscapeDrive), Text(e.titleDrive));
    EXPECT_EQ(Text(row.titleVersion), Text(e.titleVersion));
    EXPECT_EQ(Text(row.modeTitle), Text(e.modeTitle));
    EXPECT_EQ(Text(row.portLabel), Text(e.portLabel));
    EXPECT_EQ(row.displayChannels, e.displayChannels);
    EXPECT_EQ(row.slotChannels, e.slotChannels);
    // Only the RZ27 probes its frame length; only the RZ12 has the ice option and the
    // Standard/Short types; only the RZ27-MK2 calibrates.
    EXPECT_EQ(row.probedFrameLength, model == kModelRz27);
    EXPECT_EQ(row.iceOption, model == kModelRz12);
    EXPECT_EQ(row.types == TypeChoice::kStandardShort, model == kModelRz12);
    EXPECT_EQ(row.calibrates, model == kModelRz27Mk2);
  }
  // The ice build's drive-root landscape title is the plain RZ12's.
  EXPECT_EQ(Text(kIceVariant.titles.portrait), L"STATICTIT_ZOLAR");
  EXPECT_EQ(Text(kIceVariant.titles.landscapeStorage), L"STATICTIT_ZOLMX");
  EXPECT_EQ(Text(kIceVariant.titles.landscapeDrive), L"STATICTIT_RZ12");
}

// The columns of the logging window, the setup dialogs and the file review.
TEST(ModelRows, HoldEachModelsScreens) {
  struct Screens {
    const wchar_t* setupPortrait;
    const wchar_t* setupStorage;
    const wchar_t* setupDrive;
    const wchar_t* options;
    uint8_t reviewChannels;
  };
  const Screens kScreens[] = {
      {L"GetSurveySetup12V", L"GetSurveySetup12H", L"GetSurveySetup12", L"GetOptions", 0x0F},
      {L"GetSurveySetup27BV", L"GetSurveySetup27B", L"GetSurveySetup27B", L"GetOptions", 0x0F},
      {L"GetSurveySetup27D", L"GetSurveySetup27D", L"GetSurveySetup27D", L"GetOptions", 0x0F},
      {L"GetSurveySetup12V", L"GetSurveySetup12H", L"GetSurveySetup12", L"GetOptions", 0x0F},
      {L"GetSurveySetup27BV", L"GetSurveySetup27B", L"GetSurveySetup27B", L"GetOptions45", 0x3F},
      {nullptr, nullptr, nullptr, L"GetOptions", 0x00},
      {L"GetSurveySetupZOL12", L"GetSurveySetupZOL12", L"GetSurveySetupZOL12", L"GetOptionsZOL12", 0x05},
      {L"GetSurveySetup27B", L"GetSurveySetup27B", L"GetSurveySetup27B", L"GetOptions27mk2", 0xFF},
  };
  ASSERT_EQ(std::size(kScreens), static_cast<size_t>(kModelCount));
  for (int32_t model = 0; model < kModelCount; ++model) {
    SCOPED_TRACE(model);
    const ModelRow& row = ModelRowOf(model);
    const Screens& e = kScreens[model];
    EXPECT_EQ(Text(row.surveySetup.portrait), Text(e.setupPortrait));
    EXPECT_EQ(Text(row.surveySetup.landscapeStorage), Text(e.setupStorage));
    EXPECT_EQ(Text(row.surveySetup.landscapeDrive), Text(e.setupDrive));
    EXPECT_EQ(Text(row.optionsDialog), Text(e.options));
    EXPECT_EQ(row.reviewChannels, e.reviewChannels);
    // One model each: the RZ27's frames hold one value field; the RZ27-DD's values are both
    // dipoles; the RZ27-MK2 has the soft-marker keys and a marker port; the RZ45's lost link
    // never ends a run; the ZOL12 takes at most one reading a second.
    EXPECT_EQ(row.secondFrameField, model != kModelRz27);
    EXPECT_EQ(row.dualDipoleValues, model == kModelRz27Dd);
    EXPECT_EQ(row.softMarkerKeys, model == kModelRz27Mk2);
    EXPECT_EQ(row.markerPort, model == kModelRz27Mk2);
    EXPECT_EQ(row.endlessWatchdog, model == kModelRz45);
    EXPECT_EQ(row.maxReadingRate, model == kModelZol12 ? 1.0f : 0.0f);
  }
}

TEST(ModelRows, BuildAndUnknownModels) {
  for (int32_t model : {-1, kModelCount, 100}) {
    SCOPED_TRACE(model);
    EXPECT_FALSE(KnownModel(model));
    const ModelRow& row = ModelRowOf(model);
    EXPECT_EQ(row.frames, FrameFamily::kNone);
    EXPECT_EQ(row.settingsFile, nullptr);
    EXPECT_EQ(Text(row.modelTag), "????????");
    EXPECT_FALSE(row.iceOption);
  }
  // The build's row, its record length and the ice option (the switch counts on the RZ12 only).
  struct Case {
    int32_t model, zolOption;
    bool ice;
  } cases[] = {{kModelRz12, 0, false}, {kModelRz12, 1, true}, {kModelRz27, 1, false}, {kModelRz27Mk2, 0, false}};
  for (const Case& c : cases) {
    BuildSwitches s;
    s.modelIndex = c.model;
    s.zolOptionAvailable = c.zolOption;
    FillBuildConfig(s);
    EXPECT_EQ(&BuildModel(), &kModelRows[c.model]);
    EXPECT_EQ(BuildConfig.recordLength, kModelRows[c.model].recordLength);
    EXPECT_EQ(IceBuild(), c.ice) << c.model << " " << c.zolOption;
  }
  ResetBuildConfig();
}

}  // namespace
}  // namespace handheld
