// The desktop port openers on virtual ports: names, line settings and time-outs as the recorders
// see them, one open try, the failure boxes, and settings out of range.
#include "engine/ports.h"

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <memory>
#include <string>

#include "desktop_test_support.h"
#include "engine/state.h"

namespace desktop {
namespace {

TEST(PortNumbers, NamesAndSharing) {
  const struct {
    PortRole role;
    int32_t setting;
    int com;
  } cases[] = {
      {PortRole::kInstrument, 0, 1}, {PortRole::kInstrument, 11, 12}, {PortRole::kInstrument, 12, 0},
      {PortRole::kInstrument, -1, 0}, {PortRole::kGps, 3, 4},          {PortRole::kGps, 12, 0},
      {PortRole::kMarker, 0, 0},      {PortRole::kMarker, 6, 6},       {PortRole::kMarker, 12, 12},
      {PortRole::kMarker, 13, 0},     {PortRole::kMarker, -1, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(PortComNumber(c.role, c.setting), c.com) << c.setting;
  // Marker 4 names COM4, the port of instrument setting 3.
  EXPECT_TRUE(MarkerSharesInstrumentPort(4, 3));
  EXPECT_FALSE(MarkerSharesInstrumentPort(4, 4));
  EXPECT_FALSE(MarkerSharesInstrumentPort(0, -1));
  EXPECT_FALSE(MarkerSharesInstrumentPort(13, 12));
  char name[16];
  ComPortName(9, name, sizeof name);
  EXPECT_STREQ(name, "COM9:");
  ComPortName(12, name, sizeof name);
  EXPECT_STREQ(name, "\\\\.\\COM12");
}

class PortsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset(plat::Profile::Desktop);
    plat::test::UseTempRoot();
    plat::test::UseVirtualClock(70000, plat::test::MakeSystemTime(2014, 5, 3, 9, 0, 0), plat::test::ClockMode::Auto);
  }
  void TearDown() override {
    for (auto* f : {&LinkState.instrumentPort, &LinkState.gpsPort, &LinkState.markerPort}) {
      const HANDLE h = f->exchange(INVALID_HANDLE_VALUE);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    if (monitor_) DestroyWindow(monitor_);
    ResetEngineState();
    plat::test::Reset();
  }
  // The build, and a window standing in for the GPS monitor, which owns the failure boxes.
  void Use(int32_t model) {
    test::UseBuild(model);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "TestMonitorGpsWnd";
    RegisterClassA(&wc);
    monitor_ = CreateWindowExA(0, "TestMonitorGpsWnd", "Monitor GPS", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
    AppWindows.monitorGpsWnd = monitor_;
  }
  void ExpectFailureBox(const wchar_t* text) {
    const std::vector<plat::test::ModalRecord> log = plat::test::ModalLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, plat::test::ModalKind::MessageBox);
    EXPECT_EQ(log[0].text, text);
    EXPECT_EQ(log[0].caption, L"Serial Port");
    EXPECT_EQ(log[0].flags, UINT{MB_OK});
    EXPECT_EQ(log[0].owner, monitor_);
  }
  HWND monitor_ = nullptr;
};

// An empty one-byte read comes back after 10 virtual ms.
void ExpectEmptyReadTakes10Ms(HANDLE port) {
  const DWORD before = GetTickCount();
  unsigned char b = 0;
  DWORD got = 1;
  ASSERT_TRUE(ReadFile(port, &b, 1, &got, nullptr));
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(GetTickCount() - before, 10u);
}

void ExpectBox(const wchar_t* text) { plat::test::ExpectMessageBox({L"Serial Port", text, IDOK}); }

// Instrument and marker lines: 8N1, binary, DTR on, RTS off; the marker adds DSR output flow.
TEST_F(PortsTest, InstrumentAndMarkerLines) {
  const struct {
    int32_t model;
    bool marker;
    DWORD baud;
  } cases[] = {{kModelRz12, false, CBR_9600}, {kModelZol12, false, CBR_9600}, {kModelRz27Mk2, false, CBR_19200},
               {kModelRz27Mk2, true, CBR_19200}};
  for (const auto& c : cases) {
    Use(c.model);
    SurveySettings.instrumentPort = 11;  // COM12
    SurveySettings.markerPort = 12;      // COM12 as well
    auto port = plat::test::AttachVirtualPort(12);
    ASSERT_EQ(c.marker ? OpenMarkerPort() : OpenInstrumentPort(), 1);
    EXPECT_EQ(port->Opens(), 1);
    DCB d{};
    ASSERT_TRUE(port->LastDcb(&d));
    EXPECT_EQ(d.BaudRate, c.baud);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, NOPARITY);
    EXPECT_EQ(d.StopBits, ONESTOPBIT);
    EXPECT_EQ(d.fBinary, 1u);
    EXPECT_EQ(d.fDtrControl, DWORD{DTR_CONTROL_ENABLE});
    EXPECT_EQ(d.fRtsControl, DWORD{RTS_CONTROL_DISABLE});
    EXPECT_EQ(d.fOutxCtsFlow, 0u);
    EXPECT_EQ(d.fOutxDsrFlow, c.marker ? 1u : 0u);
    EXPECT_EQ(d.fOutX, 0u);
    EXPECT_EQ(d.fInX, 0u);
    COMMTIMEOUTS t{};
    ASSERT_TRUE(port->LastTimeouts(&t));
    const COMMTIMEOUTS want = c.marker ? COMMTIMEOUTS{65535, 1000, 1000, 0, 0} : COMMTIMEOUTS{10, 0, 10, 0, 0};
    EXPECT_EQ(t.ReadIntervalTimeout, want.ReadIntervalTimeout);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, want.ReadTotalTimeoutMultiplier);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, want.ReadTotalTimeoutConstant);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);
    if (!c.marker) ExpectEmptyReadTakes10Ms(LinkState.instrumentPort.load());
    TearDown();
    SetUp();
  }
}

