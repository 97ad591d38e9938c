// Test-only views of the drawing layer: the live GDI-object counter and the draw log.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace plat::test {

// Pens, brushes, fonts, bitmaps and DCs made by the program and not yet freed (stock objects are
// not counted; an object deleted while still selected counts until it is freed).
size_t LiveGdiObjects();

enum class DrawOp { Text, FillRect, Rectangle, Ellipse, RoundRect, Line, Polyline, Pixel, BitBlt, FocusRect };

// One drawing call, in the logical coordinates of its DC (client coordinates for window DCs).
struct DrawEntry {
  DrawOp op = DrawOp::Text;
  HWND window = nullptr;  // the DC's window; NULL for memory DCs
  HDC dc = nullptr;
  // Text: the cell's top-left after alignment, rect = the cell box. Shapes, fills and blits:
  // rect = the call's rectangle. Lines and polylines: points.
  int x = 0;
  int y = 0;
  RECT rect{};
  std::vector<POINT> points;
  std::wstring text;
  int fontCell = 0;    // tmHeight of the DC's font
  int fontWeight = 0;  // FW_NORMAL or FW_BOLD as rendered
  COLORREF textColor = 0;
  COLORREF bkColor = 0;
  int bkMode = 0;
  COLORREF penColor = 0;
  int penWidth = 0;  // 0 for PS_NULL
  COLORREF brushColor = 0;
  bool nullBrush = false;
  RECT clip{};  // bounding box of the clip the call drew through
};

// The log records only while enabled; Reset clears and disables it.
void EnableDrawLog(bool on);
std::vector<DrawEntry> DrawLog();
// The most recent text entry whose text equals s.
std::optional<DrawEntry> FindText(const std::wstring& s);
void ClearDrawLog();

}  // namespace plat::test
