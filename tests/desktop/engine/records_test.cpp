// The desktop data file's records byte for byte per build, the groups that go in one append,
// over-wide values that keep every record at L bytes, and writes that fail or find no file.
#include "engine/records.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "desktop_test_support.h"
#include "engine/models.h"
#include "engine/state.h"

namespace desktop {
namespace {

constexpr uint32_t kTick = 1234567;

std::string Blanks(size_t n) { return std::string(n, ' '); }

class RecordsTest : public test::EngineTest {
 protected:
  // A new file in a fresh root, GPS on (the default), on a clock at 5 March 2013 14:20:07.123.
  void Open(int32_t model) {
    test::UseBuild(model);
    test::UseDesktopRoot();
    plat::test::UseVirtualClock(kTick, plat::test::MakeSystemTime(2013, 3, 5, 14, 20, 7, 123),
                                plat::test::ClockMode::Manual);
    SurveyRun.dataFileName = "030514A";
    ASSERT_TRUE(SurveyRun.dataFile.Create("C:\\RUN.DAT"));
  }
  static std::string FileBytes() { return test::RootFileBytes("C/RUN.DAT"); }
};

TEST_F(RecordsTest, EveryBuildWritesItsRecordsByteForByte) {
  const float offsets[4] = {12.34f, 12.34f, 12.34f, 12.34f};
  const float zeros[4] = {};
  const float qc[4] = {1234.5f, 1234.5f, 1234.5f, 1234.5f};
  const std::string nullHeader = "O     0.00N     0.00   \n";
  const std::string lineBlock = "L1                     \n"
                                "B       0.00           \n"
                                "AS            1.000    \n"
                                "Z05032013 14:20:07     \n";
  const struct {
    const char* name;
    int32_t model;
    std::function<bool()> write;
    std::string bytes;
  } cases[] = {
      {"RZ12 header", kModelRz12, WriteFileHeader, "RZ12    W106GPS0000   1\nH 030514A    0.200     \n"},
      {"RZ12 line block", kModelRz12, WriteLineHeader, lineBlock},
      {"RZ12 time", kModelRz12, WriteTimeRecord, "*14:20:07.123   1234567\n"},
      {"RZ12 event",
       kModelRz12,
       [] {
         plat::test::SetTick(1234999);
         return WriteEventRecord("$STARTED", 'X');
       },
       "X$STARTED       1234999\n"},
      {"RZ12 station",
       kModelRz12,
       [] {
         SurveyRun.station = -12.5;
         return WriteStationRecord();
       },
       "S     -12.50 14200712  \n"},
      {"RZ12 Wheel keeps the kept increment in the name record",
       kModelRz12,
       [] {
         SurveySettings.surveyMode = kModeWheel;
         SurveySettings.stationIncrement = -0.2f;
         return WriteFileHeader() && WriteLineHeader();
       },
       "RZ12    W106GPS0010   1\nH 030514A    0.200     \n"
       "L1                     \nB       0.00           \nAS           -0.200    \nZ05032013 14:20:07     \n"},
      {"RZ56-MK2 header", kModelRz56Mk2, WriteFileHeader,
       "RZ56MK2 W106GPS000    1\nH 030514A    0.200     \n" + nullHeader + nullHeader + nullHeader + nullHeader},
      {"RZ56-MK2 High Power with a variant",
       kModelRz56Mk2,
       [] {
         SurveySettings.rz56Type = 3;
         SurveySettings.rz56SensorSize = 2;
         BuildConfig.rz56Variant = 1;
         return WriteFileHeader();
       },
       "RZ56HP2 W106GPS020  1 1\nH 030514A    0.200     \n" + nullHeader + nullHeader + nullHeader + nullHeader},
      {"RZ56-MK2 Manual names the Manual increment",
       kModelRz56Mk2,
       [] {
         SurveySettings.surveyMode = kModeManual;
         return WriteFileHeader();
       },
       "RZ56MK2 W106GPS002    1\nH 030514A    2.000     \n" + nullHeader + nullHeader + nullHeader + nullHeader},
      {"RZ56-MK2 line block with its null records", kModelRz56Mk2, WriteLineHeader,
       lineBlock + "O     0.00      0.00   \nO     0.00      0.00   \nO     0.00      0.00   \nO     0.00      0.00   \n"},
      {"RZ56-MK2 null records with and without the replaced offsets",
       kModelRz56Mk2,
       [&] { return WriteNullQcRecords(0, 1, offsets, zeros) && WriteNullQcRecords(0, 0, offsets, zeros); },
       "O    12.34      0.00   \nO    12.34      0.00   \nO    12.34      0.00   \nO    12.34      0.00   \n"
       "O    12.34             \nO    12.34             \nO    12.34             \nO    12.34             \n"},
      {"RZ56-MK2 QC records",
       kModelRz56Mk2,
       [&] {
         Rz56Calibration.qcCode = 'I';
         return WriteNullQcRecords(1, 0, qc, zeros);
       },
       "II  1234.50            \nII  1234.50            \nII  1234.50            \nII  1234.50            \n"},
      {"RZ56-MK2 reading: the frame's 13 bytes, then the tick",
       kModelRz56Mk2,
       [] {
         const unsigned char frame[13] = {'A', 0x00, 0x0A, 0x0D, 0xFF, 0x7F, 0x20, 0x00, 0x01, 0x80, 0x24, 0x0A, 0x00};
         memcpy(LinkState.frame, frame, sizeof frame);
         LinkState.lastRz56Tick = kTick;
         return WriteRz56Reading();
       },
       std::string("A\x00\x0A\x0D\xFF\x7F\x20\x00\x01\x80\x24\x0A\x00", 13) + "   1234567\n"},
      {"RZ56 header: two null records without QC", kModelRz56, WriteFileHeader,
       "H 030514A    0.200     \nO     0.00" + Blanks(13) + "\nO     0.00" + Blanks(13) + "\n"},
      {"model 5 header", kModelRz89, WriteFileHeader, "H 030514A    0.200     \n"},
      {"ZOL12 header", kModelZol12, WriteFileHeader, "H 030514A    0.200     \n"},
      {"RZ27-MK2 header", kModelRz27Mk2, WriteFileHeader,
       "RZ27MK2 W106GPS00002    1\nH 030514A    0.200       \n"},
      {"RZ27-MK2 line block ends with O1 to O6",
       kModelRz27Mk2,
       [] {
         SurveySettings.mk2Offset[0] = 1.5f;
         Rz27Mk2Calibration.previous[5] = -2.25f;
         return WriteLineHeader();
       },
       "L1                       \nB       0.00             \nAS            1.000      \nZ05032013 14:20:07       \n"
       "O1     1.500      0.000  \nO2     0.000      0.000  \nO3     0.000      0.000  \n"
       "O4     0.000      0.000  \nO5     0.000      0.000  \nO6     0.000     -2.250  \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Open(c.model);
    ASSERT_EQ(c.bytes.size() % static_cast<size_t>(RecordLength()), 0u);
    EXPECT_TRUE(c.write());
    EXPECT_EQ(FileBytes(), c.bytes);
    SurveyRun.dataFile.Close();
  }
}

TEST_F(RecordsTest, OverWideValuesKeepEveryRecordAtItsLength) {
  for (int32_t model : {kModelRz12, kModelRz56Mk2, kModelRz27Mk2}) {
    SCOPED_TRACE(model);
    Open(model);
    SurveySettingsData& s = SurveySettings;
    SurveyRun.station = 1e12;
    s.startStation = -1e12;
    s.stationIncrement = -1e9f;
    s.readingInterval = 1e9f;
    for (int32_t* digit : {&s.displayUnits, &s.dipole, &s.component, &s.rz56SensorSize, &s.mk2Type}) *digit = 12;
    s.lineDirection = 9;
    s.mk2Offset[0] = 1e9f;
    Rz56Calibration.nullOffset[0] = -1e9f;
    Rz56Calibration.qcValue[1] = 1e9f;
    Rz56Calibration.qcCode = 'x';
    BuildConfig.rz56Variant = 12;
    for (auto* tick : {&LinkState.lastFrameTick, &LinkState.lastRz56Tick}) *tick = 3000000000u;
    plat::test::SetTick(3000000000u);
    const float big[4] = {1e9f, -1e9f, 1e30f, -1e30f};
    const size_t length = static_cast<size_t>(RecordLength());
    const std::function<bool()> writes[] = {
        WriteFileHeader, WriteLineHeader, WriteStationRecord, WriteReadingRecord, WriteTimeRecord,
        [] { return WriteEventRecord("$CONN BREAK and more", 'X'); },
        [&] { return !ThisModel().rz56 || WriteNullQcRecords(1, 0, big, big); },
        [&] { return !ThisModel().rz56 || WriteNullQcRecords(0, 1, big, big); },
        [] { return !ThisModel().mk2 || WriteCalibrationRecords(); },
    };
    for (const auto& write : writes) {
      const size_t before = FileBytes().size();
      EXPECT_TRUE(write());
      const std::string added = FileBytes().substr(before);
      ASSERT_EQ(added.size() % length, 0u);
      for (size_t at = 0; at < added.size(); at += length) {
        const std::string rec = added.substr(at, length);
        EXPECT_EQ(rec.find('\n'), length - 1) << rec;
      }
    }
    const std::string bytes = FileBytes();
    EXPECT_NE(bytes.find("3000000000\n"), std::string::npos);  // ticks past 2^31 print unsigned
    EXPECT_NE(bytes.find("A?"), std::string::npos);            // a direction outside its table
    SurveyRun.dataFile.Close();
  }
}

TEST_F(RecordsTest, FailedOrFilelessWritesAreNeverReportedAsLanded) {
  Open(kModelRz56Mk2);
  ASSERT_TRUE(WriteFileHeader());
  const std::string header = FileBytes();

  // The disk fills inside the line block and its null records: nothing of the group stays.
  plat::test::FailWritesAfter(30, ERROR_DISK_FULL);
  EXPECT_FALSE(WriteLineHeader());
  EXPECT_TRUE(SurveyRun.dataFile.WriteFailed());
  EXPECT_EQ(FileBytes(), header);
  plat::test::ClearFaults();

  // No file open (Monitor): false, nothing written, nothing latched.
  SurveyRun.dataFile.Close();
  SurveyRun.dataFile.ClearWriteFailed();
  const float values[4] = {1, 2, 3, 4};
  const std::function<bool()> writes[] = {
      WriteFileHeader, WriteLineHeader, WriteStationRecord, WriteReadingRecord, WriteRz56Reading, WriteTimeRecord,
      [] { return WriteGpsRecords("$GPZDA*00", kTick, '@', '#'); },
      [] { return WriteEventRecord("$PAUSED", 'X'); },
      [&] { return WriteNullQcRecords(1, 0, values, values); },
  };
  for (const auto& write : writes) EXPECT_FALSE(write());
  EXPECT_FALSE(SurveyRun.dataFile.WriteFailed());
  EXPECT_EQ(FileBytes(), header);
}

}  // namespace
}  // namespace desktop
