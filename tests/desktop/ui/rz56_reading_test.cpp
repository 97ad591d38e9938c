// The RZ56-MK2 reading handler and its QC panel in the running program, against the simulated
// instrument on a virtual port and the manual virtual clock: normalisation, nulling, recorded
// readings by survey mode, the status fields, the strip chart's live points and the QC check.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "desktop_test_support.h"
#include "engine/plot_scale.h"
#include "engine/state.h"
#include "ui/logging.h"

namespace desktop {
namespace {

using test::DesktopAppTest;
using test::Show;
using test::Switches;
namespace pt = plat::test;

constexpr int kRecord = 24;

class Rz56ReadingTest : public DesktopAppTest {
 protected:
  // Tag 'T' only, counts 100, gain byte 0, current 3000 and battery 70: each channel reads 966.66 mV
  // before any null on a Standard instrument.
  void SetUp() override {
    DesktopAppTest::SetUp();
    rz56Options_.tags = "T";
    for (int16_t& c : rz56Options_.counts) c = 100;
    rz56Options_.gain = 0;
    rz56Options_.current = 3000;
    rz56Options_.battery = 70;
  }
  void StartRun() {
    Start(Switches(kModelRz56Mk2));
    Key('L');
    ASSERT_TRUE(pt::IsVisible(AppWindows.loggingWnd));
  }
  void StartNormalised() {
    StartRun();
    Normalise();
  }
  // Steps the clock 10 ms at a time until pred holds; false when limitMs pass first.
  template <typename P>
  static bool Until(P pred, uint32_t limitMs = 20000) {
    for (uint32_t t = 0; t < limitMs && !pred(); t += 10) {
      if (!pt::RunFor(10)) return false;
    }
    return pred();
  }
  // Until n more frames have been answered, and handled.
  void Frames(long n) {
    const long target = rz56_->FramesSent() + n;
    ASSERT_TRUE(Until([&] { return rz56_->FramesSent() >= target; }));
    ASSERT_TRUE(pt::RunFor(40));
  }
  // A nulling by its key, answered Yes in Stand By, run to its end.
  void Null(bool standBy = true) {
    if (standBy) pt::ExpectMessageBox({L"NULLING", L"DO YOU WANT TO PERFORM NULLING", IDYES});
    Key('U');
    ASSERT_EQ(SurveyRun.acquisitionState, -1);
    ASSERT_TRUE(Until([] { return SurveyRun.acquisitionState == 1; }));
  }
  // A QC run by its key, to the panel's instructions.
  void QcNulling(int key = 'I') {
    Key(key);
    ASSERT_EQ(SurveyRun.acquisitionState, -2);
    ASSERT_TRUE(Until([] { return SurveyRun.acquisitionState == -3; }));
    ASSERT_TRUE(pt::IsVisible(AppWindows.calibrateWnd));
  }
  static std::vector<std::string> Records(char tag) {
    const std::string file = test::RootFileBytes("C/RUN1.R56");
    std::vector<std::string> out;
    for (size_t at = 0; at + kRecord <= file.size(); at += kRecord) {
      if (file[at] == tag) out.push_back(file.substr(at, kRecord));
    }
    return out;
  }
  static std::string Tail(size_t records) {
    const std::string file = test::RootFileBytes("C/RUN1.R56");
    return file.size() < records * kRecord ? file : file.substr(file.size() - records * kRecord);
  }
  static std::vector<pt::DrawEntry> Texts(HWND window) {
    std::vector<pt::DrawEntry> out;
    for (const pt::DrawEntry& e : pt::DrawLog()) {
      if (e.op == pt::DrawOp::Text && e.window == window) out.push_back(e);
    }
    return out;
  }
  static int Drawn(const std::wstring& text) {
    int n = 0;
    for (const pt::DrawEntry& e : pt::DrawLog()) n += e.op == pt::DrawOp::Text && e.text == text;
    return n;
  }
  static size_t Boxes(const std::wstring& caption) {
    size_t n = 0;
    for (const pt::ModalRecord& m : pt::ModalLog()) n += m.kind == pt::ModalKind::MessageBox && m.caption == caption;
    return n;
  }
  static bool AllEnabled(const HWND* set, int n) {
    for (int i = 0; i < n; ++i) {
      if (!pt::IsEnabled(set[i])) return false;
    }
    return true;
  }
};

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST_F(Rz56ReadingTest, NormalisationCountsItsFramesThenGivesTheButtonsBack) {
  StartRun();
  pt::EnableDrawLog(true);
  ASSERT_TRUE(Until([] { return Rz56Calibration.currentIndex == 48; }));
  EXPECT_EQ(Drawn(L"Normalization:  50 %"), 0);
  ASSERT_TRUE(Until([] { return Rz56Calibration.currentIndex == 49; }));
  EXPECT_EQ(Drawn(L"Normalization:  50 %"), 1);
  ASSERT_TRUE(Until([] { return Rz56Calibration.currentIndex == 97; }));
  EXPECT_FALSE(pt::IsEnabled(LoggingButtons.monitor[0]));
  ASSERT_TRUE(Until([] { return SurveyRun.acquisitionState == 1; }));
  EXPECT_EQ(Drawn(L"Normalization: 100 %"), 1);
  EXPECT_TRUE(AllEnabled(LoggingButtons.monitor, 6));
  EXPECT_EQ(Rz56Calibration.currentMean, 3000.0f);
}

// Mend: the second nulling records the offsets of the first as the ones it replaced.
TEST_F(Rz56ReadingTest, NullingInStandByWritesTheNewAndTheReplacedOffsets) {
  StartNormalised();
  EnterStandBy();
  Null();
  EXPECT_EQ(Tail(4), Repeat("O   966.66      0.00   \n", 4));
  // The readings now show the nulled values.
  pt::EnableDrawLog(true);
  pt::ClearDrawLog();
  Frames(1);
  const auto values = Texts(AppWindows.numbersWnd);
  ASSERT_GE(values.size(), 4u);
  for (size_t i = values.size() - 4; i < values.size(); ++i) {
    EXPECT_LE(std::fabs(std::stof(values[i].text)), 0.01f) << std::string(values[i].text.begin(), values[i].text.end());
  }
  Null();
  EXPECT_EQ(Tail(4), Repeat("O   966.66    966.66   \n", 4));
  EXPECT_EQ(Records('O').size(), 4u + 4u + 8u);  // the file and line headers', then the two nullings'
}

TEST_F(Rz56ReadingTest, NullingInMonitoringSavesItsOffsetsAndWritesNothing) {
  StartNormalised();
  Null(false);
  for (float offset : Rz56Calibration.nullOffset) EXPECT_NEAR(offset, 966.66f, 0.01f);
  EXPECT_EQ(Boxes(L"WARNING"), 0u);
  EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
}

TEST_F(Rz56ReadingTest, AutoRecordsEveryReadingAtItsIntervalAndScrollsTheChartEachTime) {
  StartNormalised();
  EnterStandBy();
  OnUi([] { SurveySettings.traceVisible[2] = 0; });
  const size_t before = rz56_->Received().size();
  pt::EnableDrawLog(true);
  pt::ClearDrawLog();
  Key('G');
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  Frames(6);
  Key(' ');  // PAUSE
  pt::EnableDrawLog(false);
  // A request every 200 ms.
  std::vector<double> requests;
  const auto received = rz56_->Received();
  for (size_t i = before; i < received.size(); ++i) {
    if (received[i].byte == 'A') requests.push_back(received[i].atMs);
  }
  ASSERT_GE(requests.size(), 6u);
  for (size_t i = 1; i + 1 < requests.size(); ++i) EXPECT_NEAR(requests[i] - requests[i - 1], 200, 1) << i;
  // Each reading: 'T', the gain, the four counts, the mean 3000 with 0 hundredths, the tick, LF.
  const auto readings = Records('T');
  ASSERT_GE(readings.size(), 6u);
  const std::string bytes("T\x00\x00\x64\x00\x64\x00\x64\x00\x64\x0B\xB8\x00", 13);
  for (const std::string& r : readings) {
    EXPECT_EQ(r.substr(0, 13), bytes);
    EXPECT_EQ(r[23], '\n');
    EXPECT_NE(r.substr(13, 10).find_first_not_of(' '), std::string::npos);
  }
  EXPECT_EQ(SurveyRun.stationsInLine, static_cast<int32_t>(readings.size()));
  EXPECT_DOUBLE_EQ(SurveyRun.station, (readings.size() - 1) * 1.0);  // from the second on
  // The chart scrolled once per recorded reading, the first included; the hidden channel 2 drew
  // nothing, the others did.
  size_t scrolls = 0;
  std::vector<COLORREF> pens;
  for (const pt::DrawEntry& e : pt::DrawLog()) {
    if (e.window != AppWindows.curveWnd) continue;
    if (e.op == pt::DrawOp::BitBlt) ++scrolls;
    if (e.op == pt::DrawOp::Line) pens.push_back(e.penColor);
  }
  EXPECT_EQ(scrolls, readings.size());
  auto drew = [&](int channel) {
    const auto colour = static_cast<COLORREF>(SurveySettings.traceColour[channel]);
    return std::find(pens.begin(), pens.end(), colour) != pens.end();
  };
  EXPECT_TRUE(drew(0));
  EXPECT_TRUE(drew(1));
  EXPECT_FALSE(drew(2));
  EXPECT_TRUE(drew(3));
}

TEST_F(Rz56ReadingTest, ManualRecordsTheFirstMarkedFrameOfEachPress) {
  rz56Options_.tags = "TMMMTM";
  StartNormalised();
  EnterStandBy();
  OnUi([] { SurveySettings.surveyMode = kModeManual; });
  // GO between two series: the next frame is the first 'T'.
  ASSERT_TRUE(Until([&] { return rz56_->FramesSent() % 6 == 0; }));
  ASSERT_TRUE(pt::RunFor(40));
  Key('G');
  Frames(6);
  Key(' ');
  const auto records = Records('M');
  ASSERT_EQ(records.size(), 2u);
  EXPECT_TRUE(Records('T').empty());
  EXPECT_EQ(SurveyRun.stationsInLine, 2);
}

TEST_F(Rz56ReadingTest, StatusFieldsShowTheBatteryTheModeAndTheMarker) {
  rz56Options_.tags = "TDM";
  StartNormalised();
  pt::EnableDrawLog(true);
  pt::ClearDrawLog();
  Frames(3);
  pt::EnableDrawLog(false);
  const auto log = pt::DrawLog();
  // The battery on red: its field filled red just before its text.
  bool red = false;
  for (size_t i = 1; i < log.size(); ++i) {
    if (log[i].op == pt::DrawOp::Text && log[i].text == L" Battery: 10.5 V") {
      red = red || (log[i - 1].op == pt::DrawOp::FillRect && log[i - 1].brushColor == RGB(255, 0, 0));
    }
  }
  EXPECT_TRUE(red);
  EXPECT_GE(Drawn(L"Mode: 4"), 1);
  EXPECT_GE(Drawn(L"Ch4 [mV]"), 1);
  EXPECT_GE(Drawn(L"Mode: D"), 1);
  EXPECT_GE(Drawn(L"ChT [mV]"), 1);
  EXPECT_GE(Drawn(L"MARKER"), 1);
  // Each caption is drawn on its cell filled white first, so the two never overlay.
  for (size_t i = 1; i < log.size(); ++i) {
    if (log[i].op == pt::DrawOp::Text && (log[i].text == L"ChT [mV]" || log[i].text == L"Ch4 [mV]")) {
      EXPECT_EQ(log[i - 1].op, pt::DrawOp::FillRect);
      EXPECT_EQ(log[i - 1].brushColor, RGB(255, 255, 255));
      EXPECT_EQ(Show(log[i - 1].rect), Show(LoggingLayout.captionRect[3]));
    }
  }
}

TEST_F(Rz56ReadingTest, WheelLoggingRecordsEveryTriggeredFrameAndAsksForNone) {
  rz56Options_.wheelPeriodMs = 0;
  StartNormalised();
  EnterStandBy();
  OnUi([] { SurveySettings.surveyMode = kModeWheel; });
  Key('G');
  ASSERT_EQ(rz56_->Mode(), sim::Rz56Mode::kWheel);
  const size_t before = rz56_->Received().size();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(rz56_->Trigger());
    ASSERT_TRUE(pt::RunFor(100));
  }
  EXPECT_EQ(Records('T').size(), 3u);
  const auto received = rz56_->Received();
  for (size_t i = before; i < received.size(); ++i) EXPECT_NE(received[i].byte, 'A') << i;
}

// PAUSE redraws the strip chart from the file, across two nullings: the readings after each one
// with its offsets, the ones before it with the offsets it replaced (the second nulling replaced
// the first's, so only the readings before the first are drawn unnulled), each visible channel as
// one polyline, the hidden one not at all.
TEST_F(Rz56ReadingTest, TheRedrawAcrossTheNullingsUsesTheOffsetsTheyReplaced) {
  StartNormalised();
  EnterStandBy();
  OnUi([] { SurveySettings.traceVisible[2] = 0; });
  for (int nulling = 0; nulling < 2; ++nulling) {
    Key('G');
    Frames(3);
    Key(' ');
    Null();
  }
  Key('G');
  Frames(2);
  pt::EnableDrawLog(true);
  pt::ClearDrawLog();
  Key(' ');
  pt::EnableDrawLog(false);
  // The readings between the null groups, oldest stretch first (the headers' null records come
  // before any reading).
  const std::string file = test::RootFileBytes("C/RUN1.R56");
  std::vector<size_t> stretches{0};
  for (size_t at = 0; at + kRecord <= file.size(); at += kRecord) {
    if (file[at] == 'O' && stretches.back() != 0) stretches.push_back(0);
    stretches.back() += file[at] == 'T';
  }
  ASSERT_EQ(stretches.size(), 3u);
  for (size_t n : stretches) ASSERT_GE(n, 2u);
  const size_t nulledPoints = stretches[1] + stretches[2];
  std::vector<const pt::DrawEntry*> lines;
  const auto log = pt::DrawLog();
  for (const pt::DrawEntry& e : log) {
    if (e.window == AppWindows.curveWnd && e.op == pt::DrawOp::Polyline) lines.push_back(&e);
  }
  ASSERT_EQ(lines.size(), 3u);  // channels 0, 1 and 3
  const int32_t nulled = ValueToRow(SurveySettings.scale1Max, 0.0f, PlotState.pxPerUnit0);
  const int32_t raw = ValueToRow(SurveySettings.scale1Max, 966.66f, PlotState.pxPerUnit0);
  ASSERT_NE(nulled, raw);
  for (const pt::DrawEntry* line : lines) {
    EXPECT_NE(line->penColor, static_cast<COLORREF>(SurveySettings.traceColour[2]));
    ASSERT_EQ(line->points.size(), nulledPoints + stretches[0]);
    for (size_t i = 0; i < line->points.size(); ++i) {
      EXPECT_EQ(line->points[i].x, 750 - 2 * static_cast<LONG>(i)) << i;
      EXPECT_NEAR(line->points[i].y, i < nulledPoints ? nulled : raw, 1) << i;
    }
  }
}

// ---- The QC panel ---------------------------------------------------------------------------

TEST_F(Rz56ReadingTest, QcPanelStandsOverThePlotWithItsTwoButtonsAndTheFocus) {
  StartNormalised();
  pt::EnableDrawLog(true);
  QcNulling('E');
  HWND panel = AppWindows.calibrateWnd;
  EXPECT_EQ(Show(pt::RectInParent(panel)), L"250,95,510,273");
  EXPECT_EQ(Show(pt::RectInParent(LoggingButtons.calibrate[0])), L"58,142,128,166");
  EXPECT_EQ(Show(pt::RectInParent(LoggingButtons.calibrate[1])), L"132,142,202,166");
  EXPECT_EQ(pt::Text(LoggingButtons.calibrate[0]), L"&OK");
  EXPECT_EQ(pt::Text(LoggingButtons.calibrate[1]), L"&Cancel");
  EXPECT_EQ(pt::FocusWindow(), panel);
  EXPECT_EQ(pt::Children(AppWindows.loggingWnd).front(), panel);  // over the plot, not under it
  EXPECT_GE(Drawn(L"External QC Coil Calibration"), 1);
  // The logging window's own focus calls hand the focus on to the panel.
  OnUi([] { SetFocus(AppWindows.loggingWnd); });
  EXPECT_EQ(pt::FocusWindow(), panel);
  // Keys of the logging window do nothing here; Tab moves the default frame.
  Key('X');
  EXPECT_TRUE(pt::IsVisible(AppWindows.loggingWnd));
  EXPECT_TRUE(pt::Style(LoggingButtons.calibrate[0]) & BS_DEFPUSHBUTTON);
  Key(VK_TAB);
  EXPECT_TRUE(pt::Style(LoggingButtons.calibrate[1]) & BS_DEFPUSHBUTTON);
  EXPECT_FALSE(pt::Style(LoggingButtons.calibrate[0]) & BS_DEFPUSHBUTTON);
  Key(VK_TAB);
  Key(VK_RETURN);  // OK: the wait
  EXPECT_EQ(Rz56Calibration.qcStep, 1);
  EXPECT_FALSE(pt::IsEnabled(LoggingButtons.calibrate[0]));
  Key('O');  // nothing while waiting
  EXPECT_EQ(Rz56Calibration.qcStep, 1);
  Key(VK_RETURN);  // Cancel, the focused button now
  EXPECT_FALSE(pt::IsVisible(panel));
  EXPECT_EQ(SurveyRun.acquisitionState, 1);
}

TEST_F(Rz56ReadingTest, QcPanelCancelsByItsKeyAndPutsTheOffsetsBack) {
  StartNormalised();
  Null(false);
  float before[4];
  std::memcpy(before, Rz56Calibration.nullOffset, sizeof before);
  QcNulling();
  Key(VK_RETURN);
  Key('C');  // the key of 'c'
  EXPECT_FALSE(pt::IsVisible(AppWindows.calibrateWnd));
  for (int k = 0; k < 4; ++k) EXPECT_EQ(Rz56Calibration.nullOffset[k], before[k]) << k;
  EXPECT_EQ(SurveyRun.acquisitionState, 1);
  EXPECT_TRUE(pt::IsEnabled(AppWindows.curveWnd));
  EXPECT_TRUE(AllEnabled(LoggingButtons.monitor, 6));
  EXPECT_EQ(pt::FocusWindow(), AppWindows.loggingWnd);
}

// Mend: after a Stand By nulling the QC nulling converts with zero offsets, so the coil's rise of
// 10 counts reads 96.67 mV, not 1063.33.
TEST_F(Rz56ReadingTest, QcPassWithTheCoilPressedShowsAndRecordsTheCoilValuesOnce) {
  StartNormalised();
  EnterStandBy();
  Null();
  float before[4];
  std::memcpy(before, Rz56Calibration.nullOffset, sizeof before);
  const float previous = Rz56Calibration.previousNullOffset[0];
  QcNulling();
  pt::EnableDrawLog(true);
  rz56_->PressCoil();
  Key(VK_RETURN);
  ASSERT_TRUE(Until([] { return Rz56Calibration.qcStep == 2; }, 5000));
  ASSERT_TRUE(Until([] { return Drawn(L"CALIBRATION OK") == 1; }, 1100));
  EXPECT_EQ(Drawn(L"Channel 1:     96.7"), 1);
  EXPECT_EQ(Drawn(L"Channel 4:     96.7"), 1);
  EXPECT_EQ(Records('I'), std::vector<std::string>(4, "II    96.67            \n"));
  // Covered and uncovered: shown again, written once.
  OnUi([] {
    InvalidateRect(AppWindows.calibrateWnd, nullptr, TRUE);
    UpdateWindow(AppWindows.calibrateWnd);
  });
  EXPECT_EQ(Drawn(L"CALIBRATION OK"), 2);
  EXPECT_EQ(Records('I').size(), 4u);
  pt::ClearDrawLog();
  Key(VK_RETURN);  // OK closes
  EXPECT_FALSE(pt::IsVisible(AppWindows.calibrateWnd));
  for (int k = 0; k < 4; ++k) EXPECT_EQ(Rz56Calibration.nullOffset[k], before[k]) << k;
  EXPECT_EQ(Rz56Calibration.previousNullOffset[0], previous);
  EXPECT_EQ(SurveyRun.acquisitionState, 1);
  EXPECT_TRUE(AllEnabled(LoggingButtons.standBy, 10));
  EXPECT_TRUE(pt::IsEnabled(AppWindows.curveWnd));
  bool gridRepainted = false;
  for (const pt::DrawEntry& e : pt::DrawLog()) gridRepainted = gridRepainted || (e.window == AppWindows.curveWnd);
  EXPECT_TRUE(gridRepainted);
  // The buttons work: another nulling runs.
  Null();
  EXPECT_EQ(Records('O').size(), 4u + 4u + 8u);
}

TEST_F(Rz56ReadingTest, QcVerdictShowsAtTheNextTickWithTheCounterStopped) {
  StartNormalised();
  QcNulling();
  pt::EnableDrawLog(true);
  rz56_->SetOff(true);
  Key(VK_RETURN);
  const DWORD armed = GetTickCount();
  ASSERT_TRUE(Until([] { return Rz56Calibration.qcSecondsOrOk == 3; }, 3100));
  rz56_->SetOff(false);
  ASSERT_TRUE(Until([] { return Rz56Calibration.qcStep == 2; }, 900));
  const DWORD verdict = GetTickCount() - armed;
  EXPECT_LT(verdict, 4000u);
  EXPECT_EQ(Drawn(L"CALIBRATION OK"), 0);
  ASSERT_TRUE(Until([] { return Drawn(L"CALIBRATION OK") == 1; }, 1100));
  EXPECT_EQ(Drawn(L" 4 of 60"), 0);
  EXPECT_TRUE(pt::Timers(AppWindows.calibrateWnd).empty());
}

TEST_F(Rz56ReadingTest, QcFailsAtTheSixthReadingOutsideWithItsValues) {
  rz56Options_.coilRise = 1000;  // 9666 mV over the null: outside the limits
  StartNormalised();
  EnterStandBy();
  QcNulling();
  Key(VK_RETURN);
  ASSERT_TRUE(Until([] { return Rz56Calibration.qcArmed == 1; }, 2000));
  rz56_->PressCoil();
  ASSERT_TRUE(Until([] { return Rz56Calibration.qcStep == 2; }, 5000));
  EXPECT_EQ(Rz56Calibration.qcReadingCount, 6);
  EXPECT_EQ(Rz56Calibration.qcSecondsOrOk, 0);
  pt::EnableDrawLog(true);
  ASSERT_TRUE(Until([] { return Drawn(L"CALIBRATION FAILED") == 1; }, 1100));
  EXPECT_EQ(Drawn(L"Channel 1:   9666.6"), 1);
  EXPECT_EQ(Records('I'), std::vector<std::string>(4, "II  9666.60            \n"));
}

TEST_F(Rz56ReadingTest, QcTimesOutAfterSixtySilentSecondsWithoutRecords) {
  StartNormalised();
  EnterStandBy();
  QcNulling();
  rz56_->SetOff(true);
  pt::EnableDrawLog(true);
  Key(VK_RETURN);
  for (int i = 0; i < 600 && Rz56Calibration.qcResult == 0; ++i) ASSERT_TRUE(pt::RunFor(100));
  EXPECT_EQ(Rz56Calibration.qcResult, 2);
  EXPECT_EQ(Drawn(L"59 of 60"), 1);
  EXPECT_EQ(Drawn(L"CALIBRATION TIME OUT"), 1);
  EXPECT_TRUE(Records('I').empty());
  Click(LoggingButtons.calibrate[1]);
  EXPECT_FALSE(pt::IsVisible(AppWindows.calibrateWnd));
}

TEST_F(Rz56ReadingTest, QcInMonitoringShowsItsValuesAndWritesNothing) {
  StartNormalised();
  QcNulling();
  rz56_->PressCoil();
  Click(LoggingButtons.calibrate[0]);
  ASSERT_TRUE(Until([] { return Rz56Calibration.qcStep == 2; }, 5000));
  EXPECT_NEAR(Rz56Calibration.qcValue[0], 96.67f, 0.01f);
  ASSERT_TRUE(pt::RunFor(1000));
  Key(VK_RETURN);
  EXPECT_FALSE(pt::IsVisible(AppWindows.calibrateWnd));
  EXPECT_EQ(Boxes(L"WARNING"), 0u);
  EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
}

}  // namespace
}  // namespace desktop
