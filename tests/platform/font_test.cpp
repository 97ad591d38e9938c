// The built-in font and text output: instances, size and weight selection, metrics, base units,
// extents, missing glyphs, CP1252, opaque and transparent cells, clipping and DrawText.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "../../platform/src/font.h"
#include "../../platform/src/surface.h"

namespace {

using plat::detail::ColorFromPixel;
using plat::detail::Surface;

constexpr int kW = 200;
constexpr int kH = 40;
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(); }
  void TearDown() override { plat::test::Reset(); }

  void Open() {
    surface = std::make_shared<Surface>(kW, kH);
    dc = plat::detail::CreateSurfaceDc(surface, POINT{0, 0}, nullptr, nullptr, false);
    ASSERT_NE(dc, nullptr);
  }

  // Selects a font made from lfHeight and weight (deleted with the DC at Reset).
  void UseFont(LONG height, LONG weight = FW_NORMAL) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::wcscpy(lf.lfFaceName, L"MS Sans Serif");
    HFONT f = CreateFontIndirectW(&lf);
    ASSERT_NE(f, nullptr);
    SelectObject(dc, f);
  }

  TEXTMETRICW Metrics() const {
    TEXTMETRICW tm{};
    EXPECT_TRUE(GetTextMetricsW(dc, &tm));
    return tm;
  }

  LONG Width(const std::wstring& s) const {
    SIZE sz{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &sz));
    return sz.cx;
  }

  void Clear(COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    RECT all{0, 0, kW, kH};
    FillRect(dc, &all, b);
    DeleteObject(b);
  }

  size_t Count(RECT rc, COLORREF c) const { return surface->CountPixels(rc, plat::detail::PixelFromColor(c)); }

  std::vector<uint32_t> Pixels() const { return surface->Snapshot(nullptr, nullptr); }

  std::shared_ptr<Surface> surface;
  HDC dc = nullptr;
};

// ---- Instances and selection -----------------------------------------------------------------
TEST_F(FontTest, EveryCellHasItsAscentAndDescentInBothWeights) {
  struct Case {
    int cell, ascent, descent;
  } cases[] = {{13, 10, 3}, {14, 11, 3}, {16, 13, 3}, {20, 16, 4}, {28, 22, 6}};
  for (const Case& c : cases) {
    for (LONG weight : {FW_NORMAL, FW_BOLD}) {
      UseFont(c.cell, weight);
      const TEXTMETRICW tm = Metrics();
      EXPECT_EQ(tm.tmHeight, c.cell);
      EXPECT_EQ(tm.tmAscent, c.ascent) << c.cell;
      EXPECT_EQ(tm.tmDescent, c.descent) << c.cell;
      EXPECT_EQ(tm.tmInternalLeading, 0);
      EXPECT_EQ(tm.tmExternalLeading, 0);
      EXPECT_EQ(tm.tmWeight, weight);
      EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    }
  }
}

TEST_F(FontTest, HeightAndWeightPickTheInstance) {
  struct Case {
    LONG height;
    int cell;
  } cases[] = {
      {-11, 13}, {-12, 14}, {-13, 16}, {-17, 20}, {-23, 28},  // character heights: round(1.2 h)
      {13, 13},  {15, 14},  {19, 16},  {27, 20},  {100, 28},  // cell heights: largest not above
      {5, 13},   {-1, 13},  {INT_MIN, 28}, {INT_MAX, 28},     // bounds
  };
  for (const Case& c : cases) {
    UseFont(c.height);
    EXPECT_EQ(Metrics().tmHeight, c.cell) << c.height;
  }
  struct Weight {
    LONG weight;
    LONG rendered;
  } weights[] = {{FW_EXTRALIGHT, FW_NORMAL}, {599, FW_NORMAL}, {FW_SEMIBOLD, FW_BOLD}, {FW_HEAVY, FW_BOLD}};
  for (const Weight& w : weights) {
    UseFont(20, w.weight);
    EXPECT_EQ(Metrics().tmWeight, w.rendered) << w.weight;
  }
  // Bold has more ink than regular.
  UseFont(20, FW_NORMAL);
  TextOutW(dc, 0, 0, L"AGPS", 4);
  const size_t regular = Count(RECT{0, 0, kW, kH}, RGB(0, 0, 0));
  Clear(RGB(255, 255, 255));
  UseFont(20, FW_SEMIBOLD);
  TextOutW(dc, 0, 0, L"AGPS", 4);
  EXPECT_GT(Count(RECT{0, 0, kW, kH}, RGB(0, 0, 0)), regular);
}

