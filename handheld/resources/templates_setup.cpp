// Templates of the setup dialogs (survey, logger, GPS port, display options), the profile scale
// dialog and the GPS message dialog. Every handheld template uses the 9-point dialog font and the
// caption's OK box, with no buttons in the client area (the GPS port dialog's "Monitor GPS Output"
// aside).
//
// Rows: a drop-down list closes at 22 pixels, so a row holding one is 13 dialog units high; an edit
// row is 11 units (edits 11 high) where a dialog has many rows, 12 otherwise. A row's label sits at
// its left, a little below the row's top so that it lines up with the control's text.
#include <array>
#include <cstddef>
#include <cwchar>

#include "engine/state.h"
#include "common/template_items.h"
#include "resources/templates.h"

namespace handheld {
namespace {

constexpr uint32_t kCentred = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
constexpr uint32_t kPlaced = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
constexpr const wchar_t* kFace = L"MS Sans Serif";

constexpr int16_t kListRow = 13;
constexpr int16_t kEditRow = 11;

template <std::size_t N>
constexpr DlgTemplateT Make(const wchar_t* name, const wchar_t* title, uint32_t style, int16_t cx, int16_t cy,
                            const std::array<DlgItemT, N>& items) {
  return DlgTemplateT{name, title, style, WS_EX_CAPTIONOKBTN, 0, 0, cx, cy, kFace, 9,
                      items.data(), static_cast<uint16_t>(N)};
}
template <std::size_t N>
constexpr DlgTemplateT Make(const wchar_t* name, const wchar_t* title, uint32_t style, int16_t cx, int16_t cy,
                            const DlgItemT (&items)[N]) {
  return DlgDef(name, title, style, WS_EX_CAPTIONOKBTN, 0, 0, cx, cy, kFace, 9, items);
}

// A drop-down list whose dropped height shows its entries.
constexpr DlgItemT DropList(uint16_t id, int16_t x, int16_t y, int16_t cx, int16_t entries, uint32_t style = 0) {
  return DlgComboBox(id, x, y, cx, static_cast<int16_t>(12 + 8 * entries), style);
}
constexpr DlgItemT ListLabel(uint16_t id, const wchar_t* text, int16_t x, int16_t y, int16_t cx) {
  return DlgLText(id, text, x, static_cast<int16_t>(y + 2), cx, 8);
}
constexpr DlgItemT EditLabel(uint16_t id, const wchar_t* text, int16_t x, int16_t y, int16_t cx) {
  return DlgLText(id, text, x, static_cast<int16_t>(y + 1), cx, 8);
}

// One row of a one-column form: a label and its control, an edit when `entries` is 0, else a
// drop-down list of that many entries.
struct Row {
  uint16_t labelId;
  const wchar_t* label;
  uint16_t controlId;
  int16_t entries;
  uint32_t style = 0;
};

struct Column {
  int16_t labelX, labelCx, controlX, controlCx;
  int16_t top = 3;
  int16_t editRow = kEditRow;  // also the edits' height
};

// The rows one under the other, each label before its control.
template <std::size_t N>
constexpr std::array<DlgItemT, 2 * N> Form(const Row (&rows)[N], const Column& c) {
  std::array<DlgItemT, 2 * N> items{};
  int16_t y = c.top;
  for (std::size_t i = 0; i < N; ++i) {
    const Row& r = rows[i];
    if (r.entries > 0) {
      items[2 * i] = ListLabel(r.labelId, r.label, c.labelX, y, c.labelCx);
      items[2 * i + 1] = DropList(r.controlId, c.controlX, y, c.controlCx, r.entries, r.style);
      y = static_cast<int16_t>(y + kListRow);
    } else {
      items[2 * i] = EditLabel(r.labelId, r.label, c.labelX, y, c.labelCx);
      items[2 * i + 1] = DlgEdit(r.controlId, c.controlX, y, c.controlCx, c.editRow);
      y = static_cast<int16_t>(y + c.editRow);
    }
  }
  return items;
}

using survey::Join;

// ---- Survey setup ----------------------------------------------------------------------------
// Rows of the survey setup by control; the list of modes is first everywhere.
constexpr Row kModeRow{600, L"RZ12 Mode", 620, 3};
constexpr Row kRateRow{601, L"Readings/s", 621, 0};
constexpr Row kComponentRow{602, L"Component", 622, 3};
constexpr Row kDipoleRow{603, L"Dipole Mode", 623, 6};
constexpr Row kLineRow{604, L"Survey Line", 624, 0};
constexpr Row kLineIncrementRow{605, L"Line Increment", 625, 0};
constexpr Row kSequenceRow{606, L"Sequence", 626, 2};
constexpr Row kDirectionRow{607, L"Direction", 627, 4, WS_VSCROLL};
constexpr Row kStartRow{608, L"Start Station", 628, 0};
constexpr Row kIncrementRow{609, L"Stn Increment", 629, 0};

constexpr Row Titled(Row row, const wchar_t* label) {
  row.label = label;
  return row;
}

// Given: labels at x 10, controls at x 62, 50 wide. The other one-column templates: labels at x 4,
// controls right-aligned.
constexpr Column kSurveyGiven{10, 51, 62, 50};
constexpr Column kSurveyColumn{4, 62, 68, 50};

constexpr Row kSurvey12Rows[] = {kModeRow,     kRateRow,      kComponentRow, kDipoleRow,   kLineRow,
                                 kLineIncrementRow, kSequenceRow, kDirectionRow, kStartRow, kIncrementRow};
constexpr auto kSurvey12Items = Form(kSurvey12Rows, kSurveyGiven);

constexpr Row kSurvey12VRows[] = {kModeRow, kRateRow,  kComponentRow, kDipoleRow,   kLineRow,
                                  kLineIncrementRow, kStartRow, kIncrementRow, kSequenceRow, kDirectionRow};
constexpr auto kSurvey12VItems = Form(kSurvey12VRows, kSurveyColumn);

constexpr Row kSurvey27BRows[] = {Titled(kModeRow, L"RZ27B Mode"), kRateRow,  kDipoleRow,   kLineRow,
                                  kLineIncrementRow, kSequenceRow, kDirectionRow, kStartRow, kIncrementRow};
constexpr auto kSurvey27BItems = Form(kSurvey27BRows, kSurveyColumn);

constexpr Row kSurvey27BVRows[] = {Titled(kModeRow, L"RZ27B Mode"), kRateRow, kDipoleRow, kLineRow,
                                   kLineIncrementRow, kStartRow, kIncrementRow, kSequenceRow, kDirectionRow};
constexpr auto kSurvey27BVItems = Form(kSurvey27BVRows, kSurveyColumn);

constexpr Row kSurvey27DRows[] = {Titled(kModeRow, L"RZ27-DD Mode"), kRateRow, kComponentRow, kLineRow,
                                  kLineIncrementRow, kStartRow, kIncrementRow, kSequenceRow, kDirectionRow};
constexpr auto kSurvey27DItems = Form(kSurvey27DRows, kSurveyColumn);

constexpr Row kSurveyZol12Rows[] = {Titled(kModeRow, L"ZOL12 Mode"), kRateRow, kLineRow, kLineIncrementRow,
                                    kSequenceRow, kDirectionRow, kStartRow, kIncrementRow};
constexpr auto kSurveyZol12Items = Form(kSurveyZol12Rows, kSurveyColumn);

// Landscape on storage-root builds: two columns of five rows, controls at x 50 and x 127, 35 wide.
constexpr Row kSurvey12HLeft[] = {kModeRow, kRateRow, kComponentRow, kDipoleRow, kSequenceRow};
constexpr Row kSurvey12HRight[] = {kLineRow, Titled(kLineIncrementRow, L"Line Incr."), Titled(kStartRow, L"Start Stn."),
                                   Titled(kIncrementRow, L"Stn Incr."), kDirectionRow};
// Both columns share the rows, each as high as its taller cell.
constexpr int16_t kSurvey12HRowY[] = {3, 16, 27, 40, 53};
constexpr std::array<DlgItemT, 20> kSurvey12HItems = [] {
  std::array<DlgItemT, 20> items{};
  auto cell = [&items](std::size_t i, const Row& r, int16_t labelX, int16_t labelCx, int16_t controlX, int16_t y) {
    items[2 * i] = r.entries > 0 ? ListLabel(r.labelId, r.label, labelX, y, labelCx)
                                 : EditLabel(r.labelId, r.label, labelX, y, labelCx);
    items[2 * i + 1] = r.entries > 0 ? DropList(r.controlId, controlX, y, 35, r.entries, r.style)
                                     : DlgEdit(r.controlId, controlX, y, 35, kEditRow);
  };
  for (std::size_t i = 0; i < 5; ++i) {
    cell(i, kSurvey12HLeft[i], 3, 46, 50, kSurvey12HRowY[i]);
    cell(5 + i, kSurvey12HRight[i], 87, 40, 127, kSurvey12HRowY[i]);  // "Survey Line" takes the 40 DLUs up to its control
  }
  return items;
}();

constexpr const wchar_t* kSurveyTitle = L"Survey Setup";
constexpr DlgTemplateT kGetSurveySetup12 = Make(L"GetSurveySetup12", kSurveyTitle, kCentred, 122, 124, kSurvey12Items);
constexpr DlgTemplateT kGetSurveySetup12H = Make(L"GetSurveySetup12H", kSurveyTitle, kPlaced, 167, 68, kSurvey12HItems);
constexpr DlgTemplateT kGetSurveySetup12V = Make(L"GetSurveySetup12V", kSurveyTitle, kPlaced, 122, 124, kSurvey12VItems);
constexpr DlgTemplateT kGetSurveySetup27B = Make(L"GetSurveySetup27B", kSurveyTitle, kCentred, 122, 113, kSurvey27BItems);
constexpr DlgTemplateT kGetSurveySetup27BV =
    Make(L"GetSurveySetup27BV", kSurveyTitle, kPlaced, 122, 113, kSurvey27BVItems);
constexpr DlgTemplateT kGetSurveySetup27D = Make(L"GetSurveySetup27D", kSurveyTitle, kCentred, 122, 113, kSurvey27DItems);
constexpr DlgTemplateT kGetSurveySetupZol12 =
    Make(L"GetSurveySetupZOL12", kSurveyTitle, kCentred, 122, 100, kSurveyZol12Items);

// ---- Logger setup ----------------------------------------------------------------------------
constexpr Row kRz12TypeRow{809, L"RZ12 Type", 810, 2};
constexpr Row kPortRow{803, L"RZ12 Port", 823, 12, WS_VSCROLL};
constexpr Row kUnitsRow{804, L"Units", 824, 2};
constexpr Row kAudioRow{805, L"Audio", 825, 2, WS_VSCROLL};
constexpr Row kPauseRow{806, L"Pause Key", 826, 4};

constexpr Column kLoggerColumn{4, 46, 52, 56, 4};
constexpr Row kLogger12Rows[] = {kRz12TypeRow, kPortRow, kUnitsRow, kAudioRow, kPauseRow};
constexpr auto kLogger12Items = Form(kLogger12Rows, kLoggerColumn);

constexpr Row kLogger12ZolRows[] = {{815, L"ZOL Option", 816, 2},
                                    {817, L"Sea Water", 818, 11, WS_VSCROLL},
                                    {819, L"Show Profile", 820, 2, WS_VSCROLL},
                                    kRz12TypeRow,
                                    kPortRow,
                                    kUnitsRow,
                                    kAudioRow,
                                    kPauseRow};
constexpr auto kLogger12ZolItems = Form(kLogger12ZolRows, kLoggerColumn);

constexpr Row kLogger27Rows[] = {kPortRow, kUnitsRow, kAudioRow, kPauseRow};
constexpr auto kLogger27Items = Form(kLogger27Rows, Column{4, 48, 54, 54, 4});

constexpr Row kLoggerMk2Rows[] = {{809, L"RZ27-MK2 Type", 810, 2},
                                  Titled(kPortRow, L"RZ27-MK2 Port"),
                                  {811, L"Ext. Marker Port", 813, 12, WS_VSCROLL},
                                  {812, L"Soft Marker", 814, 2},
                                  kUnitsRow,
                                  kAudioRow,
                                  kPauseRow};
constexpr auto kLoggerMk2Items = Form(kLoggerMk2Rows, Column{4, 56, 62, 66, 4});

constexpr const wchar_t* kLoggerTitle = L"Logger Setup";
constexpr DlgTemplateT kGetLoggerSetup12 = Make(L"GetLoggerSetup12", kLoggerTitle, kCentred, 112, 71, kLogger12Items);
constexpr DlgTemplateT kGetLoggerSetup12Zol =
    Make(L"GetLoggerSetup12ZOL", kLoggerTitle, kCentred, 112, 110, kLogger12ZolItems);
constexpr DlgTemplateT kGetLoggerSetup27 = Make(L"GetLoggerSetup27", kLoggerTitle, kCentred, 112, 61, kLogger27Items);
constexpr DlgTemplateT kGetLoggerSetup27Mk2 =
    Make(L"GetLoggerSetup27MK2", kLoggerTitle, kCentred, 132, 99, kLoggerMk2Items);

// ---- GPS port setup --------------------------------------------------------------------------
constexpr Row kGpsRows[] = {{700, L"GPS Input", 720, 2},
                            {701, L"Serial Port", 721, 12, WS_VSCROLL},
                            {702, L"Baud Rate", 722, 6, WS_VSCROLL},
                            {703, L"Parity", 723, 3},
                            {704, L"Data Bits", 724, 2},
                            {705, L"Stop Bits", 725, 2}};
constexpr std::array<DlgItemT, 1> kMonitorButton = {DlgPushButton(729, L"Monitor GPS Output", 2, 83, 90, 12)};
constexpr auto kGpsItems = Join(Form(kGpsRows, Column{4, 36, 42, 48, 4}), kMonitorButton);
constexpr DlgTemplateT kGetGpsPortSetup = Make(L"GetGPSPortSetup", L"Set GPS Port", kCentred, 94, 98, kGpsItems);

// ---- Display options -------------------------------------------------------------------------
// Columns: the check box with its name on the left, the colour sample, the width list.
constexpr int16_t kCheckX = 4, kCheckCx = 42, kSampleX = 48, kSampleCx = 26, kWidthX = 76, kWidthCx = 44;

constexpr std::array<DlgItemT, 4> Headings(int16_t y) {
  return {DlgLText(747, L" ", 0, 0, 4, 8), DlgLText(744, L"Display", kCheckX, y, kCheckCx, 8),
          DlgCText(745, L"Color", kSampleX, y, kSampleCx, 8), DlgCText(746, L"Thickness", kWidthX, y, kWidthCx, 8)};
}

// The rows of the channels listed, from y down, 13 units apart.
template <std::size_t N>
constexpr std::array<DlgItemT, 3 * N> Channels(const int (&channels)[N], const wchar_t* const (&names)[N], int16_t y) {
  std::array<DlgItemT, 3 * N> items{};
  for (std::size_t i = 0; i < N; ++i) {
    const auto c = static_cast<uint16_t>(channels[i]);
    const auto rowY = static_cast<int16_t>(y + kListRow * static_cast<int>(i));
    items[3 * i] = DlgCheckBox(static_cast<uint16_t>(750 + c), names[i], kCheckX, static_cast<int16_t>(rowY + 1),
                               kCheckCx, 10, BS_LEFTTEXT);
    items[3 * i + 1] = DlgOwnerDrawButton(static_cast<uint16_t>(758 + c), kSampleX, rowY, kSampleCx, 12);
    items[3 * i + 2] = DropList(static_cast<uint16_t>(766 + c), kWidthX, rowY, kWidthCx, 4);
  }
  return items;
}

// The grid list (and the ice build's profile list) under the channels, and the two note lines.
constexpr std::array<DlgItemT, 2> GridRow(int16_t y, int16_t entries) {
  return {ListLabel(748, L"Display Grid for:", kCheckX, y, 56), DropList(775, 62, y, 58, entries)};
}
constexpr std::array<DlgItemT, 2> Notes(int16_t y, const wchar_t* second) {
  return {DlgLText(740, L"Grey Grid Lines can be displayed ", kCheckX, y, 116, 8),
          DlgLText(741, second, kCheckX, static_cast<int16_t>(y + 8), 116, 8)};
}

constexpr int kFour[] = {0, 1, 2, 3};
constexpr const wchar_t* kFourNames[] = {L"C/V", L"C/H", L"I/V", L"I/H"};
constexpr auto kOptionsItems =
    Join(Join(Headings(2), Channels(kFour, kFourNames, 12)),
         Join(GridRow(64, 2), Notes(81, L"for Conductivity or Inphase scale")));

constexpr int kSix[] = {0, 1, 2, 3, 4, 5};
constexpr const wchar_t* kSixNames[] = {L"V-10m", L"V-20m", L"V-40m", L"H-10m", L"H-20m", L"H-40m"};
constexpr auto kOptions45Items = Join(Headings(2), Channels(kSix, kSixNames, 12));

// Eight channels and the grid row: the rows start close under the headings to fit a landscape
// screen, the first row's samples over the headings' blank bottom edge (the headings come last, so
// beneath them).
constexpr int kEight[] = {0, 1, 2, 3, 4, 5, 6, 7};
constexpr const wchar_t* kEightNames[] = {L"C/V-1m",   L"C/H-1m",   L"I/V-1m",   L"I/H-1m",
                                          L"C/V-0.5m", L"C/H-0.5m", L"I/V-0.5m", L"I/H-0.5m"};
constexpr auto kOptionsMk2Items = Join(Join(Channels(kEight, kEightNames, 7), GridRow(111, 2)), Headings(0));

constexpr int kZolChannels[] = {0, 2};
constexpr const wchar_t* kZolNames[] = {L"Th", L"I/P"};
constexpr auto kOptionsZol12Items =
    Join(Join(Headings(2), Channels(kZolChannels, kZolNames, 12)),
         Join(GridRow(38, 2), Notes(55, L"for Thickness or Inphase scale")));

constexpr int kFive[] = {0, 1, 2, 3, 4};
constexpr const wchar_t* kFiveNames[] = {L"C/V", L"C/H", L"I/V", L"I/H", L"Th"};
constexpr std::array<DlgItemT, 2> kProfileRow = {ListLabel(776, L"Display Profiles:", kCheckX, 77, 56),
                                                 DropList(777, 62, 77, 58, 2)};
constexpr auto kOptionsZolNewItems =
    Join(Join(Join(Headings(2), Channels(kFive, kFiveNames, 12)), kProfileRow),
         Join(GridRow(90, 3), Notes(105, L"for Cond., Inph., or Thickness scale")));

constexpr const wchar_t* kOptionsTitle = L"Display Options";
constexpr DlgTemplateT kGetOptions = Make(L"GetOptions", kOptionsTitle, kCentred, 124, 104, kOptionsItems);
constexpr DlgTemplateT kGetOptions45 = Make(L"GetOptions45", kOptionsTitle, kCentred, 124, 105, kOptions45Items);
constexpr DlgTemplateT kGetOptions27Mk2 = Make(L"GetOptions27mk2", kOptionsTitle, kCentred, 130, 124, kOptionsMk2Items);
constexpr DlgTemplateT kGetOptionsZol12 = Make(L"GetOptionsZOL12", kOptionsTitle, kCentred, 124, 104, kOptionsZol12Items);
constexpr DlgTemplateT kGetOptionsZolNew = Make(L"GetOptionsZOLNew", kOptionsTitle, kCentred, 124, 123, kOptionsZolNewItems);

// ---- Profile scale ---------------------------------------------------------------------------
// A group: its name, then "Minimum:" and "Maximum:" rows.
constexpr std::array<DlgItemT, 5> ScaleGroup(uint16_t nameId, const wchar_t* name, uint16_t minLabel, uint16_t maxLabel,
                                             uint16_t minEdit, uint16_t maxEdit, int16_t x, int16_t y, int16_t labelCx,
                                             int16_t editCx) {
  const auto editX = static_cast<int16_t>(x + labelCx + 2);
  return {DlgLText(nameId, name, x, y, static_cast<int16_t>(labelCx + 2 + editCx), 8),
          EditLabel(minLabel, L"Minimum:", x, static_cast<int16_t>(y + 9), labelCx),
          DlgEdit(minEdit, editX, static_cast<int16_t>(y + 9), editCx, 12),
          EditLabel(maxLabel, L"Maximum:", x, static_cast<int16_t>(y + 22), labelCx),
          DlgEdit(maxEdit, editX, static_cast<int16_t>(y + 22), editCx, 12)};
}

constexpr auto kScale12Items = Join(ScaleGroup(830, L"Conductivity", 831, 832, 833, 834, 4, 3, 38, 44),
                                    ScaleGroup(835, L"Inphase", 836, 837, 838, 839, 4, 39, 38, 44));
constexpr auto kScale12HItems = Join(ScaleGroup(830, L"Conductivity", 831, 832, 833, 834, 4, 2, 36, 28),
                                     ScaleGroup(835, L"Inphase", 836, 837, 838, 839, 76, 2, 36, 27));
constexpr auto kScale45Items = ScaleGroup(830, L"Conductivity", 831, 832, 833, 834, 4, 3, 38, 44);

constexpr Row kScaleZolRows[] = {{831, L"Conductivity Min:", 833, 0}, {832, L"Conductivity Max:", 834, 0},
                                 {836, L"Inphase Minimum:", 838, 0},  {837, L"Inphase Maximum:", 839, 0},
                                 {841, L"Ice Thickness Min:", 843, 0}, {842, L"Ice Thickness Max:", 844, 0}};
constexpr auto kScaleZolItems = Form(kScaleZolRows, Column{4, 64, 70, 39, 4, 12});

constexpr DlgTemplateT kGetNewProfileScale12 = Make(L"GetNewProfileScale12", L"Enter Scale", kCentred, 90, 75, kScale12Items);
constexpr DlgTemplateT kGetNewProfileScale12H =
    Make(L"GetNewProfileScale12H", L"Enter Scale", kPlaced, 143, 40, kScale12HItems);
constexpr DlgTemplateT kGetNewProfileScale45 = Make(L"GetNewProfileScale45", L"Enter Scale", kCentred, 90, 45, kScale45Items);
constexpr DlgTemplateT kGetNewProfileScaleZol =
    Make(L"GetNewProfileScaleZOL", L"Enter Profiles Scale", kPlaced, 113, 84, kScaleZolItems);

constexpr DlgTemplateT kSurveySetups[] = {kGetSurveySetup12,  kGetSurveySetup12H,  kGetSurveySetup12V,
                                          kGetSurveySetup27B, kGetSurveySetup27BV, kGetSurveySetup27D,
                                          kGetSurveySetupZol12};
constexpr DlgTemplateT kOptions[] = {kGetOptions, kGetOptions45, kGetOptions27Mk2, kGetOptionsZol12, kGetOptionsZolNew};

// ---- GPS message -----------------------------------------------------------------------------
constexpr DlgItemT kGpsMessageItems[] = {DlgEdit(854, 4, 6, 122, 12),
                                         DlgCText(853, L"Enter GPS message to be sent", 4, 23, 122, 8)};
constexpr DlgTemplateT kGetGpsMessage = Make(L"GetGPSMessage", L"GPS Message", kCentred, 130, 40, kGpsMessageItems);

}  // namespace

void AddSetupDialogTemplates(const ResourceBuild& build, TemplateList& out) {
  const ModelRow& row = ModelRowOf(build.model);
  const bool ice = row.iceOption && build.iceOption == 1;
  const bool storage = build.storageRoot == 1;

  // Survey setup, the model's templates for portrait and for the build's landscape (once when
  // they are one); the RZ89 has none.
  const wchar_t* const setups[] = {row.surveySetup.portrait,
                                   storage ? row.surveySetup.landscapeStorage : row.surveySetup.landscapeDrive};
  for (int i = 0; i < 2; ++i) {
    if (setups[i] == nullptr || (i == 1 && std::wcscmp(setups[0], setups[1]) == 0)) continue;
    for (const DlgTemplateT& t : kSurveySetups) {
      if (std::wcscmp(t.name, setups[i]) == 0) out.push_back(t);
    }
  }

  // Logger setup (by its instrument type list) and GPS port.
  switch (row.types) {
    case TypeChoice::kStandardShort:
      out.push_back(ice ? kGetLoggerSetup12Zol : kGetLoggerSetup12);
      break;
    case TypeChoice::kMk2:
      out.push_back(kGetLoggerSetup27Mk2);
      break;
    case TypeChoice::kNone:
      out.push_back(kGetLoggerSetup27);
      break;
  }
  out.push_back(kGetGpsPortSetup);

  // Display options: the model's, or the ice build's.
  const wchar_t* options = ice ? kGetOptionsZolNew.name : row.optionsDialog != nullptr ? row.optionsDialog : kGetOptions.name;
  for (const DlgTemplateT& t : kOptions) {
    if (std::wcscmp(t.name, options) == 0) out.push_back(t);
  }

  // Profile scale: the logging window's by orientation and storage root, the ice build's own, and
  // the file review's "GetNewProfileScale12" (the RZ45, with its single scale, uses its one
  // template everywhere).
  if (row.scales == ScaleChoice::kConductivity) {
    out.push_back(kGetNewProfileScale45);
  } else {
    out.push_back(kGetNewProfileScale12);
    if (storage) out.push_back(kGetNewProfileScale12H);
    if (ice) out.push_back(kGetNewProfileScaleZol);
  }

  // The GPS monitor's command.
  out.push_back(kGetGpsMessage);
}

}  // namespace handheld
