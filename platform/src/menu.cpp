// Menus: handles built from the constant trees of the resource table, and popup menus tracked by
// the modal engine with their keys, clicks and drawing. The choice is posted after the menu has
// closed; a cancel posts nothing.
#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "boxes_internal.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

constexpr wchar_t kMenuClass[] = L"PlatPopupMenu";
constexpr DWORD kMenuStyle = WS_POPUP | WS_BORDER;
constexpr int kMaxDepth = 8;
constexpr int kPadLeft = 8;
constexpr int kPadRight = 16;
constexpr int kSeparatorH = 8;

struct Item {
  std::wstring text;
  UINT id = 0;
  UINT flags = 0;
  HMENU sub = nullptr;
};

struct Menu {
  HMENU parent = nullptr;
  std::vector<Item> items;
};

struct Row {
  Item item;
  RECT rect;  // client coordinates
};

struct Tracker {
  HWND hwnd = nullptr;
  DWORD thread = 0;
  std::vector<Row> rows;
  int highlight = -1;
  bool done = false;
  UINT chosen = 0;
};

std::mutex g_mutex;  // guards the menus, the trackers and their done/chosen
std::unordered_map<uintptr_t, std::shared_ptr<Menu>>& g_menus = *new std::unordered_map<uintptr_t, std::shared_ptr<Menu>>;
std::vector<std::shared_ptr<Tracker>>& g_tracking = *new std::vector<std::shared_ptr<Tracker>>;

uintptr_t Key(HMENU h) { return reinterpret_cast<uintptr_t>(h); }

std::shared_ptr<Menu> FindMenuLocked(HMENU h) {
  auto it = g_menus.find(Key(h));
  return it == g_menus.end() ? nullptr : it->second;
}

HMENU BuildLocked(const MenuItemT* items, unsigned count, HMENU parent, int depth) {
  auto m = std::make_shared<Menu>();
  m->parent = parent;
  const HMENU h = reinterpret_cast<HMENU>(NextHandleValue());
  g_menus.emplace(Key(h), m);
  if (!items) count = 0;
  for (unsigned i = 0; i < count; ++i) {
    const MenuItemT& t = items[i];
    Item it;
    if (t.flags & MF_SEPARATOR) {
      it.flags = MF_SEPARATOR;
    } else {
      it.flags = t.flags;
      it.id = t.id;
      it.text = t.text ? t.text : L"";
      if ((t.flags & MF_POPUP) && depth < kMaxDepth) it.sub = BuildLocked(t.items, t.count, h, depth + 1);
    }
    m->items.push_back(std::move(it));
  }
  return h;
}

void DestroyLocked(HMENU h) {
  std::shared_ptr<Menu> m = FindMenuLocked(h);
  if (!m) return;
  g_menus.erase(Key(h));
  for (const Item& it : m->items) {
    std::shared_ptr<Menu> sub = FindMenuLocked(it.sub);
    if (sub && sub->parent == h) DestroyLocked(it.sub);
  }
}

// ---- Tracking ----------------------------------------------------------------------------------

std::shared_ptr<Tracker> FindTracker(HWND h) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto& t : g_tracking) {
    if (t->hwnd == h) return t;
  }
  return nullptr;
}

bool Choosable(const Item& it) { return !(it.flags & (MF_SEPARATOR | MF_POPUP | MF_GRAYED | MF_DISABLED)); }

void Finish(Tracker& t, UINT id) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (t.done) return;
  t.done = true;
  t.chosen = id;
}

bool Done(Tracker& t) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return t.done;
}

void SetHighlight(Tracker& t, int row) {
  if (row == t.highlight) return;
  t.highlight = row;
  InvalidateRect(t.hwnd, nullptr, TRUE);
}

// Up and Down move the highlight, wrapping and skipping separators.
void MoveHighlight(Tracker& t, int step) {
  const int n = static_cast<int>(t.rows.size());
  int at = t.highlight < 0 ? (step > 0 ? -1 : n) : t.highlight;
  for (int i = 0; i < n; ++i) {
    at = ((at + step) % n + n) % n;
    if (!(t.rows[static_cast<size_t>(at)].item.flags & MF_SEPARATOR)) {
      SetHighlight(t, at);
      return;
    }
  }
}

