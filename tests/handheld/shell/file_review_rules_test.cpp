// The file review's rules without windows: header digits and readings per station, the record
// readers, the line scan, the walk of a line into scratch rows, the row formats and their reader,
// the slot actions, the key tables, the texts and the layout.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "engine/decoders.h"
#include "engine/records.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "review_test_support.h"
#include "shell/file_review.h"
#include "shell/file_review_rules.h"

namespace handheld {
namespace {

using test::CalibrationRecordText;
using test::kRz12Horizontal;
using test::kRz12Vertical;
using test::MeterReadingRecord;
using test::ReviewFileHeader;
using test::ReviewLineBlock;
using test::ReviewRecord;
using test::StationRecordText;

// ---- Header ---------------------------------------------------------------------------------

TEST(ReviewHeaderRules, ReadingsPerStationByModelAndHeaderDigits) {
  struct Case {
    int32_t model;
    int32_t mode, dipole, component;
    int32_t expected;
  };
  const Case cases[] = {
      {kModelRz12, 2, 2, 0, 2},    {kModelRz12, 0, 2, 0, 1},    {kModelRz12, 2, 0, 0, 1},
      {kModelRz12, 1, 2, 0, 1},    {kModelRz27B, 2, 2, 1, 2},   {kModelRz27Dd, 2, 0, 0, 2},
      {kModelRz27Dd, 2, 2, 1, 1},  {kModelRz27, 2, 2, 0, 4},    {kModelRz27, 2, 1, 0, 2},
      {kModelRz27, 2, 2, 1, 2},    {kModelRz27, 2, 1, 1, 1},    {kModelRz45, 2, 5, 0, 6},
      {kModelRz45, 2, 0, 0, 1},    {kModelRz45, 0, 5, 0, 1},    {kModelRz89, 2, 2, 0, 1},
      {kModelZol12, 2, 2, 0, 1},   {kModelRz27Mk2, 2, 2, 0, 2}, {kModelRz27Mk2, 2, 1, 0, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadingsPerStation(c.model, c.mode, c.dipole, c.component), c.expected)
        << "model " << c.model << " mode " << c.mode << " dipole " << c.dipole << " component " << c.component;
  }
}

TEST(ReviewHeaderRules, DigitsIceCharactersAndForeignBytes) {
  const std::string rz12 = ReviewFileHeader('2', '2', '0', '1', 'A');
  const auto* bytes = reinterpret_cast<const unsigned char*>(rz12.data());
  ReviewHeader h = ParseReviewHeader(bytes, 24, true);
  EXPECT_EQ(h.dipole, 2);
  EXPECT_EQ(h.surveyMode, 2);
  EXPECT_EQ(h.component, 0);
  EXPECT_EQ(h.zolEnabled, 1);
  EXPECT_EQ(h.seaWaterIndex, 10);
  EXPECT_EQ(ParseReviewHeader(bytes, 24, false).zolEnabled, 0);  // only ice builds read it

  const std::string off = ReviewFileHeader('1', '0', '2', '0', '7');
  h = ParseReviewHeader(reinterpret_cast<const unsigned char*>(off.data()), 24, true);
  EXPECT_EQ(h.zolEnabled, 0);
  EXPECT_EQ(h.seaWaterIndex, 0);  // not read when the option was off

  // Characters that are no digits (and a sea-water character that is neither a digit nor 'A').
  const std::string foreign = ReviewFileHeader('x', '-', 0x7F, '1', 'B');
  h = ParseReviewHeader(reinterpret_cast<const unsigned char*>(foreign.data()), 24, true);
  EXPECT_EQ(h.dipole, 0);
  EXPECT_EQ(h.surveyMode, 0);
  EXPECT_EQ(h.component, 0);
  EXPECT_EQ(h.zolEnabled, 1);
  EXPECT_EQ(h.seaWaterIndex, 0);
  // No header at all (a file shorter than one record).
  h = ParseReviewHeader(nullptr, 24, true);
  EXPECT_EQ(h.dipole + h.surveyMode + h.component + h.zolEnabled + h.seaWaterIndex, 0);
}

// ---- Records and lines -------------------------------------------------------------------------

std::vector<std::string> AllRecords(RecordSource& source, int length) {
  std::vector<std::string> out;
  unsigned char rec[32];
  while (source.Next(rec)) out.emplace_back(reinterpret_cast<char*>(rec), static_cast<size_t>(length));
  return out;
}

class ReviewFileRecords : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::UseTempRoot(); }
  void TearDown() override { plat::test::Reset(); }
};

