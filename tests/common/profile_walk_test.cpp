// The redraws' backward walk over a data file: newest record first with its line feed cut, ending
// at the line's date record, at the caller's word, and wherever fewer than one record's bytes lie
// behind (a file without a date record, a torn first record); the file and its append position are
// untouched. Then the cutting of a point list into pieces and the calibration record read back.
#include "common/profile_walk.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <string>
#include <utility>
#include <vector>

#include "root_files.h"

namespace survey {
namespace {

constexpr int kL = 24;

// A record of `tag` and a number, blank-padded to L bytes with its line feed.
std::string Rec(char tag, int n) {
  std::string r = std::string(1, tag) + std::to_string(n);
  r.resize(kL - 1, ' ');
  return r + "\n";
}

class ProfileWalkTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::UseTempRoot(); }
  void TearDown() override { plat::test::Reset(); }

  // The records handed on (without their last byte), walking from the end of `bytes`; the walk
  // stops after `stopAfter` records when that is not negative.
  std::vector<std::string> Walk(const std::string& bytes, int stopAfter = -1) {
    DataFile file;
    EXPECT_TRUE(file.Create(L"\\WALK.DAT"));
    if (!bytes.empty()) {
      EXPECT_TRUE(file.Append(bytes.data(), bytes.size()));
    }
    std::vector<std::string> seen;
    WalkLineBackward(file, kL, file.Size(), [&](const unsigned char* record) {
      EXPECT_EQ(record[kL - 1], 0);
      seen.emplace_back(reinterpret_cast<const char*>(record));
      return stopAfter < 0 || static_cast<int>(seen.size()) < stopAfter;
    });
    // Nothing written, and the next append lands at the end.
    EXPECT_EQ(test::RootFileBytes("WALK.DAT"), bytes);
    EXPECT_TRUE(file.Append("next\n", 5));
    EXPECT_EQ(test::RootFileBytes("WALK.DAT"), bytes + "next\n");
    return seen;
  }
};

TEST_F(ProfileWalkTest, WalksNewestFirstAndEndsAtTheDateRecordTheCallerOrTheStart) {
  std::string older;
  for (int i = 0; i < 3; ++i) older += Rec('T', i);
  std::string many;  // more than one block of reads
  for (int i = 0; i < 150; ++i) many += Rec('T', i);
  const struct {
    const char* name;
    std::string bytes;
    int stopAfter;
    size_t count;
    int newest, oldest;  // the numbers of the first and last records handed on
  } cases[] = {
      {"the date record ends the line", Rec('T', 9) + Rec('Z', 0) + older, -1, 3, 2, 0},
      {"the caller stops", older, 2, 2, 2, 1},
      {"no date record: the start of the file", older, -1, 3, 2, 0},
      {"no date record, a torn first record", "T( -16" + older, -1, 3, 2, 0},
      {"blocks of reads", many, -1, 150, 149, 0},
      {"shorter than one record", "T( -1600", -1, 0, 0, 0},
      {"empty", "", -1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> seen = Walk(c.bytes, c.stopAfter);
    ASSERT_EQ(seen.size(), c.count);
    for (size_t i = 0; i < seen.size(); ++i) {
      EXPECT_EQ(seen[i] + "\n", Rec('T', c.newest - static_cast<int>(i))) << i;
    }
    if (c.count > 0) {
      EXPECT_EQ(seen.back() + "\n", Rec('T', c.oldest));
    }
    TearDown();
    SetUp();
  }
}

TEST(ProfilePieces, APieceEndsWhereTwoPointsLieMoreThanTwoColumnsApart) {
  const struct {
    std::vector<int> xs;
    std::vector<std::pair<int, int>> pieces;
  } cases[] = {
      {{750, 748, 746}, {{0, 3}}},
      {{750, 750, 748, 748}, {{0, 4}}},  // readings of one station share a column
      {{750, 746, 744}, {{0, 1}, {1, 3}}},
      {{750, 748, 744, 740}, {{0, 2}, {2, 3}, {3, 4}}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    std::vector<POINT> points;
    for (int x : c.xs) points.push_back(POINT{x, 5});
    std::vector<std::pair<int, int>> pieces;
    ForEachPiece(points.data(), static_cast<int>(points.size()), [&](int first, int end) { pieces.emplace_back(first, end); });
    EXPECT_EQ(pieces, c.pieces) << c.xs.size() << " points";
  }
}

TEST(CalibrationRecord, TheReplacedOffsetGoesToItsChannel) {
  const struct {
    const char* record;
    int index;  // the offset that changes, -1 none
    float value;
  } cases[] = {
      {"O3    12.500      -7.250 ", 2, -7.25f},
      {"O6    12.500     100.000 ", 5, 100.0f},
      {"O7    12.500      -7.250 ", -1, 0},
      {"O0    12.500      -7.250 ", -1, 0},
      {"O1    12.500       1e300 ", 0, 0.0f},  // beyond float range
      {"O2    12.500         abc ", 1, 0.0f},
  };
  for (const auto& c : cases) {
    float offsets[6] = {1, 1, 1, 1, 1, 1};
    TakeReplacedOffset(reinterpret_cast<const unsigned char*>(c.record), offsets);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(offsets[i], i == c.index ? c.value : 1.0f) << c.record << " " << i;
  }
}

}  // namespace
}  // namespace survey
