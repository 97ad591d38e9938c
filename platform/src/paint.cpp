// Update regions and the paint cycle: InvalidateRect from any thread, exposure, the paint order,
// BeginPaint/EndPaint, UpdateWindow (marshalled to the owner thread like a send), RedrawWindow,
// and the window DCs of GetDC.
#include "surface.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

constexpr size_t kMaxUpdateRects = 16;

RECT Bounds(const std::vector<RECT>& list) {
  RECT b{0, 0, 0, 0};
  bool first = true;
  for (const RECT& r : list) {
    if (first) {
      b = r;
      first = false;
    } else {
      b = RECT{std::min(b.left, r.left), std::min(b.top, r.top), std::max(b.right, r.right),
               std::max(b.bottom, r.bottom)};
    }
  }
  return b;
}

bool Overlap(const RECT& a, const RECT& b) { return !RectEmpty(Intersect(a, b)); }

// Adds r to the region, merging overlapping rectangles; past the limit the region is its bounds.
void AddUpdateLocked(Window* w, RECT r) {
  r = Intersect(r, ClientRectLocked(w));
  if (RectEmpty(r)) return;
  bool merged = true;
  while (merged) {
    merged = false;
    for (auto it = w->update.begin(); it != w->update.end(); ++it) {
      if (Overlap(*it, r)) {
        r = Bounds({*it, r});
        w->update.erase(it);
        merged = true;
        break;
      }
    }
  }
  w->update.push_back(r);
  if (w->update.size() > kMaxUpdateRects) w->update = {Bounds(w->update)};
  Kick();
}

// The client rectangle of child c in its parent's client coordinates.
RECT ChildClientInParent(const Window* c) {
  const RECT in = FrameInsets(c);
  const RECT client = ClientRectLocked(c);
  return Offset(client, c->rect.left + in.left, c->rect.top + in.top);
}

void InvalidateTreeLocked(Window* w, const RECT* rc, bool erase) {
  if (!w->visible) return;
  AddUpdateLocked(w, rc ? *rc : ClientRectLocked(w));
  if (erase) w->erase = true;
  for (Window* c : w->children) {
    const RECT inParent = ChildClientInParent(c);
    const RECT part = rc ? Intersect(*rc, inParent) : inParent;
    if (RectEmpty(part)) continue;
    const RECT local = Offset(part, -inParent.left, -inParent.top);
    InvalidateTreeLocked(c, &local, erase);
  }
}

Window* FindPaintIn(Window* w, Queue* q) {
  if (!w->visible) return nullptr;
  if (w->queue.get() == q && !w->update.empty()) return w;
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
    if (Window* p = FindPaintIn(*it, q)) return p;
  }
  return nullptr;
}

void ValidateLocked(Window* w, const RECT* rc) {
  ++w->validations;
  if (!rc) {
    w->update.clear();
    w->erase = false;
    return;
  }
  w->update = Subtract(w->update, *rc);
  if (w->update.empty()) w->erase = false;
}

void ExposeIn(Window* w, const RECT& screen) {
  if (!w->visible) return;
  const POINT o = ClientOriginScreen(w);
  bool any = false;
  for (const RECT& part : VisibleClientPartsLocked(w)) {
    const RECT hit = Intersect(part, screen);
    if (RectEmpty(hit)) continue;
    AddUpdateLocked(w, Offset(hit, -o.x, -o.y));
    any = true;
  }
  if (any) w->erase = true;
  for (Window* c : w->children) ExposeIn(c, screen);
}

std::shared_ptr<Surface> ScratchSurface() {
  static std::shared_ptr<Surface>* s = new std::shared_ptr<Surface>(std::make_shared<Surface>(1, 1));
  return *s;
}

}  // namespace

void InvalidateLocked(Window* w, const RECT* rc, bool erase, bool children) {
  if (!VisibleLocked(w)) return;  // showing it repaints it all
  if (rc && RectEmpty(*rc)) return;
  AddUpdateLocked(w, rc ? *rc : ClientRectLocked(w));
  if (erase) w->erase = true;
  if (!children || ClipsChildren(w)) return;
  // A parent that does not clip its children invalidates the part of each child it overlaps.
  for (Window* c : w->children) {
    if (!c->visible) continue;
    const RECT inParent = ChildClientInParent(c);
    const RECT part = rc ? Intersect(*rc, inParent) : inParent;
    if (RectEmpty(part)) continue;
    const RECT local = Offset(part, -inParent.left, -inParent.top);
    InvalidateLocked(c, &local, erase, true);
  }
}

void InvalidateAllLocked(Window* w, bool erase) {
  if (VisibleLocked(w)) InvalidateTreeLocked(w, nullptr, erase);
}

void ExposeLocked(const RECT& screen) {
  if (RectEmpty(screen)) return;
  for (Window* t : TopLevelsLocked()) ExposeIn(t, screen);
}

Window* FindPaintLocked(Queue* q) {
  const auto& top = TopLevelsLocked();
  for (auto it = top.rbegin(); it != top.rend(); ++it) {
    if (Window* p = FindPaintIn(*it, q)) return p;
  }
  return nullptr;
}

void ClearUpdateLocked(Window* w, bool descendants) {
  w->update.clear();
  w->erase = false;
  if (!descendants) return;
  for (Window* c : w->children) ClearUpdateLocked(c, true);
}

