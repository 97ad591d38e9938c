// Window classes, creation and destruction, the window tree and z-order, geometry, visibility,
// enabling, window text and the other window calls.
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "foreign_windows.h"
#include "surface.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

constexpr ATOM kFirstAtom = 0xC000;
constexpr DWORD kErrorCannotFindClass = 1407;
constexpr DWORD kErrorChildWithoutParent = 1406;
const HCURSOR kArrowCursor = reinterpret_cast<HCURSOR>(uintptr_t{0x0900});

// The tables live for the whole process (never destroyed): detached threads may still use them
// while the process exits.
std::vector<std::shared_ptr<WndClass>>& g_classes = *new std::vector<std::shared_ptr<WndClass>>;  // atom - kFirstAtom
std::unordered_map<uintptr_t, std::shared_ptr<Window>>& g_windows =
    *new std::unordered_map<uintptr_t, std::shared_ptr<Window>>;
std::vector<Window*>& g_top = *new std::vector<Window*>;  // topmost first
SIZE g_screen{0, 0};         // set by the harness; 0 x 0: the start-up configuration
std::vector<std::wstring>& g_failRegister = *new std::vector<std::wstring>;
std::vector<std::wstring>& g_failCreate = *new std::vector<std::wstring>;

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return s;
}

std::shared_ptr<WndClass> FindClassLocked(const wchar_t* name, uintptr_t atom) {
  if (!name) {
    if (atom >= kFirstAtom && atom - kFirstAtom < g_classes.size()) return g_classes[atom - kFirstAtom];
    return nullptr;
  }
  for (auto& c : g_classes) {
    if (c && EqualsIgnoringCase(c->name, name)) return c;
  }
  return nullptr;
}

bool Listed(const std::vector<std::wstring>& list, const std::wstring& name) {
  for (const auto& n : list) {
    if (EqualsIgnoringCase(n, name)) return true;
  }
  return false;
}

ATOM AddClassLocked(std::shared_ptr<WndClass> c) {
  // Slots of classes a reset dropped stay empty: an atom never names another class.
  g_classes.push_back(std::move(c));
  return static_cast<ATOM>(kFirstAtom + g_classes.size() - 1);
}

