// The file review window ViewFilesWnd: its class, creation (the plot child, the line box and ten
// buttons), paint (title, station label, scales and the value fields' layout), and one handler for
// the buttons, the line box, the key-downs and the characters.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>

#include "engine/state.h"
#include "logging/dialogs.h"
#include "logging/screen.h"
#include "logging/window_table.h"
#include "logging/dialog_support.h"
#include "shell/file_review.h"
#include "shell/file_review_rules.h"
#include "shell/shell.h"

namespace handheld {

namespace {

constexpr MessageHandler kViewFilesHandlers[] = {
    {WM_CREATE, ViewFilesOnCreate},     {WM_PAINT, ViewFilesOnPaint},   {WM_COMMAND, ViewFilesOnCommand},
    {WM_KEYDOWN, ViewFilesOnCommand},   {WM_CHAR, ViewFilesOnCommand}, {WM_KILLFOCUS, ViewFilesOnCommand},
    {WM_SIZE, ViewFilesOnSize},
};

constexpr const wchar_t* kButtonCaptions[kReviewButtons] = {
    L"<<--", L"<--", L"|<--", L"-->|", L"-->", L"-->>", L"&File", L"&Scale", L"E&xit", L"?",
};

// A scale value as "%d" shows it: cut toward zero, within the int range.
int ScaleInt(float v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp<double>(v, INT32_MIN, INT32_MAX));
}

// The line box's label at the top left of its field, clipped to it.
void DrawLineLabel(HDC dc, const wchar_t* text) {
  RECT r = FileReview.lineLabelRect;
  DrawTextW(dc, text, -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
}

void StoreFields(const ReviewFields& f) {
  FileReview.row1Y = f.row1Y;
  FileReview.row2Y = f.row2Y;
  FileReview.underPlotY = f.underPlotY;
  FileReview.bottomY = f.bottomY;
  FileReview.lineLabelRect = f.lineLabel;
  FileReview.fileRect = f.file;
  FileReview.stationRect = f.station;
  FileReview.scaleRect = f.scale;
  FileReview.scaleRectC = f.scaleC;
  FileReview.scaleRectI = f.scaleI;
  for (int i = 0; i < kReviewChannels; ++i) FileReview.valueRect[i] = f.value[i];
  FileReview.iceRect = f.ice;
}

void DrawScales(HDC dc) {
  const SurveySettingsData& s = SurveySettings;
  const ModelRow& row = BuildModel();
  wchar_t text[96];
  if (row.splitReviewScale) {
    EraseField(dc, FileReview.scaleRectC);
    EraseField(dc, FileReview.scaleRectI);
    swprintf(text, 96, L"C:%d/%d", ScaleInt(s.scale1Min), ScaleInt(s.scale1Max));
    DrawTextAt(dc, FileReview.scaleRectC.left, FileReview.scaleRectC.top, text);
    swprintf(text, 96, L"I:%d/%d", ScaleInt(s.scale2Min), ScaleInt(s.scale2Max));
    DrawTextAt(dc, FileReview.scaleRectI.left + 2, FileReview.scaleRectI.top, text);
    return;
  }
  EraseField(dc, FileReview.scaleRect);
  if (row.reviewChannels == 0) return;  // the RZ89 shows no scales
  switch (row.scales) {
    case ScaleChoice::kConductivityInphase:
      swprintf(text, 96, L"C:%d/%d  I:%d/%d", ScaleInt(s.scale1Min), ScaleInt(s.scale1Max), ScaleInt(s.scale2Min),
               ScaleInt(s.scale2Max));
      break;
    case ScaleChoice::kConductivity:
      swprintf(text, 96, L"C:%d/%d", ScaleInt(s.scale1Min), ScaleInt(s.scale1Max));
      break;
    case ScaleChoice::kThicknessInphase:
      swprintf(text, 96, L"T:%.1f/%.1f  I:%d/%d", static_cast<double>(s.scale1Min), static_cast<double>(s.scale1Max),
               ScaleInt(s.scale2Min), ScaleInt(s.scale2Max));
      break;
    default:
      return;
  }
  DrawTextAt(dc, FileReview.scaleRect.left + 2, FileReview.bottomY, text);
}

void Repaint(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}

// The plot drawn again at once from the per-slot arrays (grid, curves and bar when a file shows).
void RepaintPlot() { Repaint(AppWindows.viewCurveWnd); }

// ---- Line box -------------------------------------------------------------------------------

void ShowSelectedLine() {
  SendMessageW(FileReview.lineBox, CB_SETCURSEL, static_cast<WPARAM>(FileReview.currentLine), 0);
}

void LineBoxNotification(HWND window, WORD code) {
  switch (code) {
    case CBN_SELENDOK: {
      const LRESULT selection = SendMessageW(FileReview.lineBox, CB_GETCURSEL, 0, 0);
      if (selection >= 0 && selection != FileReview.currentLine) {
        FileReview.lastSlot = FileReview.slotsPerScreen;
        FileReview.firstSlot = 1;
        FileReview.firstRow = 1;
        FileReview.cursorSlot = 50;
        FileReview.currentLine = static_cast<int32_t>(selection);
        ExtractLine(FileReview.file, FileReview.currentLine + 1);
        ReadLineRows(1, FileReview.lastSlot, 1);
        ShowCursorValues(FileReview.cursorSlot);
      }
      FileReview.open = 0;
      RepaintPlot();  // the grid alone
      FileReview.open = 1;
      ShowSelectedLine();
      SetFocus(window);
      break;
    }
    case CBN_CLOSEUP:
      ShowSelectedLine();
      FileReview.open = 0;
      RepaintPlot();
      FileReview.open = 1;
      RepaintPlot();
      SetFocus(window);
      break;
    case CBN_SELENDCANCEL:
      SetFocus(window);
      break;
    default:
      break;
  }
}

// ---- Actions ----------------------------------------------------------------------------------

// Tab: the default-button frame moves on; on the line box the label turns bold and its list opens.
void MoveSelection(HWND window) {
  const int32_t old = FileReview.selectedButton;
  if (old >= 0 && old < kReviewButtons) SetButtonFrame(FileReview.buttons[old], false);
  const int32_t selected = NextReviewSelection(old);
  FileReview.selectedButton = selected;
  {
    WindowDc dc(window);
    EraseField(dc, FileReview.lineLabelRect);
    HGDIOBJ font = SelectObject(dc, selected == kLineBoxSelection ? AppWindows.fontBold : AppWindows.fontNormal);
    DrawLineLabel(dc, L"Ln");
    SelectObject(dc, font);
  }
  if (selected == kLineBoxSelection) {
    SendMessageW(FileReview.lineBox, CB_SHOWDROPDOWN, TRUE, 0);
    SetFocus(FileReview.lineBox);
  } else {
    SetButtonFrame(FileReview.buttons[selected], true);
  }
}

void RunSlotAction(HWND window, int32_t action) {
  SlotState state;
  state.firstRow = FileReview.firstRow;
  state.cursorSlot = FileReview.cursorSlot;
  state.rowCount = FileReview.rowCount;
  state.slotsPerScreen = FileReview.slotsPerScreen;
  state.lastSlot = FileReview.lastSlot;
  state.pageStep = FileReview.pageStep;
  const SlotStep step = SlotAction(action, state);
  if (step.cursorMoved) MoveCursorBar(FileReview.cursorSlot, step.cursorSlot);
  FileReview.cursorSlot = step.cursorSlot;
  FileReview.firstRow = step.firstRow;
  if (step.reread) ReadLineRows(FileReview.firstSlot, FileReview.lastSlot, FileReview.firstRow);
  if (step.showValues) ShowCursorValues(FileReview.cursorSlot);
  if (step.reread) RepaintPlot();
  SetFocus(window);
}

void FileAction(HWND window) {
  InvalidateRect(AppWindows.viewCurveWnd, nullptr, TRUE);
  OpenReviewFile(AppWindows.viewCurveWnd);
  ShowSipButton(0);
  SetSipPreference(window, 0);
  Repaint(window);
  if (FileReview.open != 1) return;  // no file chosen
  SendMessageW(FileReview.lineBox, CB_RESETCONTENT, 0, 0);
  IndexLines(FileReview.file);
  ExtractLine(FileReview.file, 1);
  FileReview.currentLine = 0;
  FileReview.cursorSlot = FirstCursorSlot(FileReview.rowCount);
  FileReview.lastSlot = FileReview.slotsPerScreen;
  FileReview.firstSlot = 1;
  FileReview.firstRow = 1;
  ReadLineRows(1, FileReview.slotsPerScreen, 1);
  RepaintPlot();
  Repaint(window);  // the title and the values at the cursor
  SetFocus(window);
}

void ScaleAction(HWND window) {
  ShowSipButton(1);
  SetSipPreference(window, 1);
  const bool single = BuildModel().scales == ScaleChoice::kConductivity;  // the RZ45's one scale
  RunDialogByName(window, single ? L"GetNewProfileScale45" : L"GetNewProfileScale12",
                  ProfileScaleDlgProc);
  ShowSipButton(0);
  SetSipPreference(window, 0);
  Repaint(window);
  RepaintPlot();
  SetFocus(window);
}

void ExitAction(HWND window) {
  FileReview.open = 0;
  if (FileReview.file != INVALID_HANDLE_VALUE) CloseHandle(FileReview.file);
  FileReview.file = INVALID_HANDLE_VALUE;
  InvalidateRect(window, nullptr, TRUE);
  InvalidateRect(AppWindows.viewCurveWnd, nullptr, TRUE);
  SendMessageW(FileReview.lineBox, CB_RESETCONTENT, 0, 0);
  ShowWindow(window, SW_HIDE);
}

void RunAction(HWND window, int32_t action) {
  switch (action) {
    case kActionStart:
    case kActionBack:
    case kActionLeft:
    case kActionRight:
    case kActionOn:
    case kActionEnd:
      RunSlotAction(window, action);
      break;
    case kActionFile:
      FileAction(window);
      break;
    case kActionScale:
      ScaleAction(window);
      break;
    case kActionExit:
      ExitAction(window);
      break;
    case kActionHelp:
      MessageBoxW(window, ReviewHelpText(BuildConfig.storageRoot).c_str(), L"View Files Help", MB_OK);
      SetFocus(window);
      break;
    case kActionLine:
      SendMessageW(FileReview.lineBox, CB_SHOWDROPDOWN, TRUE, 0);
      SetFocus(FileReview.lineBox);
      break;
    default:
      break;
  }
}

}  // namespace

int RegisterViewFilesWnd(HINSTANCE instance) {
  if (RegisterProgramClass(instance, L"ViewFilesWnd", ViewFilesWndProc, LTGRAY_BRUSH) != 0) return 1;
  return RegisterViewCurveWnd(instance) != 0 ? 2 : 0;
}

LRESULT CALLBACK ViewFilesWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByTable(kViewFilesHandlers, window, message, wParam, lParam);
}

