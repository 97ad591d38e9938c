// The logging window on its own (no ports): registration, creation, the paint, and the run states
// driven by buttons, keys and the popup menu, with the mended behaviours.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/records.h"
#include "logging/commands.h"
#include "logging/layout.h"
#include "logging/screen.h"
#include "logging_fixture.h"

namespace handheld {
namespace {

using plat::test::ModalContext;
using plat::test::ModalKind;
using test::LoggingFixture;
using test::LoggingSetup;

constexpr int kRecord = 24;

std::string Record(const std::string& file, size_t i) {
  return file.size() >= (i + 1) * kRecord ? file.substr(i * kRecord, kRecord) : std::string();
}
std::string LastRecord(const std::string& file) {
  return file.size() >= kRecord ? file.substr(file.size() - kRecord) : std::string();
}

// ---- Registration ------------------------------------------------------------------------------

TEST(LoggingClasses, RegistrationResults) {
  plat::test::Reset();
  EXPECT_EQ(RegisterLoggingClasses(nullptr), 0);
  plat::test::Reset();
  plat::test::FailRegisterClass(L"LoggingWnd");
  EXPECT_EQ(RegisterLoggingClasses(nullptr), 1);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"CurveWnd";
  EXPECT_NE(RegisterClassW(&wc), 0);  // not attempted after the first failure
  plat::test::Reset();
  plat::test::FailRegisterClass(L"CurveWnd");
  EXPECT_EQ(RegisterLoggingClasses(nullptr), 2);
  plat::test::Reset();
}

// ---- Creation ----------------------------------------------------------------------------------

struct CreationCase {
  const char* name;
  LoggingSetup setup;
  std::vector<std::wstring> monitor;
  std::vector<RECT> monitorRects;
  RECT standBy0, standBy5, pause;
  int captionBlock;
};
void PrintTo(const CreationCase& c, std::ostream* os) { *os << c.name; }

class Creation : public LoggingFixture, public ::testing::WithParamInterface<CreationCase> {};

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_P(Creation, PlotChildAndButtonSets) {
  const CreationCase& c = GetParam();
  SetUpLogging(c.setup);
  EXPECT_EQ(LinkState.lastFrameTick.load(), 5000u);

  // The plot child: client origin at (plotLeft, plotTop) inside its 1-px border.
  ASSERT_EQ(AppWindows.curveWnd, plat::test::Child(logging_, 5));
  const RECT plot = plat::test::RectInParent(AppWindows.curveWnd);
  EXPECT_TRUE(Same(plot, RECT{3, ScreenLayout.plotTop - 1, 3 + ScreenLayout.plotWidth + 1,
                              ScreenLayout.plotTop + ScreenLayout.plotHeight}));
  EXPECT_TRUE(plat::test::Style(AppWindows.curveWnd) & WS_BORDER);

  const int n = static_cast<int>(c.monitor.size());
  EXPECT_EQ(LoggingButtons.count, n);
  for (int i = 0; i < n; ++i) {
    HWND b = LoggingButtons.monitor[i];
    EXPECT_EQ(GetDlgCtrlID(b), 460 + i);
    EXPECT_EQ(plat::test::Text(b), c.monitor[i]);
    EXPECT_TRUE(Same(plat::test::RectInParent(b), c.monitorRects[i])) << i;
    EXPECT_EQ(Framed(b), i == 0);
  }
  const std::vector<std::wstring> standBy = {L"&Go", L"&Line", L"&NStn", L"&Cmnt", L"&Menu", L"E&xit"};
  EXPECT_EQ(Texts({LoggingButtons.standBy, LoggingButtons.standBy + 6}), standBy);
  EXPECT_TRUE(Same(plat::test::RectInParent(LoggingButtons.standBy[0]), c.standBy0));
  EXPECT_TRUE(Same(plat::test::RectInParent(LoggingButtons.standBy[5]), c.standBy5));
  for (int i = 0; i < 8; ++i) {
    HWND p = LoggingButtons.pause[i];
    EXPECT_EQ(GetDlgCtrlID(p), 460 + i);
    EXPECT_EQ(plat::test::Text(p), PauseCaption(c.captionBlock + i));
    EXPECT_TRUE(Same(plat::test::RectInParent(p), c.pause)) << i;
    EXPECT_FALSE(plat::test::Style(p) & WS_VISIBLE);
  }
  for (HWND b : LoggingButtons.standBy) EXPECT_FALSE(plat::test::Style(b) & WS_VISIBLE);
}

LoggingSetup Build(int32_t model, bool portrait) {
  LoggingSetup s;
  s.model = model;
  s.portrait = portrait;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Creation,
    ::testing::Values(
        CreationCase{"Rz12Landscape", Build(kModelRz12, false), {L"&Create File", L"E&xit"},
                     {{4, 218, 158, 238}, {162, 218, 316, 238}}, {4, 218, 54, 238}, {264, 218, 314, 238},
                     {4, 218, 316, 238}, 0},
        CreationCase{"Rz45Portrait", Build(kModelRz45, true), {L"&Create File", L"E&xit"},
                     {{2, 298, 116, 318}, {120, 298, 234, 318}}, {2, 298, 40, 318}, {197, 298, 235, 318},
                     {2, 298, 238, 318}, 16},
        CreationCase{"Rz27Mk2Landscape", Build(kModelRz27Mk2, false),
                     {L"&Create File", L"C&alibrate", L"D&el Calibr.", L"E&xit"},
                     {{4, 218, 81, 238}, {83, 218, 160, 238}, {162, 218, 239, 238}, {241, 218, 318, 238}},
                     {4, 218, 54, 238}, {264, 218, 314, 238}, {4, 218, 316, 238}, 8},
        CreationCase{"Rz27Mk2Portrait", Build(kModelRz27Mk2, true),
                     {L"&Cr. File", L"C&alib.", L"D&el Cal.", L"E&xit"},
                     {{2, 298, 59, 318}, {61, 298, 118, 318}, {120, 298, 177, 318}, {179, 298, 236, 318}},
                     {2, 298, 40, 318}, {197, 298, 235, 318}, {2, 298, 238, 318}, 24}),
    [](const ::testing::TestParamInfo<CreationCase>& info) { return std::string(info.param.name); });

// ---- Paint -------------------------------------------------------------------------------------

class Paint : public LoggingFixture {
 protected:
  void Repaint() {
    plat::test::ClearDrawLog();
    InvalidateRect(logging_, nullptr, TRUE);
    plat::test::PumpUntilIdle();
  }
  std::optional<plat::test::DrawEntry> Find(const std::wstring& text) const {
    for (const auto& e : DrawnTexts()) {
      if (e.text == text) return e;
    }
    return std::nullopt;
  }
};

TEST_F(Paint, MonitorLandscape) {
  SetUpLogging(Build(kModelRz12, false));
  plat::test::EnableDrawLog(true);
  plat::test::SetBatteryPercent(57);
  ShowRun();

  EXPECT_TRUE(plat::test::IsVisible(logging_));
  EXPECT_EQ(VisibleButtons(logging_), (std::vector<std::wstring>{L"&Create File", L"E&xit"}));
  EXPECT_TRUE(Framed(LoggingButtons.monitor[0]));
  const auto timers = plat::test::Timers(logging_);
  ASSERT_EQ(timers.size(), 1u);
  EXPECT_EQ(timers[0].id, kWatchdogTimer);
  EXPECT_EQ(timers[0].period, 300u);

  // The state word ends 40 px from the right edge; the battery in bold fills the last 40 px.
  const auto state = Find(L"Monitor");
  ASSERT_TRUE(state);
  EXPECT_EQ(state->x, LoggingLayout.stateRect.left);
  EXPECT_EQ(LoggingLayout.stateRect.right, 280);
  const auto battery = Find(L" 57%");
  ASSERT_TRUE(battery);
  EXPECT_EQ(battery->x, 280);
  EXPECT_EQ(battery->fontWeight, FW_BOLD);
  EXPECT_TRUE(Find(L"Auto"));
  EXPECT_EQ(Find(L"Auto")->x, 130);
  EXPECT_TRUE(Find(L"Ln:"));
  EXPECT_TRUE(Find(L"Stn:"));
  // No data file: no "File:", line name or station.
  for (const auto& e : DrawnTexts()) {
    EXPECT_EQ(e.text.find(L"File:"), std::wstring::npos);
    EXPECT_NE(e.text, L"0.00       ");
  }
  const auto disabled = Find(L"GPS  Input  disabled");
  ASSERT_TRUE(disabled);
  SIZE size{};
  HDC dc = GetDC(logging_);
  SelectObject(dc, AppWindows.fontNormal);
  GetTextExtentPoint32W(dc, L"GPS  Input  disabled", 20, &size);
  ReleaseDC(logging_, dc);
  EXPECT_EQ(disabled->x, (320 - size.cx) / 2);
  EXPECT_EQ(disabled->y, LoggingLayout.gpsRowY);
  EXPECT_EQ(plat::test::FocusWindow(), logging_);
}

TEST_F(Paint, GpsRowWithGpsInput) {
  for (bool portrait : {false, true}) {
    SCOPED_TRACE(portrait ? "portrait" : "landscape");
    SetUpLogging(Build(kModelRz12, portrait));
    SurveySettings.gpsEnabled = 1;
    SurveyRun.gpsFixCount = 12;
    plat::test::EnableDrawLog(true);
    ShowRun();
    const LoggingLayoutData& f = LoggingLayout;
    const struct {
      const wchar_t* text;
      int x;
    } items[] = {
        {L"Pos", 5},
        {L"/", f.gpsMarkRect.left},
        {L"#", f.gpsMarkRect.right + 1},
        {L"12   ", f.gpsCountRect.left},
        {L"NO FIX", portrait ? f.gpsFixRect.left : 110},
        {L"PDOP:", portrait ? f.gpsFixRect.right + 5 : 180},
        {L"N/A", f.gpsPdopRect.left},
        {L"Sat:", portrait ? f.gpsPdopRect.right + 5 : 260},
        {L" 0", f.gpsSatRect.left},
    };
    for (const auto& item : items) {
      const auto e = Find(item.text);
      ASSERT_TRUE(e) << std::string(item.text, item.text + wcslen(item.text));
      EXPECT_EQ(e->x, item.x);
      EXPECT_EQ(e->y, f.gpsRowY);
    }
    EXPECT_FALSE(Find(L"GPS  Input  disabled"));
    TearDown();
  }
}

// The Manual label is "S", the count, a blank and the colon: the count's field lies between "S" and
// the colon, in both orientations.
TEST_F(Paint, ModeWordsAndTheManualCount) {
  struct Case {
    int32_t model, mode;
    bool portrait;
    const wchar_t* word;  // nullptr: none
    const wchar_t* label;
  };
  const Case cases[] = {
      {kModelRz12, 1, false, L"Wheel", L"Stn:"},   {kModelRz12, 2, false, L"Manual", L"S"},
      {kModelRz12, 2, true, L"Manual", L"S"},      {kModelRz27Mk2, 2, true, L"Manual", L"S"},
      {kModelZol12, 1, false, L"Manual", L"Stn:"}, {kModelZol12, 2, false, L"Manual", L"Stn:"},
      {kModelRz12, 7, false, nullptr, L"Stn:"},    // a mode outside the table draws no word
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " mode " << c.mode << (c.portrait ? " portrait" : ""));
    SetUpLogging(Build(c.model, c.portrait));
    SurveySettings.surveyMode = c.mode;
    plat::test::EnableDrawLog(true);
    ShowRun();
    for (const wchar_t* w : {L"Auto", L"Wheel", L"Manual"}) {
      const auto e = Find(w);
      EXPECT_EQ(static_cast<bool>(e), c.word != nullptr && std::wstring(w) == c.word) << "word";
      if (e) {
        EXPECT_EQ(e->x, 130);
      }
    }
    const auto label = Find(c.label);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->x, 130);
    if (std::wstring(c.label) == L"S") {
      const auto count = Find(L"0");
      ASSERT_TRUE(count);
      EXPECT_EQ(count->x, LoggingLayout.readingCountRect.left);
      const auto colon = Find(L":");
      ASSERT_TRUE(colon);
      EXPECT_EQ(colon->y, LoggingLayout.lineRowY);
      EXPECT_GE(colon->x, LoggingLayout.readingCountRect.right);  // erasing the count leaves it
      EXPECT_LT(colon->x, LoggingLayout.markerRect.left);
    }
    EXPECT_EQ(SurveySettings.surveyMode, c.mode);
    TearDown();
  }
}

