// A program run as a child process for end-to-end tests, its standard output on a pipe. The
// destructor ends it (SIGTERM) if it is still running.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace test_support {

class Child {
 public:
  // extraEnv: "NAME=value" entries that replace or add to this process's environment.
  explicit Child(std::vector<std::string> args, const std::vector<std::string>& extraEnv = {}) {
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
    for (int waited = 0; waited < 5000;) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) {
        waited += 50;
        continue;
      }
      char c;
      if (read(out_, &c, 1) != 1 || c == '\n') break;
      line.push_back(c);
    }
    return line;
  }
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
  // Everything it writes to its standard output until it closes it, within a few seconds.
  std::string Output() {
    std::string out;
    for (int waited = 0; waited < 5000;) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) {
        waited += 50;
        continue;
      }
      char buf[512];
      const ssize_t n = read(out_, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, static_cast<size_t>(n));
    }
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
  pid_t pid_ = -1;
  int out_ = -1;
  int code_ = -1;
};

}  // namespace test_support
