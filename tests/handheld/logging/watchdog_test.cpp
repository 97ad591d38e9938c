// The connection watchdog on the virtual clock: what counts as a miss, the records and the
// "Please Wait..." of each miss, the end of the run at the sixth, the RZ45's endless wait, the
// dialogs the end closes, and the whole program back in its main menu.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/testing.h>

#include <atomic>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "engine/settings.h"
#include "logging/commands.h"
#include "logging_fixture.h"
#include "shell/shell.h"
#include "sim/instrument.h"
#include "sim/virtual_sink.h"

namespace handheld {
namespace {

using plat::test::ModalContext;
using plat::test::ModalKind;
using test::LoggingFixture;
using test::LoggingSetup;

const std::string kBreak = "X$CONN BREAK";
const std::string kEnd = "X$CONN END  ";

// The data file of the run under the drive root, from its Windows-form path.
std::string DataFileBytes() {
  std::string path;
  for (const wchar_t* p = SurveyRun.dataFilePath; *p != 0; ++p) path += *p == L'\\' ? '/' : static_cast<char>(*p);
  if (!path.empty() && path[0] == '/') path.erase(0, 1);
  return path.empty() ? std::string() : test::RootFileBytes(path.c_str());
}

std::vector<std::string> Records(const std::string& file) {
  const size_t length = static_cast<size_t>(RecordLength());
  std::vector<std::string> out;
  for (size_t at = 0; at + length <= file.size(); at += length) out.push_back(file.substr(at, length));
  return out;
}

// The watchdog's events in the file, as their first 12 bytes.
std::vector<std::string> ConnectionEvents(const std::string& file) {
  std::vector<std::string> out;
  for (const std::string& r : Records(file)) {
    if (r.compare(0, 6, "X$CONN") == 0) out.push_back(r.substr(0, 12));
  }
  return out;
}

uint32_t RecordTick(const std::string& record) {
  return static_cast<uint32_t>(std::stoul(record.substr(record.size() - 11, 10)));
}

// Closes a window that the end left open once 5 s of virtual time have passed, so that such a
// fault fails the test instead of hanging it in the window's modal loop.
class LeftOpenGuard {
 public:
  explicit LeftOpenGuard(const wchar_t* title) : title_(title), done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
  }
  ~LeftOpenGuard() {
    SetEvent(done_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(done_);
  }
  LeftOpenGuard(const LeftOpenGuard&) = delete;
  LeftOpenGuard& operator=(const LeftOpenGuard&) = delete;
  bool Closed() const { return closed_.load(); }

 private:
  static DWORD WINAPI Watch(LPVOID arg) {
    auto* self = static_cast<LeftOpenGuard*>(arg);
    if (WaitForSingleObject(self->done_, 5000) != WAIT_TIMEOUT) return 0;
    if (HWND left = FindWindowW(nullptr, self->title_); left != nullptr) {
      self->closed_ = true;
      PostMessageW(left, WM_CLOSE, 0, 0);
    }
    return 0;
  }
  const wchar_t* title_;
  HANDLE done_;
  HANDLE thread_ = nullptr;
  std::atomic<bool> closed_{false};
};

class Watchdog_ : public LoggingFixture {
 protected:
  void Start(int32_t model, bool dialogs = false) {
    LoggingSetup s;
    s.model = model;
    s.dialogs = dialogs;
    SetUpLogging(s);
    ShowRun();
  }
  void StartStandBy(int32_t model, bool dialogs = false) {
    Start(model, dialogs);
    ASSERT_TRUE(CreateFile(L"RUN1"));
  }
  void StartLogging(int32_t model) {
    StartStandBy(model);
    Key('G');
    ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  }
  // One timer tick with the last frame gapMs before the tick.
  void TickAfterGap(int64_t gapMs) {
    LinkState.lastFrameTick = GetTickCount() - static_cast<uint32_t>(gapMs);
    SendMessageW(logging_, WM_TIMER, kWatchdogTimer, 0);
  }
  int PleaseWaitsDrawn() const {
    int n = 0;
    for (const auto& e : DrawnTexts()) n += e.text == L"Please Wait..." && e.fontWeight == FW_BOLD;
    return n;
  }
  static void ExpectNoConnectionBox() {
    plat::test::ExpectMessageBox({L"NO CONNECTION", L"NO CONNECTION Press <ENTER> to STOP", IDOK});
  }
};

// A gap of exactly the period is no miss and one more millisecond is one, also across the wrap of
// the tick; a frame stamped after the tick was read (a negative gap) is no miss.
TEST_F(Watchdog_, WhatCountsAsAMiss) {
  struct Case {
    const char* name;
    int32_t periodMs;
    uint32_t tick;  // 0: the clock as it is
    int64_t gapMs;
    int32_t misses;
  } const cases[] = {
      {"exactly the period", 300, 0, 300, 0},
      {"one more", 300, 0, 301, 1},
      {"no gap", 300, 0, 0, 0},
      {"frame after the tick", 300, 0, -5, 0},
      {"frame long after the tick", 300, 0, -100000, 0},
      {"ZOL12 period", 2000, 0, 2000, 0},
      {"ZOL12 one more", 2000, 0, 2001, 1},
      {"across the wrap", 300, 0x100, 300, 0},
      {"across the wrap, one more", 300, 0x100, 301, 1},
      {"frame after the tick, across the wrap", 300, 0x2, -5, 0},
  };
  Start(kModelRz12);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.tick != 0) plat::test::SetTick(c.tick);
    Watchdog.periodMs = c.periodMs;
    Watchdog.missCount = 0;
    TickAfterGap(c.gapMs);
    EXPECT_EQ(Watchdog.missCount.load(), c.misses);
    EXPECT_EQ(SurveyRun.runActive, 1);
  }
}

