// The survey run's dialogs opened from the logging window with their real templates: the New Line
// proposal (by table and as shown), what each OK stores, records and saves, and that Cancel, the
// letter c or a list without a selection change nothing.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cfloat>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "desktop_test_support.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "ui/dialogs.h"

namespace desktop {
namespace {

using test::Switches;
namespace pt = plat::test;

constexpr size_t kRecord = 24;

TEST(NewLineProposal, Table) {
  const struct {
    const char* name;
    const char* line;
    float lineIncrement;
    int32_t sequence, direction;
    float line2;
    double start;
    float increment;
    int32_t direction2;
  } cases[] = {
      {"Alternate, North", "10", 1.0f, 0, 2, 11.0f, 120.0, -2.5f, 1},
      {"Alternate, South", "10", 1.0f, 0, 1, 11.0f, 120.0, -2.5f, 2},
      {"Alternate, West", "10", 1.0f, 0, 0, 11.0f, 120.0, -2.5f, 3},
      {"Alternate, East", "10", 1.0f, 0, 3, 11.0f, 120.0, -2.5f, 0},
      {"One Way", "10", 1.0f, 1, 2, 11.0f, 5.0, 2.5f, 2},
      {"Alternate, direction 7 kept", "10", 1.0f, 0, 7, 11.0f, 120.0, -2.5f, 7},
      {"Alternate, direction -1 kept", "10", 1.0f, 0, -1, 11.0f, 120.0, -2.5f, -1},
      {"sequence outside the list runs as Alternate", "10", 1.0f, 4, 0, 11.0f, 120.0, -2.5f, 3},
      {"name not a number reads 0", "abc", 2.0f, 1, 2, 2.0f, 5.0, 2.5f, 2},
      {"decimal name", " 7.5x", -0.5f, 1, 2, 7.0f, 5.0, 2.5f, 2},
      {"hex name reads its 0", "0x1F", 1.0f, 1, 2, 1.0f, 5.0, 2.5f, 2},
      {"name beyond float held", "1e39", 1.0f, 1, 2, FLT_MAX, 5.0, 2.5f, 2},
      {"sum below float held", "-3e38", -3e38f, 1, 2, -FLT_MAX, 5.0, 2.5f, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const survey::NewLineProposal p = ProposeNewLine(c.line, c.lineIncrement, c.sequence, c.direction, 5.0, 2.5f, 120.0);
    EXPECT_EQ(p.line, c.line2);
    EXPECT_EQ(p.start, c.start);
    EXPECT_EQ(p.increment, c.increment);
    EXPECT_EQ(p.direction, c.direction2);
  }
}

class RunDialogsTest : public test::DesktopAppTest {
 protected:
  // rz12xp in Stand By on "RUN1", line "10", station 120 with a reading, the numbering below.
  void SetUp() override {
    DesktopAppTest::SetUp();
    Start(Switches(kModelRz12));
    OnUi([] { SurveySettings.gpsEnabled = 0; });
    Key('L');
    EnterStandBy(L"RUN1");
    OnUi([] {
      SurveySettingsData& s = SurveySettings;
      std::snprintf(s.surveyLine, sizeof s.surveyLine, "10");
      s.lineIncrement = 1.0f;
      s.lineSequence = 0;
      s.lineDirection = 2;
      s.startStation = 5.0;
      s.stationIncrement = 2.5f;
      SurveyRun.station = 120.0;
      SurveyRun.stationHasReading = 1;
      for (int32_t& have : PlotState.havePrev) have = 1;
    });
  }
  static std::string DataFile() { return test::RootFileBytes("C/RUN1.R12"); }
  static std::vector<std::string> RecordsAfter(const std::string& before) {
    const std::string file = DataFile();
    EXPECT_EQ(file.compare(0, before.size(), before), 0) << "the file only grows";
    std::vector<std::string> records;
    for (size_t at = before.size(); at + kRecord <= file.size(); at += kRecord) {
      EXPECT_EQ(file[at + kRecord - 1], '\n');
      records.push_back(file.substr(at, kRecord - 1));
    }
    EXPECT_EQ((file.size() - before.size()) % kRecord, 0u);
    return records;
  }
  static std::string SettingsBytes() {
    return std::string(reinterpret_cast<const char*>(&SurveySettings), sizeof SurveySettings);
  }
  // Opens the dialog with its key; the script runs while it is up. The dialog's result.
  INT_PTR Open(int key, const std::wstring& title, const pt::ModalHandler& script) {
    pt::ExpectDialog(title, script);
    Key(key);
    EXPECT_EQ(pt::PendingExpectations(), 0u);
    const auto log = pt::ModalLog();
    return log.empty() ? -99 : log.back().result;
  }
};

TEST_F(RunDialogsTest, NewLineOnAlternateProposesTheLineBackAndOkRecordsItsBlock) {
  std::vector<std::wstring> shown;
  std::wstring sequence, direction;
  bool readOnly = false;
  const std::string before = DataFile();
  const INT_PTR result = Open('L', L"New Survey Line", [&](pt::ModalContext& ctx) {
    for (int id : {1180, 1181, 1106, 1107, 1108, 1109}) shown.push_back(ctx.ControlText(id));
    const auto text = [&](int id) {
      const auto items = pt::Items(ctx.Control(id));
      const int at = pt::Selection(ctx.Control(id));
      return at >= 0 && at < static_cast<int>(items.size()) ? items[at] : L"(none)";
    };
    sequence = text(1178);
    direction = text(1179);
    readOnly = pt::IsReadOnly(ctx.Control(1180)) && pt::IsReadOnly(ctx.Control(1181));
    ctx.Click(IDOK);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"10", L"120.000", L"11.00", L"1.00", L"120.000", L"-2.500"}));
  EXPECT_EQ(sequence, L"Alternate");
  EXPECT_EQ(direction, L"South");
  EXPECT_TRUE(readOnly);

  EXPECT_STREQ(SurveySettings.surveyLine, "11.00");
  EXPECT_EQ(SurveySettings.lineSequence, 0);
  EXPECT_EQ(SurveySettings.lineDirection, 1);
  EXPECT_EQ(SurveySettings.startStation, 120.0);
  EXPECT_EQ(SurveySettings.stationIncrement, -2.5f);
  EXPECT_EQ(SurveyRun.station, 120.0);
  EXPECT_EQ(SurveyRun.stationHasReading, 0);
  for (int32_t have : PlotState.havePrev) EXPECT_EQ(have, 0);
  EXPECT_EQ(SurveyRun.linesTotal, 2);
  const auto records = RecordsAfter(before);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].substr(0, 9), "L11.00   ");
  EXPECT_EQ(records[1].substr(0, 12), "B     120.00");
  EXPECT_EQ(records[2].substr(0, 19), "AS" + std::string(11, ' ') + "-2.500");
  EXPECT_EQ(records[3][0], 'Z');
  EXPECT_EQ(records[4][0], '*');
  // The settings file holds the new line.
  OnUi([] {
    std::snprintf(SurveySettings.surveyLine, sizeof SurveySettings.surveyLine, "X");
    LoadSaveSettings(0);
  });
  EXPECT_STREQ(SurveySettings.surveyLine, "11.00");
}

