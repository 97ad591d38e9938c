// The serial port openers on virtual ports: COM numbers, line settings and time-outs as the
// recorders see them, the GPS port's ten tries, the failure boxes, and settings out of range.
#include "engine/ports.h"

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <memory>
#include <string>

#include "engine/state.h"
#include "engine_test_support.h"

namespace handheld {
namespace {

TEST(PortComNumber, FollowsTheSetupLists) {
  struct Case {
    PortRole role;
    int32_t setting;
    int com;
  } cases[] = {
      {PortRole::kInstrument, 0, 1}, {PortRole::kInstrument, 6, 7},  {PortRole::kInstrument, 11, 12},
      {PortRole::kInstrument, 12, 0}, {PortRole::kInstrument, -1, 0}, {PortRole::kGps, 1, 2},
      {PortRole::kGps, 12, 0},        {PortRole::kMarker, 0, 0},      {PortRole::kMarker, 1, 1},
      {PortRole::kMarker, 5, 5},      {PortRole::kMarker, 6, 7},      {PortRole::kMarker, 11, 12},
      {PortRole::kMarker, 12, 0},     {PortRole::kMarker, -3, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PortComNumber(c.role, c.setting), c.com) << static_cast<int>(c.role) << " " << c.setting;
  }
  // Marker 6 is COM7, the port of instrument setting 6; marker 5 is COM5, not instrument 5's COM6.
  EXPECT_TRUE(MarkerSharesPort(6, PortComNumber(PortRole::kInstrument, 6)));
  EXPECT_FALSE(MarkerSharesPort(5, PortComNumber(PortRole::kInstrument, 5)));
  EXPECT_TRUE(MarkerSharesPort(5, PortComNumber(PortRole::kInstrument, 4)));
  EXPECT_FALSE(MarkerSharesPort(0, 1));
  EXPECT_FALSE(MarkerSharesPort(12, 13));
}

class PortsTest : public ::testing::Test {
 protected:
  void SetUp() override {
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
  void Use(int model) {
    test::UseBuild(model);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"TestMonitorGpsWnd";
    RegisterClassW(&wc);
    monitor_ = CreateWindowExW(0, L"TestMonitorGpsWnd", L"Monitor GPS", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                               nullptr, nullptr, nullptr, nullptr);
    AppWindows.monitorGpsWnd = monitor_;
  }
  static DCB Dcb(plat::test::VirtualPort& p) {
    DCB d{};
    EXPECT_TRUE(p.LastDcb(&d));
    return d;
  }
  static COMMTIMEOUTS Timeouts(plat::test::VirtualPort& p) {
    COMMTIMEOUTS t{};
    EXPECT_TRUE(p.LastTimeouts(&t));
    return t;
  }
  // The one failure box the opener showed: its text, caption "Serial Port", MB_OK, owned by the
  // GPS monitor window.
  void ExpectFailureBox(const wchar_t* text) {
    const std::vector<plat::test::ModalRecord> log = plat::test::ModalLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, plat::test::ModalKind::MessageBox);
    EXPECT_EQ(log[0].text, text);
    EXPECT_EQ(log[0].caption, L"Serial Port");
    EXPECT_EQ(log[0].flags, UINT{MB_OK});
    EXPECT_EQ(log[0].owner, monitor_);
    EXPECT_TRUE(log[0].hasResult);
    EXPECT_EQ(log[0].result, IDOK);
  }

