// GDI objects and DCs: the object table, stock objects, creation, selection, deletion, window DCs,
// system colours and the module reset.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <unordered_map>

#include "core.h"
#include "gdi_internal.h"

namespace plat::detail {
namespace {

// Bitmaps larger than this are refused rather than risking an allocation failure.
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 26;
constexpr int kMaxBitmapSide = 1 << 15;
constexpr int kMaxPenWidth = 256;

std::mutex g_mutex;  // the table, and every object's selections / deletePending
std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> g_objects;
std::atomic<SurfaceChangedHook> g_hook{nullptr};

HGDIOBJ NewHandle() { return reinterpret_cast<HGDIOBJ>(NextHandleValue()); }

struct StockSet {
  std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> byHandle;
  std::shared_ptr<GdiObject> byIndex[DEFAULT_GUI_FONT + 1];
  std::shared_ptr<BitmapObject> defaultBitmap;  // the 1x1 bitmap of a new memory DC

  template <class T>
  std::shared_ptr<T> Add(std::shared_ptr<T> obj) {
    obj->handle = NewHandle();
    obj->stock = true;
    byHandle.emplace(reinterpret_cast<uintptr_t>(obj->handle), obj);
    return obj;
  }
  void Brush(int index, bool null, COLORREF colour) {
    auto b = std::make_shared<BrushObject>();
    b->null = null;
    b->colour = colour;
    byIndex[index] = Add(b);
  }
  void Pen(int index, int style, COLORREF colour) {
    auto p = std::make_shared<PenObject>();
    p->style = style;
    p->colour = colour;
    byIndex[index] = Add(p);
  }
};

const StockSet& Stock() {
  static const StockSet* stock = [] {
    auto* s = new StockSet;
    s->Brush(WHITE_BRUSH, false, RGB(255, 255, 255));
    s->Brush(LTGRAY_BRUSH, false, RGB(192, 192, 192));
    s->Brush(GRAY_BRUSH, false, RGB(128, 128, 128));
    s->Brush(DKGRAY_BRUSH, false, RGB(64, 64, 64));
    s->Brush(BLACK_BRUSH, false, RGB(0, 0, 0));
    s->Brush(NULL_BRUSH, true, 0);
    s->Pen(WHITE_PEN, PS_SOLID, RGB(255, 255, 255));
    s->Pen(BLACK_PEN, PS_SOLID, RGB(0, 0, 0));
    s->Pen(NULL_PEN, PS_NULL, 0);
    auto system = std::make_shared<FontObject>();
    system->system = true;
    s->byIndex[SYSTEM_FONT] = s->Add(system);
    s->byIndex[DEFAULT_GUI_FONT] = s->byIndex[SYSTEM_FONT];
    auto bm = std::make_shared<BitmapObject>();
    bm->surface = std::make_shared<Surface>(1, 1, kBlackPixel);
    s->defaultBitmap = s->Add(bm);
    return s;
  }();
  return *stock;
}

template <class T>
std::shared_ptr<T> StockAs(int index) {
  return std::static_pointer_cast<T>(Stock().byIndex[index]);
}

template <class T>
HGDIOBJ Insert(std::shared_ptr<T> obj) {
  obj->handle = NewHandle();
  HGDIOBJ h = obj->handle;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_objects.emplace(reinterpret_cast<uintptr_t>(h), std::move(obj));
  return h;
}

std::shared_ptr<GdiObject> FindLocked(HGDIOBJ h) {
  auto it = g_objects.find(reinterpret_cast<uintptr_t>(h));
  if (it != g_objects.end()) return it->second;
  const StockSet& stock = Stock();
  auto st = stock.byHandle.find(reinterpret_cast<uintptr_t>(h));
  return st != stock.byHandle.end() ? st->second : nullptr;
}

// Selection bookkeeping, with g_mutex held.
void Hold(const std::shared_ptr<GdiObject>& obj) {
  if (obj && !obj->stock) ++obj->selections;
}
void LetGo(const std::shared_ptr<GdiObject>& obj) {
  if (!obj || obj->stock) return;
  if (--obj->selections == 0 && obj->deletePending) g_objects.erase(reinterpret_cast<uintptr_t>(obj->handle));
}

// Frees a DC, with g_mutex held: its handle goes, and the objects it held are let go. The DC's own
// fields stay as they are, since a call still running on it may read them.
void FreeDcLocked(const std::shared_ptr<DcObject>& dc) {
  if (g_objects.erase(reinterpret_cast<uintptr_t>(dc->handle)) == 0) return;
  LetGo(dc->pen);
  LetGo(dc->brush);
  LetGo(dc->font);
  LetGo(dc->bitmap);
}

void SetDefaults(DcObject& dc) {
  dc.pen = StockAs<PenObject>(BLACK_PEN);
  dc.brush = StockAs<BrushObject>(WHITE_BRUSH);
  dc.font = StockAs<FontObject>(SYSTEM_FONT);
  if (dc.memory) dc.bitmap = Stock().defaultBitmap;
}

COLORREF Rgb(COLORREF c) { return c & 0x00FFFFFFu; }

void CopyFaceName(WCHAR* dst, const WCHAR* src) {
  size_t i = 0;
  for (; i + 1 < LF_FACESIZE && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
}

}  // namespace

const FontFace& FontObject::Face() const {
  return system ? FontInstance(SystemFontCell(CurrentProfile()), false) : FontInstance(cell, bold);
}

std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ h) {
  std::shared_ptr<GdiObject> obj;
  if (h) {
    std::lock_guard<std::mutex> lock(g_mutex);
    obj = FindLocked(h);
  }
  if (!obj) SetLastError(ERROR_INVALID_HANDLE);
  return obj;
}

std::shared_ptr<DcObject> FindDc(HDC h) {
  auto obj = FindGdiObject(h);
  if (obj && obj->kind == GdiKind::Dc) return std::static_pointer_cast<DcObject>(obj);
  if (obj) SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

void NotifySurfaceChanged(HWND owner) {
  if (SurfaceChangedHook hook = g_hook.load()) hook(owner);
}

void SetSurfaceChangedHook(SurfaceChangedHook hook) { g_hook.store(hook); }

// ---- Window DCs ------------------------------------------------------------------------------
HDC CreateSurfaceDc(std::shared_ptr<Surface> surface, POINT origin, const std::vector<RECT>* clip, HWND owner,
                    bool paintDc) {
  if (!surface) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto dc = std::make_shared<DcObject>();
  dc->surface = std::move(surface);
  dc->origin = origin;
  dc->wholeSurface = !clip;
  if (clip) {
    for (const RECT& r : *clip) dc->clip.Add(IRect{r.left, r.top, r.right, r.bottom});
  }
  dc->owner = owner;
  dc->paint = paintDc;
  SetDefaults(*dc);
  return static_cast<HDC>(Insert(dc));
}

bool ReleaseSurfaceDc(HDC hdc) {
  auto dc = FindDc(hdc);
  if (!dc || dc->memory) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  FreeDcLocked(dc);
  return true;
}

void RetireWindowDcs(HWND owner) {
  if (!owner) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  std::vector<std::shared_ptr<DcObject>> dcs;
  for (auto& [v, obj] : g_objects) {
    if (obj->kind != GdiKind::Dc) continue;
    auto dc = std::static_pointer_cast<DcObject>(obj);
    if (!dc->memory && dc->owner == owner) dcs.push_back(dc);
  }
  for (auto& dc : dcs) FreeDcLocked(dc);
}

bool SurfaceDcInfo(HDC hdc, HWND* owner, bool* paintDc) {
  auto dc = FindDc(hdc);
  if (!dc || dc->memory) return false;
  if (owner) *owner = dc->owner;
  if (paintDc) *paintDc = dc->paint;
  return true;
}

// ---- Bitmaps and brushes for the other modules -----------------------------------------------
namespace {

std::shared_ptr<BitmapObject> NewBitmap(int width, int height, uint32_t fill) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width > kMaxBitmapSide || height > kMaxBitmapSide ||
      static_cast<int64_t>(width) * height > kMaxBitmapPixels) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto bm = std::make_shared<BitmapObject>();
  bm->surface = std::make_shared<Surface>(width, height, fill);
  return bm;
}

}  // namespace

