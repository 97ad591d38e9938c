// The desktop profile as an 8-bit program sees it: built without UNICODE, so the unsuffixed names
// and IDC_ARROW take their "A" forms; window frames, message-box modality, CP1252 bytes through the
// controls and the closed drop-down height at the desktop dialog fonts.
#undef UNICODE
#undef _UNICODE
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <type_traits>

namespace {

// The unsuffixed names the desktop program calls resolve to the 8-bit entry points.
static_assert(std::is_same_v<decltype(IDC_ARROW), LPSTR>);
static_assert(std::is_same_v<WNDCLASS, WNDCLASSA>);
static_assert(std::is_same_v<OPENFILENAME, OPENFILENAMEA>);

LRESULT CALLBACK PlainProc(HWND h, UINT msg, WPARAM w, LPARAM l) { return DefWindowProc(h, msg, w, l); }

class DesktopProfile : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset(plat::Profile::Desktop);
    WNDCLASS wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "DesktopTestWnd";
    ASSERT_NE(wc.hCursor, nullptr);
    ASSERT_NE(RegisterClass(&wc), 0);
    main = CreateWindowEx(0, "DesktopTestWnd", "main", WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0, 800, 574,
                          nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(main, nullptr);
  }
  void TearDown() override { plat::test::Reset(); }

  HWND Child(const char* cls, DWORD style, int x, int y, int cx, int cy, int id = 0) {
    return CreateWindowEx(0, cls, "", WS_CHILD | style, x, y, cx, cy, main,
                          reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
  }
  static SIZE Client(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    return {r.right - r.left, r.bottom - r.top};
  }
  static int Height(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r.bottom - r.top;
  }

  HWND main = nullptr;
};

TEST_F(DesktopProfile, FramesModalityTextsAndDropDowns) {
  const char kCp1252[] = "\xE9t\xE9 \x80 5\xB0";  // é t é, the euro sign, the degree sign
  const struct Case {
    const char* what;
    std::function<void()> check;
  } cases[] = {
      {"the 800x574 main window has a 794x549 client",
       [&] {
         const SIZE c = Client(main);
         EXPECT_EQ(c.cx, 794);
         EXPECT_EQ(c.cy, 549);
       }},
      {"a 760x384 child with a border has a 758x382 client",
       [&] {
         HWND plot = Child("DesktopTestWnd", WS_VISIBLE | WS_BORDER, 17, 40, 760, 384);
         const SIZE c = Client(plot);
         EXPECT_EQ(c.cx, 758);
         EXPECT_EQ(c.cy, 382);
       }},
      {"a message box owned by a hidden child is modal to the main window",
       [&] {
         HWND hidden = Child("DesktopTestWnd", 0, 0, 0, 100, 100);
         bool mainDisabledInside = false;
         plat::test::OnModal(plat::test::ModalKind::MessageBox, L"WARNING", [&](plat::test::ModalContext& m) {
           mainDisabledInside = IsWindowEnabled(main) == FALSE;
           m.Answer(IDOK);
         });
         EXPECT_EQ(MessageBox(hidden, "text", "WARNING", MB_OK | MB_ICONEXCLAMATION), IDOK);
         EXPECT_TRUE(mainDisabledInside);
         EXPECT_TRUE(IsWindowEnabled(main));
       }},
      {"CP1252 bytes go through the A calls of a list box and a combo box unchanged",
       [&] {
         const struct {
           const char* cls;
           DWORD style;
           UINT add, get;
         } lists[] = {{"LISTBOX", 0, LB_ADDSTRING, LB_GETTEXT}, {"COMBOBOX", CBS_DROPDOWNLIST, CB_ADDSTRING, CB_GETLBTEXT}};
         for (const auto& l : lists) {
           HWND list = Child(l.cls, WS_VISIBLE | l.style, 10, 10, 120, 80);
           SendMessage(list, l.add, 0, reinterpret_cast<LPARAM>(kCp1252));
           char back[32] = {};
           SendMessage(list, l.get, 0, reinterpret_cast<LPARAM>(back));
           EXPECT_STREQ(back, kCp1252) << l.cls;
         }
       }},
      {"CP1252 bytes go through the A calls of an edit unchanged",
       [&] {
         HWND edit = Child("EDIT", WS_VISIBLE | ES_LEFT, 10, 10, 120, 24);
         SetWindowText(edit, kCp1252);
         char back[32] = {};
         EXPECT_EQ(GetWindowText(edit, back, sizeof back), static_cast<int>(strlen(kCp1252)));
         EXPECT_STREQ(back, kCp1252);
       }},
      {"a closed drop-down list is 24 px high in the 10-pt dialog font and 21 px in the 8-pt one",
       [&] {
         const struct {
           LONG cell;  // the font's cell height: 16 at 10 pt, 13 at 8 pt
           int closed;
         } fonts[] = {{16, 24}, {13, 21}};
         for (const auto& f : fonts) {
           LOGFONT lf{};
           lf.lfHeight = f.cell;
           HFONT font = CreateFontIndirect(&lf);
           HWND combo = Child("COMBOBOX", WS_VISIBLE | CBS_DROPDOWNLIST, 10, 10, 120, 120);
           SendMessage(combo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
           EXPECT_EQ(Height(combo), f.closed) << "cell " << f.cell;
           DestroyWindow(combo);
           DeleteObject(font);
         }
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.check();
  }
}

}  // namespace