int RowAt(const Tracker& t, LPARAM lp) {
  const POINT p{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
  for (size_t i = 0; i < t.rows.size(); ++i) {
    if (Contains(t.rows[i].rect, p)) return static_cast<int>(i);
  }
  return -1;
}

void OnKey(Tracker& t, WPARAM vk) {
  switch (vk) {
    case VK_UP: MoveHighlight(t, -1); return;
    case VK_DOWN: MoveHighlight(t, 1); return;
    case VK_ESCAPE: Finish(t, 0); return;
    case VK_RETURN:
      if (t.highlight >= 0 && Choosable(t.rows[static_cast<size_t>(t.highlight)].item)) {
        Finish(t, t.rows[static_cast<size_t>(t.highlight)].item.id);
      }
      return;
    default:
      for (const Row& r : t.rows) {
        if (Choosable(r.item) && vk == static_cast<WPARAM>(MnemonicOf(r.item.text.c_str()))) {
          Finish(t, r.item.id);
          return;
        }
      }
  }
}

void Paint(HWND h, const Tracker& t) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  if (!dc) return;
  SetBkMode(dc, TRANSPARENT);
  for (size_t i = 0; i < t.rows.size(); ++i) {
    const Row& r = t.rows[i];
    if (r.item.flags & MF_SEPARATOR) {
      const LONG mid = (r.rect.top + r.rect.bottom) / 2;
      FillSolid(dc, RECT{r.rect.left + 2, mid, r.rect.right - 2, mid + 1}, GetSysColor(COLOR_BTNSHADOW));
      continue;
    }
    const bool lit = static_cast<int>(i) == t.highlight;
    if (lit) FillSolid(dc, r.rect, GetSysColor(COLOR_HIGHLIGHT));
    const bool grey = (r.item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : lit ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT tr{r.rect.left + kPadLeft, r.rect.top, r.rect.right, r.rect.bottom};
    DrawTextW(dc, r.item.text.c_str(), static_cast<int>(r.item.text.size()), &tr, DT_SINGLELINE | DT_VCENTER);
  }
  EndPaint(h, &ps);
}

LRESULT CALLBACK MenuProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    static_cast<Tracker*>(cs->lpCreateParams)->hwnd = h;
    return 0;
  }
  std::shared_ptr<Tracker> t = FindTracker(h);
  if (!t) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      OnKey(*t, wp);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE: {
      const int row = RowAt(*t, lp);
      SetHighlight(*t, row >= 0 && !(t->rows[static_cast<size_t>(row)].item.flags & MF_SEPARATOR) ? row : -1);
      return 0;
    }
    case WM_LBUTTONUP: {
      const int row = RowAt(*t, lp);
      if (row >= 0 && Choosable(t->rows[static_cast<size_t>(row)].item)) {
        Finish(*t, t->rows[static_cast<size_t>(row)].item.id);
      }
      return 0;
    }
    case WM_CLOSE:
    case WM_DESTROY:
      Finish(*t, 0);
      return 0;
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(h, &rc);
      FillSolid(reinterpret_cast<HDC>(wp), rc, GetSysColor(COLOR_WINDOW));
      return 1;
    }
    case WM_PAINT:
      Paint(h, *t);
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

bool IsInput(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_MOUSEMOVE || msg == WM_KEYDOWN ||
         msg == WM_KEYUP || msg == WM_CHAR || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP || msg == WM_SYSCHAR ||
         msg == WM_DEADCHAR;
}

// Input outside the menu is consumed; a button press there cancels the menu.
bool Filter(Tracker& t, const MSG& m) {
  if (!IsInput(m.message) || m.hwnd == t.hwnd) return false;
  if (m.message == WM_LBUTTONDOWN) Finish(t, 0);
  return true;
}

// The rows' rectangles; returns the client size.
SIZE LayoutRows(Tracker& t) {
  HDC dc = GetDC(nullptr);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int itemH = tm.tmHeight + 4;
  int y = 0;
  int textW = 0;
  for (Row& r : t.rows) {
    const int h = (r.item.flags & MF_SEPARATOR) ? kSeparatorH : itemH;
    if (!(r.item.flags & MF_SEPARATOR)) {
      RECT m{0, 0, 0, 0};
      DrawTextW(dc, r.item.text.c_str(), static_cast<int>(r.item.text.size()), &m, DT_CALCRECT | DT_SINGLELINE);
      textW = std::max<int>(textW, m.right);
    }
    r.rect = RECT{0, y, 0, y + h};
    y += h;
  }
  ReleaseDC(nullptr, dc);
  const int w = kPadLeft + textW + kPadRight;
  for (Row& r : t.rows) r.rect.right = w;
  return SIZE{w, y};
}

void EnsureClass() {
  static std::once_flag once;
  std::call_once(once, [] { RegisterSystemClass(kMenuClass, MenuProc, nullptr); });
}

// The resource table's menu tree by MAKEINTRESOURCE id, or nullptr.
const MenuT* FindMenuTree(HINSTANCE inst, LPCWSTR name) {
  HRSRC res = FindResourceW(inst, name, reinterpret_cast<LPCWSTR>(RT_MENU));
  return res ? static_cast<const MenuT*>(LockResource(LoadResource(inst, res))) : nullptr;
}

}  // namespace

HMENU LoadMenuFromTree(const MenuT& menu) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return BuildLocked(menu.items, menu.count, nullptr, 0);
}