TEST_F(FontTest, SystemFontFollowsTheProfile) {
  struct Case {
    plat::Profile profile;
    int cell;
  } cases[] = {{plat::Profile::Handheld, 14}, {plat::Profile::Desktop, 16}};
  for (const Case& c : cases) {
    plat::test::Reset(c.profile);
    Open();
    EXPECT_EQ(Metrics().tmHeight, c.cell);  // the DC default
    UseFont(0);
    EXPECT_EQ(Metrics().tmHeight, c.cell);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(Metrics().tmHeight, c.cell);
  }
}

TEST_F(FontTest, DialogSizesHaveTheBaseUnitsAsMeanLetterWidth) {
  struct Case {
    int cell, baseX;
  } cases[] = {{13, 6}, {14, 6}, {16, 7}};
  for (const Case& c : cases) {
    UseFont(c.cell);
    EXPECT_EQ(Metrics().tmAveCharWidth, c.baseX) << c.cell;
    // The same mean, measured letter by letter through the extents.
    LONG sum = 0;
    for (wchar_t ch = L'a'; ch <= L'z'; ++ch) sum += Width(std::wstring(1, ch));
    for (wchar_t ch = L'A'; ch <= L'Z'; ++ch) sum += Width(std::wstring(1, ch));
    EXPECT_EQ((2 * sum + 52) / 104, c.baseX) << c.cell;
  }
}

TEST_F(FontTest, GlyphTablesStayInsideTheirCellsAndCoverCp1252) {
  for (const auto& inst : plat::detail::kFontInstances) {
    const plat::detail::FontFace& face = plat::detail::FontInstance(inst.cell, inst.bold);
    const plat::detail::GlyphData& question = face.Glyph('?');
    for (int i = 0; i < plat::detail::kFontGlyphCount; ++i) {
      const uint32_t cp = plat::detail::kFontCodePoints[i];
      const plat::detail::GlyphData& g = face.Glyph(cp);
      EXPECT_LE(g.top + g.height, inst.cell) << cp;
      EXPECT_GT(g.advance, 0) << cp;
      if (cp != '?') {
        EXPECT_NE(&g, &question) << cp;
      }
      if (cp != ' ' && cp != 0xA0) {
        EXPECT_GT(g.width, 0) << cp;  // every printable glyph has ink
      }
    }
    EXPECT_EQ(&face.Glyph(0x4E00), &question);
  }
}

// ---- Extents and characters ------------------------------------------------------------------
TEST_F(FontTest, ExtentIsTheSumOfAdvances) {
  for (LONG cell : {13, 14, 16, 20, 28}) {
    UseFont(cell, FW_BOLD);
    for (const std::wstring s : {L"AGPS", L"Line 12.5 m", L"WiW", L"\u00B0\u00F8\u20AC"}) {
      LONG sum = 0;
      for (wchar_t ch : s) sum += Width(std::wstring(1, ch));
      EXPECT_EQ(Width(s), sum) << cell;
    }
  }
  SIZE sz{-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32W(dc, L"", 0, &sz));
  EXPECT_EQ(sz.cx, 0);
  EXPECT_EQ(sz.cy, 28);
  EXPECT_TRUE(GetTextExtentPointA(dc, nullptr, 0, &sz));
  EXPECT_EQ(sz.cx, 0);
  // Bad arguments fail and leave the output alone.
  sz = SIZE{-7, -7};
  EXPECT_FALSE(GetTextExtentPoint32W(dc, L"abc", -1, &sz));
  EXPECT_FALSE(GetTextExtentPoint32W(dc, nullptr, 3, &sz));
  EXPECT_EQ(sz.cx, -7);
  EXPECT_FALSE(GetTextExtentPoint32W(dc, L"abc", 3, nullptr));
  EXPECT_FALSE(TextOutW(dc, 0, 0, L"abc", -2));
  EXPECT_FALSE(TextOutA(dc, 0, 0, nullptr, 1));
}

