// plat::test::CheckTemplate: the layout rules every dialog template must keep.
#include <plat/testing.h>

#include <cstdio>

#include "window_internal.h"

namespace plat::test {
namespace {

// The frame the profile puts around a client area of this style.
RECT Insets(DWORD style, Profile profile) {
  const bool handheld = profile == Profile::Handheld;
  const LONG f = handheld ? 1 : 3;
  if ((style & WS_CAPTION) == WS_CAPTION) return RECT{f, f + (handheld ? 20 : 19), f, f};
  if (style & WS_DLGFRAME) return RECT{f, f, f, f};
  if (style & WS_BORDER) return RECT{1, 1, 1, 1};
  return RECT{0, 0, 0, 0};
}

bool IsInput(const DlgItemT& item) {
  switch (item.kind) {
    case DlgKind::Edit:
    case DlgKind::ComboBox:
    case DlgKind::ListBox: return true;
    case DlgKind::Button: return (item.style & BS_TYPEMASK) != BS_GROUPBOX;
    case DlgKind::Static: return false;
  }
  return false;
}

std::string Narrow(const wchar_t* s) { return s ? detail::NarrowText(s) : std::string(); }

std::string Describe(const DlgItemT& item) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "item %u (\"%s\")", static_cast<unsigned>(item.id), Narrow(item.text).c_str());
  return buf;
}

}  // namespace

std::vector<std::string> CheckTemplate(const DlgTemplateT& t, Profile profile, Screen screen) {
  std::vector<std::string> problems;
  const std::string name = Narrow(t.name);
  auto report = [&](const std::string& what) { problems.push_back(name + ": " + what); };
  if (t.count && !t.items) {
    report("has no item array");
    return problems;
  }
  const DialogUnits u = DialogUnitsFor(t.pointSize, profile);
  const RECT client{0, 0, MulDiv(t.cx, u.baseX, 4), MulDiv(t.cy, u.baseY, 8)};
  std::vector<RECT> rects(t.count);
  for (uint16_t i = 0; i < t.count; ++i) {
    const DlgItemT& item = t.items[i];
    RECT r{MulDiv(item.x, u.baseX, 4), MulDiv(item.y, u.baseY, 8), 0, 0};
    r.right = r.left + MulDiv(item.cx, u.baseX, 4);
    // A combo box's own rectangle is its closed box; the dropped list may reach past the client.
    r.bottom = r.top + (item.kind == DlgKind::ComboBox ? u.cell + 8 : MulDiv(item.cy, u.baseY, 8));
    rects[i] = r;
    if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom) {
      report(Describe(item) + " lies outside the client area");
    }
  }
  for (uint16_t i = 0; i < t.count; ++i) {
    for (uint16_t j = i + 1; j < t.count; ++j) {
      if (!IsInput(t.items[i]) || !IsInput(t.items[j])) continue;
      if (!detail::RectEmpty(detail::Intersect(rects[i], rects[j]))) {
        report(Describe(t.items[i]) + " overlaps " + Describe(t.items[j]));
      }
    }
  }
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTW lf{};
  lf.lfHeight = u.cell;
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  for (uint16_t i = 0; i < t.count; ++i) {
    const DlgItemT& item = t.items[i];
    if (item.kind != DlgKind::Static || !item.text || !*item.text) continue;
    const LONG w = rects[i].right - rects[i].left, h = rects[i].bottom - rects[i].top;
    RECT need{0, 0, w, 0};
    DrawTextW(dc, item.text, -1, &need, DT_CALCRECT | DT_WORDBREAK | ((item.style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
    if (need.right > w || need.bottom > h) {
      char buf[96];
      std::snprintf(buf, sizeof buf, " needs %ldx%ld px, has %ldx%ld", static_cast<long>(need.right),
                    static_cast<long>(need.bottom), static_cast<long>(w), static_cast<long>(h));
      report(Describe(item) + " does not fit:" + buf);
    }
  }
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  if (screen.cx > 0 && screen.cy > 0) {
    const RECT in = Insets((t.style & ~WS_CHILD) | WS_POPUP, profile);
    const LONG w = client.right + in.left + in.right, h = client.bottom + in.top + in.bottom;
    if (w > screen.cx || h > screen.cy) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "the dialog is %ldx%ld px with its frame, the screen %dx%d",
                    static_cast<long>(w), static_cast<long>(h), screen.cx, screen.cy);
      report(buf);
    }
  }
  return problems;
}

}  // namespace plat::test
