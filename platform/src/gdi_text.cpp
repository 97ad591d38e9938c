// Text through the built-in font: TextOut, ExtTextOut, DrawText, extents and metrics.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "core.h"
#include "gdi_internal.h"

using namespace plat::detail;
using plat::test::DrawOp;

namespace {

using CodePoints = std::vector<uint32_t>;

CodePoints FromWide(LPCWSTR s, size_t n) {
  CodePoints cps(n);
  for (size_t i = 0; i < n; ++i) cps[i] = static_cast<uint32_t>(s[i]);
  return cps;
}

CodePoints FromAnsi(LPCSTR s, size_t n) {
  CodePoints cps(n);
  for (size_t i = 0; i < n; ++i) cps[i] = static_cast<uint32_t>(plat::Cp1252ToWide(static_cast<unsigned char>(s[i])));
  return cps;
}

std::wstring ToWide(const CodePoints& cps, size_t from = 0, size_t to = SIZE_MAX) {
  to = std::min(to, cps.size());
  std::wstring w;
  for (size_t i = from; i < to; ++i) w.push_back(static_cast<wchar_t>(cps[i]));
  return w;
}

LONG ToLong(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Sum of the advances (or of dx, when given).
int64_t RunWidth(const FontFace& face, const uint32_t* cps, size_t n, const INT* dx) {
  int64_t w = 0;
  for (size_t i = 0; i < n; ++i) w += dx ? dx[i] : face.Advance(cps[i]);
  return w;
}

struct RunStyle {
  uint32_t fg;
  bool opaque;
  uint32_t bg;
};

// Draws a run with its cell's top-left at device (x, y). In opaque mode the cell box is filled
// first. `underline` (optional) marks characters underlined as mnemonics.
void DrawRun(const Canvas& c, const FontFace& face, int64_t x, int64_t y, const uint32_t* cps, size_t n,
             const INT* dx, const RunStyle& style, const std::vector<bool>* underline = nullptr) {
  const int64_t width = RunWidth(face, cps, n, dx);
  if (style.opaque) c.Fill({x, y, x + width, y + face.cell}, style.bg);
  const IRect bounds = c.clip->Bounds();
  int64_t pen = x;
  for (size_t i = 0; i < n; ++i) {
    const GlyphData& g = face.Glyph(cps[i]);
    const int64_t advance = dx ? dx[i] : g.advance;
    const int64_t gx = pen + g.left, gy = y + g.top;
    if (g.width && gx < bounds.r && gx + g.width > bounds.l && gy < bounds.b && gy + g.height > bounds.t) {
      const uint8_t* bits = face.data->bits + g.offset;
      size_t bit = 0;
      for (int row = 0; row < g.height; ++row) {
        int col = 0;
        while (col < g.width) {
          // Runs of set bits become one span.
          while (col < g.width && !((bits[bit >> 3] >> (7 - (bit & 7))) & 1)) ++col, ++bit;
          const int start = col;
          while (col < g.width && ((bits[bit >> 3] >> (7 - (bit & 7))) & 1)) ++col, ++bit;
          if (col > start) c.Fill({gx + start, gy + row, gx + col, gy + row + 1}, style.fg);
        }
      }
    }
    if (underline && i < underline->size() && (*underline)[i]) {
      const int64_t uy = y + face.ascent + 1;
      c.Fill({pen, uy, pen + advance, uy + 1}, style.fg);
    }
    pen += advance;
  }
}

RunStyle StyleOf(const DcObject& dc) {
  return RunStyle{PixelFromColor(dc.textColour), dc.bkMode == OPAQUE, PixelFromColor(dc.bkColour)};
}

BOOL ExtTextOutImpl(HDC hdc, int x, int y, UINT options, const RECT* rc, const CodePoints& cps, const INT* dx) {
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  const bool clipped = (options & ETO_CLIPPED) && rc;
  DrawScope scope(*dc, clipped ? rc : nullptr);
  const FontFace& face = dc->font->Face();
  if ((options & ETO_OPAQUE) && rc) {
    scope.canvas().Fill(DevBox(*dc, *rc), PixelFromColor(dc->bkColour));
  }
  const int64_t width = RunWidth(face, cps.data(), cps.size(), dx);
  int64_t left = x;
  if ((dc->textAlign & TA_CENTER) == TA_CENTER) {
    left -= width / 2;
  } else if (dc->textAlign & TA_RIGHT) {
    left -= width;
  }
  DrawRun(scope.canvas(), face, ClampCoord(left + dc->origin.x), DevY(*dc, y), cps.data(), cps.size(), dx,
          StyleOf(*dc));
  scope.Changed();
  if (scope.Logging()) {
    auto e = scope.Entry(DrawOp::Text);
    e.x = ToLong(left);
    e.y = y;
    e.rect = RECT{ToLong(left), y, ToLong(left + width), ToLong(int64_t{y} + face.cell)};
    e.text = ToWide(cps);
    scope.Log(std::move(e));
  }
  return TRUE;
}

bool CheckText(const void* s, int64_t n) {
  if (n < 0 || (n > 0 && !s)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// ---- DrawText --------------------------------------------------------------------------------
struct Line {
  size_t from, to;  // [from, to) of the processed text
  int64_t width;
};

// Lines of the processed text: hard breaks at "\r\n", "\n" and "\r"; with DT_WORDBREAK also
// between words, so that a line fits maxWidth where its words allow (a word longer than the width
// stays whole and runs past it).
std::vector<Line> BreakLines(const FontFace& face, const CodePoints& t, UINT format, int64_t maxWidth) {
  std::vector<Line> lines;
  auto width = [&](size_t a, size_t b) { return RunWidth(face, t.data() + a, b - a, nullptr); };
  if (format & DT_SINGLELINE) {
    lines.push_back({0, t.size(), width(0, t.size())});
    return lines;
  }
  size_t i = 0;
  while (true) {
    size_t end = i;
    while (end < t.size() && t[end] != '\n' && t[end] != '\r') ++end;
    if (!(format & DT_WORDBREAK)) {
      lines.push_back({i, end, width(i, end)});
    } else {
      size_t start = i;
      while (true) {
        // Grow the line word by word while it fits.
        size_t lineEnd = start;
        size_t pos = start;
        while (pos < end) {
          size_t wordEnd = pos;
          while (wordEnd < end && t[wordEnd] == ' ') ++wordEnd;
          while (wordEnd < end && t[wordEnd] != ' ') ++wordEnd;
          if (lineEnd > start && width(start, wordEnd) > maxWidth) break;
          lineEnd = wordEnd;
          pos = wordEnd;
        }
        lines.push_back({start, lineEnd, width(start, lineEnd)});
        start = lineEnd;
        while (start < end && t[start] == ' ') ++start;  // spaces at a break are dropped
        if (start >= end) break;
      }
    }
    if (end >= t.size()) break;
    i = end + ((t[end] == '\r' && end + 1 < t.size() && t[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

int DrawTextImpl(HDC hdc, const CodePoints& raw, LPRECT rc, UINT format) {
  auto dc = FindDc(hdc);
  if (!dc) return 0;
  if (!rc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // '&' marks the next character as a mnemonic (underlined); "&&" is one '&'.
  CodePoints text;
  std::vector<bool> underline;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (!(format & DT_NOPREFIX) && raw[i] == '&') {
      if (i + 1 >= raw.size()) break;
      ++i;
      text.push_back(raw[i]);
      underline.push_back(raw[i] != '&');
      continue;
    }
    text.push_back(raw[i]);
    underline.push_back(false);
  }
  if (text.empty()) {
    if (format & DT_CALCRECT) {
      rc->right = rc->left;
      rc->bottom = rc->top;
    }
    return 0;
  }

  std::unique_ptr<DrawScope> scope;
  const FontFace* face;
  if (format & DT_CALCRECT) {
    std::lock_guard<std::mutex> lock(dc->mutex);
    face = &dc->font->Face();
  } else {
    scope = std::make_unique<DrawScope>(*dc, (format & DT_NOCLIP) ? nullptr : rc);
    face = &dc->font->Face();
  }
  const int64_t boxW = int64_t{rc->right} - rc->left;
  const std::vector<Line> lines = BreakLines(*face, text, format, boxW);
  const int64_t height = static_cast<int64_t>(lines.size()) * face->cell;
  if (format & DT_CALCRECT) {
    int64_t widest = 0;
    for (const Line& l : lines) widest = std::max(widest, l.width);
    rc->right = ToLong(rc->left + widest);
    rc->bottom = ToLong(rc->top + height);
    return static_cast<int>(std::min<int64_t>(height, INT32_MAX));
  }

  int64_t top = rc->top;
  if (format & DT_SINGLELINE) {
    const int64_t boxH = int64_t{rc->bottom} - rc->top;
    if (format & DT_BOTTOM) {
      top = rc->bottom - int64_t{face->cell};
    } else if (format & DT_VCENTER) {
      top = rc->top + (boxH - face->cell) / 2;
    }
  }
  const RunStyle style = StyleOf(*dc);
  for (size_t k = 0; k < lines.size(); ++k) {
    const Line& l = lines[k];
    int64_t left = rc->left;
    if (format & DT_CENTER) {
      left += (boxW - l.width) / 2;
    } else if (format & DT_RIGHT) {
      left = rc->right - l.width;
    }
    const int64_t y = top + static_cast<int64_t>(k) * face->cell;
    const std::vector<bool> marks(underline.begin() + static_cast<long>(l.from),
                                  underline.begin() + static_cast<long>(l.to));
    DrawRun(scope->canvas(), *face, ClampCoord(left + dc->origin.x), ClampCoord(y + dc->origin.y),
            text.data() + l.from, l.to - l.from, nullptr, style, &marks);
    if (scope->Logging()) {
      auto e = scope->Entry(DrawOp::Text);
      e.x = ToLong(left);
      e.y = ToLong(y);
      e.rect = RECT{ToLong(left), ToLong(y), ToLong(left + l.width), ToLong(y + face->cell)};
      e.text = ToWide(text, l.from, l.to);
      scope->Log(std::move(e));
    }
  }
  scope->Changed();
  return static_cast<int>(std::min<int64_t>(height, INT32_MAX));
}

BOOL ExtentImpl(HDC hdc, const CodePoints& cps, LPSIZE size) {
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(dc->mutex);
  const FontFace& face = dc->font->Face();
  size->cx = ToLong(RunWidth(face, cps.data(), cps.size(), nullptr));
  size->cy = face.cell;
  return TRUE;
}

template <class Metrics>
BOOL MetricsImpl(HDC hdc, Metrics* tm) {
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  if (!tm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(dc->mutex);
  const FontFace& f = dc->font->Face();
  *tm = Metrics{};
  tm->tmHeight = f.cell;
  tm->tmAscent = f.ascent;
  tm->tmDescent = f.descent;
  tm->tmAveCharWidth = f.aveCharWidth;
  tm->tmMaxCharWidth = f.maxCharWidth;
  tm->tmWeight = f.bold ? FW_BOLD : FW_NORMAL;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = '?';
  tm->tmBreakChar = ' ';
  tm->tmPitchAndFamily = 0x21;  // variable pitch, sans serif
  tm->tmCharSet = ANSI_CHARSET;
  return TRUE;
}

}  // namespace

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR s, int n) {
  if (!CheckText(s, n)) return FALSE;
  return ExtTextOutImpl(hdc, x, y, 0, nullptr, FromWide(s, static_cast<size_t>(n)), nullptr);
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR s, int n) {
  if (!CheckText(s, n)) return FALSE;
  return ExtTextOutImpl(hdc, x, y, 0, nullptr, FromAnsi(s, static_cast<size_t>(n)), nullptr);
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rc, LPCWSTR s, UINT n, const INT* dx) {
  if (!CheckText(s, n)) return FALSE;
  return ExtTextOutImpl(hdc, x, y, options, rc, FromWide(s, n), dx);
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rc, LPCSTR s, UINT n, const INT* dx) {
  if (!CheckText(s, n)) return FALSE;
  return ExtTextOutImpl(hdc, x, y, options, rc, FromAnsi(s, n), dx);
}

int DrawTextW(HDC hdc, LPCWSTR s, int n, LPRECT rc, UINT format) {
  if (n < 0 && s) n = static_cast<int>(std::wcslen(s));
  if (!CheckText(s, n)) return 0;
  return DrawTextImpl(hdc, FromWide(s, static_cast<size_t>(n)), rc, format);
}

int DrawTextA(HDC hdc, LPCSTR s, int n, LPRECT rc, UINT format) {
  if (n < 0 && s) n = static_cast<int>(std::strlen(s));
  if (!CheckText(s, n)) return 0;
  return DrawTextImpl(hdc, FromAnsi(s, static_cast<size_t>(n)), rc, format);
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR s, int n, LPSIZE size) {
  if (!CheckText(s, n)) return FALSE;
  return ExtentImpl(hdc, FromWide(s, static_cast<size_t>(n)), size);
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR s, int n, LPSIZE size) {
  if (!CheckText(s, n)) return FALSE;
  return ExtentImpl(hdc, FromAnsi(s, static_cast<size_t>(n)), size);
}

BOOL GetTextExtentPointW(HDC hdc, LPCWSTR s, int n, LPSIZE size) { return GetTextExtentPoint32W(hdc, s, n, size); }
BOOL GetTextExtentPointA(HDC hdc, LPCSTR s, int n, LPSIZE size) { return GetTextExtentPoint32A(hdc, s, n, size); }

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm) { return MetricsImpl(hdc, tm); }
BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA tm) { return MetricsImpl(hdc, tm); }
