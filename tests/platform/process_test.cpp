// Process entry and exit, and the recorded stand-ins (battery, beeps, idle timer).
// test-labels: threads
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../../platform/src/core.h"

namespace {

std::string g_root;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Buffered output that only a flush at exit puts on disk.
void WriteUnflushed(const char* text) {
  FILE* f = std::fopen((g_root + "/out.txt").c_str(), "w");
  std::fputs(text, f);
}

class Process : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "plat-process-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    g_root = tmpl;
    setenv("PLAT_ROOT", g_root.c_str(), 1);
    unsetenv("PLAT_SCREEN");
    unsetenv("PLAT_SCALE");
    setenv("PLAT_DISPLAY", "headless", 1);
  }
  void TearDown() override {
    plat::test::Reset();
    std::filesystem::remove_all(g_root);
  }
};

int ReturnMinusOne(HINSTANCE, HINSTANCE, LPWSTR, int) { return -1; }

TEST_F(Process, WinMainResultIsTheLowByteOfTheExitStatus) {
  EXPECT_EXIT(plat::RunMain({plat::Profile::Handheld, ReturnMinusOne, nullptr}), ::testing::ExitedWithCode(255),
              "");
}

bool IsFolderW(const wchar_t* path) {
  DWORD a = GetFileAttributesW(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Each check that fails gives its own exit status.
int HandheldMain(HINSTANCE inst, HINSTANCE prev, LPWSTR cmd, int show) {
  WriteUnflushed("handheld");
  if (!inst || inst != GetModuleHandleW(nullptr) || inst != GetModuleHandleA(nullptr)) return 10;
  if (prev || !cmd || cmd[0] != 0 || show != 1) return 11;
  if (plat::detail::CurrentProfile() != plat::Profile::Handheld) return 12;
  if (!IsFolderW(L"\\Storage") || !IsFolderW(L"\\C_DRIVE")) return 13;
  return 0;
}

int DesktopMain(HINSTANCE inst, HINSTANCE, LPSTR cmd, int) {
  WriteUnflushed("desktop");
  if (!inst || inst != GetModuleHandleA(nullptr) || !cmd || cmd[0] != 0) return 20;
  if (plat::detail::CurrentProfile() != plat::Profile::Desktop) return 21;
  if (!IsFolderW(L"C:\\") || !IsFolderW(L"C:\\RZ12") || !IsFolderW(L"C:\\RZ12\\DATA")) return 22;
  return 0;
}

int WrongMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return 30; }

TEST_F(Process, StartUpCreatesTheRootFoldersAndHandsOverToWinMain) {
  EXPECT_EXIT(plat::RunMain({plat::Profile::Handheld, HandheldMain, nullptr}), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(g_root + "/out.txt"), "handheld") << "stdio was not flushed";

  // The desktop calls the 8-bit WinMain and also makes its start folder.
  setenv("PLAT_CWD", "C:\\RZ12\\DATA", 1);
  EXPECT_EXIT(plat::RunMain({plat::Profile::Desktop, WrongMain, DesktopMain}), ::testing::ExitedWithCode(0), "");
  unsetenv("PLAT_CWD");
  EXPECT_EQ(ReadFile(g_root + "/out.txt"), "desktop");
}

// The configuration as WinMain sees it, coded into the exit status.
int ConfigMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  const auto& c = plat::detail::StartupConfig();
  std::printf("%dx%d scale %d %s\n", c.screenCx, c.screenCy, c.scale,
              c.display == plat::detail::DisplayMode::Sdl ? "sdl" : "headless");
  return 0;
}

TEST_F(Process, ConfigurationFromTheEnvironment) {
  const struct {
    const char* screen;
    const char* scale;
    const char* shown;
  } cases[] = {
      {"320x240", "3", "320x240 scale 3 headless"},
      {"abc", "0", "240x320 scale 2 headless"},  // values that do not parse keep the defaults
      {"320x", "2.5", "240x320 scale 2 headless"},
      {"99999999x240", "", "240x320 scale 2 headless"},
  };
  for (const auto& c : cases) {
    setenv("PLAT_SCREEN", c.screen, 1);
    setenv("PLAT_SCALE", c.scale, 1);
    std::string out = g_root + "/config.txt";
    EXPECT_EXIT(
        {
          std::freopen(out.c_str(), "w", stdout);
          plat::RunMain({plat::Profile::Handheld, ConfigMain, nullptr});
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile(out), std::string(c.shown) + "\n") << c.screen << " " << c.scale;
  }
}

int EndAtOnceMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return 0; }

