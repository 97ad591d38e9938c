// The file name dialogs (GetSaveFileNameW/A, GetOpenFileNameW): a modal window with the folder,
// the list of its files that match the current filter, a name edit pre-filled with the proposal,
// the filter list, OK and Cancel. OK turns the typed name into the result: a full path as it is,
// else joined to the initial folder; the default extension appended to a name without one.
#include <algorithm>
#include <map>
#include <mutex>

#include "commdlg_internal.h"
#include "dialog_internal.h"
#include "modal.h"
#include "modal_script.h"
#include "window_internal.h"

namespace plat::detail {
namespace {

constexpr wchar_t kClass[] = L"PlatFileDialog";
constexpr int kIdFolder = 0x440;
constexpr int kIdTypeLabel = 0x441;
constexpr int kIdNameLabel = 0x442;
constexpr int kIdList = 0x460;
constexpr int kIdType = 0x470;
constexpr int kIdName = 0x480;
constexpr int kMargin = 6;
constexpr int kGap = 4;
// The filter string is read up to its empty string, within these bounds.
constexpr size_t kMaxFilters = 64;
constexpr size_t kMaxFilterChars = 8192;
// Offsets into the result travel in a WORD.
constexpr size_t kMaxResult = 0xFFFF;

// Control messages and notifications.
constexpr UINT kLbAddString = 0x0180;
constexpr UINT kLbResetContent = 0x0184;
constexpr UINT kLbGetCurSel = 0x0188;
constexpr UINT kLbGetText = 0x0189;
constexpr UINT kLbGetTextLen = 0x018A;
constexpr UINT kCbAddString = 0x0143;
constexpr UINT kCbGetCurSel = 0x0147;
constexpr UINT kCbSetCurSel = 0x014E;
constexpr WORD kSelChange = 1;  // LBN_SELCHANGE, CBN_SELCHANGE
constexpr LRESULT kNoSelection = -1;

struct Filter {
  std::wstring description;
  std::vector<std::wstring> patterns;
};

// What the caller asked for, in wide form.
struct Request {
  bool save = true;
  HWND owner = nullptr;
  std::vector<Filter> filters;
  size_t filterIndex = 0;  // 0-based
  std::wstring proposal;
  size_t maxFile = 0;
  bool wantTitle = false;
  size_t maxTitle = 0;
  std::wstring initialDir;
  std::wstring title;
  DWORD flags = 0;
  std::wstring defExt;
};

struct Result {
  std::wstring path;
  std::wstring title;
  WORD offset = 0;
  WORD extension = 0;
  size_t filterIndex = 0;
};

struct FileDialog {
  const Request* req = nullptr;
  HWND hwnd = nullptr;
  std::wstring dir;  // the folder listed, and the one relative names are joined to
  size_t filterIndex = 0;
  HWND folder = nullptr, list = nullptr, nameLabel = nullptr, edit = nullptr, typeLabel = nullptr;
  HWND type = nullptr, ok = nullptr, cancel = nullptr;
  std::wstring typed;  // the name while there is no edit control
  bool ended = false;
  bool chosen = false;
  DWORD error = 0;
  Result result;
};

std::mutex g_mu;
std::map<HWND, FileDialog*>& g_open = *new std::map<HWND, FileDialog*>;

FileDialog* Find(HWND h) {
  std::lock_guard<std::mutex> lock(g_mu);
  auto it = g_open.find(h);
  return it == g_open.end() ? nullptr : it->second;
}

std::wstring ToWide(const wchar_t* s, size_t n) { return std::wstring(s, n); }
std::wstring ToWide(const char* s, size_t n) { return WidenText(std::string(s, n).c_str()); }

template <class C>
size_t BoundedLength(const C* s, size_t max) {
  size_t n = 0;
  while (n < max && s[n]) ++n;
  return n;
}

// The text of a caller's buffer: up to its NUL, never past max characters.
template <class C>
std::wstring ReadBounded(const C* s, size_t max) {
  return s ? ToWide(s, BoundedLength(s, max)) : std::wstring();
}

std::vector<std::wstring> SplitPatterns(const std::wstring& s) {
  std::vector<std::wstring> out;
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = s.find(L';', start);
    if (end == std::wstring::npos) end = s.size();
    std::wstring p = s.substr(start, end - start);
    while (!p.empty() && p.front() == L' ') p.erase(p.begin());
    while (!p.empty() && p.back() == L' ') p.pop_back();
    if (!p.empty()) out.push_back(p);
    start = end + 1;
  }
  return out;
}

// Pairs of description and pattern up to the empty string; a description without its pattern,
// or anything past the bounds, is left out.
template <class C>
std::vector<Filter> ParseFilters(const C* f) {
  std::vector<Filter> out;
  if (!f) return out;
  size_t budget = kMaxFilterChars;
  while (out.size() < kMaxFilters) {
    const size_t dn = BoundedLength(f, budget);
    if (dn == 0 || dn == budget) break;
    const C* pattern = f + dn + 1;
    budget -= dn + 1;
    const size_t pn = BoundedLength(pattern, budget);
    if (pn == 0 || pn == budget) break;
    out.push_back(Filter{ToWide(f, dn), SplitPatterns(ToWide(pattern, pn))});
    f = pattern + pn + 1;
    budget -= pn + 1;
  }
  return out;
}

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool HasDrive(const std::wstring& s) { return s.size() >= 2 && IsLetter(s[0]) && s[1] == L':'; }

std::wstring Join(const std::wstring& dir, const std::wstring& name) {
  if (dir.empty() || dir.back() == L'\\') return dir + name;
  return dir + L'\\' + name;
}

enum class Verdict { Ok, Empty, Invalid };

// Turns a typed name into the result path with its offsets.
Verdict Resolve(std::wstring name, const std::wstring& dir, const std::wstring& defExt, Result* out) {
  if (name.empty()) return Verdict::Empty;
  for (size_t i = 0; i < name.size(); ++i) {
    const wchar_t c = name[i];
    if (c < 32 || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|') return Verdict::Invalid;
    if (c == L':' && !(i == 1 && IsLetter(name[0]))) return Verdict::Invalid;
    if (c == L'/') name[i] = L'\\';
  }
  std::wstring path = name[0] == L'\\' || HasDrive(name) ? name : Join(dir, name);
  const size_t slash = path.rfind(L'\\');
  size_t offset = slash == std::wstring::npos ? (HasDrive(path) ? 2 : 0) : slash + 1;
  const std::wstring file = path.substr(offset);
  if (file.empty() || file == L"." || file == L"..") return Verdict::Invalid;
  size_t dot = file.rfind(L'.');
  if (dot == std::wstring::npos) {
    size_t skip = 0;
    while (skip < defExt.size() && defExt[skip] == L'.') ++skip;
    if (skip < defExt.size()) {
      dot = file.size();
      path += L'.' + defExt.substr(skip);
    }
  }
  out->path = path;
  out->title = path.substr(offset);
  out->offset = static_cast<WORD>(std::min(offset, kMaxResult));
  out->extension = static_cast<WORD>(std::min(dot == std::wstring::npos ? path.size() : offset + dot + 1, kMaxResult));
  return Verdict::Ok;
}

bool Exists(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Name(const FileDialog& d) {
  if (!d.edit) return d.typed;
  const int n = GetWindowTextLengthW(d.edit);
  std::wstring s(static_cast<size_t>(std::max(n, 0)) + 1, L'\0');
  const int got = GetWindowTextW(d.edit, s.data(), static_cast<int>(s.size()));
  s.resize(static_cast<size_t>(std::max(got, 0)));
  return s;
}

void SetName(FileDialog& d, const std::wstring& name) {
  if (d.edit) {
    SetWindowTextW(d.edit, name.c_str());
  } else {
    d.typed = name;
  }
}

void End(FileDialog& d, bool chosen) {
  d.ended = true;
  d.chosen = chosen;
}

// The files of the folder that match the current filter, sorted ignoring case.
void FillList(FileDialog& d) {
  if (!d.list) return;
  SendMessageW(d.list, kLbResetContent, 0, 0);
  std::vector<std::wstring> patterns{L"*.*"};
  if (d.filterIndex < d.req->filters.size()) patterns = d.req->filters[d.filterIndex].patterns;
  std::vector<std::wstring> names;
  for (const std::wstring& p : patterns) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Join(d.dir, p).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  auto folded = [](std::wstring f) {
    for (wchar_t& c : f) {
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return f;
  };
  std::sort(names.begin(), names.end(), [&](const std::wstring& a, const std::wstring& b) {
    const std::wstring fa = folded(a), fb = folded(b);
    return fa != fb ? fa < fb : a < b;
  });
  names.erase(std::unique(names.begin(), names.end()), names.end());
  for (const std::wstring& n : names) SendMessageW(d.list, kLbAddString, 0, reinterpret_cast<LPARAM>(n.c_str()));
}

// OK: the typed name is checked and resolved; the dialog ends with it, or stays open after a box
// that says what is wrong.
void Accept(FileDialog& d) {
  Result r;
  const Verdict v = Resolve(Name(d), d.dir, d.req->defExt, &r);
  if (v == Verdict::Empty) return;
  if (v == Verdict::Invalid) {
    MessageBoxW(d.hwnd, L"Invalid file name", L"File Name", MB_OK | MB_ICONEXCLAMATION);
    if (d.edit) SetFocus(d.edit);
    return;
  }
  // A result that does not fit is refused whole: no cut path ever names another file.
  if (r.path.size() + 1 > d.req->maxFile || r.path.size() > kMaxResult ||
      (d.req->wantTitle && r.title.size() + 1 > d.req->maxTitle)) {
    d.error = FNERR_BUFFERTOOSMALL;
    End(d, false);
    return;
  }
  if (!d.req->save && (d.req->flags & OFN_FILEMUSTEXIST) && !Exists(r.path)) {
    MessageBoxW(d.hwnd, (r.path + L"\r\nFile not found.").c_str(), L"File Name", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (d.req->save && (d.req->flags & OFN_OVERWRITEPROMPT) && Exists(r.path) &&
      MessageBoxW(d.hwnd, (r.path + L" already exists.\r\nDo you want to replace it?").c_str(), L"Confirm Save",
                  MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
    return;
  }
  r.filterIndex = d.filterIndex;
  d.result = r;
  End(d, true);
}

void Layout(FileDialog& d) {
  RECT c;
  GetClientRect(d.hwnd, &c);
  const int w = c.right, h = c.bottom;
  const int font = FontHeight(d.hwnd);
  const int row = font + 8;
  const int labelW = std::max(TextWidth(d.hwnd, L"Name:"), TextWidth(d.hwnd, L"Type:")) + kGap;
  const int buttonW = std::max(56, TextWidth(d.hwnd, L"Cancel") + 16);
  const int fieldX = kMargin + labelW;
  const int fieldW = std::max(w - fieldX - kMargin, 0);
  const int buttonsTop = h - kMargin - row;
  const int typeTop = buttonsTop - kGap - row;
  const int nameTop = typeTop - kGap - row;
  const int listTop = kMargin + font + 2 + kGap;
  auto place = [](HWND ctl, int x, int y, int cx, int cy) {
    if (ctl) MoveWindow(ctl, x, y, std::max(cx, 0), std::max(cy, 0), TRUE);
  };
  place(d.folder, kMargin, kMargin, w - 2 * kMargin, font + 2);
  place(d.list, kMargin, listTop, w - 2 * kMargin, nameTop - kGap - listTop);
  place(d.nameLabel, kMargin, nameTop + 4, labelW, font);
  place(d.edit, fieldX, nameTop, fieldW, row);
  place(d.typeLabel, kMargin, typeTop + 4, labelW, font);
  // The combo's height includes its dropped list, which opens upwards here.
  place(d.type, fieldX, typeTop, fieldW, row + 6 * font);
  place(d.ok, w - kMargin - 2 * buttonW - kGap, buttonsTop, buttonW, row);
  place(d.cancel, w - kMargin - buttonW, buttonsTop, buttonW, row);
}

void ListChanged(FileDialog& d) {
  const LRESULT i = SendMessageW(d.list, kLbGetCurSel, 0, 0);
  if (i == kNoSelection) return;
  const LRESULT n = SendMessageW(d.list, kLbGetTextLen, static_cast<WPARAM>(i), 0);
  if (n < 0 || n > 32767) return;
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  const LRESULT got = SendMessageW(d.list, kLbGetText, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
  if (got < 0) return;
  s.resize(static_cast<size_t>(std::min(got, n)));
  SetName(d, s);
}

LRESULT CALLBACK FileDialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  FileDialog* d = Find(h);
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK:
          Accept(*d);
          break;
        case IDCANCEL:
          End(*d, false);
          break;
        case kIdType:
          if (HIWORD(wp) == kSelChange) {
            const LRESULT i = SendMessageW(d->type, kCbGetCurSel, 0, 0);
            if (i >= 0) d->filterIndex = static_cast<size_t>(i);
            FillList(*d);
          }
          break;
        case kIdList:
          if (HIWORD(wp) == kSelChange) ListChanged(*d);
          break;
        default:
          break;
      }
      return 0;
    case WM_CLOSE:
      End(*d, false);
      return 0;
    case WM_SIZE:
      Layout(*d);
      return 0;
    case kMsgInitialFocus:
      if (d->edit) {
        SetFocus(d->edit);
        SendMessageW(d->edit, EM_SETSEL, 0, -1);
      }
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

void RegisterOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterSystemClass(kClass, FileDialogProc,
                        reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1)));
  });
}

void MakeControls(FileDialog& d) {
  const HWND h = d.hwnd;
  d.folder = MakeControl(h, L"STATIC", d.dir.c_str(), SS_LEFT | SS_NOPREFIX, kIdFolder);
  d.list = MakeControl(h, L"LISTBOX", L"", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, kIdList);
  d.nameLabel = MakeControl(h, L"STATIC", L"Name:", SS_LEFT, kIdNameLabel);
  d.edit = MakeControl(h, L"EDIT", d.req->proposal.c_str(), WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kIdName);
  d.typeLabel = MakeControl(h, L"STATIC", L"Type:", SS_LEFT, kIdTypeLabel);
  d.type = MakeControl(h, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kIdType);
  d.ok = MakeControl(h, L"BUTTON", d.req->save ? L"Save" : L"Open", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
  d.cancel = MakeControl(h, L"BUTTON", L"Cancel", WS_TABSTOP, IDCANCEL);
  if (!d.edit) d.typed = d.req->proposal;
  if (d.type) {
    for (const Filter& f : d.req->filters) {
      SendMessageW(d.type, kCbAddString, 0, reinterpret_cast<LPARAM>(f.description.c_str()));
    }
    SendMessageW(d.type, kCbSetCurSel, d.filterIndex, 0);
  }
}

// Runs the dialog; false with *error set when it ends without a name.
bool Run(const Request& req, Result* out, DWORD* error) {
  *error = 0;
  if (req.owner && !IsWindow(req.owner)) {
    *error = CDERR_DIALOGFAILURE;
    return false;
  }
  RegisterOnce();
  FileDialog d;
  d.req = &req;
  d.filterIndex = req.filterIndex;
  if (!req.initialDir.empty()) {
    d.dir = req.initialDir;
  } else {
    wchar_t cwd[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, cwd);
    d.dir = n > 0 && n < MAX_PATH ? std::wstring(cwd, n) : std::wstring(L"\\");
  }
  const RECT r = CommonDialogRect();
  const HWND h = CreateWindowExW(CommonDialogExStyle(), kClass, req.title.c_str(), CommonDialogStyle(), r.left,
                                 r.top, r.right - r.left, r.bottom - r.top, req.owner, nullptr, nullptr, nullptr);
  if (!h) {
    *error = CDERR_DIALOGFAILURE;
    return false;
  }
  d.hwnd = h;
  {
    std::lock_guard<std::mutex> lock(g_mu);
    g_open[h] = &d;
  }
  MakeControls(d);
  Layout(d);
  FillList(d);
  PostMessageW(h, kMsgInitialFocus, 0, 0);
  RunModalLoop(h, ModalKind::OpenSave, [&d] { return d.ended; }, [&d](MSG& m) { return DialogKeyFilter(d.hwnd, m); });
  {
    std::lock_guard<std::mutex> lock(g_mu);
    g_open.erase(h);
  }
  const bool chosen = d.ended && d.chosen;
  *error = d.error;
  if (chosen) *out = d.result;
  ReportModalResult(h, ModalKind::OpenSave, chosen ? TRUE : FALSE, chosen ? d.result.path : std::wstring());
  return chosen;
}

template <class OFN, class C>
Request MakeRequest(const OFN& ofn, bool save) {
  Request req;
  req.save = save;
  req.owner = ofn.hwndOwner;
  req.filters = ParseFilters(ofn.lpstrFilter);
  if (ofn.nFilterIndex > 0 && ofn.nFilterIndex <= req.filters.size()) req.filterIndex = ofn.nFilterIndex - 1;
  req.proposal = ReadBounded(static_cast<const C*>(ofn.lpstrFile), ofn.nMaxFile);
  req.maxFile = ofn.nMaxFile;
  req.wantTitle = ofn.lpstrFileTitle != nullptr && ofn.nMaxFileTitle > 0;
  req.maxTitle = ofn.nMaxFileTitle;
  // Strings that form the path are read far enough that a longer one cannot fit any result.
  req.initialDir = ReadBounded(ofn.lpstrInitialDir, kMaxResult + 1);
  req.title = ofn.lpstrTitle ? ReadBounded(ofn.lpstrTitle, 256) : std::wstring(save ? L"Save As" : L"Open");
  req.flags = ofn.Flags;
  req.defExt = ReadBounded(ofn.lpstrDefExt, kMaxResult + 1);
  return req;
}

void CopyOut(const std::wstring& s, wchar_t* buf) {
  std::copy(s.begin(), s.end(), buf);
  buf[s.size()] = 0;
}

void CopyOut(const std::wstring& s, char* buf) {
  const std::string n = NarrowText(s);
  std::copy(n.begin(), n.end(), buf);
  buf[n.size()] = 0;
}

template <class C, class OFN>
BOOL FileNameCore(OFN* ofn, bool save) {
  SetCommDlgError(0);
  if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) {
    SetCommDlgError(CDERR_INITIALIZATION);
    return FALSE;
  }
  const Request req = MakeRequest<OFN, C>(*ofn, save);
  Result r;
  DWORD error = 0;
  if (!Run(req, &r, &error)) {
    SetCommDlgError(error);
    // Too small a buffer leaves an empty name, never a cut one.
    if (error == FNERR_BUFFERTOOSMALL) ofn->lpstrFile[0] = 0;
    return FALSE;
  }
  CopyOut(r.path, ofn->lpstrFile);
  ofn->nFileOffset = r.offset;
  ofn->nFileExtension = r.extension;
  if (req.wantTitle) CopyOut(r.title, ofn->lpstrFileTitle);
  if (!req.filters.empty()) ofn->nFilterIndex = static_cast<DWORD>(r.filterIndex + 1);
  return TRUE;
}

}  // namespace

bool FileDialogInfo(HWND dlg, FileDialogRecord* out) {
  FileDialog* d = Find(dlg);
  if (!d || !out) return false;
  out->save = d->req->save;
  out->file = d->req->proposal;
  out->flags = d->req->flags;
  return true;
}

bool ScriptChooseFile(HWND dlg, const std::wstring& name) {
  FileDialog* d = Find(dlg);
  if (!d || d->ended) return false;
  SetName(*d, name);
  Accept(*d);
  return true;
}

bool ScriptCancelFile(HWND dlg) {
  FileDialog* d = Find(dlg);
  if (!d || d->ended) return false;
  End(*d, false);
  return true;
}

}  // namespace plat::detail

BOOL GetSaveFileNameW(LPOPENFILENAMEW ofn) { return plat::detail::FileNameCore<wchar_t>(ofn, true); }
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) { return plat::detail::FileNameCore<char>(ofn, true); }
BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn) { return plat::detail::FileNameCore<wchar_t>(ofn, false); }