// Block reads give the records that one ReadFile per record gives: across block boundaries, from
// an offset, up to a torn tail; an invalid handle gives none.
TEST_F(ReviewFileRecords, BlocksYieldTheRecordsOfRecordByRecordReads) {
  for (int length : {24, 26}) {
    std::string bytes;
    for (int i = 0; i < 7000; ++i) bytes += ReviewRecord(std::to_string(i), length);
    bytes += "torn";
    ASSERT_TRUE(test::WriteRootFile(L"\\R.DAT", bytes));
    HANDLE h = CreateFileW(L"\\R.DAT", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    for (int64_t start : {int64_t{0}, int64_t{length} * 2729, int64_t{length} * 6999, int64_t{length} * 7000}) {
      std::vector<std::string> expected;
      SetFilePointer(h, static_cast<LONG>(start), nullptr, FILE_BEGIN);
      std::string rec(static_cast<size_t>(length), '\0');
      DWORD got = 0;
      while (ReadFile(h, rec.data(), static_cast<DWORD>(length), &got, nullptr) && got == static_cast<DWORD>(length)) {
        expected.push_back(rec);
      }
      FileRecords blocks(h, length, start);
      EXPECT_EQ(AllRecords(blocks, length), expected) << "length " << length << " from " << start;
      unsigned char after[32];
      EXPECT_FALSE(blocks.Next(after));  // ended for good
    }
    CloseHandle(h);
  }
  FileRecords none(INVALID_HANDLE_VALUE, 24, 0);
  EXPECT_TRUE(AllRecords(none, 24).empty());
}

TEST(ReviewLineScan, NamesOffsetsAndFileOrder) {
  const std::string file = ReviewFileHeader('0', '0', '0') + ReviewLineBlock("LINE0008", 0, 1) +
                           MeterReadingRecord('T', kRz12Vertical, -200, 500) + ReviewLineBlock("A B", 0, 1) +
                           ReviewLineBlock("9", 0, 1) + ReviewRecord("LLONGNAME99") + ReviewRecord("L");
  MemoryRecords records(reinterpret_cast<const unsigned char*>(file.data()), file.size(), 24);
  LineIndex index;
  ScanLines(records, 24, index);
  EXPECT_EQ(index.names, (std::vector<std::string>{"LINE0008", "A", "9", "LONGNAME", ""}));
  EXPECT_EQ(index.offsets, (std::vector<int64_t>{2 * 24, 7 * 24, 11 * 24, 15 * 24, 16 * 24}));
}

// ---- Row formats and the row reader -------------------------------------------------------------

TEST(ReviewRows, StationAndGapRowBytes) {
  ScratchRows rows;
  const int32_t valid[8] = {1, 0, 1, 0, 0, 0, 0, 0};
  const float values[8] = {123.45f, 0, -1.25f, 0, 0, 0, 0, 0};
  AppendStationRow(rows, 10.0, valid, values);
  AppendGapRow(rows);
  EXPECT_EQ(rows.count, 2);
  EXPECT_EQ(rows.flags, "       10.00 1 0 1 0 0 0 0 0\n          -1 0 0 0 0 0 0 0 0\n");
  std::string gapValues = "          -1";
  for (int i = 0; i < 8; ++i) gapValues += "       -9999";
  gapValues += "\n";
  std::string stationValues = "       10.00      123.45        0.00       -1.25";
  for (int i = 0; i < 5; ++i) stationValues += "        0.00";
  stationValues += "\n";
  EXPECT_EQ(rows.values, stationValues + gapValues);
  ASSERT_EQ(rows.values.size(), 2u * kValuesRowBytes);
}

// Numbers whose "%12.2f" text would be wider than the field are held at the field's ends, so every
// field keeps its width and every station row its '.'.
TEST(ReviewRows, ExtremeNumbersKeepTheirFields) {
  ScratchRows rows;
  const int32_t valid[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  const float values[8] = {3.4e38f, -3.4e38f, 999999999.99f, -1e9f, 0.004f, -0.004f, 1e-30f, 5e8f};
  for (double station : {1e300, -1e300, 999999999.99, -99999999.99}) AppendStationRow(rows, station, valid, values);
  ASSERT_EQ(rows.flags.size(), 4u * kFlagsRowBytes);
  ASSERT_EQ(rows.values.size(), 4u * kValuesRowBytes);
  // Station, then channels 0 to 2.
  EXPECT_EQ(rows.values.substr(0, 48), "999999999.99999999999.99-99999999.99999999999.99");
  EXPECT_EQ(rows.flags.substr(kFlagsRowBytes, 12), "-99999999.99");
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(rows.values[static_cast<size_t>(r + 1) * kValuesRowBytes - 1], '\n');
    SlotRow slot;
    EXPECT_EQ(ParseSlotRows(rows.flags.data() + r * kFlagsRowBytes, kFlagsRowBytes,
                            rows.values.data() + r * kValuesRowBytes, kValuesRowBytes, 8, slot),
              RowKind::kStation);
  }
}

TEST(ReviewRows, ReaderTellsStationsGapsAndTheEnd) {
  ScratchRows rows;
  const int32_t valid[8] = {1, 0, 1, 0, 0, 1, 1, 1};
  const float values[8] = {123.45f, 0, -1.25f, 0, 0, 7.5f, 8.5f, 9.5f};
  AppendStationRow(rows, 10.0, valid, values);
  AppendGapRow(rows);

  SlotRow slot;
  slot.valid[6] = 5;  // channels beyond those read stay as they were
  slot.value[6] = 42.0f;
  EXPECT_EQ(ParseSlotRows(rows.flags.data(), 29, rows.values.data(), 109, 6, slot), RowKind::kStation);
  EXPECT_EQ(slot.present, 1);
  EXPECT_FLOAT_EQ(slot.station, 10.0f);
  EXPECT_EQ(std::vector<int32_t>(slot.valid, slot.valid + 8), (std::vector<int32_t>{1, 0, 1, 0, 0, 1, 5, 0}));
  EXPECT_FLOAT_EQ(slot.value[0], 123.45f);
  EXPECT_FLOAT_EQ(slot.value[2], -1.25f);
  EXPECT_FLOAT_EQ(slot.value[5], 7.5f);
  EXPECT_FLOAT_EQ(slot.value[6], 42.0f);

  SlotRow all;
  ParseSlotRows(rows.flags.data(), 29, rows.values.data(), 109, 8, all);
  EXPECT_FLOAT_EQ(all.value[7], 9.5f);
  EXPECT_EQ(all.valid[7], 1);

  // A gap keeps station and values and clears the flags; so does the end of the rows.
  EXPECT_EQ(ParseSlotRows(rows.flags.data() + 29, 29, rows.values.data() + 109, 109, 8, all), RowKind::kGap);
  EXPECT_EQ(all.present, 0);
  EXPECT_EQ(all.valid[0] + all.valid[2] + all.valid[7], 0);
  EXPECT_FLOAT_EQ(all.station, 10.0f);
  EXPECT_FLOAT_EQ(all.value[0], 123.45f);
  SlotRow end = slot;
  EXPECT_EQ(ParseSlotRows(rows.flags.data(), 28, rows.values.data(), 109, 6, end), RowKind::kPastEnd);
  EXPECT_EQ(end.present, 0);
  EXPECT_EQ(end.valid[0], 0);

  // A whole flags row with a short values row is a gap, whatever the values buffer held.
  SlotRow shortValues;
  EXPECT_EQ(ParseSlotRows(rows.flags.data(), 29, rows.values.data(), 108, 6, shortValues), RowKind::kGap);
  EXPECT_EQ(shortValues.present, 0);
  EXPECT_EQ(shortValues.valid[0], 0);

  // Numbers a scratch file might hold that no decimal reading allows read 0.
  std::string flags = "         nan 1 1 0 0 0 0 0 0\n";
  std::string vals = "        0x10         inf      1e999";
  vals.resize(108, ' ');
  vals[50] = '.';
  vals += '\n';
  SlotRow odd;
  EXPECT_EQ(ParseSlotRows(flags.data(), 29, vals.data(), 109, 6, odd), RowKind::kStation);
  EXPECT_EQ(odd.station, 0.0f);
  EXPECT_EQ(odd.value[0], 0.0f);
  EXPECT_EQ(odd.value[1], 0.0f);
  EXPECT_EQ(odd.value[2], 0.0f);
}

// ---- The walk -----------------------------------------------------------------------------------

class ReviewWalk : public ::testing::Test {
 protected:
  void SetUp() override { test::UseBuild(kModelRz12); }
  void TearDown() override { ResetEngineState(); }

  // Walks the line whose name record is at the start of `line` and returns the rows.
  static ScratchRows Walk(const std::string& line, int32_t curvesPerStation = 1, int length = 24) {
    MemoryRecords records(reinterpret_cast<const unsigned char*>(line.data()), line.size(), length);
    WalkSettings s;
    s.curvesPerStation = curvesPerStation;
    s.length = length;
    s.frameLength = length == 26 ? 14 : 12;
    ScratchRows rows;
    WalkLine(records, s, rows, nullptr);
    return rows;
  }
  static std::string Station(const ScratchRows& rows, int row) {
    return rows.flags.substr(static_cast<size_t>(row) * kFlagsRowBytes, 12);
  }
  static std::string Flags(const ScratchRows& rows, int row) {
    return rows.flags.substr(static_cast<size_t>(row) * kFlagsRowBytes + 12, 16);
  }
  static std::string Value(const ScratchRows& rows, int row, int channel) {
    return rows.values.substr(static_cast<size_t>(row) * kValuesRowBytes + 12 + 12 * static_cast<size_t>(channel), 12);
  }
};

TEST_F(ReviewWalk, AutoGivesOneRowPerFirstReadingCountingByTheIncrement) {
  for (double increment : {2.5, -2.5}) {
    std::string line = ReviewLineBlock("1", 100, increment);
    for (int i = 0; i < 3; ++i) line += MeterReadingRecord('T', kRz12Vertical, -200 - 40 * i, 500);
    line += ReviewRecord("*14:07:09.000") + ReviewRecord("XCOMMENT") + ReviewLineBlock("2", 0, 1) +
            MeterReadingRecord('T', kRz12Vertical, -200, 500);
    const ScratchRows rows = Walk(line);
    ASSERT_EQ(rows.count, 3) << increment;
    EXPECT_EQ(Station(rows, 0), "      100.00");
    EXPECT_EQ(Station(rows, 1), increment > 0 ? "      102.50" : "       97.50");
    EXPECT_EQ(Station(rows, 2), increment > 0 ? "      105.00" : "       95.00");
    EXPECT_EQ(Flags(rows, 0), " 1 0 1 0 0 0 0 0");
    EXPECT_EQ(Value(rows, 0, 0), "        5.00");  // -200 x -0.025
    EXPECT_EQ(Value(rows, 2, 0), "        7.00");
    EXPECT_EQ(Value(rows, 0, 2), "       -1.25");  // 500 x -0.0025
  }
}

// Manual RZ12 with both dipoles: 'T' (vertical) and '2' (horizontal) make one row with all four
// channels; a station left with one reading is written under the advanced number when the next
// first reading comes, and the readings gathered at the end of the line are dropped.
TEST_F(ReviewWalk, ManualGroupsReadingsIntoStations) {
  const std::string line = ReviewLineBlock("1", 0, 1) +                                 //
                           MeterReadingRecord('T', kRz12Vertical, -200, 500) +          // station 0
                           MeterReadingRecord('2', kRz12Horizontal, -400, 1000) +       //
                           MeterReadingRecord('T', kRz12Vertical, -240, 500) +          // station 1, alone
                           MeterReadingRecord('T', kRz12Vertical, -280, 500) +          // station 2
                           MeterReadingRecord('2', kRz12Horizontal, -440, 1000) +       //
                           MeterReadingRecord('T', kRz12Vertical, -320, 500);           // never completed
  const ScratchRows rows = Walk(line, 2);
  ASSERT_EQ(rows.count, 3);
  EXPECT_EQ(Station(rows, 0), "        0.00");
  EXPECT_EQ(Flags(rows, 0), " 1 1 1 1 0 0 0 0");
  EXPECT_EQ(Value(rows, 0, 0), "        5.00");
  EXPECT_EQ(Value(rows, 0, 1), "       10.00");
  EXPECT_EQ(Value(rows, 0, 2), "       -1.25");
  EXPECT_EQ(Value(rows, 0, 3), "       -2.50");
  // The lone reading of station 1 goes out under station 2, and station 2 itself follows.
  EXPECT_EQ(Station(rows, 1), "        2.00");
  EXPECT_EQ(Flags(rows, 1), " 1 0 1 0 0 0 0 0");
  EXPECT_EQ(Value(rows, 1, 0), "        6.00");
  EXPECT_EQ(Station(rows, 2), "        2.00");
  EXPECT_EQ(Flags(rows, 2), " 1 1 1 1 0 0 0 0");
  EXPECT_EQ(Value(rows, 2, 0), "        7.00");
}

// A reading whose status byte is 0x00, as the writer records it: horizontal dipole, range code 0
// (range 1000, gain 1), read back on the horizontal channels.
TEST_F(ReviewWalk, AReadingRecordedWithStatusZeroIsHorizontal) {
  std::memcpy(LinkState.frame, "T\0-2000+0500", 12);
  LinkState.lastFrameTick = 100000;
  char record[kRecordMax];
  ASSERT_EQ(FormatReadingRecord(record), 24u);
  const ScratchRows rows = Walk(ReviewLineBlock("1", 0, 1) + std::string(record, 24) + std::string(record, 24));
  ASSERT_EQ(rows.count, 2);
  EXPECT_EQ(Flags(rows, 0), " 0 1 0 1 0 0 0 0");
  EXPECT_EQ(Value(rows, 0, 1), "      500.00");  // -2000 x -0.25
  EXPECT_EQ(Value(rows, 0, 3), "       -1.25");  // 500 x -0.0025
}

TEST_F(ReviewWalk, StationRecordGivesFourGapsAndTheNextStation) {
  const std::string line = ReviewLineBlock("1", 0, 1) + MeterReadingRecord('T', kRz12Vertical, -200, 500) +
                           MeterReadingRecord('T', kRz12Vertical, -200, 500) + StationRecordText(125) +
                           ReviewRecord("*14:07:09.000") + MeterReadingRecord('T', kRz12Vertical, -200, 500) +
                           MeterReadingRecord('T', kRz12Vertical, -200, 500);
  const ScratchRows rows = Walk(line);
  ASSERT_EQ(rows.count, 8);
  EXPECT_EQ(Station(rows, 1), "        1.00");
  for (int r = 2; r < 6; ++r) {
    EXPECT_EQ(Station(rows, r), "          -1");
    EXPECT_EQ(Flags(rows, r), " 0 0 0 0 0 0 0 0");
    EXPECT_EQ(Value(rows, r, 7), "       -9999");
  }
  EXPECT_EQ(Station(rows, 6), "      125.00");
  EXPECT_EQ(Station(rows, 7), "      126.00");
}

// The RZ27-MK2 decodes with the offsets of the line's calibration records, and one recorded in the
// middle of the line takes over from there on.
TEST_F(ReviewWalk, Rz27Mk2OffsetsFollowTheCalibrationRecords) {
  test::UseBuild(kModelRz27Mk2);
  const unsigned char frame[14] = {'T', 6, 0x81, 0x00, 0x81, 0x00, 0x82, 0x00, 0x82, 0x00, 0x00, 0xFA, 0x01, 0x00};
  std::string reading(reinterpret_cast<const char*>(frame), 14);
  reading = ReviewRecord(reading + "     12345", 26);
  std::string line = ReviewLineBlock("1", 0, 1, 26);
  for (int i = 1; i <= 6; ++i) line += CalibrationRecordText(i, 0.5 * i, 26);
  line += reading + CalibrationRecordText(1, 40.0, 26) + CalibrationRecordText(9, 99.0, 26) + reading;
  const ScratchRows rows = Walk(line, 1, 26);
  ASSERT_EQ(rows.count, 2);

  const auto expected = [&](float o1) {
    int32_t valid[8] = {};
    float values[8] = {};
    char dipole = 0, marker = 0;
    DecodeRz27Mk2Record(frame, valid, values, dipole, marker, o1, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f);
    ScratchRows one;
    AppendStationRow(one, 0.0, valid, values);
    return one.values.substr(12);
  };
  EXPECT_EQ(rows.values.substr(12, kValuesRowBytes - 12), expected(0.5f));
  EXPECT_EQ(rows.values.substr(kValuesRowBytes + 12), expected(40.0f));
  EXPECT_NE(expected(0.5f), expected(40.0f));
}

// A line whose block is cut short reads its numbers as 0 and ends; a line of nothing but its name
// has no rows; records of unknown kinds and misaligned bytes are passed over without a row.
TEST_F(ReviewWalk, DamagedLinesEndOrPassOver) {
  EXPECT_EQ(Walk(ReviewRecord("L1")).count, 0);
  EXPECT_EQ(Walk(ReviewRecord("L1") + ReviewRecord("B     5.00")).count, 0);
  const std::string line = ReviewLineBlock("1", 0, 1) + ReviewRecord("Q?garbage") + ReviewRecord("\x01\x02") +
                           MeterReadingRecord('T', kRz12Vertical, -200, 500) + "xyz";
  const ScratchRows rows = Walk(line);
  ASSERT_EQ(rows.count, 1);
  EXPECT_EQ(Station(rows, 0), "        0.00");
}

// ---- Slots and keys -----------------------------------------------------------------------------

TEST(ReviewSlots, PagesAndEndsOnFourHundredRows) {
  SlotState s;
  s.rowCount = 400;
  s.slotsPerScreen = s.lastSlot = 310;
  s.cursorSlot = 50;
  struct Step {
    int32_t action;
    int32_t firstRow;
  };
  const Step steps[] = {{kActionOn, 81},  {kActionOn, 91},     {kActionOn, 91},   {kActionStart, 1},
                        {kActionEnd, 91}, {kActionBack, 11},   {kActionBack, 1},  {kActionStart, 1}};
  s.firstRow = 1;
  for (const Step& step : steps) {
    const SlotStep r = SlotAction(step.action, s);
    EXPECT_EQ(r.firstRow, step.firstRow) << "action " << step.action << " from " << s.firstRow;
    EXPECT_TRUE(r.reread);
    EXPECT_TRUE(r.showValues);
    EXPECT_EQ(r.cursorSlot, 50);  // pages leave the cursor where it is
    s.firstRow = r.firstRow;
  }
}

TEST(ReviewSlots, MovesPastTheEndsDoNothing) {
  SlotState s;
  s.slotsPerScreen = s.lastSlot = 310;
  s.firstRow = 1;
  s.rowCount = 74;
  EXPECT_FALSE(SlotAction(kActionOn, s).reread);   // 81 > 74
  EXPECT_TRUE(SlotAction(kActionEnd, s).reread == false);  // fewer rows than the slots
  s.rowCount = 100;
  const SlotStep on = SlotAction(kActionOn, s);
  EXPECT_TRUE(on.reread);
  EXPECT_EQ(on.firstRow, -209);  // read from row 1
  EXPECT_EQ(EffectiveFirstRow(on.firstRow), 1);
  s.rowCount = 309;
  EXPECT_EQ(SlotAction(kActionEnd, s).firstRow, 0);
  EXPECT_TRUE(SlotAction(kActionEnd, s).reread);

  // The cursor: right stops at the row count and at the last slot, left at slot 1.
  s.rowCount = 20;
  s.cursorSlot = 50;
  EXPECT_FALSE(SlotAction(kActionRight, s).cursorMoved);
  EXPECT_TRUE(SlotAction(kActionRight, s).showValues);
  const SlotStep left = SlotAction(kActionLeft, s);
  EXPECT_TRUE(left.cursorMoved);
  EXPECT_EQ(left.cursorSlot, 49);
  s.cursorSlot = 1;
  EXPECT_FALSE(SlotAction(kActionLeft, s).cursorMoved);
  s.rowCount = 1000;
  s.cursorSlot = 310;
  EXPECT_FALSE(SlotAction(kActionRight, s).cursorMoved);
  s.cursorSlot = 309;
  EXPECT_EQ(SlotAction(kActionRight, s).cursorSlot, 310);

  EXPECT_EQ(FirstCursorSlot(30), 15);
  EXPECT_EQ(FirstCursorSlot(300), 50);
  EXPECT_EQ(FirstCursorSlot(50), 25);
  EXPECT_EQ(FirstCursorSlot(1), 1);
  EXPECT_EQ(FirstCursorSlot(0), 1);
}

TEST(ReviewKeys, EachMessageKindHasItsOwnTable) {
  struct Case {
    UINT message;
    WPARAM code;
    int32_t expected;
  };
  const Case cases[] = {
      {WM_KEYDOWN, VK_HOME, kActionStart},  {WM_KEYDOWN, VK_PRIOR, kActionBack},   {WM_KEYDOWN, VK_LEFT, kActionLeft},
      {WM_KEYDOWN, VK_UP, kActionLeft},     {WM_KEYDOWN, VK_RIGHT, kActionRight},  {WM_KEYDOWN, VK_DOWN, kActionRight},
      {WM_KEYDOWN, VK_NEXT, kActionOn},     {WM_KEYDOWN, VK_END, kActionEnd},      {WM_KEYDOWN, 'F', kReviewNoAction},
      {WM_KEYDOWN, 9, kReviewNoAction},     {WM_KEYDOWN, 13, kReviewNoAction},     {WM_CHAR, '$', kReviewNoAction},
      {WM_CHAR, '#', kReviewNoAction},      {WM_CHAR, '!', kReviewNoAction},       {WM_CHAR, '%', kReviewNoAction},
      {WM_CHAR, 'f', kActionFile},          {WM_CHAR, 'F', kActionFile},           {WM_CHAR, 's', kActionScale},
      {WM_CHAR, 'S', kActionScale},         {WM_CHAR, 'E', kActionExit},           {WM_CHAR, 'x', kActionExit},
      {WM_CHAR, '?', kActionHelp},          {WM_CHAR, 'l', kActionLine},           {WM_CHAR, 'L', kActionLine},
      {WM_CHAR, 9, kReviewTab},             {WM_CHAR, 13, 7},                      {WM_CHAR, 'a', kReviewNoAction},
      {WM_COMMAND, 480, kActionStart},      {WM_COMMAND, 489, kActionHelp},        {WM_COMMAND, 490, kReviewNoAction},
      {WM_COMMAND, 220, kReviewNoAction},   {WM_KILLFOCUS, 0x24, kReviewNoAction}, {WM_KILLFOCUS, 13, kReviewNoAction},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReviewInputAction(c.message, c.code, 7), c.expected) << "message " << c.message << " code " << c.code;
  }
  EXPECT_EQ(ReviewInputAction(WM_CHAR, 13, kLineBoxSelection), kActionLine);
  EXPECT_EQ(NextReviewSelection(8), 9);
  EXPECT_EQ(NextReviewSelection(9), 10);
  EXPECT_EQ(NextReviewSelection(10), 0);
}