// Without a display, a program that did not ask to run headless says so in one line on standard
// error, with its drive root; asked for (as by every test), headless is quiet.
TEST_F(Process, UnaskedHeadlessIsToldOnceWithTheDriveRoot) {
  const std::string told = "platform: running headless \\(.+\\); drive root " + g_root +
                           "; a display or \\./scripts/demo shows the program\n";
  const struct {
    const char* display;  // PLAT_DISPLAY, nullptr: unset
    const char* x;        // DISPLAY, nullptr: unset
    bool told;
  } cases[] = {
      {nullptr, nullptr, true},
      {nullptr, ":99", true},  // this program has no SDL display
      {"sdl", nullptr, true},
      {"headless", ":99", false},
      {"headless", nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.display ? c.display : "-") << " " << (c.x ? c.x : "-"));
    EXPECT_EXIT(
        {
          c.display ? setenv("PLAT_DISPLAY", c.display, 1) : unsetenv("PLAT_DISPLAY");
          c.x ? setenv("DISPLAY", c.x, 1) : unsetenv("DISPLAY");
          unsetenv("WAYLAND_DISPLAY");
          plat::RunMain({plat::Profile::Handheld, EndAtOnceMain, nullptr});
        },
        ::testing::ExitedWithCode(0), c.told ? ::testing::MatchesRegex(told) : ::testing::MatchesRegex(""));
  }
}

