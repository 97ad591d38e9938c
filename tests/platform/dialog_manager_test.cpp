// The dialog manager on a test dialog with every control kind: the WM_INITDIALOG focus rule, Tab
// order, Enter, Escape, Space, mnemonics, WM_CLOSE, EndDialog, the owner while the dialog is open,
// the redraw of owner-drawn items, and what opens nothing.
#include "dialog_test_util.h"

namespace {

using namespace dlgtest;
using plat::test::KeyDown;
using plat::test::KeyPress;
using plat::test::KeyUp;

constexpr DWORD kHiddenEdit = WS_CHILD | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;  // no WS_VISIBLE

constexpr DlgItemT kItems[] = {
    DlgLText(600, L"Mode", 4, 4, 40, 8),
    DlgComboBox(620, 50, 2, 66, 50, WS_VSCROLL),
    DlgEdit(621, 50, 16, 66, 12),
    {DlgKind::Edit, 622, nullptr, 50, 30, 66, 12, kHiddenEdit},
    DlgEdit(623, 50, 44, 66, 12, WS_DISABLED),
    DlgCheckBox(630, L"&Ice", 4, 58, 50, 10),
    DlgPushButton(640, L"&Monitor GPS", 4, 70, 60, 14),
    DlgOwnerDrawButton(650, 70, 70, 20, 14),
    DlgGroupBox(660, L"Lines", 2, 86, 116, 44),
    DlgListBox(670, 6, 96, 108, 30, WS_BORDER | WS_VSCROLL),
    DlgCText(680, L"Maximum 11 characters", 4, 132, 112, 8),
};
constexpr DlgTemplateT kDialog = DlgDef(L"Every", L"Every Control", kHandheldStyle | DS_CENTER, WS_EX_CAPTIONOKBTN,
                                        0, 0, 120, 142, L"MS Sans Serif", 9, kItems);

constexpr DlgItemT kDefaultItems[] = {
    DlgEdit(621, 4, 4, 60, 12),
    DlgPushButton(640, L"&Monitor", 4, 20, 50, 14),
    DlgDefPushButton(645, L"&Apply", 60, 20, 50, 14),
    DlgPushButton(IDCANCEL, L"Cancel", 4, 36, 50, 14),
};
constexpr DlgTemplateT kDefaultDialog = DlgDef(L"Default", L"Display Options", kDesktopStyle | DS_CENTER, 0, 0, 0,
                                               120, 56, L"MS Sans Serif", 10, kDefaultItems);

using Commands = std::vector<std::pair<int, int>>;

class ManagerTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    plat::test::UseVirtualClock(1000, plat::test::MakeSystemTime(2024, 5, 1), plat::test::ClockMode::Auto);
  }
  // The procedure keeps every command and ends only through EndDialog calls of the test.
  void KeepOpen() {
    OnDlg(WM_COMMAND, [](HWND, WPARAM, LPARAM) -> INT_PTR { return TRUE; });
  }
  // WM_COMMAND ids and codes the procedure saw since the last call, without the edits' and the
  // combo box's focus notifications.
  Commands TakeCommands() {
    const Commands c = script.Commands();
    Commands out;
    for (size_t i = taken_; i < c.size(); ++i) {
      const auto [id, code] = c[i];
      if (code == EN_SETFOCUS || code == EN_KILLFOCUS) continue;
      if (id == 620 && (code == CBN_SETFOCUS || code == CBN_KILLFOCUS)) continue;
      out.push_back(c[i]);
    }
    taken_ = c.size();
    return out;
  }
  static void ShiftTab() {
    KeyDown(VK_SHIFT);
    KeyPress(VK_TAB);
    KeyUp(VK_SHIFT);
  }
  static void Alt(int vk) {
    KeyDown(VK_MENU);
    KeyPress(vk);
    KeyUp(VK_MENU);
  }
  static LRESULT Sel(HWND h, int id) { return SendDlgItemMessageW(h, id, CB_GETCURSEL, 0, 0); }

 private:
  size_t taken_ = 0;
};

