// The ice-thickness option in the running program (RZ12 with the option built in, the conversion
// on, sea water 2000 mS/m, the "Ice Thickness" profile) with frames on a virtual port: the shown
// thickness in both orientations, the texts off the curve and in vertical dipole, the thickness
// plotted as channel 4, and the profile redrawn after a dialog the same as the live one.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "engine/state.h"
#include "logging/logging.h"
#include "logging/screen.h"
#include "plot_test_support.h"

namespace handheld {
namespace {

using test::AppTest;

constexpr COLORREF kIceColour = RGB(255, 140, 0);
constexpr DWORD kFramePeriodMs = 91;
constexpr unsigned char kHorizontal = 0x80;  // status: high bit only, horizontal dipole, range 0
constexpr unsigned char kVertical = 0xA0;    // the same in vertical dipole

// A meter frame: 'T', status, two 5-character fields, CR. Range 0 reads field 1 x -0.25 mS/m.
std::string Frame(unsigned char status, const char* field1, const char* field2 = "00500") {
  return std::string("T") + static_cast<char>(status) + field1 + field2 + "\r";
}

// Field 1 for a conductivity (mS/m) at range 0.
std::string Field1(double conductivity) {
  char text[16];
  std::snprintf(text, sizeof text, "%+05d", -static_cast<int>(conductivity * 4.0));
  return text;
}

// The texts of the ice field for 500 mS/m (0.925 m), 1050 mS/m (above the curve) and a vertical
// reading.
struct IceTexts {
  const wchar_t* conductivity;
  const wchar_t* thickness;
  const wchar_t* offRange;
  const wchar_t* vertical;
};

class IceRun : public AppTest {
 protected:
  void StartZolwm(bool portrait) {
    instrument_ = plat::test::AttachVirtualPort(1);
    test::UseApp(kModelRz12, 1);
    SurveySettings.zolEnabled = 1;
    SurveySettings.seaWaterIndex = 0;
    SurveySettings.showIceProfile = 1;
    SurveySettings.traceColour[4] = kIceColour;
    program_ = test::StartApp(portrait ? plat::test::Screen{240, 320} : plat::test::Screen{320, 240});
    plat::test::KeyPress('L');  // Monitor/Log
    test::Run(100);
    ASSERT_EQ(SurveyRun.runActive, 1);
  }

  // Frames one period apart from now on, the clock run past the last: the reader takes each and
  // the watchdog sees no gap.
  void Play(const std::vector<std::string>& frames) {
    const DWORD now = GetTickCount();
    for (size_t i = 0; i < frames.size(); ++i) instrument_->Feed(frames[i], now + kFramePeriodMs * (i + 1));
    test::Run(kFramePeriodMs * static_cast<uint32_t>(frames.size() + 1));
  }
  void Play(const std::string& frame, int times) { Play(std::vector<std::string>(static_cast<size_t>(times), frame)); }

  static void Key(int vk) {
    plat::test::KeyPress(vk);
    ASSERT_TRUE(plat::test::WaitIdle());
  }

  static bool Drawn(const std::wstring& text) {
    for (const auto& e : plat::test::DrawLog()) {
      if (e.op == plat::test::DrawOp::Text && e.window == AppWindows.loggingWnd && e.text == text) return true;
    }
    return false;
  }

  // The plot's own surface.
  struct Screenshot {
    int width = 0;
    std::vector<COLORREF> pixels;  // row by row
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    test::PixelSet Ice() const {
      test::PixelSet out;
      for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] == kIceColour) out.insert({static_cast<int>(i) % width, static_cast<int>(i) / width});
      }
      return out;
    }
  };
  static Screenshot Shoot(const char* png) {
    EXPECT_TRUE(plat::SaveWindowPng(AppWindows.curveWnd, plat::test::OutputPath(png).c_str()));
    RECT rc{};
    GetClientRect(AppWindows.curveWnd, &rc);
    Screenshot s;
    s.width = rc.right;
    for (int y = 0; y < rc.bottom; ++y) {
      for (int x = 0; x < rc.right; ++x) s.pixels.push_back(plat::test::WindowPixel(AppWindows.curveWnd, x, y));
    }
    return s;
  }

  void ExpectTexts(const IceTexts& t) {
    plat::test::EnableDrawLog(true);
    Play(Frame(kHorizontal, "-2000"), 3);
    EXPECT_TRUE(Drawn(t.conductivity));
    EXPECT_TRUE(Drawn(t.thickness));
    plat::test::ClearDrawLog();
    Play(Frame(kHorizontal, "-4200"), 3);  // 1050 mS/m: above the curve
    EXPECT_TRUE(Drawn(t.offRange));
    EXPECT_FALSE(Drawn(t.thickness));
    plat::test::ClearDrawLog();
    Play(Frame(kVertical, "-2000"), 3);
    EXPECT_TRUE(Drawn(t.vertical));
    EXPECT_FALSE(Drawn(t.thickness));
  }

  std::shared_ptr<plat::test::VirtualPort> instrument_;
};

