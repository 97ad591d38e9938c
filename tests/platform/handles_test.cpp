// The handle table: values are never reused and stale handles fail harmlessly.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>

#include "../../platform/src/core.h"

namespace {

using plat::detail::Kind;
using plat::detail::Object;

struct Probe : Object {
  explicit Probe(int* closes) : Object(Kind::Event), closes_(closes) {}
  void OnClose() override { ++*closes_; }
  int* closes_;
};

TEST(Handles, ValuesAreNeverReusedAndStaleOnesFail) {
  int closes = 0;
  std::set<uintptr_t> seen;
  HANDLE previous = nullptr;
  for (int i = 0; i < 10000; ++i) {
    HANDLE h = plat::detail::InsertHandle(std::make_shared<Probe>(&closes));
    auto v = reinterpret_cast<uintptr_t>(h);
    EXPECT_GE(v, 0x1000u);
    EXPECT_EQ(v % 4, 0u);
    EXPECT_TRUE(seen.insert(v).second) << "value reused";
    if (previous) {
      // The old value never reaches the new object.
      EXPECT_EQ(plat::detail::LookupHandle(previous, Kind::Event), nullptr);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    ASSERT_TRUE(CloseHandle(h));
    previous = h;
  }
  EXPECT_EQ(closes, 10000);
}

TEST(Handles, NullInvalidAndWrongKindFailHarmlessly) {
  int closes = 0;
  HANDLE h = plat::detail::InsertHandle(std::make_shared<Probe>(&closes));
  EXPECT_EQ(plat::detail::LookupHandle(h, Kind::File), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_NE(plat::detail::LookupHandle(h, Kind::Event), nullptr);
  for (HANDLE bad : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(bad));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(closes, 1);
}

TEST(Handles, AnObjectOutlivesItsHandleWhileACallHoldsIt) {
  int closes = 0;
  HANDLE h = plat::detail::InsertHandle(std::make_shared<Probe>(&closes));
  auto held = plat::detail::LookupHandle(h, Kind::Event);
  ASSERT_TRUE(CloseHandle(h));
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(held.use_count(), 1);  // the in-flight call keeps the object alive
}

}  // namespace