TEST_F(ManagerTest, InitDialogGivesTheFirstTabStopTheFocusAtOnce) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  HFONT font = nullptr;
  OnDlg(WM_SETFONT, [&](HWND, WPARAM w, LPARAM) -> INT_PTR {
    font = reinterpret_cast<HFONT>(w);
    return FALSE;
  });
  Steps({[&](HWND h) {
    EXPECT_EQ(GetFocus(), GetDlgItem(h, 620));
    EXPECT_EQ(SendMessageW(h, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
    EXPECT_EQ(SendDlgItemMessageW(h, 621, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
    KeyPress(VK_ESCAPE);
  }});
  HWND first = nullptr;
  OnDlg(WM_INITDIALOG, [&](HWND h, WPARAM, LPARAM) -> INT_PTR {
    first = GetDlgItem(h, 620);
    return TRUE;
  });
  EXPECT_EQ(Run(kDialog, main, 77), IDCANCEL);
  ASSERT_NE(font, nullptr);
  std::vector<wintest::Seen> log;
  {
    std::lock_guard<std::mutex> lock(script.mutex);
    log = script.log;
  }
  size_t init = 0;
  while (init < log.size() && log[init].msg != WM_INITDIALOG) ++init;
  ASSERT_LT(init + 1, log.size());
  EXPECT_EQ(log[init].lParam, 77);
  HWND combo = reinterpret_cast<HWND>(log[init].wParam);  // the first visible, enabled tab stop
  EXPECT_EQ(combo, first);
  // The combo box's CBN_SETFOCUS comes straight after WM_INITDIALOG, before the dialog shows.
  EXPECT_EQ(log[init + 1].msg, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(log[init + 1].wParam, static_cast<WPARAM>(MAKEWPARAM(620, CBN_SETFOCUS)));
  EXPECT_EQ(reinterpret_cast<HWND>(log[init + 1].lParam), combo);
}

TEST_F(ManagerTest, AProcedureReturningFalseFromInitDialogSetsTheFocusItself) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  OnDlg(WM_INITDIALOG, [](HWND h, WPARAM, LPARAM) -> INT_PTR {
    SetFocus(GetDlgItem(h, 621));
    return FALSE;
  });
  HWND focus = nullptr;
  Steps({[&](HWND h) {
    focus = GetFocus();
    EXPECT_EQ(focus, GetDlgItem(h, 621));
    KeyPress(VK_ESCAPE);
  }});
  EXPECT_EQ(Run(kDialog, main), IDCANCEL);
  EXPECT_NE(focus, nullptr);
  for (auto [id, code] : script.Commands()) EXPECT_NE(code, CBN_SETFOCUS) << id;
}

TEST_F(ManagerTest, TabSkipsHiddenAndDisabledControlsAndWraps) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  OnDlg(WM_INITDIALOG, [](HWND h, WPARAM, LPARAM) -> INT_PTR {
    SetDlgItemTextW(h, 621, L"Line 10");
    return TRUE;
  });
  std::vector<int> order;
  DWORD sel = 0;
  // Each step notes the focus, then presses its keys.
  auto step = [&](std::function<void(HWND)> keys) {
    return [&order, keys](HWND h) {
      order.push_back(GetDlgCtrlID(GetFocus()));
      keys(h);
    };
  };
  auto tab = [](HWND) { KeyPress(VK_TAB); };
  auto shiftTab = [](HWND) { ShiftTab(); };
  Steps({
      step(tab),
      step([&](HWND h) {
        // Entered by Tab: the edit's text is all selected.
        sel = static_cast<DWORD>(SendDlgItemMessageW(h, 621, EM_GETSEL, 0, 0));
        KeyPress(VK_TAB);
      }),
      step(tab),
      step(tab),
      step(tab),
      step(tab),
      step(shiftTab),
      step(shiftTab),
      step([](HWND h) {
        // Showing and enabling brings the skipped edits into the order.
        ShowWindow(GetDlgItem(h, 622), SW_SHOW);
        EnableWindow(GetDlgItem(h, 623), TRUE);
        SetFocus(GetDlgItem(h, 621));
        KeyPress(VK_TAB);
        KeyPress(VK_TAB);
      }),
      step([](HWND) { KeyPress(VK_ESCAPE); }),
  });
  EXPECT_EQ(Run(kDialog, main), IDCANCEL);
  EXPECT_EQ(order, (std::vector<int>{620, 621, 630, 640, 650, 670, 620, 670, 650, 623}));
  EXPECT_EQ(LOWORD(sel), 0);
  EXPECT_EQ(HIWORD(sel), 7);
}

TEST_F(ManagerTest, EnterPressesTheFocusedPushButtonElseTheDefaultButtonElseIdOk) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  KeepOpen();
  Commands noDefault[3];
  Steps({
      [&](HWND h) {
        SetFocus(GetDlgItem(h, 640));
        KeyPress(VK_RETURN);
      },
      [&](HWND h) {
        noDefault[0] = TakeCommands();
        SetFocus(GetDlgItem(h, 621));
        KeyPress(VK_RETURN);
      },
      [&](HWND h) {
        noDefault[1] = TakeCommands();
        SetFocus(GetDlgItem(h, 630));  // a check box is no push button
        KeyPress(VK_RETURN);
      },
      [&](HWND h) {
        noDefault[2] = TakeCommands();
        EndDialog(h, 1);
      },
  });
  EXPECT_EQ(Run(kDialog, main), 1);
  EXPECT_EQ(noDefault[0], (Commands{{640, BN_CLICKED}}));
  EXPECT_EQ(noDefault[1], (Commands{{IDOK, BN_CLICKED}}));
  EXPECT_EQ(noDefault[2], (Commands{{IDOK, BN_CLICKED}}));
  for (const wintest::Seen& s : script.Of(WM_COMMAND)) {
    if (LOWORD(s.wParam) == IDOK) {
      EXPECT_EQ(s.lParam, 0);  // the template has no OK button
    }
  }
}

TEST_F(ManagerTest, TheDefaultButtonComesFromTheTemplateAndDmSetDefId) {
  ResetTo(plat::Profile::Desktop);
  plat::test::UseVirtualClock(1000, plat::test::MakeSystemTime(2024, 5, 1), plat::test::ClockMode::Auto);
  HWND main = Top(WS_VISIBLE | WS_CAPTION, {0, 0, 800, 574});
  KeepOpen();
  Commands got[3];
  LRESULT defId = 0;
  DWORD styles[2] = {};
  Steps({
      [&](HWND h) {
        defId = SendMessageW(h, DM_GETDEFID, 0, 0);
        EXPECT_EQ(GetFocus(), GetDlgItem(h, 621));
        KeyPress(VK_RETURN);
      },
      [&](HWND h) {
        got[0] = TakeCommands();
        SendMessageW(h, DM_SETDEFID, 640, 0);
        styles[0] = static_cast<DWORD>(GetWindowLongW(GetDlgItem(h, 640), GWL_STYLE)) & BS_TYPEMASK;
        styles[1] = static_cast<DWORD>(GetWindowLongW(GetDlgItem(h, 645), GWL_STYLE)) & BS_TYPEMASK;
        KeyPress(VK_RETURN);
      },
      [&](HWND h) {
        got[1] = TakeCommands();
        EnableWindow(GetDlgItem(h, 640), FALSE);  // a disabled default button is not pressed
        KeyPress(VK_RETURN);
      },
      [&](HWND) {
        got[2] = TakeCommands();
        KeyPress(VK_ESCAPE);
      },
      [&](HWND h) {
        // Escape names the Cancel button as the control.
        const auto all = script.Of(WM_COMMAND);
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(all.back().wParam, static_cast<WPARAM>(MAKEWPARAM(IDCANCEL, BN_CLICKED)));
        EXPECT_EQ(reinterpret_cast<HWND>(all.back().lParam), GetDlgItem(h, IDCANCEL));
        EndDialog(h, 4);
      },
  });
  EXPECT_EQ(Run(kDefaultDialog, main), 4);
  EXPECT_EQ(defId, MAKELONG(645, DC_HASDEFID));
  EXPECT_EQ(got[0], (Commands{{645, BN_CLICKED}}));
  EXPECT_EQ(styles[0], static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(styles[1], static_cast<DWORD>(BS_PUSHBUTTON));
  EXPECT_EQ(got[1], (Commands{{640, BN_CLICKED}}));
  EXPECT_TRUE(got[2].empty());
}

TEST_F(ManagerTest, EscapeAndWmCloseCancelThroughTheProcedureAndTheLayerNeverEndsTheDialog) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  KeepOpen();
  Commands got[3];
  LRESULT sent = -1;
  bool open = false;
  Steps({
      [&](HWND) { KeyPress(VK_ESCAPE); },
      [&](HWND h) {
        got[0] = TakeCommands();
        sent = SendMessageW(h, WM_CLOSE, 0, 0);
        got[1] = TakeCommands();  // posted, not sent: nothing yet
      },
      [&](HWND h) {
        got[1] = TakeCommands();
        PostMessageW(h, WM_CLOSE, 0, 0);
      },
      [&](HWND h) {
        got[2] = TakeCommands();
        open = IsWindowVisible(h) != FALSE;
        EndDialog(h, 42);
      },
  });
  EXPECT_EQ(Run(kDialog, main), 42);
  EXPECT_EQ(got[0], (Commands{{IDCANCEL, BN_CLICKED}}));
  EXPECT_EQ(sent, 0);
  EXPECT_EQ(got[1], (Commands{{IDCANCEL, BN_CLICKED}}));
  EXPECT_EQ(got[2], (Commands{{IDCANCEL, BN_CLICKED}}));
  EXPECT_TRUE(open);
  EXPECT_EQ(script.Of(WM_CLOSE).size(), 2u);
  for (const wintest::Seen& s : script.Of(WM_COMMAND)) {
    if (LOWORD(s.wParam) == IDCANCEL) {
      EXPECT_EQ(s.lParam, 0);  // no Cancel button
    }
  }
}

TEST_F(ManagerTest, EndDialogInsideInitDialogNeverShowsTheDialog) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  HWND field = Kid(main, 4, {0, 0, 100, 20});
  SetFocus(field);
  bool opened = false;
  WhenOpen([&](HWND) { opened = true; });
  BOOL second = TRUE;
  OnDlg(WM_INITDIALOG, [&](HWND h, WPARAM, LPARAM) -> INT_PTR {
    SetFocus(GetDlgItem(h, 621));
    EndDialog(h, 6);
    second = EndDialog(h, 7);
    return TRUE;
  });
  EXPECT_EQ(Run(kDialog, main), 6);
  EXPECT_FALSE(opened);
  EXPECT_FALSE(second);
  EXPECT_TRUE(script.Of(WM_SHOWWINDOW).empty());
  EXPECT_EQ(script.Of(WM_DESTROY).size(), 1u);
  EXPECT_EQ(FindWindowW(nullptr, L"Every Control"), nullptr);
  EXPECT_EQ(GetFocus(), field);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(plat::test::ModalStack().empty());
}