// While Logging: five misses write five breaks, each breaking the curves and showing
// "Please Wait..."; the sixth writes the end, shows the box with the timer gone, and ends the run.
TEST_F(Watchdog_, SixthMissWithAFileEndsTheRun) {
  StartLogging(kModelRz12);
  plat::test::EnableDrawLog(true);
  for (auto& h : PlotState.havePrev) h = 1;
  std::string fileAtBox;
  plat::test::OnModal(ModalKind::MessageBox, L"NO CONNECTION", [&](ModalContext& ctx) {
    fileAtBox = DataFileBytes();
    EXPECT_EQ(ctx.Text(), L"NO CONNECTION Press <ENTER> to STOP");
    EXPECT_EQ(ctx.Flags(), UINT{MB_OK | MB_ICONEXCLAMATION});
    EXPECT_TRUE(plat::test::Timers(logging_).empty());  // no second end while the box is up
    EXPECT_EQ(SurveyRun.state.load(), kRunStandBy);
    EXPECT_EQ(SurveyRun.runActive, 1);
    ctx.Answer(IDOK);
  });
  PumpFor(2500);

  EXPECT_EQ(SurveyRun.runActive, 0);
  EXPECT_EQ(SurveyRun.state.load(), kRunMonitor);
  EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
  EXPECT_FALSE(plat::test::IsVisible(logging_));
  EXPECT_TRUE(plat::test::Timers(logging_).empty());
  EXPECT_EQ(PleaseWaitsDrawn(), 5);
  for (int h : PlotState.havePrev) EXPECT_EQ(h, 0);

  // The events are the file's last records, one period apart; the end was written before the box.
  // The first tick after the start saw a gap of exactly the period, so the first break came with
  // the second.
  const std::string file = DataFileBytes();
  EXPECT_EQ(fileAtBox, file);
  const auto records = Records(file);
  ASSERT_GE(records.size(), 7u);
  const size_t first = records.size() - 6;
  EXPECT_EQ(records[first - 1].substr(0, 9), "X$STARTED");
  EXPECT_EQ(RecordTick(records[first]) - RecordTick(records[first - 1]), 600u);
  for (size_t i = first; i < records.size(); ++i) {
    EXPECT_EQ(records[i].substr(0, 12), i + 1 == records.size() ? kEnd : kBreak) << i;
    if (i > first) {
      EXPECT_EQ(RecordTick(records[i]) - RecordTick(records[i - 1]), 300u) << i;
    }
  }
  ASSERT_EQ(plat::test::ModalLog().size(), 2u);  // the save dialog and the box
}

// Without a file (Monitor) nothing is written; in Stand By the events land as while Logging. The
// box and the end come either way.
TEST_F(Watchdog_, RecordsOnlyWithAFile) {
  for (const bool withFile : {false, true}) {
    SCOPED_TRACE(withFile);
    if (withFile) {
      StartStandBy(kModelRz12);
    } else {
      Start(kModelRz12);
    }
    plat::test::EnableDrawLog(true);
    const std::string before = DataFileBytes();
    ExpectNoConnectionBox();
    PumpFor(2500);
    EXPECT_EQ(SurveyRun.runActive, 0);
    EXPECT_FALSE(plat::test::IsVisible(logging_));
    EXPECT_EQ(PleaseWaitsDrawn(), 5);
    if (withFile) {
      EXPECT_EQ(ConnectionEvents(DataFileBytes()),
                (std::vector<std::string>{kBreak, kBreak, kBreak, kBreak, kBreak, kEnd}));
    } else {
      EXPECT_TRUE(before.empty());
      EXPECT_TRUE(DataFileBytes().empty());
      EXPECT_TRUE(test::RootFileBytes("Storage/DATA12/RUN1.R12").empty());
    }
    TearDown();
  }
}