TEST_F(Paint, DiagnosticBuildLeavesTheGpsRowToTheTemperatures) {
  LoggingSetup s = Build(kModelRz27Mk2, false);
  s.diagnostics = 1;
  SetUpLogging(s);
  plat::test::EnableDrawLog(true);
  ShowRun();
  EXPECT_FALSE(Find(L"GPS  Input  disabled"));
  EXPECT_EQ(VisibleButtons(logging_),
            (std::vector<std::wstring>{L"&Create File", L"C&alibrate", L"D&el Calibr.", L"E&xit"}));
}

TEST_F(Paint, StandByShowsTheFileLineAndStation) {
  SetUpLogging(Build(kModelRz12, true));
  ShowRun();
  ASSERT_TRUE(CreateFile(L"SURVEY1234"));
  wcscpy(SurveySettings.surveyLine, L"L7");
  SurveyRun.station = 12.5;
  plat::test::EnableDrawLog(true);
  Repaint();
  EXPECT_TRUE(Find(L"File:SURVEY12"));
  const auto line = Find(L"L7");
  ASSERT_TRUE(line);
  EXPECT_EQ(line->x, LoggingLayout.lineNameRect.left);
  EXPECT_EQ(line->fontWeight, FW_BOLD);
  const auto station = Find(L"12.50      ");
  ASSERT_TRUE(station);
  EXPECT_EQ(station->x, LoggingLayout.stationRect.left);
  EXPECT_EQ(station->fontWeight, FW_BOLD);
  const auto state = Find(L"Stand By");
  ASSERT_TRUE(state);
  EXPECT_EQ(state->x, 5);  // the third row in portrait
  EXPECT_EQ(state->y, LoggingLayout.thirdRowY);
}