TEST_F(FontTest, EightBitTextGoesThroughCp1252AndMissingGlyphsDrawAQuestionMark) {
  struct Case {
    const char* narrow;
    const wchar_t* wide;
  } cases[] = {
      {"\xB0", L"\u00B0"},  // degree sign
      {"\xF8", L"\u00F8"},  // o with stroke
      {"\x80", L"\u20AC"},  // euro sign
      {"\x81", L"?"},       // unused byte
      {"\t", L"?"},         // control character
  };
  for (const Case& c : cases) {
    Clear(RGB(255, 255, 255));
    TextOutA(dc, 0, 0, c.narrow, 1);
    const auto a = Pixels();
    SIZE sa{};
    GetTextExtentPoint32A(dc, c.narrow, 1, &sa);
    Clear(RGB(255, 255, 255));
    TextOutW(dc, 0, 0, c.wide, 1);
    EXPECT_EQ(Pixels(), a) << c.wide;
    EXPECT_EQ(sa.cx, Width(c.wide));
  }
  // A character outside the font draws and measures as '?'.
  Clear(RGB(255, 255, 255));
  TextOutW(dc, 3, 4, L"\u4E00", 1);
  const auto cjk = Pixels();
  Clear(RGB(255, 255, 255));
  TextOutW(dc, 3, 4, L"?", 1);
  EXPECT_EQ(Pixels(), cjk);
  EXPECT_EQ(Width(L"\u4E00"), Width(L"?"));
}

// ---- Cells, clipping, alignment --------------------------------------------------------------
TEST_F(FontTest, OpaqueTextFillsItsCellAndTransparentTextLeavesTheGround) {
  const std::wstring s = L"AGPS 12";
  const LONG cx = Width(s);
  const RECT cell{10, 5, 10 + cx, 5 + 14};
  const RECT all{0, 0, kW, kH};
  for (int mode : {OPAQUE, TRANSPARENT}) {
    Clear(kGrey);
    SetBkMode(dc, mode);
    SetBkColor(dc, kYellow);
    SetTextColor(dc, kBlue);
    ASSERT_TRUE(TextOutW(dc, 10, 5, s.c_str(), static_cast<int>(s.size())));
    const size_t ink = Count(cell, kBlue);
    EXPECT_GT(ink, 20u);
    EXPECT_EQ(Count(all, kBlue), ink);  // no glyph pixel outside the cell
    const size_t area = static_cast<size_t>(cx) * 14;
    if (mode == OPAQUE) {
      EXPECT_EQ(Count(cell, kYellow) + ink, area);
      EXPECT_EQ(Count(all, kYellow) + ink, area);
    } else {
      EXPECT_EQ(Count(all, kYellow), 0u);
      EXPECT_EQ(Count(cell, kGrey) + ink, area);
    }
  }
}

TEST_F(FontTest, LongTextRunsPastItsFieldUnlessClipped) {
  const std::wstring s = L"a long value text";
  const RECT field{10, 5, 40, 25};
  const RECT right{40, 0, kW, kH};
  Clear(RGB(255, 255, 255));
  ExtTextOutW(dc, 10, 5, 0, &field, s.c_str(), static_cast<UINT>(s.size()), nullptr);
  EXPECT_GT(Count(right, RGB(0, 0, 0)), 0u);  // no clipping to the field without ETO_CLIPPED

  Clear(RGB(255, 255, 255));
  SetBkColor(dc, kYellow);
  SetBkMode(dc, TRANSPARENT);
  ExtTextOutW(dc, 10, 5, ETO_CLIPPED, &field, s.c_str(), static_cast<UINT>(s.size()), nullptr);
  EXPECT_EQ(Count(right, RGB(0, 0, 0)), 0u);
  EXPECT_GT(Count(field, RGB(0, 0, 0)), 0u);
  EXPECT_EQ(Count(RECT{0, 0, kW, kH}, kYellow), 0u);

  // ETO_OPAQUE fills the rectangle with the background colour first, whatever the mode.
  ExtTextOutW(dc, 10, 5, ETO_OPAQUE | ETO_CLIPPED, &field, s.c_str(), static_cast<UINT>(s.size()), nullptr);
  EXPECT_EQ(Count(field, kYellow) + Count(field, RGB(0, 0, 0)), 30u * 20u);
  EXPECT_EQ(Count(right, RGB(0, 0, 0)), 0u);
}

