// Common dialogs: the save and open dialogs' results and rules, the colour chooser, the module
// table behind LoadLibrary, their placement, and their loops serving sends and timers.
// test-labels: threads
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "window_test_util.h"

namespace {

using namespace wintest;
using plat::Profile;
using plat::test::BoxExpectation;
using plat::test::ModalContext;
using plat::test::ModalKind;

constexpr wchar_t kFilter[] = L"RZ12 Files (*.R12)\0*.R12\0\0";
constexpr wchar_t kTitle[] = L"Create Data File";

class CommdlgTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    plat::test::UseTempRoot();
    owner = Top(WS_VISIBLE, {0, 0, 240, 320}, L"Logging");
  }

  // The handheld's data-file dialog: the proposal in a 260-character buffer, no flags.
  OPENFILENAMEW SaveRequest(const wchar_t* initialDir, const wchar_t* defExt) {
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = initialDir;
    ofn.lpstrTitle = kTitle;
    ofn.lpstrDefExt = defExt;
    return ofn;
  }

  static void MakeFile(const wchar_t* path) {
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
  }

  HWND owner = nullptr;
  wchar_t file[MAX_PATH] = L"030514A";
};

// ---- The save dialog's result --------------------------------------------------------------

struct SaveCase {
  const char* name;
  Profile profile;
  const wchar_t* initialDir;
  const wchar_t* defExt;
  const wchar_t* typed;
  const wchar_t* path;
  WORD offset;
  WORD extension;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

class SaveResultTest : public CommdlgTest, public ::testing::WithParamInterface<SaveCase> {
 protected:
  void Reset() override { plat::test::Reset(GetParam().profile); }
};

TEST_P(SaveResultTest, TheTypedNameBecomesThePathWithItsOffsets) {
  const SaveCase& c = GetParam();
  OPENFILENAMEW ofn = SaveRequest(c.initialDir, c.defExt);
  HWND seen = nullptr;
  plat::test::OnModal(ModalKind::OpenSave, kTitle, [&](ModalContext& ctx) {
    seen = FindWindowW(nullptr, kTitle);
    EXPECT_EQ(seen, ctx.Window());
    EXPECT_EQ(ctx.Text(), L"030514A");
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_TRUE(ctx.ChooseFile(c.typed));
  });
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_NE(seen, nullptr);
  EXPECT_EQ(std::wstring(file), c.path);
  EXPECT_EQ(ofn.nFileOffset, c.offset);
  EXPECT_EQ(ofn.nFileExtension, c.extension);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(ofn.nFilterIndex, 1u);
  EXPECT_TRUE(IsWindowEnabled(owner));
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].result, TRUE);
  EXPECT_EQ(log[0].detail, c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveResultTest,
    ::testing::Values(
        SaveCase{"DefaultExtension", Profile::Handheld, L"\\Storage\\DATA12\\", L"R12", L"030514A",
                 L"\\Storage\\DATA12\\030514A.R12", 16, 24},
        SaveCase{"OwnExtension", Profile::Handheld, L"\\Storage\\DATA12\\", L"R12", L"030514A.TXT",
                 L"\\Storage\\DATA12\\030514A.TXT", 16, 24},
        SaveCase{"NoExtensionNoDefault", Profile::Handheld, L"\\Storage\\DATA12\\", nullptr, L"NOTES",
                 L"\\Storage\\DATA12\\NOTES", 16, 21},
        SaveCase{"LastDotCounts", Profile::Handheld, L"\\Storage\\DATA12\\", L"R12", L"a.b.c",
                 L"\\Storage\\DATA12\\a.b.c", 16, 20},
        SaveCase{"FullPathAsItIs", Profile::Handheld, L"\\Storage\\DATA12\\", L"R12", L"\\Storage\\X\\Y",
                 L"\\Storage\\X\\Y.R12", 11, 13},
        SaveCase{"RelativeFolderJoined", Profile::Handheld, L"C_DRIVE\\DATA12", L"R12", L"030514A",
                 L"C_DRIVE\\DATA12\\030514A.R12", 15, 23},
        SaveCase{"RootWithoutFolder", Profile::Handheld, nullptr, L"R12", L"030514A", L"\\030514A.R12", 1, 9},
        SaveCase{"SlashesSeparate", Profile::Handheld, L"\\Storage\\", L"R12", L"DATA12/030514A",
                 L"\\Storage\\DATA12\\030514A.R12", 16, 24},
        SaveCase{"DefaultWithItsDot", Profile::Handheld, L"\\Storage\\", L".R12", L"A", L"\\Storage\\A.R12", 9, 11},
        SaveCase{"DesktopCurrentFolder", Profile::Desktop, nullptr, L"R56", L"LINE1", L"C:\\LINE1.R56", 3, 9},
        SaveCase{"DesktopFolderJoined", Profile::Desktop, L"C:\\DATA\\", L"R12", L"x", L"C:\\DATA\\x.R12", 8, 10},
        SaveCase{"DesktopDrivePath", Profile::Desktop, L"C:\\DATA\\", nullptr, L"D:\\x", L"D:\\x", 3, 4}),
    [](const ::testing::TestParamInfo<SaveCase>& i) { return std::string(i.param.name); });

