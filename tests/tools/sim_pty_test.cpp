// The pty sink on the real clock: paced streams, waiting for the program to open the port,
// capturing what it sends, and ending on the stop flag.
// test-labels: threads e2e
#include <fcntl.h>
#include <sys/socket.h>
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <unistd.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "sim/gps.h"
#include "sim/instrument.h"
#include "open_com.h"
#include "sim/pty_sink.h"

namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point t) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

// Reads until n bytes have come or a read returns nothing.
std::string ReadPort(HANDLE h, size_t n) {
  std::string out;
  char buf[256];
  while (out.size() < n) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(n - out.size() < sizeof buf ? n - out.size() : sizeof buf);
    if (!ReadFile(h, buf, want, &got, nullptr) || got == 0) break;
    out.append(buf, got);
  }
  return out;
}

std::string Concat(sim::Stream& s) {
  std::string all;
  sim::Chunk c;
  while (s.Next(&c)) all += c.bytes;
  return all;
}

class PtySink : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::UseTempRoot(); }
  void TearDown() override { plat::test::Reset(); }
};

TEST_F(PtySink, PacedStreamKeepsItsPeriod) {
  const int master = plat::test::CreatePtyPort(2);
  ASSERT_GE(master, 0);
  sim::InstrumentOptions o;
  o.model = 7;
  o.count = 5;
  sim::InstrumentStream stream(o), expected(o);
  sim::PtyOptions po;
  po.paced = true;
  po.baud = 19200;
  po.lingerMs = 0;
  const auto start = Clock::now();
  const sim::PtyResult r = sim::StreamToPty(master, stream, po);
  const long took = MsSince(start);
  EXPECT_EQ(r.chunks, 5);
  EXPECT_EQ(r.bytes, 80);
  // Four periods, then the last frame's 16 bytes at the line rate: the 16th starts 7.8 ms in.
  EXPECT_GE(took, 4 * 47 + 7);
  EXPECT_LT(took, 1500);
  HANDLE h = OpenCom(2, MAXDWORD, 0, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadPort(h, 80), Concat(expected));
  CloseHandle(h);
}

TEST_F(PtySink, WaitsForTheProgramAndCapturesWhatItSends) {
  sim::PtyLink link;
  std::string error;
  ASSERT_TRUE(sim::CreatePtyLink(plat::DeviceDir(), 3, &link, &error)) << error;
  char target[256] = {};
  ASSERT_GT(readlink(link.linkPath.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(link.slavePath, target);

  int capture[2];
  ASSERT_EQ(pipe2(capture, O_CLOEXEC | O_NONBLOCK), 0);
  sim::GpsOptions go;
  go.count = 3;
  go.rateHz = 20;
  sim::NmeaStream stream(go), expected(go);
  sim::PtyOptions po;
  po.waitForOpen = true;
  po.captureFd = capture[1];
  po.lingerMs = 300;
  std::atomic<bool> done{false};
  sim::PtyResult r;
  std::thread player([&] {
    r = sim::StreamToPty(link.master, stream, po);
    done = true;
  });
  // Three cycles at 20 Hz take 100 ms: still waiting after 250 ms means it waits for the open.
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  EXPECT_FALSE(done.load());

  HANDLE h = OpenCom(3, 100, 100, 100);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const std::string command = "$PSRF100,1*00\r\n";
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(h, command.data(), static_cast<DWORD>(command.size()), &put, nullptr));
  const std::string all = Concat(expected);
  EXPECT_EQ(ReadPort(h, all.size()), all);
  player.join();
  CloseHandle(h);
  EXPECT_EQ(r.chunks, 9);
  EXPECT_FALSE(r.failed);
  char buf[64] = {};
  const ssize_t n = read(capture[0], buf, sizeof buf);
  EXPECT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) : 0), command);
  close(capture[0]);
  close(capture[1]);

  sim::RemovePtyLink(&link);
  EXPECT_NE(access(link.linkPath.c_str(), F_OK), 0);
}

TEST_F(PtySink, StopFlagEndsAStreamWithoutEnd) {
  const int master = plat::test::CreatePtyPort(4);
  ASSERT_GE(master, 0);
  HANDLE h = OpenCom(4, MAXDWORD, 0, 0);  // a reader, so the pty never fills
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  sim::InstrumentOptions o;
  o.periodMs = 5;
  sim::InstrumentStream stream(o);
  std::atomic<bool> stop{false};
  sim::PtyOptions po;
  po.stop = &stop;
  sim::PtyResult r;
  std::thread player([&] { r = sim::StreamToPty(master, stream, po); });
  std::string got;
  const auto start = Clock::now();
  while (MsSince(start) < 100) {
    got += ReadPort(h, 4096);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  stop = true;
  const auto stopped = Clock::now();
  player.join();
  EXPECT_LT(MsSince(stopped), 200);
  EXPECT_TRUE(r.stopped);
  EXPECT_GT(r.chunks, 5);
  EXPECT_EQ(got.substr(0, 13), std::string("T\x74 -200") + "00500\r");
  CloseHandle(h);
}

// Paced bytes are handed over one at a time, or as a UART's receive FIFO hands them over: whole
// groups once their last byte is in, a frame's shorter tail after the FIFO's time-out. A socket
// that keeps message boundaries shows each write the sink makes.
TEST_F(PtySink, PacedBytesComeAloneOrInFifoGroups) {
  struct Case {
    int fifoBytes;
    std::vector<size_t> writes;  // of two 13-byte RZ12 frames
  };
  const Case cases[] = {
      {0, std::vector<size_t>(26, 1)},
      {8, {8, 5, 8, 5}},
      {16, {13, 13}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fifoBytes);
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
    sim::InstrumentOptions o;
    o.count = 2;
    o.periodMs = 20;
    sim::InstrumentStream stream(o), expected(o);
    sim::PtyOptions po;
    po.paced = true;
    po.baud = 9600;
    po.fifoBytes = c.fifoBytes;
    po.lingerMs = 0;
    const auto start = Clock::now();
    const sim::PtyResult r = sim::StreamToPty(fds[0], stream, po);
    // The second frame starts 20 ms in, and its last byte (or its tail's time-out) ends it.
    EXPECT_GE(MsSince(start), 20 + 12);
    EXPECT_EQ(r.bytes, 26);
    std::vector<size_t> writes;
    std::string all;
    char buf[64];
    ssize_t n;
    while ((n = recv(fds[1], buf, sizeof buf, MSG_DONTWAIT)) > 0) {
      writes.push_back(static_cast<size_t>(n));
      all.append(buf, static_cast<size_t>(n));
    }
    EXPECT_EQ(writes, c.writes);
    EXPECT_EQ(all, Concat(expected));
    close(fds[0]);
    close(fds[1]);
  }
}

}  // namespace
