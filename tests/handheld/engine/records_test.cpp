#include "engine/records.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cwchar>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "engine_test_support.h"

namespace handheld {
namespace {

using test::RootFileBytes;

constexpr uint32_t kTick = 123456;
constexpr uint32_t kBigTick = 3000000000u;

// 5 March 2013, 14:07:09 and `ms` milliseconds.
SYSTEMTIME LocalTimeAt(WORD ms) { return plat::test::MakeSystemTime(2013, 3, 5, 14, 7, 9, ms); }

void SetFrame(const std::string& bytes) {
  memset(LinkState.frame, 0, sizeof LinkState.frame);
  memcpy(LinkState.frame, bytes.data(), bytes.size());
}

// One writer call: the build it runs in, what it sets and calls, and the records it must append.
struct WriteCase {
  const char* name;
  int model;
  int zolOption;
  int storageRoot;
  std::function<bool()> write;
  std::vector<std::string> records;
};

// A new data file under a fresh root per case, on a virtual clock standing at tick 123456 and
// 5 March 2013 14:07:09.250.
class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::UseTempRoot();
    plat::test::UseVirtualClock(kTick, LocalTimeAt(250), plat::test::ClockMode::Manual);
  }
  void TearDown() override {
    ResetEngineState();
    plat::test::Reset();
  }

  void Open(int model, int zolOption = 0, int storageRoot = 1) {
    test::UseBuild(model, zolOption, storageRoot);
    plat::test::SetTick(kTick);
    plat::test::SetLocalTime(LocalTimeAt(250));
    SurveyRun.dataFileName = "030514A";
    DeleteFileW(L"\\RUN.DAT");
    ASSERT_TRUE(SurveyRun.dataFile.Create(L"\\RUN.DAT"));
  }

  static std::string FileBytes() { return RootFileBytes("RUN.DAT"); }

  void ExpectWrites(const std::vector<WriteCase>& cases) {
    for (const WriteCase& c : cases) {
      SCOPED_TRACE(c.name);
      Open(c.model, c.zolOption, c.storageRoot);
      std::string expected;
      for (const std::string& record : c.records) {
        EXPECT_EQ(record.size(), static_cast<size_t>(RecordLength())) << "expected record: " << record;
        expected += record;
      }
      const size_t before = FileBytes().size();
      EXPECT_TRUE(c.write());
      EXPECT_EQ(FileBytes().substr(before), expected);
      SurveyRun.dataFile.Close();
    }
  }
};

