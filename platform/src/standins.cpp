// Recorded stand-ins for device services: battery status, beeps and the idle timer; and the log
// of the handles and timers the program released.
#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "core.h"

namespace plat::detail {
namespace {

constexpr int kUnknownPercent = 255;
// A bound on the beep log: a long calibration beeps on every reading.
constexpr size_t kMaxBeeps = 1024;

std::atomic<int> g_batteryOverride{-1};
std::mutex g_beepMutex;
std::deque<std::pair<UINT, DWORD>> g_beeps;
std::atomic<uint64_t> g_idleResets{0};
std::mutex g_releaseMutex;
std::deque<ReleaseEntry> g_releases;
constexpr size_t kMaxReleases = 1024;

// The capacity of the first battery (BAT* in name order), or 255 when there is none or it reads oddly.
int SystemBatteryPercent() {
  const char* dir = "/sys/class/power_supply";
  DIR* d = opendir(dir);
  if (!d) return kUnknownPercent;
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    if (std::strncmp(e->d_name, "BAT", 3) == 0) names.emplace_back(e->d_name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string path = std::string(dir) + "/" + name + "/capacity";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) continue;
    char buf[16] = {};
    size_t got = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[got] = 0;
    const char* end = nullptr;
    double v = plat::ParseDecimal(buf, &end);
    if (end == buf) continue;
    return v >= 0 && v <= 100 ? static_cast<int>(v) : kUnknownPercent;
  }
  return kUnknownPercent;
}

}  // namespace

void SetBatteryOverride(int percent) {
  if (percent > 100) percent = kUnknownPercent;
  g_batteryOverride.store(percent < 0 ? -1 : percent, std::memory_order_relaxed);
}

std::vector<std::pair<UINT, DWORD>> BeepLog() {
  std::lock_guard<std::mutex> lock(g_beepMutex);
  return {g_beeps.begin(), g_beeps.end()};
}

uint64_t IdleTimerResetCount() { return g_idleResets.load(std::memory_order_relaxed); }

void RecordRelease(const ReleaseEntry& entry) {
  std::lock_guard<std::mutex> lock(g_releaseMutex);
  if (g_releases.size() == kMaxReleases) g_releases.pop_front();
  g_releases.push_back(entry);
}

std::vector<ReleaseEntry> ReleaseLog() {
  std::lock_guard<std::mutex> lock(g_releaseMutex);
  return {g_releases.begin(), g_releases.end()};
}

void ResetStandIns() {
  g_batteryOverride.store(-1, std::memory_order_relaxed);
  {
    std::lock_guard<std::mutex> lock(g_beepMutex);
    g_beeps.clear();
  }
  g_idleResets.store(0, std::memory_order_relaxed);
  std::lock_guard<std::mutex> lock(g_releaseMutex);
  g_releases.clear();
}

}  // namespace plat::detail

// Fills the whole structure in a scratch copy and hands over as much of it as len allows.
DWORD GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 status, DWORD len, BOOL /*update*/) {
  if (!status || len == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int percent = plat::detail::g_batteryOverride.load(std::memory_order_relaxed);
  if (percent < 0) percent = plat::detail::SystemBatteryPercent();
  SYSTEM_POWER_STATUS_EX2 s;
  std::memset(&s, 0, sizeof s);
  s.ACLineStatus = 255;
  s.BatteryFlag = 255;
  s.BatteryLifePercent = static_cast<BYTE>(percent);
  DWORD n = std::min<DWORD>(len, sizeof s);
  std::memcpy(status, &s, n);
  return n;
}

BOOL MessageBeep(UINT type) {
  DWORD tick = GetTickCount();
  std::lock_guard<std::mutex> lock(plat::detail::g_beepMutex);
  if (plat::detail::g_beeps.size() == plat::detail::kMaxBeeps) plat::detail::g_beeps.pop_front();
  plat::detail::g_beeps.emplace_back(type, tick);
  return TRUE;
}

void SystemIdleTimerReset() { plat::detail::g_idleResets.fetch_add(1, std::memory_order_relaxed); }
