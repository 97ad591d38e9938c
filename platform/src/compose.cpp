// The screen, composed on demand from the window surfaces: black desktop, then every visible
// top-level window bottom first with its frame and caption, its client surface and its children,
// each clipped to its parent's client area. Also the screenshots.
#include <algorithm>
#include <atomic>

#include "surface.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

constexpr COLORREF kCaption = RGB(10, 36, 106);
constexpr COLORREF kCaptionText = RGB(255, 255, 255);
constexpr COLORREF kFace = RGB(212, 208, 200);

// One window as composition needs it, copied under the kernel lock.
struct Layer {
  std::shared_ptr<Surface> surface;
  RECT window;  // screen
  RECT client;  // screen
  RECT clip;    // screen: where this window may show (its parent's client, recursively)
  DWORD style;
  DWORD exStyle;
  bool active;
  std::wstring text;
};

struct ComposeState {
  std::mutex mutex;  // one composition at a time; taken before the kernel lock
  std::shared_ptr<Surface> screen;
  uint64_t layout = 1;  // bumped under the kernel lock by every geometry or state change
  uint64_t composedLayout = 0;
  std::vector<std::pair<uint64_t, uint64_t>> composedSurfaces;  // (id, version) at the last compose
};

ComposeState& S() {
  static ComposeState* s = new ComposeState;
  return *s;
}

std::atomic<bool> g_hookSet{false};

void CollectLayers(Window* w, const RECT& clip, HWND active, std::vector<Layer>* out) {
  if (!w->visible) return;
  Layer l;
  l.surface = w->surface;
  l.window = WindowRectScreen(w);
  const POINT o = ClientOriginScreen(w);
  l.client = Offset(ClientRectLocked(w), o.x, o.y);
  l.clip = clip;
  l.style = w->style;
  l.exStyle = w->exStyle;
  l.active = w->hwnd == active;
  l.text = w->text;
  out->push_back(l);
  const RECT inner = Intersect(clip, l.client);
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) CollectLayers(*it, inner, active, out);
}

void Fill(Surface& dst, const RECT& r, const RECT& clip, COLORREF c) {
  const RECT part = Intersect(r, clip);
  if (!RectEmpty(part)) FillSurface(dst, part, PixelFromColor(c));
}

void Outline(Surface& dst, const RECT& r, const RECT& clip, COLORREF c) {
  Fill(dst, RECT{r.left, r.top, r.right, r.top + 1}, clip, c);
  Fill(dst, RECT{r.left, r.bottom - 1, r.right, r.bottom}, clip, c);
  Fill(dst, RECT{r.left, r.top, r.left + 1, r.bottom}, clip, c);
  Fill(dst, RECT{r.right - 1, r.top, r.right, r.bottom}, clip, c);
}

