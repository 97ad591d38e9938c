// Creating a data file through a scripted save dialog: the proposal and its letters, the warning
// and the dialog again for a name that cannot be created, Cancel, the base name up to the last
// dot, and the data folder that follows the file into the settings and the next dialog.
#include "engine/data_file_create.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <fstream>
#include <string>
#include <vector>

#include "desktop_test_support.h"
#include "engine/settings.h"
#include "engine/state.h"

namespace desktop {
namespace {

using plat::test::ModalContext;
using plat::test::ModalKind;

LRESULT CALLBACK PlainProc(HWND h, UINT msg, WPARAM w, LPARAM l) { return DefWindowProcA(h, msg, w, l); }

class CreateDataFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::UseBuild(kModelRz12);
    test::UseDesktopRoot("C:\\RZ12");
    plat::test::UseVirtualClock(5000, plat::test::MakeSystemTime(2013, 3, 5, 14, 20, 7, 123),
                                plat::test::ClockMode::Manual);
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = "ScreenLogWnd";
    ASSERT_NE(RegisterClassA(&wc), 0);
    AppWindows.loggingWnd = CreateWindowExA(0, "ScreenLogWnd", "Log", WS_VISIBLE, 0, 0, 800, 574, nullptr, nullptr,
                                            nullptr, nullptr);
    ASSERT_NE(AppWindows.loggingWnd, nullptr);
    LoadSaveSettings(0);
  }
  // The next save dialog: notes the name it came with, then types `name` (empty: cancels).
  void Choose(const std::wstring& name) {
    plat::test::OnModal(ModalKind::OpenSave, L"Create Data File", [this, name](ModalContext& m) {
      proposals.push_back(m.Text());
      if (name.empty()) {
        m.Cancel();
      } else {
        m.ChooseFile(name);
      }
    });
  }
  static void Touch(const std::string& path) { std::ofstream(std::string(plat::DriveRoot()) + "/" + path) << "x"; }
  static std::string SettingsLine(int n) { return survey::test::CrLfLines(test::RootFileBytes("C/RZ12/RZ12XP.INI"))[n]; }

  std::vector<std::wstring> proposals;
};

TEST_F(CreateDataFileTest, TheProposalIsCreatedWithItsFirstRecords) {
  Touch("C/030514A.R12");
  Touch("C/030514B.R12");
  Choose(L"030514C");
  EXPECT_EQ(CreateDataFile(AppWindows.loggingWnd), 1);
  EXPECT_EQ(proposals, (std::vector<std::wstring>{L"030514C"}));
  EXPECT_EQ(SurveyRun.dataFileName, "030514C");
  EXPECT_STREQ(SurveyRun.dataFilePath, "C:\\030514C.R12");
  EXPECT_EQ(SurveyRun.linesTotal, 1);
  EXPECT_TRUE(SurveyRun.dataFile.IsOpen());
  SurveyRun.dataFile.Close();
  const std::string bytes = test::RootFileBytes("C/030514C.R12");
  ASSERT_EQ(bytes.size(), 7u * 24u);  // header, name, line block, time
  EXPECT_EQ(bytes.substr(24, 24), "H 030514C    0.200     \n");
  EXPECT_EQ(bytes[6 * 24], '*');
  EXPECT_EQ(SettingsLine(1), "C:\\");
}

TEST_F(CreateDataFileTest, ANameThatCannotBeCreatedWarnsAndAsksAgainUntilCancel) {
  Touch("C/030514A.R12");
  Choose(L"030514A");
  plat::test::OnModal(ModalKind::MessageBox, L"WARNING", [](ModalContext& m) {
    EXPECT_EQ(m.Text(), L"The file already exisits. Please enter another name");
    EXPECT_EQ(m.Flags() & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(m.Owner(), AppWindows.loggingWnd);
    m.Answer(IDOK);
  });
  Choose(L"");
  EXPECT_EQ(CreateDataFile(AppWindows.loggingWnd), 0);
  ASSERT_EQ(proposals.size(), 2u);
  EXPECT_EQ(proposals[0], L"030514B");
  EXPECT_NE(proposals[1].find(L"030514A"), std::wstring::npos);  // the last chosen name, no new proposal
  EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
  EXPECT_EQ(test::RootFileBytes("C/030514A.R12"), "x");
  EXPECT_TRUE(test::RootFileBytes("C/030514B.R12").empty());
  EXPECT_EQ(SurveyRun.linesTotal, 0);
}

TEST_F(CreateDataFileTest, BaseNamesFoldersAndProposals) {
  // Two dots: the base name keeps everything before the last one.
  Choose(L"A.B.R12");
  ASSERT_EQ(CreateDataFile(AppWindows.loggingWnd), 1);
  EXPECT_EQ(SurveyRun.dataFileName, "A.B");
  SurveyRun.dataFile.Close();

  // A file in another folder: that folder goes into the settings and the next dialog opens there.
  CreateDirectoryA("C:\\SURVEY", nullptr);
  Choose(L"C:\\SURVEY\\FIRST");
  ASSERT_EQ(CreateDataFile(AppWindows.loggingWnd), 1);
  SurveyRun.dataFile.Close();
  EXPECT_EQ(SettingsLine(1), "C:\\SURVEY\\");
  Choose(L"NEXT");
  ASSERT_EQ(CreateDataFile(AppWindows.loggingWnd), 1);
  SurveyRun.dataFile.Close();
  EXPECT_FALSE(test::RootFileBytes("C/SURVEY/NEXT.R12").empty());
  EXPECT_EQ(SurveyRun.linesTotal, 3);

  // Every letter taken: the proposal is the 'Z' name with its extension.
  for (char letter = 'A'; letter <= 'Z'; ++letter) Touch(std::string("C/SURVEY/030514") + letter + ".R12");
  char proposal[MAX_PATH];
  MakeDefaultFileName(proposal);
  EXPECT_STREQ(proposal, "030514Z.R12");

  // A data folder that is gone: the start folder is probed and the dialog opens there; the setting
  // changes only when a file is created.
  strcpy(SurveySettings.dataFolder, "C:\\GONE\\");
  Choose(L"");
  EXPECT_EQ(CreateDataFile(AppWindows.loggingWnd), 0);
  EXPECT_STREQ(SurveySettings.dataFolder, "C:\\GONE\\");
  Choose(L"HERE");
  ASSERT_EQ(CreateDataFile(AppWindows.loggingWnd), 1);
  SurveyRun.dataFile.Close();
  EXPECT_FALSE(test::RootFileBytes("C/RZ12/HERE.R12").empty());
  EXPECT_STREQ(SurveySettings.dataFolder, "C:\\RZ12\\");

  // The base name of a name without an extension, in the builds without one, is the whole name.
  EXPECT_EQ(DataFileBaseName("C:\\X\\NAME", 5, 9), "NAME");
  EXPECT_EQ(DataFileBaseName("C:\\X\\A.B.R56", 5, 9), "A.B");
}

}  // namespace
}  // namespace desktop