// The RZ45 never ends the run: one break per loss, "Please Wait..." on every tick, the timer on.
TEST_F(Watchdog_, Rz45WaitsWithOneBreakPerLoss) {
  StartLogging(kModelRz45);
  plat::test::EnableDrawLog(true);
  PumpFor(4000);  // the other builds would have ended after 1.8 s
  EXPECT_EQ(SurveyRun.runActive, 1);
  EXPECT_EQ(SurveyRun.state.load(), kRunLogging);
  EXPECT_TRUE(plat::test::IsVisible(logging_));
  EXPECT_EQ(Watchdog.missCount.load(), 2);
  EXPECT_EQ(ConnectionEvents(DataFileBytes()), (std::vector<std::string>{kBreak}));
  // Ticks at 300, 600, ... 3900 ms after the start; the first saw a gap of exactly the period.
  EXPECT_EQ(PleaseWaitsDrawn(), 12);
  const auto timers = plat::test::Timers(logging_);
  ASSERT_EQ(timers.size(), 1u);
  EXPECT_EQ(timers[0].id, kWatchdogTimer);

  // A frame, as the reader announces it, then silence again: a second break.
  LinkState.lastFrameTick = GetTickCount();
  Watchdog.missCount = 0;
  PumpFor(1000);
  EXPECT_EQ(ConnectionEvents(DataFileBytes()), (std::vector<std::string>{kBreak, kBreak}));
  EXPECT_EQ(SurveyRun.runActive, 1);
  EXPECT_TRUE(plat::test::ModalLog().size() == 1u);  // only the save dialog
}

// A dialog or box of the logging screen that is open at the sixth miss is closed as cancelled
// once the box is acknowledged, and its command does nothing more.
TEST_F(Watchdog_, EndClosesTheOpenDialogAsCancelled) {
  struct Case {
    const char* name;
    bool fileOpen;
    int key;
    ModalKind kind;
    const wchar_t* title;
    INT_PTR result;
  } const cases[] = {
      {"New Station in Monitor", false, 'N', ModalKind::Dialog, L"New Station", 0},
      {"New Station in Stand By", true, 'N', ModalKind::Dialog, L"New Station", 0},
      {"save dialog", false, 'C', ModalKind::OpenSave, L"Create Data File", FALSE},
      {"New Line", true, 'L', ModalKind::Dialog, L"New Line", 0},
      {"Comment", true, 'C', ModalKind::Dialog, L"Enter Comment", 0},
      {"exit question", true, 'X', ModalKind::MessageBox, L"Confirm Exit", IDNO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.fileOpen) {
      StartStandBy(kModelRz12, true);
    } else {
      Start(kModelRz12, true);
    }
    const size_t opened = plat::test::ModalLog().size();
    const std::string before = DataFileBytes();
    bool runWhenOpened = false;
    plat::test::OnModal(c.kind, c.title, [&](ModalContext&) { runWhenOpened = SurveyRun.runActive == 1; });  // left open
    ExpectNoConnectionBox();
    {
      LeftOpenGuard guard(c.title);
      Key(c.key);  // returns once the dialog has ended
      EXPECT_FALSE(guard.Closed()) << "the end left the window open";
    }

    EXPECT_TRUE(runWhenOpened);
    EXPECT_EQ(SurveyRun.runActive, 0);
    EXPECT_FALSE(plat::test::IsVisible(logging_));
    EXPECT_TRUE(plat::test::ModalStack().empty());
    const auto log = plat::test::ModalLog();
    ASSERT_EQ(log.size(), opened + 2);
    EXPECT_EQ(log[opened].caption, c.title);
    EXPECT_NE(log[opened].ending, plat::test::ModalEnding::Open);
    EXPECT_TRUE(log[opened].hasResult);
    EXPECT_EQ(log[opened].result, c.result);
    EXPECT_EQ(log[opened + 1].caption, L"NO CONNECTION");
    // Nothing but the watchdog's events was written after the dialog; no file after the save dialog.
    if (c.fileOpen) {
      EXPECT_EQ(DataFileBytes().substr(0, before.size()), before);
      EXPECT_EQ(Records(DataFileBytes()).size(), Records(before).size() + 6);
    } else {
      EXPECT_FALSE(SurveyRun.dataFile.IsOpen());
      EXPECT_TRUE(DataFileBytes().empty());
    }
    TearDown();
  }
}

