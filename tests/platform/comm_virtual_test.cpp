// Virtual comm ports on the platform clock: read time-outs, events and lines, opens, the DCB rules,
// bounded writes, the recorders, and a close that wakes calls blocked in other threads.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <functional>
#include <utility>
#include <vector>
#include "comm_test_support.h"

namespace {

using RealClock = std::chrono::steady_clock;

long RealMsSince(RealClock::time_point t) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(RealClock::now() - t).count());
}

DWORD Tick() { return GetTickCount(); }

// Runs fn on a platform thread (CreateThread); Join waits for it on the platform clock.
HANDLE Start(std::function<void()>* fn) {
  return CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        (*static_cast<std::function<void()>*>(p))();
        return 0;
      },
      fn, 0, nullptr);
}

void Join(HANDLE thread) {
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), DWORD{WAIT_OBJECT_0});
  EXPECT_TRUE(CloseHandle(thread));
}

using plat::test::OpenCom;
using plat::test::ReadPort;
using plat::test::WritePort;

constexpr int kCom = 4;

class VirtualPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::UseTempRoot();
    // Virtual time jumps to the next deadline whenever every platform thread waits.
    plat::test::UseVirtualClock(0xFFFFFF00u, plat::test::MakeSystemTime(2014, 5, 3, 14, 7, 9),
                                plat::test::ClockMode::Auto);
    port_ = plat::test::AttachVirtualPort(kCom);
    ASSERT_NE(port_, nullptr);
  }
  void TearDown() override { plat::test::Reset(); }

  HANDLE Open() {
    HANDLE h = OpenCom(kCom);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    return h;
  }

  std::shared_ptr<plat::test::VirtualPort> port_;
};

struct ReadCase {
  const char* name;
  COMMTIMEOUTS timeouts;
  std::vector<std::pair<DWORD, std::string>> feeds;  // (ms after the call starts, bytes)
  DWORD n;
  DWORD expectMs;
  std::string expect;
};

const DWORD kM = MAXDWORD;
const ReadCase kReadCases[] = {
    {"handheld instrument, silence", {65535, 1000, 1000, 0, 0}, {}, 1, 2000, ""},
    {"handheld instrument, byte at 30", {65535, 1000, 1000, 0, 0}, {{30, "a"}}, 1, 30, "a"},
    {"handheld instrument, byte queued", {65535, 1000, 1000, 0, 0}, {{0, "q"}}, 1, 0, "q"},
    {"handheld GPS, silence", {100, 100, 100, 100, 100}, {}, 1, 200, ""},
    {"handheld GPS, byte at 40", {100, 100, 100, 100, 100}, {{40, "$"}}, 1, 40, "$"},
    {"desktop, silence", {10, 0, 10, 0, 0}, {}, 1, 10, ""},
    {"desktop, byte at 5", {10, 0, 10, 0, 0}, {{5, "x"}}, 1, 5, "x"},
    {"what is there, nothing", {kM, 0, 0, 0, 0}, {}, 4, 0, ""},
    {"what is there, two bytes", {kM, 0, 0, 0, 0}, {{0, "ab"}}, 4, 0, "ab"},
    {"first bytes, silence", {kM, kM, 300, 0, 0}, {}, 4, 300, ""},
    {"first bytes at 50", {kM, kM, 300, 0, 0}, {{50, "xy"}, {60, "z"}}, 4, 50, "xy"},
    {"gap longer than the interval", {10, 0, 0, 0, 0}, {{0, "abc"}, {5, "de"}, {30, "f"}}, 10, 15, "abcde"},
    {"total runs out", {0, 10, 5, 0, 0}, {{0, "a"}, {20, "b"}, {60, "c"}}, 4, 45, "ab"},
    {"all bytes before the total", {0, 100, 0, 0, 0}, {{10, "ab"}, {20, "cd"}}, 4, 20, "abcd"},
};

TEST_F(VirtualPortTest, ReadTimeoutsRunOnThePlatformClock) {
  int com = 10;  // a port of its own per case: no feed of one case reaches the next
  for (const ReadCase& c : kReadCases) {
    SCOPED_TRACE(c.name);
    auto port = plat::test::AttachVirtualPort(++com);
    HANDLE h = OpenCom(com);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    COMMTIMEOUTS t = c.timeouts;
    ASSERT_TRUE(SetCommTimeouts(h, &t));
    const DWORD start = Tick();
    for (const auto& [at, bytes] : c.feeds) port->Feed(bytes, start + at);
    std::string buf(c.n, '\0');
    DWORD got = 99;
    ASSERT_TRUE(ReadPort(h, buf.data(), c.n, &got));
    EXPECT_EQ(Tick() - start, c.expectMs);
    buf.resize(got);
    EXPECT_EQ(buf, c.expect);
    EXPECT_TRUE(CloseHandle(h));
  }
}

