// The RZ27-MK2 reading handler in the running program on the virtual clock, the simulator's
// frames every 47 ms on COM1: the field calibration's outcomes, files and prompts, a reading shown
// and recorded, Manual mode with and without averaging (also cut short by PAUSE or Exit), and the
// monitoring build.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "common/rz27mk2_reading.h"
#include "desktop_test_support.h"
#include "engine/decoders.h"
#include "engine/state.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"
#include "ui/logging.h"

namespace desktop {
namespace {

using test::DesktopAppTest;
using test::Switches;
namespace pt = plat::test;

constexpr int kRecord = 26;
constexpr double kPeriod = 47;

// The simulator's segments, counts in frame order (conductivity 0.5 m, inphase 0.5 m,
// conductivity 1 m, inphase 1 m): vertical 20, 10, 30, 20 and horizontal 10, 5, 10, 5.
sim::Mk2Segment Segment(double ms, bool vertical, unsigned status = 0) {
  sim::Mk2Segment s;
  s.durationMs = ms;
  s.status = status != 0 ? status : vertical ? 6 : 2;
  const uint16_t v[4] = {0x8200, 0x8100, 0x8300, 0x8200};
  const uint16_t h[4] = {0x8100, 0x8080, 0x8100, 0x8080};
  for (int k = 0; k < 4; ++k) s.counts[k] = vertical ? v[k] : h[k];
  return s;
}
// n frames' worth of a segment, the frame times falling well inside it.
double Frames(int n) { return n * kPeriod; }

const wchar_t* const kPrompts[] = {L"Vertical Calibration",
                                   L"Rotate to Horizontal Mode within 60 seconds",
                                   L"Preparing for Horizontal Calibration",
                                   L"Horizontal Calibration",
                                   L"Calibration Completed - Wait for Beep",
                                   L"Vertical Mode Failed - Wait for Beep",
                                   L"Horizontal Mode Failed - Wait for Beep",
                                   L"Horizontal Mode Not Detected - Wait for Beep"};

class Mk2ReadingTest : public DesktopAppTest {
 protected:
  void StartRun(const BuildSwitches& build = Switches(kModelRz27Mk2)) {
    Start(build);
    OnUi([] { SurveySettings.gpsEnabled = 0; });
    Key('L');
    ASSERT_EQ(MainMenu.mode, 1);
    pt::EnableDrawLog(true);
  }
  // A run logging in Manual mode with this many samples per reading and dipole setting.
  void StartManualLogging(int32_t samples, int32_t dipole = 0) {
    Start(Switches(kModelRz27Mk2));
    OnUi([samples, dipole] {
      SurveySettings.gpsEnabled = 0;
      SurveySettings.surveyMode = kModeManual;
      SurveySettings.samplesPerReading = samples;
      SurveySettings.dipole = dipole;
    });
    Key('L');
    EnterStandBy();
    Key('G');
    ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
    pt::EnableDrawLog(true);
  }
  // The segments played from now on, frame 1 arriving firstMs from now.
  void Play(const std::vector<sim::Mk2Segment>& segments, double firstMs = kPeriod) {
    sim::Mk2ScriptStream stream(segments, kPeriod, firstMs);
    sim::FeedVirtualPort(*com1_, stream, GetTickCount());
  }
  // Calibrate with Yes; the segments start with it.
  void Calibrate(const std::vector<sim::Mk2Segment>& segments) {
    pt::ExpectMessageBox({L"Calibration", L"Place  RZ27-MK2  on  Monopod", IDYES});
    Key('A');
    ASSERT_EQ(Rz27Mk2Calibration.active, -1);
    Play(segments);
  }
  static void RunFor(uint32_t ms) { ASSERT_TRUE(pt::RunFor(ms)); }
  static std::vector<std::wstring> TextsIn(HWND window) {
    std::vector<std::wstring> out;
    for (const pt::DrawEntry& e : pt::DrawLog()) {
      if (e.op == pt::DrawOp::Text && e.window == window) out.push_back(e.text);
    }
    return out;
  }
  static bool Drawn(const std::wstring& text) { return pt::FindText(text).has_value(); }
  // The text drawn last in the cell of the numbers panel's value row, or "" for none since the
  // last clear of the draw log.
  static std::wstring CellText(int cell) {
    std::wstring text;
    const RECT& r = LoggingLayout.valueRect[cell];
    for (const pt::DrawEntry& e : pt::DrawLog()) {
      if (e.op == pt::DrawOp::Text && e.window == AppWindows.numbersWnd && e.x == r.left && e.y == r.top) text = e.text;
    }
    return text;
  }
  std::vector<std::string> Records() const {
    const std::string file = test::RootFileBytes("C/RUN1.N27");
    std::vector<std::string> out;
    for (size_t at = 0; at + kRecord <= file.size(); at += kRecord) out.push_back(file.substr(at, kRecord));
    return out;
  }
  // The reading records (tag 'T' or '2') of the file.
  std::vector<std::string> Readings() const {
    std::vector<std::string> out;
    for (const std::string& r : Records()) {
      if (r[0] == 'T' || r[0] == '2') out.push_back(r);
    }
    return out;
  }
  static size_t Beeps(UINT type) {
    size_t n = 0;
    for (const auto& b : pt::Beeps()) n += b.type == type ? 1 : 0;
    return n;
  }
  void Offsets(const float o[6]) {
    OnUi([o] {
      for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = o[i];
    });
  }
};

const float kOld[6] = {1, 2, 3, 4, 5, 6};
const float kNew[6] = {10.0f, 0.0f, 0.576380f, 0.0720475f, 0.144095f, 0.0360238f};

// Frame k arrives k x 47 ms after Yes; frames 1 to 42 fall in the 2000 ms vertical window. The
// first vertical frame of the window is frame `firstVertical`; the instrument turns horizontal at
// frame 44 unless it never does. Every prompt is bold and centred in the caption row.
TEST_F(Mk2ReadingTest, CalibrationOutcomesOnTheVirtualClock) {
  const struct {
    const char* name;
    int firstVertical;
    bool turns;
    uint32_t runMs;
    const wchar_t* prompt;  // the closing screen's
    bool succeeds;
  } cases[] = {
      {"30 vertical readings", 13, true, 9000, L"Calibration Completed - Wait for Beep", true},
      {"29 vertical readings", 14, true, 6000, L"Vertical Mode Failed - Wait for Beep", false},
      {"no horizontal in 60 s", 1, false, 66000, L"Horizontal Mode Not Detected - Wait for Beep", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    pt::Reset(plat::Profile::Desktop);
    pt::UseTempRoot();
    StartRun();
    EnterStandBy();
    Offsets(kOld);
    OnUi([] { Rz27Mk2Calibration.step = 0; });
    const size_t fileBefore = Records().size();
    std::vector<sim::Mk2Segment> script;
    if (c.firstVertical > 1) script.push_back(Segment(Frames(c.firstVertical - 1) + 20, false));
    const int verticalFrames = 43 - c.firstVertical + 1;
    script.push_back(Segment(c.turns ? Frames(verticalFrames) : 70000, true));
    if (c.turns) script.push_back(Segment(12000, false));
    Calibrate(script);
    RunFor(c.runMs);
    EXPECT_TRUE(Drawn(c.prompt));
    EXPECT_EQ(Rz27Mk2Calibration.active, 0) << "ended";
    EXPECT_EQ(Rz27Mk2Calibration.phase, 0);
    EXPECT_EQ(Beeps(MB_ICONEXCLAMATION), c.firstVertical <= 13 ? 3u : 0u);

    for (int i = 0; i < 6; ++i) {
      EXPECT_NEAR(SurveySettings.mk2Offset[i], c.succeeds ? kNew[i] : kOld[i], 1e-5) << "O" << i + 1;
    }
    EXPECT_EQ(Rz27Mk2Calibration.step, c.succeeds ? 1 : 0);
    pt::ClearDrawLog();
    OnUi([] {
      InvalidateRect(AppWindows.loggingWnd, nullptr, TRUE);
      UpdateWindow(AppWindows.loggingWnd);
    });
    EXPECT_TRUE(Drawn(c.succeeds ? L"Auto Cal:On" : L"Auto Cal:Off"));
    EXPECT_EQ(Records().size(), fileBefore + (c.succeeds ? 6 : 0));
    const std::string settings = test::RootFileBytes("C/RZ27MK2XP.INI");
    EXPECT_EQ(settings.find("\r\n10.000000\r\n0.000000\r\n") != std::string::npos, c.succeeds);

    for (const pt::DrawEntry& e : pt::DrawLog()) {
      if (e.op != pt::DrawOp::Text) continue;
      for (const wchar_t* p : kPrompts) {
        if (e.text != p) continue;
        SCOPED_TRACE(std::string(e.text.begin(), e.text.end()));
        EXPECT_EQ(e.window, AppWindows.numbersWnd);
        EXPECT_EQ(e.fontWeight, FW_BOLD);
        EXPECT_EQ(e.y, LoggingLayout.captionRowRect.top);
        EXPECT_EQ(e.x, (ScreenLayout.boxesWidth - (e.rect.right - e.rect.left)) / 2);
        EXPECT_LE(e.clip.bottom, LoggingLayout.captionRowRect.bottom);
      }
    }
    pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
    Key('X');
    End();
  }
}

// The failure screen lasts 3000 ms: the zeros stand until then, the old offsets come back after.
TEST_F(Mk2ReadingTest, AFailedCalibrationPutsTheOffsetsBack3000msLater) {
  StartRun();
  Offsets(kOld);
  Calibrate({Segment(Frames(14) + 20, false), Segment(20000, true)});
  RunFor(43 * 47 + 20);
  ASSERT_EQ(Rz27Mk2Calibration.stage, survey::kStageVerticalFailed);
  const uint32_t failedAt = Rz27Mk2Calibration.t0;
  RunFor(2900);
  EXPECT_EQ(SurveySettings.mk2Offset[0], 0.0f);
  EXPECT_EQ(Rz27Mk2Calibration.active, -1);
  RunFor(200);
  EXPECT_EQ(Rz27Mk2Calibration.active, 0);
  EXPECT_GE(GetTickCount() - failedAt, 3000u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(SurveySettings.mk2Offset[i], kOld[i]) << i;
}

// Exit on the completed screen keeps what the calibration found, in force and in the settings,
// though the end of a run aborts a calibration under way.
TEST_F(Mk2ReadingTest, AnExitOnTheCompletedScreenKeepsTheNewOffsets) {
  StartRun();
  EnterStandBy();
  Offsets(kOld);
  Calibrate({Segment(Frames(43), true), Segment(12000, false)});
  for (int i = 0; i < 200 && Rz27Mk2Calibration.stage != survey::kStageCompleted; ++i) RunFor(47);
  ASSERT_EQ(Rz27Mk2Calibration.stage, survey::kStageCompleted);
  ASSERT_EQ(Rz27Mk2Calibration.active, -1);
  pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  Key('X');
  EXPECT_EQ(MainMenu.mode, 0);
  EXPECT_EQ(Rz27Mk2Calibration.active, 0);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(SurveySettings.mk2Offset[i], kNew[i], 1e-5) << "O" << i + 1;
  EXPECT_NE(test::RootFileBytes("C/RZ27MK2XP.INI").find("\r\n10.000000\r\n0.000000\r\n"), std::string::npos);
}

// A completed calibration repaints the plot window before the profile is redrawn.
TEST_F(Mk2ReadingTest, ACompletedCalibrationRepaintsThePlotAndGivesTheFocusBack) {
  StartRun();
  Calibrate({Segment(Frames(43), true), Segment(12000, false)});
  for (int i = 0; i < 200 && Rz27Mk2Calibration.stage != survey::kStageCompleted; ++i) RunFor(47);
  ASSERT_EQ(Rz27Mk2Calibration.stage, survey::kStageCompleted);
  OnUi([] { SetFocus(AppWindows.curveWnd); });
  pt::ClearDrawLog();
  for (int i = 0; i < 100 && Rz27Mk2Calibration.active != 0; ++i) RunFor(47);
  ASSERT_EQ(Rz27Mk2Calibration.active, 0);
  bool plotPainted = false;
  for (const pt::DrawEntry& e : pt::DrawLog()) plotPainted |= e.window == AppWindows.curveWnd;
  EXPECT_TRUE(plotPainted);
  EXPECT_EQ(pt::FocusWindow(), AppWindows.loggingWnd);
  EXPECT_TRUE(Drawn(L"Cond 1 m")) << "the captions back in place of the prompts";
}

// The wire frame of the issue in Auto while Logging, on both instrument types: the values in the
// numbers panel, and the record of its first 14 bytes, a blank, the tick and LF.
TEST_F(Mk2ReadingTest, AReadingIsShownAndRecordedAsItsFrame) {
  const unsigned char wire[16] = {0x54, 0x06, 0x81, 0x00, 0x81, 0x00, 0x82, 0x00,
                                  0x82, 0x00, 0x00, 0xFA, 0x01, 0x00, 0xFF, 0xFF};
  for (int32_t type : {2, 1}) {
    SCOPED_TRACE(type);
    pt::Reset(plat::Profile::Desktop);
    pt::UseTempRoot();
    Start(Switches(kModelRz27Mk2));
    OnUi([type] {
      SurveySettings.gpsEnabled = 0;
      SurveySettings.mk2Type = type;
    });
    Key('L');
    EnterStandBy();
    Key('G');
    ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
    pt::EnableDrawLog(true);
    // Auto keeps one frame of each reading interval's worth.
    const DWORD now = GetTickCount();
    for (DWORD i = 1; i <= 40; ++i) com1_->Feed(std::string(reinterpret_cast<const char*>(wire), sizeof wire), now + 47 * i);
    RunFor(47 * 40 + 20);
    EXPECT_EQ(CellText(0), L"20.00   ");
    EXPECT_EQ(CellText(1), L"0.58    ");
    EXPECT_EQ(CellText(2), type == 2 ? L"10.00   " : L"");
    EXPECT_EQ(CellText(3), type == 2 ? L"0.07    " : L"");
    EXPECT_EQ(CellText(4), L"Vertical");
    const std::vector<std::string> readings = Readings();
    ASSERT_FALSE(readings.empty());
    EXPECT_EQ(readings[0].substr(0, 14), std::string(reinterpret_cast<const char*>(wire), 14));
    EXPECT_EQ(readings[0][14], ' ');
    char tick[16];
    std::snprintf(tick, sizeof tick, "%10u", LinkState.lastFrameTick.load());  // the last frame's
    EXPECT_EQ(readings.back().substr(15, 10), tick);
    EXPECT_EQ(readings[0][25], '\n');
    EXPECT_EQ(LinkState.frame[0], 0) << "the frame is taken";
    End();
  }
}

// Manual mode: one record per press of the marker. With dipole Both every reading is a station
// of its own, so no record is tagged '2'.
TEST_F(Mk2ReadingTest, ManualWithDipoleBothRecordsOnePerPressAndNeverTags2) {
  StartManualLogging(1, 2);
  std::vector<sim::Mk2Segment> presses;
  for (int i = 0; i < 4; ++i) {
    presses.push_back(Segment(Frames(3), i % 2 == 0, i % 2 == 0 ? 14 : 10));  // marker held 3 frames
    presses.push_back(Segment(Frames(3), true));
  }
  Play(presses, kPeriod / 2);
  RunFor(static_cast<uint32_t>(Frames(25)));
  const std::vector<std::string> readings = Readings();
  ASSERT_EQ(readings.size(), 4u);
  for (const std::string& r : readings) EXPECT_EQ(r[0], 'T');
  EXPECT_EQ(SurveyRun.station, 3.0 * SurveySettings.stationIncrement);
  EXPECT_TRUE(Drawn(L"Dipole Mode: Both"));
}

// An average of 4 samples in Manual: the press starts it, the counter shows in the third cell,
// and the one record holds the mean counts, which read back as the mean values per coil pair.
TEST_F(Mk2ReadingTest, AnAveragedRecordReadsBackAsTheMeans) {
  StartManualLogging(4);
  ASSERT_EQ(SurveyRun.averaging, 1);
  std::vector<sim::Mk2Segment> samples;
  // The press, then released: cond 1 m 0x8300 + 4k, cond 0.5 m 0x8200 - 2k, inph 1 m and 0.5 m
  // rising by 1 and 3.
  for (int k = 0; k < 4; ++k) {
    sim::Mk2Segment s = Segment(Frames(1), true, k == 0 ? 14 : 6);
    s.counts[0] = static_cast<uint16_t>(0x8200 - 2 * k);
    s.counts[1] = static_cast<uint16_t>(0x8100 + 3 * k);
    s.counts[2] = static_cast<uint16_t>(0x8300 + 4 * k);
    s.counts[3] = static_cast<uint16_t>(0x8200 + k);
    samples.push_back(s);
  }
  samples.push_back(Segment(Frames(3), true));
  Play(samples, kPeriod / 2);
  RunFor(static_cast<uint32_t>(Frames(2) + 20));
  EXPECT_TRUE(Drawn(L"Sample 2   of 4  "));
  EXPECT_EQ(SurveySettings.surveyMode, kModeAuto) << "the series runs";
  RunFor(static_cast<uint32_t>(Frames(6)));
  EXPECT_EQ(SurveySettings.surveyMode, kModeManual);
  const std::vector<std::string> readings = Readings();
  ASSERT_EQ(readings.size(), 1u);
  const auto count = [&](int at) {
    return (static_cast<unsigned char>(readings[0][at]) << 8) | static_cast<unsigned char>(readings[0][at + 1]);
  };
  EXPECT_EQ(count(2), 0x8200 - 3);      // mean of -0, -2, -4, -6
  EXPECT_EQ(count(4), 0x8100 + 4);      // 4.5 truncated
  EXPECT_EQ(count(6), 0x8300 + 6);
  EXPECT_EQ(count(8), 0x8200 + 1);      // 1.5 truncated
  EXPECT_EQ(readings[0][1], 14) << "the press's status";

  // Read back: each pair's values are the means of the samples' values (within the counts'
  // truncation).
  int32_t valid[8] = {};
  float values[8] = {};
  char dipole = 0, marker = 0;
  DecodeRz27Mk2Record(reinterpret_cast<const unsigned char*>(readings[0].data()), valid, values, dipole, marker, 0, 0,
                      0, 0, 0, 0);
  float mean[8] = {};
  for (int k = 0; k < 4; ++k) {
    unsigned char frame[14] = {'T', 6};
    const uint16_t counts[4] = {static_cast<uint16_t>(0x8200 - 2 * k), static_cast<uint16_t>(0x8100 + 3 * k),
                                static_cast<uint16_t>(0x8300 + 4 * k), static_cast<uint16_t>(0x8200 + k)};
    for (int j = 0; j < 4; ++j) {
      frame[2 + 2 * j] = static_cast<unsigned char>(counts[j] >> 8);
      frame[3 + 2 * j] = static_cast<unsigned char>(counts[j] & 0xFF);
    }
    int32_t v[8] = {};
    float x[8] = {};
    DecodeRz27Mk2Record(frame, v, x, dipole, marker, 0, 0, 0, 0, 0, 0);
    for (int ch = 0; ch < 8; ch += 2) mean[ch] += x[ch] / 4;
  }
  for (int ch = 0; ch < 8; ch += 2) {  // the vertical channels: 1 m at 0 and 2, 0.5 m at 4 and 6
    EXPECT_EQ(valid[ch], 1) << ch;
    EXPECT_NEAR(values[ch], mean[ch], 0.06) << ch;
  }
}

// PAUSE or Exit in the middle of a series: Manual again and the samples dropped, so after GO a
// press starts a new series and only the frames of that press count.
TEST_F(Mk2ReadingTest, APauseOrExitMidSeriesGivesManualBack) {
  StartManualLogging(3);
  Play({Segment(Frames(1), true, 14), Segment(Frames(1), true)}, kPeriod / 2);
  RunFor(static_cast<uint32_t>(Frames(2) + 20));
  ASSERT_EQ(SurveyRun.mk2SampleCount, 2);
  Key(VK_SPACE);  // PAUSE
  EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
  EXPECT_EQ(SurveySettings.surveyMode, kModeManual);
  EXPECT_EQ(SurveyRun.mk2SampleCount, 0);

  Key('G');
  Play({Segment(Frames(10), true), Segment(Frames(1), true, 14), Segment(Frames(10), true)}, kPeriod / 2);
  RunFor(static_cast<uint32_t>(Frames(22)));
  EXPECT_EQ(Readings().size(), 1u) << "one series of 3 from the press, none before it";
  EXPECT_EQ(SurveySettings.surveyMode, kModeManual);

  Play({Segment(Frames(1), true, 14), Segment(Frames(1), true)}, kPeriod / 2);
  RunFor(static_cast<uint32_t>(Frames(2) + 20));
  ASSERT_EQ(SurveyRun.mk2SampleCount, 2);
  Key(VK_SPACE);
  pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  Key('X');
  EXPECT_EQ(MainMenu.mode, 0);
  EXPECT_EQ(SurveySettings.surveyMode, kModeManual);
  EXPECT_EQ(SurveyRun.mk2SampleCount, 0);
}

// The monitoring build shows every reading and records nothing, whatever the run state, even
// with a data file open.
TEST_F(Mk2ReadingTest, TheMonitoringBuildShowsReadingsAndWritesNothing) {
  StartRun(Switches(kModelRz27Mk2, 0, 0, 1));
  for (int32_t state : {kRunMonitor, kRunStandBy, kRunLogging}) {
    SCOPED_TRACE(state);
    OnUi([state] {
      if (!SurveyRun.dataFile.IsOpen()) {
        ASSERT_TRUE(SurveyRun.dataFile.Create("\\MON.N27"));
      }
      SurveyRun.state = state;
    });
    pt::ClearDrawLog();
    Play({Segment(Frames(10), true, 14)});
    RunFor(static_cast<uint32_t>(Frames(10)));
    EXPECT_EQ(CellText(0), L"30.00   ");
    EXPECT_EQ(CellText(4), L"Vertical");
    EXPECT_TRUE(TextsIn(AppWindows.loggingWnd).empty()) << "no station, mode or marker text";
    EXPECT_EQ(LinkState.frame[0], 0);
  }
  OnUi([] {
    SurveyRun.dataFile.Flush();
    SurveyRun.state = kRunMonitor;
  });
  EXPECT_EQ(test::RootFileBytes("MON.N27"), "");
}

}  // namespace
}  // namespace desktop
