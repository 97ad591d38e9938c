// Dialog boxes: base units and frames, creation from templates, WM_INITDIALOG and its focus rule,
// the modal run, EndDialog, and the default handling behind every dialog procedure.
#include <cstring>
#include <unordered_map>

#include "dialog_internal.h"
#include "modal.h"
#include "modal_script.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";

struct DialogState {
  DLGPROC proc = nullptr;
  bool wide = true;
  DialogUnits units{};
  HFONT font = nullptr;
  DWORD thread = 0;
  int defId = 0;
  // Guarded by g_mutex.
  bool ended = false;
  INT_PTR result = 0;
};

// Never destroyed: a dialog's window may get a message while the process exits.
std::mutex& g_mutex = *new std::mutex;
auto& g_dialogs = *new std::unordered_map<HWND, std::shared_ptr<DialogState>>;

std::shared_ptr<DialogState> FindDialog(HWND h) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_dialogs.find(h);
  return it == g_dialogs.end() ? nullptr : it->second;
}

void ForgetDialog(HWND h) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_dialogs.erase(h);
}

bool Ended(const DialogState& s) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return s.ended;
}

UINT TypeOf(HWND h) { return static_cast<UINT>(GetWindowLongW(h, GWL_STYLE)) & BS_TYPEMASK; }

// DM_SETDEFID: the old default push button loses its frame, a push button with the new id gets it.
void SetDefaultId(HWND dlg, DialogState& s, int id) {
  const int old = s.defId;
  s.defId = id;
  if (old == id) return;
  if (HWND b = old ? GetDlgItem(dlg, old) : nullptr) {
    const auto code = SendMessageW(b, WM_GETDLGCODE, 0, 0);
    if ((code & DLGC_BUTTON) && TypeOf(b) == BS_DEFPUSHBUTTON) SendMessageW(b, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  }
  if (HWND b = id ? GetDlgItem(dlg, id) : nullptr) {
    const auto code = SendMessageW(b, WM_GETDLGCODE, 0, 0);
    if ((code & DLGC_BUTTON) && TypeOf(b) == BS_PUSHBUTTON) SendMessageW(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  }
}

// What a dialog does with a message its procedure left (returned FALSE for).
LRESULT DefDialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, DialogState* s) {
  if (s) {
    switch (msg) {
      case WM_INITDIALOG: return FALSE;
      case WM_CLOSE:
        // A closed dialog is cancelled through the procedure's own cancel path.
        PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(h, IDCANCEL)));
        return 0;
      case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
      case DM_GETDEFID: return s->defId ? MAKELONG(s->defId, DC_HASDEFID) : 0;
      case DM_SETDEFID: SetDefaultId(h, *s, static_cast<int>(LOWORD(wp))); return TRUE;
      default: break;
    }
  }
  return !s || s->wide ? DefWindowProcW(h, msg, wp, lp) : DefWindowProcA(h, msg, wp, lp);
}

// The window procedure of every dialog: the dialog procedure first, then the default handling.
LRESULT CALLBACK DialogWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  std::shared_ptr<DialogState> s = FindDialog(h);
  if (s && s->proc) {
    const INT_PTR r = s->proc(h, msg, wp, lp);
    if (r) return r;
  }
  return DefDialogProc(h, msg, wp, lp, s.get());
}