ATOM RegisterCore(const WndClass& proto) {
  if (!proto.system) EnsureControlClasses();  // a program's class never takes a control's name
  if (proto.name.empty() || !proto.proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard<std::mutex> lock(KernelMutex());
  if (Listed(g_failRegister, proto.name)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  if (FindClassLocked(proto.name.c_str(), 0)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  if (g_classes.size() >= 0x3FFF) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  return AddClassLocked(std::make_shared<WndClass>(proto));
}

void Unlink(Window* w) {
  auto& list = w->parent ? w->parent->children : g_top;
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
}

// Pre-order: the window, then its descendants, parents before children.
void CollectLocked(Window* w, std::vector<std::shared_ptr<Window>>* out) {
  out->push_back(FindWindowLocked(w->hwnd));
  for (Window* c : w->children) CollectLocked(c, out);
}

// A top-level window and the windows it owns, above it in their order, at the top.
void BringToTopLocked(Window* w) {
  if (w->parent) {
    auto& sib = w->parent->children;
    sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
    sib.insert(sib.begin(), w);
    return;
  }
  std::vector<Window*> moving{w};
  for (size_t i = 0; i < moving.size(); ++i) {
    for (Window* t : g_top) {
      if (t->owner == moving[i]->hwnd && std::find(moving.begin(), moving.end(), t) == moving.end()) {
        moving.push_back(t);
      }
    }
  }
  // Keep the owned windows' existing relative order, above their owner.
  std::vector<Window*> rest;
  std::vector<Window*> owned;
  for (Window* t : g_top) {
    if (t == w) continue;
    if (std::find(moving.begin(), moving.end(), t) != moving.end()) {
      owned.push_back(t);
    } else {
      rest.push_back(t);
    }
  }
  g_top = owned;
  g_top.push_back(w);
  g_top.insert(g_top.end(), rest.begin(), rest.end());
}

// Window coordinates stay within +-2^24, so nested offsets can never overflow.
LONG ClampLong(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, -(int64_t{1} << 24), int64_t{1} << 24)); }

struct CreateArgs {
  DWORD exStyle;
  std::wstring className;
  uintptr_t atom;
  std::wstring title;
  DWORD style;
  int x, y, cx, cy;
  HWND parent;
  HMENU menu;
  HINSTANCE inst;
  LPVOID param;
  const void* rawClass;  // the caller's pointers, for CREATESTRUCT
  const void* rawTitle;
  bool wideCall;
};

HWND CreateCore(const CreateArgs& a) {
  EnsureControlClasses();
  std::shared_ptr<Queue> q = CurrentQueue();
  auto w = std::make_shared<Window>();
  std::unique_lock<std::mutex> lk(KernelMutex());
  std::shared_ptr<WndClass> cls = FindClassLocked(a.atom ? nullptr : a.className.c_str(), a.atom);
  if (!cls) {
    lk.unlock();
    SetLastError(kErrorCannotFindClass);
    return nullptr;
  }
  if (Listed(g_failCreate, cls->name)) {
    lk.unlock();
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Window* parent = nullptr;
  HWND owner = nullptr;
  if (a.parent) {
    std::shared_ptr<Window> p = FindWindowLocked(a.parent);
    if (!p || p->destroying) {
      lk.unlock();
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if (a.style & WS_CHILD) {
      parent = p.get();
    } else {
      owner = TopLevelOf(p.get())->hwnd;
    }
  } else if (a.style & WS_CHILD) {
    lk.unlock();
    SetLastError(kErrorChildWithoutParent);
    return nullptr;
  }
  int x = a.x, y = a.y, cx = a.cx, cy = a.cy;
  if (!parent) {
    const bool handheld = CurrentProfile() == Profile::Handheld;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (cx == CW_USEDEFAULT) {
      const SIZE s = ScreenSize();
      cx = handheld ? s.cx : 640;
      cy = handheld ? s.cy : 480;
    }
  } else {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (cx == CW_USEDEFAULT) cx = cy = 0;
  }
  cx = std::max(cx, 0);
  cy = std::max(cy, 0);

  w->hwnd = reinterpret_cast<HWND>(NextHandleValue());
  w->cls = cls;
  w->proc = cls->proc;
  w->wide = cls->system ? a.wideCall : cls->wide;
  w->style = a.style & ~WS_VISIBLE;
  w->exStyle = a.exStyle;
  w->text = a.title;
  w->id = parent ? reinterpret_cast<UINT_PTR>(a.menu) : 0;
  w->parent = parent;
  w->owner = owner;
  w->rect = RECT{ClampLong(x), ClampLong(y), ClampLong(int64_t{x} + cx), ClampLong(int64_t{y} + cy)};
  w->queue = q;
  const RECT client = ClientRectLocked(w.get());
  w->surface = MakeClientSurface(client.right, client.bottom);
  g_windows.emplace(reinterpret_cast<uintptr_t>(w->hwnd), w);
  if (parent) {
    parent->children.push_back(w.get());  // bottom of its siblings: the first-created is topmost
  } else {
    g_top.insert(g_top.begin(), w.get());
  }
  const HWND h = w->hwnd;
  lk.unlock();
  // A program class's top-level window takes the class's single-instance lock.
  if (!parent && !cls->system) InstanceWindowCreated(h, cls->name);

  CREATESTRUCTW csw{};
  CREATESTRUCTA csa{};
  LPARAM cs;
  if (w->wide) {
    csw = CREATESTRUCTW{a.param, a.inst, a.menu, a.parent, cy, cx, y, x, static_cast<LONG>(a.style),
                        nullptr, nullptr, a.exStyle};
    csw.lpszName = a.wideCall ? static_cast<LPCWSTR>(a.rawTitle) : w->text.c_str();
    csw.lpszClass = a.wideCall ? static_cast<LPCWSTR>(a.rawClass) : cls->name.c_str();
    cs = reinterpret_cast<LPARAM>(&csw);
  } else {
    csa = CREATESTRUCTA{a.param, a.inst, a.menu, a.parent, cy, cx, y, x, static_cast<LONG>(a.style),
                        nullptr, nullptr, a.exStyle};
    cs = reinterpret_cast<LPARAM>(&csa);
  }
  std::string narrowTitle, narrowClass;
  if (!w->wide) {
    narrowTitle = NarrowText(a.title);
    narrowClass = NarrowText(cls->name);
    csa.lpszName = a.wideCall ? narrowTitle.c_str() : static_cast<LPCSTR>(a.rawTitle);
    csa.lpszClass = a.wideCall ? narrowClass.c_str() : static_cast<LPCSTR>(a.rawClass);
  }
  if (CallProc(w, WM_CREATE, 0, cs) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  auto gone = [&w] {
    std::lock_guard<std::mutex> lock(KernelMutex());
    return w->destroying || w->destroyed;
  };
  if (gone()) return nullptr;
  RECT rc;
  POINT origin;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    rc = ClientRectLocked(w.get());
    const RECT in = FrameInsets(w.get());
    origin = POINT{w->rect.left + in.left, w->rect.top + in.top};
  }
  CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
  if (gone()) return nullptr;
  CallProc(w, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  if (gone()) return nullptr;
  if (a.style & WS_VISIBLE) ShowWindow(h, SW_SHOW);
  if (gone()) return nullptr;
  return h;
}

// Destroys w and everything under it; `messages` false retires them silently (harness reset).
void DestroyCore(const std::shared_ptr<Window>& w, bool messages) {
  std::vector<std::shared_ptr<Window>> owned;
  std::vector<std::shared_ptr<Window>> all;
  bool wasVisible;
  RECT area;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (w->destroying || w->destroyed) return;
    CollectLocked(w.get(), &all);
    for (auto& x : all) x->destroying = true;
    for (Window* t : g_top) {
      if (t->owner == w->hwnd) owned.push_back(FindWindowLocked(t->hwnd));
    }
    wasVisible = VisibleLocked(w.get());
    area = WindowRectScreen(w.get());
  }
  // Owned windows go first, as on Windows.
  for (auto& o : owned) {
    if (o) DestroyCore(o, messages);
  }
  if (messages) {
    MoveFocusOff(w->hwnd, true);
    for (auto& x : all) CallProc(x, WM_DESTROY, 0, 0);
  }
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    // Windows created under w during WM_DESTROY go too.
    std::vector<std::shared_ptr<Window>> now;
    CollectLocked(w.get(), &now);
    for (auto& x : now) {
      if (std::find(all.begin(), all.end(), x) == all.end()) all.push_back(x);
    }
    Unlink(w.get());
    for (auto& x : all) {
      ForgetWindowLocked(x.get());
      x->update.clear();
      x->erase = false;
      x->destroyed = true;
      x->children.clear();
      g_windows.erase(reinterpret_cast<uintptr_t>(x->hwnd));
    }
    if (wasVisible) ExposeLocked(area);
    MarkScreenDirtyLocked();
    Kick();
  }
  for (auto& x : all) RetireWindowDcs(x->hwnd);
  if (!w->parent && !w->cls->system) InstanceWindowDestroyed(w->hwnd);
}

int Metric(int index) {
  const bool handheld = CurrentProfile() == Profile::Handheld;
  switch (index) {
    case SM_CXSCREEN: return ScreenSize().cx;
    case SM_CYSCREEN: return ScreenSize().cy;
    case SM_CYCAPTION: return handheld ? 20 : 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXFIXEDFRAME:
    case SM_CYFIXEDFRAME: return handheld ? 1 : 3;
    default: return 0;
  }
}

void MoveCore(HWND h, int x, int y, int cx, int cy, UINT flags, bool repaint, bool toTop, bool toBottom = false) {
  std::shared_ptr<Window> w = LookupWindow(h);
  if (!w) return;
  bool sized = false, moved = false;
  RECT client{};
  POINT origin{};
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (w->destroyed) return;
    const RECT oldScreen = WindowRectScreen(w.get());
    const bool wasVisible = VisibleLocked(w.get());
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) {
      const LONG dw = r.right - r.left, dh = r.bottom - r.top;
      r = RECT{ClampLong(x), ClampLong(y), ClampLong(int64_t{x} + dw), ClampLong(int64_t{y} + dh)};
    }
    if (!(flags & SWP_NOSIZE)) {
      r.right = ClampLong(int64_t{r.left} + std::max(cx, 0));
      r.bottom = ClampLong(int64_t{r.top} + std::max(cy, 0));
    }
    moved = r.left != w->rect.left || r.top != w->rect.top;
    sized = (r.right - r.left) != (w->rect.right - w->rect.left) || (r.bottom - r.top) != (w->rect.bottom - w->rect.top);
    w->rect = r;
    client = ClientRectLocked(w.get());
    const RECT in = FrameInsets(w.get());
    origin = POINT{r.left + in.left, r.top + in.top};
    if (sized) {
      ResizeClientSurface(*w->surface, client.right, client.bottom);
      std::vector<RECT> kept;
      for (const RECT& u : w->update) {
        RECT k = Intersect(u, client);
        if (!RectEmpty(k)) kept.push_back(k);
      }
      w->update = kept;
    }
    if (toTop && !(flags & SWP_NOZORDER)) BringToTopLocked(w.get());
    if (toBottom && !(flags & SWP_NOZORDER)) {
      // Below its siblings: it no longer covers any of them, and only the composition changes.
      auto& sib = w->parent ? w->parent->children : g_top;
      sib.erase(std::remove(sib.begin(), sib.end(), w.get()), sib.end());
      sib.push_back(w.get());
    }
    if (wasVisible && (moved || sized || toTop)) {
      if (repaint) InvalidateLocked(w.get(), nullptr, true, true);
      for (const RECT& part : Subtract({oldScreen}, WindowRectScreen(w.get()))) ExposeLocked(part);
    }
    MarkScreenDirtyLocked();
  }
  if (sized) CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  if (moved) CallProc(w, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
}

}  // namespace

