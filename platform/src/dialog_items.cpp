// The dialog item functions. They work on any window's children; a control the window lacks
// reads as 0 or an empty text and setting it does nothing. Every text read is bounded by the
// caller's capacity.
#include <algorithm>
#include <climits>
#include <cwchar>
#include <vector>

#include <windows.h>

namespace {

template <class C>
UINT GetItemText(HWND dlg, int id, C* buf, int n, int (*get)(HWND, C*, int)) {
  if (!buf || n <= 0) return 0;
  buf[0] = 0;
  HWND c = GetDlgItem(dlg, id);
  return c ? static_cast<UINT>(get(c, buf, n)) : 0;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Strict decimal: [blanks] ['-' when signed] digits [blanks], within the type's range.
bool ParseItemInt(const wchar_t* s, bool isSigned, UINT* out) {
  while (IsBlank(*s)) ++s;
  bool negative = false;
  if (*s == L'-' && isSigned) {
    negative = true;
    ++s;
  }
  if (*s < L'0' || *s > L'9') return false;
  const int64_t limit = isSigned ? (negative ? int64_t{INT_MAX} + 1 : INT_MAX) : UINT_MAX;
  int64_t v = 0;
  for (; *s >= L'0' && *s <= L'9'; ++s) {
    v = v * 10 + (*s - L'0');
    if (v > limit) return false;
  }
  while (IsBlank(*s)) ++s;
  if (*s) return false;
  *out = static_cast<UINT>(negative ? -v : v);
  return true;
}

}  // namespace

LRESULT SendDlgItemMessageW(HWND dlg, int id, UINT msg, WPARAM w, LPARAM l) {
  HWND c = GetDlgItem(dlg, id);
  return c ? SendMessageW(c, msg, w, l) : 0;
}

LRESULT SendDlgItemMessageA(HWND dlg, int id, UINT msg, WPARAM w, LPARAM l) {
  HWND c = GetDlgItem(dlg, id);
  return c ? SendMessageA(c, msg, w, l) : 0;
}

UINT GetDlgItemTextW(HWND dlg, int id, LPWSTR buf, int n) { return GetItemText(dlg, id, buf, n, GetWindowTextW); }
UINT GetDlgItemTextA(HWND dlg, int id, LPSTR buf, int n) { return GetItemText(dlg, id, buf, n, GetWindowTextA); }

BOOL SetDlgItemTextW(HWND dlg, int id, LPCWSTR text) {
  HWND c = GetDlgItem(dlg, id);
  return c ? SetWindowTextW(c, text) : FALSE;
}

BOOL SetDlgItemTextA(HWND dlg, int id, LPCSTR text) {
  HWND c = GetDlgItem(dlg, id);
  return c ? SetWindowTextA(c, text) : FALSE;
}

UINT GetDlgItemInt(HWND dlg, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  HWND c = GetDlgItem(dlg, id);
  if (!c) return 0;
  // The whole text is read: a number followed by anything else is no number.
  std::vector<wchar_t> text(static_cast<size_t>(std::clamp(GetWindowTextLengthW(c), 0, 32767)) + 1, 0);
  GetWindowTextW(c, text.data(), static_cast<int>(text.size()));
  UINT v = 0;
  if (!ParseItemInt(text.data(), isSigned != FALSE, &v)) return 0;
  if (translated) *translated = TRUE;
  return v;
}

BOOL SetDlgItemInt(HWND dlg, int id, UINT value, BOOL isSigned) {
  wchar_t text[16];
  if (isSigned) {
    std::swprintf(text, 16, L"%d", static_cast<int>(value));
  } else {
    std::swprintf(text, 16, L"%u", value);
  }
  return SetDlgItemTextW(dlg, id, text);
}

UINT IsDlgButtonChecked(HWND dlg, int id) { return static_cast<UINT>(SendDlgItemMessageW(dlg, id, BM_GETCHECK, 0, 0)); }

BOOL CheckDlgButton(HWND dlg, int id, UINT state) {
  HWND c = GetDlgItem(dlg, id);
  if (!c) return FALSE;
  SendMessageW(c, BM_SETCHECK, state, 0);
  return TRUE;
}
