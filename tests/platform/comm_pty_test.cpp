// Comm ports on a pseudo-terminal: the real termios path, exclusivity, the device folder, hang-up,
// and a close that wakes calls blocked in other threads.
// test-labels: threads
#include <fcntl.h>
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include "comm_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point t) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

using plat::test::OpenCom;
using plat::test::ReadPort;
using plat::test::WritePort;

void SetTimeouts(HANDLE h, DWORD interval, DWORD mult, DWORD constant, DWORD wmult = 0, DWORD wconst = 0) {
  COMMTIMEOUTS t{interval, mult, constant, wmult, wconst};
  ASSERT_TRUE(SetCommTimeouts(h, &t));
}

// Reads from the pty master until n bytes have come or the real time limit has passed.
std::string ReadMaster(int fd, size_t n, int limitMs) {
  std::string out;
  const auto start = Clock::now();
  while (out.size() < n && MsSince(start) < limitMs) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 10) <= 0) continue;
    char buf[512];
    const ssize_t r = read(fd, buf, sizeof buf);
    if (r <= 0) break;
    out.append(buf, static_cast<size_t>(r));
  }
  return out;
}

void WriteMaster(int fd, const std::string& bytes) {
  ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

std::string DevEntry(int n) {
  char path[512];
  snprintf(path, sizeof path, "%s/COM%d", plat::DeviceDir(), n);
  return path;
}

struct LineSettings {
  const char* name;
  DWORD baud;
  BYTE byteSize;
  BYTE parity;
  BYTE stopBits;
  bool xonXoff;
  unsigned dtr;
  unsigned rts;
  speed_t speed;
};

// The instrument port and the GPS port as the programs set them.
const LineSettings kSettings[] = {
    {"instrument 9600 8N1", CBR_9600, 8, NOPARITY, ONESTOPBIT, false, DTR_CONTROL_ENABLE, RTS_CONTROL_DISABLE, B9600},
    {"GPS 4800 7E2 XON/XOFF", CBR_4800, 7, EVENPARITY, TWOSTOPBITS, true, DTR_CONTROL_ENABLE, RTS_CONTROL_ENABLE,
     B4800},
};

void Apply(HANDLE h, const LineSettings& s) {
  DCB dcb;
  ASSERT_TRUE(GetCommState(h, &dcb));
  dcb.BaudRate = s.baud;
  dcb.ByteSize = s.byteSize;
  dcb.Parity = s.parity;
  dcb.StopBits = s.stopBits;
  dcb.fOutX = s.xonXoff;
  dcb.fInX = s.xonXoff;
  dcb.fDtrControl = s.dtr;
  dcb.fRtsControl = s.rts;
  ASSERT_TRUE(SetCommState(h, &dcb));
}

void ExpectRaw(const termios& t) {
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | PARMRK), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
}

class PtyPort : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::UseTempRoot();
    master_ = plat::test::CreatePtyPort(3);
    ASSERT_GE(master_, 0);
  }
  void TearDown() override { plat::test::Reset(); }

  HANDLE Open() {
    HANDLE h = OpenCom(3);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    return h;
  }

  int master_ = -1;
};

