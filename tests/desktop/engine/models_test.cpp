// The model rows: each model finds its own row, and the build's record length follows it.
#include "engine/models.h"

#include <gtest/gtest.h>

#include <string>

#include "desktop_test_support.h"

namespace desktop {
namespace {

TEST(ModelRows, EachModelFindsItsOwnRowAndItsRecordLength) {
  const struct {
    int32_t model;
    const char* settingsFile;
    const char* extension;
    int32_t recordLength;
    bool headerRecord;
  } cases[] = {
      {kModelRz56, "RZ56XP.INI", "", 24, false},      {kModelRz56Mk2, "RZ56MK2XP.INI", ".R56", 24, true},
      {kModelRz12, "RZ12XP.INI", ".R12", 24, true},    {kModelRz27B, "RZ27BXP.INI", ".P27", 24, true},
      {kModelRz27Dd, "RZ27DXP.INI", ".Q27", 24, true}, {kModelRz27, "RZ27XP.INI", ".R27", 24, true},
      {kModelRz45, "RZ45XP.INI", ".R45", 24, true},    {kModelRz89, "RZ89XP.INI", "", 24, false},
      {kModelZol12, "CE12XP.INI", ".Z12", 24, false},  {kModelRz27Mk2, "RZ27MK2XP.INI", ".N27", 26, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    test::UseBuild(c.model);
    const ModelRow& row = ThisModel();
    EXPECT_EQ(row.model, c.model);
    EXPECT_STREQ(row.settingsFile, c.settingsFile);
    EXPECT_STREQ(row.extension, c.extension);
    EXPECT_EQ(BuildConfig.recordLength, c.recordLength);
    EXPECT_EQ(row.header != HeaderLayout::kNone, c.headerRecord);
    // The save dialog's default extension is the file extension without its dot.
    EXPECT_EQ(row.defaultExtension == nullptr ? std::string() : "." + std::string(row.defaultExtension),
              std::string(c.extension));
  }
  EXPECT_EQ(RowOf(8).model, kModelRz12);
  EXPECT_EQ(RowOf(-3).model, kModelRz12);
  ResetEngineState();
}

}  // namespace
}  // namespace desktop