// ---- Rectangles ----

std::vector<RECT> Subtract(const std::vector<RECT>& list, const RECT& cut) {
  std::vector<RECT> out;
  for (const RECT& r : list) {
    const RECT i = Intersect(r, cut);
    if (RectEmpty(i)) {
      if (!RectEmpty(r)) out.push_back(r);
      continue;
    }
    if (r.top < i.top) out.push_back(RECT{r.left, r.top, r.right, i.top});
    if (i.bottom < r.bottom) out.push_back(RECT{r.left, i.bottom, r.right, r.bottom});
    if (r.left < i.left) out.push_back(RECT{r.left, i.top, i.left, i.bottom});
    if (i.right < r.right) out.push_back(RECT{i.right, i.top, r.right, i.bottom});
  }
  return out;
}

// ---- Registry ----

std::shared_ptr<Window> FindWindowLocked(HWND h) {
  auto it = g_windows.find(reinterpret_cast<uintptr_t>(h));
  return it == g_windows.end() ? nullptr : it->second;
}

std::shared_ptr<Window> LookupWindow(HWND h) {
  std::shared_ptr<Window> w;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    w = FindWindowLocked(h);
  }
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

std::vector<Window*>& TopLevelsLocked() { return g_top; }

Window* TopLevelOf(Window* w) {
  while (w->parent) w = w->parent;
  return w;
}