TEST_F(FontTest, TextAlignmentAndTheDrawLogGiveTheCellPosition) {
  plat::test::EnableDrawLog(true);
  const LONG cx = Width(L"Fix");
  EXPECT_EQ(SetTextAlign(dc, TA_RIGHT), static_cast<UINT>(TA_LEFT));
  TextOutW(dc, 100, 3, L"Fix", 3);
  auto hit = plat::test::FindText(L"Fix");
  ASSERT_TRUE(hit.has_value());
  EXPECT_EQ(hit->x, 100 - cx);
  EXPECT_EQ(hit->rect.right, 100);
  EXPECT_EQ(hit->rect.bottom, 3 + 14);
  SetTextAlign(dc, TA_CENTER);
  TextOutA(dc, 100, 3, "Fix", 3);
  EXPECT_EQ(plat::test::FindText(L"Fix")->x, 100 - cx / 2);
}

// ---- Glyph spacing ---------------------------------------------------------------------------

// Texts whose neighbours ran into one another (bold "ic", "rt"), kerned-looking pairs and a blank
// pair, at every size and weight: from the pixels, each character's ink lies inside its advance and
// at least one background column stands between the ink of neighbours; two blanks are twice one.
TEST_F(FontTest, NeighboursInkNeverTouchesAndBlanksKeepTheirWidth) {
  constexpr int kWide = 420;
  surface = std::make_shared<Surface>(kWide, kH);
  dc = plat::detail::CreateSurfaceDc(surface, POINT{0, 0}, nullptr, nullptr, false);
  ASSERT_NE(dc, nullptr);
  const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
  auto draw = [&](int x, const std::wstring& s) {
    HBRUSH b = CreateSolidBrush(white);
    RECT all{0, 0, kWide, kH};
    FillRect(dc, &all, b);
    DeleteObject(b);
    TextOutW(dc, x, 2, s.c_str(), static_cast<int>(s.size()));
  };
  auto inked = [&](int col) { return surface->CountPixels({col, 0, col + 1, kH}, plat::detail::PixelFromColor(black)) > 0; };
  // The first and last ink columns of what is drawn; {-1, -1} for none.
  auto span = [&] {
    std::pair<int, int> out{-1, -1};
    for (int col = 0; col < kWide; ++col) {
      if (!inked(col)) continue;
      if (out.first < 0) out.first = col;
      out.second = col;
    }
    return out;
  };
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, black);
  for (LONG cell : {13, 14, 16, 20, 28}) {
    for (LONG weight : {FW_NORMAL, FW_BOLD}) {
      UseFont(cell, weight);
      const std::string at = std::to_string(cell) + (weight == FW_BOLD ? " bold" : " regular");
      for (const std::wstring text : {L"ic", L"il", L"rt", L"ll", L"Vertical", L"Vertical  G100", L"AV", L"TY", L"fj",
                                      L"r/", L"W%", L"\u00C6\u00D8"}) {
        // Each character alone at its pen: where its ink is.
        std::vector<std::pair<int, int>> ink;
        LONG pen = 4;
        for (wchar_t ch : text) {
          const LONG advance = Width(std::wstring(1, ch));
          draw(pen, std::wstring(1, ch));
          const auto one = span();
          if (one.first >= 0) {
            EXPECT_GE(one.first, pen) << at << " '" << char(ch) << "' inks left of its pen";
            EXPECT_LT(one.second, pen + advance) << at << " '" << char(ch) << "' inks past its advance";
            ink.push_back(one);
          }
          pen += advance;
        }
        // The whole text: a background column between every two neighbours.
        draw(4, text);
        EXPECT_EQ(span(), std::make_pair(ink.front().first, ink.back().second)) << at;
        for (size_t i = 0; i + 1 < ink.size(); ++i) {
          bool gap = false;
          for (int col = ink[i].second + 1; col < ink[i + 1].first; ++col) gap = gap || !inked(col);
          EXPECT_TRUE(gap) << at << ": characters " << i << " and " << i + 1 << " of \"" << std::string(text.begin(), text.end())
                           << "\" touch";
        }
      }
      // Blanks: the gap of "a  b" is one blank wider than that of "a b".
      const LONG blank = Width(L" ");
      EXPECT_GT(blank, 0) << at;
      EXPECT_EQ(Width(L"  "), 2 * blank) << at;
      auto gapOf = [&](const std::wstring& s) {
        draw(4, s);
        int lastA = -1, firstB = -1;
        for (int col = 0; col < kWide; ++col) {
          if (!inked(col)) continue;
          if (firstB < 0 && lastA >= 0 && !inked(col - 1)) firstB = col;
          if (firstB < 0) lastA = col;
        }
        return firstB - lastA;
      };
      EXPECT_EQ(gapOf(L"a  b") - gapOf(L"a b"), blank) << at;
    }
  }
}

