// The resource registry: the one table a program registers, the lookup calls, the stand-in
// bitmaps generated on load, and icons by id.
#include <map>
#include <mutex>
#include <vector>

#include "core.h"
#include "surface.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

enum class ResType { Dialog, Menu, Bitmap, Icon };

// A found entry behind an HRSRC (and the HGLOBAL LoadResource gives for it).
struct ResourceObject : Object {
  ResourceObject(ResType t, const void* d) : Object(Kind::Resource), type(t), data(d) {}
  const ResType type;
  const void* const data;
};

std::mutex g_mutex;
ResourceTableT g_table;
// One handle per entry found, so repeated lookups make no new handles; and one per icon.
std::map<const void*, HANDLE> g_handles;
std::map<const void*, HICON> g_icons;

void ForgetHandlesLocked() {
  for (auto& [data, h] : g_handles) RetireHandle(h);
  g_handles.clear();
  g_icons.clear();
}

bool TypeOf(LPCWSTR type, ResType* out) {
  if (!IS_INTRESOURCE(type)) return false;
  switch (reinterpret_cast<uintptr_t>(type)) {
    case 2: *out = ResType::Bitmap; return true;
    case 3:
    case 14: *out = ResType::Icon; return true;
    case 4: *out = ResType::Menu; return true;
    case 5: *out = ResType::Dialog; return true;
    default: return false;
  }
}

// A name matches a named entry ignoring case; an integer id matches an entry with that id.
bool NameMatches(LPCWSTR query, const wchar_t* name) {
  return !IS_INTRESOURCE(query) && name && EqualsIgnoringCase(query, name);
}
bool IdMatches(LPCWSTR query, uint16_t id) {
  return IS_INTRESOURCE(query) && reinterpret_cast<uintptr_t>(query) == id;
}

template <class T, class Match>
const void* Scan(const T* entries, size_t count, Match match) {
  for (size_t i = 0; i < count; ++i) {
    if (match(entries[i])) return &entries[i];
  }
  return nullptr;
}

const void* FindEntryLocked(ResType type, LPCWSTR name) {
  switch (type) {
    case ResType::Dialog:
      return Scan(g_table.dialogs, g_table.dialogCount, [&](const DlgTemplateT& e) { return NameMatches(name, e.name); });
    case ResType::Menu:
      return Scan(g_table.menus, g_table.menuCount, [&](const MenuT& e) { return IdMatches(name, e.id); });
    case ResType::Bitmap:
      return Scan(g_table.bitmaps, g_table.bitmapCount, [&](const BitmapT& e) { return NameMatches(name, e.name); });
    case ResType::Icon:
      return Scan(g_table.icons, g_table.iconCount, [&](const IconT& e) { return IdMatches(name, e.id); });
  }
  return nullptr;
}

const void* FindEntry(ResType type, LPCWSTR name) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return name ? FindEntryLocked(type, name) : nullptr;
}

// An 8-bit name or id as a wide one; ids pass through unchanged.
struct WideName {
  explicit WideName(LPCSTR s) {
    if (IS_INTRESOURCE(s)) {
      id = reinterpret_cast<LPCWSTR>(s);
    } else {
      text = WidenText(s);
    }
  }
  LPCWSTR get() const { return id ? id : text.c_str(); }
  LPCWSTR id = nullptr;
  std::wstring text;
};

HBITMAP MakeStandIn(const BitmapT& b) {
  const int cx = std::max<int>(b.cx, 0), cy = std::max<int>(b.cy, 0);
  std::vector<uint32_t> pixels(static_cast<size_t>(cx) * static_cast<size_t>(cy), PixelFromColor(b.background));
  HBITMAP bm = CreateBitmapFromPixels(cx, cy, pixels.data(), b.bitsPixel);
  if (!bm || !b.text || !*b.text) return bm;
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTW lf{};
  lf.lfHeight = b.textCell;
  lf.lfWeight = b.bold ? FW_BOLD : FW_NORMAL;
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ oldBitmap = SelectObject(dc, bm);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, b.textColour);
  RECT rc{0, 0, cx, cy};
  DrawTextW(dc, b.text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(font);
  DeleteDC(dc);
  return bm;
}

HRSRC FindCore(LPCWSTR name, LPCWSTR type) {
  ResType t;
  if (!name || !TypeOf(type, &t)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  const void* entry = FindEntryLocked(t, name);
  if (!entry) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto it = g_handles.find(entry);
  // A handle closed by mistake is replaced; lookups never hand out a dead one.
  if (it != g_handles.end() && LookupHandle(it->second, Kind::Resource)) return static_cast<HRSRC>(it->second);
  HANDLE h = InsertHandle(std::make_shared<ResourceObject>(t, entry));
  g_handles[entry] = h;
  return static_cast<HRSRC>(h);
}

HBITMAP LoadBitmapCore(LPCWSTR name) {
  const auto* b = static_cast<const BitmapT*>(FindEntry(ResType::Bitmap, name));
  if (!b) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return MakeStandIn(*b);
}

HICON LoadIconCore(LPCWSTR name) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const void* entry = name ? FindEntryLocked(ResType::Icon, name) : nullptr;
  if (!entry) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  HICON& icon = g_icons[entry];
  if (!icon) icon = reinterpret_cast<HICON>(NextHandleValue());
  return icon;
}

}  // namespace

void ResetResources() {
  std::lock_guard<std::mutex> lock(g_mutex);
  ForgetHandlesLocked();
  g_table = ResourceTableT{};
}

}  // namespace plat::detail

using namespace plat::detail;

namespace plat {

void RegisterResources(const ResourceTableT& table) {
  std::lock_guard<std::mutex> lock(g_mutex);
  ForgetHandlesLocked();
  g_table = table;
  // A count without its array means no entries.
  if (!g_table.dialogs) g_table.dialogCount = 0;
  if (!g_table.menus) g_table.menuCount = 0;
  if (!g_table.bitmaps) g_table.bitmapCount = 0;
  if (!g_table.icons) g_table.iconCount = 0;
}

}  // namespace plat

HRSRC FindResourceW(HMODULE, LPCWSTR name, LPCWSTR type) { return FindCore(name, type); }

HRSRC FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
  if (!name) return FindCore(nullptr, nullptr);
  return FindCore(WideName(name).get(), reinterpret_cast<LPCWSTR>(IS_INTRESOURCE(type) ? type : nullptr));
}

HGLOBAL LoadResource(HMODULE, HRSRC res) {
  if (!LookupHandle(res, Kind::Resource)) return nullptr;
  return static_cast<HGLOBAL>(res);
}

LPVOID LockResource(HGLOBAL res) {
  auto obj = Lookup<ResourceObject>(res, Kind::Resource);
  return obj ? const_cast<void*>(obj->data) : nullptr;
}

HBITMAP LoadBitmapW(HINSTANCE, LPCWSTR name) { return LoadBitmapCore(name); }
HBITMAP LoadBitmapA(HINSTANCE, LPCSTR name) { return name ? LoadBitmapCore(WideName(name).get()) : LoadBitmapCore(nullptr); }

HICON LoadIconW(HINSTANCE, LPCWSTR name) { return LoadIconCore(name); }
HICON LoadIconA(HINSTANCE, LPCSTR name) { return name ? LoadIconCore(WideName(name).get()) : LoadIconCore(nullptr); }
