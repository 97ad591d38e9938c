// Whole RZ27-MK2 field calibrations on the logging window with the simulator's frames on a
// virtual port: the settings and data files at success and after a deletion, a failure
// that changes nothing, and the commands and saves while a calibration runs.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/settings.h"
#include "logging/commands.h"
#include "logging/plot_channels.h"
#include "logging/rz27mk2_reading.h"
#include "logging/screen.h"
#include "logging_fixture.h"
#include "plot_test_support.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

// ---- Calibrations on the logging window ------------------------------------------------------

using test::LoggingFixture;
using test::LoggingSetup;

// The simulator's segments: the instrument vertical, then horizontal (counts in frame order).
sim::Mk2Segment Segment(double ms, bool vertical) {
  sim::Mk2Segment s;
  s.durationMs = ms;
  s.status = vertical ? 6 : 2;
  const uint16_t v[4] = {0x8200, 0x8100, 0x8300, 0x8200};  // c 0.5 m 20, i 0.5 m 10, C 1 m 30, I 1 m 20
  const uint16_t h[4] = {0x8100, 0x8080, 0x8100, 0x8080};  // 10, 5, 10, 5
  for (int k = 0; k < 4; ++k) s.counts[k] = vertical ? v[k] : h[k];
  return s;
}

class CalibrationRun : public LoggingFixture {
 protected:
  void Start(bool standBy) {
    LoggingSetup s;
    s.model = kModelRz27Mk2;
    SetUpLogging(s);
    SelectTraces();
    StartReaderRun(Rz27Mk2ReaderThread);
    for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = static_cast<float>(i + 1);
    if (standBy) {
      ASSERT_TRUE(CreateFile(L"\\Storage\\CAL.R27"));
    }
    plat::test::EnableDrawLog(true);
  }

  // The segments start streaming now, and Yes starts the calibration at once.
  void Calibrate(const std::vector<sim::Mk2Segment>& segments) {
    sim::Mk2ScriptStream stream(segments, 47, 47);
    sim::FeedVirtualPort(*port_, stream, GetTickCount());
    plat::test::ExpectMessageBox({L"CALIBRATION", L"", IDYES});
    SendMessageW(logging_, WM_COMMAND, kMenuCalibrate, 0);
    ASSERT_EQ(Rz27Mk2Calibration.active.load(), -1);
  }

  std::string Settings() const { return FileOnDisk("Storage/VLQINI/RZ27MK2.INI"); }
  std::vector<double> SavedOffsets() const { return test::SavedMk2Offsets(Settings()); }
  std::vector<std::string> LastRecords(size_t n) {
    SurveyRun.dataFile.Flush();
    const std::string file = FileOnDisk("Storage/CAL.R27");
    std::vector<std::string> out;
    for (size_t i = file.size() >= 26 * n ? file.size() - 26 * n : 0; i + 26 <= file.size(); i += 26) {
      out.push_back(file.substr(i, 26));
    }
    return out;
  }
  // The rows of each channel's colour in the plot's newest columns.
  static std::vector<std::vector<int>> NewestColumnsRows() {
    std::vector<std::vector<int>> out;
    for (int c = 0; c < 8; ++c) {
      std::vector<int> rows;
      for (int x = NewestColumn() - 8; x <= NewestColumn(); ++x) {
        for (int y : test::RowsOfColour(AppWindows.curveWnd, x, SurveySettings.traceColour[c])) {
          rows.push_back(x * 1000 + y);
        }
      }
      out.push_back(rows);
    }
    return out;
  }
  size_t BeepsOf(UINT type) const {
    size_t n = 0;
    for (const auto& b : plat::test::Beeps()) n += b.type == type ? 1 : 0;
    return n;
  }
};

