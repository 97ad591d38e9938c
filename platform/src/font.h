// The built-in bitmap font: one proportional family, regular and bold, at five cell heights.
#pragma once

#include <windows.h>

#include <cstdint>

namespace plat::detail {

// ---- Generated glyph tables (font_data.cpp) --------------------------------------------------
struct GlyphData {
  uint8_t advance;
  int8_t left;     // first ink column, relative to the pen position
  uint8_t top;     // first ink row, counted from the cell top
  uint8_t width;   // ink box; 0 for a blank glyph
  uint8_t height;
  uint32_t offset;  // byte offset of the glyph's bits: width*height bits, row by row, MSB first
};

struct FontInstanceData {
  uint8_t cell;
  uint8_t ascent;
  uint8_t descent;
  bool bold;
  const GlyphData* glyphs;  // kFontGlyphCount entries, in the order of kFontCodePoints
  const uint8_t* bits;
};

constexpr int kFontGlyphCount = 218;  // U+0020..U+007E, U+00A0..U+00FF, the CP1252 extras
constexpr int kFontInstanceCount = 10;
extern const uint16_t kFontCodePoints[kFontGlyphCount];
extern const FontInstanceData kFontInstances[kFontInstanceCount];

// ---- Runtime view (font.cpp) -----------------------------------------------------------------
struct FontFace {
  const FontInstanceData* data;
  int cell;
  int ascent;
  int descent;
  bool bold;
  int aveCharWidth;  // rounded mean advance of 'a'..'z', 'A'..'Z'
  int maxCharWidth;
  // The glyph of a code point, or '?' for a character the font does not have.
  const GlyphData& Glyph(uint32_t cp) const;
  int Advance(uint32_t cp) const { return Glyph(cp).advance; }
};

// The instance of this cell height (13, 14, 16, 20 or 28) and weight.
const FontFace& FontInstance(int cell, bool bold);
// The cell height a LOGFONT height selects: positive = cell height (largest instance not above it,
// at least 13), negative = character height (cell round(1.2*|h|)), 0 = the profile's system font.
int CellForHeight(LONG lfHeight, Profile profile);
// The system font's cell height: 14 on the handheld, 16 on the desktop.
int SystemFontCell(Profile profile);
constexpr bool IsBoldWeight(LONG weight) { return weight >= 600; }

}  // namespace plat::detail