TEST_F(VirtualPortTest, EventsInputIsALevelAndLinesAreEdges) {
  HANDLE h = Open();
  port_->Feed("z");
  port_->SetLines(MS_DSR_ON);  // before the mask: not an event
  ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_CTS));
  DWORD evt = 0;
  const DWORD start = Tick();
  ASSERT_TRUE(WaitCommEvent(h, &evt, nullptr));
  EXPECT_EQ(evt, DWORD{EV_RXCHAR});  // the byte queued before the wait
  EXPECT_EQ(Tick() - start, 0u);
  ASSERT_TRUE(WaitCommEvent(h, &evt, nullptr));
  EXPECT_EQ(evt, DWORD{EV_RXCHAR});  // still there: reported again

  char c;
  DWORD got = 0;
  ASSERT_TRUE(ReadPort(h, &c, 1, &got));
  port_->SetLines(MS_DSR_ON | MS_CTS_ON);  // DSR is not in the mask
  ASSERT_TRUE(WaitCommEvent(h, &evt, nullptr));
  EXPECT_EQ(evt, DWORD{EV_CTS});
  DWORD lines = 0;
  ASSERT_TRUE(GetCommModemStatus(h, &lines));
  EXPECT_EQ(lines, DWORD{MS_DSR_ON | MS_CTS_ON});

  // Edges under the mask are latched until a wait reports them, all at once.
  ASSERT_TRUE(SetCommMask(h, EV_CTS | EV_RLSD | EV_RING));
  port_->SetLines(MS_DSR_ON | MS_RING_ON | MS_RLSD_ON);
  ASSERT_TRUE(WaitCommEvent(h, &evt, nullptr));
  EXPECT_EQ(evt, DWORD{EV_CTS | EV_RLSD | EV_RING});
  DWORD mask = 0;
  ASSERT_TRUE(GetCommMask(h, &mask));
  EXPECT_EQ(mask, DWORD{EV_CTS | EV_RLSD | EV_RING});
  EXPECT_EQ(port_->Masks(), (std::vector<DWORD>{EV_RXCHAR | EV_CTS, EV_CTS | EV_RLSD | EV_RING}));

  ASSERT_TRUE(SetCommMask(h, 0));
  SetLastError(0);
  EXPECT_FALSE(WaitCommEvent(h, &evt, nullptr));  // nothing could ever end it
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_TRUE(CloseHandle(h));
}

