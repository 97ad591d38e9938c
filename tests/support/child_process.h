// A program run as a child process for end-to-end tests, its standard output (and, when asked,
// its standard error) on a pipe. The destructor ends it (SIGTERM) if it is still running.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace test_support {

// Ends a test's child process at once: "<what> checked" on standard output for the parent, the
// temporary drive roots it made removed (_exit skips their usual removal), and exit code 1 when
// anything failed.
[[noreturn]] inline void ExitChild(const char* what) {
  std::printf("%s checked\n", what);
  std::fflush(stdout);
  const int code = ::testing::Test::HasFailure() ? 1 : 0;
  plat::test::RemoveTempRoots();
  _exit(code);
}

class Child {
 public:
  // extraEnv: "NAME=value" entries that replace or add to this process's environment.
  explicit Child(std::vector<std::string> args, const std::vector<std::string>& extraEnv = {},
                 bool withStderr = false) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string entry(*e);
      bool replaced = false;
      for (const std::string& x : extraEnv) replaced |= entry.compare(0, x.find('=') + 1, x, 0, x.find('=') + 1) == 0;
      if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    if (withStderr) posix_spawn_file_actions_adddup2(&fa, out[1], 2);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    out_ = out[0];
  }
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      Wait();
    }
    if (out_ >= 0) close(out_);
  }
  // The first line of its output, within a few seconds.
  std::string Line() {
    std::string line;
    waitedMs_ = 0;
    char c;
    while (ReadOutput(&c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
  }
  pid_t Pid() const { return pid_; }
  // Whether it is still running.
  bool Running() {
    int status = 0;
    if (pid_ <= 0) return false;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0) return true;
    code_ = r == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    pid_ = -1;
    return false;
  }
  // Everything it writes to its standard output until it closes it, within limitMs of silence in
  // all (a few seconds by default).
  std::string Output(int limitMs = 5000) {
    std::string out;
    waitedMs_ = 0;
    limitMs_ = limitMs;
    char buf[512];
    for (ssize_t n; (n = ReadOutput(buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
    limitMs_ = 5000;
    return out;
  }
  // Its exit code, or -1.
  int Wait() {
    int status = 0;
    if (pid_ <= 0) return code_;
    if (waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return code_;
  }

 private:
  // Reads what its output holds; the calls of one Line or Output wait a few seconds at most in
  // all. 0 at the end or when nothing came.
  ssize_t ReadOutput(char* buf, size_t n) {
    for (; waitedMs_ < limitMs_; waitedMs_ += 50) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 50) > 0) {
        const ssize_t got = read(out_, buf, n);
        return got > 0 ? got : 0;
      }
    }
    return 0;
  }

  pid_t pid_ = -1;
  int waitedMs_ = 0;
  int limitMs_ = 5000;
  int out_ = -1;
  int code_ = -1;
};

// Runs this test binary again with only the tests of `filter` and the "NAME=value" entry `env`,
// and expects it to end with 0 having said "<what> checked" (ExitChild) within limitMs.
inline void ExpectChildChecked(const std::string& filter, const std::string& env, const char* what,
                               int limitMs = 120000) {
  Child child({"/proc/self/exe", "--gtest_filter=" + filter}, {env});
  const std::string out = child.Output(limitMs);
  EXPECT_EQ(child.Wait(), 0) << out;
  EXPECT_NE(out.find(std::string(what) + " checked"), std::string::npos) << out;
}

}  // namespace test_support