TEST_F(CommdlgTest, WithNoFlagsANewNameAndAnExistingOneComeBackWithoutAQuestion) {
  ASSERT_TRUE(CreateDirectoryW(L"\\Storage\\DATA12", nullptr));
  MakeFile(L"\\Storage\\DATA12\\030514A.R12");
  for (const wchar_t* typed : {L"030514A", L"030514B"}) {
    OPENFILENAMEW ofn = SaveRequest(L"\\Storage\\DATA12\\", L"R12");
    plat::test::ExpectSaveFile(typed);  // a box would be unexpected and fail the test
    ASSERT_TRUE(GetSaveFileNameW(&ofn)) << typed;
  }
  EXPECT_EQ(std::wstring(file), L"\\Storage\\DATA12\\030514B.R12");
  EXPECT_EQ(GetFileAttributesW(file), INVALID_FILE_ATTRIBUTES);  // the dialog creates nothing
}

TEST_F(CommdlgTest, CancelAndCloseGiveFalseAndLeaveTheBuffer) {
  OPENFILENAMEW ofn = SaveRequest(L"\\Storage\\DATA12\\", L"R12");
  plat::test::ExpectSaveFile(plat::test::kCancel);
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  plat::test::OnModal(ModalKind::OpenSave, kTitle, [](ModalContext& ctx) { ctx.Close(); });
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(std::wstring(file), L"030514A");
  // The connection watchdog closes the dialog by its title from a timer.
  On(WM_TIMER, [](HWND, WPARAM, LPARAM, LRESULT*) {
    SendMessageW(FindWindowW(nullptr, kTitle), WM_CLOSE, 0, 0);
    return true;
  });
  plat::test::OnModal(ModalKind::OpenSave, kTitle, [&](ModalContext&) { SetTimer(owner, 1, 10, nullptr); });
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  KillTimer(owner, 1);
  EXPECT_EQ(plat::test::ModalLog().size(), 3u);
}

TEST_F(CommdlgTest, TheCaptionOkBoxAcceptsTheProposal) {
  OPENFILENAMEW ofn = SaveRequest(L"\\Storage\\DATA12\\", L"R12");
  plat::test::OnModal(ModalKind::OpenSave, kTitle, [](ModalContext& ctx) { EXPECT_TRUE(ctx.ClickCaptionOk()); });
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(std::wstring(file), L"\\Storage\\DATA12\\030514A.R12");
}

// The list box's items, top to bottom.
std::vector<std::wstring> Items(HWND list) {
  std::vector<std::wstring> out;
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    wchar_t buf[MAX_PATH] = L"";
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    out.emplace_back(buf);
  }
  return out;
}

