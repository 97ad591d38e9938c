// The whole program in-process: start-up of every build, its classes and windows, the screen
// layout, the uptime flag, the menu buttons and keys, and the exit.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app_test_support.h"
#include "root_files.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "shell/shell.h"

namespace handheld {
namespace {

using test::AppTest;

// Rectangles compared and printed as (left, top, right, bottom).
std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}
#define EXPECT_RECT(a, b) EXPECT_EQ(Show(a), Show(b))

std::string FirstLine(const std::string& bytes) { return bytes.substr(0, bytes.find("\r\n")); }

// The value lines of a settings file, version line first.
std::vector<std::string> Lines(const std::string& bytes) { return survey::test::CrLfLines(bytes); }

struct Build {
  const char* app;
  int model;
  int zolOption;
  const char* version;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const Build& b, std::ostream* os) { *os << b.app; }

class EveryBuild : public AppTest, public ::testing::WithParamInterface<Build> {};

// Each build starts, writes its settings file with its version line, and 'X' ends it with 0,
// giving the task bar back.
TEST_P(EveryBuild, StartsWritesItsSettingsAndExitsOnX) {
  const Build& b = GetParam();
  BuildSwitches s;
  s.modelIndex = b.model;
  s.zolOptionAvailable = b.zolOption;
  Start(s);
  ASSERT_NE(test::MainWindow(), nullptr);
  EXPECT_EQ(plat::test::Text(test::MainWindow()), L"RZ12");
  EXPECT_EQ(FirstLine(test::SettingsFileBytes()), b.version);
  EXPECT_EQ(BuildConfig.recordLength, b.model == kModelRz27Mk2 ? 26 : 24);
  EXPECT_NE(AppWindows.chooseColorProc, nullptr);
  // The title screen hides the task bar at every paint; the exit shows it again.
  plat::test::OnUiThread([] { return LRESULT{ShowWindow(FindWindowW(L"HHTaskBar", nullptr), SW_HIDE)}; });
  ASSERT_FALSE(plat::test::TaskBarVisible());
  EXPECT_EQ(ExitByKey(), 0);
  EXPECT_TRUE(plat::test::TaskBarVisible());
  EXPECT_EQ(WorkerThreads.keepAliveRun.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Apps, EveryBuild,
                         ::testing::Values(Build{"rz12wm", 0, 0, "CEVer2.11"}, Build{"zolwm", 0, 1, "CEVer2.11"},
                                           Build{"rz27bwm", 1, 0, "CEVer2.10"}, Build{"rz27ddwm", 2, 0, "CEVer2.10"},
                                           Build{"rz27wm", 3, 0, "CEVer2.10"}, Build{"rz45wm", 4, 0, "CEVer2.11"},
                                           Build{"rz89wm", 5, 0, "CEVer2.10"}, Build{"zol12wm", 6, 0, "CEVer2.10"},
                                           Build{"rz27mk2wm", 7, 0, "CEVer2.10"}),
                         [](const ::testing::TestParamInfo<Build>& info) { return std::string(info.param.app); });

// ---- Classes and windows that cannot be made --------------------------------------------------

struct Fault {
  bool registration;  // FailRegisterClass, else FailCreateWindow
  const wchar_t* cls;
  int exitCode;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const Fault& f, std::ostream* os) {
  *os << (f.registration ? "Register" : "Create");
  for (const wchar_t* c = f.cls; *c; ++c) *os << static_cast<char>(*c);
}

class StartUpFaults : public AppTest, public ::testing::WithParamInterface<Fault> {};

// A class that does not register ends the start with 1 (the main class) or 2 (any other); a main
// window that is not made with 16; a child window that is not made takes the main window down and
// the program ends normally. None of them gets as far as the settings or the keep-alive thread.
TEST_P(StartUpFaults, EndTheStartWithTheirExitCode) {
  const Fault& f = GetParam();
  if (f.registration) {
    plat::test::FailRegisterClass(f.cls);
  } else {
    plat::test::FailCreateWindow(f.cls);
  }
  Start(kModelRz12);
  EXPECT_TRUE(test::Ended(program_));
  EXPECT_EQ(End(), f.exitCode);
  EXPECT_EQ(test::SettingsFileBytes(), "");
  EXPECT_EQ(WorkerThreads.keepAlive, nullptr);
  EXPECT_EQ(test::MainWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Classes, StartUpFaults,
                         ::testing::Values(Fault{true, L"RZ56", 1}, Fault{true, L"MonitorGPSWnd", 2},
                                           Fault{true, L"LoggingWnd", 2}, Fault{true, L"CurveWnd", 2},
                                           Fault{true, L"ViewCurveWnd", 2}, Fault{false, L"RZ56", 16},
                                           Fault{false, L"LoggingWnd", 0}, Fault{false, L"ViewFilesWnd", 0}),
                         [](const ::testing::TestParamInfo<Fault>& info) { return testing::PrintToString(info.param); });

TEST_F(AppTest, AMissingColourChooserIsLeftNull) {
  plat::test::RemoveModuleExport(L"COMMDLG.DLL", "ChooseColor");
  Start(kModelRz12);
  EXPECT_NE(AppWindows.commdlgModule, nullptr);
  EXPECT_EQ(AppWindows.chooseColorProc, nullptr);
  EXPECT_EQ(ExitByKey(), 0);
}

// ---- Screen layout, children and menu buttons ------------------------------------------------

struct Screen {
  int cx, cy;
  int portrait;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const Screen& s, std::ostream* os) { *os << s.cx << "x" << s.cy; }

class Layout : public AppTest, public ::testing::WithParamInterface<Screen> {};

// Width <= height is portrait, a square screen too; the windows keep their two sizes whatever the
// screen; the plot leaves two text rows above and below it in landscape, three in portrait.
TEST_P(Layout, FollowsTheOrientationAndTheFont) {
  const Screen& sc = GetParam();
  Start(kModelRz12, {sc.cx, sc.cy});
  const LRESULT t = plat::test::OnUiThread([] {
    HDC dc = GetDC(test::MainWindow());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    ReleaseDC(test::MainWindow(), dc);
    return LRESULT{tm.tmHeight};
  });
  ASSERT_GT(t, 0);
  const int rows = sc.portrait ? 3 : 2;
  const int w = sc.portrait ? 240 : 320;
  const int h = sc.portrait ? 320 : 240;
  EXPECT_EQ(ScreenLayout.portrait, sc.portrait);
  EXPECT_EQ(ScreenLayout.windowWidth, w);
  EXPECT_EQ(ScreenLayout.windowHeight, h);
  EXPECT_EQ(ScreenLayout.usableHeight, h - 22);
  EXPECT_EQ(ScreenLayout.textHeight, t);
  EXPECT_EQ(ScreenLayout.plotLeft, 4);
  EXPECT_EQ(ScreenLayout.plotTop, rows * t + 2);
  EXPECT_EQ(ScreenLayout.plotWidth, w - 8);
  EXPECT_EQ(ScreenLayout.plotHeight, h - 22 - rows * t - ScreenLayout.plotTop - 2);

  HWND main = test::MainWindow();
  const RECT full{0, 0, w, h};
  EXPECT_RECT(plat::test::WindowRect(main), full);
  struct Child {
    HWND h;
    int id;
    const wchar_t* caption;
  };
  for (const Child& c : {Child{AppWindows.loggingWnd, 4, L"Logging"}, Child{AppWindows.monitorGpsWnd, 3, L"Monitor GPS"},
                         Child{AppWindows.viewFilesWnd, 8, L"View Files"}}) {
    SCOPED_TRACE(testing::Message() << c.id);
    EXPECT_EQ(plat::test::Child(main, c.id), c.h);
    EXPECT_EQ(plat::test::Text(c.h), c.caption);
    EXPECT_FALSE(plat::test::IsVisible(c.h));
    EXPECT_RECT(plat::test::RectInParent(c.h), full);
  }

  const wchar_t* const captions[] = {L"Monitor/&Log", L"&Survey Setup", L"L&ogger Setup", L"Set &GPS Port",
                                     L"&Display Options", L"&View Files", L"E&xit"};
  const int x = sc.portrait ? 100 : 180;
  const int y0 = sc.portrait ? 82 : 18;
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    HWND b = AppWindows.menuButtons[i];
    EXPECT_EQ(plat::test::Child(main, 420 + i), b);
    EXPECT_EQ(plat::test::Text(b), captions[i]);
    const RECT r{x, y0 + 30 * i, x + 120, y0 + 30 * i + 26};
    EXPECT_RECT(plat::test::RectInParent(b), r);
    const DWORD style = plat::test::Style(b);
    EXPECT_EQ(style & (WS_VISIBLE | WS_TABSTOP), DWORD{WS_VISIBLE | WS_TABSTOP});
    EXPECT_EQ(style & BS_TYPEMASK, DWORD(i == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
  }
  EXPECT_EQ(AppWindows.fontNormal != nullptr && AppWindows.fontBold != nullptr, true);
}

INSTANTIATE_TEST_SUITE_P(Screens, Layout,
                         ::testing::Values(Screen{320, 240, 0}, Screen{240, 320, 1}, Screen{240, 240, 1},
                                           Screen{480, 640, 1}),
                         [](const ::testing::TestParamInfo<Screen>& info) { return testing::PrintToString(info.param); });

// ---- The uptime --------------------------------------------------------------------------------

const wchar_t kStopText[] =
    L"Windows has run for more than 20 days.\r\nTo assure accurate clock operation\r\nplease restart the "
    L"system.\r\nPress and hold On/Off key till blue screen\r\nand \"Warm Reset Detected\" is displayed.";

// The one "PROGRAM STOP" box of the modal log, checked.
void ExpectOneStopBox() {
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].kind, plat::test::ModalKind::MessageBox);
  EXPECT_EQ(log[0].caption, L"PROGRAM STOP");
  EXPECT_EQ(log[0].text, kStopText);
  EXPECT_EQ(log[0].flags, UINT{MB_ICONEXCLAMATION | MB_OK});
}

struct Uptime {
  uint32_t tick;
  int exceeded;
};
// Test names and failures show the case, not its bytes.
void PrintTo(const Uptime& u, std::ostream* os) { *os << "Tick" << u.tick; }

class UptimeAtStart : public AppTest, public ::testing::WithParamInterface<Uptime> {};

// More than 1,728,000,000 ms (compared unsigned) at the main window's creation sets the flag; the
// stop then comes with the title screen's paint or, at the latest, with Monitor/Log, and ends the
// process with 0 once it is answered.
TEST_P(UptimeAtStart, SetsTheFlagOnlyAboveTwentyDays) {
  const Uptime& u = GetParam();
  plat::test::OnModal(plat::test::ModalKind::MessageBox, L"PROGRAM STOP",
                      [](plat::test::ModalContext& m) { m.Answer(IDOK); });
  BuildSwitches s;
  Start(s, {320, 240}, u.tick);
  EXPECT_EQ(MainMenu.uptimeExceeded, u.exceeded);
  if (u.exceeded == 0) {
    EXPECT_TRUE(plat::test::ModalLog().empty());
    EXPECT_EQ(ExitByKey(), 0);
    return;
  }
  if (!test::Ended(program_)) {
    plat::test::KeyPress('L');
    test::Run(10);
  }
  EXPECT_TRUE(test::Ended(program_));
  EXPECT_EQ(End(), 0);
  ExpectOneStopBox();
  EXPECT_EQ(SurveyRun.runActive, 0);
}

INSTANTIATE_TEST_SUITE_P(Ticks, UptimeAtStart,
                         ::testing::Values(Uptime{1728000000u, 0}, Uptime{1728000001u, 1}, Uptime{0x80000000u, 1},
                                           Uptime{0xFFFFFF00u, 1}),
                         [](const ::testing::TestParamInfo<Uptime>& info) { return testing::PrintToString(info.param); });

// Monitor/Log looks at the tick itself: a program started in time stops there, before any port.
TEST_F(AppTest, MonitorLogStopsTheProgramAfterTwentyDays) {
  auto port = plat::test::AttachVirtualPort(1);
  Start(kModelRz12);
  ASSERT_EQ(MainMenu.uptimeExceeded, 0);
  plat::test::SetTick(1728000001u);
  plat::test::ExpectMessageBox({L"PROGRAM STOP", L"Windows has run for more than 20 days.", IDOK});
  plat::test::KeyPress('L');
  test::Run(10);
  EXPECT_TRUE(test::Ended(program_));
  EXPECT_EQ(End(), 0);
  ExpectOneStopBox();
  EXPECT_EQ(port->OpenAttempts(), 0);
}

// ---- The RZ27-MK2's pause key in portrait ------------------------------------------------------

// The pause key line of an RZ27-MK2 settings file.
std::string PauseKeyLine() {
  const std::vector<std::string> lines = Lines(test::SettingsFileBytes());
  return lines.size() > 4 ? lines[4] : "";
}

TEST_F(AppTest, Rz27Mk2InPortraitWritesPauseKeyEnterIntoANewSettingsFile) {
  Start(kModelRz27Mk2, {240, 320});
  EXPECT_EQ(SurveySettings.pauseKey, 2);
  EXPECT_EQ(PauseKeyLine(), "2");
}

TEST_F(AppTest, Rz27Mk2InLandscapeKeepsPauseKeyZero) {
  Start(kModelRz27Mk2, {320, 240});
  EXPECT_EQ(SurveySettings.pauseKey, 0);
  EXPECT_EQ(PauseKeyLine(), "0");
}

TEST_F(AppTest, Rz27Mk2InPortraitKeepsThePauseKeyOfAnExistingFile) {
  test::UseApp(kModelRz27Mk2);
  SurveySettings.pauseKey = 1;
  LoadSaveSettings(1);
  ASSERT_EQ(PauseKeyLine(), "1");
  Start(kModelRz27Mk2, {240, 320});
  EXPECT_EQ(SurveySettings.pauseKey, 1);
  EXPECT_EQ(PauseKeyLine(), "1");
}

}  // namespace
}  // namespace handheld