HWND TrackingMenuWindow() {
  const DWORD me = GetCurrentThreadId();
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto it = g_tracking.rbegin(); it != g_tracking.rend(); ++it) {
    if ((*it)->thread == me && !(*it)->done) return (*it)->hwnd;
  }
  return nullptr;
}

bool TrackingMenuRows(HWND menuWnd, std::vector<MenuRow>* out) {
  std::shared_ptr<Tracker> t = FindTracker(menuWnd);
  if (!t || !out) return false;
  out->clear();
  for (const Row& r : t->rows) out->push_back(MenuRow{r.item.id, r.item.flags, r.item.text});
  return true;
}

bool ScriptChooseMenuItem(HWND menuWnd, UINT id) {
  std::shared_ptr<Tracker> t = FindTracker(menuWnd);
  if (!t || Done(*t)) return false;
  for (const Row& r : t->rows) {
    if (Choosable(r.item) && r.item.id == id) {
      Finish(*t, id);
      return true;
    }
  }
  return false;
}

bool ScriptCancelMenu(HWND menuWnd) {
  std::shared_ptr<Tracker> t = FindTracker(menuWnd);
  if (!t || Done(*t)) return false;
  Finish(*t, 0);
  return true;
}

void ResetBoxes() {
  ResetMessageBoxes();
  std::lock_guard<std::mutex> lock(g_mutex);
  g_menus.clear();
  g_tracking.clear();
}

}  // namespace plat::detail

using namespace plat::detail;

HMENU LoadMenuW(HINSTANCE inst, LPCWSTR name) {
  const MenuT* tree = name ? FindMenuTree(inst, name) : nullptr;
  if (!tree) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return LoadMenuFromTree(*tree);
}

HMENU LoadMenuA(HINSTANCE inst, LPCSTR name) {
  if (!name || IS_INTRESOURCE(name)) return LoadMenuW(inst, reinterpret_cast<LPCWSTR>(name));
  const std::wstring wide = WidenText(name);
  return LoadMenuW(inst, wide.c_str());
}

HMENU GetSubMenu(HMENU menu, int pos) {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::shared_ptr<Menu> m = FindMenuLocked(menu);
  if (!m) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return nullptr;
  }
  if (pos < 0 || static_cast<size_t>(pos) >= m->items.size()) return nullptr;
  const Item& it = m->items[static_cast<size_t>(pos)];
  return (it.flags & MF_POPUP) && FindMenuLocked(it.sub) ? it.sub : nullptr;
}

BOOL DestroyMenu(HMENU menu) {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::shared_ptr<Menu> m = FindMenuLocked(menu);
  if (!m) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  // A submenu leaves its parent first, so the parent's destruction never reaches it again.
  if (std::shared_ptr<Menu> parent = FindMenuLocked(m->parent)) {
    for (Item& it : parent->items) {
      if (it.sub == menu) it.sub = nullptr;
    }
  }
  DestroyLocked(menu);
  return TRUE;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS) {
  auto t = std::make_shared<Tracker>();
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Menu> m = FindMenuLocked(menu);
    if (!m) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return FALSE;
    }
    for (const Item& it : m->items) t->rows.push_back(Row{it, RECT{}});
  }
  if (!IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (t->rows.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // A popup menu is modal UI too: one that is tracking already is cancelled first.
  if (HWND other = TrackingMenuWindow()) DestroyWindow(other);
  EnsureClass();
  const SIZE client = LayoutRows(*t);
  const int w = client.cx + 2;  // the border
  const int h = client.cy + 2;
  const SIZE screen = ScreenSize();
  int64_t left = x;
  if (flags & TPM_RIGHTALIGN) {
    left -= w;
  } else if (flags & TPM_CENTERALIGN) {
    left -= w / 2;
  }
  left = std::clamp<int64_t>(left, 0, std::max<int64_t>(0, int64_t{screen.cx} - w));
  const int64_t top = std::clamp<int64_t>(y, 0, std::max<int64_t>(0, int64_t{screen.cy} - h));
  t->thread = GetCurrentThreadId();
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_tracking.push_back(t);
  }
  auto forget = [&t] {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_tracking.erase(std::remove(g_tracking.begin(), g_tracking.end(), t), g_tracking.end());
  };
  HWND wnd = CreateWindowExW(0, kMenuClass, L"", kMenuStyle, static_cast<int>(left), static_cast<int>(top), w, h,
                             owner, nullptr, nullptr, t.get());
  if (!wnd) {
    forget();
    return FALSE;
  }
  const std::shared_ptr<Tracker> keep = t;
  const ModalEnd end = RunModalLoop(wnd, ModalKind::Menu, [keep] { return Done(*keep); },
                                    [keep](MSG& m) { return Filter(*keep, m); });
  UINT chosen;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    chosen = end == ModalEnd::Ended ? t->chosen : 0;
  }
  forget();
  ReportModalResult(wnd, ModalKind::Menu, static_cast<INT_PTR>(chosen));
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
  if (chosen) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return TRUE;
}