bool IsAncestorOf(const Window* ancestor, const Window* w) {
  for (; w; w = w->parent) {
    if (w == ancestor) return true;
  }
  return false;
}

bool VisibleLocked(const Window* w) {
  for (; w; w = w->parent) {
    if (!w->visible) return false;
  }
  return true;
}

bool EnabledLocked(const Window* w) {
  for (; w; w = w->parent) {
    if (w->style & WS_DISABLED) return false;
  }
  return true;
}

bool ClipsChildren(const Window* w) {
  return CurrentProfile() == Profile::Handheld || (w->style & WS_CLIPCHILDREN) != 0;
}

RECT FrameInsets(const Window* w) {
  const bool handheld = CurrentProfile() == Profile::Handheld;
  if ((w->style & WS_CAPTION) == WS_CAPTION) {
    const LONG f = handheld ? 1 : 3;
    const LONG c = handheld ? 20 : 19;
    return RECT{f, f + c, f, f};
  }
  if (w->style & WS_DLGFRAME) {
    const LONG f = handheld ? 1 : 3;
    return RECT{f, f, f, f};
  }
  if (w->style & WS_BORDER) return RECT{1, 1, 1, 1};
  return RECT{0, 0, 0, 0};
}

RECT ClientRectLocked(const Window* w) {
  const RECT in = FrameInsets(w);
  const LONG cx = std::max<LONG>(w->rect.right - w->rect.left - in.left - in.right, 0);
  const LONG cy = std::max<LONG>(w->rect.bottom - w->rect.top - in.top - in.bottom, 0);
  return RECT{0, 0, cx, cy};
}

RECT WindowRectScreen(const Window* w) {
  if (!w->parent) return w->rect;
  const POINT o = ClientOriginScreen(w->parent);
  return Offset(w->rect, o.x, o.y);
}

POINT ClientOriginScreen(const Window* w) {
  const RECT r = WindowRectScreen(w);
  const RECT in = FrameInsets(w);
  return POINT{r.left + in.left, r.top + in.top};
}

namespace {

Window* HitChild(Window* w, POINT p) {
  const POINT o = ClientOriginScreen(w);
  const RECT client = Offset(ClientRectLocked(w), o.x, o.y);
  if (!Contains(client, p)) return w;
  for (Window* c : w->children) {
    if (c->visible && Contains(WindowRectScreen(c), p)) return HitChild(c, p);
  }
  return w;
}

}  // namespace

