// The file review's screen rules: slot actions, key tables, value and help texts, and the layout of
// the review window.
#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "engine/state.h"
#include "shell/file_review.h"
#include "shell/file_review_rules.h"

namespace handheld {

namespace {

constexpr double kMetresPerFoot = 0.3048;

struct KeyRow {
  WPARAM code;
  int32_t action;
};

// Key-down codes and characters live in separate tables: VK_LEFT (0x25) is also '%', VK_PRIOR
// (0x21) '!' and VK_HOME (0x24) '$', so a code means something only for its own message.
constexpr KeyRow kKeyDownActions[] = {
    {VK_HOME, kActionStart}, {VK_PRIOR, kActionBack}, {VK_LEFT, kActionLeft}, {VK_UP, kActionLeft},
    {VK_RIGHT, kActionRight}, {VK_DOWN, kActionRight}, {VK_NEXT, kActionOn}, {VK_END, kActionEnd},
};
constexpr WPARAM kEnterChar = 13;
constexpr WPARAM kTabChar = 9;
constexpr KeyRow kCharActions[] = {
    {'F', kActionFile}, {'f', kActionFile}, {'S', kActionScale}, {'s', kActionScale}, {'E', kActionExit},
    {'e', kActionExit}, {'X', kActionExit}, {'x', kActionExit}, {'?', kActionHelp}, {'L', kActionLine},
    {'l', kActionLine},
};

template <size_t N>
int32_t Lookup(const KeyRow (&table)[N], WPARAM code) {
  for (const KeyRow& row : table) {
    if (row.code == code) return row.action;
  }
  return kReviewNoAction;
}

std::wstring Format(const wchar_t* format, double v) {
  wchar_t text[96];
  swprintf(text, 96, format, v);
  return text;
}

// A channel's text: the format with its value, or the text for no value.
std::wstring ChannelText(const CursorSlot& slot, int channel, const wchar_t* format, const wchar_t* none) {
  return slot.valid[channel] == 1 ? Format(format, slot.value[channel]) : std::wstring(none);
}

RECT Field(int left, int top, int right, int bottom) { return RECT{left, top, right, bottom}; }

}  // namespace

// ---- Slots ------------------------------------------------------------------------------------

SlotStep SlotAction(int32_t action, const SlotState& s) {
  SlotStep step;
  step.firstRow = s.firstRow;
  step.cursorSlot = s.cursorSlot;
  const int64_t rows = s.rowCount;
  switch (action) {
    case kActionStart:
      step.firstRow = 1;
      step.reread = true;
      break;
    case kActionBack:
      step.firstRow = static_cast<int32_t>(std::max<int64_t>(int64_t{s.firstRow} - s.pageStep, 1));
      step.reread = true;
      break;
    case kActionLeft:
      if (s.cursorSlot > 1) {
        step.cursorSlot = s.cursorSlot - 1;
        step.cursorMoved = true;
      }
      break;
    case kActionRight:
      if (s.cursorSlot < s.slotsPerScreen && s.cursorSlot < s.rowCount) {
        step.cursorSlot = s.cursorSlot + 1;
        step.cursorMoved = true;
      }
      break;
    case kActionOn: {
      const int64_t next = int64_t{s.firstRow} + s.pageStep;
      if (next > rows) return step;  // nothing moves
      int64_t first = next;
      if (next + s.slotsPerScreen - 1 > rows) first = rows - s.slotsPerScreen + 1;
      step.firstRow = static_cast<int32_t>(std::clamp<int64_t>(first, INT32_MIN, INT32_MAX));
      step.reread = true;
      break;
    }
    case kActionEnd: {
      const int64_t first = rows - s.lastSlot + 1;
      if (first < 0) return step;  // nothing moves
      step.firstRow = static_cast<int32_t>(std::min<int64_t>(first, INT32_MAX));
      step.reread = true;
      break;
    }
    default:
      return step;
  }
  step.showValues = true;
  return step;
}

int32_t FirstCursorSlot(int32_t rowCount) { return rowCount <= 50 ? std::max(rowCount / 2, 1) : 50; }

int32_t EffectiveFirstRow(int32_t firstRow) { return std::max(firstRow, 1); }

// ---- Keys -------------------------------------------------------------------------------------

int32_t ReviewInputAction(UINT message, WPARAM wParam, int32_t selected) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= kReviewButtonIdBase && id < kReviewButtonIdBase + kReviewButtons) return id - kReviewButtonIdBase;
      return kReviewNoAction;
    }
    case WM_KEYDOWN:
      return Lookup(kKeyDownActions, wParam);
    case WM_CHAR:
      if (wParam == kEnterChar) return selected >= 0 && selected <= kLineBoxSelection ? selected : kReviewNoAction;
      if (wParam == kTabChar) return kReviewTab;
      return Lookup(kCharActions, wParam);
    default:
      return kReviewNoAction;  // WM_KILLFOCUS carries a window handle, never a key
  }
}