// The frame, caption bar, caption text and caption box, offset by -origin into dst, inside limit.
void DrawFrame(const std::shared_ptr<Surface>& dst, const Layer& l, POINT origin, const RECT& limit) {
  const RECT win = Offset(l.window, -origin.x, -origin.y);
  const RECT clip = Intersect(Offset(l.clip, -origin.x, -origin.y), limit);
  const bool handheld = CurrentProfile() == Profile::Handheld;
  const bool caption = (l.style & WS_CAPTION) == WS_CAPTION;
  if (!caption && !(l.style & (WS_BORDER | WS_DLGFRAME))) return;
  if (!caption && !(l.style & WS_DLGFRAME)) {
    Outline(*dst, win, clip, RGB(0, 0, 0));
    return;
  }
  const LONG f = handheld ? 1 : 3;
  if (handheld) {
    Outline(*dst, win, clip, RGB(0, 0, 0));
  } else {
    Fill(*dst, win, clip, kFace);
    Outline(*dst, win, clip, RGB(64, 64, 64));
  }
  if (!caption) return;
  const LONG ch = handheld ? 20 : 19;
  const RECT bar{win.left + f, win.top + f, win.right - f, win.top + f + ch};
  Fill(*dst, bar, clip, l.active || handheld ? kCaption : RGB(128, 128, 128));
  const RECT barClip = Intersect(bar, clip);
  if (RectEmpty(barClip)) return;
  std::vector<RECT> dcClip{barClip};
  HDC hdc = CreateSurfaceDc(dst, POINT{0, 0}, &dcClip, nullptr, false);
  if (!hdc) return;
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, kCaptionText);
  TEXTMETRICW tm{};
  GetTextMetricsW(hdc, &tm);
  const int ty = static_cast<int>(bar.top + (ch - tm.tmHeight) / 2);
  TextOutW(hdc, static_cast<int>(bar.left + 3), ty, l.text.c_str(), static_cast<int>(l.text.size()));
  const bool okBox = handheld && (l.exStyle & WS_EX_CAPTIONOKBTN);
  const bool closeBox = !handheld && (l.style & WS_SYSMENU);
  if (okBox || closeBox) {
    const RECT box = Offset(CaptionBoxRectScreen(l.window, l.style), -origin.x, -origin.y);
    const RECT inner{box.left + 2, box.top + 2, box.right - 2, box.bottom - 2};
    Fill(*dst, inner, clip, kFace);
    SetTextColor(hdc, RGB(0, 0, 0));
    const wchar_t* label = okBox ? L"OK" : L"x";
    SIZE sz{};
    GetTextExtentPoint32W(hdc, label, okBox ? 2 : 1, &sz);
    TextOutW(hdc, static_cast<int>(inner.left + (inner.right - inner.left - sz.cx) / 2),
             static_cast<int>(inner.top + (inner.bottom - inner.top - sz.cy) / 2), label, okBox ? 2 : 1);
  }
  ReleaseSurfaceDc(hdc);
}

// Where a layer's client surface shows, in dst (offset by -origin).
RECT ShownClient(const Layer& l, POINT origin) {
  return Intersect(Offset(l.clip, -origin.x, -origin.y), Offset(l.client, -origin.x, -origin.y));
}

// Composes the layers into dst, only inside limit (dst coordinates): what a whole composition
// leaves there.
void ComposeLayers(const std::shared_ptr<Surface>& dst, const std::vector<Layer>& layers, POINT origin,
                   const RECT& limit) {
  FillSurface(*dst, limit, kBlackPixel);
  for (const Layer& l : layers) {
    DrawFrame(dst, l, origin, limit);
    const RECT client = Offset(l.client, -origin.x, -origin.y);
    const RECT clip = Intersect(ShownClient(l, origin), limit);
    if (RectEmpty(clip)) continue;
    const SIZE s = l.surface->Size();
    CopySurface(*dst, POINT{client.left, client.top}, *l.surface, RECT{0, 0, s.cx, s.cy}, clip);
  }
}

void OnSurfaceChanged(HWND) {
  // Drawing from a thread without a message queue (a worker) wakes the UI thread, so that a
  // display backend can present; the screen itself is composed on demand.
  if (CurrentQueueIfAny()) return;
  std::lock_guard<std::mutex> lock(KernelMutex());
  Kick();
}

}  // namespace

RECT CaptionBoxRectScreen(const RECT& window, DWORD style) {
  const bool handheld = CurrentProfile() == Profile::Handheld;
  const LONG f = handheld ? 1 : 3;
  const LONG ch = handheld ? 20 : 19;
  (void)style;
  const LONG w = handheld ? 2 * ch : ch;  // "OK" needs the wider box
  return RECT{window.right - f - w, window.top + f, window.right - f, window.top + f + ch};
}

// A client surface holds at most this many pixels per side. Windows may be larger (a template's
// size comes from data), but pixels beyond any screen are never shown, and an uncapped surface of
// a huge window would exhaust memory; drawing past the cap is clipped away.
constexpr int kMaxSurfaceSide = 4096;

std::shared_ptr<Surface> MakeClientSurface(int cx, int cy) {
  if (!g_hookSet.exchange(true)) SetSurfaceChangedHook(&OnSurfaceChanged);
  return std::make_shared<Surface>(std::min(cx, kMaxSurfaceSide), std::min(cy, kMaxSurfaceSide));
}

