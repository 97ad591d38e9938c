// The optional draw log: every text, shape, line, pixel and blit call while a test has it on.
#include <atomic>

#include "gdi_internal.h"

namespace plat::detail {
namespace {

std::atomic<bool> g_enabled{false};
std::mutex g_logMutex;
std::vector<test::DrawEntry> g_log;

}  // namespace

bool DrawLogEnabled() { return g_enabled.load(std::memory_order_relaxed); }

void RecordDraw(test::DrawEntry e) {
  if (!DrawLogEnabled()) return;
  std::lock_guard<std::mutex> lock(g_logMutex);
  g_log.push_back(std::move(e));
}

void SetDrawLogEnabled(bool on) { g_enabled.store(on); }

std::vector<test::DrawEntry> DrawLogCopy() {
  std::lock_guard<std::mutex> lock(g_logMutex);
  return g_log;
}

void ClearDrawLog() {
  std::lock_guard<std::mutex> lock(g_logMutex);
  g_log.clear();
}

void ResetDrawLog() {
  g_enabled.store(false);
  std::lock_guard<std::mutex> lock(g_logMutex);
  g_log.clear();
  g_log.shrink_to_fit();
}

}  // namespace plat::detail