int32_t NextReviewSelection(int32_t selected) {
  return selected >= kLineBoxSelection || selected < 0 ? 0 : selected + 1;
}

// ---- Texts ------------------------------------------------------------------------------------

const std::vector<std::wstring>& ReviewHelpLines(int32_t storageRoot) {
  static const std::vector<std::wstring> kDrive = {
      L"Select Survey Line in combo box (L)ine.",
      L"  ",
      L"To move profile along survey line:",
      L"  Start Line     - tap <<--  or key Home",
      L"  End Line      - tap -->>  or key End  ",
      L"  80 Stn left   - tap <---  or key PgUp ",
      L"  80 Stn right - tap --->  or key PgDn",
      L"  ",
      L"To move vertical bar:",
      L"  1 Stn left   - tap  |<--  or key Left ",
      L"  1 Stn right - tap  -->|  or key Right",
  };
  static const std::vector<std::wstring> kStorage = {
      L"Select Line in box (L)ine.",
      L"  ",
      L"To move along line:",
      L" to Start- tap <<-- /Home",
      L" to End  - tap -->> /End ",
      L" 80 left  - tap <--- /PgUp",
      L" 80 right- tap ---> /PgDn",
      L"  ",
      L"To move vertical bar:",
      L" 1 left   - tap |<-- /Left ",
      L" 1 right - tap -->| /Right",
  };
  return storageRoot == 1 ? kStorage : kDrive;
}

std::wstring ReviewHelpText(int32_t storageRoot) {
  std::wstring text;
  for (const std::wstring& line : ReviewHelpLines(storageRoot)) {
    if (!text.empty()) text += L"\r\n";
    text += line;
  }
  return text;
}

CursorTexts CursorValueTexts(int32_t model, int32_t portrait, int32_t zolEnabled, int32_t displayUnits,
                             const CursorSlot& slot) {
  CursorTexts t;
  if (slot.present != 1) return t;
  t.present = true;
  t.station = Format(L"%-11.2f", slot.station);
  // By model: each labels its channels (or shows bare values) in texts of its own.
  switch (model) {
    case kModelRz12:
    case kModelRz27B:
    case kModelRz27Dd:
    case kModelRz27: {
      const bool p = portrait != 0;
      t.field[0] = ChannelText(slot, 0, p ? L"C:%-8.2f" : L"CV:%-8.2f", p ? L"C:" : L"CV:");
      t.field[1] = ChannelText(slot, 1, p ? L"c:%-8.2f" : L"CH:%-8.2f", p ? L"c:" : L"CH:");
      t.field[2] = ChannelText(slot, 2, p ? L"I:%-8.2f" : L"IV:%-8.2f", p ? L"I:" : L"IV:");
      t.field[3] = ChannelText(slot, 3, p ? L"i:%-8.1f" : L"IH:%-8.1f", p ? L"i:" : L"IH:");
      if (zolEnabled == 1) {
        const wchar_t* label = p ? L"Ice Th:" : L"Th:";
        if (slot.valid[1] == 1 && slot.iceThickness >= 0.0f) {
          const bool metres = displayUnits == 0;
          const double shown = metres ? slot.iceThickness : slot.iceThickness / kMetresPerFoot;
          t.ice = label + Format(metres ? L"%-8.2fm" : L"%-8.2fft", shown);
        } else {
          t.ice = std::wstring(label) + L" N/A";
        }
      }
      break;
    }
    case kModelRz45:
    case kModelRz27Mk2:
      for (int c = 0; c < ModelRowOf(model).displayChannels; ++c) t.field[c] = ChannelText(slot, c, L"%-7.1f", L"xxxxx");
      break;
    case kModelZol12:
      t.field[0] = ChannelText(slot, 0, L"Th:%-8.2f", L"Th:");
      t.field[2] = ChannelText(slot, 2, L"IP:%-8.2f", L"IP:");
      break;
    default:
      break;  // the RZ89: the station only
  }
  return t;
}