HBITMAP CreateBitmapFromPixels(int width, int height, const uint32_t* pixels, int bitsPixel) {
  if (width < 0 || height < 0 || (!pixels && width > 0 && height > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto bm = NewBitmap(width, height, kBlackPixel);
  if (!bm) return nullptr;
  bm->bitsPixel = bitsPixel == 24 ? 24 : 32;
  {
    std::lock_guard<std::mutex> lock(bm->surface->Mutex());
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (n) std::memcpy(bm->surface->PixelsLocked(), pixels, n * sizeof(uint32_t));
  }
  return static_cast<HBITMAP>(Insert(bm));
}

std::shared_ptr<Surface> BitmapSurface(HBITMAP bitmap) {
  auto obj = FindGdiObject(bitmap);
  if (!obj || obj->kind != GdiKind::Bitmap) return nullptr;
  return std::static_pointer_cast<BitmapObject>(obj)->surface;
}

bool BrushColor(HBRUSH brush, COLORREF* colour) {
  const auto v = reinterpret_cast<uintptr_t>(brush);
  if (v >= 1 && v <= 31) {  // (HBRUSH)(COLOR_xxx + 1)
    if (colour) *colour = GetSysColor(static_cast<int>(v - 1));
    return true;
  }
  auto obj = FindGdiObject(brush);
  if (!obj || obj->kind != GdiKind::Brush) return false;
  auto b = std::static_pointer_cast<BrushObject>(obj);
  if (b->null) return false;
  if (colour) *colour = b->colour;
  return true;
}

size_t LiveGdiObjectCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_objects.size();
}

void ResetGdi() {
  std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> gone;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    gone.swap(g_objects);
  }
  ResetDrawLog();
}

}  // namespace plat::detail

