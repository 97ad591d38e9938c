// Plot channels and scales: the channel selection by model and mode, values to rows, the grid rows
// of a range, the per-model defaults and the colour chooser.
#include "logging/plot_channels.h"

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cfloat>
#include <vector>

#include "engine/scale.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "logging/logging.h"

namespace handheld {
namespace {

constexpr int kH = 180;

class PlotChannelsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }
};

// ---- Grid rows ---------------------------------------------------------------------------------

TEST_F(PlotChannelsTest, GridRowsOfARange) {
  struct Case {
    const char* name;
    float min, max;
    int ratio;
    std::vector<int> grid;  // elements 0 to grid[0]
  };
  const Case cases[] = {
      {"zero not inside: four even rows", 0, 500, 0, {4, 143, 107, 71, 35}},
      {"zero in the middle", -25, 25, 1, {8, 90, 67, 44, 22, 112, 134, 157, 179}},
      {"zero near the bottom: steps of a fifth", -10, 490, 44, {5, 176, 141, 105, 70, 35}},
      {"zero near the top: steps of a fifth of the minimum", -490, 10, 59, {5, 3, 38, 74, 109, 144}},
      {"ratio 3: steps of a third of the maximum", -100, 300, 3, {4, 135, 89, 44, 179}},
      {"zero row at the bottom edge", -0.00001f, 500, 0, {4, 143, 107, 71, 35}},
      {"zero row at the top edge", -500, 0.00001f, 0, {4, 143, 107, 71, 35}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int32_t grid[10] = {};
    const float f = PixelsPerUnit(1.0f, kH, c.min, c.max);
    EXPECT_EQ(ComputePlotGrid(kH, c.min, c.max, f, grid), c.ratio);
    const std::vector<int> got(grid, grid + std::min(grid[0], 9) + 1);
    EXPECT_EQ(got, c.grid);
  }
}

TEST_F(PlotChannelsTest, GridArithmeticStaysDefinedForAnyFactor) {
  int32_t grid[10] = {};
  // A factor that puts the zero row far off the plot, and one that is not a number.
  EXPECT_EQ(ComputePlotGrid(kH, -1, 1, 1e30f, grid), 0);
  EXPECT_EQ(grid[0], 4);
  EXPECT_EQ(ComputePlotGrid(kH, -1, 1, -3.0f, grid), 0);
  EXPECT_EQ(grid[0], 4);
  EXPECT_EQ(ComputePlotGrid(kH, -1, 1, FLT_MAX, grid), 0);
}

// ---- Values to rows ----------------------------------------------------------------------------

TEST_F(PlotChannelsTest, RowsRunFromTheMaximumAtTheTopToTheMinimumAtTheBottom) {
  for (const auto& [min, max] : {std::pair{0.0f, 500.0f}, {-25.0f, 25.0f}, {0.0f, 5.0f}, {-12.5f, 987.25f}}) {
    const float f = PixelsPerUnit(1.0f, kH, min, max);
    EXPECT_EQ(PlotRow(max, max, f), 0) << min << " " << max;
    EXPECT_EQ(PlotRow(max, min, f), kH) << min << " " << max;
  }
  EXPECT_EQ(PlotRow(500, 250, 0.36f), 90);
  EXPECT_EQ(PlotRow(500, 600, 0.36f), -36);   // above the range: above the plot
  EXPECT_EQ(PlotRow(25, 24.9f, 3.6f), 0);     // truncated toward zero
  EXPECT_EQ(PlotRow(25, 25.1f, 3.6f), 0);
  // Far off the range, or no number at all: clamped, never an undefined conversion.
  EXPECT_EQ(PlotRow(500, -1e30f, 0.36f), 32767);
  EXPECT_EQ(PlotRow(500, 1e30f, 0.36f), -32768);
  EXPECT_EQ(PlotRow(FLT_MAX, -FLT_MAX, 0.0f), 32767);
}

TEST_F(PlotChannelsTest, TracesToRowsWritesTheModelsChannelsAgainstTheirGroups) {
  struct Case {
    const char* name;
    int model;
    int showIce;
    int group[8];  // -1: entry left as it was
  };
  const Case cases[] = {
      {"RZ12", kModelRz12, 0, {0, 0, 1, 1, -1, -1, -1, -1}},
      {"RZ12 ice profile", kModelRz12, 1, {0, 0, 1, 1, 2, -1, -1, -1}},
      {"RZ27B", kModelRz27B, 1, {0, 0, 1, 1, -1, -1, -1, -1}},
      {"RZ27-DD", kModelRz27Dd, 0, {0, 0, 1, 1, -1, -1, -1, -1}},
      {"RZ27", kModelRz27, 0, {0, 0, 1, 1, -1, -1, -1, -1}},
      {"RZ45", kModelRz45, 0, {0, 0, 0, 0, 0, 0, -1, -1}},
      {"RZ89", kModelRz89, 0, {0, 0, 0, 0, 0, 0, -1, -1}},
      {"ZOL12", kModelZol12, 0, {0, -1, 1, -1, -1, -1, -1, -1}},
      {"RZ27-MK2", kModelRz27Mk2, 0, {0, 0, 1, 1, 0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::UseBuild(c.model);
    SurveySettings.showIceProfile = c.showIce;
    SurveySettings.scale1Min = 0, SurveySettings.scale1Max = 500;
    SurveySettings.scale2Min = -25, SurveySettings.scale2Max = 25;
    SurveySettings.iceScaleMin = 0, SurveySettings.iceScaleMax = 5;
    PlotState.pxPerUnit0 = 0.36f, PlotState.pxPerUnit1 = 3.6f, PlotState.pxPerUnitIce = 36.0f;
    const float values[8] = {400, 300, -10, 10, 2.5f, 100, 5, -5};
    for (int i = 0; i < 8; ++i) TraceSet.traceValue[i] = values[i];
    const float max[3] = {500, 25, 5};
    const float factor[3] = {0.36f, 3.6f, 36.0f};
    int32_t rows[8] = {-7, -7, -7, -7, -7, -7, -7, -7};
    TracesToRows(rows);
    for (int i = 0; i < 8; ++i) {
      const int g = c.group[i];
      EXPECT_EQ(rows[i], g < 0 ? -7 : PlotRow(max[g], values[i], factor[g])) << "channel " << i;
    }
  }
}

// ---- Channel selection -------------------------------------------------------------------------

TEST_F(PlotChannelsTest, SelectTracesByModelModeDipoleAndComponent) {
  struct Case {
    const char* name;
    int model;
    int mode;  // 0 Auto, 1 Wheel, 2 Manual
    int dipole;
    int component;
    unsigned shown;  // bit c: channel c plotted
    int perStation;
    int gridAfter;  // gridScale starts at 0
    int zol = 0;
    int showIce = 0;
    int hiddenChannel = -1;  // its check box cleared
  };
  const Case cases[] = {
      {"RZ12 ice profile: channel 4 on the ice grid", kModelRz12, 0, 0, 0, 0x10, 1, 2, 1, 1},
      {"RZ12 ice profile in Manual with both dipoles", kModelRz12, 2, 2, 0, 0x10, 1, 2, 1, 1},
      {"RZ12 ice option without the profile", kModelRz12, 0, 1, 0, 0x0A, 1, 0, 1, 0},
      {"RZ12 Auto V", kModelRz12, 0, 0, 0, 0x05, 1, 0},
      {"RZ12 Wheel H", kModelRz12, 1, 1, 0, 0x0A, 1, 0},
      {"RZ12 Auto V inphase: grid of group 1", kModelRz12, 0, 0, 1, 0x04, 1, 1},
      {"RZ12 Auto both dipoles plots nothing", kModelRz12, 0, 2, 0, 0x00, 1, 0},
      {"RZ12 Manual both", kModelRz12, 2, 2, 0, 0x0F, 2, 0},
      {"RZ12 Manual V inphase", kModelRz12, 2, 0, 1, 0x04, 1, 0},
      {"RZ27B Auto H", kModelRz27B, 0, 1, 0, 0x0A, 1, 0},
      {"RZ27B Auto V inphase", kModelRz27B, 0, 0, 1, 0x05, 1, 1},
      {"RZ27B Manual both", kModelRz27B, 2, 2, 0, 0x0F, 2, 0},
      {"RZ27-DD Auto conductivity", kModelRz27Dd, 0, 2, 2, 0x03, 1, 0},
      {"RZ27-DD Auto inphase", kModelRz27Dd, 0, 2, 1, 0x0C, 1, 1},
      {"RZ27-DD Manual both", kModelRz27Dd, 2, 2, 0, 0x0F, 2, 0},
      {"RZ27-DD Manual conductivity", kModelRz27Dd, 2, 2, 2, 0x03, 1, 0},
      {"RZ27 Manual both components, both dipoles: 4 per station", kModelRz27, 2, 2, 0, 0x0F, 4, 0},
      {"RZ27 Manual both components, V", kModelRz27, 2, 0, 0, 0x05, 2, 0},
      {"RZ27 Manual conductivity, both dipoles", kModelRz27, 2, 2, 2, 0x03, 2, 0},
      {"RZ27 Manual inphase, H", kModelRz27, 2, 1, 1, 0x08, 1, 0},
      {"RZ27 Auto conductivity V", kModelRz27, 0, 0, 2, 0x01, 1, 0},
      {"RZ27 Auto inphase H", kModelRz27, 0, 1, 1, 0x08, 1, 1},
      {"RZ45 Manual 3 readings", kModelRz45, 2, 2, 2, 0x3F, 3, 0},
      {"RZ45 Manual 6 readings", kModelRz45, 2, 5, 2, 0x3F, 6, 0},
      {"RZ45 Manual, a setting beyond 6 readings", kModelRz45, 2, 9, 2, 0x3F, 6, 0},
      {"RZ45 Manual 3 readings, one box cleared", kModelRz45, 2, 2, 2, 0x37, 3, 0, 0, 0, 3},
      {"RZ45 Auto H-20m", kModelRz45, 0, 4, 2, 0x10, 1, 0},
      {"RZ89", kModelRz89, 0, 1, 2, 0x05, 1, 0},
      {"ZOL12 Manual", kModelZol12, 2, 2, 0, 0x05, 1, 0},
      {"RZ27-MK2 Auto V", kModelRz27Mk2, 0, 0, 0, 0x55, 1, 0},
      {"RZ27-MK2 Manual both", kModelRz27Mk2, 2, 2, 0, 0xFF, 2, 0},
      {"RZ27-MK2 Manual H", kModelRz27Mk2, 2, 1, 0, 0xAA, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::UseBuild(c.model, c.zol);
    SurveySettings.surveyMode = c.mode;
    SurveySettings.dipole = c.dipole;
    SurveySettings.component = c.component;
    SurveySettings.zolEnabled = c.zol;
    SurveySettings.showIceProfile = c.showIce;
    if (c.hiddenChannel >= 0) SurveySettings.traceVisible[c.hiddenChannel] = 0;
    for (int32_t& s : PlotState.traceShown) s = 1;
    PlotState.groupsPerStation = 5;
    SelectTraces();
    unsigned shown = 0;
    for (int i = 0; i < 8; ++i) {
      ASSERT_TRUE(PlotState.traceShown[i] == 0 || PlotState.traceShown[i] == 1);
      if (PlotState.traceShown[i]) shown |= 1u << i;
    }
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(PlotState.groupsPerStation, c.perStation);
    EXPECT_EQ(SurveySettings.gridScale, c.gridAfter);
  }
}

// ---- Defaults ----------------------------------------------------------------------------------

TEST_F(PlotChannelsTest, DefaultsByModel) {
  struct Case {
    const char* name;
    int model;
    int zolOption;
    int component, dipole;
    float scale1Max, scale2Min, scale2Max;
    float iceFactor;
  };
  const Case cases[] = {
      {"RZ12", kModelRz12, 0, 0, 0, 500, -25, 25, 1.0f},
      {"RZ12 with the ice option", kModelRz12, 1, 0, 0, 500, -25, 25, 36.0f},
      {"RZ27B", kModelRz27B, 0, 0, 0, 500, -25, 25, 1.0f},
      {"RZ27-DD", kModelRz27Dd, 0, 2, 2, 500, -25, 25, 1.0f},
      {"RZ27", kModelRz27, 0, 2, 0, 500, -25, 25, 1.0f},
      {"RZ45", kModelRz45, 0, 2, 0, 500, -25, 25, 1.0f},
      {"RZ89", kModelRz89, 0, 0, 0, 500, -25, 25, 1.0f},
      {"ZOL12", kModelZol12, 0, 0, 0, 10, 0, 20, 1.0f},
      {"RZ27-MK2", kModelRz27Mk2, 0, 0, 0, 500, -25, 25, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::UseBuild(c.model, c.zolOption);
    ScreenLayout.plotHeight = kH;
    SurveySettings.component = 1;
    SurveySettings.dipole = 1;
    SetDefaultSettings();
    EXPECT_EQ(SurveySettings.component, c.component);
    EXPECT_EQ(SurveySettings.dipole, c.dipole);
    EXPECT_EQ(SurveySettings.scale1Min, 0.0f);
    EXPECT_EQ(SurveySettings.scale1Max, c.scale1Max);
    EXPECT_EQ(SurveySettings.scale2Min, c.scale2Min);
    EXPECT_EQ(SurveySettings.scale2Max, c.scale2Max);
    EXPECT_EQ(PlotState.pxPerUnit0, 180.0f / c.scale1Max);
    EXPECT_EQ(PlotState.pxPerUnit1, 180.0f / (c.scale2Max - c.scale2Min));
    EXPECT_EQ(PlotState.pxPerUnitIce, c.iceFactor);
  }
}

TEST_F(PlotChannelsTest, AnEmptyRangeKeepsTheFactorInForce) {
  test::UseBuild(kModelRz12, 1);
  ScreenLayout.plotHeight = kH;
  SurveySettings.scale1Min = SurveySettings.scale1Max = 100;
  SurveySettings.iceScaleMin = SurveySettings.iceScaleMax = 2;
  PlotState.pxPerUnit0 = 0.4f;
  PlotState.pxPerUnitIce = 40.0f;
  SetDefaultSettings();
  EXPECT_EQ(PlotState.pxPerUnit0, 0.4f);
  EXPECT_EQ(PlotState.pxPerUnitIce, 40.0f);
  EXPECT_EQ(PlotState.pxPerUnit1, 3.6f);
  // The rows and the grid then work with the kept factor.
  EXPECT_EQ(PlotRow(100, 50, PlotState.pxPerUnit0), 20);
}

// ---- Colour chooser ----------------------------------------------------------------------------

class PickColourTest : public PlotChannelsTest {
 protected:
  void SetUp() override {
    plat::test::Reset(plat::Profile::Handheld);
    test::UseBuild(kModelRz12);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"Owner";
    RegisterClassW(&wc);
    owner_ = CreateWindowExW(0, L"Owner", L"Display", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                             nullptr, nullptr);
    AppWindows.commdlgModule = LoadLibraryW(L"COMMDLG.DLL");
    AppWindows.chooseColorProc = GetProcAddressW(AppWindows.commdlgModule, L"ChooseColor");
    ASSERT_NE(AppWindows.chooseColorProc, nullptr);
    for (COLORREF& c : PlotState.customColours) c = RGB(9, 9, 9);
    for (COLORREF& c : PlotState.pickedColour) c = RGB(7, 7, 7);
  }
  HWND owner_ = nullptr;
};

TEST_F(PickColourTest, AConfirmedColourIsStoredForTheChannelOnly) {
  plat::test::ExpectColour(RGB(255, 0, 0));
  EXPECT_TRUE(PickColour(owner_, 3));
  EXPECT_EQ(PlotState.pickedColour[3], RGB(255, 0, 0));
  EXPECT_EQ(PlotState.pickedColour[2], RGB(7, 7, 7));
  for (COLORREF c : PlotState.customColours) EXPECT_EQ(c, RGB(0, 0, 0));  // black for every call
  const std::vector<plat::test::ModalRecord> log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].kind, plat::test::ModalKind::Colour);
  EXPECT_EQ(log[0].owner, owner_);
  EXPECT_EQ(log[0].flags, static_cast<UINT>(CC_ANYCOLOR));
}

TEST_F(PickColourTest, ACancelledChooserLeavesTheColour) {
  plat::test::ExpectColour(plat::test::kCancel);
  EXPECT_FALSE(PickColour(owner_, 0));
  EXPECT_EQ(PlotState.pickedColour[0], RGB(7, 7, 7));
  plat::test::OnModal(plat::test::ModalKind::Colour, L"Color", [](plat::test::ModalContext& m) { m.Close(); });
  EXPECT_FALSE(PickColour(owner_, 0));
  EXPECT_EQ(PlotState.pickedColour[0], RGB(7, 7, 7));
}

TEST_F(PickColourTest, NoChooserOrNoSuchChannelOpensNothingAndChangesNothing) {
  EXPECT_FALSE(PickColour(owner_, 8));
  EXPECT_FALSE(PickColour(owner_, -1));
  AppWindows.chooseColorProc = nullptr;
  EXPECT_FALSE(PickColour(owner_, 1));
  EXPECT_TRUE(plat::test::ModalLog().empty());
  for (COLORREF c : PlotState.customColours) EXPECT_EQ(c, RGB(9, 9, 9));
  for (COLORREF c : PlotState.pickedColour) EXPECT_EQ(c, RGB(7, 7, 7));
}

}  // namespace
}  // namespace handheld