// ---- Run states --------------------------------------------------------------------------------

class RunStates : public LoggingFixture {
 protected:
  void Start(const LoggingSetup& s) {
    SetUpLogging(s);
    ShowRun();
  }
  // Monitor, then Create File and Go: the run is Logging.
  void StartLogging(const LoggingSetup& s) {
    Start(s);
    ASSERT_TRUE(CreateFile(L"RUN1"));
    Key('G');
    ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  }
  static std::string DataFile() { return test::RootFileBytes("Storage/DATA12/RUN1.R12"); }
};

TEST_F(RunStates, CreateFileShowsStandBy) {
  Start(Build(kModelRz12, false));
  plat::test::EnableDrawLog(true);
  ASSERT_TRUE(CreateFile(L"LONGNAME1"));

  EXPECT_TRUE(Drawn(L"File:LONGNAME"));  // at most 8 characters
  EXPECT_TRUE(Drawn(L"Stand By"));
  EXPECT_EQ(VisibleButtons(logging_),
            (std::vector<std::wstring>{L"&Go", L"&Line", L"&NStn", L"&Cmnt", L"&Menu", L"E&xit"}));
  EXPECT_TRUE(Framed(LoggingButtons.standBy[0]));
  EXPECT_EQ(LoggingButtons.count, 6);
  EXPECT_EQ(LoggingButtons.selected, 0);

  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].kind, ModalKind::OpenSave);
  EXPECT_EQ(log[0].caption, L"Create Data File");
  EXPECT_EQ(log[0].flags, 0u);
  EXPECT_EQ(log[0].detail, L"\\Storage\\DATA12\\LONGNAME1.R12");
  EXPECT_EQ(std::wstring(SurveyRun.dataFilePath), L"\\Storage\\DATA12\\LONGNAME1.R12");

  // Header, the header name, the line block and a time record.
  const std::string file = test::RootFileBytes("Storage/DATA12/LONGNAME1.R12");
  ASSERT_EQ(file.size(), 7u * kRecord);
  EXPECT_EQ(Record(file, 0).substr(0, 8), "RZ12MK2 ");
  EXPECT_EQ(Record(file, 1).substr(0, 11), "H LONGNAME1");
  EXPECT_EQ(Record(file, 2)[0], 'L');
  EXPECT_EQ(Record(file, 3)[0], 'B');
  EXPECT_EQ(Record(file, 4)[0], 'A');
  EXPECT_EQ(Record(file, 5)[0], 'Z');
  EXPECT_EQ(Record(file, 6)[0], '*');
}