TEST_F(RecordsTest, EveryRecordKindHasItsBytesWithL24) {
  ExpectWrites({
      {"header, ground, auto", kModelRz12, 0, 1,
       [] {
         ScreenLayout.portrait = 0;
         return WriteFileHeader();
       },
       {"RZ12MK2 W211GRD0000   2\n", "H 030514A    0.200     \n"}},
      {"header, GPS, ice option, manual, sea water 10", kModelRz12, 1, 1,
       [] {
         SurveySettings.gpsEnabled = 1;
         SurveySettings.displayUnits = 1;
         SurveySettings.dipole = 1;
         SurveySettings.surveyMode = 2;
         SurveySettings.zolEnabled = 1;
         SurveySettings.seaWaterIndex = 10;
         SurveyRun.dataFileName = "LONGNAME1234";
         return WriteFileHeader();
       },
       {"RZ12MK2iW211GPS11201A 3\n", "H LONGNAME1     10     \n"}},
      {"header, short type, ice option off, wheel, root 0", kModelRz12, 1, 0,
       [] {
         SurveySettings.rz12Type = 1;
         SurveySettings.surveyMode = 1;
         SurveySettings.stationIncrement = -0.2f;
         SurveySettings.seaWaterIndex = 3;
         return WriteFileHeader();
       },
       {"RZ12SH iW211GRD001003  \n", "H 030514A   -0.200     \n"}},
      {"header, ZOL12", kModelZol12, 0, 1, [] { return WriteFileHeader(); },
       {"ZOL12   W210GRD0000   3\n", "H 030514A    0.200     \n"}},
      {"line block, ten-character name", kModelRz12, 0, 1,
       [] {
         wcscpy(SurveySettings.surveyLine, L"LINE12345X");
         SurveySettings.startStation = -12.5;
         SurveySettings.lineDirection = 1;
         SurveySettings.stationIncrement = -0.5f;
         return WriteLineHeader();
       },
       {"LLINE1234              \n", "B     -12.50           \n", "AS           -0.500    \n",
        "Z05032013 14:07:09     \n"}},
      {"line block, one-character name, west", kModelRz12, 0, 1,
       [] {
         SurveySettings.lineDirection = 0;
         return WriteLineHeader();
       },
       {"L0                     \n", "B       0.00           \n", "AW            1.000    \n",
        "Z05032013 14:07:09     \n"}},
      {"line name outside CP1252", kModelRz12, 0, 1,
       [] {
         wcscpy(SurveySettings.surveyLine, L"\u03A9\u20AC\u00E9\U0001F600N");
         SurveySettings.lineDirection = 2;
         return WriteLineHeader();
       },
       {"L?\x80\xE9?N                 \n", "B       0.00           \n", "AN            1.000    \n",
        "Z05032013 14:07:09     \n"}},
      {"station", kModelRz12, 0, 1,
       [] {
         plat::test::SetLocalTime(LocalTimeAt(125));
         SurveyRun.station = 12.0;
         return WriteStationRecord();
       },
       {"S      12.00 14070912  \n"}},
      {"reading, 12-byte frame", kModelRz12, 0, 1,
       [] {
         SetFrame("Tt -20000500");
         LinkState.lastFrameTick = kTick;
         return WriteReadingRecord();
       },
       {"Tt -20000500     123456\n"}},
      // The handler blank-pads a shorter frame; the writer takes its 12 bytes as they are.
      {"reading, 8-byte frame", kModelZol12, 0, 1,
       [] {
         SetFrame("T123I456    ");
         LinkState.lastFrameTick = 987654;
         return WriteReadingRecord();
       },
       {"T123I456         987654\n"}},
      {"reading, status byte 0x00", kModelRz12, 0, 1,
       [] {
         SetFrame(std::string("T\0-200000500", 12));
         LinkState.lastFrameTick = kTick;
         return WriteReadingRecord();
       },
       {std::string("T\0-200000500     123456\n", 24)}},
      {"time sync", kModelRz12, 0, 1, [] { return WriteTimeRecord(); }, {"*14:07:09.250    123456\n"}},
      {"event filling the text field", kModelRz12, 0, 1, [] { return WriteEventRecord(L"$CONN BREAK", 'X'); },
       {"X$CONN BREAK     123456\n"}},
      {"empty comment", kModelRz12, 0, 1,
       [] {
         plat::test::SetTick(5);
         return WriteEventRecord(L"", 'C');
       },
       {"C                     5\n"}},
      {"long comment", kModelRz12, 0, 1, [] { return WriteEventRecord(L"Fence post at 12 m", 'C'); },
       {"CFence post      123456\n"}},
      {"GPS sentence", kModelRz12, 0, 1, [] { return WriteGpsRecords("$GPZDA*00", kTick, '@', '#'); },
       {"@$GPZDA*00             \n", "!                123456\n"}},
  });
}

TEST_F(RecordsTest, EveryRecordKindHasItsBytesWithL26) {
  const auto setCalibration = [] {
    const float offsets[6] = {0.0f, 1.5f, -2.25f, 0.0f, 0.0f, 0.0f};
    const float previous[6] = {2.0f, 0.0f, 0.0f, 0.0f, 0.0f, -0.125f};
    for (int i = 0; i < 6; ++i) {
      SurveySettings.mk2Offset[i] = offsets[i];
      Rz27Mk2Calibration.previous[i] = previous[i];
    }
  };
  const std::vector<std::string> calibration = {
      "O1     0.000      2.000  \n", "O2     1.500      0.000  \n", "O3    -2.250      0.000  \n",
      "O4     0.000      0.000  \n", "O5     0.000      0.000  \n", "O6     0.000     -0.125  \n"};
  std::vector<std::string> lineThenCalibration = {"L0                       \n", "B       0.00             \n",
                                                  "AS            1.000      \n", "Z05032013 14:07:09       \n"};
  lineThenCalibration.insert(lineThenCalibration.end(), calibration.begin(), calibration.end());

  ExpectWrites({
      {"header, root 0", kModelRz27Mk2, 0, 0, [] { return WriteFileHeader(); },
       {"RZ27MK2 W210GRD00002     \n", "H 030514A    0.200       \n"}},
      {"header, type 1, root 1, portrait", kModelRz27Mk2, 0, 1,
       [] {
         SurveySettings.mk2Type = 1;
         return WriteFileHeader();
       },
       {"RZ27MK2 W210GRD00001    3\n", "H 030514A    0.200       \n"}},
      {"line block then calibration, one append", kModelRz27Mk2, 0, 0,
       [setCalibration] {
         setCalibration();
         return WriteLineHeader();
       },
       lineThenCalibration},
      {"calibration", kModelRz27Mk2, 0, 0,
       [setCalibration] {
         setCalibration();
         return WriteCalibrationRecords();
       },
       calibration},
      // While a calibration runs the offsets in force are 0; the line block records those that
      // stand, which the readings after it are decoded with.
      {"line block during a calibration", kModelRz27Mk2, 0, 0,
       [setCalibration] {
         setCalibration();
         for (int i = 0; i < 6; ++i) {
           Rz27Mk2Calibration.backup[i] = SurveySettings.mk2Offset[i];
           SurveySettings.mk2Offset[i] = 0.0f;
         }
         Rz27Mk2Calibration.active = -1;
         return WriteLineHeader();
       },
       lineThenCalibration},
      {"station", kModelRz27Mk2, 0, 0,
       [] {
         plat::test::SetLocalTime(LocalTimeAt(129));
         SurveyRun.station = 12.0;
         return WriteStationRecord();
       },
       {"S      12.00 14070912    \n"}},
      {"time sync", kModelRz27Mk2, 0, 0, [] { return WriteTimeRecord(); }, {"*14:07:09.250      123456\n"}},
      {"event with trailing blanks", kModelRz27Mk2, 0, 0, [] { return WriteEventRecord(L"$CONN END  ", 'X'); },
       {"X$CONN END         123456\n"}},
      {"GPS sentence", kModelRz27Mk2, 0, 0, [] { return WriteGpsRecords("$GPZDA*00", kTick, '@', '#'); },
       {"@$GPZDA*00               \n", "!                  123456\n"}},
  });
}

