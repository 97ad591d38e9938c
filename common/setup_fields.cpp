#include "common/setup_fields.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdio>

namespace survey {
namespace {

constexpr const wchar_t* kComPorts[] = {L"COM1:", L"COM2:", L"COM3:",  L"COM4:",  L"COM5:",  L"COM6:",
                                        L"COM7:", L"COM8:", L"COM9:", L"COM10:", L"COM11:", L"COM12:"};
constexpr const wchar_t* kOnOff[] = {L"Disabled", L"Enabled"};
constexpr const wchar_t* kAudio[] = {L"No", L"Yes"};
constexpr const wchar_t* kBauds[] = {L"4800", L"9600", L"19200", L"38400", L"57600", L"115200"};
constexpr const wchar_t* kParities[] = {L"No", L"Even", L"Odd"};
constexpr const wchar_t* kDataBits[] = {L"7", L"8"};
constexpr const wchar_t* kStopBits[] = {L"1", L"2"};
constexpr const wchar_t* kWidths[] = {L"1 pixel", L"2 pixels", L"3 pixels", L"4 pixels"};
constexpr const wchar_t* kSequences[] = {L"Alternate", L"One Way"};
constexpr const wchar_t* kDirections[] = {L"West", L"South", L"North", L"East"};

}  // namespace

TextList ComPortList() { return List(kComPorts); }
TextList OnOffList() { return List(kOnOff); }
TextList AudioList() { return List(kAudio); }
TextList BaudList() { return List(kBauds); }
TextList ParityList() { return List(kParities); }
TextList DataBitsList() { return List(kDataBits); }
TextList StopBitsList() { return List(kStopBits); }
TextList WidthList() { return List(kWidths); }
TextList SequenceList() { return List(kSequences); }
TextList DirectionList() { return List(kDirections); }

void FillList(HWND dialog, int id, const TextList& list) {
  SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < list.count; ++i) {
    SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.texts[i]));
  }
}

void FillAndSelect(HWND dialog, int id, const TextList& list, int entry) {
  FillList(dialog, id, list);
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

int SelectedEntry(HWND dialog, int id) {
  const LRESULT sel = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
  return sel < 0 ? -1 : static_cast<int>(sel);
}

void StoreSelection(HWND dialog, int id, int32_t* setting, int32_t offset) {
  const int sel = SelectedEntry(dialog, id);
  if (sel >= 0) *setting = sel + offset;
}

double ReadNumber(HWND dialog, int id, int maxChars) {
  wchar_t text[65];
  GetDlgItemTextW(dialog, id, text, std::clamp(maxChars, 1, 64) + 1);
  return plat::ParseDecimal(text);
}

void ShowNumber(HWND dialog, int id, const char* format, double value) {
  char narrow[400];  // any double in "%f"
  snprintf(narrow, sizeof narrow, format, value);
  wchar_t text[400];
  plat::Widen(narrow, text, 400);
  SetDlgItemTextW(dialog, id, text);
}

float TypedRate(double value) {
  if (!(value > 0.0)) return 1.0f;
  return static_cast<float>(std::clamp(value, 0.0001, 10000.0));
}

int32_t TypedSamples(double value) {
  if (!(value > 0.0)) return 1;
  return static_cast<int32_t>(std::clamp(value, 1.0, static_cast<double>(INT_MAX)));
}

int32_t StoredSamples(double value) {
  if (!(value >= 1.0)) return 1;
  return static_cast<int32_t>(std::min(value, 100.0));
}

float FloatValue(double value) {
  if (value != value) return 0.0f;
  return static_cast<float>(std::clamp(value, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

float RateOfInterval(float interval) {
  if (!(interval > 0.0f)) return 1.0f;
  return TypedRate(1.0 / static_cast<double>(interval));
}

namespace {
constexpr int32_t kManual = 2;
}  // namespace

int ComponentPosition(bool shortList, int32_t mode, int32_t component) {
  return shortList && mode != kManual ? component - 1 : component;
}

int32_t ComponentAt(bool shortList, int32_t mode, int position) {
  return shortList && mode != kManual ? position + 1 : position;
}

int ComponentPositionOnSwitch(bool shortList, int32_t oldMode, int32_t newMode, int position) {
  if (!shortList || oldMode == newMode) return position;
  if (newMode == kManual) return position + 1;
  if (oldMode == kManual && position >= 1) return position - 1;
  return position;
}

ColourButtonShapes ColourButtonShapesFor(const RECT& r, bool pressed, bool focus) {
  ColourButtonShapes s{};
  s.frame = r;
  s.innerEdge[0] = {r.left + 1, r.bottom - 3};
  s.innerEdge[1] = {r.left + 1, r.top + 1};
  s.innerEdge[2] = {r.right - 3, r.top + 1};
  s.innerDark = pressed;
  s.pressedEdge = pressed;
  s.innerLow[0] = {r.left + 1, r.bottom - 3};
  s.innerLow[1] = {r.right - 3, r.bottom - 3};
  s.innerLow[2] = {r.right - 3, r.top + 1};
  s.outerEdge[0] = {r.left, r.bottom - 1};
  s.outerEdge[1] = pressed ? POINT{r.left, r.top} : POINT{r.right - 1, r.bottom - 1};
  s.outerEdge[2] = {r.right - 1, r.top};
  s.sampleFrom = {r.left + 3, r.top + (pressed ? 6 : 10)};
  s.sampleTo = {r.right - 5, r.top + (pressed ? 14 : 10)};
  s.focus = focus;
  s.focusRect = {r.left + 3, r.top + 3, r.right - 4, r.bottom - 4};
  return s;
}

void DrawColourSample(const DRAWITEMSTRUCT& item, int32_t width, COLORREF colour) {
  const ColourButtonShapes s =
      ColourButtonShapesFor(item.rcItem, (item.itemState & ODS_SELECTED) != 0, (item.itemState & ODS_FOCUS) != 0);
  HDC dc = item.hDC;
  HPEN sample = CreatePen(PS_SOLID, width, colour);
  HPEN shadow = CreatePen(PS_SOLID, 3, GetSysColor(COLOR_BTNSHADOW));
  HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DLIGHT));
  HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  HGDIOBJ oldPen = SelectObject(dc, shadow);
  HGDIOBJ oldBrush = SelectObject(dc, white);
  Rectangle(dc, s.frame.left, s.frame.top, s.frame.right, s.frame.bottom);
  SelectObject(dc, s.innerDark ? dark : light);
  Polyline(dc, s.innerEdge, 3);
  if (s.pressedEdge) {
    SelectObject(dc, light);
    Polyline(dc, s.innerLow, 3);
  }
  SelectObject(dc, dark);
  Polyline(dc, s.outerEdge, 3);
  SelectObject(dc, sample);
  MoveToEx(dc, s.sampleFrom.x, s.sampleFrom.y, nullptr);
  LineTo(dc, s.sampleTo.x, s.sampleTo.y);
  if (s.focus) DrawFocusRect(dc, &s.focusRect);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(sample);
  DeleteObject(shadow);
  DeleteObject(light);
  DeleteObject(dark);
  DeleteObject(white);
}

}  // namespace survey
