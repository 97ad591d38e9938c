// plat::test views of the drawing layer: the GDI-object counter and the draw log.
#include <plat/testing.h>

#include "gdi_internal.h"

namespace plat::test {

size_t LiveGdiObjects() { return detail::LiveGdiObjectCount(); }

void EnableDrawLog(bool on) { detail::SetDrawLogEnabled(on); }

std::vector<DrawEntry> DrawLog() { return detail::DrawLogCopy(); }

std::optional<DrawEntry> FindText(const std::wstring& s) {
  const std::vector<DrawEntry> log = detail::DrawLogCopy();
  for (auto it = log.rbegin(); it != log.rend(); ++it) {
    if (it->op == DrawOp::Text && it->text == s) return *it;
  }
  return std::nullopt;
}

void ClearDrawLog() { detail::ClearDrawLog(); }

}  // namespace plat::test