TEST_F(RunDialogsTest, NewLineOnOneWayProposesTheStoredNumbering) {
  OnUi([] { SurveySettings.lineSequence = 1; });
  std::vector<std::wstring> shown;
  Open('L', L"New Survey Line", [&](pt::ModalContext& ctx) {
    for (int id : {1106, 1108, 1109}) shown.push_back(ctx.ControlText(id));
    shown.push_back(pt::Items(ctx.Control(1179)).at(pt::Selection(ctx.Control(1179))));
    shown.push_back(pt::Items(ctx.Control(1178)).at(pt::Selection(ctx.Control(1178))));
    ctx.Cancel();
  });
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"11.00", L"5.000", L"2.500", L"North", L"One Way"}));
}

TEST_F(RunDialogsTest, NewLineCancelAndTheLetterCChangeNothing) {
  const std::string settings = SettingsBytes();
  const std::string file = DataFile();
  const struct {
    const char* name;
    std::function<void(pt::ModalContext&)> end;
  } ends[] = {
      {"Cancel", [](pt::ModalContext& ctx) { ctx.Click(IDCANCEL); }},
      {"C", [](pt::ModalContext& ctx) { SendMessageA(ctx.Window(), WM_KEYDOWN, 67, 0); }},
      {"c", [](pt::ModalContext& ctx) { SendMessageA(ctx.Window(), WM_KEYDOWN, 99, 0); }},
  };
  for (const auto& e : ends) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(Open('L', L"New Survey Line", [&](pt::ModalContext& ctx) {
                ctx.SetText(1106, L"99");
                ctx.SetText(1108, L"7");
                e.end(ctx);
              }),
              0);
    EXPECT_EQ(SettingsBytes(), settings);
    EXPECT_EQ(DataFile(), file);
    EXPECT_EQ(SurveyRun.station, 120.0);
    EXPECT_EQ(SurveyRun.stationHasReading, 1);
    EXPECT_EQ(SurveyRun.linesTotal, 1);
  }
}