  HWND monitor_ = nullptr;
};

void ExpectBox(const wchar_t* text) { plat::test::ExpectMessageBox({L"Serial Port", text, IDOK}); }

// ---- Line settings ---------------------------------------------------------------------------

struct InstrumentCase {
  const char* name;
  int model;
  bool marker;
  DWORD baud;
};
void PrintTo(const InstrumentCase& c, std::ostream* os) { *os << c.name; }

class InstrumentLine : public PortsTest, public ::testing::WithParamInterface<InstrumentCase> {};

TEST_P(InstrumentLine, EightNoneOneBinaryDtrOnRtsOff) {
  const InstrumentCase& c = GetParam();
  Use(c.model);
  SurveySettings.instrumentPort = 2;  // COM3
  SurveySettings.markerPort = 3;      // COM3 as well
  auto port = plat::test::AttachVirtualPort(3);
  ASSERT_EQ(c.marker ? OpenMarkerPort() : OpenInstrumentPort(), 1);
  const HANDLE h = (c.marker ? LinkState.markerPort : LinkState.instrumentPort).load();
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(port->Opens(), 1);
  const DCB d = Dcb(*port);
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
  EXPECT_EQ(d.XonLim, 2048);  // a field the table leaves as the port has it
  const COMMTIMEOUTS t = Timeouts(*port);
  EXPECT_EQ(t.ReadIntervalTimeout, 65535u);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 1000u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 1000u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);
  EXPECT_TRUE(plat::test::ModalLog().empty());
}

INSTANTIATE_TEST_SUITE_P(Ports, InstrumentLine,
                         ::testing::Values(InstrumentCase{"Rz12", kModelRz12, false, 9600},
                                           InstrumentCase{"Zol12", kModelZol12, false, 9600},
                                           InstrumentCase{"Rz27Mk2", kModelRz27Mk2, false, 19200},
                                           InstrumentCase{"Marker", kModelRz27Mk2, true, 19200}),
                         [](const auto& info) { return std::string(info.param.name); });

struct GpsCase {
  const char* name;
  int32_t baud, data, parity, stop;  // the setting indexes
  DWORD baudRate;
  BYTE byteSize, parityCode, stopCode;
};
void PrintTo(const GpsCase& c, std::ostream* os) { *os << c.name; }

class GpsLine : public PortsTest, public ::testing::WithParamInterface<GpsCase> {};

TEST_P(GpsLine, AppliesTheIndexesAsWindowsCodes) {
  const GpsCase& c = GetParam();
  Use(kModelRz12);
  SurveySettings.gpsPort = 1;
  SurveySettings.gpsBaudIndex = c.baud;
  SurveySettings.gpsDataBitsIndex = c.data;
  SurveySettings.gpsParityIndex = c.parity;
  SurveySettings.gpsStopBitsIndex = c.stop;
  auto port = plat::test::AttachVirtualPort(2);
  ASSERT_EQ(OpenGpsPort(), 1);
  EXPECT_NE(LinkState.gpsPort.load(), INVALID_HANDLE_VALUE);
  const DCB d = Dcb(*port);
  EXPECT_EQ(d.BaudRate, c.baudRate);
  EXPECT_EQ(d.ByteSize, c.byteSize);
  EXPECT_EQ(d.Parity, c.parityCode);
  EXPECT_EQ(d.StopBits, c.stopCode);
  EXPECT_EQ(d.fOutX, 1u);
  EXPECT_EQ(d.fInX, 1u);
  EXPECT_EQ(d.fOutxCtsFlow, 0u);
  EXPECT_EQ(d.fOutxDsrFlow, 0u);
  EXPECT_EQ(d.fRtsControl, DWORD{RTS_CONTROL_ENABLE});  // left as the port has it
  const COMMTIMEOUTS t = Timeouts(*port);
  for (DWORD v : {t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                  t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant}) {
    EXPECT_EQ(v, 100u);
  }
  // The stored settings stay as they were.
  EXPECT_EQ(SurveySettings.gpsBaudIndex, c.baud);
  EXPECT_EQ(SurveySettings.gpsDataBitsIndex, c.data);
  EXPECT_EQ(SurveySettings.gpsParityIndex, c.parity);
  EXPECT_EQ(SurveySettings.gpsStopBitsIndex, c.stop);
}

INSTANTIATE_TEST_SUITE_P(
    Indexes, GpsLine,
    ::testing::Values(GpsCase{"Receiver4800SevenEvenTwo", 0, 0, 1, 1, 4800, 7, EVENPARITY, TWOSTOPBITS},
                      GpsCase{"OddParity", 5, 1, 2, 0, 115200, 8, ODDPARITY, ONESTOPBIT},
                      GpsCase{"Defaults", 1, 1, 0, 0, 9600, 8, NOPARITY, ONESTOPBIT},
                      // Outside their tables: the initial values.
                      GpsCase{"PastTheTables", 6, 2, 3, 2, 9600, 8, NOPARITY, ONESTOPBIT},
                      GpsCase{"Negative", -1, -1, -1, -1, 9600, 8, NOPARITY, ONESTOPBIT}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Opening and failing ---------------------------------------------------------------------

TEST_F(PortsTest, GpsPortBusyNineTimesOpensWithoutAMessage) {
  Use(kModelRz12);
  auto port = plat::test::AttachVirtualPort(2);
  port->FailOpens(9);
  EXPECT_EQ(OpenGpsPort(), 1);
  EXPECT_EQ(port->OpenAttempts(), 10);
  EXPECT_TRUE(plat::test::ModalLog().empty());
}

TEST_F(PortsTest, GpsPortBusyTenTimesGivesTheMessage) {
  Use(kModelRz12);
  auto port = plat::test::AttachVirtualPort(2);
  port->FailOpens(10);
  ExpectBox(L"Cannot open GPS port");
  EXPECT_EQ(OpenGpsPort(), 0);
  EXPECT_EQ(port->OpenAttempts(), 10);
  EXPECT_EQ(LinkState.gpsPort.load(), INVALID_HANDLE_VALUE);
  ExpectFailureBox(L"Cannot open GPS port");
}

struct FailureCase {
  const char* name;
  int model;
  PortRole role;
  const wchar_t* text;
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class OpenFailure : public PortsTest, public ::testing::WithParamInterface<FailureCase> {};

// A busy device: the model's message, result 0, the handle left invalid.
TEST_P(OpenFailure, ShowsItsMessageAndReturnsZero) {
  const FailureCase& c = GetParam();
  Use(c.model);
  SurveySettings.instrumentPort = 0;
  SurveySettings.gpsPort = 0;
  SurveySettings.markerPort = 1;
  plat::test::AttachVirtualPort(1)->FailOpens(10);
  ExpectBox(c.text);
  const int32_t r = c.role == PortRole::kInstrument ? OpenInstrumentPort()
                    : c.role == PortRole::kGps      ? OpenGpsPort()
                                                    : OpenMarkerPort();
  EXPECT_EQ(r, 0);
  ExpectFailureBox(c.text);
  for (auto* f : {&LinkState.instrumentPort, &LinkState.gpsPort, &LinkState.markerPort}) {
    EXPECT_EQ(f->load(), INVALID_HANDLE_VALUE);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OpenFailure,
    ::testing::Values(FailureCase{"Rz12", 0, PortRole::kInstrument, L"Cannot open RZ12 port"},
                      FailureCase{"Rz27B", 1, PortRole::kInstrument, L"Cannot open RZ27B port"},
                      FailureCase{"Rz27Dd", 2, PortRole::kInstrument, L"Cannot open RZ27D port"},
                      FailureCase{"Rz27", 3, PortRole::kInstrument, L"Cannot open RZ27 port"},
                      FailureCase{"Rz45", 4, PortRole::kInstrument, L"Cannot open RZ45 port"},
                      FailureCase{"Rz89", 5, PortRole::kInstrument, L"Cannot open RZ89 port"},
                      FailureCase{"Zol12", 6, PortRole::kInstrument, L"Cannot open ZOL12 port"},
                      FailureCase{"Rz27Mk2", 7, PortRole::kInstrument, L"Cannot open RZ27MK2 port"},
                      FailureCase{"Gps", 0, PortRole::kGps, L"Cannot open GPS port"},
                      FailureCase{"Marker", 7, PortRole::kMarker, L"Cannot open External Marker port"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortsTest, MarkerSettingSixOpensCom7) {
  Use(kModelRz27Mk2);
  auto com6 = plat::test::AttachVirtualPort(6);
  auto com7 = plat::test::AttachVirtualPort(7);
  SurveySettings.markerPort = 6;
  ASSERT_EQ(OpenMarkerPort(), 1);
  EXPECT_EQ(com7->Opens(), 1);
  EXPECT_EQ(com6->OpenAttempts(), 0);
}

// Settings outside 0 to 11 name no port: nothing is opened (not even COM13), the instrument and
// GPS openers show their message, a marker counts as disabled, and the settings stay.
TEST_F(PortsTest, SettingsOutOfRangeOpenNothing) {
  Use(kModelRz27Mk2);
  auto com13 = plat::test::AttachVirtualPort(13);
  for (int32_t setting : {12, -1}) {
    SCOPED_TRACE(setting);
    SurveySettings.instrumentPort = setting;
    SurveySettings.gpsPort = setting;
    SurveySettings.markerPort = setting;
    ExpectBox(L"Cannot open RZ27MK2 port");
    EXPECT_EQ(OpenInstrumentPort(), 0);
    ExpectBox(L"Cannot open GPS port");
    EXPECT_EQ(OpenGpsPort(), 0);
    EXPECT_EQ(OpenMarkerPort(), 0);
    EXPECT_EQ(plat::test::PendingExpectations(), 0u);
    EXPECT_EQ(SurveySettings.instrumentPort, setting);
    EXPECT_EQ(SurveySettings.gpsPort, setting);
    EXPECT_EQ(SurveySettings.markerPort, setting);
  }
  EXPECT_EQ(com13->OpenAttempts(), 0);
  EXPECT_EQ(plat::test::ModalLog().size(), 4u);  // no box for the marker
}

TEST_F(PortsTest, DisabledMarkerOpensNothingQuietly) {
  Use(kModelRz27Mk2);
  SurveySettings.markerPort = 0;
  EXPECT_EQ(OpenMarkerPort(), 0);
  EXPECT_EQ(LinkState.markerPort.load(), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(plat::test::ModalLog().empty());
}

// ---- What the time-outs do to a one-byte read ------------------------------------------------

TEST_F(PortsTest, AOneByteReadWithNothingArrivingReturnsAfterItsTimeOut) {
  Use(kModelRz27Mk2);
  plat::test::AttachVirtualPort(1);
  plat::test::AttachVirtualPort(2);
  plat::test::AttachVirtualPort(3);
  SurveySettings.instrumentPort = 0;
  SurveySettings.gpsPort = 1;
  SurveySettings.markerPort = 3;
  ASSERT_EQ(OpenInstrumentPort(), 1);
  ASSERT_EQ(OpenGpsPort(), 1);
  ASSERT_EQ(OpenMarkerPort(), 1);
  struct Case {
    std::atomic<HANDLE>* port;
    DWORD ms;
  } cases[] = {{&LinkState.instrumentPort, 2000}, {&LinkState.markerPort, 2000}, {&LinkState.gpsPort, 200}};
  for (const Case& c : cases) {
    unsigned char b = 0;
    DWORD got = 7;
    const DWORD t = GetTickCount();
    EXPECT_TRUE(ReadFile(c.port->load(), &b, 1, &got, nullptr));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(GetTickCount() - t, c.ms);
  }
}

}  // namespace
}  // namespace handheld
