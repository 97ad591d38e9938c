// A small stand-in for the handheld program around the logging window: a visible top-level
// window in the main window's place, the fonts and screen layout the main window's creation
// sets, the logging window as its hidden child 4, and the build's resource table (on request with
// stand-in templates of the run's dialogs whose templates the build does not hold yet). The test
// thread is the UI thread.
#pragma once

#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "engine/build_config.h"
#include "engine/gps_reader.h"
#include "engine/ports.h"
#include "engine/readers.h"
#include "engine/records.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "engine_test_support.h"
#include "logging/gps_status.h"
#include "logging/logging.h"
#include "resources/resources.h"

namespace handheld::test {

struct LoggingSetup {
  int32_t model = kModelRz12;
  bool portrait = false;
  int32_t storageRoot = 1;
  int32_t zolOptionAvailable = 0;
  int32_t diagnostics = 0;
  bool dialogs = false;  // register stand-in templates of the run's dialogs
};

// Stand-in templates: one label, ended by the test's script.
inline constexpr DlgItemT kStandInItems[] = {DlgLText(100, L"Stand-in", 4, 4, 60, 10)};
constexpr uint32_t kStandInStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
inline constexpr DlgTemplateT kStandInDialogs[] = {
    DlgDef(L"GetNewLine", L"New Line", kStandInStyle, WS_EX_CAPTIONOKBTN, 0, 0, 90, 40, L"MS Sans Serif", 9,
           kStandInItems),
    DlgDef(L"GetComment", L"Enter Comment", kStandInStyle, WS_EX_CAPTIONOKBTN, 0, 0, 90, 40, L"MS Sans Serif", 9,
           kStandInItems),
    DlgDef(L"GetOptions", L"Display Options", kStandInStyle, WS_EX_CAPTIONOKBTN, 0, 0, 90, 40, L"MS Sans Serif", 9,
           kStandInItems),
};

class LoggingFixture : public ::testing::Test {
 protected:
  void SetUpLogging(const LoggingSetup& s) {
    setup_ = s;
    const int width = s.portrait ? 240 : 320;
    const int height = s.portrait ? 320 : 240;
    plat::test::Reset(plat::Profile::Handheld, {width, height});
    plat::test::UseTempRoot();
    plat::test::UseVirtualClock(5000, plat::test::MakeSystemTime(2014, 3, 5, 14, 20, 0),
                                plat::test::ClockMode::Auto);
    BuildSwitches b;
    b.modelIndex = s.model;
    b.storageRoot = s.storageRoot;
    b.zolOptionAvailable = s.zolOptionAvailable;
    b.rz27Mk2Diagnostics = s.diagnostics;
    UseBuild(b);
    ResetLoggingButtons();
    ResetLoggingLayout();
    ResetGpsStatus();

    // The main window's creation: layout, fonts and the timing of the readings.
    const int t = 14;
    ScreenLayout.portrait = s.portrait ? 1 : 0;
    ScreenLayout.windowWidth = width;
    ScreenLayout.windowHeight = height;
    ScreenLayout.usableHeight = height - 22;
    ScreenLayout.textHeight = t;
    ScreenLayout.plotLeft = 4;
    ScreenLayout.plotTop = t * (s.portrait ? 3 : 2) + 2;
    ScreenLayout.plotWidth = s.portrait ? 232 : 312;
    ScreenLayout.plotHeight = ScreenLayout.usableHeight - t * (s.portrait ? 3 : 2) - ScreenLayout.plotTop - 2;
    AppWindows.instance = GetModuleHandleW(nullptr);
    AppWindows.fontNormal = MakeFont(FW_NORMAL);
    AppWindows.fontBold = MakeFont(FW_BOLD);
    SurveySettings.readingInterval = 0.2f;
    ComputeSampleDivisor();

    resources_ = HandheldResources();  // the build's table: its popup menu and its templates
    dialogs_.assign(resources_.dialogs, resources_.dialogs + resources_.dialogCount);
    if (s.dialogs) {
      for (const DlgTemplateT& standIn : kStandInDialogs) {
        bool held = false;
        for (const DlgTemplateT& t : dialogs_) held = held || wcscmp(t.name, standIn.name) == 0;
        if (!held) dialogs_.push_back(standIn);
      }
    }
    resources_.dialogs = dialogs_.data();
    resources_.dialogCount = dialogs_.size();
    plat::RegisterResources(resources_);

    ASSERT_EQ(RegisterLoggingClasses(AppWindows.instance), 0);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = AppWindows.instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"LoggingTestMain";
    ASSERT_NE(RegisterClassW(&wc), 0);
    main_ = CreateWindowW(L"LoggingTestMain", L"Main", WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                          AppWindows.instance, nullptr);
    ASSERT_NE(main_, nullptr);
    logging_ = CreateWindowW(L"LoggingWnd", L"Logging", WS_CHILD, 0, 0, width, height, main_,
                             reinterpret_cast<HMENU>(4), AppWindows.instance, nullptr);
    ASSERT_NE(logging_, nullptr);
    AppWindows.loggingWnd = logging_;
    plat::test::PumpUntilIdle();
  }