TEST_F(RecordsTest, Rz27Mk2ReadingKeepsItsBinaryFrame) {
  const unsigned char frame[kRz27Mk2FrameBytes] = {'t',  0x81, 0x00, 0x0A, 0x12, 0x34, 0xFF,
                                                   0xFF, 0x80, 0x00, 0x00, 0x01, 0x7F, 0xFE};
  Open(kModelRz27Mk2);
  LinkState.lastFrameTick = kTick;
  ASSERT_TRUE(WriteRz27Mk2Reading(frame));
  EXPECT_EQ(FileBytes(), std::string(reinterpret_cast<const char*>(frame), sizeof frame) + "     123456\n");

  // The frame does not fit a 24-byte record: nothing is written.
  Open(kModelRz12);
  EXPECT_FALSE(WriteRz27Mk2Reading(frame));
  EXPECT_EQ(FileBytes(), "");
}

// Values too wide for their fields keep their leading characters; indexes outside their tables
// give '?' (a survey mode outside its table leaves the sampling value blank).
void SetOverflowValues() {
  SurveyRun.station = 1e12;
  SurveySettings.startStation = 1e12;
  SurveySettings.stationIncrement = -1e9f;
  SurveySettings.readingInterval = 12345.678f;
  SurveySettings.samplesPerReading = 123456789;
  for (int i = 0; i < 6; ++i) {
    SurveySettings.mk2Offset[i] = 1e7f;
    Rz27Mk2Calibration.previous[i] = -1e7f;
  }
  SurveySettings.displayUnits = -1;
  SurveySettings.dipole = 12;
  SurveySettings.component = 10;
  SurveySettings.zolEnabled = 2;
  SurveySettings.seaWaterIndex = 11;
  SurveySettings.mk2Type = 42;
  SurveySettings.lineDirection = 7;
  wcscpy(SurveySettings.surveyLine, L"LINE12345X");
  SetFrame("Tt -20000500");
  LinkState.lastFrameTick = kBigTick;
  plat::test::SetTick(kBigTick);
}

// A write with the overflow values set first.
std::function<bool()> Overflowing(std::function<bool()> write) {
  return [write] {
    SetOverflowValues();
    return write();
  };
}

TEST_F(RecordsTest, OverWideValuesKeepEveryRecordAtL24) {
  ExpectWrites({
      {"header", kModelRz12, 1, 1, Overflowing(WriteFileHeader),
       {"RZ12MK2iW211GRD??0?2? 3\n", "H 030514A  12345.6     \n"}},
      {"header, manual", kModelRz12, 0, 1,
       [] {
         SetOverflowValues();
         SurveySettings.surveyMode = 2;
         return WriteFileHeader();
       },
       {"RZ12MK2 W211GRD??2?   3\n", "H 030514A  1234567     \n"}},
      {"header, unknown survey mode", kModelRz12, 0, 1,
       [] {
         SetOverflowValues();
         SurveySettings.surveyMode = 5;
         return WriteFileHeader();
       },
       {"RZ12MK2 W211GRD??5?   3\n", "H 030514A              \n"}},
      {"line block", kModelRz12, 0, 1, Overflowing(WriteLineHeader),
       {"LLINE1234              \n", "B10000000000           \n", "A?      -1000000000    \n",
        "Z05032013 14:07:09     \n"}},
      {"station", kModelRz12, 0, 1, Overflowing(WriteStationRecord), {"S10000000000 14070925  \n"}},
      {"huge and not-a-number stations", kModelRz12, 0, 1,
       [] {
         SurveyRun.station = 1e300;
         SurveySettings.startStation = std::numeric_limits<double>::quiet_NaN();
         return WriteStationRecord() && WriteLineHeader();
       },
       {"S10000000000 14070925  \n", "L0                     \n", "B        nan           \n",
        "AS            1.000    \n", "Z05032013 14:07:09     \n"}},
      {"reading", kModelRz12, 0, 1, Overflowing(WriteReadingRecord), {"Tt -20000500 3000000000\n"}},
      {"time sync", kModelRz12, 0, 1, Overflowing(WriteTimeRecord), {"*14:07:09.2503000000000\n"}},
      {"event", kModelRz12, 0, 1,
       Overflowing([] { return WriteEventRecord(L"$STARTED", 'X'); }),
       {"X$STARTED    3000000000\n"}},
      {"GPS", kModelRz12, 0, 1,
       Overflowing([] { return WriteGpsRecords("$GPZDA*00", 0xFFFFFFFFu, '@', '#'); }),
       {"@$GPZDA*00             \n", "!            4294967295\n"}},
  });
}