// ---- Texts --------------------------------------------------------------------------------------

TEST(ReviewTexts, HelpTextsPerStorageRoot) {
  EXPECT_EQ(ReviewHelpText(0),
            L"Select Survey Line in combo box (L)ine.\r\n  \r\nTo move profile along survey line:\r\n"
            L"  Start Line     - tap <<--  or key Home\r\n  End Line      - tap -->>  or key End  \r\n"
            L"  80 Stn left   - tap <---  or key PgUp \r\n  80 Stn right - tap --->  or key PgDn\r\n  \r\n"
            L"To move vertical bar:\r\n  1 Stn left   - tap  |<--  or key Left \r\n"
            L"  1 Stn right - tap  -->|  or key Right");
  EXPECT_EQ(ReviewHelpText(1),
            L"Select Line in box (L)ine.\r\n  \r\nTo move along line:\r\n to Start- tap <<-- /Home\r\n"
            L" to End  - tap -->> /End \r\n 80 left  - tap <--- /PgUp\r\n 80 right- tap ---> /PgDn\r\n  \r\n"
            L"To move vertical bar:\r\n 1 left   - tap |<-- /Left \r\n 1 right - tap -->| /Right");
  EXPECT_EQ(ReviewHelpLines(0).size(), 11u);
  EXPECT_EQ(ReviewHelpLines(1).size(), 11u);
}

