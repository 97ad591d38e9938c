// The single-instance check across processes: a second program on the same drive root finds a
// proxy for the first one's main window, asks it to come to the front and ends with 255; other
// roots, a released lock and malformed requests change nothing.
// test-labels: threads
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "window_test_util.h"

extern char** environ;

namespace {

using namespace wintest;

constexpr char kSecondEnv[] = "PLAT_TEST_SECOND_INSTANCE";

// The second program: the handheld's start-up check. Exits with -1 (255) after a proxy was found
// and behaved as one; with 0 when nothing was found; with other codes for a misbehaving proxy.
int WINAPI SecondWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  HWND h = FindWindowW(L"RZ56", nullptr);
  if (!h) return 0;
  if (!IsWindow(h) || (reinterpret_cast<uintptr_t>(h) & 3) != 0) return 3;
  if (FindWindowW(L"rz56", nullptr) != h) return 4;
  if (FindWindowW(L"RZ56", L"RZ12") != nullptr || FindWindowW(nullptr, L"RZ12") != nullptr) return 5;
  // Every other call on the proxy fails harmlessly.
  wchar_t text[16] = L"x";
  RECT rc{};
  if (SendMessageW(h, WM_CLOSE, 0, 0) != 0 || PostMessageW(h, WM_CLOSE, 0, 0) || ShowWindow(h, SW_HIDE) ||
      IsWindowVisible(h) || DestroyWindow(h) || GetWindowTextW(h, text, 16) != 0 || text[0] != 0 ||
      GetClientRect(h, &rc) || SetTimer(h, 1, 100, nullptr) != 0) {
    return 6;
  }
  if (!SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(h) | 1))) return 7;
  return -1;
}

TEST(SingleInstanceChild, SecondInstance) {
  if (!std::getenv(kSecondEnv)) GTEST_SKIP() << "runs only as the second program of the tests below";
  plat::RunMain(plat::AppEntry{plat::Profile::Handheld, &SecondWinMain, nullptr});
}

class SingleInstanceTest : public WindowTest {
 protected:
  void SetUp() override {
    root_ = plat::test::UseTempRoot();
    // The lock files go under the test's own runtime folder.
    run_ = root_ + "/run";
    ASSERT_EQ(mkdir(run_.c_str(), 0700), 0);
    setenv("XDG_RUNTIME_DIR", run_.c_str(), 1);
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"RZ56";
    ASSERT_NE(RegisterClassW(&wc), 0);
  }

  // Runs the second program on `root` and returns its exit status (-1 when it did not exit).
  int RunSecond(const std::string& root) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      if (std::strncmp(*e, "PLAT_ROOT=", 10) != 0) env.emplace_back(*e);
    }
    env.push_back("PLAT_ROOT=" + root);
    env.push_back(std::string(kSecondEnv) + "=1");
    std::vector<char*> envp;
    for (auto& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    char exe[] = "/proc/self/exe";
    char filter[] = "--gtest_filter=SingleInstanceChild.SecondInstance";
    char* argv[] = {exe, filter, nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
      const int null = open("/dev/null", O_WRONLY);
      if (null >= 0) dup2(null, 1);
      execve(exe, argv, envp.data());
      _exit(127);
    }
    if (pid < 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

  HWND MainWindow() {
    return CreateWindowExW(0, L"RZ56", L"RZ12", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  }

  // Waits (real time, bounded) until at least n activation requests have arrived.
  static std::vector<std::wstring> RequestsAfter(size_t n) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<std::wstring> got;
    while ((got = plat::test::ActivateRequests()).size() < n && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return got;
  }

  std::string root_;
  std::string run_;
};

TEST_F(SingleInstanceTest, ASecondProgramOnTheSameRootFindsAProxyAsksForTheFrontAndEndsWith255) {
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(RunSecond(root_), 255);
  EXPECT_EQ(RequestsAfter(1), (std::vector<std::wstring>{L"RZ56"}));
  // The proxy's calls reached nothing here.
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(rec.Of(WM_CLOSE).empty());
}

TEST_F(SingleInstanceTest, OtherRootsAndAReleasedLockFindNothing) {
  const std::string other = root_ + "/other";
  ASSERT_EQ(mkdir(other.c_str(), 0700), 0);
  HWND main = MainWindow();
  HWND second = MainWindow();  // two windows of the class share the one lock
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(RunSecond(other), 0);
  DestroyWindow(main);
  EXPECT_EQ(RunSecond(root_), 255);  // still held by the other window
  EXPECT_EQ(RequestsAfter(1).size(), 1u);
  DestroyWindow(second);
  EXPECT_EQ(RunSecond(root_), 0);
  // This process never finds a proxy of its own lock, and no window of the class is left.
  EXPECT_EQ(FindWindowW(L"RZ56", nullptr), nullptr);
  HWND again = MainWindow();
  EXPECT_EQ(RunSecond(root_), 255);
  EXPECT_EQ(FindWindowW(L"RZ56", nullptr), again);
}

TEST_F(SingleInstanceTest, MalformedRequestsAreIgnored) {
  ASSERT_NE(MainWindow(), nullptr);
  const std::string name = plat::test::InstanceSocketName(L"RZ56");
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  ASSERT_LT(name.size(), sizeof a.sun_path - 1);
  std::memcpy(a.sun_path + 1, name.data(), name.size());
  const socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  ASSERT_GE(fd, 0);
  const std::string bad[] = {"", "activat", "activate!", "ACTIVATE", std::string("activ\0te", 8),
                             std::string(300, 'a')};
  for (const std::string& b : bad) {
    EXPECT_EQ(sendto(fd, b.data(), b.size(), 0, reinterpret_cast<const sockaddr*>(&a), len),
              static_cast<ssize_t>(b.size()));
  }
  ASSERT_EQ(sendto(fd, "activate", 8, 0, reinterpret_cast<const sockaddr*>(&a), len), 8);
  close(fd);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (plat::test::IgnoredActivateRequests() + plat::test::ActivateRequests().size() < 7 &&
         std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(plat::test::IgnoredActivateRequests(), 6u);
  EXPECT_EQ(plat::test::ActivateRequests(), (std::vector<std::wstring>{L"RZ56"}));
}

}  // namespace
