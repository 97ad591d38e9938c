#include "sim/cli.h"

#include <cerrno>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace sim::cli {
namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnStop(int) { g_stop.store(true); }

}  // namespace

bool Args::Next(std::string* name) {
  hasInline_ = false;
  if (i_ >= argc_) return false;
  std::string a = argv_[i_++];
  if (a.rfind("--", 0) != 0) {
    *name = a;
    return true;
  }
  a = a.substr(2);
  const size_t eq = a.find('=');
  if (eq != std::string::npos) {
    inlineValue_ = a.substr(eq + 1);
    hasInline_ = true;
    a = a.substr(0, eq);
  }
  *name = a;
  return true;
}

bool Args::Value(std::string* value) {
  if (hasInline_) {
    *value = inlineValue_;
    hasInline_ = false;
    return true;
  }
  if (i_ >= argc_) return false;
  *value = argv_[i_++];
  return true;
}

int Usage(const char* program, const char* usage, const char* problem) {
  if (problem) fprintf(stderr, "%s: %s\n", program, problem);
  fputs(usage, stderr);
  return 2;
}

int Help(const char* usage) {
  fputs(usage, stdout);
  return 0;
}

bool ParseLong(const std::string& s, long* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = strtol(s.c_str(), &end, 0);
  if (errno != 0 || *end != 0) return false;
  *out = v;
  return true;
}

bool ParseDouble(const std::string& s, double* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = strtod(s.c_str(), &end);
  if (errno != 0 || *end != 0 || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool ParseList(const std::string& s, std::vector<long>* out, char sep) {
  out->clear();
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(sep, start);
    long v = 0;
    if (!ParseLong(s.substr(start, at == std::string::npos ? std::string::npos : at - start), &v)) return false;
    out->push_back(v);
    if (at == std::string::npos) return true;
    start = at + 1;
  }
}

const std::atomic<bool>* InstallStopSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnStop;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
  return &g_stop;
}

namespace {

// Takes the option when it is one of the common ones: 1 taken, 0 not one of them, -1 a bad or
// missing value (the reason in *problem).
int ParseCommon(const std::string& name, Args& args, CommonOptions* o, std::string* problem) {
  if (name == "paced") {
    o->paced = true;
    return 1;
  }
  if (name == "no-wait") {
    o->wait = false;
    return 1;
  }
  if (name != "com" && name != "devdir" && name != "seed" && name != "baud") return 0;
  std::string v;
  if (!args.Value(&v)) {
    *problem = "--" + name + " needs a value";
    return -1;
  }
  long n = 0;
  if (name == "devdir") {
    o->devDir = v;
  } else if (!ParseLong(v, &n)) {
    *problem = "bad --" + name;
    return -1;
  } else if (name == "com") {
    if (n < 1 || n > 255) {
      *problem = "--com takes 1 to 255";
      return -1;
    }
    o->com = n;
  } else if (name == "seed") {
    o->seed = static_cast<uint64_t>(n);
  } else {
    if (n <= 0) {
      *problem = "bad --baud";
      return -1;
    }
    o->baud = n;
  }
  return 1;
}

}  // namespace

std::string ParseArgs(int argc, char** argv, CommonOptions* common, std::initializer_list<Flag> flags,
                      const std::function<std::string(const std::string&, const std::string&)>& valued) {
  Args args(argc, argv);
  std::string name, value, problem;
  while (args.Next(&name)) {
    if (name == "help") return "help";
    const int taken = ParseCommon(name, args, common, &problem);
    if (taken < 0) return problem;
    if (taken > 0) continue;
    bool flag = false;
    for (const Flag& f : flags) {
      if (name == f.name) {
        *f.value = true;
        flag = true;
      }
    }
    if (flag) continue;
    if (!args.Value(&value)) return "--" + name + " needs a value";
    problem = valued(name, value);
    if (!problem.empty()) return problem;
  }
  return "";
}

bool StartLink(const char* program, const CommonOptions& o, Started* out, bool* usage) {
  *usage = true;
  if (o.com == 0) {
    fprintf(stderr, "%s: --com is required\n", program);
    return false;
  }
  out->folder = DeviceFolder(o.devDir.c_str());
  if (out->folder.empty()) {
    fprintf(stderr, "%s: give --devdir, or set PLAT_DEVDIR or PLAT_ROOT\n", program);
    return false;
  }
  *usage = false;
  out->stop = InstallStopSignals();
  std::string error;
  if (!CreatePtyLink(out->folder.c_str(), static_cast<int>(o.com), &out->link, &error)) {
    fprintf(stderr, "%s: %s\n", program, error.c_str());
    return false;
  }
  printf("COM%ld -> %s (%s)\n", o.com, out->link.slavePath.c_str(), out->link.linkPath.c_str());
  fflush(stdout);
  return true;
}

}  // namespace sim::cli
