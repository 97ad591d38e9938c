// The display options dialog (channels shown, colours, line widths, grid and, with the ice option,
// the profile shown) and the profile scale dialog. Colours and widths are live while the display
// options are open and go back on Cancel; both dialogs save the settings file on OK.
#include "engine/scale.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "logging/dialogs.h"
#include "logging/logging.h"
#include "shell/setup_dialogs.h"

namespace handheld {
namespace {

constexpr int kChannels = 8;
constexpr int kCheckBase = 750;
constexpr int kColourBase = 758;
constexpr int kWidthBase = 766;
constexpr int kGridList = 775;
constexpr int kProfileList = 777;

// The widths and colours in force when the display options opened, put back on Cancel.
struct DisplayOptionsCopy {
  int32_t width[kChannels] = {};
  COLORREF colour[kChannels] = {};
};
DisplayOptionsCopy Saved;

int32_t IceOption() { return BuildConfig.zolOptionAvailable == 1 ? 1 : 0; }
ScaleChoice Scales() { return BuildModel().scales; }
int ChannelCount() { return DisplayChannelCount(BuildConfig.modelIndex, IceOption()); }

void DisplayOnInit(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  const int n = ChannelCount();
  for (int c = 0; c < n; ++c) {
    Saved.width[c] = s.traceThickness[c];
    Saved.colour[c] = s.traceColour[c];
    FillAndSelect(dialog, kWidthBase + c, WidthList(), s.traceThickness[c] - 1);
  }
  if (IceBuild()) {
    FillAndSelect(dialog, kProfileList, ProfileChoiceList(), s.showIceProfile);
    s.gridScale = GridForProfile(s.showIceProfile, s.gridScale);
  }
  if (Scales() != ScaleChoice::kConductivity) {
    FillAndSelect(dialog, kGridList, GridList(BuildConfig.modelIndex, IceOption()), s.gridScale);
  }
  for (int c = 0; c < n; ++c) CheckDlgButton(dialog, kCheckBase + c, s.traceVisible[c] == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void DisplayOnOk(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  if (Scales() != ScaleChoice::kConductivity) StoreSelection(dialog, kGridList, &s.gridScale);
  if (IceBuild()) {
    StoreSelection(dialog, kProfileList, &s.showIceProfile);
    s.gridScale = GridForProfile(s.showIceProfile, s.gridScale);
  }
  for (int c = 0; c < kChannels; ++c) s.traceVisible[c] = IsDlgButtonChecked(dialog, kCheckBase + c) == BST_CHECKED ? 1 : 0;
  LoadSaveSettings(1);
  SelectTraces();
  if (BuildModel().types == TypeChoice::kMk2 && s.mk2Type == 1) {
    for (int c = 4; c < kChannels; ++c) PlotState.traceShown[c] = 0;
  }
  EndDialog(dialog, 0);
}

void DisplayOnCancel(HWND dialog) {
  const int n = ChannelCount();
  for (int c = 0; c < n; ++c) {
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
  } else if (id >= kColourBase && id < kColourBase + kChannels) {
    const int c = id - kColourBase;
    if (PickColour(dialog, c)) {
      SurveySettings.traceColour[c] = PlotState.pickedColour[c];
      InvalidateRect(GetDlgItem(dialog, id), nullptr, TRUE);
    }
  } else if (id >= kWidthBase && id < kWidthBase + kChannels) {
    if (HIWORD(wParam) != CBN_SELCHANGE) return;
    const int sel = SelectedEntry(dialog, id);
    if (sel < 0) return;
    SurveySettings.traceThickness[id - kWidthBase] = sel + 1;
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  } else if (id == kProfileList) {
    // The grid follows the profile chosen; the settings wait for OK.
    const int profile = SelectedEntry(dialog, kProfileList);
    if (profile < 0) return;
    const int grid = GridForProfile(profile, SelectedEntry(dialog, kGridList));
    SendDlgItemMessageW(dialog, kGridList, CB_SETCURSEL, static_cast<WPARAM>(grid), 0);
  }
}

// ---- Profile scale ---------------------------------------------------------------------------

constexpr int kGroupLabel = 830;
constexpr int kScale1Min = 833, kScale1Max = 834;
constexpr int kScale2Min = 838, kScale2Max = 839;
constexpr int kIceMin = 843, kIceMax = 844;

bool HasEdits(HWND dialog, int minId, int maxId) {
  return GetDlgItem(dialog, minId) != nullptr && GetDlgItem(dialog, maxId) != nullptr;
}

// The ice group is there on the RZ12 with the ice option enabled, when the open template holds its
// edits (the file review's template does not).
bool IceGroup(HWND dialog) {
  return BuildModel().iceOption && SurveySettings.zolEnabled == 1 && HasEdits(dialog, kIceMin, kIceMax);
}
bool InphaseGroup(HWND dialog) {
  return Scales() != ScaleChoice::kConductivity && HasEdits(dialog, kScale2Min, kScale2Max);
}

void ScaleOnInit(HWND dialog) {
  const SurveySettingsData& s = SurveySettings;
  const bool zol12 = Scales() == ScaleChoice::kThicknessInphase;  // metres, to a tenth
  SetDlgItemTextW(dialog, kGroupLabel, zol12 ? L"Thickness" : L"Conductivity");
  ShowNumber(dialog, kScale1Min, zol12 ? "%.1f" : "%.0f", s.scale1Min);
  ShowNumber(dialog, kScale1Max, zol12 ? "%.1f" : "%.0f", s.scale1Max);
  if (InphaseGroup(dialog)) {
    ShowNumber(dialog, kScale2Min, "%.0f", s.scale2Min);
    ShowNumber(dialog, kScale2Max, "%.0f", s.scale2Max);
  }
  if (IceGroup(dialog)) {
    ShowNumber(dialog, kIceMin, "%.0f", s.iceScaleMin);
    ShowNumber(dialog, kIceMax, "%.0f", s.iceScaleMax);
  }
}

// Stores a range and its pixels per unit; the curves start afresh.
void StoreScale(const ScaleRange& range, float* min, float* max, float* pxPerUnit) {
  *min = static_cast<float>(range.min);
  *max = static_cast<float>(range.max);
  *pxPerUnit = PixelsPerUnit(*pxPerUnit, ScreenLayout.plotHeight, *min, *max);
  for (int32_t& have : PlotState.havePrev) have = 0;
}

void ScaleOnOk(HWND dialog) {
  SurveySettingsData& s = SurveySettings;
  const double min1 = ReadNumber(dialog, kScale1Min), max1 = ReadNumber(dialog, kScale1Max);
  const ScaleRange group1 =
      Scales() == ScaleChoice::kThicknessInphase ? TenMetreScale(min1, max1) : WideScale(min1, max1);
  StoreScale(group1, &s.scale1Min, &s.scale1Max, &PlotState.pxPerUnit0);
  if (InphaseGroup(dialog)) {
    StoreScale(WideScale(ReadNumber(dialog, kScale2Min), ReadNumber(dialog, kScale2Max)), &s.scale2Min,
               &s.scale2Max, &PlotState.pxPerUnit1);
  }
  if (IceGroup(dialog)) {
    StoreScale(TenMetreScale(ReadNumber(dialog, kIceMin), ReadNumber(dialog, kIceMax)), &s.iceScaleMin,
               &s.iceScaleMax, &PlotState.pxPerUnitIce);
  }
  LoadSaveSettings(1);
  EndDialog(dialog, 0);
}

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
  const int c = static_cast<int>(item->CtlID) - kColourBase;
  if (c < 0 || c >= kChannels) return 0;
  survey::DrawColourSample(*item, SurveySettings.traceThickness[c], SurveySettings.traceColour[c]);
  return 0;
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

}  // namespace handheld