Window* HitTestLocked(POINT p) {
  const SIZE s = ScreenSize();
  if (!Contains(RECT{0, 0, s.cx, s.cy}, p)) return nullptr;
  for (Window* t : g_top) {
    if (t->visible && Contains(t->rect, p)) return HitChild(t, p);
  }
  return nullptr;
}

std::vector<RECT> VisibleClientPartsLocked(const Window* w) {
  if (!VisibleLocked(w)) return {};
  const SIZE s = ScreenSize();
  POINT o = ClientOriginScreen(w);
  RECT area = Intersect(Offset(ClientRectLocked(w), o.x, o.y), RECT{0, 0, s.cx, s.cy});
  for (const Window* a = w->parent; a; a = a->parent) {
    o = ClientOriginScreen(a);
    area = Intersect(area, Offset(ClientRectLocked(a), o.x, o.y));
  }
  if (RectEmpty(area)) return {};
  std::vector<RECT> parts{area};
  for (const Window* c : w->children) {
    if (c->visible) parts = Subtract(parts, WindowRectScreen(c));
  }
  for (const Window* a = w; a; a = a->parent) {
    const std::vector<Window*>& sib = a->parent ? a->parent->children : g_top;
    for (const Window* above : sib) {
      if (above == a) break;
      if (above->visible) parts = Subtract(parts, WindowRectScreen(above));
    }
  }
  return parts;
}

SIZE ScreenSize() {
  if (g_screen.cx > 0 && g_screen.cy > 0) return g_screen;
  const StartConfig& c = StartupConfig();
  return SIZE{c.screenCx, c.screenCy};
}

LRESULT CallProc(const std::shared_ptr<Window>& w, UINT msg, WPARAM wp, LPARAM lp) {
  if (!w) return 0;
  WNDPROC proc;
  bool wide;
  {
    std::unique_lock<std::mutex> lk(KernelMutex());
    if (w->destroyed) return 0;
    if (w->queue->threadId != CurrentThreadCtx()->id) {
      // A window procedure runs on its own thread: from elsewhere the message is sent there.
      auto item = std::make_shared<SentItem>();
      item->target = w;
      item->msg = msg;
      item->wParam = wp;
      item->lParam = lp;
      return SendAndWaitLocked(lk, w->queue.get(), item);
    }
    proc = w->proc;
    wide = w->wide;
  }
  if (proc) return proc(w->hwnd, msg, wp, lp);
  return wide ? DefWindowProcW(w->hwnd, msg, wp, lp) : DefWindowProcA(w->hwnd, msg, wp, lp);
}

ATOM RegisterSystemClass(const wchar_t* name, WNDPROC proc, HBRUSH background) {
  WndClass c;
  c.name = name ? name : L"";
  c.proc = proc;
  c.background = background;
  c.system = true;
  return RegisterCore(c);
}

void ResetWindows(Profile profile, int screenCx, int screenCy) {
  // The caller's own windows get their messages; others (a thread that did not end) go silently.
  std::vector<std::shared_ptr<Window>> mine, others;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    const DWORD me = CurrentThreadCtx()->id;
    for (Window* t : g_top) {
      auto w = FindWindowLocked(t->hwnd);
      (w->queue->threadId == me ? mine : others).push_back(w);
    }
  }
  for (auto& w : mine) DestroyCore(w, true);
  for (auto& w : others) DestroyCore(w, false);
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    for (auto& [v, w] : g_windows) w->destroyed = true;
    g_windows.clear();
    g_top.clear();
    for (auto& c : g_classes) {
      if (c && !c->system) c.reset();
    }
    g_failRegister.clear();
    g_failCreate.clear();
  }
  SetScreenSize(profile, screenCx, screenCy);
  ResetInput();
  ResetModal();
  ResetQueues();
  ResetCompose();
}

void SetScreenSize(Profile profile, int cx, int cy) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  if (cx > 0 && cy > 0) {
    g_screen = SIZE{std::min(cx, 8192), std::min(cy, 8192)};
  } else {
    g_screen = profile == Profile::Handheld ? SIZE{240, 320} : SIZE{800, 574};
  }
  MarkScreenDirtyLocked();
}

void FailRegisterClassNamed(const wchar_t* name) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  if (name) g_failRegister.emplace_back(name);
}

void FailCreateWindowOfClass(const wchar_t* name) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  if (name) g_failCreate.emplace_back(name);
}

// ---- Text helpers ----

