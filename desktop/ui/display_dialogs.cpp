// The display options (channels shown, their colours and widths, the grid or amplitude list), the
// readings scale and the GPS port setup. Colours and widths are live while the display options are
// open and go back on Cancel; every other value changes only on OK, which saves the settings file.
#include <commdlg.h>

#include "engine/models.h"
#include "engine/plot_scale.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "resources/dialog_ids.h"
#include "ui/dialogs.h"
#include "ui/logging.h"
#include "ui/plot.h"
#include "ui/setup_rules.h"

namespace desktop {
namespace {

using survey::FillAndSelect;
using survey::ReadNumber;
using survey::SelectedEntry;
using survey::ShowNumber;
using survey::StoreSelection;

constexpr int kChannels = 8;
constexpr int kChoiceList = 1200;

constexpr const wchar_t* kAmplitudes[] = {L"Linear", L"Compressed"};
constexpr const wchar_t* kGridScales[] = {L"Conductivity", L"Inphase"};

// The widths and colours in force when the display options opened, put back on Cancel.
struct DisplayOptionsCopy {
  int32_t width[kChannels] = {};
  int32_t colour[kChannels] = {};
};
DisplayOptionsCopy Saved;

int32_t Model() { return BuildConfig.modelIndex; }

void DisplayOnInit(HWND dialog) {
  const SurveySettingsData& s = SurveySettings;
  const int32_t model = Model();
  for (int c = 0; c < kChannels; ++c) {
    Saved.width[c] = s.traceThickness[c];
    Saved.colour[c] = s.traceColour[c];
  }
  const int n = DisplayChannelCount(model);
  for (int c = 0; c < n; ++c) FillAndSelect(dialog, kDisplayWidthIds[c], survey::WidthList(), s.traceThickness[c] - 1);
  if (model == kModelRz56Mk2) {
    FillAndSelect(dialog, kChoiceList, survey::List(kAmplitudes), s.rz56ScaleMode);
  } else if (model != kModelRz45) {
    FillAndSelect(dialog, kChoiceList, survey::List(kGridScales), s.gridScale);
  }
  for (int c = 0; c < n; ++c) {
    CheckDlgButton(dialog, kDisplayCheckIds[c], s.traceVisible[c] == 1 ? BST_CHECKED : BST_UNCHECKED);
  }
}

void DisplayOnOk(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  const int32_t model = Model();
  // The plain RZ56 plots nothing: its list stores nothing.
  if (model >= 0) StoreSelection(dialog, kChoiceList, &s.gridScale);
  if (model == kModelRz56Mk2) StoreSelection(dialog, kChoiceList, &s.rz56ScaleMode);
  for (int c = 0; c < kChannels; ++c) {
    s.traceVisible[c] = IsDlgButtonChecked(dialog, kDisplayCheckIds[c]) == BST_CHECKED ? 1 : 0;
  }
  KeepOneVisible(model, s.traceVisible);
  SelectTraces();
  LoadSaveSettings(1);
  CreateTracePens(1);
  EndDialog(dialog, 0);
}

void DisplayOnCancel(HWND dialog) {
  for (int c = 0; c < kChannels; ++c) {
    SurveySettings.traceThickness[c] = Saved.width[c];
    SurveySettings.traceColour[c] = Saved.colour[c];
  }
  EndDialog(dialog, 0);
}

void DisplayOnCommand(HWND dialog, WPARAM wParam) {
  const int id = LOWORD(wParam);
  if (id == IDOK) {
    DisplayOnOk(dialog);
  } else if (id == IDCANCEL) {
    DisplayOnCancel(dialog);
  } else if (const int c = ColourButtonChannel(id); c >= 0) {
    if (PickColour(dialog, c)) {
      SurveySettings.traceColour[c] = static_cast<int32_t>(PlotState.pickedColour[c]);
      InvalidateRect(dialog, nullptr, TRUE);
      UpdateWindow(dialog);
    }
  } else if (const int w = WidthListChannel(id); w >= 0 && HIWORD(wParam) == CBN_SELCHANGE) {
    const int sel = SelectedEntry(dialog, id);
    if (sel < 0) return;
    SurveySettings.traceThickness[w] = sel + 1;
    InvalidateRect(dialog, nullptr, FALSE);
    UpdateWindow(dialog);
  }
}

// ---- Readings scale --------------------------------------------------------------------------

constexpr int kScale1Min = 1174, kScale1Max = 1177;
constexpr int kScale2Min = 1180, kScale2Max = 1181;
constexpr int kNumberChars = 15;

// The second scale: models 0 and above but the RZ45-3, whose plot and template use scale 1 only.
bool HasScale2() { return Model() >= 0 && Model() != kModelRz45; }

void ScaleOnInit(HWND dialog) {
  const SurveySettingsData& s = SurveySettings;
  ShowNumber(dialog, kScale1Min, "%.1f", s.scale1Min);
  ShowNumber(dialog, kScale1Max, "%.1f", s.scale1Max);
  if (HasScale2()) {
    ShowNumber(dialog, kScale2Min, "%.1f", s.scale2Min);
    ShowNumber(dialog, kScale2Max, "%.1f", s.scale2Max);
  }
}

void StoreScale(HWND dialog, int minId, int maxId, double widen, float* min, float* max, float* pxPerUnit) {
  const ScaleRange r =
      WidenedScale(ReadNumber(dialog, minId, kNumberChars), ReadNumber(dialog, maxId, kNumberChars), widen);
  *min = static_cast<float>(r.min);
  *max = static_cast<float>(r.max);
  *pxPerUnit = PixelsPerUnit(ScreenLayout.plotHeight, *min, *max);
}

void ScaleOnOk(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  StoreScale(dialog, kScale1Min, kScale1Max, 100.0, &s.scale1Min, &s.scale1Max, &PlotState.pxPerUnit0);
  if (HasScale2()) StoreScale(dialog, kScale2Min, kScale2Max, 10.0, &s.scale2Min, &s.scale2Max, &PlotState.pxPerUnit1);
  ComputeGridInForce();
  for (int32_t& have : PlotState.havePrev) have = 0;
  PlotState.started = 0;
  LoadSaveSettings(1);
  EndDialog(dialog, 0);
}

// ---- GPS port setup --------------------------------------------------------------------------

struct GpsListRow {
  int id;
  survey::TextList (*list)();
  int32_t SurveySettingsData::*setting;
};
constexpr GpsListRow kGpsLists[] = {
    {1162, survey::OnOffList, &SurveySettingsData::gpsEnabled},
    {1165, survey::ComPortList, &SurveySettingsData::gpsPort},
    {1166, survey::BaudList, &SurveySettingsData::gpsBaudIndex},
    {1167, survey::ParityList, &SurveySettingsData::gpsParityIndex},
    {1168, survey::DataBitsList, &SurveySettingsData::gpsDataBitsIndex},
    {1169, survey::StopBitsList, &SurveySettingsData::gpsStopBitsIndex},
};

}  // namespace

INT_PTR CALLBACK DisplayOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      DisplayOnInit(dialog);
      return TRUE;
    case WM_DRAWITEM:
      DrawColourButton(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_COMMAND:
      DisplayOnCommand(dialog, wParam);
      return TRUE;
    default:
      return FALSE;
  }
}