TEST_F(RunStates, SaveDialogFolderAndExtensionByModel) {
  struct Case {
    int32_t model, storageRoot;
    const wchar_t* typed;
    const wchar_t* path;
    const char* onDisk;
    const char* baseName;
  };
  const Case cases[] = {
      {kModelRz27Mk2, 1, L"A", L"\\Storage\\DATA27MK2\\A.N27", "Storage/DATA27MK2/A.N27", "A"},
      {kModelRz27Mk2, 0, L"B", L"C_DRIVE\\DATA27MK2\\B.N27", "C_DRIVE/DATA27MK2/B.N27", "B"},
      {kModelRz89, 1, L"C.X.Y", L"C_DRIVE\\DATA89\\C.X.Y", "C_DRIVE/DATA89/C.X.Y", "C"},
      {kModelZol12, 1, L"D", L"\\Storage\\DATAZOL\\D.Z12", "Storage/DATAZOL/D.Z12", "D"},
      {kModelRz27Dd, 1, L"E", L"\\Storage\\DATA27\\E.Q27", "Storage/DATA27/E.Q27", "E"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model);
    LoggingSetup s = Build(c.model, false);
    s.storageRoot = c.storageRoot;
    Start(s);
    ASSERT_TRUE(CreateFile(c.typed));
    EXPECT_EQ(plat::test::ModalLog().back().detail, c.path);
    EXPECT_EQ(SurveyRun.dataFileName, c.baseName);
    EXPECT_FALSE(test::RootFileBytes(c.onDisk).empty());
    TearDown();
  }
}