std::wstring WidenText(const char* s) {
  if (!s) return std::wstring();
  const size_t n = std::strlen(s);
  std::wstring out(n, L'\0');
  for (size_t i = 0; i < n; ++i) out[i] = plat::Cp1252ToWide(static_cast<unsigned char>(s[i]));
  return out;
}

std::string NarrowText(const std::wstring& s) {
  std::string out(s.size(), '\0');
  for (size_t i = 0; i < s.size(); ++i) out[i] = plat::WideToCp1252(s[i]);
  return out;
}

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) { return Lower(a) == Lower(b); }

}  // namespace plat::detail

using namespace plat::detail;

namespace {

WndClass ClassFrom(UINT style, WNDPROC proc, HINSTANCE inst, HICON icon, HCURSOR cursor, HBRUSH bg) {
  WndClass c;
  c.style = style;
  c.proc = proc;
  c.instance = inst;
  c.icon = icon;
  c.cursor = cursor;
  c.background = bg;
  return c;
}

BOOL CopyText(const std::wstring& text, LPARAM buf, WPARAM size, bool wide, LRESULT* copied) {
  const size_t n = std::min<size_t>(size, 1u << 24);
  if (n == 0 || !buf) {
    *copied = 0;
    return TRUE;
  }
  const size_t count = std::min(text.size(), n - 1);
  if (wide) {
    auto* out = reinterpret_cast<wchar_t*>(buf);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count), out);
    out[count] = 0;
  } else {
    auto* out = reinterpret_cast<char*>(buf);
    for (size_t i = 0; i < count; ++i) out[i] = plat::WideToCp1252(text[i]);
    out[count] = 0;
  }
  *copied = static_cast<LRESULT>(count);
  return TRUE;
}

LRESULT DefProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool wide) {
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(h);
      return 0;
    case WM_ERASEBKGND:
      return EraseBackground(h, reinterpret_cast<HDC>(wp)) ? 1 : 0;
    case WM_PAINT: {
      // BeginPaint erases (when asked) and validates.
      PAINTSTRUCT ps;
      if (BeginPaint(h, &ps)) EndPaint(h, &ps);
      return 0;
    }
    case WM_SETTEXT: {
      std::wstring text = wide ? std::wstring(lp ? reinterpret_cast<const wchar_t*>(lp) : L"")
                               : WidenText(reinterpret_cast<const char*>(lp));
      std::lock_guard<std::mutex> lock(KernelMutex());
      std::shared_ptr<Window> w = FindWindowLocked(h);
      if (!w) return FALSE;
      w->text = std::move(text);
      MarkScreenDirtyLocked();  // captions show the text
      return TRUE;
    }
    case WM_GETTEXT: {
      std::wstring text;
      {
        std::lock_guard<std::mutex> lock(KernelMutex());
        std::shared_ptr<Window> w = FindWindowLocked(h);
        if (!w) return 0;
        text = w->text;
      }
      LRESULT copied = 0;
      CopyText(text, lp, wp, wide, &copied);
      return copied;
    }
    case WM_GETTEXTLENGTH: {
      std::lock_guard<std::mutex> lock(KernelMutex());
      std::shared_ptr<Window> w = FindWindowLocked(h);
      return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    default:
      return 0;
  }
}

}  // namespace

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WndClass c = ClassFrom(wc->style, wc->lpfnWndProc, wc->hInstance, wc->hIcon, wc->hCursor, wc->hbrBackground);
  c.name = wc->lpszClassName;
  c.wide = true;
  return RegisterCore(c);
}

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WndClass c = ClassFrom(wc->style, wc->lpfnWndProc, wc->hInstance, wc->hIcon, wc->hCursor, wc->hbrBackground);
  c.name = WidenText(wc->lpszClassName);
  c.wide = false;
  return RegisterCore(c);
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int cx, int cy,
                     HWND parent, HMENU menu, HINSTANCE inst, LPVOID param) {
  if (!className) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool atom = IS_INTRESOURCE(className);
  CreateArgs a{exStyle, atom ? std::wstring() : std::wstring(className),
               atom ? reinterpret_cast<uintptr_t>(className) : 0, title ? std::wstring(title) : std::wstring(),
               style, x, y, cx, cy, parent, menu, inst, param, className, title, true};
  return CreateCore(a);
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int cx, int cy,
                     HWND parent, HMENU menu, HINSTANCE inst, LPVOID param) {
  if (!className) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool atom = IS_INTRESOURCE(className);
  CreateArgs a{exStyle, atom ? std::wstring() : WidenText(className),
               atom ? reinterpret_cast<uintptr_t>(className) : 0, WidenText(title),
               style, x, y, cx, cy, parent, menu, inst, param, className, title, false};
  return CreateCore(a);
}

