// The dialogs of a survey run, opened from the logging window with their real templates: what they
// show, what OK records, saves and redraws, and that Cancel or a close changes nothing.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cfloat>
#include <cstdio>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "engine/settings.h"
#include "logging/dialog_support.h"
#include "logging/dialogs.h"
#include "logging/screen.h"
#include "logging_fixture.h"
#include "shell/shell.h"

namespace handheld {
namespace {

using plat::test::ModalContext;
using test::LoggingFixture;
using test::LoggingSetup;

constexpr size_t kRecord = 24;

class RunDialogs : public LoggingFixture {
 protected:
  // Stand By on "RUN1" with the station at 10 and the start station at 5.
  void StartStandBy(bool portrait = false) {
    LoggingSetup s;
    s.portrait = portrait;
    SetUpLogging(s);
    ShowRun();
    SurveySettings.startStation = 5.0;
    ASSERT_TRUE(CreateFile(L"RUN1"));
    SurveyRun.station = 10.0;
    SurveyRun.stationHasReading = 1;
    for (int32_t& have : PlotState.havePrev) have = 1;
  }
  static std::string DataFile() { return test::RootFileBytes("Storage/DATA12/RUN1.R12"); }
};

TEST_F(RunDialogs, NewStationRecordsAndShowsTheTypedStation) {
  StartStandBy();
  const std::string before = DataFile();
  std::wstring shownStart, shownLast, shownNew;
  std::vector<plat::test::DrawEntry> texts;  // drawn on the logging window by the OK itself
  plat::test::ExpectDialog(L"New Station", [&](ModalContext& ctx) {
    shownStart = ctx.ControlText(863);
    shownLast = ctx.ControlText(864);
    shownNew = ctx.ControlText(865);
    ctx.SetText(865, L"125");
    plat::test::EnableDrawLog(true);
    SendMessageW(ctx.Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // the caption's OK box
    texts = DrawnTexts();
  });
  Key('N');
  EXPECT_EQ(shownStart, L"5.000");
  EXPECT_EQ(shownLast, L"10.000");
  EXPECT_EQ(shownNew, L"");

  EXPECT_EQ(SurveyRun.station, 125.0);
  EXPECT_EQ(SurveyRun.stationHasReading, 0);
  for (int32_t have : PlotState.havePrev) EXPECT_EQ(have, 0);
  // Only the station field is drawn on the logging window, at its place on the line row.
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, L"125.00     ");
  EXPECT_EQ(texts[0].y, LoggingLayout.lineRowY);
  EXPECT_EQ(texts[0].x, LoggingLayout.stationRect.left);

  // A station record at 14:20 and a time record.
  const std::string file = DataFile();
  ASSERT_EQ(file.size(), before.size() + 2 * kRecord);
  const std::string station = file.substr(before.size(), kRecord);
  EXPECT_EQ(station.substr(0, 15), "S     125.00 14");
  EXPECT_EQ(station.back(), '\n');
  EXPECT_EQ(file[before.size() + kRecord], '*');
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
}

TEST_F(RunDialogs, NewStationTypedValues) {
  struct Case {
    const wchar_t* typed;
    double station;
    const char* record;
  } const cases[] = {
      {L"-12.5", -12.5, "S     -12.50"},
      {L"abc", 0.0, "S       0.00"},  // not a number: 0, stored as any value
      {L"1e999", 0.0, "S       0.00"},
      {L"0x20", 0.0, "S       0.00"},
      {L"", 0.0, "S       0.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.typed, c.typed + wcslen(c.typed)));
    StartStandBy();
    const size_t before = DataFile().size();
    plat::test::ExpectDialog(L"New Station", [&](ModalContext& ctx) {
      ctx.SetText(865, c.typed);
      ctx.ClickCaptionOk();
    });
    Key('N');
    EXPECT_EQ(SurveyRun.station, c.station);
    EXPECT_EQ(DataFile().substr(before, 12), c.record);
    TearDown();
  }
}

// Typed numbers too wide for their record fields are clamped to what the fields hold, in each of
// the three dialogs that take them: the records keep every character, and the settings file (a
// line of at most 255 characters each) reads the same values back.
TEST_F(RunDialogs, TypedNumbersFitTheirRecordFields) {
  enum class Dialog { kSurveySetup, kNewLine, kNewStation };
  struct Value {
    const wchar_t* typed;
    double station;
    const char* stationField;  // "%11.2f"
    float increment;
    const char* incrementField;  // "%11.3f"
  } const values[] = {
      {L"12345678901234", 99999999.99, "99999999.99", 999.999f, "    999.999"},
      {L"-12345678901234", -9999999.99, "-9999999.99", -99.999f, "    -99.999"},
      {L"1e300", 99999999.99, "99999999.99", 999.999f, "    999.999"},
  };
  const std::pair<Dialog, const char*> dialogs[] = {
      {Dialog::kSurveySetup, "survey setup"}, {Dialog::kNewLine, "new line"}, {Dialog::kNewStation, "new station"}};
  for (const auto& [dialog, name] : dialogs) {
    for (const Value& v : values) {
      SCOPED_TRACE(testing::Message() << name << ", " << std::string(v.typed, v.typed + wcslen(v.typed)));
      SetUpLogging(LoggingSetup{});
      ShowRun();
      size_t from = 0;  // where the records of the typed values start
      if (dialog == Dialog::kSurveySetup) {
        plat::test::ExpectDialog(L"Survey Setup", [&v](ModalContext& ctx) {
          ctx.SetText(628, v.typed);  // start station
          ctx.SetText(629, v.typed);  // station increment
          ctx.ClickCaptionOk();
        });
        RunDialogByName(main_, L"GetSurveySetup12H", SurveySetupDlgProc);
        ASSERT_TRUE(CreateFile(L"RUN1"));
        from = 3 * kRecord;  // the line block after the two header records
      } else {
        ASSERT_TRUE(CreateFile(L"RUN1"));
        from = DataFile().size();
        if (dialog == Dialog::kNewLine) {
          plat::test::ExpectDialog(L"New Line", [&v](ModalContext& ctx) {
            ctx.SetText(678, v.typed);  // start station
            ctx.SetText(679, v.typed);  // station increment
            ctx.ClickCaptionOk();
          });
          Key('L');
          from += kRecord;
        } else {
          plat::test::ExpectDialog(L"New Station", [&v](ModalContext& ctx) {
            ctx.SetText(865, v.typed);
            ctx.ClickCaptionOk();
          });
          Key('N');
        }
      }
      ASSERT_EQ(plat::test::PendingExpectations(), 0u);
      const std::string file = DataFile();
      ASSERT_GE(file.size(), from + 2 * kRecord);
      EXPECT_EQ(SurveyRun.station, v.station);
      if (dialog == Dialog::kNewStation) {
        EXPECT_EQ(file.substr(from, 13), std::string("S") + v.stationField + " ");
      } else {
        EXPECT_EQ(file.substr(from, 13), std::string("B") + v.stationField + " ");
        EXPECT_EQ(file.substr(from + kRecord + 8, 12), std::string(v.incrementField) + " ");
        // Saved whole: the increment's line, and the start station as it reads back.
        char increment[32];
        snprintf(increment, sizeof increment, "\r\n%f\r\n", static_cast<double>(v.increment));
        EXPECT_NE(test::SettingsFileBytes().find(increment), std::string::npos) << increment;
        SurveySettings.startStation = 0;
        LoadSaveSettings(0);
        EXPECT_EQ(SurveySettings.startStation, v.station);
      }
      TearDown();
    }
  }
}

TEST_F(RunDialogs, NewStationCancelChangesNothing) {
  StartStandBy(true);  // portrait: the centred template
  const std::string before = DataFile();
  HWND dialog = nullptr;
  plat::test::ExpectDialog(L"New Station", [&](ModalContext& ctx) {
    dialog = ctx.Window();
    ctx.SetText(865, L"99");
    ctx.Key(VK_ESCAPE);
  });
  Key('N');
  EXPECT_NE(dialog, nullptr);
  EXPECT_EQ(SurveyRun.station, 10.0);
  EXPECT_EQ(SurveyRun.stationHasReading, 1);
  EXPECT_EQ(PlotState.havePrev[0], 1);
  EXPECT_EQ(DataFile(), before);
  const auto log = plat::test::ModalLog();
  EXPECT_EQ(log.back().caption, L"New Station");
}

// Landscape on a storage-root build opens the dialog left of the centre, at x 35 dialog units.
TEST_F(RunDialogs, NewStationPlacement) {
  for (bool portrait : {false, true}) {
    SCOPED_TRACE(portrait ? "portrait" : "landscape");
    StartStandBy(portrait);
    RECT placed{};
    plat::test::ExpectDialog(L"New Station", [&](ModalContext& ctx) {
      GetWindowRect(ctx.Window(), &placed);
      ctx.Cancel();
    });
    Key('N');
    const int screenWidth = portrait ? 240 : 320;
    if (portrait) {
      EXPECT_NEAR((placed.left + placed.right) / 2, screenWidth / 2, 1);
    } else {
      EXPECT_EQ(placed.left, MulDiv(35, 6, 4));
    }
    TearDown();
  }
}

// ---- Comment ----------------------------------------------------------------------------------

// OK writes the text as a comment record of the tick: its first 11 characters, blank-padded.
TEST_F(RunDialogs, CommentRecordsItsFirst11Characters) {
  struct Case {
    const wchar_t* typed;
    const char* record;
  } const cases[] = {
      {L"HELLO WORLD 12", "CHELLO WORLD       5000\n"},
      {L"", "C                  5000\n"},
      {L"short", "Cshort             5000\n"},
      {L"0123456789012345678901234567890123456789", "C01234567890       5000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.typed, c.typed + wcslen(c.typed)));
    StartStandBy();
    plat::test::SetTick(5000);
    const size_t before = DataFile().size();
    std::wstring shown = L"#";
    plat::test::ExpectDialog(L"Enter Comment", [&](ModalContext& ctx) {
      shown = ctx.ControlText(851);
      ctx.SetText(851, c.typed);
      ctx.ClickCaptionOk();
    });
    Key('C');
    EXPECT_EQ(shown, L"");
    EXPECT_EQ(DataFile().substr(before), c.record);
    TearDown();
  }
}

TEST_F(RunDialogs, CommentCancelOrCloseWritesNothing) {
  StartStandBy();
  const std::string before = DataFile();
  plat::test::ExpectDialog(L"Enter Comment", [](ModalContext& ctx) {
    ctx.SetText(851, L"NOT THIS");
    ctx.Key(VK_ESCAPE);
  });
  Key('C');
  plat::test::ExpectDialog(L"Enter Comment", [](ModalContext& ctx) {
    ctx.SetText(851, L"NOR THIS");
    ctx.Close();  // as the watchdog closes it
  });
  Key('C');
  EXPECT_EQ(DataFile(), before);
  EXPECT_EQ(plat::test::ModalLog().back().result, 0);
}

// ---- New line ---------------------------------------------------------------------------------

TEST(NewLineProposal, Table) {
  struct Case {
    const char* name;
    const wchar_t* line;
    float lineIncrement;
    int32_t sequence, direction;
    float line2;
    double start;
    float increment;
    int32_t direction2;
  } const cases[] = {
      {"Alternate, North", L"10", 1.0f, 0, 2, 11.0f, 120.0, -2.5f, 1},
      {"Alternate, West", L"10", 1.0f, 0, 0, 11.0f, 120.0, -2.5f, 3},
      {"Alternate, East", L"10", 1.0f, 0, 3, 11.0f, 120.0, -2.5f, 0},
      {"Alternate, South", L"10", 1.0f, 0, 1, 11.0f, 120.0, -2.5f, 2},
      {"One Way", L"10", 1.0f, 1, 2, 11.0f, 5.0, 2.5f, 2},
      {"Alternate, direction 7 offered as it is", L"10", 1.0f, 0, 7, 11.0f, 120.0, -2.5f, 7},
      {"Alternate, direction -1 offered as it is", L"10", 1.0f, 0, -1, 11.0f, 120.0, -2.5f, -1},
      {"sequence outside the list", L"10", 1.0f, 4, 2, 11.0f, 5.0, 2.5f, 2},
      {"name not a number", L"L12", 2.0f, 1, 2, 2.0f, 5.0, 2.5f, 2},
      {"decimal name", L" 7.5x", -0.5f, 1, 2, 7.0f, 5.0, 2.5f, 2},
      {"hex name reads its 0", L"0x1F", 1.0f, 1, 2, 1.0f, 5.0, 2.5f, 2},
      {"name beyond float clamped", L"1e39", 1.0f, 1, 2, FLT_MAX, 5.0, 2.5f, 2},
      {"sum beyond float clamped", L"3e38", 3e38f, 1, 2, FLT_MAX, 5.0, 2.5f, 2},
      {"below float clamped", L"-1e39", -1.0f, 1, 2, -FLT_MAX, 5.0, 2.5f, 2},
  };
  for (const Case& c : cases) {
    const NewLineProposal p = ProposeNewLine(c.line, c.lineIncrement, c.sequence, c.direction, 5.0, 2.5f, 120.0);
    EXPECT_EQ(p.line, c.line2) << c.name;
    EXPECT_EQ(p.start, c.start) << c.name;
    EXPECT_EQ(p.increment, c.increment) << c.name;
    EXPECT_EQ(p.direction, c.direction2) << c.name;
  }
}

class NewLineDialog : public RunDialogs {
 protected:
  // Stand By on line "10", station 120, the stored numbering below.
  void Start(int32_t sequence = 0, int32_t direction = 2) {
    StartStandBy();
    wcscpy(SurveySettings.surveyLine, L"10");
    SurveySettings.lineIncrement = 1.0f;
    SurveySettings.lineSequence = sequence;
    SurveySettings.lineDirection = direction;
    SurveySettings.startStation = 5.0;
    SurveySettings.stationIncrement = 2.5f;
    SurveyRun.station = 120.0;
    LoadSaveSettings(1);
    settings_ = Settings();
  }
  static std::string Settings() { return test::RootFileBytes("Storage/VLQINI/RZ12.INI"); }
  static int32_t Selected(ModalContext& ctx, int id) {
    return static_cast<int32_t>(SendDlgItemMessageW(ctx.Window(), id, CB_GETCURSEL, 0, 0));
  }
  static std::wstring Item(ModalContext& ctx, int id, int i) {
    wchar_t text[32] = {};
    SendDlgItemMessageW(ctx.Window(), id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    return text;
  }

  std::string settings_;
};

TEST_F(NewLineDialog, ProposesTheNextLine) {
  for (int32_t sequence : {0, 1}) {
    SCOPED_TRACE(sequence == 0 ? "Alternate" : "One Way");
    Start(sequence);
    std::vector<std::wstring> shown;
    int32_t selectedSequence = -2, selectedDirection = -2;
    std::vector<std::wstring> lists;
    plat::test::ExpectDialog(L"New Line", [&](ModalContext& ctx) {
      for (int id : {651, 653, 674, 675, 678, 679}) shown.push_back(ctx.ControlText(id));
      selectedSequence = Selected(ctx, 676);
      selectedDirection = Selected(ctx, 677);
      for (int i = 0; i < 2; ++i) lists.push_back(Item(ctx, 676, i));
      for (int i = 0; i < 4; ++i) lists.push_back(Item(ctx, 677, i));
      ctx.Cancel();
    });
    Key('L');
    if (sequence == 0) {
      EXPECT_EQ(shown, (std::vector<std::wstring>{L"10", L"120.000", L"11.00", L"1.00", L"120.000", L"-2.500"}));
      EXPECT_EQ(selectedDirection, 1);  // South
    } else {
      EXPECT_EQ(shown, (std::vector<std::wstring>{L"10", L"120.000", L"11.00", L"1.00", L"5.000", L"2.500"}));
      EXPECT_EQ(selectedDirection, 2);  // North
    }
    EXPECT_EQ(selectedSequence, sequence);
    EXPECT_EQ(lists, (std::vector<std::wstring>{L"Alternate", L"One Way", L"West", L"South", L"North", L"East"}));
    // Cancel changes nothing.
    EXPECT_EQ(SurveyRun.station, 120.0);
    EXPECT_EQ(SurveySettings.lineDirection, 2);
    EXPECT_STREQ(SurveySettings.surveyLine, L"10");
    EXPECT_EQ(Settings(), settings_);
    TearDown();
  }
}

// OK stores what the dialog holds and saves it; the logging window then records the new line
// block and a time mark and shows the new line and station.
TEST_F(NewLineDialog, OkStoresSavesAndStartsTheLine) {
  Start();
  const size_t before = DataFile().size();
  plat::test::EnableDrawLog(true);
  plat::test::ExpectDialog(L"New Line", [](ModalContext& ctx) {
    ctx.SetText(674, L"LINE-0123456789");  // cut to 11 characters
    ctx.SetText(675, L"2.5");
    ctx.Select(676, 1);
    ctx.Select(677, 3);
    ctx.SetText(678, L"-40");
    ctx.SetText(679, L"0.5");
    ctx.ClickCaptionOk();
  });
  Key('L');
  EXPECT_STREQ(SurveySettings.surveyLine, L"LINE-012345");
  EXPECT_EQ(SurveySettings.lineIncrement, 2.5f);
  EXPECT_EQ(SurveySettings.lineSequence, 1);
  EXPECT_EQ(SurveySettings.lineDirection, 3);
  EXPECT_EQ(SurveySettings.startStation, -40.0);
  EXPECT_EQ(SurveyRun.station, -40.0);
  EXPECT_EQ(SurveySettings.stationIncrement, 0.5f);
  EXPECT_EQ(SurveyRun.stationHasReading, 0);
  for (int32_t have : PlotState.havePrev) EXPECT_EQ(have, 0);
  EXPECT_NE(Settings(), settings_);
  EXPECT_NE(Settings().find("\r\nLINE-012345\r\n2.500000\r\n1\r\n3\r\n-40.000000\r\n"), std::string::npos);
  const std::string file = DataFile();
  ASSERT_EQ(file.size(), before + 5 * kRecord);
  EXPECT_EQ(file.substr(before, 12), "LLINE-012   ");  // the record keeps 8 characters
  EXPECT_EQ(file[before + 4 * kRecord], '*');
  EXPECT_TRUE(Drawn(L"LINE-012345"));
  EXPECT_TRUE(Drawn(L"-40.00     "));
}

// A stored sequence or direction outside its list leaves the list without a selection; OK then
// keeps the setting. Numbers beyond the float range are clamped; non-numbers read 0.
TEST_F(NewLineDialog, OutOfRangeValuesStayAndHugeNumbersAreClamped) {
  Start(9, 7);
  int32_t sequence = -2, direction = -2;
  plat::test::ExpectDialog(L"New Line", [&](ModalContext& ctx) {
    sequence = Selected(ctx, 676);
    direction = Selected(ctx, 677);
    ctx.SetText(675, L"1e39");
    ctx.SetText(678, L"1e999");
    ctx.SetText(679, L"-nan");
    ctx.ClickCaptionOk();
  });
  Key('L');
  EXPECT_EQ(sequence, CB_ERR);
  EXPECT_EQ(direction, CB_ERR);
  EXPECT_EQ(SurveySettings.lineSequence, 9);
  EXPECT_EQ(SurveySettings.lineDirection, 7);
  EXPECT_EQ(SurveySettings.lineIncrement, FLT_MAX);
  EXPECT_EQ(SurveySettings.startStation, 0.0);
  EXPECT_EQ(SurveySettings.stationIncrement, 0.0f);
}

// Closed (as the watchdog closes it) the dialog ends as cancelled: nothing is stored, saved or
// written.
TEST_F(NewLineDialog, ACloseIsACancel) {
  Start();
  const std::string before = DataFile();
  plat::test::ExpectDialog(L"New Line", [](ModalContext& ctx) {
    ctx.SetText(674, L"99");
    ctx.Close();
  });
  Key('L');
  EXPECT_STREQ(SurveySettings.surveyLine, L"10");
  EXPECT_EQ(Settings(), settings_);
  EXPECT_EQ(DataFile(), before);
  EXPECT_EQ(plat::test::ModalLog().back().result, 0);
}

}  // namespace
}  // namespace handheld