TEST_F(RunStates, NoFileStaysInMonitor) {
  Start(Build(kModelRz12, false));
  // Cancelled.
  plat::test::ExpectSaveFile(plat::test::kCancel);
  Key('C');
  // A folder that does not exist.
  plat::test::ExpectSaveFile(L"\\Storage\\NOFOLDER\\X.R12");
  Key('C');
  // A name that exists: the warning, the dialog again (cancelled), and its file is left as it was.
  CreateDirectoryW(L"\\Storage\\DATA12", nullptr);
  HANDLE h = ::CreateFileW(L"\\Storage\\DATA12\\OLD.R12", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  DWORD put = 0;
  WriteFile(h, "keep", 4, &put, nullptr);
  CloseHandle(h);
  plat::test::ExpectSaveFile(L"OLD");
  plat::test::ExpectMessageBox({L"WARNING", L"", IDOK});
  plat::test::ExpectSaveFile(plat::test::kCancel);
  Key('C');

  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
  EXPECT_EQ(VisibleButtons(logging_), (std::vector<std::wstring>{L"&Create File", L"E&xit"}));
  EXPECT_EQ(test::RootFileBytes("Storage/DATA12/OLD.R12"), "keep");
  EXPECT_TRUE(test::RootFileBytes("Storage/NOFOLDER/X.R12").empty());
}

TEST_F(RunStates, GoStartsRecording) {
  struct Case {
    int32_t mode;
    int32_t framesPerReading;
  };
  for (const Case& c : {Case{0, 2}, Case{1, 1}, Case{2, 1}}) {
    SCOPED_TRACE(testing::Message() << "survey mode " << c.mode);
    LoggingSetup s = Build(kModelRz12, false);
    Start(s);
    SurveySettings.surveyMode = c.mode;
    SurveySettings.pauseKey = 3;
    ASSERT_TRUE(CreateFile(L"RUN1"));
    PlotState.started = 1;
    PlotState.havePrev[3] = 1;
    SurveyRun.recordFlag = -1;
    LinkState.frameCount = 7;
    plat::test::EnableDrawLog(true);
    plat::test::SetTick(5000);
    Key('G');

    EXPECT_EQ(SurveyRun.state.load(), kRunLogging);
    EXPECT_TRUE(Drawn(L"Logging"));
    const int p = 3 + (c.mode == 2 ? 4 : 0);
    EXPECT_EQ(VisibleButtons(logging_), (std::vector<std::wstring>{PauseCaption(p)}));
    EXPECT_TRUE(Framed(LoggingButtons.pause[p]));
    EXPECT_EQ(LastRecord(DataFile()), "X$STARTED          5000\n");
    EXPECT_EQ(SurveyRun.framesPerReading.load(), c.framesPerReading);
    EXPECT_EQ(LinkState.frameCount.load(), 0);
    EXPECT_EQ(SurveyRun.recordFlag, 0);
    EXPECT_EQ(PlotState.started, 0);
    EXPECT_EQ(PlotState.havePrev[3], 0);
    const auto beeps = plat::test::Beeps();
    ASSERT_EQ(beeps.size(), 1u);
    EXPECT_EQ(beeps[0].type, static_cast<UINT>(MB_ICONHAND));
    TearDown();
  }
}

struct PauseCase {
  const char* name;
  int32_t model;
  bool portrait;
  int32_t pauseKey;
  int key;  // 0: the pause button is clicked
  bool pauses;
};
void PrintTo(const PauseCase& c, std::ostream* os) { *os << c.name; }

class PauseRules : public RunStates, public ::testing::WithParamInterface<PauseCase> {};

TEST_P(PauseRules, PauseOnTheKeysOfTheSetting) {
  const PauseCase& c = GetParam();
  LoggingSetup s = Build(c.model, c.portrait);
  SetUpLogging(s);
  SurveySettings.pauseKey = c.pauseKey;
  ShowRun();
  plat::test::ExpectSaveFile(L"\\Storage\\RUN1.DAT");
  Key('C');
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  if (c.key == 0) {
    Press(LoggingButtons.pause[PauseButtonIndex(c.pauseKey, 0)]);
  } else {
    Key(c.key);
  }
  const std::string file = test::RootFileBytes("Storage/RUN1.DAT");
  const size_t length = c.model == kModelRz27Mk2 ? 26 : 24;
  if (!c.pauses) {
    EXPECT_EQ(SurveyRun.state.load(), kRunLogging);
    EXPECT_NE(file.substr(file.size() - length, 8), "X$PAUSED");
    return;
  }
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_EQ(SurveyRun.framesPerReading.load(), 1);
  // Every record is on the storage, the pause's last.
  EXPECT_EQ(file.size(), SurveyRun.dataFile.Size());
  EXPECT_EQ(file.size() % length, 0u);
  EXPECT_EQ(file.substr(file.size() - length, 8), "X$PAUSED");
  EXPECT_EQ(VisibleButtons(logging_),
            (std::vector<std::wstring>{L"&Go", L"&Line", L"&NStn", L"&Cmnt", L"&Menu", L"E&xit"}));
  EXPECT_TRUE(Framed(LoggingButtons.standBy[0]));
  EXPECT_TRUE(SurveyRun.dataFile.IsOpen());
  // Enter presses the framed button: recording again.
  Key(VK_RETURN);
  EXPECT_EQ(SurveyRun.state.load(), kRunLogging);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PauseRules,
    ::testing::Values(PauseCase{"Key3P", kModelRz12, false, 3, 'P', true},
                      PauseCase{"Key3LowerCaseP", kModelRz12, false, 3, 112, true},
                      PauseCase{"Key3S", kModelRz12, false, 3, 'S', false},
                      PauseCase{"Key3Button", kModelRz12, false, 3, 0, true},
                      PauseCase{"Key0AnyKey", kModelRz45, true, 0, 'S', true},
                      PauseCase{"Mk2LandscapeKey0Digit", kModelRz27Mk2, false, 0, '7', false},
                      PauseCase{"Mk2LandscapeKey0Letter", kModelRz27Mk2, false, 0, 'K', true},
                      PauseCase{"Key1Space", kModelRz27, false, 1, VK_SPACE, true},
                      PauseCase{"Key1Enter", kModelRz27, false, 1, VK_RETURN, false},
                      PauseCase{"Key2Enter", kModelRz27B, true, 2, VK_RETURN, true},
                      PauseCase{"Key9CountsAs0", kModelRz12, false, 9, 'Q', true}),
    [](const ::testing::TestParamInfo<PauseCase>& info) { return std::string(info.param.name); });

TEST_F(RunStates, OutOfRangePauseKeyShowsButtonZero) {
  Start(Build(kModelRz12, false));
  SurveySettings.pauseKey = 9;
  ASSERT_TRUE(CreateFile(L"RUN1"));
  Key('G');
  EXPECT_EQ(VisibleButtons(logging_), (std::vector<std::wstring>{L"TAP ME or press any key to Pause"}));
  EXPECT_TRUE(Framed(LoggingButtons.pause[0]));
  EXPECT_EQ(SurveySettings.pauseKey, 9);  // the stored value is kept
}

TEST_F(RunStates, FailedCommitWarnsAndStaysInStandBy) {
  StartLogging(Build(kModelRz12, false));
  plat::test::FailFlushes();
  plat::test::ExpectMessageBox({L"WARNING", L"Data file could not be saved", IDOK});
  Key(VK_SPACE);
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_TRUE(Framed(LoggingButtons.standBy[0]));
  EXPECT_EQ(LastRecord(DataFile()).substr(0, 8), "X$PAUSED");

  // The handle was kept: the next start of recording lands in the same file.
  Key('G');
  EXPECT_EQ(LastRecord(DataFile()).substr(0, 9), "X$STARTED");
  // A record lost since the last commit is told at the next pause as well.
  plat::test::FailWritesAfter(0);
  plat::test::ExpectMessageBox({L"WARNING", L"Data file could not be saved", IDOK});
  Key(VK_SPACE);
  plat::test::ClearFaults();
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  Key('G');
  Key(VK_SPACE);  // saved: no box
  EXPECT_EQ(LastRecord(DataFile()).substr(0, 8), "X$PAUSED");
}

// A write that fails outside Logging (the first records at Create File; a comment, station or line
// in Stand By) or a commit that fails is told with the pause's box, once: at the end of Create
// File, else at the next pause or at the end of the run. The file is kept as it is.
TEST_F(RunStates, AFailedWriteIsToldOnce) {
  struct Failure {
    const char* name;
    int key;  // the Stand By command whose record is lost; 0 the creation's, -1 the next commit
    const wchar_t* dialog;
  } const failures[] = {
      {"header at creation", 0, nullptr},          {"comment", 'C', L"Enter Comment"},
      {"new station", 'N', L"New Station"},        {"new line", 'L', L"New Line"},
      {"commit", -1, nullptr},
  };
  for (const Failure& f : failures) {
    for (const bool goThenPause : {true, false}) {
      SCOPED_TRACE(testing::Message() << f.name << (goThenPause ? ", Go then Pause, Exit" : ", Exit"));
      LoggingSetup s = Build(kModelRz12, false);
      s.dialogs = true;
      Start(s);
      int told = 0;
      plat::test::OnModal(ModalKind::MessageBox, L"WARNING", [&](ModalContext& ctx) {
        EXPECT_EQ(ctx.Text(), L"Data file could not be saved");
        ++told;
        ctx.Answer(IDOK);
      });
      if (f.key == 0) plat::test::FailWritesAfter(0);
      ASSERT_TRUE(CreateFile(L"RUN1"));
      plat::test::ClearFaults();
      EXPECT_EQ(told, f.key == 0 ? 1 : 0);
      if (f.key > 0) {
        plat::test::ExpectDialog(f.dialog, [](ModalContext& ctx) {
          plat::test::FailWritesAfter(0);
          ctx.ClickCaptionOk();
        });
        Key(f.key);
        plat::test::ClearFaults();
      } else if (f.key < 0) {
        plat::test::FailFlushes();
      }
      EXPECT_EQ(told, f.key == 0 ? 1 : 0) << "nothing told in Stand By";
      const std::string file = DataFile();

      if (goThenPause) {
        Key('G');
        Key(VK_SPACE);
        EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
      }
      plat::test::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
      Key('X');
      EXPECT_EQ(SurveyRun.runActive, 0);
      EXPECT_EQ(told, 1);
      EXPECT_EQ(DataFile().substr(0, file.size()), file);  // kept as it was
      TearDown();
    }
  }
}

TEST_F(RunStates, KeyboardSelection) {
  Start(Build(kModelRz12, false));
  Key(VK_UP);  // previous from the first: the last of the Monitor set
  EXPECT_EQ(LoggingButtons.selected, 1);
  EXPECT_TRUE(Framed(LoggingButtons.monitor[1]));
  EXPECT_FALSE(Framed(LoggingButtons.monitor[0]));
  Key(VK_TAB);  // next from the last: the first
  EXPECT_EQ(LoggingButtons.selected, 0);
  ASSERT_TRUE(CreateFile(L"RUN1"));
  Key(VK_LEFT);
  EXPECT_EQ(LoggingButtons.selected, 5);
  EXPECT_TRUE(Framed(LoggingButtons.standBy[5]));
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);  // moving performs nothing
  plat::test::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDNO});
  Key(VK_RETURN);  // presses "E&xit"
  EXPECT_EQ(SurveyRun.runActive, 1);
  Key(VK_RIGHT);
  EXPECT_EQ(LoggingButtons.selected, 0);
  EXPECT_TRUE(Framed(LoggingButtons.standBy[0]));
  EXPECT_FALSE(Framed(LoggingButtons.standBy[5]));
}