BOOL DestroyWindow(HWND h) {
  std::shared_ptr<Window> w = LookupWindow(h);
  if (!w) return FALSE;
  if (w->queue->threadId != CurrentThreadCtx()->id) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DestroyCore(w, true);
  return TRUE;
}

BOOL IsWindow(HWND h) {
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (FindWindowLocked(h)) return TRUE;
  }
  // A shell stand-in, or the proxy of another instance's window.
  return IsForeignWindow(h) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND h, int cmd) {
  if (BOOL previous; ShowForeignWindow(h, cmd, &previous)) return previous;  // a shell stand-in
  std::shared_ptr<Window> w = LookupWindow(h);
  if (!w) return FALSE;
  const bool show = cmd != SW_HIDE;
  bool topLevel;
  bool previous;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    previous = w->visible;
    if (w->visible == show || w->destroyed) return previous ? TRUE : FALSE;
    topLevel = w->parent == nullptr;
  }
  CallProc(w, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (w->destroyed || w->visible == show) return previous ? TRUE : FALSE;
    if (show) {
      w->visible = true;
      if (topLevel) BringToTopLocked(w.get());
      InvalidateAllLocked(w.get(), true);
    } else {
      const bool onScreen = VisibleLocked(w.get());
      const RECT area = WindowRectScreen(w.get());
      w->visible = false;
      ClearUpdateLocked(w.get(), true);
      if (onScreen) ExposeLocked(area);
    }
    MarkScreenDirtyLocked();
  }
  if (show && topLevel && cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE) {
    ActivateWindow(h);
  } else if (!show) {
    MoveFocusOff(h, false);
  }
  return previous ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND h) {
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    std::shared_ptr<Window> w = FindWindowLocked(h);
    if (w) return VisibleLocked(w.get()) ? TRUE : FALSE;
  }
  BOOL visible = FALSE;
  return ForeignWindowVisible(h, &visible) ? visible : FALSE;  // a shell stand-in
}

