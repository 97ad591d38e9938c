// The data-file object both programs write through: appends at the end, reads that leave the
// append position alone, a closed object that does nothing, and a failed append cut back and
// latched.
#include "common/data_file.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <string>

#include "root_files.h"

namespace survey {
namespace {

using test::RootFileBytes;

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::UseTempRoot(); }
  void TearDown() override { plat::test::Reset(); }
};

TEST_F(DataFileTest, ReopenAppendsAtTheEndAndReadsLeaveItThere) {
  DataFile file;
  ASSERT_TRUE(file.Create(L"\\RUN.DAT"));
  EXPECT_TRUE(file.IsOpen());
  ASSERT_TRUE(file.Append("first\n", 6));
  char buf[16];
  uint32_t got = 0;
  ASSERT_TRUE(file.ReadAt(1, buf, 3, &got));
  EXPECT_EQ(std::string(buf, got), "irs");
  ASSERT_TRUE(file.Append("second\n", 7));
  ASSERT_TRUE(file.ReadAt(9, buf, sizeof buf, &got));
  EXPECT_EQ(std::string(buf, got), "ond\n");
  ASSERT_TRUE(file.ReadAt(100, buf, sizeof buf, &got));
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(file.Size(), 13u);
  EXPECT_TRUE(file.Flush());
  file.Close();

  // A new file never replaces an existing one.
  DataFile other;
  EXPECT_FALSE(other.Create(L"\\RUN.DAT"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_FALSE(other.IsOpen());

  ASSERT_TRUE(file.Reopen(L"\\RUN.DAT"));
  ASSERT_TRUE(file.ReadAt(0, buf, 5, &got));
  ASSERT_TRUE(file.Append("third\n", 6));
  file.Close();
  EXPECT_EQ(RootFileBytes("RUN.DAT"), "first\nsecond\nthird\n");
}

TEST_F(DataFileTest, ClosedObjectDoesNothingAndReturnsFalse) {
  DataFile file;
  char buf[8] = {};
  uint32_t got = 99;
  EXPECT_FALSE(file.IsOpen());
  EXPECT_FALSE(file.Append("x\n", 2));
  EXPECT_FALSE(file.ReadAt(0, buf, sizeof buf, &got));
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(file.Size(), 0u);
  EXPECT_FALSE(file.Flush());

  ASSERT_TRUE(file.Create(L"\\RUN.DAT"));
  ASSERT_TRUE(file.Append("kept\n", 5));
  file.Close();
  file.Close();
  EXPECT_FALSE(file.Append("lost\n", 5));
  EXPECT_FALSE(file.ReadAt(0, buf, sizeof buf, &got));
  EXPECT_FALSE(file.WriteFailed());  // nothing was attempted
  EXPECT_EQ(RootFileBytes("RUN.DAT"), "kept\n");
}

TEST_F(DataFileTest, AFailedAppendIsCutBackAndLatchedUntilCleared) {
  plat::test::Reset(plat::Profile::Desktop);
  plat::test::UseTempRoot();
  DataFile file;
  ASSERT_TRUE(file.Create("C:\\RUN.DAT"));  // the desktop names its files in 8-bit text
  ASSERT_TRUE(file.Append("header-one\nheader-two\n", 22));

  // The disk fills five bytes into a two-record append: nothing of it stays.
  plat::test::FailWritesAfter(5, ERROR_DISK_FULL);
  EXPECT_FALSE(file.Append("group-one-\ngroup-two-\n", 22));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_TRUE(file.WriteFailed());
  EXPECT_EQ(file.Size(), 22u);

  // Space again: the next append lands after the last whole record; the latch survives the close
  // and a reopen until it is cleared.
  plat::test::ClearFaults();
  EXPECT_TRUE(file.Append("after-----\n", 11));
  file.Close();
  EXPECT_TRUE(file.WriteFailed());
  ASSERT_TRUE(file.Reopen(L"C:\\RUN.DAT"));
  EXPECT_TRUE(file.WriteFailed());
  file.ClearWriteFailed();
  EXPECT_FALSE(file.WriteFailed());
  file.Close();
  EXPECT_EQ(RootFileBytes("C/RUN.DAT"), "header-one\nheader-two\nafter-----\n");

  // A new file starts with the latch clear.
  plat::test::FailWritesAfter(0, ERROR_DISK_FULL);
  ASSERT_TRUE(file.Create("C:\\NEXT.DAT"));
  EXPECT_FALSE(file.Append("x\n", 2));
  EXPECT_TRUE(file.WriteFailed());
  plat::test::ClearFaults();
  file.Close();
  ASSERT_TRUE(file.Create("C:\\THIRD.DAT"));
  EXPECT_FALSE(file.WriteFailed());
}

}  // namespace
}  // namespace survey
