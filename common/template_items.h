// Compile-time assembly of dialog templates' item tables, for both programs' resources: groups of
// items made apart are joined into one table in creation (and tab) order.
#pragma once

#include <plat/resources.h>

#include <array>
#include <cstddef>

namespace survey {

template <std::size_t N, std::size_t M>
constexpr std::array<DlgItemT, N + M> Join(const std::array<DlgItemT, N>& a, const std::array<DlgItemT, M>& b) {
  std::array<DlgItemT, N + M> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = a[i];
  for (std::size_t i = 0; i < M; ++i) out[N + i] = b[i];
  return out;
}
template <std::size_t N, std::size_t M, std::size_t... K>
constexpr auto Join(const std::array<DlgItemT, N>& a, const std::array<DlgItemT, M>& b,
                    const std::array<DlgItemT, K>&... rest) {
  return Join(Join(a, b), rest...);
}

}  // namespace survey