void ResizeClientSurface(Surface& s, int cx, int cy) {
  s.Resize(std::min(cx, kMaxSurfaceSide), std::min(cy, kMaxSurfaceSide));
}

void MarkScreenDirtyLocked() { ++S().layout; }

std::shared_ptr<Surface> ComposeScreen() {
  ComposeState& st = S();
  std::lock_guard<std::mutex> compose(st.mutex);
  std::vector<Layer> layers;
  uint64_t layout;
  SIZE size;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    size = ScreenSize();
    layout = st.layout;
    const RECT screen{0, 0, size.cx, size.cy};
    const HWND active = ActiveLocked();
    const auto& top = TopLevelsLocked();
    for (auto it = top.rbegin(); it != top.rend(); ++it) CollectLayers(*it, screen, active, &layers);
  }
  std::vector<std::pair<uint64_t, uint64_t>> versions;
  versions.reserve(layers.size());
  for (const Layer& l : layers) versions.emplace_back(l.surface->Id(), l.surface->Version());
  const bool sameSize = st.screen && st.screen->Size().cx == size.cx && st.screen->Size().cy == size.cy;
  if (sameSize && layout == st.composedLayout && versions == st.composedSurfaces) return st.screen;
  const RECT screen{0, 0, size.cx, size.cy};
  bool sameLayers = sameSize && layout == st.composedLayout && versions.size() == st.composedSurfaces.size();
  for (size_t i = 0; sameLayers && i < versions.size(); ++i) sameLayers = versions[i].first == st.composedSurfaces[i].first;
  if (sameLayers) {
    // Only drawing changed: compose again where the changed surfaces show.
    for (size_t i = 0; i < layers.size(); ++i) {
      if (versions[i].second == st.composedSurfaces[i].second) continue;
      const RECT part = Intersect(ShownClient(layers[i], POINT{0, 0}), screen);
      if (!RectEmpty(part)) ComposeLayers(st.screen, layers, POINT{0, 0}, part);
    }
  } else {
    if (!sameSize) st.screen = std::make_shared<Surface>(size.cx, size.cy, kBlackPixel);
    ComposeLayers(st.screen, layers, POINT{0, 0}, screen);
  }
  st.composedLayout = layout;
  st.composedSurfaces = std::move(versions);
  return st.screen;
}

std::shared_ptr<Surface> ComposeWindow(HWND h, bool withFrame) {
  std::vector<Layer> layers;
  RECT area;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<Window> w = FindWindowLocked(h);
    if (!w) return nullptr;
    area = WindowRectScreen(w.get());
    if (!withFrame) {
      const POINT o = ClientOriginScreen(w.get());
      area = Offset(ClientRectLocked(w.get()), o.x, o.y);
    }
    // The window as if it were shown on its own, whatever covers it.
    const bool visible = w->visible;
    w->visible = true;
    CollectLayers(w.get(), area, ActiveLocked(), &layers);
    w->visible = visible;
  }
  auto dst = std::make_shared<Surface>(area.right - area.left, area.bottom - area.top, kBlackPixel);
  ComposeLayers(dst, layers, POINT{area.left, area.top}, RECT{0, 0, area.right - area.left, area.bottom - area.top});
  return dst;
}

void ResetCompose() {
  ComposeState& st = S();
  std::lock_guard<std::mutex> compose(st.mutex);
  st.screen.reset();
  st.composedSurfaces.clear();
  st.composedLayout = 0;
}

}  // namespace plat::detail

namespace plat {

bool SaveScreenPng(const char* path) {
  if (!path) return false;
  return detail::SaveSurfacePng(*detail::ComposeScreen(), path);
}

bool SaveWindowPng(HWND h, const char* path, bool withFrame) {
  if (!path) return false;
  std::shared_ptr<detail::Surface> s = detail::ComposeWindow(h, withFrame);
  if (!s) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  return detail::SaveSurfacePng(*s, path);
}

}  // namespace plat