TEST_F(ManagerTest, TheOwnersTopLevelWindowIsDisabledMeanwhileThenEnabledWithItsFocusBack) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  HWND field = Kid(main, 4, {0, 200, 100, 220});
  HWND curve = Kid(main, 5, {0, 0, 240, 100}, WS_CHILD);  // a hidden child owns the dialog
  SetFocus(field);
  bool disabled = false;
  HWND owner = nullptr;
  Steps({[&](HWND h) {
    disabled = !IsWindowEnabled(main);
    const auto stack = plat::test::ModalStack();
    owner = stack.empty() ? nullptr : stack.back().owner;
    EXPECT_TRUE(IsWindowEnabled(curve));
    EXPECT_EQ(SetFocus(field), nullptr);  // refused while the dialog is open
    EXPECT_EQ(GetFocus(), GetDlgItem(h, 620));
    EXPECT_EQ(GetActiveWindow(), h);
    EXPECT_EQ(GetParent(h), main);
    KeyPress(VK_ESCAPE);
  }});
  EXPECT_EQ(Run(kDialog, curve), IDCANCEL);
  EXPECT_TRUE(disabled);
  EXPECT_EQ(owner, main);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(GetFocus(), field);
  EXPECT_EQ(GetActiveWindow(), main);
}

TEST_F(ManagerTest, AMissingTemplateOrAFailedCreationOpensNothing) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  HWND field = Kid(main, 4, {0, 0, 100, 20});
  SetFocus(field);
  bool opened = false;
  WhenOpen([&](HWND) { opened = true; });
  EXPECT_EQ(DialogBoxParamW(nullptr, L"GetNewLine", main, ScriptedDlgProc, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(DialogBoxW(nullptr, MAKEINTRESOURCEW(5), main, ScriptedDlgProc), -1);
  EXPECT_EQ(DialogBoxParamA(nullptr, "GetNewLine", main, ScriptedDlgProc, 0), -1);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, nullptr, main, ScriptedDlgProc, 0), -1);
  EXPECT_EQ(Run(kDialog, reinterpret_cast<HWND>(uintptr_t{0x999998})), -1);  // no such owner
  plat::test::FailCreateWindow(L"edit");
  EXPECT_EQ(Run(kDialog, main), -1);  // a control cannot be made
  EXPECT_FALSE(opened);
  EXPECT_TRUE(script.log.empty());
  EXPECT_EQ(FindWindowW(nullptr, L"Every Control"), nullptr);
  EXPECT_EQ(GetFocus(), field);
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(ManagerTest, ARegisteredTemplateIsFoundByNameIgnoringCase) {
  static constexpr DlgTemplateT registered[] = {kDefaultDialog};
  ResourceTableT table;
  table.dialogs = registered;
  table.dialogCount = 1;
  plat::RegisterResources(table);
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  OnDlg(WM_INITDIALOG, [](HWND h, WPARAM, LPARAM) -> INT_PTR {
    EndDialog(h, 8);
    return TRUE;
  });
  EXPECT_EQ(DialogBoxParamW(nullptr, L"DEFAULT", main, ScriptedDlgProc, 0), 8);
  EXPECT_EQ(DialogBoxA(nullptr, "default", main, ScriptedDlgProc), 8);
}