TEST_F(RunStates, Rz27Mk2SoftMarker) {
  // Landscape, pause key 0: a held digit marks the frames until it is released.
  LoggingSetup s = Build(kModelRz27Mk2, false);
  SetUpLogging(s);
  SurveySettings.softMarker = 1;
  ShowRun();
  ASSERT_TRUE(CreateFile(L"M"));
  Key('G');
  plat::test::KeyDown('5');
  plat::test::PumpUntilIdle();
  EXPECT_EQ(SurveyRun.softMarkerHeld.load(), 1);
  EXPECT_EQ(SurveyRun.state.load(), kRunLogging);
  plat::test::KeyUp('5');
  plat::test::PumpUntilIdle();
  EXPECT_EQ(SurveyRun.softMarkerHeld.load(), 0);
  TearDown();

  // Portrait: the first key-down of an arrow holds the marker, its repeats move the selection.
  SetUpLogging(Build(kModelRz27Mk2, true));
  SurveySettings.softMarker = 1;
  ShowRun();
  ASSERT_TRUE(CreateFile(L"M"));
  plat::test::KeyDown(VK_DOWN);
  plat::test::PumpUntilIdle();
  EXPECT_EQ(SurveyRun.softMarkerHeld.load(), 1);
  EXPECT_EQ(LoggingButtons.selected, 0);
  plat::test::KeyDown(VK_DOWN);
  plat::test::PumpUntilIdle();
  EXPECT_EQ(LoggingButtons.selected, 1);
  EXPECT_TRUE(Framed(LoggingButtons.standBy[1]));
  plat::test::KeyUp(VK_DOWN);
  plat::test::PumpUntilIdle();
  EXPECT_EQ(SurveyRun.softMarkerHeld.load(), 0);
  // A digit held in portrait is released by its own key-up as well.
  plat::test::KeyDown('3');
  plat::test::PumpUntilIdle();
  EXPECT_EQ(SurveyRun.softMarkerHeld.load(), 1);
  plat::test::KeyUp('3');
  plat::test::PumpUntilIdle();
  EXPECT_EQ(SurveyRun.softMarkerHeld.load(), 0);
}