TEST_F(CalibrationRun, SuccessSavesAndRecordsTheOffsetsAndDeleteZeroesThem) {
  Start(true);
  const size_t fileBefore = SurveyRun.dataFile.Size();
  Calibrate({Segment(2500, true), Segment(7000, false), Segment(1000, true)});
  PumpFor(9000);
  EXPECT_TRUE(Drawn(L"Vertical Calibration"));
  EXPECT_TRUE(Drawn(L"Rotate to Horizontal Mode within 60 seconds"));
  EXPECT_TRUE(Drawn(L"Preparing for Horizontal Calibration"));
  EXPECT_TRUE(Drawn(L"Horizontal Calibration"));
  EXPECT_TRUE(Drawn(L"Calibration Completed - Wait for Beep"));
  EXPECT_EQ(Rz27Mk2Calibration.active.load(), 0);
  EXPECT_EQ(BeepsOf(MB_ICONEXCLAMATION), 3u);
  EXPECT_GE(BeepsOf(MB_ICONHAND), 3u * 60 + 3);

  const float expected[6] = {10.0f, 0.0f, 0.576380f, 0.0720475f, 0.144095f, 0.0360238f};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(SurveySettings.mk2Offset[i], expected[i], 1e-5) << "O" << i + 1;
  const std::vector<double> saved = SavedOffsets();
  ASSERT_EQ(saved.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(saved[i], expected[i], 1e-5) << "O" << i + 1;
  EXPECT_NE(Settings().find("\r\n10.000000\r\n0.000000\r\n"), std::string::npos);
  EXPECT_EQ(SurveyRun.dataFile.Size(), fileBefore + 6 * 26);
  EXPECT_EQ(LastRecords(6), (std::vector<std::string>{
                                "O1    10.000      1.000  \n", "O2     0.000      2.000  \n", "O3     0.576      3.000  \n",
                                "O4     0.072      4.000  \n", "O5     0.144      5.000  \n", "O6     0.036      6.000  \n"}));

  // The next vertical frame takes the reading path with the new offsets: 30 + O1.
  plat::test::ClearDrawLog();
  PumpFor(600);
  EXPECT_TRUE(Drawn(L"C:40.00   "));

  plat::test::ExpectMessageBox({L"Delete Calibration", L"", IDYES});
  SendMessageW(logging_, WM_COMMAND, kMenuDeleteCalibration, 0);
  for (float o : SurveySettings.mk2Offset) EXPECT_EQ(o, 0.0f);
  EXPECT_EQ(SavedOffsets(), std::vector<double>(6, 0.0));
  const std::vector<std::string> deleted = LastRecords(6);
  EXPECT_EQ(deleted[0], "O1     0.000     10.000  \n");
  EXPECT_EQ(deleted[5], "O6     0.000      0.036  \n");
}

// The Yes redraws the plot while the offsets in force are 0: the readings of the line are drawn
// with the offsets they were taken with, as before the question.
TEST_F(CalibrationRun, TheRedrawAtTheStartKeepsTheStandingOffsets) {
  Start(true);
  const float offsets[6] = {100.0f, 50.0f, 10.0f, 5.0f, 0.0f, 0.0f};
  const COLORREF colours[8] = {RGB(255, 0, 0),   RGB(0, 160, 0),   RGB(0, 0, 255),  RGB(200, 0, 200),
                               RGB(0, 200, 200), RGB(255, 140, 0), RGB(120, 60, 0), RGB(90, 90, 255)};
  for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = offsets[i];
  for (int c = 0; c < 8; ++c) SurveySettings.traceColour[c] = colours[c];
  sim::Mk2ScriptStream stream({Segment(3000, true)}, 47, 47);
  sim::FeedVirtualPort(*port_, stream, GetTickCount());
  Key('G');
  PumpFor(1000);
  Press(LoggingButtons.pause[PauseButtonIndex(SurveySettings.pauseKey, SurveySettings.surveyMode)]);
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  RedrawPlot(logging_);
  const std::vector<std::vector<int>> before = NewestColumnsRows();
  ASSERT_FALSE(before[2].empty());  // the inphase curves, on the grid shown
  ASSERT_FALSE(before[6].empty());

  Calibrate({Segment(1000, true)});
  EXPECT_EQ(NewestColumnsRows(), before);
  for (float o : SurveySettings.mk2Offset) EXPECT_EQ(o, 0.0f);  // the calibration runs
}

// No vertical reading in the window: the failure prompt for 3000 ms, then the old offsets; no
// file is touched.
TEST_F(CalibrationRun, AFailureChangesNoFileAndPutsTheOffsetsBack) {
  Start(true);
  LoadSaveSettings(1);
  const std::string settings = Settings();
  const uint64_t fileBefore = SurveyRun.dataFile.Size();
  const size_t handBefore = BeepsOf(MB_ICONHAND);
  Calibrate({Segment(10000, false)});
  PumpFor(2100);
  for (float o : SurveySettings.mk2Offset) EXPECT_EQ(o, 0.0f);
  PumpFor(2000);
  EXPECT_TRUE(Drawn(L"Vertical Mode Failed - Wait for Beep"));
  EXPECT_EQ(Rz27Mk2Calibration.active.load(), -1);
  PumpFor(1100);
  EXPECT_EQ(Rz27Mk2Calibration.active.load(), 0);
  EXPECT_EQ(SurveySettings.mk2Offset[0], 1.0f);
  EXPECT_EQ(SurveySettings.mk2Offset[5], 6.0f);
  EXPECT_EQ(BeepsOf(MB_ICONHAND), handBefore + 3);
  EXPECT_EQ(Settings(), settings);
  EXPECT_EQ(SurveyRun.dataFile.Size(), fileBefore);
}

// While a calibration runs, Calibrate and Delete do nothing, by button, key or menu; the zeroed
// offsets are never taken for the real ones.
TEST_F(CalibrationRun, CalibrateAndDeleteDoNothingWhileItRuns) {
  Start(false);
  Calibrate({Segment(10000, true)});
  PumpFor(200);
  Key('A');
  Key('E');
  Press(LoggingButtons.monitor[1]);
  Press(LoggingButtons.monitor[2]);
  SendMessageW(logging_, WM_COMMAND, kMenuCalibrate, 0);
  SendMessageW(logging_, WM_COMMAND, kMenuDeleteCalibration, 0);
  EXPECT_EQ(Rz27Mk2Calibration.backup[0], 1.0f);
  EXPECT_EQ(Rz27Mk2Calibration.previous[0], 0.0f);
  EXPECT_EQ(Rz27Mk2Calibration.active.load(), -1);
  EXPECT_EQ(Rz27Mk2Calibration.phase, 1);
  EXPECT_EQ(plat::test::ModalLog().size(), 1u) << "only the first question";
}

// A run that ends in the middle of a calibration (Exit in Monitor) puts the offsets back and
// ends the calibration; every save until then writes the offsets in force before it.
TEST_F(CalibrationRun, SavesDuringItAndAnEndOfTheRunKeepTheOldOffsets) {
  Start(false);
  Calibrate({Segment(10000, true)});
  PumpFor(500);
  LoadSaveSettings(1);  // as Scale, Display Options or New Line save
  EXPECT_EQ(SavedOffsets(), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  for (float o : SurveySettings.mk2Offset) EXPECT_EQ(o, 0.0f);
  Key('X');
  EXPECT_EQ(SurveyRun.runActive, 0);
  EXPECT_EQ(Rz27Mk2Calibration.active.load(), 0);
  EXPECT_EQ(Rz27Mk2Calibration.phase, 0);
  EXPECT_EQ(Rz27Mk2Calibration.stage, 0);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(SurveySettings.mk2Offset[i], static_cast<float>(i + 1));
  LoadSaveSettings(1);
  EXPECT_EQ(SavedOffsets(), (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

// New Line from Stand By during a calibration saves the settings and writes a line block: both
// keep the offsets in force before it, not its zeros.
TEST_F(CalibrationRun, ANewLineDuringItKeepsTheOldOffsetsInBothFiles) {
  Start(true);
  Calibrate({Segment(10000, true)});
  PumpFor(300);
  plat::test::ExpectDialog(L"New Line", [](plat::test::ModalContext& ctx) { ctx.ClickCaptionOk(); });
  Key('L');
  EXPECT_EQ(Rz27Mk2Calibration.active.load(), -1);
  EXPECT_EQ(SavedOffsets(), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  const std::vector<std::string> block = LastRecords(7);  // the six calibration records, then '*'
  EXPECT_EQ(block[0], "O1     1.000      0.000  \n");
  EXPECT_EQ(block[5], "O6     6.000      0.000  \n");
  EXPECT_EQ(block[6][0], '*');
}

}  // namespace
}  // namespace handheld