// ---- DrawText --------------------------------------------------------------------------------
TEST_F(FontTest, DrawTextPlacesAndMeasuresLines) {
  plat::test::EnableDrawLog(true);
  const LONG cx = Width(L"Ln");
  struct Case {
    UINT format;
    LONG x, y;  // expected cell position in the rectangle {20, 4, 120, 34}
  } cases[] = {
      {DT_SINGLELINE | DT_LEFT | DT_TOP, 20, 4},
      {DT_SINGLELINE | DT_CENTER | DT_VCENTER, 20 + (100 - cx) / 2, 4 + (30 - 14) / 2},
      {DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, 120 - cx, 34 - 14},
  };
  for (const Case& c : cases) {
    plat::test::ClearDrawLog();
    RECT rc{20, 4, 120, 34};
    EXPECT_EQ(DrawTextW(dc, L"Ln", -1, &rc, c.format), 14);
    auto hit = plat::test::FindText(L"Ln");
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->x, c.x) << c.format;
    EXPECT_EQ(hit->y, c.y) << c.format;
  }

  // Line breaks, word breaks and DT_CALCRECT (which draws nothing).
  Clear(RGB(255, 255, 255));
  RECT calc{0, 0, 1000, 0};
  EXPECT_EQ(DrawTextW(dc, L"one\r\ntwo\nthree", -1, &calc, DT_CALCRECT), 3 * 14);
  EXPECT_EQ(calc.right, Width(L"three"));
  EXPECT_EQ(calc.bottom, 3 * 14);
  const LONG narrow = Width(L"alpha beta");
  RECT wrap{0, 0, narrow, 0};
  EXPECT_EQ(DrawTextA(dc, "alpha beta gamma", -1, &wrap, DT_CALCRECT | DT_WORDBREAK), 2 * 14);
  EXPECT_EQ(wrap.right, narrow);
  EXPECT_EQ(Count(RECT{0, 0, kW, kH}, RGB(0, 0, 0)), 0u);
  RECT empty{5, 5, 50, 50};
  EXPECT_EQ(DrawTextW(dc, L"", 0, &empty, DT_CALCRECT), 0);
  EXPECT_EQ(empty.bottom, 5);
}

TEST_F(FontTest, DrawTextClipsToItsRectangleAndHandlesPrefixes) {
  SetBkMode(dc, TRANSPARENT);
  RECT rc{10, 10, 30, 30};
  DrawTextW(dc, L"Line number", -1, &rc, DT_LEFT | DT_TOP);
  EXPECT_EQ(Count(RECT{30, 0, kW, kH}, RGB(0, 0, 0)), 0u);
  EXPECT_GT(Count(rc, RGB(0, 0, 0)), 0u);
  Clear(RGB(255, 255, 255));
  DrawTextW(dc, L"Line number", -1, &rc, DT_LEFT | DT_TOP | DT_NOCLIP);
  EXPECT_GT(Count(RECT{30, 0, kW, kH}, RGB(0, 0, 0)), 0u);

  // '&' underlines the next character and is not measured; "&&" is a '&'; DT_NOPREFIX keeps it.
  RECT calc{0, 0, 500, 0};
  DrawTextW(dc, L"&File", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(calc.right, Width(L"File"));
  calc = RECT{0, 0, 500, 0};
  DrawTextW(dc, L"A&&B", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(calc.right, Width(L"A&B"));
  calc = RECT{0, 0, 500, 0};
  DrawTextW(dc, L"&File", -1, &calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(calc.right, Width(L"&File"));
  Clear(RGB(255, 255, 255));
  RECT a{0, 0, 100, 20};
  DrawTextW(dc, L"&F", -1, &a, DT_SINGLELINE);
  const size_t underlined = Count(a, RGB(0, 0, 0));
  Clear(RGB(255, 255, 255));
  DrawTextW(dc, L"F", -1, &a, DT_SINGLELINE);
  EXPECT_EQ(underlined, Count(a, RGB(0, 0, 0)) + static_cast<size_t>(Width(L"F")));
}

}  // namespace