using namespace plat::detail;

// ---- Creating objects ------------------------------------------------------------------------
HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index > DEFAULT_GUI_FONT || !Stock().byIndex[index]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Stock().byIndex[index]->handle;
}

HPEN CreatePen(int style, int width, COLORREF colour) {
  // Dashed and inside-frame styles draw solid; anything else is refused.
  if (style < PS_SOLID || style > 6) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_shared<PenObject>();
  p->style = style == PS_NULL ? PS_NULL : PS_SOLID;
  p->width = std::clamp(width, 1, kMaxPenWidth);
  p->colour = Rgb(colour);
  return static_cast<HPEN>(Insert(p));
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  auto b = std::make_shared<BrushObject>();
  b->colour = Rgb(colour);
  return static_cast<HBRUSH>(Insert(b));
}

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto f = std::make_shared<FontObject>();
  f->logFont = *lf;
  CopyFaceName(f->logFont.lfFaceName, lf->lfFaceName);
  f->cell = CellForHeight(lf->lfHeight, CurrentProfile());
  f->bold = IsBoldWeight(lf->lfWeight);
  return static_cast<HFONT>(Insert(f));
}

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
  if (!lf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  LOGFONTW w{};
  std::memcpy(&w, lf, offsetof(LOGFONTA, lfFaceName));
  for (int i = 0; i < LF_FACESIZE && lf->lfFaceName[i]; ++i) {
    w.lfFaceName[i] = plat::Cp1252ToWide(static_cast<unsigned char>(lf->lfFaceName[i]));
  }
  w.lfFaceName[LF_FACESIZE - 1] = 0;
  return CreateFontIndirectW(&w);
}

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc && !FindDc(hdc)) return nullptr;
  auto dc = std::make_shared<DcObject>();
  dc->memory = true;
  SetDefaults(*dc);
  return static_cast<HDC>(Insert(dc));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  if (hdc && !FindDc(hdc)) return nullptr;
  auto bm = NewBitmap(cx, cy, kBlackPixel);
  if (!bm) return nullptr;
  return static_cast<HBITMAP>(Insert(bm));
}