LRESULT ViewFilesOnCreate(HWND window, UINT, WPARAM, LPARAM) {
  FileReview.firstSlot = 1;
  FileReview.lastSlot = FileReview.slotsPerScreen = ScreenLayout.plotWidth - 2;
  AppWindows.viewCurveWnd =
      CreateWindowW(L"ViewCurveWnd", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, ScreenLayout.plotLeft - 1,
                    ScreenLayout.plotTop - 1, ScreenLayout.plotWidth + 1, ScreenLayout.plotHeight + 1, window,
                    reinterpret_cast<HMENU>(static_cast<intptr_t>(kViewCurveWndId)), AppWindows.instance, nullptr);
  const ReviewScreen screen = CurrentScreen();
  const RECT box = LineBoxRect(screen);
  constexpr DWORD kBoxStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
  FileReview.lineBox = CreateWindowW(L"combobox", L"", kBoxStyle, box.left, box.top, box.right - box.left,
                                     box.bottom - box.top, window,
                                     reinterpret_cast<HMENU>(static_cast<intptr_t>(kLineBoxId)), AppWindows.instance,
                                     nullptr);
  for (int i = 0; i < kReviewButtons; ++i) {
    const RECT r = ReviewButtonRect(screen, i);
    FileReview.buttons[i] =
        CreateWindowW(L"BUTTON", kButtonCaptions[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CENTER | BS_PUSHBUTTON,
                      r.left, r.top, r.right - r.left, r.bottom - r.top, window,
                      reinterpret_cast<HMENU>(static_cast<intptr_t>(kReviewButtonIdBase + i)), AppWindows.instance,
                      nullptr);
  }
  const int32_t selected = FileReview.selectedButton;
  if (selected >= 0 && selected < kReviewButtons) {
    SendMessageW(FileReview.buttons[selected], BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  }
  return 0;
}

LRESULT ViewFilesOnPaint(HWND window, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, AppWindows.fontNormal);
  const bool portrait = ScreenLayout.portrait != 0;
  const wchar_t* label = portrait ? L"Line" : L"Ln";

  ReviewTextWidths widths;
  widths.lineLabel = TextWidth(dc, label);
  widths.fileField = TextWidth(dc, L"File:WWWWWWWW");
  widths.stationLabel = TextWidth(dc, L"Stn:");
  widths.stationDigits = TextWidth(dc, L"999999999");
  widths.mk2Scale = TextWidth(dc, L"C:99999/99999");
  StoreFields(ComputeReviewFields(CurrentScreen(), widths));

  DrawLineLabel(dc, label);
  DrawTextAt(dc, 5, FileReview.row1Y, L"File:");
  if (FileReview.open == 1) {
    EraseField(dc, FileReview.fileRect);
    std::wstring text = L"File:";
    for (int i = 0; i < 8 && FileReview.title[i] != 0; ++i) {
      text += plat::Cp1252ToWide(static_cast<unsigned char>(FileReview.title[i]));
    }
    DrawTextAt(dc, 5, FileReview.row1Y, text.c_str());
    ShowCursorValues(FileReview.cursorSlot);
  }
  DrawTextAt(dc, ScreenLayout.plotLeft, FileReview.row2Y, L"Stn:");
  DrawScales(dc);

  SelectObject(dc, oldFont);
  EndPaint(window, &ps);
  return 0;
}

LRESULT ViewFilesOnCommand(HWND window, UINT message, WPARAM wParam, LPARAM) {
  FileReview.slotsPerScreen = ScreenLayout.plotWidth - 2;
  if (message == WM_COMMAND && LOWORD(wParam) == kLineBoxId) {
    LineBoxNotification(window, HIWORD(wParam));
    return 0;
  }
  const int32_t action = ReviewInputAction(message, wParam, FileReview.selectedButton);
  if (action == kReviewTab) {
    MoveSelection(window);
  } else if (action != kReviewNoAction) {
    RunAction(window, action);
  }
  return 0;
}

LRESULT ViewFilesOnSize(HWND, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace handheld
