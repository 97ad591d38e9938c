// The dialogs of a survey run, opened from the logging window with their real templates: what they
// show, what OK records and redraws, and that Cancel changes nothing.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <string>
#include <vector>

#include "logging/dialogs.h"
#include "logging/screen.h"
#include "logging_fixture.h"

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

}  // namespace
}  // namespace handheld