// A line change scheduled at a tick takes effect then, in order with the bytes due at the same
// tick: a reader reading the lines before each byte sees the change with the byte after it.
TEST_F(VirtualPortTest, ScheduledLinesChangeAtTheirTick) {
  HANDLE h = Open();
  ASSERT_TRUE(SetCommMask(h, EV_CTS));
  const DWORD start = Tick();
  port_->Feed("a", start + 40);
  port_->SetLines(MS_CTS_ON, start + 47);
  port_->Feed("b", start + 47);
  port_->SetLines(0, start + 94);
  DWORD lines = 99;
  ASSERT_TRUE(GetCommModemStatus(h, &lines));
  EXPECT_EQ(lines, 0u);
  DWORD evt = 0;
  ASSERT_TRUE(WaitCommEvent(h, &evt, nullptr));
  EXPECT_EQ(evt, DWORD{EV_CTS});
  EXPECT_EQ(Tick() - start, 47u);
  ASSERT_TRUE(GetCommModemStatus(h, &lines));
  EXPECT_EQ(lines, DWORD{MS_CTS_ON});
  char c[2];
  DWORD got = 0;
  ASSERT_TRUE(ReadPort(h, c, 2, &got));
  EXPECT_EQ(std::string(c, got), "ab");
  ASSERT_TRUE(WaitCommEvent(h, &evt, nullptr));
  EXPECT_EQ(Tick() - start, 94u);
  ASSERT_TRUE(GetCommModemStatus(h, &lines));
  EXPECT_EQ(lines, 0u);
  port_->SetLines(MS_DSR_ON, start);  // a tick passed: at once
  ASSERT_TRUE(GetCommModemStatus(h, &lines));
  EXPECT_EQ(lines, DWORD{MS_DSR_ON});
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(VirtualPortTest, AFedByteEndsAnEventWaitAtItsTick) {
  HANDLE h = Open();
  ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
  const DWORD start = Tick();
  port_->Feed("k", start + 91);
  DWORD evt = 0;
  ASSERT_TRUE(WaitCommEvent(h, &evt, nullptr));
  EXPECT_EQ(evt, DWORD{EV_RXCHAR});
  EXPECT_EQ(Tick() - start, 91u);
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(VirtualPortTest, OpensAreExclusiveAndCanBeMadeToFail) {
  port_->FailOpens(9);
  for (int i = 1; i <= 9; ++i) {
    SetLastError(0);
    EXPECT_EQ(OpenCom(kCom), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  }
  HANDLE h = Open();  // the tenth try
  EXPECT_TRUE(port_->IsOpen());
  SetLastError(0);
  EXPECT_EQ(OpenCom(kCom), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(port_->IsOpen());

  port_->FailOpens(1, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenCom(kCom), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
  h = Open();
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(port_->OpenAttempts(), 13);
  EXPECT_EQ(port_->Opens(), 2);
  EXPECT_EQ(port_->Closes(), 2);

  // Detached, the number goes back to the devices (none here).
  plat::test::DetachVirtualPort(kCom);
  char dev[64];
  snprintf(dev, sizeof dev, "/dev/ttyS%d", kCom - 1);
  if (access(dev, F_OK) != 0) {
    EXPECT_EQ(OpenCom(kCom), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
  }
}

TEST_F(VirtualPortTest, EveryNameFormReachesThePort) {
  auto port = plat::test::AttachVirtualPort(12);
  const wchar_t* wide[] = {L"COM12:", L"com12", L"\\\\.\\COM12"};
  for (const wchar_t* name : wide) {
    HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_TRUE(CloseHandle(h));
  }
  HANDLE h = CreateFileA("\\\\.\\COM12", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(port->Opens(), 4);
}

TEST_F(VirtualPortTest, ABadDcbChangesNothing) {
  HANDLE h = Open();
  DCB good;
  ASSERT_TRUE(GetCommState(h, &good));
  EXPECT_EQ(good.BaudRate, DWORD{CBR_9600});
  good.BaudRate = CBR_4800;
  good.ByteSize = 7;
  good.Parity = EVENPARITY;
  good.StopBits = TWOSTOPBITS;
  ASSERT_TRUE(SetCommState(h, &good));

  struct Bad {
    const char* name;
    void (*spoil)(DCB&);
  } cases[] = {
      {"speed 14400", [](DCB& d) { d.BaudRate = 14400; }},
      {"speed 0", [](DCB& d) { d.BaudRate = 0; }},
      {"speed 230400", [](DCB& d) { d.BaudRate = 230400; }},
      {"4 data bits", [](DCB& d) { d.ByteSize = 4; }},
      {"9 data bits", [](DCB& d) { d.ByteSize = 9; }},
      {"parity 5", [](DCB& d) { d.Parity = 5; }},
      {"stop bits 3", [](DCB& d) { d.StopBits = 3; }},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.name);
    DCB bad = good;
    bad.fOutX = 1;  // a valid change riding along must not land either
    c.spoil(bad);
    SetLastError(0);
    EXPECT_FALSE(SetCommState(h, &bad));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
    DCB now;
    ASSERT_TRUE(GetCommState(h, &now));
    EXPECT_EQ(now.BaudRate, DWORD{CBR_4800});
    EXPECT_EQ(now.fOutX, 0u);
    DCB recorded;
    ASSERT_TRUE(port_->LastDcb(&recorded));
    EXPECT_EQ(recorded.BaudRate, DWORD{CBR_4800});
    EXPECT_EQ(recorded.ByteSize, 7);
    EXPECT_EQ(recorded.fOutX, 0u);
  }
  EXPECT_FALSE(SetCommState(h, nullptr));
  // The edges of the valid ranges are taken.
  DCB edge = good;
  edge.BaudRate = CBR_115200;
  edge.ByteSize = 5;
  edge.Parity = SPACEPARITY;
  edge.StopBits = ONE5STOPBITS;
  EXPECT_TRUE(SetCommState(h, &edge));
  EXPECT_TRUE(CloseHandle(h));

  // A new open starts from the device's current speed, with 8N1.
  h = Open();
  DCB fresh;
  ASSERT_TRUE(GetCommState(h, &fresh));
  EXPECT_EQ(fresh.BaudRate, DWORD{CBR_115200});
  EXPECT_EQ(fresh.ByteSize, 8);
  EXPECT_EQ(fresh.Parity, NOPARITY);
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(VirtualPortTest, AHeldWriteReturnsWithinItsBound) {
  HANDLE h = Open();
  struct Case {
    const char* name;
    DWORD wmult, wconst;
    DWORD expectMs;
  } cases[] = {
      {"no write time-outs: 1000 + 10 per byte", 0, 0, 1050},
      {"handheld GPS: 100 per byte + 100", 100, 100, 600},
      {"constant only", 0, 30, 30},
  };
  port_->HoldOutput(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    COMMTIMEOUTS t{0, 0, 0, c.wmult, c.wconst};
    ASSERT_TRUE(SetCommTimeouts(h, &t));
    const DWORD start = Tick();
    DWORD put = 99;
    EXPECT_TRUE(WritePort(h, "HX\r\n!", 5, &put));
    EXPECT_EQ(put, 0u);
    EXPECT_EQ(Tick() - start, c.expectMs);
  }
  COMSTAT stat;
  ASSERT_TRUE(ClearCommError(h, nullptr, &stat));
  EXPECT_EQ(stat.fXoffHold, 1u);
  const DWORD start = Tick();
  SetLastError(0);
  EXPECT_FALSE(TransmitCommChar(h, 'A'));  // not taken within the 30 ms bound
  EXPECT_EQ(GetLastError(), DWORD{ERROR_TIMEOUT});
  EXPECT_EQ(Tick() - start, 30u);
  EXPECT_EQ(port_->TakeOutput(), "");

  port_->HoldOutput(false);
  DWORD put = 0;
  EXPECT_TRUE(WritePort(h, "HX\r\n", 4, &put));
  EXPECT_EQ(put, 4u);
  EXPECT_TRUE(TransmitCommChar(h, 'A'));
  EXPECT_EQ(port_->TakeOutput(), "HX\r\nA");
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(VirtualPortTest, RecordersAndAResponder) {
  HANDLE h = Open();
  EXPECT_FALSE(port_->LastTimeouts(nullptr));
  COMMTIMEOUTS t{10, 0, 10, 0, 0};
  ASSERT_TRUE(SetCommTimeouts(h, &t));
  COMMTIMEOUTS recorded{};
  ASSERT_TRUE(port_->LastTimeouts(&recorded));
  EXPECT_EQ(recorded.ReadIntervalTimeout, 10u);
  EXPECT_EQ(recorded.ReadTotalTimeoutConstant, 10u);

  // A purge drops what has arrived, not what is still to come.
  const DWORD start = Tick();
  port_->Feed("old");
  port_->Feed("new", start + 5);
  ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR | PURGE_RXABORT));
  ASSERT_TRUE(PurgeComm(h, PURGE_TXCLEAR));
  SetLastError(0);
  EXPECT_FALSE(PurgeComm(h, 0x10));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_EQ(port_->Purges(), (std::vector<DWORD>{PURGE_RXCLEAR | PURGE_RXABORT, PURGE_TXCLEAR}));
  char buf[8];
  DWORD got = 0;
  ASSERT_TRUE(ReadPort(h, buf, 3, &got));
  EXPECT_EQ(std::string(buf, got), "new");

  // The responder answers the request byte within the write.
  port_->OnByte([this](unsigned char b) {
    if (b == 'A') port_->Feed(std::string("\x02R12 0.500\r", 11));
  });
  ASSERT_TRUE(TransmitCommChar(h, 'A'));
  EXPECT_EQ(port_->InputQueued(), 11u);
  ASSERT_TRUE(ReadPort(h, buf, 8, &got));
  EXPECT_EQ(std::string(buf, got), "\x02R12 0.5");
  EXPECT_EQ(port_->TakeOutput(), "A");
  EXPECT_TRUE(SetupComm(h, 4096, 4096));
  EXPECT_TRUE(EscapeCommFunction(h, CLRDTR));
  EXPECT_TRUE(CloseHandle(h));

  // Every call on the closed handle fails harmlessly.
  DCB dcb;
  DWORD w = 0;
  SetLastError(0);
  EXPECT_FALSE(GetCommState(h, &dcb));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
  EXPECT_FALSE(ReadPort(h, buf, 1, &got));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
  EXPECT_FALSE(WaitCommEvent(h, &w, nullptr));
  EXPECT_FALSE(TransmitCommChar(h, 'A'));
  EXPECT_FALSE(PurgeComm(nullptr, PURGE_RXCLEAR));
  EXPECT_FALSE(SetCommMask(INVALID_HANDLE_VALUE, EV_RXCHAR));
  EXPECT_FALSE(plat::CommHungUp(h));
}

// A close from another thread ends a blocked call at once, and the number is free again at once.
TEST_F(VirtualPortTest, CloseWakesBlockedCallsAndTheNumberReopens) {
  enum class Call { Read, WaitEvent, HeldWrite };
  for (Call call : {Call::Read, Call::WaitEvent, Call::HeldWrite}) {
    SCOPED_TRACE(static_cast<int>(call));
    HANDLE h = Open();
    port_->HoldOutput(call == Call::HeldWrite);
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_CTS));
    BOOL ok = TRUE;
    DWORD err = 0;
    std::function<void()> body = [&] {
      char buf[4] = "abc";
      DWORD n = 0;
      if (call == Call::Read) ok = ReadPort(h, buf, 1, &n);  // no time-outs: waits for the byte
      if (call == Call::WaitEvent) ok = WaitCommEvent(h, &n, nullptr);
      if (call == Call::HeldWrite) ok = WritePort(h, buf, 3, &n);  // bound 1030 ms
      err = GetLastError();
    };
    HANDLE thread = Start(&body);
    Sleep(10);  // returns once the call is blocked
    const auto closed = RealClock::now();
    EXPECT_TRUE(CloseHandle(h));
    HANDLE again = OpenCom(kCom);
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << GetLastError();
    Join(thread);
    EXPECT_LT(RealMsSince(closed), 50);
    EXPECT_FALSE(ok);
    EXPECT_EQ(err, DWORD{ERROR_OPERATION_ABORTED});
    EXPECT_TRUE(CloseHandle(again));
  }
}

TEST_F(VirtualPortTest, ALineEdgeWakesAWaitInAnotherThread) {
  HANDLE h = Open();
  ASSERT_TRUE(SetCommMask(h, EV_CTS));
  DWORD evt = 0;
  std::function<void()> body = [&] { EXPECT_TRUE(WaitCommEvent(h, &evt, nullptr)); };
  HANDLE thread = Start(&body);
  Sleep(25);
  port_->SetLines(MS_CTS_ON);  // the marker button
  Join(thread);
  EXPECT_EQ(evt, DWORD{EV_CTS});
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(VirtualPortTest, ANewMaskReleasesAPendingEventWait) {
  HANDLE h = Open();
  ASSERT_TRUE(SetCommMask(h, EV_CTS));
  BOOL ok = FALSE;
  DWORD evt = 99;
  std::function<void()> body = [&] { ok = WaitCommEvent(h, &evt, nullptr); };
  HANDLE thread = Start(&body);
  Sleep(10);
  ASSERT_TRUE(SetCommMask(h, EV_CTS));
  Join(thread);
  EXPECT_TRUE(ok);
  EXPECT_EQ(evt, 0u);
  EXPECT_TRUE(CloseHandle(h));
}

// Suspending never waits for the target; a reader suspended inside ReadFile stops at the call's
// exit and goes on only when resumed.
TEST_F(VirtualPortTest, SuspendWhileInReadFileParksTheReaderAtItsNextLayerCall) {
  HANDLE h = Open();
  std::atomic<bool> readReturned{false};
  std::function<void()> body = [&] {
    char c = 0;
    DWORD n = 0;
    EXPECT_TRUE(ReadPort(h, &c, 1, &n));
    readReturned = true;
    EXPECT_TRUE(WritePort(h, &c, n, &n));
  };
  HANDLE thread = Start(&body);
  Sleep(10);  // the reader is blocked in ReadFile now
  const auto start = RealClock::now();
  EXPECT_EQ(SuspendThread(thread), 0u);
  EXPECT_LT(RealMsSince(start), 5);

  port_->Feed("R");
  Sleep(10);  // the reader has taken the byte and parked
  EXPECT_EQ(port_->InputQueued(), 0u);
  EXPECT_FALSE(readReturned);
  EXPECT_EQ(port_->TakeOutput(), "");

  EXPECT_EQ(ResumeThread(thread), 1u);
  Join(thread);
  EXPECT_TRUE(readReturned);
  EXPECT_EQ(port_->TakeOutput(), "R");
  EXPECT_TRUE(CloseHandle(h));
}

}  // namespace
