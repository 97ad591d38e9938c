// The handheld deliverables as programs: every one starts headless on an empty drive root and
// writes its settings file; a second start on the same root asks the first to come to the front
// and ends with 255; and a run starts on a pseudo-terminal linked as COM1.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app_test_support.h"
#include "child_process.h"
#include "engine/readers.h"
#include "engine/state.h"
#include "shell/shell.h"
#include "sim/instrument.h"

namespace handheld {
namespace {

using Clock = std::chrono::steady_clock;

struct App {
  const char* name;
  const char* settingsFile;  // under the drive root
  const char* version;
};

const App kApps[] = {
    {"rz12wm", "Storage/VLQINI/RZ12.INI", "CEVer2.11"},       {"zolwm", "Storage/VLQINI/RZ12.INI", "CEVer2.11"},
    {"rz27bwm", "Storage/VLQINI/RZ27B.INI", "CEVer2.10"},     {"rz27ddwm", "Storage/VLQINI/RZ27D.INI", "CEVer2.10"},
    {"rz27wm", "Storage/VLQINI/RZ27.INI", "CEVer2.10"},       {"rz45wm", "Storage/VLQINI/RZ45.INI", "CEVer2.11"},
    {"rz89wm", "C_DRIVE/VLQINI/RZ89.INI", "CEVer2.10"},       {"zol12wm", "Storage/VLQINI/ZOL12.INI", "CEVer2.10"},
    {"rz27mk2wm", "Storage/VLQINI/RZ27MK2.INI", "CEVer2.10"},
};

std::string AppPath(const char* name) { return std::string(HANDHELD_APPS_DIR) + "/" + name; }

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Waits (real time, bounded) until the file exists; its bytes, or "".
std::string WaitForFile(const std::string& path, int limitMs = 10000) {
  const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  struct stat st{};
  while (stat(path.c_str(), &st) != 0 && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return FileBytes(path);
}

// Waits (real time, bounded) for the child to end; its exit code, or -1 when it did not end.
int WaitExit(test_support::Child& child, int limitMs = 10000) {
  const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  while (child.Running() && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return child.Running() ? -1 : child.Wait();
}

// Every file under a folder with its bytes.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (e.is_regular_file()) files[e.path().string()] = FileBytes(e.path().string());
  }
  return files;
}

class HandheldApps : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = plat::test::UseTempRoot();
    run_ = base_ + "/run";
    ASSERT_EQ(mkdir(run_.c_str(), 0700), 0);
  }
  void TearDown() override {
    plat::test::Reset();
    test::ResetAppState();
  }
  // The environment of an app on its own drive root, with the lock files under the test's folder.
  std::vector<std::string> Env(const std::string& root) const {
    return {"PLAT_ROOT=" + root, "PLAT_DEVDIR=" + root + "/dev", "PLAT_DISPLAY=headless", "XDG_RUNTIME_DIR=" + run_};
  }

  std::string base_;
  std::string run_;
};

// All nine start headless on an empty root, each writing its settings file with its version line,
// and run on until they are ended. One at a time, to keep the machine's load low for the other
// tests that run on the real clock.
TEST_F(HandheldApps, EveryAppStartsOnAnEmptyRootAndWritesItsSettings) {
  for (const App& a : kApps) {
    SCOPED_TRACE(a.name);
    const std::string root = base_ + "/" + a.name;
    ASSERT_EQ(mkdir(root.c_str(), 0700), 0);
    test_support::Child app({AppPath(a.name)}, Env(root));
    const std::string bytes = WaitForFile(root + "/" + a.settingsFile);
    EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")), a.version);
    EXPECT_TRUE(app.Running()) << "it ended by itself";
  }  // each is ended (SIGTERM) as it goes
}