BOOL EnableWindow(HWND h, BOOL enable) {
  std::shared_ptr<Window> w = LookupWindow(h);
  if (!w) return FALSE;
  bool wasDisabled;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
    if (enable) {
      w->style &= ~WS_DISABLED;
    } else {
      w->style |= WS_DISABLED;
    }
    MarkScreenDirtyLocked();
  }
  if (!enable) MoveFocusOff(h, false);
  CallProc(w, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND h, int x, int y, int cx, int cy, BOOL repaint) {
  if (!IsWindow(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  MoveCore(h, x, y, cx, cy, SWP_NOZORDER, repaint != FALSE, false);
  return TRUE;
}

BOOL SetWindowPos(HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (!IsWindow(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  MoveCore(h, x, y, cx, cy, flags, true, insertAfter == HWND_TOP, insertAfter == HWND_BOTTOM);
  return TRUE;
}

namespace {

LONG Saturate(int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Runs f(window, out) under the lock; FALSE for a stale window or a NULL out.
template <class T, class F>
BOOL QueryWindow(HWND h, T* out, F f) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  if (!w || !out) {
    SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  f(*w, out);
  return TRUE;
}

}  // namespace

BOOL GetClientRect(HWND h, LPRECT rc) {
  return QueryWindow(h, rc, [](const Window& w, RECT* out) { *out = ClientRectLocked(&w); });
}

BOOL GetWindowRect(HWND h, LPRECT rc) {
  return QueryWindow(h, rc, [](const Window& w, RECT* out) { *out = WindowRectScreen(&w); });
}

BOOL ClientToScreen(HWND h, LPPOINT pt) {
  return QueryWindow(h, pt, [](const Window& w, POINT* p) {
    const POINT o = ClientOriginScreen(&w);
    p->x = Saturate(int64_t{p->x} + o.x);
    p->y = Saturate(int64_t{p->y} + o.y);
  });
}

BOOL ScreenToClient(HWND h, LPPOINT pt) {
  return QueryWindow(h, pt, [](const Window& w, POINT* p) {
    const POINT o = ClientOriginScreen(&w);
    p->x = Saturate(int64_t{p->x} - o.x);
    p->y = Saturate(int64_t{p->y} - o.y);
  });
}

HWND GetParent(HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return w->parent ? w->parent->hwnd : w->owner;
}

HWND GetDlgItem(HWND parent, int id) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(parent);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  for (Window* c : w->children) {
    if (c->id == static_cast<UINT_PTR>(static_cast<unsigned>(id))) return c->hwnd;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(w->id);
}

LONG GetWindowLongW(HWND h, int index) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWL_STYLE: return static_cast<LONG>(w->style | (w->visible ? WS_VISIBLE : 0));
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_ID: return static_cast<LONG>(w->id);
    case GWL_USERDATA: return w->userData;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
  }
}

LONG GetWindowLongA(HWND h, int index) { return GetWindowLongW(h, index); }

LONG SetWindowLongW(HWND h, int index, LONG value) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG old;
  switch (index) {
    case GWL_STYLE:
      // Visibility changes only through ShowWindow.
      old = static_cast<LONG>(w->style | (w->visible ? WS_VISIBLE : 0));
      w->style = static_cast<DWORD>(value) & ~WS_VISIBLE;
      break;
    case GWL_EXSTYLE:
      old = static_cast<LONG>(w->exStyle);
      w->exStyle = static_cast<DWORD>(value);
      break;
    case GWL_ID:
      old = static_cast<LONG>(w->id);
      if (w->parent) w->id = static_cast<UINT_PTR>(static_cast<ULONG>(value));
      break;
    case GWL_USERDATA:
      old = w->userData;
      w->userData = value;
      break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
  }
  MarkScreenDirtyLocked();
  return old;
}

LONG SetWindowLongA(HWND h, int index, LONG value) { return SetWindowLongW(h, index, value); }

namespace {

HWND FindCore(const std::wstring* cls, const std::wstring* title) {
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    for (Window* t : g_top) {
      if (cls && !EqualsIgnoringCase(t->cls->name, *cls)) continue;
      if (title && t->text != *title) continue;
      return t->hwnd;
    }
  }
  // Not one of the process's windows: the shell stand-ins, then another instance's window.
  return FindForeignWindow(cls, title);
}

}  // namespace

HWND FindWindowW(LPCWSTR className, LPCWSTR title) {
  std::wstring c = className && !IS_INTRESOURCE(className) ? std::wstring(className) : std::wstring();
  std::wstring t = title ? std::wstring(title) : std::wstring();
  return FindCore(className && !IS_INTRESOURCE(className) ? &c : nullptr, title ? &t : nullptr);
}

HWND FindWindowA(LPCSTR className, LPCSTR title) {
  std::wstring c = className && !IS_INTRESOURCE(className) ? WidenText(className) : std::wstring();
  std::wstring t = WidenText(title);
  return FindCore(className && !IS_INTRESOURCE(className) ? &c : nullptr, title ? &t : nullptr);
}

BOOL SetWindowTextW(HWND h, LPCWSTR text) {
  if (!IsWindow(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L"")) ? TRUE : FALSE;
}

BOOL SetWindowTextA(HWND h, LPCSTR text) {
  if (!IsWindow(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND h, LPWSTR buf, int n) {
  if (!buf || n <= 0) return 0;
  buf[0] = 0;
  if (!IsWindow(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const LRESULT r = SendMessageW(h, WM_GETTEXT, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(buf));
  buf[n - 1] = 0;  // whatever the handler did, the text ends within the buffer
  return static_cast<int>(std::clamp<LRESULT>(r, 0, n - 1));
}

int GetWindowTextA(HWND h, LPSTR buf, int n) {
  if (!buf || n <= 0) return 0;
  buf[0] = 0;
  if (!IsWindow(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const LRESULT r = SendMessageA(h, WM_GETTEXT, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(buf));
  buf[n - 1] = 0;
  return static_cast<int>(std::clamp<LRESULT>(r, 0, n - 1));
}

int GetWindowTextLengthW(HWND h) { return static_cast<int>(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0)); }
int GetWindowTextLengthA(HWND h) { return static_cast<int>(SendMessageA(h, WM_GETTEXTLENGTH, 0, 0)); }

int GetSystemMetrics(int index) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  return Metric(index);
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name) {
  if (name == MAKEINTRESOURCEW(32512)) return kArrowCursor;  // IDC_ARROW
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE inst, LPCSTR name) {
  return LoadCursorW(inst, IS_INTRESOURCE(name) ? reinterpret_cast<LPCWSTR>(name) : nullptr);
}

// LoadIconW/A answer from the resource registry (resources.cpp).

LRESULT DefWindowProcW(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return DefProc(h, msg, wp, lp, true); }
LRESULT DefWindowProcA(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return DefProc(h, msg, wp, lp, false); }