TEST_F(CommdlgTest, TheListShowsTheFilterFilesSortedAndAClickedOneBecomesTheName) {
  ASSERT_TRUE(CreateDirectoryW(L"\\Storage\\DATA12", nullptr));
  ASSERT_TRUE(CreateDirectoryW(L"\\Storage\\DATA12\\D.R12", nullptr));  // folders are not listed
  for (const wchar_t* f : {L"\\Storage\\DATA12\\b.R12", L"\\Storage\\DATA12\\A.r12", L"\\Storage\\DATA12\\c.txt"}) {
    MakeFile(f);
  }
  OPENFILENAMEW ofn = SaveRequest(L"\\Storage\\DATA12\\", L"R12");
  ofn.lpstrFilter = L"RZ12 Files (*.R12)\0*.R12\0All Files\0*.TXT; *.R12\0\0";
  plat::test::OnModal(ModalKind::OpenSave, kTitle, [&](ModalContext& ctx) {
    EXPECT_EQ(ctx.ControlText(plat::kFileNameId), L"030514A");
    HWND list = ctx.Control(plat::kFileListId);
    EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"A.r12", L"b.R12"}));
    EXPECT_TRUE(ctx.Select(plat::kFileTypesId, 1));
    EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"A.r12", L"b.R12", L"c.txt"}));
    // Items are a text line high inside the 1-px border: the third one, then Enter.
    plat::test::Click(list, 8, 1 + 2 * 14 + 7);
    plat::test::KeyPress(VK_RETURN);
  });
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(std::wstring(file), L"\\Storage\\DATA12\\c.txt");
  EXPECT_EQ(ofn.nFilterIndex, 2u);
}