// ---- Layout -----------------------------------------------------------------------------------

ReviewFields ComputeReviewFields(const ReviewScreen& sc, const ReviewTextWidths& w) {
  ReviewFields f;
  const int th = sc.textHeight;
  f.row1Y = 1;
  f.row2Y = th + 1;
  f.underPlotY = sc.plotTop + sc.plotHeight;
  f.bottomY = f.underPlotY + th + 1;

  const int labelLeft = sc.portrait ? sc.windowWidth - 82 : sc.windowWidth - 100;
  const int labelTop = sc.portrait ? f.row1Y + 1 : f.row1Y + 2;
  f.lineLabel = Field(labelLeft, labelTop, labelLeft + w.lineLabel + 4, f.row1Y + th + 6);
  f.file = Field(5, f.row1Y, 10 + w.fileField, f.row1Y + th + 2);

  const int stationLeft = sc.plotLeft + w.stationLabel + 1;
  f.station = Field(stationLeft, f.row2Y, stationLeft + w.stationDigits + 10, f.row2Y + th + 2);

  if (ModelRowOf(sc.model).splitReviewScale) {
    const int left = f.station.right + 15;
    f.scaleC = Field(left, f.row1Y, left + w.mk2Scale + 5, f.row1Y + th + 3);
    f.scaleI = Field(left, f.row2Y, left + w.mk2Scale + 5, f.row2Y + th + 3);
  } else {
    f.scale = Field(sc.plotLeft, f.bottomY, sc.plotLeft + sc.plotWidth - 152, f.bottomY + th + 3);
  }

  const int under = f.underPlotY;
  const int valueBottom = under + th + 2;
  // By model: the value fields follow each model's texts above.
  switch (sc.model) {
    case kModelRz45:
    case kModelRz27Mk2: {
      const int q = sc.windowWidth / 6;
      f.value[0] = Field(1, under, q, valueBottom);
      f.value[1] = Field(q + 1, under, 2 * q, valueBottom);
      for (int i = 2; i < 6; ++i) {
        f.value[i] = Field(i * q + 1, under - 2, i == 5 ? sc.windowWidth : (i + 1) * q, valueBottom);
      }
      if (sc.model == kModelRz27Mk2) {
        const int bottom = f.bottomY + th + 2;
        f.value[6] = Field(1, f.bottomY, q, bottom);
        f.value[7] = Field(q + 1, f.bottomY, 2 * q, bottom);
      }
      break;
    }
    case kModelRz89:
      break;
    default:
      if (sc.portrait) {
        f.value[0] = Field(1, under, 60, valueBottom);
        f.value[1] = Field(61, under, 120, valueBottom);
        f.value[2] = Field(121, under - 2, 180, valueBottom);
        f.value[3] = Field(181, under - 2, sc.windowWidth, valueBottom);
        f.ice = Field(sc.windowWidth / 2 + 10, f.bottomY, sc.windowWidth, f.bottomY + th + 2);
      } else {
        f.value[0] = Field(5, under, 84, valueBottom);
        f.value[1] = Field(85, under, 164, valueBottom);
        f.value[2] = Field(165, under - 2, 244, valueBottom);
        f.value[3] = Field(245, under - 2, sc.windowWidth, valueBottom);
        f.ice = Field(f.station.right + 20, f.row2Y, sc.windowWidth, f.row2Y + th + 2);
      }
      break;
  }
  return f;
}

RECT ReviewButtonRect(const ReviewScreen& sc, int i) {
  const int w = (sc.windowWidth - 2) / 6;
  if (i < 6) {
    const int x = 2 + i * w;
    const int y = sc.windowHeight - 18;
    return RECT{x, y, x + w - 1, y + 17};
  }
  const int w2 = sc.portrait ? w : (sc.windowWidth - 154) / 4;
  const int x0 = sc.portrait ? 2 * w + 2 : 154;
  const int x = x0 + (i - 6) * w2;
  const int y = sc.windowHeight - 37;
  return RECT{x, y, x + w2 - 1, y + 18};
}

RECT LineBoxRect(const ReviewScreen& sc) {
  const int x = sc.plotLeft + sc.plotWidth - 82;
  const int y = sc.plotTop - 28;
  return RECT{x, y, x + 82, y + 220};
}

}  // namespace handheld
