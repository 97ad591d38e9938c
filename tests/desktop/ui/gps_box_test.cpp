// The GPS box of the running program, by draw log: the GGA fields and the degree sign, the N/A of a
// bad position, the lamps and the count, and the PDOP of a GSA.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "engine/messages.h"
#include "engine/state.h"
#include "ui/logging.h"

namespace desktop {
namespace {

using test::Switches;
namespace pt = plat::test;

const std::string kGga = "$GPGGA,123519,4530.500,N,07315.250,W,1,08,0.9,545.4,M,46.9,M,,*57";
const std::wstring kNa = L"     N/A     ";
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class GpsBoxTest : public test::DesktopAppTest {
 protected:
  void SetUp() override {
    DesktopAppTest::SetUp();
    Start(Switches(kModelRz12));
    Key('L');
    ASSERT_EQ(MainMenu.mode, 1);
  }
  // The sentence handed over as a GPS reader hands it; the draw log of its handling.
  std::vector<pt::DrawEntry> Send(const std::string& sentence) {
    pt::EnableDrawLog(true);
    pt::ClearDrawLog();
    OnUi([&] {
      std::snprintf(GpsState.sentence, sizeof GpsState.sentence, "%s", sentence.c_str());
      SendMessageA(AppWindows.loggingWnd, WM_GPS_SENTENCE, 0, 0);
    });
    pt::EnableDrawLog(false);
    EXPECT_EQ(GpsState.sentence[0], 0) << "the sentence is marked as taken";
    std::vector<pt::DrawEntry> mine;
    for (const pt::DrawEntry& e : pt::DrawLog()) {
      if (e.window == AppWindows.loggingWnd) mine.push_back(e);
    }
    return mine;
  }
  // The texts drawn at the field's left and top, each after the field was filled.
  static std::vector<std::wstring> In(const std::vector<pt::DrawEntry>& log, const RECT& field, bool bold) {
    std::vector<std::wstring> texts;
    bool filled = false;
    for (const pt::DrawEntry& e : log) {
      if (e.op == pt::DrawOp::FillRect && test::Show(e.rect) == test::Show(field)) filled = true;
      if (e.op != pt::DrawOp::Text || e.x != field.left || e.y != field.top) continue;
      EXPECT_TRUE(filled) << "filled before its text";
      EXPECT_EQ(e.fontWeight, bold ? FW_BOLD : FW_NORMAL);
      texts.push_back(e.text);
    }
    return texts;
  }
  using Texts = std::vector<std::wstring>;
  // The lamps' colours in the order drawn: each an ellipse from (left, top + 1) to (right, bottom).
  static std::vector<COLORREF> Lamps(const std::vector<pt::DrawEntry>& log) {
    std::vector<COLORREF> colours;
    for (const pt::DrawEntry& e : log) {
      if (e.op != pt::DrawOp::Ellipse) continue;
      const RECT& lamp = LoggingLayout.gpsMarkRect[colours.size() % 2];
      EXPECT_EQ(test::Show(e.rect), test::Show({lamp.left, lamp.top + 1, lamp.right, lamp.bottom}));
      EXPECT_EQ(e.penColor, e.brushColor);
      colours.push_back(e.brushColor);
    }
    return colours;
  }
};

TEST_F(GpsBoxTest, AGgaShowsItsFieldsWhateverItsChecksumAndABadPositionShowsNa) {
  const LoggingLayoutData& l = LoggingLayout;
  const std::wstring lat = L"N45\u00F830'30.0000\"";
  const std::wstring lon = L"W073\u00F815'15.0000\"";
  for (const std::string& gga : {kGga, kGga.substr(0, kGga.size() - 2) + "00"}) {
    SCOPED_TRACE(gga);
    const auto log = Send(gga);
    EXPECT_EQ(In(log, l.gpsSatRect, true), Texts{L" 8"});
    EXPECT_EQ(In(log, l.gpsFixRect, true), Texts{L"AGPS"});
    EXPECT_EQ(In(log, l.gpsLatRect, false), Texts{lat});
    EXPECT_EQ(In(log, l.gpsLonRect, false), Texts{lon});
  }
  const struct {
    const char* name;
    std::string sentence;
    const wchar_t *sat, *fix;
  } bad[] = {
      {"1 satellite", "$GPGGA,123519,4530.500,N,07315.250,W,1,01,0.9*00", L" 1", L"AGPS"},
      {"quality 0", "$GPGGA,123519,4530.500,N,07315.250,W,0,08,0.9*00", L" 8", L"NO FIX"},
      {"empty hemisphere", "$GPGGA,123519,4530.500,,07315.250,W,1,08,0.9*00", L" 8", L"AGPS"},
      {"latitude of 4 characters", "$GPGGA,123519,4530,N,07315.250,W,1,08,0.9*00", L" 8", L"AGPS"},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.name);
    const auto log = Send(c.sentence);
    EXPECT_EQ(In(log, l.gpsSatRect, true), Texts{c.sat});
    EXPECT_EQ(In(log, l.gpsFixRect, true), Texts{c.fix});
    EXPECT_EQ(In(log, l.gpsLatRect, false), Texts{kNa});
    EXPECT_EQ(In(log, l.gpsLonRect, false), Texts{kNa});
  }
  // Quality 6 leaves the fix field filled and empty.
  const auto log = Send("$GPGGA,123519,4530.500,N,07315.250,W,6,08,0.9*00");
  EXPECT_EQ(In(log, l.gpsFixRect, true), Texts{L""});
}

TEST_F(GpsBoxTest, TheLampsSwapWithEveryGgaAndTheCountRisesOnlyWhileLogging) {
  const LoggingLayoutData& l = LoggingLayout;
  auto log = Send(kGga);
  EXPECT_EQ(Lamps(log), (std::vector<COLORREF>{kWhite, kGreen}));  // the first GGA makes lamp 1 green
  EXPECT_EQ(In(log, l.gpsCountRect, false), Texts{});
  EXPECT_EQ(Lamps(Send(kGga)), (std::vector<COLORREF>{kGreen, kWhite}));
  EXPECT_EQ(SurveyRun.gpsFixCount, 0);

  EnterStandBy();
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  log = Send(kGga);
  EXPECT_EQ(Lamps(log), (std::vector<COLORREF>{kWhite, kGreen}));
  EXPECT_EQ(In(log, l.gpsCountRect, false), Texts{L"    1"});
  EXPECT_EQ(In(Send(kGga), l.gpsCountRect, false), Texts{L"    2"});

  // A GSA changes the PDOP only: no lamp, no count.
  log = Send("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39");
  EXPECT_EQ(In(log, l.gpsPdopRect, true), Texts{L"2.5 "});
  EXPECT_TRUE(Lamps(log).empty());
  EXPECT_EQ(In(log, l.gpsCountRect, false), Texts{});
  EXPECT_EQ(In(Send("$GPGSA,A,3,04,05,,09,12,,,24*00"), l.gpsPdopRect, true), Texts{L"N/A"});
  EXPECT_EQ(SurveyRun.gpsFixCount, 2);

  Key(VK_SPACE);  // PAUSE: the count stands
  EXPECT_EQ(In(Send(kGga), l.gpsCountRect, false), Texts{});
  EXPECT_EQ(SurveyRun.gpsFixCount, 2);
}

}  // namespace
}  // namespace desktop