TEST_F(ManagerTest, SpaceAndMnemonicsClickButtonsAndCheckBoxes) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  KeepOpen();
  Commands got[5];
  UINT checks[3] = {};
  wchar_t typed[8] = {};
  Steps({
      [&](HWND h) {
        SetFocus(GetDlgItem(h, 630));
        KeyPress(VK_SPACE);
      },
      [&](HWND h) {
        got[0] = TakeCommands();
        checks[0] = IsDlgButtonChecked(h, 630);
        SetFocus(GetDlgItem(h, 621));
        Alt('I');  // Alt+letter from anywhere
      },
      [&](HWND h) {
        got[1] = TakeCommands();
        checks[1] = IsDlgButtonChecked(h, 630);
        EXPECT_EQ(GetFocus(), GetDlgItem(h, 621));  // a mnemonic does not move the focus
        KeyPress('M');                              // a bare letter in an edit is typed
        Alt('Z');                                   // no such mnemonic
      },
      [&](HWND h) {
        got[2] = TakeCommands();
        GetDlgItemTextW(h, 621, typed, 8);
        SetFocus(GetDlgItem(h, 640));
        KeyPress('I');  // a bare letter on a focused button is a mnemonic
      },
      [&](HWND h) {
        got[3] = TakeCommands();
        checks[2] = IsDlgButtonChecked(h, 630);
        SetFocus(GetDlgItem(h, 630));
        KeyPress('M');
      },
      [&](HWND h) {
        got[4] = TakeCommands();
        EndDialog(h, 1);
      },
  });
  EXPECT_EQ(Run(kDialog, main), 1);
  EXPECT_EQ(got[0], (Commands{{630, BN_CLICKED}}));
  EXPECT_EQ(checks[0], static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(got[1], (Commands{{630, BN_CLICKED}}));
  EXPECT_EQ(checks[1], static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(got[2], (Commands{{621, EN_UPDATE}, {621, EN_CHANGE}}));
  EXPECT_STREQ(typed, L"m");
  EXPECT_EQ(got[3], (Commands{{630, BN_CLICKED}}));
  EXPECT_EQ(checks[2], static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(got[4], (Commands{{640, BN_CLICKED}}));
}

TEST_F(ManagerTest, ArrowsAndListKeysGoToTheFocusedComboBox) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  KeepOpen();
  OnDlg(WM_INITDIALOG, [](HWND h, WPARAM, LPARAM) -> INT_PTR {
    for (const wchar_t* s : {L"Auto", L"Wheel", L"Manual"}) {
      SendDlgItemMessageW(h, 620, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    }
    SendDlgItemMessageW(h, 620, CB_SETCURSEL, 0, 0);
    return TRUE;
  });
  Commands got[4];
  LRESULT sel[3] = {};
  Steps({
      [&](HWND) {
        TakeCommands();
        KeyPress(VK_DOWN);
      },
      [&](HWND h) {
        got[0] = TakeCommands();
        sel[0] = Sel(h, 620);
        KeyPress(VK_RETURN);  // a closed box leaves Enter to the dialog
      },
      [&](HWND) {
        got[1] = TakeCommands();
        KeyPress(VK_F4);
        KeyPress(VK_DOWN);
        KeyPress(VK_RETURN);  // the open list accepts
      },
      [&](HWND h) {
        got[2] = TakeCommands();
        sel[1] = Sel(h, 620);
        KeyPress(VK_F4);
        KeyPress(VK_UP);
        KeyPress(VK_ESCAPE);  // the open list cancels; the dialog stays
      },
      [&](HWND h) {
        got[3] = TakeCommands();
        sel[2] = Sel(h, 620);
        EndDialog(h, 1);
      },
  });
  EXPECT_EQ(Run(kDialog, main), 1);
  EXPECT_EQ(got[0], (Commands{{620, CBN_SELCHANGE}}));
  EXPECT_EQ(sel[0], 1);
  EXPECT_EQ(got[1], (Commands{{IDOK, BN_CLICKED}}));
  EXPECT_EQ(got[2], (Commands{{620, CBN_DROPDOWN}, {620, CBN_SELCHANGE}, {620, CBN_SELENDOK}, {620, CBN_CLOSEUP}}));
  EXPECT_EQ(sel[1], 2);
  EXPECT_EQ(got[3], (Commands{{620, CBN_DROPDOWN}, {620, CBN_SELENDCANCEL}, {620, CBN_CLOSEUP}}));
  EXPECT_EQ(sel[2], 2);
}

TEST_F(ManagerTest, RedrawWithAllChildrenRepaintsTheOwnerDrawnButton) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  auto drawn = [&] {
    size_t n = 0;
    for (const wintest::Seen& s : script.Of(WM_DRAWITEM)) {
      n += reinterpret_cast<const DRAWITEMSTRUCT*>(s.lParam) != nullptr;
    }
    return n;
  };
  OnDlg(WM_DRAWITEM, [](HWND, WPARAM w, LPARAM l) -> INT_PTR {
    const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
    EXPECT_EQ(w, 650u);
    EXPECT_EQ(d->CtlID, 650u);
    return TRUE;
  });
  size_t counts[3] = {};
  Steps({
      [&](HWND h) {
        counts[0] = drawn();
        InvalidateRect(h, nullptr, TRUE);  // the handheld clips children: only the dialog
      },
      [&](HWND h) {
        counts[1] = drawn();
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      },
      [&](HWND h) {
        counts[2] = drawn();
        EndDialog(h, 1);
      },
  });
  EXPECT_EQ(Run(kDialog, main), 1);
  EXPECT_GE(counts[0], 1u);
  EXPECT_EQ(counts[1], counts[0]);
  EXPECT_EQ(counts[2], counts[0] + 1);
}

TEST_F(ManagerTest, AnAnsiDialogTalksInCp1252) {
  ResetTo(plat::Profile::Desktop);
  static constexpr DlgTemplateT registered[] = {kDialog};
  ResourceTableT table;
  table.dialogs = registered;
  table.dialogCount = 1;
  plat::RegisterResources(table);
  HWND main = Top(WS_VISIBLE | WS_CAPTION, {0, 0, 800, 574});
  char text[16] = {};
  char item[16] = {};
  OnDlg(WM_INITDIALOG, [&](HWND h, WPARAM, LPARAM) -> INT_PTR {
    SetDlgItemTextA(h, 621, "Caf\xe9");
    GetDlgItemTextA(h, 621, text, 16);
    SendDlgItemMessageA(h, 620, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Na\xefve"));
    SendDlgItemMessageA(h, 620, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EndDialog(h, 2);
    return TRUE;
  });
  EXPECT_EQ(DialogBoxParamA(nullptr, "every", main, ScriptedDlgProc, 0), 2);
  EXPECT_STREQ(text, "Caf\xe9");
  EXPECT_STREQ(item, "Na\xefve");
}

TEST_F(ManagerTest, QuitEndsTheDialogWithZeroAndIsPostedAgain) {
  HWND main = Top(WS_VISIBLE, {0, 0, 240, 320});
  KeepOpen();
  Steps({[](HWND) { PostQuitMessage(3); }});
  EXPECT_EQ(Run(kDialog, main), 0);
  MSG msg;
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(EndDialog(main, 1));  // not a dialog
  EXPECT_FALSE(EndDialog(nullptr, 1));
}

}  // namespace