TEST_F(IceRun, ThicknessTextsInLandscape) {
  StartZolwm(false);
  ExpectTexts({L"C:500.00  ", L"T[m]:0.93    ", L"T:Off Range", L"T:N/A in V"});
}

TEST_F(IceRun, ThicknessTextsInPortrait) {
  StartZolwm(true);
  ExpectTexts({L"C:500.00  mS/m", L"Th: 0.93    m", L"T: Out of Range", L"Th: N/A in mode V"});
}

// Logging: the thickness is channel 4, drawn against the ice scale (0 to 5 m) in its colour, and
// nothing else is plotted. After a dialog the plot is repainted and redrawn from the data file:
// the live picture again.
TEST_F(IceRun, TheIceProfileIsPlottedAndRedrawnAsItWasLive) {
  StartZolwm(false);
  plat::test::ExpectSaveFile(L"ICE");
  Key('C');
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  ASSERT_EQ(SurveySettings.gridScale, 2);

  Play(Frame(kHorizontal, "-2000"), 8);  // 500 mS/m: 0.925 m
  const int row = static_cast<int>((5.0f - 0.925295f) * PlotState.pxPerUnitIce);
  std::vector<int> rows;
  for (int x = 262; x <= 270; ++x) {
    for (int y : test::RowsOfColour(AppWindows.curveWnd, x, kIceColour)) rows.push_back(y);
  }
  ASSERT_FALSE(rows.empty());
  for (int y : rows) EXPECT_EQ(y, row);

  // Thicknesses from 0.15 to 3.9 m and back, and a reading above the curve (drawn off the plot).
  std::vector<std::string> frames;
  for (int i = 0; i < 150; ++i) {
    const int phase = i % 60;
    const double conductivity = 900.0 * std::pow(60.0 / 900.0, (phase < 30 ? phase : 60 - phase) / 30.0);
    frames.push_back(Frame(kHorizontal, Field1(conductivity).c_str()));
  }
  frames[40] = frames[41] = Frame(kHorizontal, "-4200");  // every second frame is a reading
  Play(frames);

  plat::test::Click(LoggingButtons.pause[PauseButtonIndex(SurveySettings.pauseKey, SurveySettings.surveyMode)]);
  ASSERT_TRUE(plat::test::WaitIdle());
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  const Screenshot live = Shoot("ice_profile_live.png");
  const int newestRow = PlotState.prevRow[4];
  EXPECT_GT(live.Ice().size(), 300u);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(std::count(live.pixels.begin(), live.pixels.end(), SurveySettings.traceColour[c]), 0) << c;
  }

  plat::test::ExpectDialog(L"New Station", [](plat::test::ModalContext& ctx) { ctx.Cancel(); });
  Key('N');
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  const Screenshot redrawn = Shoot("ice_profile_redrawn.png");

  // The same curve, up to the line rule (a line drawn the other way may take the other pixel of
  // a tie; the live segments end one pixel short of the newest column), from the same newest
  // point. Grid, labels and background are the same, but for the column right of the newest:
  // the live column's grid marks end one pixel short of it.
  EXPECT_TRUE(test::Close(live.Ice(), redrawn.Ice()));
  EXPECT_EQ(redrawn.At(270, newestRow), kIceColour);
  const int height = static_cast<int>(live.pixels.size()) / live.width;
  int others = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < live.width; ++x) {
      const COLORREF a = live.At(x, y);
      const COLORREF b = redrawn.At(x, y);
      if (a == b || a == kIceColour || b == kIceColour) continue;
      if (x == 271 && a == RGB(255, 255, 255) && b == RGB(192, 192, 192)) continue;
      ADD_FAILURE() << "(" << x << "," << y << ") live " << std::hex << a << ", redrawn " << b;
      if (++others == 5) return;
    }
  }
}

}  // namespace
}  // namespace handheld