int DrawColourButton(HWND, const DRAWITEMSTRUCT* item) {
  if (item == nullptr) return 0;
  const int c = ColourButtonChannel(static_cast<int>(item->CtlID));
  if (c < 0) return 0;
  survey::DrawColourSample(*item, SurveySettings.traceThickness[c], static_cast<COLORREF>(SurveySettings.traceColour[c]));
  return 0;
}

BOOL PickColour(HWND owner, int channel) {
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.hInstance = nullptr;
  cc.rgbResult = RGB(0, 0, 0);
  cc.lpCustColors = PlotState.customColours;
  cc.Flags = CC_ANYCOLOR;
  if (!ChooseColorA(&cc)) return FALSE;
  if (channel >= 0 && channel < kChannels) PlotState.pickedColour[channel] = cc.rgbResult;
  return TRUE;
}

INT_PTR CALLBACK ProfileScaleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    ScaleOnInit(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    ScaleOnOk(dialog);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
  }
  return TRUE;
}

INT_PTR CALLBACK GpsPortSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const GpsListRow& r : kGpsLists) FillAndSelect(dialog, r.id, r.list(), SurveySettings.*r.setting);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    for (const GpsListRow& r : kGpsLists) StoreSelection(dialog, r.id, &(SurveySettings.*r.setting));
    LoadSaveSettings(1);
    EndDialog(dialog, 1);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
  }
  return TRUE;
}

}  // namespace desktop