TEST_F(PtyPort, SettingsReachTheDeviceAsRawTermios) {
  for (const LineSettings& s : kSettings) {
    SCOPED_TRACE(s.name);
    HANDLE h = Open();
    Apply(h, s);

    termios applied;
    ASSERT_TRUE(plat::test::LastAppliedTermios(3, &applied));
    EXPECT_EQ(cfgetospeed(&applied), s.speed);
    EXPECT_EQ(cfgetispeed(&applied), s.speed);
    EXPECT_EQ(applied.c_cflag & CSIZE, s.byteSize == 7 ? tcflag_t{CS7} : tcflag_t{CS8});
    EXPECT_EQ((applied.c_cflag & PARENB) != 0, s.parity == EVENPARITY);
    EXPECT_EQ(applied.c_cflag & (PARODD | CMSPAR), 0u);
    EXPECT_EQ((applied.c_cflag & CSTOPB) != 0, s.stopBits == TWOSTOPBITS);
    EXPECT_EQ(applied.c_iflag & (IXON | IXOFF), s.xonXoff ? tcflag_t{IXON | IXOFF} : 0u);
    EXPECT_EQ(applied.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(applied.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});
    EXPECT_EQ(applied.c_cc[VMIN], 0);
    EXPECT_EQ(applied.c_cc[VTIME], 0);
    if (s.xonXoff) {
      EXPECT_EQ(applied.c_cc[VSTART], 0x11);
      EXPECT_EQ(applied.c_cc[VSTOP], 0x13);
    }
    ExpectRaw(applied);

    // What the slave really has (a pty keeps CS8 and no parity whatever it is given).
    termios slave;
    ASSERT_EQ(tcgetattr(master_, &slave), 0);
    EXPECT_EQ(cfgetospeed(&slave), s.speed);
    EXPECT_EQ((slave.c_cflag & CSTOPB) != 0, s.stopBits == TWOSTOPBITS);
    EXPECT_EQ(slave.c_iflag & (IXON | IXOFF), s.xonXoff ? tcflag_t{IXON | IXOFF} : 0u);
    ExpectRaw(slave);

    DCB back;
    ASSERT_TRUE(GetCommState(h, &back));
    EXPECT_EQ(back.BaudRate, s.baud);
    EXPECT_EQ(back.ByteSize, s.byteSize);
    EXPECT_EQ(back.Parity, s.parity);
    EXPECT_EQ(back.StopBits, s.stopBits);
    EXPECT_EQ(back.fRtsControl, s.rts);
    EXPECT_TRUE(CloseHandle(h));
  }
}

