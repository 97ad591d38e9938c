#include "engine/nmea.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "engine/state.h"

namespace handheld {
namespace {

const std::string kGga = "$GPGGA,101530.00,5130.0000,N,00010.0000,W,1,08,1.0,50.0,M,45.0,M,,*43";

class GpsStateTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }
};

TEST_F(GpsStateTest, LongLineIsCutTo127) {
  const std::string line = "$" + std::string(199, 'c');
  StoreGpsSentence(line.data(), line.size(), 0);
  EXPECT_EQ(std::string(GpsState.sentence), line.substr(0, 127));
  EXPECT_EQ(GpsState.sentenceValid, 0);
  StoreGpsSentence(kGga.data(), kGga.size(), 1);
  EXPECT_EQ(std::string(GpsState.sentence), kGga);
  EXPECT_EQ(GpsState.sentenceValid, 1);
}

TEST_F(GpsStateTest, MonitorLineHasItsWideCopy) {
  const std::string line = "$GPTXT,\x80" + std::string(150, 'd');
  StoreGpsMonitorLine(line.data(), line.size());
  EXPECT_EQ(std::string(GpsState.sentence), line.substr(0, 127));
  EXPECT_EQ(wcslen(GpsState.sentenceWide), 127u);
  EXPECT_EQ(GpsState.sentenceWide[7], L'\u20AC');  // CP1252 0x80
  EXPECT_EQ(GpsState.sentenceWide[8], L'd');
  EXPECT_EQ(GpsState.sentenceValid, 1);
  StoreGpsMonitorLine("NO DATA", 7);
  EXPECT_STREQ(GpsState.sentenceWide, L"NO DATA");
}

}  // namespace
}  // namespace handheld
