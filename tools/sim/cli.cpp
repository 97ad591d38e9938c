#include "sim/cli.h"

#include <cerrno>
#include <csignal>
#include <cmath>
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

}  // namespace sim::cli