  // COM1 as a virtual port, opened as the instrument port (SurveySettings.instrumentPort 0), with
  // `reader` reading it; then the run is shown in Monitor. The port goes to port_.
  void StartReaderRun(LPTHREAD_START_ROUTINE reader) {
    SurveySettings.instrumentPort = 0;
    port_ = plat::test::AttachVirtualPort(1);
    ASSERT_EQ(OpenInstrumentPort(), 1);
    LinkState.lastFrameTick = GetTickCount();
    WorkerThreads.reader = CreateThread(nullptr, 0, reader, nullptr, 0, nullptr);
    ASSERT_NE(WorkerThreads.reader, nullptr);
    ShowRun();
  }

  // Takes a template out of the registered table: its dialog cannot open (the call returns -1).
  void DropTemplate(const wchar_t* name) {
    std::erase_if(dialogs_, [name](const DlgTemplateT& t) { return wcscmp(t.name, name) == 0; });
    resources_.dialogs = dialogs_.data();
    resources_.dialogCount = dialogs_.size();
    plat::RegisterResources(resources_);
  }

  void TearDown() override {
    if (SurveyRun.runActive != 0) StopLogging(1);
    plat::test::PumpUntilIdle();
    ResetEngineState();
    ResetLoggingButtons();
    ResetLoggingLayout();
    plat::test::Reset();
  }

  static HFONT MakeFont(LONG weight) {
    LOGFONTW lf{};
    lf.lfHeight = 14;
    lf.lfWeight = weight;
    wcscpy(lf.lfFaceName, L"MS Sans Serif");
    return CreateFontIndirectW(&lf);
  }

  // The run start's share of the logging window (the ports and threads are the caller's).
  void ShowRun() {
    SurveyRun.runActive = 1;
    SurveyRun.state = kRunMonitor;
    SurveyRun.framesPerReading = 1;
    SurveyRun.recordFlag = 0;
    SurveyRun.softMarkerHeld = 0;
    LinkState.frameCount = 0;
    SetTimer(logging_, kWatchdogTimer, 300, nullptr);
    ShowMonitorButtons();
    ShowWindow(logging_, SW_SHOW);
    plat::test::PumpUntilIdle();
  }

  void Key(int vk) {
    plat::test::KeyPress(vk);
    plat::test::PumpUntilIdle();
  }
  void Press(HWND button) {
    plat::test::Click(button);
    plat::test::PumpUntilIdle();
  }

  // Create File with the given name in the save dialog; true when the run is in Stand By.
  bool CreateFile(const std::wstring& name) {
    plat::test::ExpectSaveFile(name);
    Key('C');
    return SurveyRun.state == kRunStandBy && SurveyRun.dataFile.IsOpen();
  }

  // Serves messages (the readers' sends, paints, timers) for ms on the platform clock.
  void PumpFor(DWORD ms) {
    constexpr UINT_PTR kPumpTimer = 77;
    const DWORD start = GetTickCount();
    SetTimer(main_, kPumpTimer, 10, nullptr);
    MSG m;
    while (GetTickCount() - start < ms && GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
    KillTimer(main_, kPumpTimer);
    plat::test::PumpUntilIdle();
  }

  // The data file's bytes as they are on disk now.
  static std::string FileOnDisk(const char* path) { return RootFileBytes(path); }

  static bool Framed(HWND button) { return (plat::test::Style(button) & 0xF) == BS_DEFPUSHBUTTON; }
  static std::vector<std::wstring> VisibleButtons(HWND parent) {
    std::vector<std::wstring> out;
    for (HWND h : plat::test::Children(parent)) {
      if (plat::test::IsVisible(h) && GetDlgCtrlID(h) >= kLoggingButtonIdBase) out.push_back(plat::test::Text(h));
    }
    return out;
  }
  static std::vector<std::wstring> Texts(const std::vector<HWND>& buttons) {
    std::vector<std::wstring> out;
    for (HWND h : buttons) out.push_back(plat::test::Text(h));
    return out;
  }
  // The texts drawn into the logging window since the draw log was last cleared.
  std::vector<plat::test::DrawEntry> DrawnTexts() const {
    std::vector<plat::test::DrawEntry> out;
    for (const auto& e : plat::test::DrawLog()) {
      if (e.op == plat::test::DrawOp::Text && e.window == logging_) out.push_back(e);
    }
    return out;
  }
  bool Drawn(const std::wstring& text) const {
    for (const auto& e : DrawnTexts()) {
      if (e.text == text) return true;
    }
    return false;
  }

  LoggingSetup setup_;
  ResourceTableT resources_{};
  std::vector<DlgTemplateT> dialogs_;
  HWND main_ = nullptr;
  HWND logging_ = nullptr;
  std::shared_ptr<plat::test::VirtualPort> port_;
};

}  // namespace handheld::test