void PaintNow(const std::shared_ptr<Window>& w) {
  uint64_t before;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    before = w->validations;
  }
  CallProc(w, WM_PAINT, 0, 0);
  std::lock_guard<std::mutex> lock(KernelMutex());
  // A handler that did not validate is validated here, so there is no paint loop.
  if (w->validations == before) ValidateLocked(w.get(), nullptr);
}

bool EraseBackground(HWND h, HDC hdc) {
  HBRUSH brush;
  RECT client;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<Window> w = FindWindowLocked(h);
    if (!w) return false;
    brush = w->cls->background;
    client = ClientRectLocked(w.get());
  }
  if (!brush || !BrushColor(brush, nullptr)) return false;
  FillRect(hdc, &client, brush);  // the paint DC clips to the update region
  return true;
}

}  // namespace plat::detail

using namespace plat::detail;

BOOL InvalidateRect(HWND h, const RECT* rc, BOOL erase) {
  ParkPoint();
  BOOL ok = TRUE;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<Window> w = FindWindowLocked(h);
    if (w && !w->destroying) {
      InvalidateLocked(w.get(), rc, erase != FALSE, true);
    } else {
      ok = FALSE;
    }
  }
  if (!ok) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  ParkPoint();
  return ok;
}

BOOL ValidateRect(HWND h, const RECT* rc) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  ValidateLocked(w.get(), rc);
  return TRUE;
}

BOOL GetUpdateRect(HWND h, LPRECT rc, BOOL) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (rc) *rc = Bounds(w->update);
  return w->update.empty() ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND h) {
  ParkPoint();
  std::shared_ptr<Window> w = LookupWindow(h);
  if (!w) {
    ParkPoint();
    return FALSE;
  }
  std::unique_lock<std::mutex> lk(KernelMutex());
  if (VisibleLocked(w.get()) && !w->update.empty() && !w->destroyed) {
    if (w->queue->threadId == CurrentThreadCtx()->id) {
      lk.unlock();
      PaintNow(w);
    } else {
      // Marshalled like a send: the caller waits until the owner thread has painted.
      auto item = std::make_shared<SentItem>();
      item->work = [w]() -> LRESULT {
        bool pending;
        {
          std::lock_guard<std::mutex> lock(KernelMutex());
          pending = !w->destroyed && VisibleLocked(w.get()) && !w->update.empty();
        }
        if (pending) PaintNow(w);
        return 0;
      };
      SendAndWaitLocked(lk, w->queue.get(), item);
      lk.unlock();
    }
  } else {
    lk.unlock();
  }
  ParkPoint();
  return TRUE;
}

BOOL RedrawWindow(HWND h, const RECT* rc, HRGN, UINT flags) {
  std::shared_ptr<Window> w = LookupWindow(h);
  if (!w) return FALSE;
  std::vector<HWND> tree;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (flags & RDW_INVALIDATE) {
      if (flags & RDW_ALLCHILDREN) {
        if (VisibleLocked(w.get())) InvalidateTreeLocked(w.get(), rc, (flags & RDW_ERASE) != 0);
      } else {
        InvalidateLocked(w.get(), rc, (flags & RDW_ERASE) != 0, true);
      }
    }
    std::function<void(Window*)> collect = [&](Window* x) {
      tree.push_back(x->hwnd);
      if (flags & RDW_ALLCHILDREN) {
        for (auto it = x->children.rbegin(); it != x->children.rend(); ++it) collect(*it);
      }
    };
    collect(w.get());
  }
  if (flags & RDW_UPDATENOW) {
    for (HWND x : tree) UpdateWindow(x);
  }
  return TRUE;
}

HDC BeginPaint(HWND h, PAINTSTRUCT* ps) {
  std::shared_ptr<Window> w = LookupWindow(h);
  if (!w || !ps) {
    if (w) SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<RECT> region;
  bool erase;
  std::shared_ptr<Surface> surface;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    region = w->update;
    erase = w->erase && !region.empty();
    surface = w->surface;
    ValidateLocked(w.get(), nullptr);
  }
  *ps = PAINTSTRUCT{};
  HDC hdc = CreateSurfaceDc(surface, POINT{0, 0}, &region, h, true);
  if (!hdc) return nullptr;
  if (erase) ps->fErase = CallProc(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) == 0 ? TRUE : FALSE;
  ps->hdc = hdc;
  ps->rcPaint = Bounds(region);
  return hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  ReleaseSurfaceDc(ps->hdc);
  return TRUE;
}

HDC GetDC(HWND h) {
  ParkPoint();
  HDC hdc = nullptr;
  if (!h) {
    // The screen: measuring only; what is drawn there is not kept.
    hdc = CreateSurfaceDc(ScratchSurface(), POINT{0, 0}, nullptr, nullptr, false);
  } else if (std::shared_ptr<Window> w = LookupWindow(h)) {
    std::shared_ptr<Surface> surface;
    {
      std::lock_guard<std::mutex> lock(KernelMutex());
      if (!w->destroying) surface = w->surface;
    }
    if (surface) hdc = CreateSurfaceDc(surface, POINT{0, 0}, nullptr, h, false);
  }
  ParkPoint();
  return hdc;
}

int ReleaseDC(HWND, HDC hdc) { return ReleaseSurfaceDc(hdc) ? 1 : 0; }