// ---- Selecting and deleting ------------------------------------------------------------------
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  auto dc = FindDc(hdc);
  if (!dc) return nullptr;
  auto o = FindGdiObject(obj);
  if (!o || o->kind == GdiKind::Dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::lock_guard<std::mutex> dcLock(dc->mutex);
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!FindLocked(hdc) || !FindLocked(obj)) {  // freed meanwhile
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto swap = [&](auto& slot) -> HGDIOBJ {
    using Ptr = std::remove_reference_t<decltype(slot)>;
    Ptr next = std::static_pointer_cast<typename Ptr::element_type>(o);
    Ptr prev = slot;
    if (prev == next) return prev->handle;
    Hold(next);
    slot = next;
    HGDIOBJ h = prev->handle;
    LetGo(prev);
    return h;
  };
  switch (o->kind) {
    case GdiKind::Pen: return swap(dc->pen);
    case GdiKind::Brush: return swap(dc->brush);
    case GdiKind::Font: return swap(dc->font);
    case GdiKind::Bitmap:
      // Bitmaps go into memory DCs only, and into one DC at a time.
      if (!dc->memory || (o != dc->bitmap && !o->stock && o->selections > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      return swap(dc->bitmap);
    case GdiKind::Dc: break;
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ obj) {
  if (!obj) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::shared_ptr<GdiObject> gone;  // freed after the lock
  std::lock_guard<std::mutex> lock(g_mutex);
  auto o = FindLocked(obj);
  if (!o || o->kind == GdiKind::Dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (o->stock) return TRUE;
  if (o->selections > 0) {
    o->deletePending = true;
    return TRUE;
  }
  gone = o;
  g_objects.erase(reinterpret_cast<uintptr_t>(obj));
  return TRUE;
}

BOOL DeleteDC(HDC hdc) {
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  if (!dc->memory) {  // window DCs end with ReleaseDC / EndPaint
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  FreeDcLocked(dc);
  return TRUE;
}

namespace {

template <class Out>
int CopyOut(const Out& value, int size, LPVOID out) {
  if (!out) return static_cast<int>(sizeof(Out));
  if (size < static_cast<int>(sizeof(Out))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, &value, sizeof(Out));
  return static_cast<int>(sizeof(Out));
}

template <class LogFont, class Convert>
int GetObjectImpl(HANDLE h, int size, LPVOID out, Convert toLogFont) {
  auto o = FindGdiObject(h);
  if (!o || o->kind == GdiKind::Dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (o->kind) {
    case GdiKind::Pen: {
      auto p = std::static_pointer_cast<PenObject>(o);
      LOGPEN lp{static_cast<UINT>(p->style), POINT{p->width, 0}, p->colour};
      return CopyOut(lp, size, out);
    }
    case GdiKind::Brush: {
      auto b = std::static_pointer_cast<BrushObject>(o);
      LOGBRUSH lb{static_cast<UINT>(b->null ? BS_NULL : BS_SOLID), b->colour, 0};
      return CopyOut(lb, size, out);
    }
    case GdiKind::Bitmap: {
      auto bm = std::static_pointer_cast<BitmapObject>(o);
      const SIZE sz = bm->surface->Size();
      const LONG rowBytes = bm->bitsPixel == 24 ? (sz.cx * 3 + 1) & ~1 : sz.cx * 4;
      BITMAP b{0, sz.cx, sz.cy, rowBytes, 1, static_cast<WORD>(bm->bitsPixel), nullptr};
      return CopyOut(b, size, out);
    }
    case GdiKind::Font: {
      auto f = std::static_pointer_cast<FontObject>(o);
      LOGFONTW w = f->logFont;
      if (f->system) {
        w = LOGFONTW{};
        w.lfHeight = f->Face().cell;
        w.lfWeight = FW_NORMAL;
      }
      LogFont lf = toLogFont(w);
      return CopyOut(lf, size, out);
    }
    case GdiKind::Dc: break;
  }
  return 0;
}

}  // namespace

int GetObjectW(HANDLE obj, int size, LPVOID out) {
  return GetObjectImpl<LOGFONTW>(obj, size, out, [](const LOGFONTW& w) { return w; });
}

int GetObjectA(HANDLE obj, int size, LPVOID out) {
  return GetObjectImpl<LOGFONTA>(obj, size, out, [](const LOGFONTW& w) {
    LOGFONTA a{};
    std::memcpy(&a, &w, offsetof(LOGFONTW, lfFaceName));
    for (int i = 0; i < LF_FACESIZE && w.lfFaceName[i]; ++i) {
      a.lfFaceName[i] = plat::WideToCp1252(w.lfFaceName[i]);
    }
    a.lfFaceName[LF_FACESIZE - 1] = 0;
    return a;
  });
}

// ---- System colours --------------------------------------------------------------------------
DWORD GetSysColor(int index) {
  switch (index) {
    case COLOR_ACTIVECAPTION: return RGB(10, 36, 106);
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_CAPTIONTEXT: return RGB(255, 255, 255);
    case COLOR_HIGHLIGHT: return RGB(10, 36, 106);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(212, 208, 200);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(64, 64, 64);
    case COLOR_3DLIGHT: return RGB(223, 223, 223);
    default: return 0;
  }
}