TEST(ReviewTexts, CursorValuesByModelAndOrientation) {
  CursorSlot slot;
  slot.present = 1;
  slot.station = 49.0f;
  slot.valid[0] = slot.valid[2] = slot.valid[3] = 1;
  slot.value[0] = 12.5f;
  slot.value[2] = -1.25f;
  slot.value[3] = 3.25f;
  CursorTexts t = CursorValueTexts(kModelRz12, 0, 0, 0, slot);
  EXPECT_EQ(t.station, L"49.00      ");
  EXPECT_EQ(t.field[0], L"CV:12.50   ");
  EXPECT_EQ(t.field[1], L"CH:");
  EXPECT_EQ(t.field[2], L"IV:-1.25   ");
  EXPECT_EQ(t.field[3], L"IH:3.2     ");  // one decimal (3.25 is 3.2 in binary)
  EXPECT_TRUE(t.ice.empty());
  t = CursorValueTexts(kModelRz27, 1, 0, 0, slot);
  EXPECT_EQ(t.field[0], L"C:12.50   ");
  EXPECT_EQ(t.field[1], L"c:");
  EXPECT_EQ(t.field[2], L"I:-1.25   ");
  EXPECT_EQ(t.field[3], L"i:3.2     ");

  CursorSlot rz45 = slot;
  rz45.valid[3] = 0;
  rz45.valid[5] = 1;
  rz45.value[5] = 7.25f;
  t = CursorValueTexts(kModelRz45, 0, 0, 0, rz45);
  EXPECT_EQ(t.field[0], L"12.5   ");
  EXPECT_EQ(t.field[3], L"xxxxx");
  EXPECT_EQ(t.field[5], L"7.2    ");
  EXPECT_TRUE(t.field[6].empty());
  t = CursorValueTexts(kModelRz27Mk2, 0, 0, 0, rz45);
  EXPECT_EQ(t.field[7], L"xxxxx");
  t = CursorValueTexts(kModelZol12, 1, 0, 0, slot);
  EXPECT_EQ(t.field[0], L"Th:12.50   ");
  EXPECT_EQ(t.field[2], L"IP:-1.25   ");
  EXPECT_TRUE(t.field[1].empty() && t.field[3].empty());
  t = CursorValueTexts(kModelRz89, 0, 0, 0, slot);
  EXPECT_EQ(t.station, L"49.00      ");
  for (const std::wstring& f : t.field) EXPECT_TRUE(f.empty());

  slot.present = 0;
  t = CursorValueTexts(kModelRz12, 0, 1, 0, slot);
  EXPECT_FALSE(t.present);
  EXPECT_TRUE(t.station.empty() && t.field[0].empty() && t.ice.empty());
}