bool EnsureDialogClass() {
  if (RegisterSystemClass(kDialogClass, DialogWndProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) return true;
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

const wchar_t* ClassOf(DlgKind kind) {
  switch (kind) {
    case DlgKind::Static: return L"STATIC";
    case DlgKind::Edit: return L"EDIT";
    case DlgKind::Button: return L"BUTTON";
    case DlgKind::ComboBox: return L"COMBOBOX";
    case DlgKind::ListBox: return L"LISTBOX";
  }
  return nullptr;
}

HWND Create(bool wide, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, RECT r, HWND parent,
            HMENU menu, HINSTANCE inst) {
  if (!text) text = L"";
  if (wide) {
    return CreateWindowExW(exStyle, cls, text, style, r.left, r.top, r.right, r.bottom, parent, menu, inst, nullptr);
  }
  const std::string c = NarrowText(cls), t = NarrowText(text);
  return CreateWindowExA(exStyle, c.c_str(), t.c_str(), style, r.left, r.top, r.right, r.bottom, parent, menu, inst,
                         nullptr);
}

int ToPxX(int v, const DialogUnits& u) { return MulDiv(v, u.baseX, 4); }
int ToPxY(int v, const DialogUnits& u) { return MulDiv(v, u.baseY, 8); }

// The dialog window's rectangle (left, top, width, height): the template's client size inside the
// profile's frame, centred (DS_CENTER) or at the template position relative to the owner's
// top-level client origin, then pushed inside the screen.
RECT Placement(const DlgTemplateT& t, DWORD style, const DialogUnits& u, HWND owner) {
  Window frame;
  frame.style = style;
  SIZE screen;
  POINT origin{0, 0};
  RECT in;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    in = FrameInsets(&frame);
    screen = ScreenSize();
    if (std::shared_ptr<Window> o = FindWindowLocked(owner)) origin = ClientOriginScreen(TopLevelOf(o.get()));
  }
  const int cx = std::max(ToPxX(t.cx, u), 0) + in.left + in.right;
  const int cy = std::max(ToPxY(t.cy, u), 0) + in.top + in.bottom;
  POINT at;
  if (t.style & DS_CENTER) {
    at = POINT{(screen.cx - cx) / 2, (screen.cy - cy) / 2};
  } else {
    at = POINT{origin.x + ToPxX(t.x, u), origin.y + ToPxY(t.y, u)};
  }
  at.x = std::max<LONG>(std::min<LONG>(at.x, screen.cx - cx), 0);
  at.y = std::max<LONG>(std::min<LONG>(at.y, screen.cy - cy), 0);
  return RECT{at.x, at.y, cx, cy};
}

HFONT DialogFont(const DlgTemplateT& t, const DialogUnits& u) {
  LOGFONTW lf{};
  lf.lfHeight = u.cell;
  lf.lfWeight = FW_NORMAL;
  if (t.face) {
    for (int i = 0; i < LF_FACESIZE - 1 && t.face[i]; ++i) lf.lfFaceName[i] = t.face[i];
  }
  return CreateFontIndirectW(&lf);
}

// The first control that is visible, enabled and a tab stop, in table order.
HWND FirstTabStop(HWND dlg) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> w = FindWindowLocked(dlg);
  if (!w) return nullptr;
  for (Window* c : w->children) {
    if (c->visible && !(c->style & WS_DISABLED) && (c->style & WS_TABSTOP)) return c->hwnd;
  }
  return nullptr;
}

void GiveFocusBack(HWND before) {
  if (before && IsWindow(before) && GetFocus() != before) SetFocus(before);
}

INT_PTR RunDialog(HINSTANCE inst, const DlgTemplateT* t, HWND owner, DLGPROC proc, LPARAM param, bool wide) {
  if (!t || (t->count && !t->items)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  if (owner && !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  if (!EnsureDialogClass()) return -1;
  auto s = std::make_shared<DialogState>();
  s->proc = proc;
  s->wide = wide;
  s->units = DialogUnitsFor(t->pointSize);
  s->thread = GetCurrentThreadId();
  const DWORD style = (t->style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP;
  const RECT place = Placement(*t, style, s->units, owner);
  const HWND focusBefore = GetFocus();
  HWND dlg = Create(wide, t->exStyle, kDialogClass, t->title, style, place, owner, nullptr, inst);
  if (!dlg) return -1;
  s->font = DialogFont(*t, s->units);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_dialogs[dlg] = s;
  }
  auto finish = [&](INT_PTR value) {
    if (IsWindow(dlg)) DestroyWindow(dlg);
    ForgetDialog(dlg);
    DeleteObject(s->font);
    return value;
  };
  for (uint16_t i = 0; i < t->count; ++i) {
    const DlgItemT& item = t->items[i];
    const wchar_t* cls = ClassOf(item.kind);
    const RECT r{ToPxX(item.x, s->units), ToPxY(item.y, s->units), std::max(ToPxX(item.cx, s->units), 0),
                 std::max(ToPxY(item.cy, s->units), 0)};
    HWND c = cls ? Create(wide, 0, cls, item.text, item.style | WS_CHILD, r, dlg,
                          reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)), inst)
                 : nullptr;
    if (!c) {
      // Nothing opens: the procedure has not seen the dialog yet and gets none of its messages.
      ForgetDialog(dlg);
      return finish(-1);
    }
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(s->font), FALSE);
    if (item.kind == DlgKind::Button && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && !s->defId) {
      s->defId = item.id;
    }
  }
  SendMessageW(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(s->font), FALSE);
  HWND first = FirstTabStop(dlg);
  const LRESULT init = SendMessageW(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!IsWindow(dlg) || Ended(*s)) {
    // Ended (or destroyed) inside WM_INITDIALOG: it never shows.
    const INT_PTR value = Ended(*s) ? s->result : 0;
    finish(0);
    GiveFocusBack(focusBefore);
    return value;
  }
  if (init && first && IsWindow(first)) SetFocus(first);
  RunModalLoop(
      dlg, ModalKind::Dialog, [&s] { return Ended(*s); }, [dlg](MSG& m) { return DialogKeyFilter(dlg, m); },
      focusBefore);
  const INT_PTR value = Ended(*s) ? s->result : 0;
  ReportModalResult(dlg, ModalKind::Dialog, value);
  return finish(value);
}

}  // namespace