TEST_F(RecordsTest, OverWideValuesKeepEveryRecordAtL26) {
  const unsigned char frame[kRz27Mk2FrameBytes] = {'T', 0x80, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13};
  const auto calibration = [](char n) { return std::string{'O', n} + "10000000.0 -10000000.  \n"; };
  ExpectWrites({
      {"header", kModelRz27Mk2, 0, 0, Overflowing(WriteFileHeader),
       {"RZ27MK2 W210GRD??0??     \n", "H 030514A  12345.6       \n"}},
      {"line block and calibration", kModelRz27Mk2, 0, 0, Overflowing(WriteLineHeader),
       {"LLINE1234                \n", "B10000000000             \n", "A?      -1000000000      \n",
        "Z05032013 14:07:09       \n", calibration('1'), calibration('2'), calibration('3'), calibration('4'),
        calibration('5'), calibration('6')}},
      {"station", kModelRz27Mk2, 0, 0, Overflowing(WriteStationRecord), {"S10000000000 14070925    \n"}},
      {"reading", kModelRz27Mk2, 0, 0,
       Overflowing([&frame] { return WriteRz27Mk2Reading(frame); }),
       {std::string(reinterpret_cast<const char*>(frame), sizeof frame) + " 3000000000\n"}},
      {"time sync", kModelRz27Mk2, 0, 0, Overflowing(WriteTimeRecord), {"*14:07:09.250  3000000000\n"}},
      {"event", kModelRz27Mk2, 0, 0,
       Overflowing([] { return WriteEventRecord(L"$STARTED", 'X'); }),
       {"X$STARTED      3000000000\n"}},
      {"GPS", kModelRz27Mk2, 0, 0,
       Overflowing([] { return WriteGpsRecords("$GPZDA*00", kBigTick, '@', '#'); }),
       {"@$GPZDA*00               \n", "!              3000000000\n"}},
  });
}

TEST_F(RecordsTest, ClosedFileGetsNoWriteAndFalse) {
  const unsigned char frame[kRz27Mk2FrameBytes] = {'T'};
  Open(kModelRz27Mk2);
  ASSERT_TRUE(WriteFileHeader());
  SurveyRun.dataFile.Close();
  const std::string before = FileBytes();
  ASSERT_EQ(before.size(), 52u);

  EXPECT_FALSE(WriteFileHeader());
  EXPECT_FALSE(WriteLineHeader());
  EXPECT_FALSE(WriteStationRecord());
  EXPECT_FALSE(WriteReadingRecord());
  EXPECT_FALSE(WriteRz27Mk2Reading(frame));
  EXPECT_FALSE(WriteTimeRecord());
  EXPECT_FALSE(WriteGpsRecords("$GPZDA*00", kTick, '@', '#'));
  EXPECT_FALSE(WriteEventRecord(L"$PAUSED", 'X'));
  EXPECT_FALSE(WriteCalibrationRecords());
  EXPECT_EQ(FileBytes(), before);
}

TEST_F(RecordsTest, MissingTextsWriteDefinedRecords) {
  Open(kModelRz12);
  EXPECT_FALSE(WriteGpsRecords(nullptr, kTick, '@', '#'));
  EXPECT_TRUE(WriteEventRecord(nullptr, 'C'));
  EXPECT_EQ(FileBytes(), "C                123456\n");
}

TEST_F(RecordsTest, LongGpsSentenceLandsWhole) {
  Open(kModelRz12);
  const std::string sentence = "$" + std::string(999, 'x');
  ASSERT_TRUE(WriteGpsRecords(sentence.c_str(), kTick, '@', '#'));
  const std::string bytes = FileBytes();
  ASSERT_EQ(bytes.size(), (46u + 1u) * 24u);  // ceil(1000 / 22) pieces and the tick record
  EXPECT_EQ(bytes.substr(45 * 24, 24), "#xxxxxxxxxx            \n");
}

}  // namespace
}  // namespace handheld