TEST_F(RunStates, PopupMenuPlacesAndPostsItsChoice) {
  struct Case {
    int32_t model;
    bool portrait;
    UINT choice;  // an item only the build's menu has, or Hide Menu
  };
  for (const Case& c : {Case{kModelRz12, false, 1106}, Case{kModelRz12, true, 1106},
                        Case{kModelRz27Mk2, false, kMenuCalibrate}}) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << (c.portrait ? " portrait" : " landscape"));
    Start(Build(c.model, c.portrait));
    ASSERT_TRUE(CreateFile(L"M"));
    for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = static_cast<float>(i + 1);
    RECT at{};
    plat::test::OnModal(ModalKind::Menu, L"", [&](ModalContext& ctx) {
      at = plat::test::RectInParent(ctx.Window());
      EXPECT_TRUE(ctx.ChooseMenuItem(c.choice));
    });
    if (c.choice == kMenuCalibrate) {
      plat::test::ExpectMessageBox({L"CALIBRATION", L"Place  RZ27-MK2  on  Monopod", IDNO});
    }
    Key('M');
    EXPECT_EQ(at.top, 10);
    if (c.portrait) {
      EXPECT_EQ(at.left, 20);
    } else {
      EXPECT_EQ(at.right, 220);
    }
    if (c.choice == kMenuCalibrate) {
      EXPECT_EQ(SurveySettings.mk2Offset[5], 6.0f);  // No puts the offsets back
      EXPECT_EQ(Rz27Mk2Calibration.active.load(), 0);
    }
    EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
    TearDown();
  }
}

TEST_F(RunStates, CalibrationYesStartsIt) {
  Start(Build(kModelRz27Mk2, false));
  for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = static_cast<float>(i + 1);
  plat::test::ExpectMessageBox({L"CALIBRATION", L"and  press  YES  when  ready", IDYES});
  Key('A');
  EXPECT_EQ(Rz27Mk2Calibration.active.load(), -1);
  EXPECT_EQ(Rz27Mk2Calibration.phase, 1);
  EXPECT_EQ(Rz27Mk2Calibration.backup[2], 3.0f);
  EXPECT_EQ(SurveySettings.mk2Offset[2], 0.0f);
  EXPECT_EQ(SurveyRun.runActive, 1);
}

TEST_F(RunStates, DeleteCalibrationSavesZeroOffsets) {
  Start(Build(kModelRz27Mk2, false));
  ASSERT_TRUE(CreateFile(L"M"));
  const size_t before = SurveyRun.dataFile.Size();
  for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = static_cast<float>(i + 1);
  plat::test::ExpectMenu(kMenuDeleteCalibration);
  plat::test::ExpectMessageBox({L"Delete Calibration", L"delete Calibration factors ?", IDYES});
  Key('M');
  EXPECT_EQ(Rz27Mk2Calibration.previous[4], 5.0f);
  EXPECT_EQ(SurveySettings.mk2Offset[4], 0.0f);
  EXPECT_EQ(SurveyRun.dataFile.Size(), before + 6 * 26);  // the six calibration records
  EXPECT_FALSE(test::RootFileBytes("Storage/VLQINI/RZ27MK2.INI").empty());
}

TEST_F(RunStates, RunDialogs) {
  LoggingSetup s = Build(kModelRz12, false);
  s.dialogs = true;
  Start(s);
  HWND owner = nullptr;
  plat::test::ExpectDialog(L"New Station", [&](ModalContext& ctx) {
    owner = ctx.Owner();
    ctx.End(IDOK);
  });
  Key('N');  // in Monitor, before any data file
  EXPECT_EQ(owner, main_);
  ASSERT_TRUE(CreateFile(L"RUN1"));
  const size_t created = SurveyRun.dataFile.Size();

  plat::test::ExpectDialog(L"Enter Comment", [](ModalContext& ctx) { ctx.End(IDOK); });
  Key('C');
  // New Line cancelled writes nothing; confirmed writes a line block and a time record.
  plat::test::ExpectDialog(L"New Line", [](ModalContext& ctx) { ctx.Close(); });
  Key('L');
  EXPECT_EQ(SurveyRun.dataFile.Size(), created);
  SurveyRun.stationHasReading = 1;
  plat::test::ExpectDialog(L"New Line", [](ModalContext& ctx) { ctx.End(IDOK); });
  Key('L');
  const std::string file = DataFile();
  ASSERT_EQ(file.size(), created + 5 * kRecord);
  EXPECT_EQ(Record(file, 7)[0], 'L');
  EXPECT_EQ(Record(file, 11)[0], '*');
  EXPECT_EQ(SurveyRun.stationHasReading, 0);

  plat::test::ExpectMenu(kMenuDisplayOptions);
  plat::test::ExpectDialog(L"Display Options", [](ModalContext& ctx) { ctx.End(IDOK); });
  Key('M');
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_EQ(plat::test::FocusWindow(), logging_);
}

TEST_F(RunStates, MissingNewLineTemplateWritesNothing) {
  Start(Build(kModelRz12, false));
  DropTemplate(L"GetNewLine");
  ASSERT_TRUE(CreateFile(L"RUN1"));
  const std::string before = DataFile();
  SurveyRun.stationHasReading = 1;
  Press(LoggingButtons.standBy[1]);  // "&Line"
  EXPECT_EQ(DataFile(), before);
  EXPECT_EQ(SurveyRun.stationHasReading, 1);
  EXPECT_EQ(plat::test::ModalLog().size(), 1u);  // only the save dialog opened
}

// ---- End of the run ----------------------------------------------------------------------------

TEST_F(RunStates, ExitInMonitorEndsAtOnce) {
  for (int key : {int{'X'}, int{'M'}, int{'U'}, 0}) {
    SCOPED_TRACE(key);
    Start(Build(kModelRz12, false));
    if (key == 0) {
      Press(LoggingButtons.monitor[1]);
    } else {
      Key(key);
    }
    EXPECT_EQ(SurveyRun.runActive, 0);
    EXPECT_FALSE(plat::test::IsVisible(logging_));
    EXPECT_TRUE(plat::test::Timers(logging_).empty());
    EXPECT_TRUE(plat::test::ModalLog().empty());
    TearDown();
  }
}

