// The built-in font's runtime side: instance lookup, size selection, metrics, CP1252.
#include "font.h"

#include <algorithm>
#include <array>

namespace plat::detail {
namespace {

constexpr int kCells[] = {13, 14, 16, 20, 28};
constexpr int kAsciiCount = 0x7F - 0x20;    // U+0020..U+007E
constexpr int kLatin1Count = 0x100 - 0xA0;  // U+00A0..U+00FF

int GlyphIndex(uint32_t cp) {
  if (cp >= 0x20 && cp <= 0x7E) return static_cast<int>(cp - 0x20);
  if (cp >= 0xA0 && cp <= 0xFF) return kAsciiCount + static_cast<int>(cp - 0xA0);
  for (int i = kAsciiCount + kLatin1Count; i < kFontGlyphCount; ++i) {
    if (kFontCodePoints[i] == cp) return i;
  }
  return -1;
}

FontFace MakeFace(const FontInstanceData& d) {
  FontFace f{&d, d.cell, d.ascent, d.descent, d.bold, 0, 0};
  int sum = 0;
  for (char c = 'a'; c <= 'z'; ++c) sum += d.glyphs[GlyphIndex(static_cast<unsigned char>(c))].advance;
  for (char c = 'A'; c <= 'Z'; ++c) sum += d.glyphs[GlyphIndex(static_cast<unsigned char>(c))].advance;
  f.aveCharWidth = (2 * sum + 52) / 104;  // the mean of 52 advances, rounded half up
  for (int i = 0; i < kFontGlyphCount; ++i) f.maxCharWidth = std::max<int>(f.maxCharWidth, d.glyphs[i].advance);
  return f;
}

const std::array<FontFace, kFontInstanceCount>& Faces() {
  static const std::array<FontFace, kFontInstanceCount> faces = [] {
    std::array<FontFace, kFontInstanceCount> a{};
    for (int i = 0; i < kFontInstanceCount; ++i) a[i] = MakeFace(kFontInstances[i]);
    return a;
  }();
  return faces;
}

}  // namespace

const GlyphData& FontFace::Glyph(uint32_t cp) const {
  int i = GlyphIndex(cp);
  if (i < 0) i = GlyphIndex('?');
  return data->glyphs[i];
}

const FontFace& FontInstance(int cell, bool bold) {
  for (const FontFace& f : Faces()) {
    if (f.cell == cell && f.bold == bold) return f;
  }
  return FontInstance(14, bold);
}

int SystemFontCell(Profile profile) { return profile == Profile::Desktop ? 16 : 14; }

int CellForHeight(LONG lfHeight, Profile profile) {
  if (lfHeight == 0) return SystemFontCell(profile);
  int64_t cell = lfHeight;
  if (cell < 0) cell = (12 * -cell + 5) / 10;  // round(1.2 * |h|), in 64 bits for LONG_MIN
  int chosen = kCells[0];
  for (int c : kCells) {
    if (c <= cell) chosen = c;
  }
  return chosen;
}

}  // namespace plat::detail