TEST_F(CommdlgTest, TypedKeysReplaceTheProposalEnterSavesAndEscapeCancels) {
  OPENFILENAMEW ofn = SaveRequest(L"\\Storage\\DATA12\\", L"R12");
  plat::test::OnModal(ModalKind::OpenSave, kTitle, [](ModalContext&) {
    plat::test::TypeText("line7");  // the proposal is selected: typing replaces it
    plat::test::KeyPress(VK_RETURN);
  });
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(std::wstring(file), L"\\Storage\\DATA12\\line7.R12");
  plat::test::OnModal(ModalKind::OpenSave, kTitle, [](ModalContext& ctx) { ctx.Key(VK_ESCAPE); });
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

struct BufferCase {
  DWORD maxFile;
  DWORD maxTitle;  // 0: no title buffer
  std::wstring typed;
  bool fits;
};

TEST_F(CommdlgTest, AResultThatDoesNotFitIsRefusedWholeWithBufferTooSmall) {
  // "\Storage\DATA12\030514A.R12" is 27 characters; its title "030514A.R12" 11.
  const BufferCase cases[] = {
      {28, 0, L"030514A", true},           {27, 0, L"030514A", false},        {260, 12, L"030514A", true},
      {260, 11, L"030514A", false},        {260, 0, std::wstring(300, L'a'), false},
      {260, 0, std::wstring(239, L'a'), true},  // 16 + 239 + 4 = 259 characters and the NUL
  };
  for (const BufferCase& c : cases) {
    std::vector<wchar_t> buf(c.maxFile, L'#');
    std::vector<wchar_t> title(c.maxTitle + 1, L'#');
    buf[0] = 0;
    OPENFILENAMEW ofn = SaveRequest(L"\\Storage\\DATA12\\", L"R12");
    ofn.lpstrFile = buf.data();
    ofn.nMaxFile = c.maxFile;
    ofn.lpstrFileTitle = c.maxTitle ? title.data() : nullptr;
    ofn.nMaxFileTitle = c.maxTitle;
    plat::test::ExpectSaveFile(c.typed);
    const BOOL ok = GetSaveFileNameW(&ofn);
    EXPECT_EQ(ok != FALSE, c.fits) << c.maxFile << "/" << c.maxTitle << "/" << c.typed.size();
    if (c.fits) {
      EXPECT_EQ(CommDlgExtendedError(), 0u);
      EXPECT_EQ(std::wstring(buf.data()), L"\\Storage\\DATA12\\" + c.typed + L".R12");
      if (c.maxTitle) {
        EXPECT_EQ(std::wstring(title.data()), c.typed + L".R12");
      }
    } else {
      EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
      EXPECT_EQ(buf[0], L'\0');  // never a cut path
      EXPECT_EQ(buf[1], L'#');
    }
  }
}

TEST_F(CommdlgTest, AnInvalidNameSaysSoInItsOwnBoxAndTheDialogStaysOpen) {
  OPENFILENAMEW ofn = SaveRequest(L"\\Storage\\DATA12\\", L"R12");
  plat::test::OnModal(ModalKind::OpenSave, kTitle, [&](ModalContext& ctx) {
    for (const wchar_t* bad : {L"ab:c", L"a*b", L"a?b", L"a\"b", L"a<b", L"a>b", L"a|b", L"\\Storage\\", L"x\tb"}) {
      plat::test::ExpectMessageBox(BoxExpectation{L"File Name", L"Invalid file name", IDOK});
      EXPECT_TRUE(ctx.ChooseFile(bad));
      EXPECT_EQ(plat::test::PendingExpectations(), 0u) << "no box for " << bad;
      EXPECT_EQ(plat::test::ModalStack().size(), 1u);
    }
    EXPECT_TRUE(ctx.ChooseFile(L""));  // an empty name does nothing
    EXPECT_EQ(plat::test::ModalStack().size(), 1u);
    EXPECT_TRUE(ctx.ChooseFile(L"good"));
  });
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(std::wstring(file), L"\\Storage\\DATA12\\good.R12");
}

TEST_F(CommdlgTest, FlagsAskBeforeReplacingAndRequireAnExistingFileToOpen) {
  ASSERT_TRUE(CreateDirectoryW(L"\\Storage\\DATA12", nullptr));
  MakeFile(L"\\Storage\\DATA12\\OLD.R12");
  OPENFILENAMEW ofn = SaveRequest(L"\\Storage\\DATA12\\", L"R12");
  ofn.Flags = OFN_OVERWRITEPROMPT;
  plat::test::OnModal(ModalKind::OpenSave, kTitle, [&](ModalContext& ctx) {
    plat::test::ExpectMessageBox(BoxExpectation{L"Confirm Save", L"OLD.R12 already exists", IDNO});
    EXPECT_TRUE(ctx.ChooseFile(L"OLD"));
    EXPECT_EQ(plat::test::ModalStack().size(), 1u);
    plat::test::ExpectMessageBox(BoxExpectation{L"Confirm Save", L"", IDYES});
    EXPECT_TRUE(ctx.ChooseFile(L"OLD"));
  });
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(std::wstring(file), L"\\Storage\\DATA12\\OLD.R12");

  OPENFILENAMEW open = SaveRequest(L"\\Storage\\DATA12\\", L"R12");
  open.lpstrTitle = nullptr;
  open.Flags = OFN_FILEMUSTEXIST;
  plat::test::OnModal(ModalKind::OpenSave, L"Open", [&](ModalContext& ctx) {
    plat::test::ExpectMessageBox(BoxExpectation{L"File Name", L"File not found", IDOK});
    EXPECT_TRUE(ctx.ChooseFile(L"NEW"));
    EXPECT_EQ(plat::test::ModalStack().size(), 1u);
    EXPECT_TRUE(ctx.ChooseFile(L"old.r12"));
  });
  ASSERT_TRUE(GetOpenFileNameW(&open));
  EXPECT_EQ(std::wstring(file), L"\\Storage\\DATA12\\old.r12");
}

TEST_F(CommdlgTest, TheNarrowFormFillsTheTitleAndNarrowsToCp1252) {
  plat::test::Reset(Profile::Desktop);
  plat::test::UseTempRoot();
  char path[MAX_PATH] = "030514A";
  char title[MAX_PATH] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = "RZ12 Files (*.R12)\0*.R12\0RZ27 Files (*.R27)\0*.R27\0\0";
  ofn.nFilterIndex = 2;
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = MAX_PATH;
  ofn.lpstrInitialDir = "C:\\DATA\\";
  ofn.lpstrTitle = "Create Data File";
  ofn.lpstrDefExt = "R12";
  plat::test::OnModal(ModalKind::OpenSave, kTitle, [](ModalContext& ctx) {
    EXPECT_EQ(ctx.Text(), L"030514A");
    EXPECT_TRUE(ctx.ChooseFile(L"caf\u00e9"));
  });
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_STREQ(path, "C:\\DATA\\caf\xe9.R12");
  EXPECT_STREQ(title, "caf\xe9.R12");
  EXPECT_EQ(ofn.nFileOffset, 8);
  EXPECT_EQ(ofn.nFileExtension, 13);
  EXPECT_EQ(ofn.nFilterIndex, 2u);
}

TEST_F(CommdlgTest, BadRequestsOpenNothing) {
  EXPECT_FALSE(GetSaveFileNameW(nullptr));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
  OPENFILENAMEW ofn = SaveRequest(nullptr, nullptr);
  ofn.nMaxFile = 0;
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  ofn = SaveRequest(nullptr, nullptr);
  ofn.lpstrFile = nullptr;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
  HWND gone = Top();
  DestroyWindow(gone);
  ofn = SaveRequest(nullptr, nullptr);
  ofn.hwndOwner = gone;
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_DIALOGFAILURE));
  EXPECT_FALSE(ChooseColorW(nullptr));
  CHOOSECOLORW cc{};
  cc.hwndOwner = gone;
  EXPECT_FALSE(ChooseColorW(&cc));
  // A control that cannot be made: nothing opens either.
  plat::test::FailCreateWindow(L"EDIT");
  ofn = SaveRequest(nullptr, nullptr);
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_DIALOGFAILURE));
  plat::test::FailCreateWindow(L"BUTTON");
  cc.hwndOwner = owner;
  EXPECT_FALSE(ChooseColorW(&cc));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_DIALOGFAILURE));
  EXPECT_TRUE(plat::test::ModalLog().empty());
  EXPECT_EQ(FindWindowW(nullptr, kTitle), nullptr);
  EXPECT_EQ(FindWindowW(nullptr, L"Color"), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

// ---- Placement -------------------------------------------------------------------------------

struct PlacementCase {
  Profile profile;
  plat::test::Screen screen;
  RECT rect;
};

TEST_F(CommdlgTest, TheHandheldGivesTheWholeScreenAndTheDesktopCentres420By300) {
  const PlacementCase cases[] = {{Profile::Handheld, {240, 320}, {0, 0, 240, 320}},
                                 {Profile::Handheld, {320, 240}, {0, 0, 320, 240}},
                                 {Profile::Desktop, {800, 574}, {190, 137, 610, 437}},
                                 {Profile::Desktop, {1024, 768}, {302, 234, 722, 534}}};
  for (const PlacementCase& c : cases) {
    plat::test::Reset(c.profile, c.screen);
    plat::test::UseTempRoot();
    std::vector<RECT> seen;
    plat::test::OnModal(
        ModalKind::OpenSave, L"",
        [&](ModalContext& ctx) {
          seen.push_back(plat::test::WindowRect(ctx.Window()));
          ctx.Cancel();
        },
        plat::test::Repeat::Always);
    plat::test::OnModal(
        ModalKind::Colour, L"Color",
        [&](ModalContext& ctx) {
          seen.push_back(plat::test::WindowRect(ctx.Window()));
          plat::test::PumpUntilIdle();
          RECT rc;
          GetClientRect(ctx.Window(), &rc);
          EXPECT_GT(plat::test::CountPixels(ctx.Window(), rc, RGB(1, 99, 7)), 0u);  // the sample
          char name[64];
          snprintf(name, sizeof name, "commdlg_%dx%d.png", c.screen.cx, c.screen.cy);
          EXPECT_TRUE(plat::SaveScreenPng(plat::test::OutputPath(name).c_str()));
          ctx.Cancel();
        },
        plat::test::Repeat::Always);
    OPENFILENAMEW ofn = SaveRequest(nullptr, nullptr);
    ofn.hwndOwner = nullptr;
    EXPECT_FALSE(GetSaveFileNameW(&ofn));
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.rgbResult = RGB(1, 99, 7);
    cc.Flags = CC_RGBINIT;
    EXPECT_FALSE(ChooseColorW(&cc));
    ASSERT_EQ(seen.size(), 2u);
    for (const RECT& r : seen) {
      EXPECT_EQ(r.left, c.rect.left);
      EXPECT_EQ(r.top, c.rect.top);
      EXPECT_EQ(r.right, c.rect.right);
      EXPECT_EQ(r.bottom, c.rect.bottom);
    }
  }
}

// ---- Colour chooser --------------------------------------------------------------------------

TEST_F(CommdlgTest, CommdlgDllGivesTheChooserUnlessItsExportIsRemoved) {
  HMODULE m = LoadLibraryW(L"commdlg.dll");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(LoadLibraryW(L"COMMDLG.DLL"), m);
  EXPECT_EQ(LoadLibraryA("CommDlg.Dll"), m);
  FARPROC p = GetProcAddressW(m, L"ChooseColor");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GetProcAddressA(m, "ChooseColor"), p);
  auto choose = reinterpret_cast<BOOL (*)(LPCHOOSECOLORW)>(reinterpret_cast<void (*)()>(p));
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  plat::test::ExpectColour(RGB(1, 2, 3));
  EXPECT_TRUE(choose(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(1, 2, 3));
  EXPECT_TRUE(FreeLibrary(m));  // does nothing
  EXPECT_EQ(GetProcAddressW(m, L"ChooseColor"), p);

  EXPECT_EQ(GetProcAddressW(m, L"ChooseColour"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddressW(m, MAKEINTRESOURCEW(1)), nullptr);
  EXPECT_EQ(LoadLibraryW(L"aygshell.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetProcAddressW(reinterpret_cast<HMODULE>(owner), L"ChooseColor"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  plat::test::RemoveModuleExport(L"COMMDLG.DLL", "ChooseColor");
  EXPECT_NE(LoadLibraryW(L"COMMDLG.DLL"), nullptr);
  EXPECT_EQ(GetProcAddressW(m, L"ChooseColor"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  // A reset retires the old handle and brings the export back.
  plat::test::Reset();
  EXPECT_EQ(GetProcAddressW(m, L"ChooseColor"), nullptr);
  HMODULE again = LoadLibraryW(L"COMMDLG.DLL");
  EXPECT_NE(again, m);
  EXPECT_EQ(GetProcAddressW(again, L"ChooseColor"), p);
}

TEST_F(CommdlgTest, CustomColoursStayInPlaceAndACancelLeavesTheResult) {
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = RGB(i, 2 * i, 3 * i);
  const std::vector<COLORREF> before(custom, custom + 16);
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.lpCustColors = custom;
  cc.Flags = CC_ANYCOLOR;
  plat::test::ExpectColour(custom[5]);
  ASSERT_TRUE(ChooseColorA(&cc));
  EXPECT_EQ(cc.rgbResult, custom[5]);
  EXPECT_EQ(std::vector<COLORREF>(custom, custom + 16), before);
  cc.rgbResult = RGB(9, 9, 9);
  plat::test::ExpectColour(plat::test::kCancel);
  EXPECT_FALSE(ChooseColorA(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(9, 9, 9));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  plat::test::OnModal(ModalKind::Colour, L"Color", [](ModalContext& ctx) { ctx.Close(); });
  EXPECT_FALSE(ChooseColorA(&cc));
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].detail, L"RGB(5,10,15)");
  EXPECT_EQ(log[1].result, FALSE);
}

TEST_F(CommdlgTest, ArrowKeysWalkTheSwatchesAndEnterTakesTheCurrentColour) {
  struct Case {
    DWORD flags;
    COLORREF in;
    std::vector<int> keys;
    COLORREF out;
  };
  const Case cases[] = {
      {CC_RGBINIT, RGB(1, 2, 3), {VK_RETURN}, RGB(1, 2, 3)},                       // the initial colour
      {CC_ANYCOLOR, RGB(1, 2, 3), {VK_RETURN}, RGB(0, 0, 0)},                      // black without it
      {CC_RGBINIT, RGB(1, 2, 3), {VK_DOWN, VK_RIGHT, VK_RETURN}, RGB(255, 192, 128)},  // the first row
      {CC_RGBINIT, RGB(255, 0, 0), {VK_DOWN, VK_LEFT, VK_RETURN}, RGB(192, 0, 0)},    // from a swatch
  };
  for (const Case& c : cases) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = c.in;
    cc.Flags = c.flags;
    plat::test::OnModal(ModalKind::Colour, L"Color", [&](ModalContext& ctx) {
      EXPECT_EQ(ctx.Flags(), c.flags);
      for (int vk : c.keys) ctx.Key(vk);
    });
    EXPECT_TRUE(ChooseColorW(&cc));
    EXPECT_EQ(cc.rgbResult, c.out) << std::hex << c.in;
  }
}

TEST_F(CommdlgTest, StoreAsCustomWritesTheCallersColoursAtOnceAndTheyAreOfferedAgain) {
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = RGB(10 + i, 20, 30);
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = RGB(9, 9, 9);
  cc.lpCustColors = custom;
  cc.Flags = CC_ANYCOLOR;
  plat::test::OnModal(ModalKind::Colour, L"Color", [](ModalContext& ctx) {
    EXPECT_EQ(GetFocus(), ctx.Control(IDOK));
    ctx.Key(VK_UP);  // from black, the last grey, to the swatch above it
    plat::test::KeyDown(VK_SHIFT);
    plat::test::KeyPress(VK_TAB);  // back to "Store as custom"
    plat::test::KeyUp(VK_SHIFT);
    ctx.Key(VK_SPACE);
    ctx.Key(VK_SPACE);
    ctx.Key(VK_ESCAPE);
  });
  EXPECT_FALSE(ChooseColorW(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(9, 9, 9));
  EXPECT_EQ(custom[0], RGB(64, 0, 64));
  EXPECT_EQ(custom[1], RGB(64, 0, 64));
  EXPECT_EQ(custom[2], RGB(12, 20, 30));
  plat::test::OnModal(ModalKind::Colour, L"Color", [&](ModalContext& ctx) {
    RECT rc;
    GetClientRect(ctx.Window(), &rc);
    plat::test::PumpUntilIdle();
    EXPECT_GT(plat::test::CountPixels(ctx.Window(), rc, RGB(15, 20, 30)), 0u);  // a custom swatch
    EXPECT_TRUE(ctx.ChooseColour(custom[15]));
  });
  EXPECT_TRUE(ChooseColorW(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(25, 20, 30));
}

// ---- The loops serve sends and timers --------------------------------------------------------

TEST_F(CommdlgTest, InsideBothDialogsAWorkersSendCompletesAndATimerKeepsTicking) {
  plat::test::UseVirtualClock(10000, plat::test::MakeSystemTime(2024, 5, 1), plat::test::ClockMode::Auto);
  for (ModalKind kind : {ModalKind::OpenSave, ModalKind::Colour}) {
    std::vector<DWORD> ticks;
    std::atomic<bool> sentInside{false};
    const DWORD start = GetTickCount();
    On(WM_USER + 10, [&](HWND, WPARAM, LPARAM, LRESULT* r) {
      sentInside = plat::test::ModalStack().size() == 1;
      *r = 77;
      return true;
    });
    SendingWorker worker;
    On(WM_TIMER, [&](HWND, WPARAM, LPARAM, LRESULT*) {
      ticks.push_back(GetTickCount() - start);
      if (ticks.size() == 3) {
        PostMessageW(plat::test::ModalStack().back().hwnd, WM_CLOSE, 0, 0);
      }
      return true;
    });
    plat::test::OnModal(kind, L"", [&](ModalContext&) {
      SetTimer(owner, 1, 300, nullptr);
      worker.Start(owner, WM_USER + 10);
    });
    if (kind == ModalKind::OpenSave) {
      OPENFILENAMEW ofn = SaveRequest(nullptr, nullptr);
      EXPECT_FALSE(GetSaveFileNameW(&ofn));
    } else {
      CHOOSECOLORW cc{};
      cc.lStructSize = sizeof cc;
      cc.hwndOwner = owner;
      EXPECT_FALSE(ChooseColorW(&cc));
    }
    KillTimer(owner, 1);
    ASSERT_TRUE(worker.Finish());
    EXPECT_EQ(worker.Result(), 77);
    EXPECT_TRUE(sentInside);
    EXPECT_EQ(ticks, (std::vector<DWORD>{300, 600, 900}));
  }
}

}  // namespace