TEST(ReviewTexts, IceThicknessInMetresFeetOrNotAvailable) {
  CursorSlot slot;
  slot.present = 1;
  slot.valid[1] = 1;
  slot.value[1] = 900.0f;
  slot.iceThickness = 0.3048f;
  EXPECT_EQ(CursorValueTexts(kModelRz12, 1, 1, 1, slot).ice, L"Ice Th:1.00    ft");
  EXPECT_EQ(CursorValueTexts(kModelRz12, 0, 1, 1, slot).ice, L"Th:1.00    ft");
  EXPECT_EQ(CursorValueTexts(kModelRz12, 0, 1, 0, slot).ice, L"Th:0.30    m");
  EXPECT_EQ(CursorValueTexts(kModelRz12, 1, 1, 0, slot).ice, L"Ice Th:0.30    m");
  slot.iceThickness = -999.0f;
  EXPECT_EQ(CursorValueTexts(kModelRz12, 1, 1, 0, slot).ice, L"Ice Th: N/A");
  EXPECT_EQ(CursorValueTexts(kModelRz12, 0, 1, 0, slot).ice, L"Th: N/A");
  slot.iceThickness = 2.0f;
  slot.valid[1] = 0;
  EXPECT_EQ(CursorValueTexts(kModelRz12, 0, 1, 0, slot).ice, L"Th: N/A");
  EXPECT_TRUE(CursorValueTexts(kModelRz12, 0, 0, 0, slot).ice.empty());
}