bool InsideDialog(HWND dlg, HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<Window> d = FindWindowLocked(dlg);
  std::shared_ptr<Window> w = FindWindowLocked(h);
  return d && w && IsAncestorOf(d.get(), w.get());
}

void ResetDialogs() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_dialogs.clear();
}

}  // namespace plat::detail

using namespace plat::detail;

namespace plat {

DialogUnits DialogUnitsFor(int pointSize) { return DialogUnitsFor(pointSize, CurrentProfile()); }

DialogUnits DialogUnitsFor(int pointSize, Profile profile) {
  if (pointSize <= 0) pointSize = profile == Profile::Handheld ? 9 : 10;
  if (pointSize <= 8) return DialogUnits{6, 13, 13};
  if (pointSize == 9) return DialogUnits{6, 14, 14};
  return DialogUnits{7, 16, 16};
}

}  // namespace plat

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t p = static_cast<int64_t>(a) * b;
  int64_t q = p / c;
  const int64_t r = p % c;
  if (2 * (r < 0 ? -r : r) >= (c < 0 ? -int64_t{c} : int64_t{c})) q += (p < 0) != (c < 0) ? -1 : 1;
  if (q < INT32_MIN || q > INT32_MAX) return -1;
  return static_cast<int>(q);
}

BOOL MapDialogRect(HWND dlg, LPRECT rc) {
  std::shared_ptr<DialogState> s = FindDialog(dlg);
  if (!s || !rc) {
    SetLastError(s ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  rc->left = ToPxX(rc->left, s->units);
  rc->right = ToPxX(rc->right, s->units);
  rc->top = ToPxY(rc->top, s->units);
  rc->bottom = ToPxY(rc->bottom, s->units);
  return TRUE;
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE inst, LPCDLGTEMPLATEW tmpl, HWND owner, DLGPROC proc, LPARAM param) {
  return RunDialog(inst, tmpl, owner, proc, param, true);
}

INT_PTR DialogBoxParamW(HINSTANCE inst, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  HRSRC r = FindResourceW(inst, name, MAKEINTRESOURCEW(5));
  if (!r) return -1;
  return RunDialog(inst, static_cast<const DlgTemplateT*>(LockResource(LoadResource(inst, r))), owner, proc, param,
                   true);
}

INT_PTR DialogBoxParamA(HINSTANCE inst, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  HRSRC r = FindResourceA(inst, name, MAKEINTRESOURCEA(5));
  if (!r) return -1;
  return RunDialog(inst, static_cast<const DlgTemplateT*>(LockResource(LoadResource(inst, r))), owner, proc, param,
                   false);
}

BOOL EndDialog(HWND dlg, INT_PTR value) {
  std::shared_ptr<DialogState> s = FindDialog(dlg);
  if (!s || !IsWindow(dlg)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (s->ended) return FALSE;
    s->ended = true;
    s->result = value;
  }
  // From another thread the loop may be waiting: wake it.
  if (s->thread != GetCurrentThreadId()) PostMessageW(dlg, WM_NULL, 0, 0);
  return TRUE;
}