// A window whose title is not in the end's list (here the RZ27-MK2 calibration question) stays
// open after the run has ended, and returns normally when the operator closes it.
TEST_F(Watchdog_, OtherWindowsStayOpen) {
  Start(kModelRz27Mk2);
  for (int i = 0; i < 6; ++i) SurveySettings.mk2Offset[i] = static_cast<float>(i + 1);
  plat::test::OnModal(ModalKind::MessageBox, L"CALIBRATION", [](ModalContext&) {});  // left open
  ExpectNoConnectionBox();
  {
    LeftOpenGuard guard(L"CALIBRATION");
    Key('A');
    EXPECT_TRUE(guard.Closed());
  }
  EXPECT_EQ(SurveyRun.runActive, 0);
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].caption, L"CALIBRATION");
  EXPECT_EQ(log[0].result, IDNO);
  EXPECT_EQ(Rz27Mk2Calibration.active.load(), 0);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(SurveySettings.mk2Offset[i], static_cast<float>(i + 1));
}

// A quiet end leaves the timer; its ticks without a run count nothing and stop it.
TEST_F(Watchdog_, TicksAfterTheRunDoNothing) {
  StartStandBy(kModelRz12);
  StopLogging(1);
  ASSERT_FALSE(plat::test::Timers(logging_).empty());
  PumpFor(2500);  // a box would be unexpected
  EXPECT_EQ(Watchdog.missCount.load(), 0);
  EXPECT_TRUE(plat::test::Timers(logging_).empty());
  EXPECT_EQ(ConnectionEvents(DataFileBytes()), std::vector<std::string>{});
}

// ---- The whole program -------------------------------------------------------------------------

class WatchdogApp : public test::AppTest {};