// ---- Layout -------------------------------------------------------------------------------------

std::array<LONG, 4> Box(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

ReviewScreen Landscape(int32_t model = kModelRz12) {
  ReviewScreen s;
  s.model = model;
  return s;
}

ReviewScreen Portrait(int32_t model = kModelRz12) {
  ReviewScreen s;
  s.model = model;
  s.portrait = 1;
  s.windowWidth = 240;
  s.windowHeight = 320;
  s.plotTop = 44;
  s.plotWidth = 232;
  s.plotHeight = 210;
  return s;
}

TEST(ReviewLayout, ButtonsAndLineBox) {
  const int landscapeX[10] = {2, 55, 108, 161, 214, 267, 154, 195, 236, 277};
  const int portraitX[10] = {2, 41, 80, 119, 158, 197, 80, 119, 158, 197};
  for (int i = 0; i < 10; ++i) {
    const RECT l = ReviewButtonRect(Landscape(), i);
    EXPECT_EQ(l.left, landscapeX[i]) << i;
    EXPECT_EQ(l.top, i < 6 ? 222 : 203) << i;
    EXPECT_EQ(l.right - l.left, i < 6 ? 52 : 40) << i;
    EXPECT_EQ(l.bottom - l.top, i < 6 ? 17 : 18) << i;
    const RECT p = ReviewButtonRect(Portrait(), i);
    EXPECT_EQ(p.left, portraitX[i]) << i;
    EXPECT_EQ(p.top, i < 6 ? 302 : 283) << i;
    EXPECT_EQ(p.right - p.left, 38) << i;
  }
  EXPECT_EQ(Box(LineBoxRect(Landscape())), Box(RECT{234, 2, 316, 222}));
  EXPECT_EQ(Box(LineBoxRect(Portrait())), Box(RECT{154, 16, 236, 236}));
}

TEST(ReviewLayout, FieldsByModelAndOrientation) {
  ReviewTextWidths w;
  w.lineLabel = 12;
  w.fileField = 80;
  w.stationLabel = 20;
  w.stationDigits = 50;
  w.mk2Scale = 70;
  ReviewFields f = ComputeReviewFields(Landscape(), w);
  EXPECT_EQ(f.row2Y, 15);
  EXPECT_EQ(f.underPlotY, 188);
  EXPECT_EQ(f.bottomY, 203);
  EXPECT_EQ(Box(f.lineLabel), Box(RECT{220, 3, 236, 21}));
  EXPECT_EQ(Box(f.file), Box(RECT{5, 1, 90, 17}));
  EXPECT_EQ(Box(f.station), Box(RECT{25, 15, 85, 31}));
  EXPECT_EQ(Box(f.scale), Box(RECT{4, 203, 164, 220}));
  EXPECT_EQ(Box(f.value[0]), Box(RECT{5, 188, 84, 204}));
  EXPECT_EQ(Box(f.value[3]), Box(RECT{245, 186, 320, 204}));
  EXPECT_EQ(Box(f.ice), Box(RECT{105, 15, 320, 31}));

  f = ComputeReviewFields(Portrait(), w);
  EXPECT_EQ(f.lineLabel.left, 158);
  EXPECT_EQ(f.lineLabel.top, 2);
  EXPECT_EQ(Box(f.value[1]), Box(RECT{61, 254, 120, 270}));
  EXPECT_EQ(Box(f.ice), Box(RECT{130, 269, 240, 285}));

  f = ComputeReviewFields(Landscape(kModelRz27Mk2), w);
  EXPECT_EQ(Box(f.scaleC), Box(RECT{100, 1, 175, 18}));
  EXPECT_EQ(Box(f.scaleI), Box(RECT{100, 15, 175, 32}));
  EXPECT_EQ(Box(f.value[2]), Box(RECT{107, 186, 159, 204}));
  EXPECT_EQ(Box(f.value[5]), Box(RECT{266, 186, 320, 204}));
  EXPECT_EQ(Box(f.value[7]), Box(RECT{54, 203, 106, 219}));
  f = ComputeReviewFields(Landscape(kModelRz89), w);
  EXPECT_EQ(Box(f.value[0]), Box(RECT{}));
}

}  // namespace
}  // namespace handheld
