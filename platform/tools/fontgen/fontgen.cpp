// Renders the layer's built-in bitmap font from two outline fonts and writes the glyph tables as
// C++ source (platform/src/font_data.cpp). Run once; the output is checked in. See README.md.
//
//   fontgen REGULAR.ttf BOLD.ttf > font_data.cpp
//
// Each cell is rendered hinted and monochrome at the largest em size whose ascender and descender
// fit the cell's ascent and descent. The horizontal size (a horizontal scale of the outlines) of the
// regular 13, 14 and 16 px cells is the largest whose mean letter advance rounds to the dialog base
// unit of that cell; the larger cells keep the 16 px cell's scale, and each bold instance uses the
// horizontal size of its regular one. Every glyph's ink is then placed inside its advance with a
// blank column after it, so that the ink of two neighbours never touches.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Cell {
  int height;
  int ascent;
  int descent;
  int baseX;  // 0: no base unit, keep the scale of the previous cell
};
const Cell kCells[] = {{13, 10, 3, 6}, {14, 11, 3, 6}, {16, 13, 3, 7}, {20, 16, 4, 0}, {28, 22, 6, 0}};

// The code points of CP1252 0x80..0x9F that have a character (the rest of the range is unused).
const uint16_t kCp1252Extras[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
                                  0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                  0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};

std::vector<uint16_t> CodePoints() {
  std::vector<uint16_t> cps;
  for (uint16_t c = 0x20; c <= 0x7E; ++c) cps.push_back(c);
  for (uint16_t c = 0xA0; c <= 0xFF; ++c) cps.push_back(c);
  for (uint16_t c : kCp1252Extras) cps.push_back(c);
  return cps;
}

struct Glyph {
  int advance = 0;
  int left = 0;
  int top = 0;  // first ink row, counted from the cell top
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bits;  // width*height bits, rows in order, MSB first
};

void Die(const char* what, int err) {
  std::fprintf(stderr, "fontgen: %s failed (%d)\n", what, err);
  std::exit(1);
}

// Horizontal and vertical pixels per em; hinting works on whole pixel sizes.
void SetSize(FT_Face face, int xPpem, int em) {
  if (int e = FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(xPpem), static_cast<FT_UInt>(em))) {
    Die("FT_Set_Pixel_Sizes", e);
  }
}

long RoundDiv(long a, long b) { return (2 * a + b) / (2 * b); }

int EmForCell(FT_Face face, const Cell& cell) {
  int em = 1;
  while (RoundDiv(face->ascender * (em + 1), face->units_per_EM) <= cell.ascent &&
         RoundDiv(-face->descender * (em + 1), face->units_per_EM) <= cell.descent) {
    ++em;
  }
  return em;
}

const FT_Int32 kLoad = FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME;

Glyph Render(FT_Face face, uint32_t cp, const Cell& cell, int* clippedRows);

// Mean advance of 'a'..'z' and 'A'..'Z' as placed in the cell, rounded half up.
int AverageLetterWidth(FT_Face face, const Cell& cell) {
  int sum = 0;
  int clipped = 0;
  for (char c = 'a'; c <= 'z'; ++c) sum += Render(face, static_cast<unsigned char>(c), cell, &clipped).advance;
  for (char c = 'A'; c <= 'Z'; ++c) sum += Render(face, static_cast<unsigned char>(c), cell, &clipped).advance;
  return (2 * sum + 52) / 104;
}

int ChooseXPpem(FT_Face face, const Cell& cell, int em, int target) {
  for (int x = em; x >= em * 3 / 4; --x) {
    SetSize(face, x, em);
    if (AverageLetterWidth(face, cell) == target) return x;
  }
  std::fprintf(stderr, "fontgen: no horizontal size reaches a mean width of %d at em %d\n", target, em);
  std::exit(1);
}

// Places a glyph's ink at or after the pen and leaves at least one blank column before the next
// pen: the ink of two neighbours never touches, and it stays inside the advance that a text is
// measured with. The ink moves as little as it can; a glyph whose ink fills its advance gets one
// column more.
void KeepApart(Glyph& g) {
  if (g.width == 0) return;
  g.advance = std::max(g.advance, g.width + 1);
  g.left = std::clamp(g.left, 0, g.advance - g.width - 1);
}