TEST_F(Process, ExitProcessFlushesAndEndsWithTheCode) {
  EXPECT_EXIT(
      {
        WriteUnflushed("kept");
        ExitProcess(3);
      },
      ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(ReadFile(g_root + "/out.txt"), "kept");
}

TEST_F(Process, ExitHookSeesTheCodeAndAReturningHookStillEnds) {
  EXPECT_EXIT(
      {
        plat::SetExitHook([](UINT code) { std::fprintf(stderr, "hook %u\n", code); });
        ExitProcess(5);
      },
      ::testing::ExitedWithCode(5), "hook 5");
}

TEST_F(Process, TestExitHookUnwindsToTheCaller) {
  plat::test::InstallTestExitHook();
  bool unwound = false;
  UINT code = 0;
  try {
    struct Guard {
      bool* flag;
      ~Guard() { *flag = true; }
    } guard{&unwound};
    ExitProcess(42);
  } catch (const plat::test::ProcessExit& e) {
    code = e.code;
  }
  EXPECT_TRUE(unwound);
  EXPECT_EQ(code, 42u);

  // Only the installing thread throws: elsewhere ExitProcess still ends the process.
  EXPECT_EXIT(
      {
        plat::test::InstallTestExitHook();
        std::thread([] { ExitProcess(7); }).join();
      },
      ::testing::ExitedWithCode(7), "");
  plat::SetExitHook(nullptr);
}

class StandIns : public ::testing::Test {
 protected:
  void TearDown() override { plat::test::Reset(); }
};

TEST_F(StandIns, BatteryStatus) {
  SYSTEM_POWER_STATUS_EX2 s;
  plat::test::SetBatteryPercent(57);
  std::memset(&s, 0xAB, sizeof s);
  EXPECT_EQ(GetSystemPowerStatusEx2(&s, sizeof s, TRUE), static_cast<DWORD>(sizeof s));
  EXPECT_EQ(s.BatteryLifePercent, 57);
  EXPECT_EQ(s.ACLineStatus, 255);
  EXPECT_EQ(s.BatteryFlag, 255);

  plat::test::SetBatteryPercent(150);
  GetSystemPowerStatusEx2(&s, sizeof s, TRUE);
  EXPECT_EQ(s.BatteryLifePercent, 255);

  // A short length gets only that many bytes.
  std::memset(&s, 0xAB, sizeof s);
  EXPECT_EQ(GetSystemPowerStatusEx2(&s, 2, TRUE), 2u);
  EXPECT_EQ(s.ACLineStatus, 255);
  EXPECT_EQ(s.BatteryLifePercent, 0xAB);
  EXPECT_EQ(GetSystemPowerStatusEx2(nullptr, sizeof s, TRUE), 0u);

  // After a reset the system battery is read: a percentage or unknown.
  plat::test::Reset();
  GetSystemPowerStatusEx2(&s, sizeof s, TRUE);
  EXPECT_TRUE(s.BatteryLifePercent <= 100 || s.BatteryLifePercent == 255) << int(s.BatteryLifePercent);
}

TEST_F(StandIns, BeepsAreRecordedWithTheirTickAndBounded) {
  DWORD before = GetTickCount();
  EXPECT_TRUE(MessageBeep(MB_ICONHAND));
  EXPECT_TRUE(MessageBeep(MB_ICONEXCLAMATION));
  DWORD after = GetTickCount();
  auto beeps = plat::test::Beeps();
  ASSERT_EQ(beeps.size(), 2u);
  EXPECT_EQ(beeps[0].type, static_cast<UINT>(MB_ICONHAND));
  EXPECT_EQ(beeps[1].type, static_cast<UINT>(MB_ICONEXCLAMATION));
  for (const auto& b : beeps) {
    EXPECT_LE(b.tick - before, after - before);
  }

  for (UINT i = 0; i < 2000; ++i) MessageBeep(i);
  beeps = plat::test::Beeps();
  ASSERT_EQ(beeps.size(), 1024u);
  EXPECT_EQ(beeps.front().type, 2000u - 1024u);
  EXPECT_EQ(beeps.back().type, 1999u);

  plat::test::Reset();
  EXPECT_TRUE(plat::test::Beeps().empty());
}

TEST_F(StandIns, IdleTimerResetsAreCountedAcrossThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 1000; ++i) SystemIdleTimerReset();
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(plat::test::IdleTimerResets(), 4000u);
  plat::test::Reset();
  EXPECT_EQ(plat::test::IdleTimerResets(), 0u);
}

DWORD WINAPI EndAtOnce(LPVOID) { return 0; }

TEST_F(StandIns, ReleasesAreLoggedInCallOrder) {
  plat::test::UseTempRoot();
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"ReleaseLogWnd";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND wnd = CreateWindowW(L"ReleaseLogWnd", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  ASSERT_EQ(SetTimer(wnd, 7, 100, nullptr), 7u);
  plat::test::AttachVirtualPort(3);
  HANDLE port = CreateFileW(L"COM3:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE file = CreateFileW(L"\\Storage\\R.TXT", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, nullptr);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);

  EXPECT_TRUE(CloseHandle(port));
  EXPECT_TRUE(CloseHandle(event));      // not a file, port or thread: not logged
  EXPECT_FALSE(CloseHandle(port));      // a second close fails and is not logged
  EXPECT_FALSE(KillTimer(wnd, 8));      // no such timer
  EXPECT_TRUE(KillTimer(wnd, 7));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_TRUE(CloseHandle(thread));

  using plat::test::ReleaseKind;
  const auto log = plat::test::Releases();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].kind, ReleaseKind::Port);
  EXPECT_EQ(log[0].handle, port);
  EXPECT_EQ(log[1].kind, ReleaseKind::Timer);
  EXPECT_EQ(log[1].window, wnd);
  EXPECT_EQ(log[1].timerId, 7u);
  EXPECT_EQ(log[2].kind, ReleaseKind::File);
  EXPECT_EQ(log[2].handle, file);
  EXPECT_EQ(log[3].kind, ReleaseKind::Thread);
  EXPECT_EQ(log[3].handle, thread);

  plat::test::Reset();
  EXPECT_TRUE(plat::test::Releases().empty());
}

}  // namespace