// GPS lines by their indexes, with XON/XOFF; an index outside its table takes the initial value.
TEST_F(PortsTest, GpsLineByItsIndexes) {
  const struct {
    int32_t baud, bits, parity, stop;
    DWORD wantBaud;
    BYTE wantBits, wantParity, wantStop;
  } cases[] = {
      {0, 0, 1, 1, CBR_4800, 7, EVENPARITY, TWOSTOPBITS},
      {5, 1, 2, 0, CBR_115200, 8, ODDPARITY, ONESTOPBIT},
      {6, 2, 3, 2, CBR_9600, 8, NOPARITY, ONESTOPBIT},
      {-1, -1, -1, -1, CBR_9600, 8, NOPARITY, ONESTOPBIT},
  };
  for (const auto& c : cases) {
    Use(kModelRz12);
    SurveySettings.gpsPort = 8;  // COM9
    SurveySettings.gpsBaudIndex = c.baud;
    SurveySettings.gpsDataBitsIndex = c.bits;
    SurveySettings.gpsParityIndex = c.parity;
    SurveySettings.gpsStopBitsIndex = c.stop;
    auto port = plat::test::AttachVirtualPort(9);
    ASSERT_EQ(OpenGpsPort(), 1);
    DCB d{};
    ASSERT_TRUE(port->LastDcb(&d));
    EXPECT_EQ(d.BaudRate, c.wantBaud);
    EXPECT_EQ(d.ByteSize, c.wantBits);
    EXPECT_EQ(d.Parity, c.wantParity);
    EXPECT_EQ(d.StopBits, c.wantStop);
    EXPECT_EQ(d.fOutX, 1u);
    EXPECT_EQ(d.fInX, 1u);
    EXPECT_EQ(d.fOutxDsrFlow, 0u);
    EXPECT_EQ(SurveySettings.gpsBaudIndex, c.baud);  // the stored settings stay
    ExpectEmptyReadTakes10Ms(LinkState.gpsPort.load());
    TearDown();
    SetUp();
  }
}

// Busy ports give their message once (one try) and 0; settings outside their lists open nothing.
TEST_F(PortsTest, FailuresGiveTheirMessage) {
  const struct {
    const char* name;
    int32_t (*open)();
    int32_t instrument, gps, marker;
    int busyCom;  // 0: no port is attached at all
    const wchar_t* text;
  } cases[] = {
      {"BusyGps", OpenGpsPort, 0, 3, 0, 4, L"Cannot open COM4 for GPS"},
      {"BusyInstrument", OpenInstrumentPort, 0, 3, 0, 1, L"Cannot open COM1 for instrument"},
      {"BusyMarker", OpenMarkerPort, 0, 3, 4, 4, L"Cannot open External Marker port"},
      {"MissingInstrument", OpenInstrumentPort, 5, 3, 0, 0, L"Cannot open COM6 for instrument"},
      {"InstrumentOutOfRange", OpenInstrumentPort, 12, 3, 0, 0, L"Cannot open COM13 for instrument"},
      {"GpsOutOfRange", OpenGpsPort, 0, -1, 0, 0, L"Cannot open COM0 for GPS"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Use(kModelRz27Mk2);
    SurveySettings.instrumentPort = c.instrument;
    SurveySettings.gpsPort = c.gps;
    SurveySettings.markerPort = c.marker;
    std::shared_ptr<plat::test::VirtualPort> port;
    if (c.busyCom) {
      port = plat::test::AttachVirtualPort(c.busyCom);
      port->FailOpens(2);
    }
    ExpectBox(c.text);
    EXPECT_EQ(c.open(), 0);
    ExpectFailureBox(c.text);
    if (port) {
      EXPECT_EQ(port->OpenAttempts(), 1);
    }
    EXPECT_EQ(LinkState.instrumentPort.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LinkState.gpsPort.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LinkState.markerPort.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(SurveySettings.instrumentPort, c.instrument);
    TearDown();
    SetUp();
  }
}

// A marker setting outside 0 to 12 counts as disabled: nothing is opened and nothing shown.
TEST_F(PortsTest, MarkerOutOfRangeIsDisabled) {
  Use(kModelRz27Mk2);
  for (int32_t setting : {0, 13, -4}) {
    SurveySettings.markerPort = setting;
    EXPECT_EQ(OpenMarkerPort(), 0);
  }
  EXPECT_TRUE(plat::test::ModalLog().empty());
}

}  // namespace
}  // namespace desktop