Glyph Render(FT_Face face, uint32_t cp, const Cell& cell, int* clippedRows) {
  FT_UInt gi = FT_Get_Char_Index(face, cp);
  if (gi == 0) {
    std::fprintf(stderr, "fontgen: no glyph for U+%04X\n", cp);
    std::exit(1);
  }
  if (int e = FT_Load_Glyph(face, gi, kLoad)) Die("FT_Load_Glyph", e);
  if (int e = FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO)) Die("FT_Render_Glyph", e);
  const FT_GlyphSlot g = face->glyph;
  const FT_Bitmap& bm = g->bitmap;
  Glyph out;
  out.advance = static_cast<int>((g->advance.x + 32) >> 6);
  // Ink pixels in cell coordinates (row 0 = cell top), clipped to the cell.
  auto ink = [&](int r, int c) {
    const unsigned char* row = bm.buffer + static_cast<long>(r) * bm.pitch;
    return (row[c >> 3] >> (7 - (c & 7))) & 1;
  };
  int minR = 1 << 20, maxR = -1, minC = 1 << 20, maxC = -1;
  for (int r = 0; r < static_cast<int>(bm.rows); ++r) {
    int cellRow = cell.ascent - g->bitmap_top + r;
    for (int c = 0; c < static_cast<int>(bm.width); ++c) {
      if (!ink(r, c)) continue;
      if (cellRow < 0 || cellRow >= cell.height) {
        ++*clippedRows;
        continue;
      }
      minR = std::min(minR, r);
      maxR = std::max(maxR, r);
      minC = std::min(minC, c);
      maxC = std::max(maxC, c);
    }
  }
  if (maxR < 0) return out;  // blank glyph (space): the advance the font gives
  out.left = g->bitmap_left + minC;
  out.top = cell.ascent - g->bitmap_top + minR;
  out.width = maxC - minC + 1;
  out.height = maxR - minR + 1;
  out.bits.assign((out.width * out.height + 7) / 8, 0);
  int bit = 0;
  for (int r = minR; r <= maxR; ++r) {
    for (int c = minC; c <= maxC; ++c, ++bit) {
      if (ink(r, c)) out.bits[bit >> 3] |= static_cast<uint8_t>(0x80 >> (bit & 7));
    }
  }
  KeepApart(out);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const char* usage = "usage: fontgen REGULAR.ttf BOLD.ttf > font_data.cpp\n";
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (argc != 3) {
    std::fprintf(stderr, "fontgen: give the regular and the bold font file\n%s", usage);
    return 2;
  }
  FT_Library lib;
  if (int e = FT_Init_FreeType(&lib)) Die("FT_Init_FreeType", e);
  FT_Face faces[2];
  for (int i = 0; i < 2; ++i) {
    if (int e = FT_New_Face(lib, argv[1 + i], 0, &faces[i])) Die("FT_New_Face", e);
  }
  const std::vector<uint16_t> cps = CodePoints();

  std::printf("// Glyph tables of the built-in font, generated by platform/tools/fontgen (see its README).\n");
  std::printf("// Do not edit: a change of any advance is a deliberate, reviewed regeneration.\n");
  std::printf("// The outlines these bitmaps were rendered from are under the licence in\n");
  std::printf("// font_data_LICENSE.txt beside this file.\n");
  std::printf("#include \"font.h\"\n\nnamespace plat::detail {\n\n");
  std::printf("const uint16_t kFontCodePoints[kFontGlyphCount] = {");
  for (size_t i = 0; i < cps.size(); ++i) std::printf("%s0x%04X,", i % 12 ? " " : "\n    ", cps[i]);
  std::printf("\n};\n\nnamespace {\n");

  struct Made {
    int cell, ascent, descent, bold;
  };
  std::vector<Made> made;
  double scale = 1.0;
  int index = 0;
  for (const Cell& cell : kCells) {
    const int em = EmForCell(faces[0], cell);
    int xPpem = static_cast<int>(std::lround(em * scale));
    if (cell.baseX) {
      xPpem = ChooseXPpem(faces[0], cell, em, cell.baseX);
      scale = static_cast<double>(xPpem) / em;
    }
    for (int bold = 0; bold < 2; ++bold) {
      FT_Face face = faces[bold];
      SetSize(face, xPpem, em);
      int clipped = 0;
      std::vector<Glyph> glyphs;
      for (uint16_t cp : cps) glyphs.push_back(Render(face, cp, cell, &clipped));
      std::fprintf(stderr, "cell %d %s: em %d x %d, mean letter width %d, clipped ink pixels %d\n", cell.height,
                   bold ? "bold" : "regular", xPpem, em, AverageLetterWidth(face, cell), clipped);
      std::printf("\n// Cell %d px, %s: %d x %d pixels per em (horizontal scale %.3f).\n", cell.height,
                  bold ? "bold" : "regular", xPpem, em, static_cast<double>(xPpem) / em);
      std::printf("const uint8_t kBits%d[] = {", index);
      size_t n = 0;
      for (const Glyph& g : glyphs) {
        for (uint8_t b : g.bits) std::printf("%s%u,", n++ % 24 ? "" : "\n    ", b);
      }
      if (n == 0) std::printf("0");
      std::printf("\n};\nconst GlyphData kGlyphs%d[kFontGlyphCount] = {", index);
      uint32_t offset = 0;
      for (size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& g = glyphs[i];
        std::printf("%s{%d,%d,%d,%d,%d,%u},", i % 6 ? " " : "\n    ", g.advance, g.left, g.top, g.width,
                    g.height, offset);
        offset += static_cast<uint32_t>(g.bits.size());
      }
      std::printf("\n};\n");
      made.push_back({cell.height, cell.ascent, cell.descent, bold});
      ++index;
    }
  }
  std::printf("\n}  // namespace\n\nconst FontInstanceData kFontInstances[kFontInstanceCount] = {\n");
  for (size_t i = 0; i < made.size(); ++i) {
    std::printf("    {%d, %d, %d, %s, kGlyphs%zu, kBits%zu},\n", made[i].cell, made[i].ascent, made[i].descent,
                made[i].bold ? "true" : "false", i, i);
  }
  std::printf("};\n\n}  // namespace plat::detail\n");
  for (FT_Face f : faces) FT_Done_Face(f);
  FT_Done_FreeType(lib);
  return 0;
}
