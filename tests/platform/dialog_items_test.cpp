// The dialog item functions: missing controls read as 0 or an empty text and setting them does
// nothing, every text read is bounded by the caller's capacity, and the integer reads are strict.
#include <cstring>
#include <cwchar>

#include "dialog_test_util.h"

namespace {

using namespace dlgtest;

constexpr UINT kCbGetCurSel = 0x0147;

class ItemsTest : public DialogTest {
 protected:
  // A window with one child of id 7 holding `text` (as the dialog's item functions see any window).
  HWND Panel(const wchar_t* text) {
    HWND main = Top();
    HWND item = Kid(main, 7, {0, 0, 50, 20});
    SetWindowTextW(item, text);
    return main;
  }
};

TEST_F(ItemsTest, AMissingControlReadsAsZeroOrEmptyAndSettingItDoesNothing) {
  static constexpr DlgTemplateT t{L"T", L"Empty", kHandheldStyle, 0, 0, 0, 50, 30, L"MS Sans Serif", 9, nullptr, 0};
  OnDlg(WM_INITDIALOG, [](HWND h, WPARAM, LPARAM) {
    wchar_t w[8] = L"xxxxxxx";
    char a[8] = "xxxxxxx";
    BOOL translated = TRUE;
    EXPECT_EQ(GetDlgItem(h, 620), nullptr);
    // A list the template lacks reads as position 0, not CB_ERR.
    EXPECT_EQ(SendDlgItemMessageW(h, 620, kCbGetCurSel, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(h, 620, kCbGetCurSel, 0, 0), 0);
    EXPECT_EQ(GetDlgItemTextW(h, 624, w, 8), 0u);
    EXPECT_EQ(w[0], L'\0');
    EXPECT_EQ(GetDlgItemTextA(h, 624, a, 8), 0u);
    EXPECT_EQ(a[0], '\0');
    EXPECT_FALSE(SetDlgItemTextW(h, 624, L"x"));
    EXPECT_FALSE(SetDlgItemTextA(h, 624, "x"));
    EXPECT_EQ(IsDlgButtonChecked(h, 5), 0u);
    EXPECT_FALSE(CheckDlgButton(h, 5, BST_CHECKED));
    EXPECT_EQ(GetDlgItemInt(h, 625, &translated, TRUE), 0u);
    EXPECT_FALSE(translated);
    EXPECT_FALSE(SetDlgItemInt(h, 625, 3, FALSE));
    EXPECT_FALSE(EnableWindow(GetDlgItem(h, 622), FALSE));
    EXPECT_FALSE(ShowWindow(GetDlgItem(h, 622), SW_HIDE));
    EndDialog(h, 3);
    return TRUE;
  });
  EXPECT_EQ(Run(t, Top()), 3);
  // A window that is gone behaves the same.
  wchar_t w[4] = L"abc";
  EXPECT_EQ(GetDlgItemTextW(reinterpret_cast<HWND>(uintptr_t{0x7777}), 1, w, 4), 0u);
  EXPECT_EQ(w[0], L'\0');
  EXPECT_EQ(SendDlgItemMessageW(nullptr, 1, WM_GETTEXTLENGTH, 0, 0), 0);
}

TEST_F(ItemsTest, TextReadsCopyAtMostTheCapacityLessOneAndAlwaysTerminate) {
  HWND panel = Panel(L"A line name far longer than eleven");
  struct Case {
    int n;
    UINT length;
  };
  const Case cases[] = {{12, 11}, {1, 0}, {35, 34}, {200, 34}};
  for (const Case& c : cases) {
    wchar_t w[210];
    char a[210];
    std::wmemset(w, L'#', 210);
    std::memset(a, '#', 210);
    EXPECT_EQ(GetDlgItemTextW(panel, 7, w, c.n), c.length) << c.n;
    EXPECT_EQ(w[c.length], L'\0');
    EXPECT_EQ(w[c.n], L'#');  // nothing past the capacity
    EXPECT_EQ(GetDlgItemTextA(panel, 7, a, c.n), c.length) << c.n;
    EXPECT_EQ(a[c.length], '\0');
    EXPECT_EQ(a[c.n], '#');
    EXPECT_EQ(std::wstring(w, c.length), std::wstring(L"A line name far longer than eleven").substr(0, c.length));
  }
  // No capacity, or no buffer: nothing is written.
  wchar_t w[2] = {L'#', L'#'};
  EXPECT_EQ(GetDlgItemTextW(panel, 7, w, 0), 0u);
  EXPECT_EQ(GetDlgItemTextW(panel, 7, w, -5), 0u);
  EXPECT_EQ(w[0], L'#');
  EXPECT_EQ(GetDlgItemTextW(panel, 7, nullptr, 12), 0u);
}

TEST_F(ItemsTest, AControlThatIgnoresTheCapacityStillEndsWithinIt) {
  HWND panel = Panel(L"");
  // A text handler that fills the whole buffer without a NUL and claims more than it wrote.
  On(WM_GETTEXT, [](HWND, WPARAM n, LPARAM buf, LRESULT* r) {
    auto* out = reinterpret_cast<wchar_t*>(buf);
    for (WPARAM i = 0; i < n; ++i) out[i] = L'z';
    *r = 1000;
    return true;
  });
  wchar_t w[13];
  std::wmemset(w, L'#', 13);
  EXPECT_EQ(GetDlgItemTextW(panel, 7, w, 12), 11u);
  EXPECT_EQ(w[11], L'\0');
  EXPECT_EQ(w[12], L'#');
}

TEST_F(ItemsTest, SettersAndButtonStatesGoToTheControl) {
  HWND panel = Panel(L"");
  HWND item = GetDlgItem(panel, 7);
  UINT checked = 0;
  On(BM_SETCHECK, [&](HWND, WPARAM w, LPARAM, LRESULT*) {
    checked = static_cast<UINT>(w);
    return true;
  });
  On(BM_GETCHECK, [&](HWND, WPARAM, LPARAM, LRESULT* r) {
    *r = checked;
    return true;
  });
  EXPECT_TRUE(SetDlgItemTextW(panel, 7, L"Line 10"));
  wchar_t w[16];
  GetWindowTextW(item, w, 16);
  EXPECT_STREQ(w, L"Line 10");
  EXPECT_TRUE(SetDlgItemTextA(panel, 7, "L\xe9ngth"));  // CP1252
  GetWindowTextW(item, w, 16);
  EXPECT_STREQ(w, L"L\u00e9ngth");
  EXPECT_TRUE(CheckDlgButton(panel, 7, BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(panel, 7), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(SendDlgItemMessageW(panel, 7, WM_GETTEXTLENGTH, 0, 0), 6);
  EXPECT_TRUE(SetDlgItemInt(panel, 7, static_cast<UINT>(-5), TRUE));
  GetWindowTextW(item, w, 16);
  EXPECT_STREQ(w, L"-5");
  EXPECT_TRUE(SetDlgItemInt(panel, 7, 4000000000u, FALSE));
  GetWindowTextW(item, w, 16);
  EXPECT_STREQ(w, L"4000000000");
}

TEST_F(ItemsTest, IntegerReadsAreStrictDecimal) {
  HWND panel = Panel(L"");
  struct Case {
    const wchar_t* text;
    BOOL isSigned;
    BOOL ok;
    UINT value;
  };
  const Case cases[] = {
      {L"42", FALSE, TRUE, 42},
      {L"  -7 ", TRUE, TRUE, static_cast<UINT>(-7)},
      {L"-7", FALSE, FALSE, 0},
      {L"-2147483648", TRUE, TRUE, 0x80000000u},
      {L"2147483648", TRUE, FALSE, 0},
      {L"4294967295", FALSE, TRUE, 0xFFFFFFFFu},
      {L"4294967296", FALSE, FALSE, 0},
      {L"99999999999999999999", FALSE, FALSE, 0},
      {L"12a", FALSE, FALSE, 0},
      {L"1e3", FALSE, FALSE, 0},
      {L"0x10", FALSE, FALSE, 0},
      {L"+5", TRUE, FALSE, 0},
      {L"", FALSE, FALSE, 0},
      {L" ", FALSE, FALSE, 0},
      {L"1                                                                          x", FALSE, FALSE, 0},
  };
  for (const Case& c : cases) {
    SetDlgItemTextW(panel, 7, c.text);
    BOOL ok = 2;
    EXPECT_EQ(GetDlgItemInt(panel, 7, &ok, c.isSigned), c.value) << std::wstring(c.text).size();
    EXPECT_EQ(ok, c.ok) << std::wstring(c.text).size();
  }
  SetDlgItemTextW(panel, 7, L"12");
  EXPECT_EQ(GetDlgItemInt(panel, 7, nullptr, FALSE), 12u);
}

}  // namespace
