// Plot channels and scales: the channel selection by model and survey mode, the value-to-row rule,
// the grid rows, the per-model defaults and the colour chooser.
#include "logging/plot_channels.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "common/trace_choice.h"
#include "engine/ice.h"
#include "engine/scale.h"
#include "engine/state.h"
#include "logging/logging.h"

namespace handheld {
namespace {

constexpr int kChannels = TraceSetData::kChannels;
constexpr int32_t kDipoleV = 0;
constexpr int32_t kDipoleBoth = 2;
constexpr int32_t kComponentBoth = 0;
constexpr int32_t kComponentConductivity = 2;

// A row from a product computed in any precision: clamped into the 16-bit range, then truncated.
int32_t ToRow(double v) {
  if (std::isnan(v)) return 32767;
  return static_cast<int32_t>(std::clamp(v, -32768.0, 32767.0));
}

}  // namespace

int32_t ChannelGroup(int32_t channel) {
  if (channel < 0 || channel >= kChannels) return kGroupNone;
  // By model: each lays its quantities on the channels in a plan of its own.
  switch (BuildConfig.modelIndex) {
    case kModelRz12:
      if (channel == 4) return SurveySettings.showIceProfile == 1 ? kGroupIce : kGroupNone;
      [[fallthrough]];
    case kModelRz27B:
    case kModelRz27Dd:
    case kModelRz27:
      if (channel < 2) return kGroupScale1;
      return channel < 4 ? kGroupScale2 : kGroupNone;
    case kModelRz45:
    case kModelRz89:
      return channel < 6 ? kGroupScale1 : kGroupNone;
    case kModelZol12:
      if (channel == 0) return kGroupScale1;
      return channel == 2 ? kGroupScale2 : kGroupNone;
    case kModelRz27Mk2:
      return (channel & 2) == 0 ? kGroupScale1 : kGroupScale2;  // 0, 1, 4, 5 and 2, 3, 6, 7
    default:
      return kGroupNone;
  }
}

bool GroupScaleOf(int32_t group, GroupScale* out) {
  switch (group) {
    case kGroupScale1:
      *out = {SurveySettings.scale1Min, SurveySettings.scale1Max, PlotState.pxPerUnit0};
      return true;
    case kGroupScale2:
      *out = {SurveySettings.scale2Min, SurveySettings.scale2Max, PlotState.pxPerUnit1};
      return true;
    case kGroupIce:
      *out = {SurveySettings.iceScaleMin, SurveySettings.iceScaleMax, PlotState.pxPerUnitIce};
      return true;
    default:
      return false;
  }
}

int32_t PlotRow(float max, float value, float pxPerUnit) {
  const float product = (max - value) * pxPerUnit;
  return ToRow(product);
}

int32_t ComputePlotGrid(int32_t height, float min, float max, float pxPerUnit, int32_t grid[10]) {
  const auto evenRows = [&] {
    static constexpr double kFractions[4] = {0.2, 0.4, 0.6, 0.8};
    grid[0] = 4;
    for (int i = 0; i < 4; ++i) grid[i + 1] = ToRow(height - kFractions[i] * (height + 1));
    return 0;
  };
  if (min >= 0 || max <= 0) return evenRows();

  // A zero row on an edge (a range end within a pixel of zero) has no part of the plot on one side.
  const float zeroProduct = max * pxPerUnit;
  const int32_t z = ToRow(zeroProduct);
  if (z <= 0 || z >= height) return evenRows();
  grid[1] = z;

  int32_t ratio;
  float small;
  float large;
  const float zf = static_cast<float>(z);
  const float rest = static_cast<float>(height - z);
  if (z >= height / 2) {
    ratio = static_cast<int32_t>(zf / rest + 0.5);
    small = std::fabs(min);
    large = std::fabs(max);
  } else {
    ratio = static_cast<int32_t>(rest / zf + 0.5);
    small = std::fabs(max);
    large = std::fabs(min);
  }
  if (ratio <= 0) return evenRows();

  double step;
  if (ratio > 4) {
    step = large / 5.0;
  } else if (ratio >= 2) {
    step = static_cast<double>(large) / ratio;
  } else {
    step = small / 4.0;
  }

  // Rows above the zero line until one reaches the top edge, then below until one reaches the
  // bottom; the row that crossed an edge is not counted.
  int k = 2;
  while (k != 10) {
    grid[k] = ToRow((max - step * (k - 1)) * pxPerUnit);
    if (grid[k] <= 0) break;
    ++k;
  }
  for (int j = 1; k != 10; ++j, ++k) {
    grid[k] = ToRow((max + step * j) * pxPerUnit);
    if (grid[k] >= height) break;
  }
  grid[0] = k - 1;
  return ratio;
}

bool GridHasZeroLine() {
  GroupScale g;
  if (!GroupScaleOf(SurveySettings.gridScale, &g)) return false;
  int32_t grid[10] = {};
  return ComputePlotGrid(ScreenLayout.plotHeight, g.min, g.max, g.pxPerUnit, grid) >= 1;
}

int32_t NewestColumn() { return ScreenLayout.portrait ? 200 : 270; }
int32_t LabelColumnMin() { return ScreenLayout.portrait ? 202 : 272; }

void SetDefaultSettings() {
  SurveySettingsData& s = SurveySettings;
  const auto set = [](int32_t component, int32_t dipole) {
    SurveySettings.component = component;
    SurveySettings.dipole = dipole;
  };
  // By model: each starts from its own settings (the ZOL12 and the ice build also from their own
  // scales).
  switch (BuildConfig.modelIndex) {
    case kModelRz12:
      set(kComponentBoth, kDipoleV);
      if (BuildConfig.zolOptionAvailable == 1) {
        PlotState.pxPerUnitIce =
            PixelsPerUnit(PlotState.pxPerUnitIce, ScreenLayout.plotHeight, s.iceScaleMin, s.iceScaleMax);
      }
      break;
    case kModelRz27B:
    case kModelRz89:
    case kModelRz27Mk2:
      set(kComponentBoth, kDipoleV);
      break;
    case kModelRz27Dd:
      set(kComponentConductivity, kDipoleBoth);
      break;
    case kModelRz27:
    case kModelRz45:
      set(kComponentConductivity, kDipoleV);
      break;
    case kModelZol12:
      set(kComponentBoth, kDipoleV);
      s.scale1Min = 0.0f;
      s.scale1Max = 10.0f;
      s.scale2Min = 0.0f;
      s.scale2Max = 20.0f;
      break;
    default:
      break;
  }
  PlotState.pxPerUnit0 = PixelsPerUnit(PlotState.pxPerUnit0, ScreenLayout.plotHeight, s.scale1Min, s.scale1Max);
  PlotState.pxPerUnit1 = PixelsPerUnit(PlotState.pxPerUnit1, ScreenLayout.plotHeight, s.scale2Min, s.scale2Max);
}

void SelectTraces() {
  const SurveySettingsData& s = SurveySettings;
  bool plot[kChannels] = {};
  int32_t perStation = 1;
  if (BuildConfig.modelIndex == kModelRz12 && s.zolEnabled == 1 && s.showIceProfile == 1) {
    plot[kIceChannel] = true;  // the ice thickness only, on its own grid
    SurveySettings.gridScale = kGroupIce;
  } else {
    const survey::TraceChoice choice = survey::ChooseTraces(BuildConfig.modelIndex, s.surveyMode, s.dipole, s.component);
    std::copy(std::begin(choice.plot), std::end(choice.plot), plot);
    if (choice.perStation > 0) perStation = choice.perStation;
    if (choice.gridScale >= 0) SurveySettings.gridScale = choice.gridScale;
  }
  for (int c = 0; c < kChannels; ++c) PlotState.traceShown[c] = plot[c] && s.traceVisible[c] == 1 ? 1 : 0;
  PlotState.groupsPerStation = perStation;
}

void TracesToRows(int32_t rows[8]) {
  for (int c = 0; c < kChannels; ++c) {
    GroupScale g;
    if (!GroupScaleOf(ChannelGroup(c), &g)) continue;
    rows[c] = PlotRow(g.max, TraceSet.traceValue[c], g.pxPerUnit);
  }
}

BOOL PickColour(HWND owner, int channel) {
  if (AppWindows.chooseColorProc == nullptr || channel < 0 || channel >= kChannels) return FALSE;
  for (COLORREF& c : PlotState.customColours) c = RGB(0, 0, 0);
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.hInstance = reinterpret_cast<HWND>(AppWindows.instance);
  cc.rgbResult = RGB(0, 0, 0);
  cc.lpCustColors = PlotState.customColours;
  cc.Flags = CC_ANYCOLOR;
  const auto choose =
      reinterpret_cast<BOOL (*)(LPCHOOSECOLORW)>(reinterpret_cast<void (*)()>(AppWindows.chooseColorProc));
  const BOOL chosen = choose(&cc);
  if (chosen) PlotState.pickedColour[channel] = cc.rgbResult;
  return chosen;
}

}  // namespace handheld