// A second rz12wm on the same root finds the first, asks it to come to the front and ends with 255
// at once, writing nothing; the first (here in-process) receives the request and runs on untouched.
TEST_F(HandheldApps, ASecondStartAsksTheFirstToComeToTheFrontAndEndsWith255) {
  setenv("XDG_RUNTIME_DIR", run_.c_str(), 1);
  test::UseApp(kModelRz12);
  HANDLE first = test::StartApp({320, 240});
  HWND main = test::MainWindow();
  ASSERT_NE(main, nullptr);
  const auto before = Tree(base_);
  ASSERT_FALSE(before.empty());

  test_support::Child second({AppPath("rz12wm")}, Env(base_));
  EXPECT_EQ(WaitExit(second), 255);
  const auto end = Clock::now() + std::chrono::seconds(5);
  while (plat::test::ActivateRequests().empty() && Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(plat::test::ActivateRequests(), (std::vector<std::wstring>{L"RZ56"}));

  EXPECT_TRUE(plat::test::WaitIdle());
  EXPECT_FALSE(test::Ended(first));
  EXPECT_TRUE(plat::test::IsVisible(main));
  EXPECT_EQ(test::MainWindow(), main);
  EXPECT_EQ(MainMenu.selected, 1);
  EXPECT_TRUE(plat::test::ModalLog().empty());
  EXPECT_EQ(Tree(base_), before);
  EXPECT_EQ(test::ExitByKey(first), 0);
}

// ---- A run on a pseudo-terminal ----------------------------------------------------------------

constexpr char kPtyChildEnv[] = "HANDHELD_TEST_PTY_CHILD";

// Runs in a child process: pseudo-terminals need the real clock, under which the keep-alive
// thread sleeps for 59 s, so the process ends without the harness's checks once it has reported.
TEST(HandheldPtyChild, RunStartsOnAPseudoTerminal) {
  if (!std::getenv(kPtyChildEnv)) GTEST_SKIP() << "runs only as the child of the test below";
  plat::test::UseTempRoot();
  const int master = plat::test::CreatePtyPort(1);
  ASSERT_GE(master, 0);
  test::UseApp(kModelRz12);
  HANDLE program = plat::test::RunProgram(handheld::WinMain, plat::Profile::Handheld, {320, 240});
  ASSERT_TRUE(plat::test::WaitIdle());
  plat::test::KeyPress('L');
  // A reader on a real descriptor never counts as idle: the run's state is read on the UI thread.
  const auto started = Clock::now() + std::chrono::seconds(5);
  bool running = false;
  while (!running && Clock::now() < started) {
    running = plat::test::OnUiThread([] { return LRESULT{SurveyRun.runActive}; }) == 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(running);

  termios t{};
  ASSERT_TRUE(plat::test::LastAppliedTermios(1, &t));
  EXPECT_EQ(cfgetispeed(&t), speed_t{B9600});
  EXPECT_EQ(cfgetospeed(&t), speed_t{B9600});
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8});
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);

  // The reader announces a frame written to the other end.
  sim::InstrumentOptions o;
  const std::string frame = sim::InstrumentStream(o).Frame(0);
  ASSERT_EQ(write(master, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
  const auto end = Clock::now() + std::chrono::seconds(5);
  bool announced = false;
  while (!announced && Clock::now() < end) {
    for (const plat::test::SendInfo& s : plat::test::Sends()) announced |= s.msg == WM_READING;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_TRUE(announced);
  EXPECT_FALSE(test::Ended(program));
  test_support::ExitChild("pty run");
}

TEST_F(HandheldApps, ARunStartsOnAPseudoTerminalLinkedAsCom1) {
  test_support::Child child({"/proc/self/exe", "--gtest_filter=HandheldPtyChild.RunStartsOnAPseudoTerminal"},
                            {std::string(kPtyChildEnv) + "=1"});
  const std::string out = child.Output();
  EXPECT_EQ(WaitExit(child), 0) << out;
  EXPECT_NE(out.find("pty run checked"), std::string::npos) << out;
}

}  // namespace
}  // namespace handheld
