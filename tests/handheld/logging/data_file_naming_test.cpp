// Data-file names and creation: the proposal and the base-name rule by table, then Create File in
// the logging window with its save dialog, the warning for an existing name, and the failures.
#include "logging/data_file_naming.h"

#include <set>

#include "logging_fixture.h"

namespace handheld {
namespace {

using plat::test::ModalContext;
using plat::test::ModalKind;

TEST(DataFileNames, ProposalIsDateHourAndTheFirstFreeLetter) {
  struct Case {
    const char* name;
    SYSTEMTIME now;
    std::set<wchar_t> taken;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {"the first file of the hour", plat::test::MakeSystemTime(2014, 3, 5, 14, 20), {}, L"030514A"},
      {"A to C taken", plat::test::MakeSystemTime(2014, 3, 5, 14, 20), {L'A', L'B', L'C'}, L"030514D"},
      {"a gap is used", plat::test::MakeSystemTime(2014, 3, 5, 14, 20), {L'A', L'C'}, L"030514B"},
      {"two-digit fields", plat::test::MakeSystemTime(2014, 12, 31, 9, 59), {}, L"123109A"},
      {"midnight", plat::test::MakeSystemTime(2014, 1, 1, 0, 0), {}, L"010100A"},
      {"Y taken, Z free", plat::test::MakeSystemTime(2014, 3, 5, 14),
       [] {
         std::set<wchar_t> s;
         for (wchar_t c = L'A'; c <= L'Y'; ++c) s.insert(c);
         return s;
       }(),
       L"030514Z"},
      {"all 26 taken: the Z path", plat::test::MakeSystemTime(2014, 3, 5, 14),
       [] {
         std::set<wchar_t> s;
         for (wchar_t c = L'A'; c <= L'Z'; ++c) s.insert(c);
         return s;
       }(),
       L"\\Storage\\DATA12\\030514Z.R12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::wstring> probed;
    const std::wstring got =
        ProposeDataFileName(L"\\Storage\\DATA12\\", L"R12", c.now, [&](const std::wstring& path) {
          probed.push_back(path);
          return c.taken.count(path[path.size() - 5]) != 0;  // the letter before ".R12"
        });
    EXPECT_EQ(got, c.expected);
    ASSERT_FALSE(probed.empty());
    EXPECT_EQ(probed[0].substr(0, 16), L"\\Storage\\DATA12\\");
    EXPECT_EQ(probed[0].substr(probed[0].size() - 5), L"A.R12");
    for (size_t i = 1; i < probed.size(); ++i) EXPECT_EQ(probed[i][probed[i].size() - 5], static_cast<wchar_t>(L'A' + i));
  }
}

TEST(DataFileNames, BaseNameIsAfterTheLastBackslashUpToTheFirstDot) {
  struct Case {
    const wchar_t* path;
    std::string expected;
  };
  const Case cases[] = {
      {L"\\Storage\\DATA12\\030514A.R12", "030514A"},
      {L"\\Storage\\DATA12\\AB.C.R12", "AB"},
      {L"C_DRIVE\\DATA89\\NOEXT", "NOEXT"},
      {L"PLAIN.R12", "PLAIN"},
      {L"\\Storage\\DIR.X\\NAME.R12", "NAME"},  // a dot in a folder is not the name's
      {L"\\Storage\\DATA12\\.R12", ""},
      {L"\\Storage\\DATA12\\", ""},
      {L"\\Storage\\DATA12\\LONGNAME1234.R12", "LONGNAME1234"},  // cut only where it is shown
      {L"\\Storage\\DATA12\\\u00e9\u0141x.R12", "\xe9\x41x"},  // each character's low 8 bits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "path " << testing::PrintToString(std::wstring(c.path)));
    EXPECT_EQ(DataFileBaseName(c.path), c.expected);
  }
}

// ---- Create File in the logging window ---------------------------------------------------------

class DataFileCreation : public test::LoggingFixture {
 protected:
  void Start(int32_t model = kModelRz12, int32_t storageRoot = 1) {
    test::LoggingSetup s = Build(model);
    s.storageRoot = storageRoot;
    SetUpLogging(s);
    plat::test::SetLocalTime(plat::test::MakeSystemTime(2014, 3, 5, 14, 20));
    ShowRun();
  }
  static test::LoggingSetup Build(int32_t model) {
    test::LoggingSetup s;
    s.model = model;
    return s;
  }
  // A file with the given content, in a folder that is made when missing.
  static void PutFile(const wchar_t* folder, const std::wstring& name, const char* content) {
    CreateDirectoryW(folder, nullptr);
    const std::wstring path = std::wstring(folder) + L"\\" + name;
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(h, content, static_cast<DWORD>(strlen(content)), &put, nullptr);
    CloseHandle(h);
  }
  static bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }
  // The save dialog is answered with its own proposal.
  static void AcceptProposal() {
    plat::test::OnModal(ModalKind::OpenSave, L"Create Data File", [](ModalContext& ctx) { ctx.ChooseFile(ctx.Text()); });
  }
  static std::vector<plat::test::ModalRecord> Modals() { return plat::test::ModalLog(); }
  bool InMonitor() const {
    return SurveyRun.state == kRunMonitor && !SurveyRun.dataFile.IsOpen() &&
           VisibleButtons(logging_) == std::vector<std::wstring>{L"&Create File", L"E&xit"};
  }
};

TEST_F(DataFileCreation, ProposalProbesWithoutCreatingAndSkipsTakenLetters) {
  Start();
  // Nothing there yet: "030514A" is proposed, the folder is made, and probing left no file.
  plat::test::ExpectSaveFile(plat::test::kCancel);
  Key('C');
  ASSERT_EQ(Modals().size(), 1u);
  EXPECT_EQ(Modals()[0].text, L"030514A");
  EXPECT_EQ(GetFileAttributesW(L"\\Storage\\DATA12"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(Exists(L"\\Storage\\DATA12\\030514A.R12"));
  EXPECT_TRUE(InMonitor());

  // A to C taken, B there but refusing to open: "030514D".
  PutFile(L"\\Storage\\DATA12", L"030514A.R12", "a");
  PutFile(L"\\Storage\\DATA12", L"030514B.R12", "b");
  PutFile(L"\\Storage\\DATA12", L"030514C.R12", "c");
  plat::test::FailCreateFile("*030514B.R12", ERROR_SHARING_VIOLATION);
  AcceptProposal();
  Key('C');
  ASSERT_EQ(Modals().size(), 2u);
  EXPECT_EQ(Modals()[1].text, L"030514D");
  EXPECT_EQ(Modals()[1].detail, L"\\Storage\\DATA12\\030514D.R12");
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_EQ(SurveyRun.dataFileName, "030514D");
  EXPECT_EQ(test::RootFileBytes("Storage/DATA12/030514D.R12").substr(24, 11), "H 030514D  ");
  EXPECT_EQ(test::RootFileBytes("Storage/DATA12/030514B.R12"), "b");
}

TEST_F(DataFileCreation, AllLettersTakenProposesTheZPathThenWarnsAndAsksAgain) {
  Start();
  for (wchar_t c = L'A'; c <= L'Z'; ++c) PutFile(L"\\Storage\\DATA12", std::wstring(L"030514") + c + L".R12", "old");
  AcceptProposal();                                    // the Z path
  plat::test::ExpectMessageBox({L"WARNING", L"", IDOK});
  plat::test::ExpectSaveFile(L"NEW");
  Key('C');

  const auto log = Modals();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].text, L"\\Storage\\DATA12\\030514Z.R12");
  EXPECT_EQ(log[0].detail, L"\\Storage\\DATA12\\030514Z.R12");
  EXPECT_EQ(log[1].kind, ModalKind::MessageBox);
  EXPECT_EQ(log[1].text, L"The file already exisits. Please enter another name");
  EXPECT_EQ(log[1].caption, L"WARNING");
  EXPECT_EQ(log[1].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(log[1].owner, logging_);
  EXPECT_EQ(log[2].kind, ModalKind::OpenSave);
  EXPECT_EQ(log[2].text, L"\\Storage\\DATA12\\030514Z.R12");  // a fresh proposal
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_EQ(std::wstring(SurveyRun.dataFilePath), L"\\Storage\\DATA12\\NEW.R12");
  EXPECT_EQ(SurveyRun.dataFileName, "NEW");
  EXPECT_EQ(test::RootFileBytes("Storage/DATA12/030514Z.R12"), "old");
  EXPECT_EQ(test::RootFileBytes("Storage/DATA12/NEW.R12").size(), 7u * 24);
}

TEST_F(DataFileCreation, BaseNameInTheHeaderAndOnTheScreen) {
  struct Case {
    const wchar_t* typed;
    const char* onDisk;
    std::string baseName;
    const char* headerName;  // bytes 2-10 of the name record
    const wchar_t* shown;
  };
  const Case cases[] = {
      {L"AB.C.R12", "Storage/DATA12/AB.C.R12", "AB", "AB       ", L"File:AB"},
      {L"LONGNAME1234", "Storage/DATA12/LONGNAME1234.R12", "LONGNAME1234", "LONGNAME1", L"File:LONGNAME"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "typed " << testing::PrintToString(std::wstring(c.typed)));
    Start();
    plat::test::EnableDrawLog(true);
    ASSERT_TRUE(CreateFile(c.typed));
    EXPECT_EQ(SurveyRun.dataFileName, c.baseName);
    EXPECT_EQ(test::RootFileBytes(c.onDisk).substr(24 + 2, 9), c.headerName);
    EXPECT_TRUE(Drawn(c.shown));
    TearDown();
  }
}

TEST_F(DataFileCreation, NoFileMeansNoRecordsAndTheRunStaysInMonitor) {
  struct Case {
    const char* name;
    std::wstring typed;
    const char* failGlob;  // a CreateFile that fails with ERROR_FILE_EXISTS, or nullptr
    const wchar_t* onDisk;
  };
  const Case cases[] = {
      // Made by someone else between the check and the creation.
      {"file appears before the creation", L"RACE", "*RACE.R12", L"\\Storage\\DATA12\\RACE.R12"},
      // The dialog's 260-character buffer takes no more: it fails, as a cancel.
      {"longer than the buffer", std::wstring(300, L'N'), nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    plat::test::EnableDrawLog(true);
    if (c.failGlob != nullptr) plat::test::FailCreateFile(c.failGlob, ERROR_FILE_EXISTS);
    plat::test::ExpectSaveFile(c.typed);
    Key('C');
    EXPECT_EQ(Modals().size(), 1u);  // no warning, no second dialog
    EXPECT_TRUE(InMonitor());
    EXPECT_FALSE(Drawn(L"Stand By"));
    if (c.onDisk != nullptr) {
      EXPECT_FALSE(Exists(c.onDisk));
    }
    TearDown();
  }
}

TEST_F(DataFileCreation, EachModelsFolderExtensionAndFilter) {
  struct Case {
    int32_t model, storageRoot;
    const wchar_t* filter;
    const wchar_t* path;
    const char* onDisk;
  };
  const Case cases[] = {
      {kModelRz12, 1, L"RZ12 Files (*.R12)", L"\\Storage\\DATA12\\030514A.R12", "Storage/DATA12/030514A.R12"},
      {kModelRz12, 0, L"RZ12 Files (*.R12)", L"C_DRIVE\\DATA12\\030514A.R12", "C_DRIVE/DATA12/030514A.R12"},
      {kModelRz27B, 1, L"RZ27B Files (*.P27)", L"\\Storage\\DATA27\\030514A.P27", "Storage/DATA27/030514A.P27"},
      {kModelRz27Dd, 1, L"RZ27D Files (*.Q27)", L"\\Storage\\DATA27\\030514A.Q27", "Storage/DATA27/030514A.Q27"},
      {kModelRz27, 1, L"RZ27 Files (*.R27)", L"\\Storage\\DATA27\\030514A.R27", "Storage/DATA27/030514A.R27"},
      {kModelRz45, 1, L"RZ45 Files (*.R45)", L"\\Storage\\DATA45\\030514A.R45", "Storage/DATA45/030514A.R45"},
      {kModelRz89, 1, L"RZ89 Files (*.R89)", L"C_DRIVE\\DATA89\\030514A.R89", "C_DRIVE/DATA89/030514A.R89"},
      {kModelRz89, 0, L"RZ89 Files (*.R89)", L"C_DRIVE\\DATA89\\030514A.R89", "C_DRIVE/DATA89/030514A.R89"},
      {kModelZol12, 1, L"ZOL12 Files (*.Z12)", L"\\Storage\\DATAZOL\\030514A.Z12", "Storage/DATAZOL/030514A.Z12"},
      {kModelRz27Mk2, 1, L"RZ27MK2 Files (*.N27)", L"\\Storage\\DATA27MK2\\030514A.N27",
       "Storage/DATA27MK2/030514A.N27"},
      {kModelRz27Mk2, 0, L"RZ27MK2 Files (*.N27)", L"C_DRIVE\\DATA27MK2\\030514A.N27",
       "C_DRIVE/DATA27MK2/030514A.N27"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << ", storage root " << c.storageRoot);
    Start(c.model, c.storageRoot);
    std::vector<std::wstring> filters;
    plat::test::OnModal(ModalKind::OpenSave, L"Create Data File", [&](ModalContext& ctx) {
      filters = plat::test::Items(ctx.Control(plat::kFileTypesId));
      ctx.ChooseFile(ctx.Text());
    });
    Key('C');
    ASSERT_EQ(Modals().size(), 1u);
    EXPECT_EQ(Modals()[0].text, L"030514A");
    EXPECT_EQ(Modals()[0].flags, 0u);
    EXPECT_EQ(filters, std::vector<std::wstring>{c.filter});
    EXPECT_EQ(Modals()[0].detail, c.path);
    EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
    const size_t record = c.model == kModelRz27Mk2 ? 26 : 24;
    const size_t lineBlock = c.model == kModelRz27Mk2 ? 10 : 4;  // with O1 to O6 on the RZ27-MK2
    EXPECT_EQ(test::RootFileBytes(c.onDisk).size(), (3 + lineBlock) * record);
    TearDown();
  }
}

// The watchdog may end the run while the save dialog or the warning is up; the creation then stops
// at once: no file and no further dialog.
TEST_F(DataFileCreation, RunEndedDuringAModalCallCreatesNothing) {
  struct Case {
    const char* name;
    bool duringWarning;
  };
  for (const Case& c : {Case{"run ends while the WARNING box is up", true},
                        Case{"run ends while the save dialog is up, a name is chosen", false}}) {
    SCOPED_TRACE(c.name);
    Start();
    PutFile(L"\\Storage\\DATA12", L"OLD.R12", "old");
    if (c.duringWarning) {
      plat::test::ExpectSaveFile(L"OLD");
      plat::test::OnModal(ModalKind::MessageBox, L"WARNING", [](ModalContext& ctx) {
        StopLogging(1);
        ctx.Answer(IDOK);
      });
    } else {
      plat::test::OnModal(ModalKind::OpenSave, L"Create Data File", [](ModalContext& ctx) {
        StopLogging(1);
        ctx.ChooseFile(L"LATE");
      });
    }
    Key('C');
    EXPECT_EQ(Modals().size(), c.duringWarning ? 2u : 1u);
    EXPECT_EQ(SurveyRun.runActive, 0);
    EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
    EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
    EXPECT_FALSE(Exists(L"\\Storage\\DATA12\\LATE.R12"));
    EXPECT_EQ(test::RootFileBytes("Storage/DATA12/OLD.R12"), "old");
    TearDown();
  }
}

}  // namespace
}  // namespace handheld
