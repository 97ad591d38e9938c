// Templates of the setup dialogs, the display options, the readings scale, the GPS message and the
// survey run's comment, new line and new station. All are centred with a modal frame and a caption whose close box cancels; the display options
// use the 8-point dialog font, the others the 10-point one.
//
// One layout recipe: labels at x 7 and controls right-aligned at cx - 7 (inside a group box, 5 in
// from its sides); rows 14 units apart, or the least a row needs where a template is short of
// room (13 for a drop-down list at 8 points, whose closed box is 21 pixels; 12 at 10 points, 24
// pixels); edits 12 units high and a drop-down list 12 + 8 x its entries; "OK" (the default
// button) and "Cancel" at the bottom right. The wide "SYSTEM" puts its groups in two columns.
#include <array>
#include <cstddef>

#include "engine/models.h"
#include "resources/dialog_ids.h"
#include "common/template_items.h"
#include "resources/templates.h"

namespace desktop {
namespace {

constexpr uint32_t kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
constexpr const wchar_t* kFace = L"MS Sans Serif";
constexpr uint16_t kNoId = 0xFFFF;  // labels nothing addresses

constexpr int16_t kMargin = 7;
constexpr int16_t kPitch = 14;
constexpr int16_t kControlCy = 12;
constexpr int16_t kButtonCx = 50;
constexpr int16_t kButtonCy = 14;

constexpr int16_t S(int v) { return static_cast<int16_t>(v); }

template <std::size_t N>
constexpr DlgTemplateT Make(const wchar_t* name, const wchar_t* title, int16_t cx, int16_t cy, uint16_t points,
                            const std::array<DlgItemT, N>& items) {
  return DlgTemplateT{name, title, kStyle, 0, 0, 0, cx, cy, kFace, points, items.data(), static_cast<uint16_t>(N)};
}

using survey::Join;

// "OK" and "Cancel" (or the template's own texts) at the bottom right of a cx x cy template.
// Without okIsDefault neither is the default button.
constexpr std::array<DlgItemT, 2> Buttons(int16_t cx, int16_t cy, const wchar_t* ok = L"OK",
                                          const wchar_t* cancel = L"Cancel", bool okIsDefault = true) {
  const int16_t y = S(cy - kMargin - kButtonCy);
  const int16_t cancelX = S(cx - kMargin - kButtonCx);
  const int16_t okX = S(cancelX - 6 - kButtonCx);
  return {okIsDefault ? DlgDefPushButton(IDOK, ok, okX, y, kButtonCx, kButtonCy)
                      : DlgPushButton(IDOK, ok, okX, y, kButtonCx, kButtonCy),
          DlgPushButton(IDCANCEL, cancel, cancelX, y, kButtonCx, kButtonCy)};
}

// One row: a label and its control, an edit when `entries` is 0, a read-only edit without a border
// when it is kReadOnly, else a drop-down list of that many entries.
constexpr int16_t kReadOnly = -1;
struct Row {
  uint16_t labelId;
  const wchar_t* label;
  uint16_t controlId;
  int16_t entries;
};

// A column of rows from `top`, labels at x and controls ending at right.
struct Column {
  int16_t x, right, controlCx, top;
  int16_t pitch = kPitch;
};

template <std::size_t N>
constexpr std::array<DlgItemT, 2 * N> Form(const Row (&rows)[N], const Column& c) {
  std::array<DlgItemT, 2 * N> items{};
  const int16_t controlX = S(c.right - c.controlCx);
  for (std::size_t i = 0; i < N; ++i) {
    const Row& r = rows[i];
    const int16_t y = S(c.top + c.pitch * static_cast<int>(i));
    // The label's text line sits level with the text of its control.
    items[2 * i] = DlgLText(r.labelId, r.label, c.x, S(y + 2), S(controlX - 2 - c.x), 8);
    if (r.entries > 0) {
      items[2 * i + 1] = DlgComboBox(r.controlId, controlX, y, c.controlCx, S(12 + 8 * r.entries));
    } else if (r.entries == kReadOnly) {
      items[2 * i + 1] = DlgItemT{DlgKind::Edit, r.controlId, nullptr, controlX, y, c.controlCx, kControlCy,
                                  kDlgItemStyle | ES_AUTOHSCROLL | ES_READONLY};
    } else {
      items[2 * i + 1] = DlgEdit(r.controlId, controlX, y, c.controlCx, kControlCy);
    }
  }
  return items;
}

// A group box around rows: its title line, the rows, and 4 units below the last.
template <std::size_t N>
constexpr std::array<DlgItemT, 2 * N + 1> Group(const wchar_t* title, const Row (&rows)[N], int16_t x, int16_t cx,
                                                int16_t y, int16_t controlCx) {
  const auto form = Form(rows, Column{S(x + 5), S(x + cx - 5), controlCx, S(y + 10)});
  std::array<DlgItemT, 2 * N + 1> items{};
  items[0] = DlgGroupBox(kNoId, title, x, y, cx, S(10 + kPitch * static_cast<int>(N) + 4));
  for (std::size_t i = 0; i < 2 * N; ++i) items[i + 1] = form[i];
  return items;
}
constexpr int16_t GroupBottom(int16_t y, int rows) { return S(y + 10 + kPitch * rows + 4); }

// ---- Survey setup (146 units wide) -----------------------------------------------------------
constexpr int16_t kSurveyCx = 146;
constexpr Column kSurveyColumn{kMargin, S(kSurveyCx - kMargin), 60, kMargin};

constexpr Row kRateRow{1245, L"Readings/second", 1111, 0};
constexpr Row kComponentRow{1260, L"Component", 1262, 3};
constexpr Row kDipoleRow{1261, L"Dipole Mode", 1263, 3};
constexpr Row kRz45DipoleRow{1261, L"Dipole/Separ.", 1263, 6};
#define SURVEY_LINE_ROWS                                                                                     \
  {kNoId, L"Survey Line", 1113, 0}, {kNoId, L"Line Increment", 1114, 0}, {kNoId, L"Line Sequence", 1115, 2}, \
      {kNoId, L"Direction", 1116, 4}, {kNoId, L"Start Station", 1117, 0}, {1119, L"Station Increment", 1118, 0}

constexpr Row kSurveyRz56Rows[] = {{kNoId, L"RZ56MK2 Mode", 1110, 3}, {kNoId, L"Readings/second", 1111, 0},
                                   SURVEY_LINE_ROWS};
constexpr Row kSurvey12Rows[] = {{kNoId, L"RZ12 Mode", 1110, 3}, kRateRow, kComponentRow, kDipoleRow,
                                 SURVEY_LINE_ROWS};
constexpr Row kSurvey27BRows[] = {{1247, L"RZ27B Mode", 1110, 3}, kRateRow, kDipoleRow, SURVEY_LINE_ROWS};
constexpr Row kSurvey27DdRows[] = {{kNoId, L"RZ27-DD Mode", 1110, 3}, kRateRow, kComponentRow, SURVEY_LINE_ROWS};
constexpr Row kSurvey27Rows[] = {{kNoId, L"RZ27 Mode", 1110, 3}, kRateRow, kComponentRow, kDipoleRow,
                                 SURVEY_LINE_ROWS};
constexpr Row kSurvey45Rows[] = {{kNoId, L"RZ45-3 Mode", 1110, 3}, kRateRow, kRz45DipoleRow, SURVEY_LINE_ROWS};
#undef SURVEY_LINE_ROWS

template <std::size_t N>
constexpr auto SurveyItems(const Row (&rows)[N], int16_t cy) {
  return Join(Form(rows, kSurveyColumn), Buttons(kSurveyCx, cy, L"OK", L"Cancel"));
}
constexpr auto kSurveyRz56Items = SurveyItems(kSurveyRz56Rows, 152);
constexpr auto kSurvey12Items = SurveyItems(kSurvey12Rows, 173);
constexpr auto kSurvey27BItems = SurveyItems(kSurvey27BRows, 161);
constexpr auto kSurvey27DdItems = SurveyItems(kSurvey27DdRows, 162);
constexpr auto kSurvey27Items = SurveyItems(kSurvey27Rows, 173);
constexpr auto kSurvey45Items = SurveyItems(kSurvey45Rows, 161);

constexpr const wchar_t* kSurveyTitle = L"Survey Setup";
constexpr DlgTemplateT kSurveySetup = Make(L"SURVEYSETUP", kSurveyTitle, kSurveyCx, 152, 10, kSurveyRz56Items);
constexpr DlgTemplateT kSurveySetup12 = Make(L"SURVEYSETUP12", kSurveyTitle, kSurveyCx, 173, 10, kSurvey12Items);
constexpr DlgTemplateT kSurveySetup27B = Make(L"SURVEYSETUP27B", kSurveyTitle, kSurveyCx, 161, 10, kSurvey27BItems);
constexpr DlgTemplateT kSurveySetup27Dd =
    Make(L"SURVEYSETUP27DD", kSurveyTitle, kSurveyCx, 162, 10, kSurvey27DdItems);
constexpr DlgTemplateT kSurveySetup27 = Make(L"SURVEYSETUP27", kSurveyTitle, kSurveyCx, 173, 10, kSurvey27Items);
constexpr DlgTemplateT kSurveySetup45 = Make(L"SURVEYSETUP45", kSurveyTitle, kSurveyCx, 161, 10, kSurvey45Items);

// ---- System setup ----------------------------------------------------------------------------
constexpr int16_t kGroupTop = 5;

// "SYSTEM": two columns, the RZ56-MK2 group over the ports on the left, the program settings on
// the right; "Volts" after the battery warning.
constexpr int16_t kSystemCx = 275;
constexpr int16_t kSystemColumnCx = S((kSystemCx - 2 * kMargin - 6) / 2);
constexpr int16_t kSystemRightX = S(kSystemCx - kMargin - kSystemColumnCx);
constexpr Row kRz56SetupRows[] = {{kNoId, L"RZ56-MK2 Type:", 1121, 2}, {kNoId, L"Sensor Size:", 1122, 3}};
constexpr Row kRz56PortRows[] = {{kNoId, L"RZ56-MK2 Port:", 1125, 12}, {kNoId, L"GPS Port:", 1140, 12}};
constexpr Row kProgramRows[] = {{kNoId, L"Pause Key:", 1131, 4}, {kNoId, L"Audio:", 1134, 2},
                                {kNoId, L"Display Units:", 1135, 3}};
constexpr int16_t kBatteryY = S(kGroupTop + 10 + 2 * kPitch);
constexpr int16_t kVoltsCx = 22;
constexpr int16_t kBatteryRight = S(kMargin + kSystemColumnCx - 5 - kVoltsCx - 2);
constexpr std::array<DlgItemT, 4> kBatteryRow = {
    DlgLText(kNoId, L"Battery Warning:", kMargin + 5, S(kBatteryY + 2), S(kBatteryRight - 30 - 2 - kMargin - 5), 8),
    DlgEdit(1244, S(kBatteryRight - 30), kBatteryY, 30, kControlCy),
    DlgLText(kNoId, L"Volts", S(kBatteryRight + 2), S(kBatteryY + 2), kVoltsCx, 8),
    DlgGroupBox(kNoId, L"RZ56-MK2 Setup", kMargin, kGroupTop, kSystemColumnCx, S(10 + 3 * kPitch + 4))};
constexpr auto kRz56SetupForm =
    Form(kRz56SetupRows, Column{kMargin + 5, S(kMargin + kSystemColumnCx - 5), 52, S(kGroupTop + 10)});
constexpr int16_t kSystemPortsY = S(GroupBottom(kGroupTop, 3) + 4);
constexpr auto kSystemItems =
    Join(kBatteryRow, kRz56SetupForm,
         Group(L"Program Settings", kProgramRows, kSystemRightX, kSystemColumnCx, kGroupTop, 60),
         Group(L"Serial Ports", kRz56PortRows, kMargin, kSystemColumnCx, kSystemPortsY, 52),
         Buttons(kSystemCx, 140, L"&OK", L"&Cancel"));

// The one-column system templates: the program settings over the serial ports.
template <std::size_t N, std::size_t M>
constexpr auto SystemItems(const Row (&program)[N], const Row (&ports)[M], int16_t cx, int16_t cy) {
  const int16_t groupCx = S(cx - 2 * kMargin);
  return Join(Group(L"Program Settings", program, kMargin, groupCx, kGroupTop, 66),
              Group(L"Serial Ports", ports, kMargin, groupCx, S(GroupBottom(kGroupTop, N) + 4), 66), Buttons(cx, cy));
}
constexpr Row kProgram12Rows[] = {{1264, L"RZ12 Type", 1121, 2}, {kNoId, L"Pause Key", 1131, 4},
                                  {kNoId, L"Audio", 1134, 2}, {kNoId, L"Display Units", 1135, 3}};
constexpr Row kPorts12Rows[] = {{1246, L"RZ12 Port", 1125, 12}, {kNoId, L"GPS Port", 1140, 12}};
constexpr Row kPorts27Rows[] = {{1246, L"RZ27 Port:", 1125, 12}, {kNoId, L"GPS Port:", 1140, 12}};
constexpr Row kProgramMk2Rows[] = {{1264, L"RZ27-MK2 Type", 1121, 2}, {kNoId, L"Soft Marker", 1249, 2},
                                   {kNoId, L"Pause Key", 1131, 4},      {kNoId, L"Audio", 1134, 2},
                                   {kNoId, L"Display Units", 1135, 3}};
constexpr Row kPortsMk2Rows[] = {{1246, L"RZ27-MK2 Port", 1125, 12}, {kNoId, L"GPS Port", 1140, 12},
                                 {kNoId, L"Ext Marker Port", 1248, 13}};
constexpr auto kSystem12Items = SystemItems(kProgram12Rows, kPorts12Rows, 158, 172);
constexpr auto kSystem27Items = SystemItems(kProgramRows, kPorts27Rows, 158, 158);
constexpr auto kSystemMk2Items = SystemItems(kProgramMk2Rows, kPortsMk2Rows, 175, 193);

constexpr const wchar_t* kSystemTitle = L"System Setup";
constexpr DlgTemplateT kSystem = Make(L"SYSTEM", kSystemTitle, kSystemCx, 140, 10, kSystemItems);
constexpr DlgTemplateT kSystem12 = Make(L"SYSTEM12", kSystemTitle, 158, 172, 10, kSystem12Items);
constexpr DlgTemplateT kSystem27 = Make(L"SYSTEM27", kSystemTitle, 158, 158, 10, kSystem27Items);
constexpr DlgTemplateT kSystemMk2 = Make(L"SYSTEM27MK2", kSystemTitle, 175, 193, 10, kSystemMk2Items);

// ---- Display options (8 points) --------------------------------------------------------------
// Columns: the channel's name, its check box, its colour sample, its width list.
constexpr int16_t kDisplayPitch = 13;
constexpr int16_t kChannelTop = 24;

struct DisplayColumns {
  int16_t labelCx, checkX, colourX, colourCx, widthX, widthCx;
};
constexpr DisplayColumns Columns(int16_t cx) {
  const int16_t widthCx = 50, colourCx = 56;
  const int16_t widthX = S(cx - kMargin - widthCx);
  const int16_t colourX = S(widthX - 6 - colourCx);
  const int16_t checkX = S(colourX - 6 - 24);
  return DisplayColumns{S(checkX - 2 - kMargin), checkX, colourX, colourCx, widthX, widthCx};
}

template <std::size_t N>
constexpr std::array<DlgItemT, 4 * N> Channels(const wchar_t* const (&names)[N], int16_t cx) {
  const DisplayColumns c = Columns(cx);
  std::array<DlgItemT, 4 * N> items{};
  for (std::size_t i = 0; i < N; ++i) {
    const int16_t y = S(kChannelTop + kDisplayPitch * static_cast<int>(i));
    items[4 * i] = DlgLText(kNoId, names[i], kMargin, S(y + 2), c.labelCx, 8);
    items[4 * i + 1] = DlgCheckBox(kDisplayCheckIds[i], L"", S(c.checkX + 8), S(y + 1), 10, 10);
    items[4 * i + 2] = DlgOwnerDrawButton(kDisplayColourIds[i], c.colourX, y, c.colourCx, 12);
    items[4 * i + 3] = DlgComboBox(kDisplayWidthIds[i], c.widthX, y, c.widthCx, S(12 + 8 * 4));
  }
  return items;
}

// The headings over the columns; the first names the channels (none: an empty text).
constexpr std::array<DlgItemT, 4> Headings(const wchar_t* channels, int16_t cx) {
  const DisplayColumns c = Columns(cx);
  return {DlgLText(kNoId, channels, kMargin, 14, c.labelCx, 8),
          DlgCText(kNoId, L"Visible", c.checkX, 14, 26, 8),
          DlgCText(kNoId, L"Color (click to change)", c.colourX, 6, c.colourCx, 16),
          DlgCText(kNoId, L"Thickness", c.widthX, 14, c.widthCx, 8)};
}

// List 1200 with its label under the channels, then the note lines.
constexpr std::array<DlgItemT, 2> ChoiceRow(const wchar_t* label, int channels, int16_t cx) {
  const int16_t y = S(kChannelTop + kDisplayPitch * channels + 3);
  const DisplayColumns c = Columns(cx);
  return {DlgLText(kNoId, label, kMargin, S(y + 2), S(c.colourX - 2 - kMargin), 8),
          DlgComboBox(1200, c.colourX, y, S(cx - kMargin - c.colourX), S(12 + 8 * 2))};
}
template <std::size_t N>
constexpr std::array<DlgItemT, N> Notes(const wchar_t* const (&lines)[N], int channels, int16_t cx) {
  std::array<DlgItemT, N> items{};
  const int16_t y = S(kChannelTop + kDisplayPitch * channels + 3 + kDisplayPitch + 2);
  for (std::size_t i = 0; i < N; ++i) {
    items[i] = DlgLText(kNoId, lines[i], kMargin, S(y + 8 * static_cast<int>(i)), S(cx - 2 * kMargin), 8);
  }
  return items;
}

constexpr const wchar_t* kRz56Channels[] = {L"Channel 1", L"Channel 2", L"Channel 3", L"Channel 4/T"};
constexpr const wchar_t* kMeterChannels[] = {L"Conductivity./Vertical", L"Conductivity/Horizontal",
                                             L"Inphase/Vertical", L"Inphase/Horizontal"};
constexpr const wchar_t* kRz45Channels[] = {L"Vertical   -   10 m", L"Vertical   -   20 m", L"Vertical   -   40 m",
                                            L"Horizontal - 10 m",   L"Horizontal - 20 m",   L"Horizontal - 40 m"};
constexpr const wchar_t* kMk2Channels[] = {
    L"Cond./Vertical/     1.0 m", L"Cond./Horizontal/1.0 m", L"Inph.  /Vertical /    1.0 m",
    L"Inph.  /Horizontal/1.0 m",  L"Cond./Vertical /    0.5 m", L"Cond./Horizontal/0.5 m",
    L"Inph.  /Vertical /    0.5 m", L"Inph.  /Horizontal/0.5 m"};
constexpr const wchar_t* kRz56Notes[] = {L"Compressed Amplitude affects only real time",
                                         L"profile display, numeric values and readings",
                                         L"saved in data file are always in linear scale."};
constexpr const wchar_t* kGridNotes[] = {L"Grid Lines (light grey) can be displayed for",
                                         L"Conductivity or Inphase profile scale"};

constexpr auto kDisplayItems = Join(Headings(L"", 230), Channels(kRz56Channels, 230),
                                    ChoiceRow(L"Display Amplitude", 4, 230), Notes(kRz56Notes, 4, 230),
                                    Buttons(230, 142));
constexpr auto kDisplay12Items = Join(Headings(L"Component/Dipole", 252), Channels(kMeterChannels, 252),
                                      ChoiceRow(L"Display Grid Lines for", 4, 252), Notes(kGridNotes, 4, 252),
                                      Buttons(252, 142));
constexpr auto kDisplay45Items =
    Join(Headings(L"Dipole-Separation", 252), Channels(kRz45Channels, 252), Buttons(252, 142));
constexpr auto kDisplayMk2Items = Join(Headings(L"Comp./Dipole/Sep.", 252), Channels(kMk2Channels, 252),
                                       ChoiceRow(L"Display Grid Lines for", 8, 252), Notes(kGridNotes, 8, 252),
                                       Buttons(252, 196));

constexpr const wchar_t* kDisplayTitle = L"Setup Display Options";
constexpr DlgTemplateT kDisplaySetup = Make(L"DISPLAYSETUP", kDisplayTitle, 230, 142, 8, kDisplayItems);
constexpr DlgTemplateT kDisplaySetup12 = Make(L"DISPLAYSETUP12", kDisplayTitle, 252, 142, 8, kDisplay12Items);
constexpr DlgTemplateT kDisplaySetup45 = Make(L"DISPLAYSETUP45", kDisplayTitle, 252, 142, 8, kDisplay45Items);
constexpr DlgTemplateT kDisplaySetupMk2 = Make(L"DISPLAYSETUP27MK2", kDisplayTitle, 252, 196, 8, kDisplayMk2Items);

// ---- Readings scale --------------------------------------------------------------------------
constexpr Row kScale1Rows[] = {{1175, L"Minimum:", 1174, 0}, {1176, L"Maximum:", 1177, 0}};
constexpr Row kScale2Rows[] = {{1178, L"Minimum:", 1180, 0}, {1179, L"Maximum:", 1181, 0}};
constexpr const wchar_t* kConductivity = L"Conductivity [mS/m]";
constexpr auto kScaleItems = Join(Form(kScale1Rows, Column{kMargin, S(131 - kMargin), 56, 9}), Buttons(131, 68));
constexpr auto kScale12Items = Join(Group(kConductivity, kScale1Rows, kMargin, S(132 - 2 * kMargin), kGroupTop, 56),
                                    Group(L"Inphase [ppt]", kScale2Rows, kMargin, S(132 - 2 * kMargin),
                                          S(GroupBottom(kGroupTop, 2) + 4), 56),
                                    Buttons(132, 132));
constexpr auto kScale45Items =
    Join(Group(kConductivity, kScale1Rows, kMargin, S(132 - 2 * kMargin), kGroupTop, 56), Buttons(132, 84));

constexpr const wchar_t* kScaleTitle = L"Readings Scale";
constexpr DlgTemplateT kReadingScale = Make(L"READINGSCALE", kScaleTitle, 131, 68, 10, kScaleItems);
constexpr DlgTemplateT kReadingScale12 = Make(L"READINGSCALE12", kScaleTitle, 132, 132, 10, kScale12Items);
constexpr DlgTemplateT kReadingScale45 = Make(L"READINGSCALE45", kScaleTitle, 132, 84, 10, kScale45Items);

// ---- GPS port setup and the GPS message ------------------------------------------------------
constexpr Row kGpsRows[] = {{kNoId, L"GPS Input", 1162, 2}, {kNoId, L"Serial Port", 1165, 12},
                            {kNoId, L"Baud Rate", 1166, 6}, {kNoId, L"Parity", 1167, 3},
                            {kNoId, L"Data Bits", 1168, 2}, {kNoId, L"Stop Bits", 1169, 2}};
constexpr auto kGpsItems = Join(Form(kGpsRows, Column{kMargin, S(144 - kMargin), 60, 9}), Buttons(144, 142));
constexpr DlgTemplateT kGpsInput = Make(L"GPSINPUT", L"GPS Port Setup", 144, 142, 10, kGpsItems);

constexpr std::array<DlgItemT, 2> kGpsMessageRows = {
    DlgEdit(1201, kMargin, kMargin, S(205 - 2 * kMargin), kControlCy),
    DlgCText(kNoId, L"Accept or edit GPS message and click on OK to send", kMargin, 22, S(205 - 2 * kMargin), 16)};
constexpr auto kGpsMessageItems = Join(kGpsMessageRows, Buttons(205, 66));
constexpr DlgTemplateT kGetGpsMessage =
    Make(L"GETGPSMESSAGE", L"Send Message to GPS Receiver", 205, 66, 10, kGpsMessageItems);

// ---- The survey run's dialogs ---------------------------------------------------------------
constexpr std::array<DlgItemT, 2> kCommentRows = {
    DlgEdit(1187, kMargin, kMargin, S(172 - 2 * kMargin), kControlCy),
    DlgCText(kNoId, L"Maximum 11 characters", kMargin, 22, S(172 - 2 * kMargin), 8)};
constexpr auto kCommentItems = Join(kCommentRows, Buttons(172, 51));
constexpr DlgTemplateT kComment = Make(L"COMMENT", L"Enter Comment", 172, 51, 10, kCommentItems);

constexpr Row kNewLineRows[] = {
    {kNoId, L"Current Line:", 1180, kReadOnly}, {kNoId, L"Last Station:", 1181, kReadOnly},
    {kNoId, L"New Line", 1106, 0},              {kNoId, L"Line Increment", 1107, 0},
    {kNoId, L"Line Sequence", 1178, 2},         {kNoId, L"Line Direction", 1179, 4},
    {kNoId, L"Start Station", 1108, 0},         {kNoId, L"Station Increment", 1109, 0}};
constexpr auto kNewLineItems =
    Join(Form(kNewLineRows, Column{kMargin, S(140 - kMargin), 54, kMargin}), Buttons(140, 147));
constexpr DlgTemplateT kGetNewLine = Make(L"GETNEWLINE", L"New Survey Line", 140, 147, 10, kNewLineItems);

constexpr Row kNewStationRows[] = {{kNoId, L"Current Line:", 1181, kReadOnly},
                                   {kNoId, L"Start Station:", 1182, kReadOnly},
                                   {kNoId, L"Current Station:", 1184, kReadOnly},
                                   {kNoId, L"New Station:", 1183, 0}};
constexpr auto kNewStationItems = Join(Form(kNewStationRows, Column{kMargin, S(132 - kMargin), 50, kMargin}),
                                       Buttons(132, 91, L"OK", L"Cancel", false));
constexpr DlgTemplateT kNewStation = Make(L"NEWSTATION", L"New Station", 132, 91, 10, kNewStationItems);

constexpr const DlgTemplateT* kAll[] = {
    &kSurveySetup,   &kSurveySetup12,  &kSurveySetup27B, &kSurveySetup27Dd, &kSurveySetup27, &kSurveySetup45,
    &kSystem,        &kSystem12,       &kSystem27,       &kSystemMk2,       &kDisplaySetup,  &kDisplaySetup12,
    &kDisplaySetup45, &kDisplaySetupMk2, &kReadingScale, &kReadingScale12,  &kReadingScale45, &kGpsInput,
    &kGetGpsMessage, &kComment,        &kGetNewLine,     &kNewStation};

bool SameName(const wchar_t* a, const char* b) {
  for (; *a != 0 && *b != 0; ++a, ++b) {
    if (*a != static_cast<unsigned char>(*b)) return false;
  }
  return *a == 0 && *b == 0;
}

void AddNamed(const char* name, std::vector<DlgTemplateT>& out) {
  if (name == nullptr) return;
  for (const DlgTemplateT& held : out) {
    if (SameName(held.name, name)) return;
  }
  for (const DlgTemplateT* t : kAll) {
    if (SameName(t->name, name)) out.push_back(*t);
  }
}

}  // namespace

std::vector<DlgTemplateT> SetupTemplates(int32_t model) {
  const ModelRow& row = RowOf(model);
  std::vector<DlgTemplateT> out;
  for (const char* name : {row.surveySetupDialog, row.systemSetupDialog, row.profilesDialog, row.displayDialog,
                           row.scaleDialog, "GPSINPUT", "GETGPSMESSAGE", "COMMENT", "GETNEWLINE", "NEWSTATION"}) {
    AddNamed(name, out);
  }
  return out;
}

}  // namespace desktop