// A stored sequence or direction outside its list shows no selection, and OK leaves it stored; a
// long name is cut to 11 characters and typed numbers are read as decimal text and held within
// their record fields.
TEST_F(RunDialogsTest, NewLineOkKeepsAStoredValueOutsideItsListAndHoldsTypedValues) {
  OnUi([] {
    SurveySettings.lineSequence = 5;
    SurveySettings.lineDirection = 7;
  });
  int sequenceAt = 0, directionAt = 0;
  const std::string before = DataFile();
  Open('L', L"New Survey Line", [&](pt::ModalContext& ctx) {
    sequenceAt = pt::Selection(ctx.Control(1178));
    directionAt = pt::Selection(ctx.Control(1179));
    ctx.SetText(1106, L"LINE-123456789");
    ctx.SetText(1107, L"abc");
    ctx.SetText(1108, L"1e300");
    ctx.SetText(1109, L"-5000");
    ctx.Click(IDOK);
  });
  EXPECT_EQ(sequenceAt, -1);
  EXPECT_EQ(directionAt, -1);
  EXPECT_EQ(SurveySettings.lineSequence, 5);
  EXPECT_EQ(SurveySettings.lineDirection, 7);
  EXPECT_STREQ(SurveySettings.surveyLine, "LINE-123456");
  EXPECT_EQ(SurveySettings.lineIncrement, 0.0f);
  EXPECT_EQ(SurveySettings.startStation, 99999999.99);
  EXPECT_EQ(SurveyRun.station, 99999999.99);
  EXPECT_EQ(SurveySettings.stationIncrement, -99.999f);
  const auto records = RecordsAfter(before);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[1].substr(0, 12), "B99999999.99");
  EXPECT_EQ(records[2].substr(0, 19), "A?" + std::string(10, ' ') + "-99.999");
}

TEST_F(RunDialogsTest, NewStationRecordsTheTypedStationAndCancelChangesNothing) {
  const struct {
    const char* name;
    const wchar_t* typed;
    double station;
    const char* record;
  } cases[] = {
      {"a station", L"125", 125.0, "S     125.00 "},
      {"not a number reads 0", L"abc", 0.0, "S       0.00 "},
      {"held within the field", L"-1e12", -9999999.99, "S-9999999.99 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OnUi([] {
      SurveyRun.station = 120.0;
      SurveyRun.stationHasReading = 1;
      for (int32_t& have : PlotState.havePrev) have = 1;
    });
    std::vector<std::wstring> shown;
    bool readOnly = false;
    const std::string before = DataFile();
    EXPECT_EQ(Open('N', L"New Station", [&](pt::ModalContext& ctx) {
                for (int id : {1181, 1182, 1184, 1183}) shown.push_back(ctx.ControlText(id));
                readOnly = pt::IsReadOnly(ctx.Control(1181)) && pt::IsReadOnly(ctx.Control(1182)) &&
                           pt::IsReadOnly(ctx.Control(1184));
                ctx.SetText(1183, c.typed);
                ctx.Click(IDOK);
              }),
              0);
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"10", L"5.000", L"120.000", L""}));
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(SurveyRun.station, c.station);
    EXPECT_EQ(SurveyRun.stationHasReading, 0);
    for (int32_t have : PlotState.havePrev) EXPECT_EQ(have, 0);
    const auto records = RecordsAfter(before);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].substr(0, 13), c.record);
    EXPECT_EQ(records[1][0], '*');
  }
  const std::string file = DataFile();
  const double station = SurveyRun.station;
  EXPECT_EQ(Open('N', L"New Station", [](pt::ModalContext& ctx) {
              ctx.SetText(1183, L"77");
              ctx.Click(IDCANCEL);
            }),
            1);
  EXPECT_EQ(DataFile(), file);
  EXPECT_EQ(SurveyRun.station, station);
}

TEST_F(RunDialogsTest, ACommentKeepsItsFirstElevenCharactersAndAnEmptyOneIsBlank) {
  const struct {
    const wchar_t* typed;
    const char* text;
  } cases[] = {
      {L"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJK"},
      {L"HELLO WORLD 12", "HELLO WORLD"},
      {L"", "           "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text);
    const std::string before = DataFile();
    const uint32_t opened = GetTickCount();
    EXPECT_EQ(Open('C', L"Enter Comment", [&](pt::ModalContext& ctx) {
                EXPECT_EQ(ctx.ControlText(1187), L"");
                ctx.SetText(1187, c.typed);
                ctx.Click(IDOK);
              }),
              0);
    const auto records = RecordsAfter(before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].substr(0, 13), std::string("C") + c.text + " ");
    const unsigned long tick = std::stoul(records[0].substr(13));  // "%10u"
    EXPECT_GE(tick, opened);
    EXPECT_LE(tick, GetTickCount());
  }
  const std::string file = DataFile();
  Open('C', L"Enter Comment", [](pt::ModalContext& ctx) {
    ctx.SetText(1187, L"NOT THIS");
    ctx.Click(IDCANCEL);
  });
  EXPECT_EQ(DataFile(), file);
}

}  // namespace
}  // namespace desktop