TEST_F(PtyPort, EveryCodeMapsOntoTermios) {
  struct Case {
    const char* name;
    void (*set)(DCB&);
    tcflag_t cflag;  // within CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS
    tcflag_t iflag;  // within IXON | IXOFF
  } cases[] = {
      {"odd", [](DCB& d) { d.Parity = ODDPARITY; }, CS8 | PARENB | PARODD, 0},
      {"mark", [](DCB& d) { d.Parity = MARKPARITY; }, CS8 | PARENB | PARODD | CMSPAR, 0},
      {"space", [](DCB& d) { d.Parity = SPACEPARITY; }, CS8 | PARENB | CMSPAR, 0},
      {"5 bits, 1.5 stop", [](DCB& d) { d.ByteSize = 5; d.StopBits = ONE5STOPBITS; }, CS5 | CSTOPB, 0},
      {"6 bits", [](DCB& d) { d.ByteSize = 6; }, CS6, 0},
      {"CTS flow", [](DCB& d) { d.fOutxCtsFlow = 1; }, CS8 | CRTSCTS, 0},
      {"RTS handshake", [](DCB& d) { d.fRtsControl = RTS_CONTROL_HANDSHAKE; }, CS8 | CRTSCTS, 0},
      {"XON/XOFF out only", [](DCB& d) { d.fOutX = 1; }, CS8, IXON},
      {"DSR flow is stored only", [](DCB& d) { d.fOutxDsrFlow = 1; }, CS8, 0},
  };
  HANDLE h = Open();
  DCB base;
  ASSERT_TRUE(GetCommState(h, &base));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DCB d = base;
    c.set(d);
    ASSERT_TRUE(SetCommState(h, &d));
    termios t;
    ASSERT_TRUE(plat::test::LastAppliedTermios(3, &t));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), c.cflag);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), c.iflag);
    EXPECT_EQ(t.c_iflag & (INPCK | IGNPAR), 0u);  // parity is never checked
  }
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(PtyPort, OpensWithTheStoredDefaultsAndRefusesABadDcb) {
  HANDLE h = Open();
  DCB dcb;
  ASSERT_TRUE(GetCommState(h, &dcb));
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fDtrControl, unsigned{DTR_CONTROL_ENABLE});
  EXPECT_EQ(dcb.fRtsControl, unsigned{RTS_CONTROL_ENABLE});
  EXPECT_EQ(dcb.XonChar, 0x11);
  EXPECT_EQ(dcb.XoffChar, 0x13);
  EXPECT_EQ(dcb.XonLim, 2048);
  EXPECT_EQ(dcb.XoffLim, 512);
  COMMTIMEOUTS t;
  ASSERT_TRUE(GetCommTimeouts(h, &t));
  EXPECT_EQ(t.ReadIntervalTimeout + t.ReadTotalTimeoutMultiplier + t.ReadTotalTimeoutConstant +
                t.WriteTotalTimeoutMultiplier + t.WriteTotalTimeoutConstant,
            0u);
  termios before;
  ASSERT_TRUE(plat::test::LastAppliedTermios(3, &before));
  ExpectRaw(before);

  // A refused DCB never reaches tcsetattr.
  DCB bad = dcb;
  bad.BaudRate = 14400;
  SetLastError(0);
  EXPECT_FALSE(SetCommState(h, &bad));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  termios after;
  ASSERT_TRUE(plat::test::LastAppliedTermios(3, &after));
  EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(PtyPort, AllByteValuesRoundTripBothWays) {
  HANDLE h = Open();
  Apply(h, kSettings[0]);
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));

  WriteMaster(master_, all);
  SetTimeouts(h, 0, 0, 2000);
  std::string in(256, '\0');
  DWORD got = 0;
  ASSERT_TRUE(ReadPort(h, in.data(), 256, &got));
  ASSERT_EQ(got, 256u);
  EXPECT_EQ(in, all);

  DWORD put = 0;
  ASSERT_TRUE(WritePort(h, all.data(), 256, &put));
  EXPECT_EQ(put, 256u);
  EXPECT_EQ(ReadMaster(master_, 256, 2000), all);
  EXPECT_TRUE(TransmitCommChar(h, 'A'));
  EXPECT_EQ(ReadMaster(master_, 1, 2000), "A");
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(PtyPort, InputLevelPurgeAndLinesOfAPty) {
  HANDLE h = Open();
  SetTimeouts(h, MAXDWORD, 0, 0);
  // A byte that came before the wait is reported at once.
  WriteMaster(master_, "xyz");
  ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_CTS));
  DWORD evt = 0;
  ASSERT_TRUE(WaitCommEvent(h, &evt, nullptr));
  EXPECT_EQ(evt, DWORD{EV_RXCHAR});
  DWORD errors = 1;
  COMSTAT stat;
  ASSERT_TRUE(ClearCommError(h, &errors, &stat));
  EXPECT_EQ(errors, 0u);
  EXPECT_EQ(stat.cbInQue, 3u);

  ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR));
  char buf[4];
  DWORD got = 9;
  ASSERT_TRUE(ReadPort(h, buf, sizeof buf, &got));
  EXPECT_EQ(got, 0u);

  DWORD lines = 1;
  ASSERT_TRUE(GetCommModemStatus(h, &lines));
  EXPECT_EQ(lines, 0u);  // a pty has no modem lines
  EXPECT_TRUE(EscapeCommFunction(h, SETDTR));
  EXPECT_FALSE(EscapeCommFunction(h, 99));
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(PtyPort, ExclusiveInThisProcessAndAgainstAnother) {
  HANDLE h = Open();
  SetLastError(0);
  EXPECT_EQ(OpenCom(3), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE other = OpenCom(3);
    _exit(other == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process could open the port";

  EXPECT_TRUE(CloseHandle(h));
  HANDLE again = Open();
  EXPECT_TRUE(CloseHandle(again));
}

TEST_F(PtyPort, DeviceFolderEntries) {
  char slave[256] = {};
  ASSERT_GT(readlink(DevEntry(3).c_str(), slave, sizeof slave - 1), 0);
  const std::string notTty = std::string(plat::DeviceDir()) + "/plain.txt";
  {
    FILE* f = fopen(notTty.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    f = fopen(DevEntry(5).c_str(), "w");  // a regular file naming the device
    ASSERT_NE(f, nullptr);
    fprintf(f, "  %s  \n", slave);
    fclose(f);
  }
  ASSERT_EQ(symlink("/nonexistent/ttyX", DevEntry(6).c_str()), 0);
  ASSERT_EQ(symlink(notTty.c_str(), DevEntry(7).c_str()), 0);
  ASSERT_EQ(mkdir(DevEntry(8).c_str(), 0755), 0);

  struct Case {
    int com;
    DWORD error;  // 0: opens
  } cases[] = {{5, 0},
               {6, ERROR_FILE_NOT_FOUND},
               {7, ERROR_FILE_NOT_FOUND},
               {8, ERROR_FILE_NOT_FOUND},
               {200, ERROR_FILE_NOT_FOUND}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.com);
    SetLastError(0);
    HANDLE h = OpenCom(c.com);
    if (c.error == 0) {
      ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
      // The same device through another name is still exclusive.
      EXPECT_EQ(OpenCom(3), INVALID_HANDLE_VALUE);
      EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
      EXPECT_TRUE(CloseHandle(h));
    } else {
      EXPECT_EQ(h, INVALID_HANDLE_VALUE);
      EXPECT_EQ(GetLastError(), c.error);
    }
  }
}

TEST_F(PtyPort, XoffHoldsAWriteOnlyUntilItsBound) {
  HANDLE h = Open();
  Apply(h, kSettings[1]);
  SetTimeouts(h, 0, 0, 0, 0, 60);
  WriteMaster(master_, "\x13");  // XOFF from the receiver
  ReadMaster(master_, 1, 20);
  const auto start = Clock::now();
  DWORD put = 99;
  EXPECT_TRUE(WritePort(h, "$PCMD\r\n", 7, &put));
  const long ms = MsSince(start);
  EXPECT_GE(ms, 55);
  EXPECT_LT(ms, 500);
  EXPECT_LT(put, 7u);

  WriteMaster(master_, "\x11");  // XON: the rest goes out
  SetTimeouts(h, 0, 0, 0, 0, 1000);
  DWORD rest = 0;
  EXPECT_TRUE(WritePort(h, "$PCMD\r\n" + put, 7 - put, &rest));
  EXPECT_EQ(put + rest, 7u);
  EXPECT_EQ(ReadMaster(master_, 7, 1000), "$PCMD\r\n");
  EXPECT_TRUE(CloseHandle(h));
}

// Runs `call` on a thread and returns once the call has had time to block: acting on the handle
// before the thread is inside its call would test a stale handle instead.
class BlockedCall {
 public:
  explicit BlockedCall(std::function<void()> call)
      : thread_([this, call] {
          started_ = true;
          call();
          returned_ = Clock::now();
        }) {
    while (!started_) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // Joins the thread; the time from `since` to the call's return, in ms.
  long JoinMsSince(Clock::time_point since) {
    thread_.join();
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(returned_ - since).count());
  }

 private:
  std::atomic<bool> started_{false};
  Clock::time_point returned_{};
  std::thread thread_;  // last, so it starts once the members above exist
};

TEST_F(PtyPort, AHungUpDeviceIsSilentForTheWholeTimeout) {
  HANDLE h = Open();
  SetTimeouts(h, 0, 0, 150);
  BOOL ok = FALSE;
  DWORD got = 9;
  long readMs = 0;
  std::thread reader([&] {
    const auto start = Clock::now();
    char c;
    ok = ReadPort(h, &c, 1, &got);
    readMs = MsSince(start);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(plat::test::ClosePtyMaster(3));
  reader.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(got, 0u);
  EXPECT_GE(readMs, 145);
  EXPECT_TRUE(plat::CommHungUp(h));

  // Every later read waits its time-out too: no reader loop can spin on a dead device.
  SetTimeouts(h, 10, 0, 60);
  const auto start = Clock::now();
  char buf[8];
  EXPECT_TRUE(ReadPort(h, buf, sizeof buf, &got));
  EXPECT_EQ(got, 0u);
  EXPECT_GE(MsSince(start), 55);
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(PtyPort, AHungUpDeviceKeepsAnEventWaitWaitingUntilTheClose) {
  HANDLE h = Open();
  ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_CTS));
  ASSERT_TRUE(plat::test::ClosePtyMaster(3));
  BOOL ok = TRUE;
  DWORD err = 0;
  BlockedCall waiter([&] {
    DWORD evt = 0;
    ok = WaitCommEvent(h, &evt, nullptr);
    err = GetLastError();
  });
  const auto closed = Clock::now();
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_LT(waiter.JoinMsSince(closed), 50);
  EXPECT_FALSE(ok);
  EXPECT_EQ(err, DWORD{ERROR_OPERATION_ABORTED});
}

TEST_F(PtyPort, ANewMaskReleasesAPendingEventWait) {
  HANDLE h = Open();
  ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
  BOOL ok = FALSE;
  DWORD evt = 99;
  BlockedCall waiter([&] { ok = WaitCommEvent(h, &evt, nullptr); });
  ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
  waiter.JoinMsSince(Clock::now());
  EXPECT_TRUE(ok);
  EXPECT_EQ(evt, 0u);
  // The released wait leaves nothing behind: the next wait sees the next byte.
  WriteMaster(master_, "k");
  ASSERT_TRUE(WaitCommEvent(h, &evt, nullptr));
  EXPECT_EQ(evt, DWORD{EV_RXCHAR});
  EXPECT_TRUE(CloseHandle(h));
}

// A close from another thread ends a blocked call at once, and the number is free again at once.
TEST_F(PtyPort, CloseWakesBlockedCallsAndTheNumberReopens) {
  enum class Call { Read, WaitEvent, HeldWrite };
  for (Call call : {Call::Read, Call::WaitEvent, Call::HeldWrite}) {
    SCOPED_TRACE(static_cast<int>(call));
    HANDLE h = Open();
    if (call == Call::HeldWrite) {
      Apply(h, kSettings[1]);
      WriteMaster(master_, "\x13");
      ReadMaster(master_, 1, 20);
    }
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
    BOOL ok = TRUE;
    DWORD err = 0;
    BlockedCall blocked([&] {
      char buf[16] = "0123456789abcde";
      DWORD n = 0;
      if (call == Call::Read) ok = ReadPort(h, buf, 1, &n);  // no time-outs: waits for the byte
      if (call == Call::WaitEvent) ok = WaitCommEvent(h, &n, nullptr);
      if (call == Call::HeldWrite) ok = WritePort(h, buf, 15, &n);  // bound 1150 ms
      err = GetLastError();
    });
    const auto closed = Clock::now();
    EXPECT_TRUE(CloseHandle(h));
    HANDLE again = OpenCom(3);
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << GetLastError();
    // Measured from the close to the blocked call's return.
    EXPECT_LT(blocked.JoinMsSince(closed), 50);
    EXPECT_FALSE(ok);
    EXPECT_EQ(err, DWORD{ERROR_OPERATION_ABORTED});
    // The old handle is dead for good.
    DCB dcb;
    EXPECT_FALSE(GetCommState(h, &dcb));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    EXPECT_TRUE(CloseHandle(again));
    if (call == Call::HeldWrite) WriteMaster(master_, "\x11");
  }
}

// A one-byte read takes what the driver holds in one go; the bytes it took ahead of the program
// stay its input queue in every respect, and come next, before anything that arrives later.
// A one-byte reader that has emptied the device waits before it reads again: whatever came in
// between, and whatever comes during the wait, still arrives, in order, under every time-out.
TEST_F(PtyPort, AReaderBetweenBytesMissesNoneOfThem) {
  struct Case {
    const char* name;
    COMMTIMEOUTS timeouts;
    const char* sent;  // after the first byte was read; the one-byte reads bring it back
    int gapMs;         // between the bytes sent (0: all at once, before the reads)
  };
  const Case cases[] = {
      {"already waiting, read with no time-out", {MAXDWORD, 0, 0, 0, 0}, "bc", 0},
      {"already waiting, read within 1 ms", {0, 0, 1, 0, 0}, "bc", 0},
      {"arriving during the instrument's wait", {65535, 1000, 1000, 0, 0}, "bc", 20},
      {"a frame's bytes each alone", {65535, 1000, 1000, 0, 0}, "0123456789\r\n", 1},
      {"a sentence at the GPS port's time-outs", {100, 100, 100, 100, 100}, "$GPGGA*00\r\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    master_ = plat::test::CreatePtyPort(3);
    ASSERT_GE(master_, 0);
    HANDLE h = Open();
    SetTimeouts(h, 65535, 1000, 1000);
    WriteMaster(master_, "a");
    char b = 0;
    DWORD got = 0;
    ASSERT_TRUE(ReadPort(h, &b, 1, &got));
    ASSERT_EQ(got, 1u);
    ASSERT_EQ(b, 'a');
    COMMTIMEOUTS t = c.timeouts;
    ASSERT_TRUE(SetCommTimeouts(h, &t));
    const std::string sent = c.sent;
    std::thread writer;
    if (c.gapMs == 0) {
      WriteMaster(master_, sent);
      COMSTAT stat{};
      const auto start = Clock::now();
      while (ClearCommError(h, nullptr, &stat) && stat.cbInQue < sent.size() && MsSince(start) < 1000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      ASSERT_EQ(stat.cbInQue, sent.size());
    } else {
      writer = std::thread([&] {
        for (char ch : sent) {
          std::this_thread::sleep_for(std::chrono::milliseconds(c.gapMs));
          WriteMaster(master_, std::string(1, ch));
        }
      });
    }
    std::string read;
    for (size_t i = 0; i < sent.size(); ++i) {
      got = 0;
      EXPECT_TRUE(ReadPort(h, &b, 1, &got));
      if (got == 1) read += b;
    }
    if (writer.joinable()) writer.join();
    EXPECT_EQ(read, sent);
    EXPECT_TRUE(CloseHandle(h));
  }
}

TEST_F(PtyPort, BytesTakenAheadOfTheReaderStayItsInputQueue) {
  struct Case {
    const char* name;
    std::function<void(HANDLE, int master)> after;  // after "a" was read of "abcdef"
  };
  auto read = [](HANDLE h, DWORD n, DWORD constantMs) {
    SetTimeouts(h, 0, 0, constantMs);
    std::string buf(n, '\0');
    DWORD got = 0;
    EXPECT_TRUE(ReadPort(h, buf.data(), n, &got));
    buf.resize(got);
    return buf;
  };
  const Case cases[] = {
      {"counted by ClearCommError",
       [](HANDLE h, int) {
         COMSTAT stat{};
         ASSERT_TRUE(ClearCommError(h, nullptr, &stat));
         EXPECT_EQ(stat.cbInQue, 5u);
       }},
      {"reported by EV_RXCHAR at once",
       [](HANDLE h, int) {
         ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
         std::atomic<bool> done{false};
         DWORD evt = 0;
         std::thread waiter([&] {
           WaitCommEvent(h, &evt, nullptr);
           done = true;
         });
         const auto start = Clock::now();
         while (!done && MsSince(start) < 1000) std::this_thread::sleep_for(std::chrono::milliseconds(2));
         EXPECT_TRUE(done) << "the wait did not see the queued bytes";
         if (!done) SetCommMask(h, EV_RXCHAR);  // releases the wait
         waiter.join();
         EXPECT_EQ(evt, done ? DWORD{EV_RXCHAR} : 0u);
       }},
      {"dropped by the receive purge",
       [&read](HANDLE h, int master) {
         ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR));
         SetTimeouts(h, MAXDWORD, 0, 0);
         char c;
         DWORD got = 9;
         ASSERT_TRUE(ReadPort(h, &c, 1, &got));
         EXPECT_EQ(got, 0u);
         WriteMaster(master, "z");
         EXPECT_EQ(read(h, 1, 1000), "z");
       }},
      {"read before later bytes",
       [&read](HANDLE h, int master) {
         WriteMaster(master, "gh");
         EXPECT_EQ(read(h, 7, 1000), "bcdefgh");
       }},
      {"handed out after a hang-up, then silence for the whole time-out",
       [&read](HANDLE h, int) {
         ASSERT_TRUE(plat::test::ClosePtyMaster(3));
         EXPECT_EQ(read(h, 5, 100), "bcdef");
         const auto start = Clock::now();
         EXPECT_EQ(read(h, 1, 150), "");
         EXPECT_GE(MsSince(start), 145);
         EXPECT_TRUE(plat::CommHungUp(h));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    master_ = plat::test::CreatePtyPort(3);  // a fresh pair for each case
    ASSERT_GE(master_, 0);
    HANDLE h = Open();
    WriteMaster(master_, "abcdef");
    COMSTAT stat{};
    const auto start = Clock::now();
    while (ClearCommError(h, nullptr, &stat) && stat.cbInQue < 6 && MsSince(start) < 1000) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(stat.cbInQue, 6u);
    EXPECT_EQ(read(h, 1, 1000), "a");
    c.after(h, master_);
    EXPECT_TRUE(CloseHandle(h));
  }
}

}  // namespace