// The instrument falls silent while Logging: five breaks and the end are the file's last records,
// the box is acknowledged, the run's port and reader are gone, and the main menu takes keys again.
TEST_F(WatchdogApp, SilenceWhileLoggingEndsInTheMainMenu) {
  auto port = plat::test::AttachVirtualPort(1);
  Start(kModelRz12);
  sim::InstrumentOptions o;
  o.model = kModelRz12;
  o.count = 30;  // about 2.7 s of frames
  sim::InstrumentStream frames(o);
  sim::FeedVirtualPort(*port, frames, GetTickCount());

  plat::test::KeyPress('L');  // Monitor/Log
  test::Run(100);
  ASSERT_EQ(SurveyRun.runActive, 1);
  plat::test::ExpectSaveFile(L"RUN1");
  plat::test::KeyPress('C');
  test::Run(100);
  ASSERT_EQ(SurveyRun.state.load(), kRunStandBy);
  plat::test::KeyPress('G');
  test::Run(1000);
  ASSERT_EQ(SurveyRun.state.load(), kRunLogging);
  EXPECT_EQ(ConnectionEvents(DataFileBytes()), std::vector<std::string>{});  // frames still arrive

  plat::test::ExpectMessageBox({L"NO CONNECTION", L"NO CONNECTION Press <ENTER> to STOP", IDOK});
  test::Run(5000);
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  EXPECT_EQ(SurveyRun.runActive, 0);
  EXPECT_FALSE(plat::test::IsVisible(AppWindows.loggingWnd));
  EXPECT_TRUE(plat::test::Timers(AppWindows.loggingWnd).empty());
  EXPECT_EQ(LinkState.instrumentPort.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(WorkerThreads.reader, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(port->IsOpen());

  const auto records = Records(DataFileBytes());
  ASSERT_GE(records.size(), 6u);
  std::vector<std::string> last;
  for (size_t i = records.size() - 6; i < records.size(); ++i) last.push_back(records[i].substr(0, 12));
  EXPECT_EQ(last, (std::vector<std::string>{kBreak, kBreak, kBreak, kBreak, kBreak, kEnd}));

  // The main menu is back: visible, and its keyboard frame moves with Tab.
  HWND main = test::MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(plat::test::IsVisible(main));
  auto framed = [] {
    for (int i = 0; i < 7; ++i) {
      if (plat::test::IsVisible(AppWindows.menuButtons[i]) &&
          (plat::test::Style(AppWindows.menuButtons[i]) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        return i;
      }
    }
    return -1;
  };
  const int before = framed();
  ASSERT_GE(before, 0);
  plat::test::KeyPress(VK_TAB);
  EXPECT_TRUE(plat::test::WaitIdle());
  EXPECT_EQ(framed(), (before + 1) % 7);
}

// The misses of an earlier run are not the next run's: after a run that the watchdog ended, or one
// left with Exit after five misses, a run whose first frame comes 1 s after its start survives.
TEST_F(WatchdogApp, ANewRunStartsWithoutTheMissesOfTheLast) {
  struct Case {
    const char* name;
    bool watchdogEnds;  // else Exit once five misses are counted
  } const cases[] = {
      {"after a watchdog end", true},
      {"after an Exit during an outage", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto port = plat::test::AttachVirtualPort(1);
    Start(kModelRz12);
    plat::test::KeyPress('L');  // a run without frames
    test::Run(100);
    ASSERT_EQ(SurveyRun.runActive, 1);
    if (c.watchdogEnds) {
      plat::test::ExpectMessageBox({L"NO CONNECTION", L"NO CONNECTION Press <ENTER> to STOP", IDOK});
      test::Run(3000);
      ASSERT_EQ(plat::test::PendingExpectations(), 0u);
    } else {
      for (int i = 0; i < 30 && Watchdog.missCount.load() < 5; ++i) test::Run(100);
      ASSERT_EQ(Watchdog.missCount.load(), 5);
      plat::test::KeyPress('X');
      ASSERT_TRUE(plat::test::WaitIdle());
    }
    ASSERT_EQ(SurveyRun.runActive, 0);

    sim::InstrumentOptions o;
    o.model = kModelRz12;
    o.startMs = 1000;
    o.count = 30;
    sim::InstrumentStream frames(o);
    sim::FeedVirtualPort(*port, frames, GetTickCount());
    plat::test::KeyPress('L');
    test::Run(2000);
    EXPECT_EQ(SurveyRun.runActive, 1);
    EXPECT_TRUE(plat::test::IsVisible(AppWindows.loggingWnd));
    EXPECT_EQ(Watchdog.missCount.load(), 0);  // frames arrive
    EXPECT_EQ(plat::test::ModalLog().size(), c.watchdogEnds ? 1u : 0u);  // no second box
    TearDown();
    SetUp();
  }
}

// The end closes the logging window's scale dialog ("Enter Scale") and the display options as
// cancelled, but not the ice build's "Enter Profiles Scale", which stays open until the operator
// closes it; none of them stores or saves anything.
TEST_F(Watchdog_, EndClosesTheScaleAndOptionsButNotTheIceScale) {
  struct Case {
    const char* name;
    int32_t iceOption;
    UINT item;
    const wchar_t* title;
    bool leftOpen;
  } const cases[] = {
      {"scale", 0, kMenuScale, L"Enter Scale", false},
      {"display options", 0, kMenuDisplayOptions, L"Display Options", false},
      {"ice scale", 1, kMenuScale, L"Enter Profiles Scale", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoggingSetup s;
    s.zolOptionAvailable = c.iceOption;
    SetUpLogging(s);
    SurveySettings.zolEnabled = c.iceOption;
    ShowRun();
    ASSERT_TRUE(CreateFile(L"RUN1"));
    LoadSaveSettings(1);
    const std::string settings = test::SettingsFileBytes();
    plat::test::OnModal(ModalKind::Dialog, c.title, [](ModalContext& ctx) {
      // Typed, or live while open, and never kept.
      if (ctx.Control(834) != nullptr) {
        ctx.SetText(834, L"777");
      } else {
        ctx.Select(766, 3);
      }
    });
    plat::test::ExpectMenu(c.item);
    ExpectNoConnectionBox();
    {
      LeftOpenGuard guard(c.title);
      Key('M');
      EXPECT_EQ(guard.Closed(), c.leftOpen);
    }
    EXPECT_EQ(SurveyRun.runActive, 0);
    bool seen = false;
    for (const auto& r : plat::test::ModalLog()) {
      if (r.caption != c.title) continue;
      seen = true;
      EXPECT_TRUE(r.hasResult);
      EXPECT_EQ(r.result, 0);
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(SurveySettings.scale1Max, 500.0f);
    EXPECT_EQ(SurveySettings.traceThickness[0], 2);
    EXPECT_EQ(test::SettingsFileBytes(), settings);
    TearDown();
  }
}

}  // namespace
}  // namespace handheld