TEST_F(RunStates, ExitInStandByAsksFirst) {
  Start(Build(kModelRz12, false));
  ASSERT_TRUE(CreateFile(L"RUN1"));
  plat::test::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDNO});
  Key('X');
  EXPECT_EQ(SurveyRun.runActive, 1);
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_TRUE(SurveyRun.dataFile.IsOpen());
  EXPECT_TRUE(plat::test::IsVisible(logging_));
  EXPECT_TRUE(plat::test::Releases().empty());

  plat::test::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  Press(LoggingButtons.standBy[5]);
  EXPECT_EQ(SurveyRun.runActive, 0);
  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
  EXPECT_FALSE(plat::test::IsVisible(logging_));
  using plat::test::ReleaseKind;
  std::vector<ReleaseKind> kinds;
  for (const auto& r : plat::test::Releases()) kinds.push_back(r.kind);
  EXPECT_EQ(kinds, (std::vector<ReleaseKind>{ReleaseKind::File, ReleaseKind::Timer}));

  // A second end is harmless, and the window takes no more commands.
  StopLogging(0);
  StopLogging(1);
  SendMessageW(logging_, WM_KEYDOWN, 'C', 0);
  SendMessageW(logging_, WM_COMMAND, 460, 0);
  SendMessageW(logging_, WM_KEYUP, '5', 0);
  plat::test::PumpUntilIdle();
  EXPECT_EQ(plat::test::Releases().size(), 2u);
  EXPECT_EQ(plat::test::ModalLog().size(), 3u);  // the save dialog and the two questions
}

TEST_F(RunStates, EndFromLoggingLeavesOneFramePerReading) {
  StartLogging(Build(kModelRz12, false));
  ASSERT_EQ(SurveyRun.framesPerReading.load(), 2);
  LinkState.frameCount = 1;
  StopLogging(1);  // the watchdog's end
  EXPECT_EQ(SurveyRun.framesPerReading.load(), 1);
  EXPECT_EQ(LinkState.frameCount.load(), 0);
  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_FALSE(plat::test::Timers(logging_).empty());  // quiet leaves the timer to the watchdog
}

// A run ended inside a modal call (as the watchdog does) stops the command there.
TEST_F(RunStates, LatePopupChoiceAfterTheEndDoesNothing) {
  LoggingSetup s = Build(kModelRz12, true);
  s.dialogs = true;
  Start(s);
  ASSERT_TRUE(CreateFile(L"RUN1"));
  const size_t sips = plat::test::SipPreferences().size();
  plat::test::OnModal(ModalKind::Menu, L"", [](ModalContext& ctx) {
    StopLogging(1);
    EXPECT_TRUE(ctx.ChooseMenuItem(kMenuDisplayOptions));
  });
  Key('M');
  EXPECT_EQ(SurveyRun.runActive, 0);
  // No "Display Options" opened (it would be unexpected), and nothing ran after the menu.
  ASSERT_EQ(plat::test::ModalLog().size(), 2u);
  EXPECT_EQ(plat::test::ModalLog().back().kind, ModalKind::Menu);
  EXPECT_EQ(plat::test::SipPreferences().size(), sips + 1);  // only the menu's own closing
}

TEST_F(RunStates, CalibrationQuestionAfterTheEndPutsTheOffsetsBack) {
  Start(Build(kModelRz27Mk2, false));
  for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = static_cast<float>(i + 1);
  plat::test::OnModal(ModalKind::MessageBox, L"CALIBRATION", [](ModalContext& ctx) {
    StopLogging(1);
    ctx.Answer(IDYES);
  });
  Key('A');
  EXPECT_EQ(SurveyRun.runActive, 0);
  EXPECT_EQ(Rz27Mk2Calibration.active.load(), 0);
  EXPECT_EQ(Rz27Mk2Calibration.phase, 0);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(SurveySettings.mk2Offset[i], static_cast<float>(i + 1));
}

TEST_F(RunStates, ExitQuestionAfterTheEndClosesNothingTwice) {
  Start(Build(kModelRz12, false));
  ASSERT_TRUE(CreateFile(L"RUN1"));
  plat::test::OnModal(ModalKind::MessageBox, L"Confirm Exit", [](ModalContext& ctx) {
    StopLogging(1);
    ctx.Answer(IDYES);
  });
  Key('X');
  EXPECT_EQ(SurveyRun.runActive, 0);
  using plat::test::ReleaseKind;
  std::vector<ReleaseKind> kinds;
  for (const auto& r : plat::test::Releases()) kinds.push_back(r.kind);
  EXPECT_EQ(kinds, (std::vector<ReleaseKind>{ReleaseKind::File}));
}

TEST_F(RunStates, DataFileDialogAfterTheEndCreatesNothing) {
  Start(Build(kModelRz12, false));
  plat::test::OnModal(ModalKind::OpenSave, L"Create Data File", [](ModalContext& ctx) {
    StopLogging(1);
    ctx.ChooseFile(L"LATE");
  });
  Key('C');
  EXPECT_EQ(SurveyRun.runActive, 0);
  EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
  EXPECT_TRUE(test::RootFileBytes("Storage/DATA12/LATE.R12").empty());
}

}  // namespace
}  // namespace handheld
