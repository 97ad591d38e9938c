// The simulated RZ56-MK2: the responder's answers and their times, its frames and faults, and
// its two sinks (a virtual port on the virtual clock, a pty master on the real clock).
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/test_clock.h>
#include <plat/test_comm.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "open_com.h"
#include "sim/rz56.h"
#include "sim/rz56_pty.h"
#include "sim/rz56_virtual.h"

namespace {

using sim::Rz56Options;
using sim::Rz56Out;
using sim::Rz56Responder;

std::string Bytes(const std::vector<Rz56Out>& out) {
  std::string s;
  for (const Rz56Out& o : out) s.push_back(static_cast<char>(o.byte));
  return s;
}

// Sends the bytes at the times given and collects every answer.
std::vector<Rz56Out> Send(Rz56Responder& r, const std::vector<std::pair<char, double>>& bytes) {
  std::vector<Rz56Out> out;
  for (const auto& [b, at] : bytes) r.Receive(static_cast<unsigned char>(b), at, &out);
  return out;
}

const double kByteMs = 10000.0 / 9600;

TEST(Rz56Responder, AnswersRequestsAndCommandsAtTheLineRate) {
  Rz56Responder r{Rz56Options{}};
  EXPECT_EQ(r.Mode(), sim::Rz56Mode::kRequest);
  // 'A': one frame 3 ms later, a byte every 1.04 ms.
  std::vector<Rz56Out> out = Send(r, {{'A', 100}});
  ASSERT_EQ(out.size(), 15u);
  EXPECT_EQ(Bytes(out), r.Frame(0));
  EXPECT_DOUBLE_EQ(out[0].atMs, 103);
  EXPECT_NEAR(out[14].atMs, 103 + 14 * kByteMs, 1e-9);
  // Frame 0 is 'T', gain 0, counts 1000, 500, 250, 125, current 1800, battery 70, 0x7F 0x7F.
  EXPECT_EQ(r.Frame(0), std::string("T\x00\x03\xE8\x01\xF4\x00\xFA\x00\x7D\x07\x08\x46\x7F\x7F", 15));

  // 'H' 'X': "OK" 20 ms after the 'X'.
  out = Send(r, {{'H', 200}, {'X', 201}});
  ASSERT_EQ(Bytes(out), "OK");
  EXPECT_DOUBLE_EQ(out[0].atMs, 221);
  // 'H' then another byte: no "OK"; that byte counts on its own ('A' answered), others are ignored.
  EXPECT_EQ(Bytes(Send(r, {{'H', 300}, {'Q', 301}, {'X', 302}, {'z', 303}, {'W', 304}})), "");
  EXPECT_EQ(Bytes(Send(r, {{'H', 400}, {'A', 401}})), r.Frame(1));
  EXPECT_EQ(r.Mode(), sim::Rz56Mode::kRequest);

  // 'H' 'W': wheel mode; 'A' is ignored and a frame comes every wheel period.
  out = Send(r, {{'H', 500}, {'W', 501}, {'A', 530}});
  EXPECT_EQ(Bytes(out), "OK");
  EXPECT_EQ(r.Mode(), sim::Rz56Mode::kWheel);
  EXPECT_DOUBLE_EQ(r.NextWheelMs(), 601);
  out.clear();
  EXPECT_EQ(r.WheelDue(750, &out), 2);
  EXPECT_EQ(Bytes(out), r.Frame(2) + r.Frame(3));
  EXPECT_DOUBLE_EQ(out[15].atMs, 701);
  out.clear();
  EXPECT_TRUE(r.Trigger(860, &out));
  EXPECT_EQ(Bytes(out), r.Frame(4));
  // Back to request mode: no more wheel frames, and triggers do nothing.
  Send(r, {{'H', 900}, {'X', 901}});
  out.clear();
  EXPECT_EQ(r.WheelDue(5000, &out), 0);
  EXPECT_FALSE(r.Trigger(5000, &out));
  EXPECT_TRUE(out.empty());
  // Everything received is logged with its time.
  ASSERT_EQ(r.Received().size(), 15u);
  EXPECT_EQ(r.Received()[0].byte, 'A');
  EXPECT_DOUBLE_EQ(r.Received()[14].atMs, 901);
}

TEST(Rz56Responder, AnswersQueueOnOneLine) {
  Rz56Responder r{Rz56Options{}};
  const std::vector<Rz56Out> out = Send(r, {{'A', 0}, {'A', 1}});
  ASSERT_EQ(out.size(), 30u);
  for (size_t i = 1; i < out.size(); ++i) EXPECT_NEAR(out[i].atMs - out[i - 1].atMs, kByteMs, 1e-9) << i;
}

TEST(Rz56Responder, OffAnswersNothing) {
  Rz56Options o;
  o.off = true;
  Rz56Responder r(o);
  std::vector<Rz56Out> out = Send(r, {{'H', 0}, {'X', 1}, {'A', 2}, {'H', 3}, {'W', 4}});
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(r.Mode(), sim::Rz56Mode::kRequest);
  EXPECT_EQ(r.Received().size(), 5u);
}

// Tags in turn with the marked tag every N-th frame; bad tags and partial answers on request;
// ramped counts and garbage never hold 0x7F, while explicit values are sent as given.
TEST(Rz56Responder, FramesAndFaults) {
  Rz56Options o;
  o.markerEvery = 3;
  o.badTagEvery = 7;
  o.partialEvery = 5;
  Rz56Responder r(o);
  std::string tags;
  for (long i = 0; i < 14; ++i) tags.push_back(r.Frame(i)[0]);
  EXPECT_EQ(tags, "TDPFTNZFMDEQTZ");
  std::vector<Rz56Out> out;
  for (int i = 0; i < 5; ++i) r.Receive('A', i * 100.0, &out);
  const std::string all = Bytes(out);
  EXPECT_EQ(all.substr(0, 60), r.Frame(0) + r.Frame(1) + r.Frame(2) + r.Frame(3));
  const std::string cut = all.substr(60);
  EXPECT_GE(cut.size(), 1u);
  EXPECT_LE(cut.size(), 12u);
  EXPECT_EQ(cut, r.Frame(4).substr(0, cut.size()));

  Rz56Options ramp;
  ramp.ramp = true;
  ramp.garbageRate = 0.5;
  ramp.counts[0] = 0x7E7E;
  ramp.seed = 3;
  Rz56Responder g(ramp);
  out.clear();
  for (int i = 0; i < 3000; ++i) g.Receive('A', i * 30.0, &out);
  const std::string stream = Bytes(out);
  size_t at = 0, garbage = 0;
  for (long i = 0; i < 3000; ++i) {
    const std::string f = g.Frame(i);
    ASSERT_EQ(f.substr(0, 13).find('\x7F'), std::string::npos) << i;
    const size_t found = stream.find(f, at);
    ASSERT_NE(found, std::string::npos) << i;
    EXPECT_EQ(stream.substr(at, found - at).find('\x7F'), std::string::npos) << i;
    garbage += found - at;
    at = found + f.size();
  }
  EXPECT_GT(garbage, 3000u);

  Rz56Options given;
  given.counts[1] = 0x7F7F;
  given.battery = 0x7F;
  Rz56Responder v(given);
  EXPECT_EQ(v.Frame(0).substr(4, 2), "\x7F\x7F");
  EXPECT_EQ(v.Frame(0)[12], '\x7F');
}

TEST(Rz56Responder, CaptureLinesAndModelNames) {
  EXPECT_EQ(sim::Rz56CaptureLine({12.3456, 'A'}), "    12.346 41 A");
  EXPECT_EQ(sim::Rz56CaptureLine({0, 0x7F}), "     0.000 7F .");
  EXPECT_TRUE(sim::IsRz56ModelName("RZ56MK2"));
  EXPECT_TRUE(sim::IsRz56ModelName("rz56-mk2"));
  EXPECT_FALSE(sim::IsRz56ModelName("RZ56"));
  EXPECT_FALSE(sim::IsRz56ModelName(nullptr));
}

// ---- Sinks ---------------------------------------------------------------------------------------

// Reads up to n bytes, giving up after `empties` reads that bring nothing (10 ms each).
std::string ReadAll(HANDLE h, size_t n, int empties = 5) {
  std::string s;
  while (s.size() < n && empties > 0) {
    char b;
    DWORD got = 0;
    if (!ReadFile(h, &b, 1, &got, nullptr)) break;
    if (got == 0) {
      --empties;
    } else {
      s.push_back(b);
    }
  }
  return s;
}

class Rz56Sinks : public ::testing::Test {
 protected:
  void SetUp() override { plat::test::UseTempRoot(); }
  void TearDown() override { plat::test::Reset(); }
};

TEST_F(Rz56Sinks, VirtualPortAnswersOnThePlatformClock) {
  plat::test::UseVirtualClock(5000, plat::test::MakeSystemTime(2026, 1, 2), plat::test::ClockMode::Auto);
  auto port = plat::test::AttachVirtualPort(3);
  Rz56Options o;
  o.latencyMs = 5;
  o.wheelPeriodMs = 0;
  sim::Rz56OnVirtualPort rz56(port, o);
  HANDLE h = OpenCom(3, 10, 0, 10);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const DWORD t0 = GetTickCount();
  ASSERT_TRUE(TransmitCommChar(h, 'A'));
  EXPECT_EQ(ReadAll(h, 15), rz56.Frame(0));
  // The last byte arrives 5 ms plus 14 bytes at 9600 baud after the request.
  EXPECT_GE(GetTickCount() - t0, 5u + 14u);
  EXPECT_LE(GetTickCount() - t0, 5u + 15u + 10u);
  ASSERT_TRUE(TransmitCommChar(h, 'H'));
  ASSERT_TRUE(TransmitCommChar(h, 'W'));
  EXPECT_EQ(ReadAll(h, 2), "OK");
  EXPECT_EQ(rz56.Mode(), sim::Rz56Mode::kWheel);
  EXPECT_EQ(ReadAll(h, 1, 30), "");  // no period: nothing until triggered
  for (long i = 1; i <= 3; ++i) {
    ASSERT_TRUE(rz56.Trigger());
    EXPECT_EQ(ReadAll(h, 15), rz56.Frame(i)) << i;
  }
  EXPECT_EQ(rz56.ReceivedBytes(), "AHW");
  CloseHandle(h);
}

TEST_F(Rz56Sinks, PtyServerAnswersAndTriggers) {
  const int master = plat::test::CreatePtyPort(4);
  ASSERT_GE(master, 0);
  Rz56Options o;
  o.wheelPeriodMs = 0;
  sim::Rz56PtyThread served(master, o);
  HANDLE h = OpenCom(4, 10, 0, 10);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  auto readFor = [&](size_t n) { return ReadAll(h, n, 100); };
  ASSERT_TRUE(TransmitCommChar(h, 'H'));
  ASSERT_TRUE(TransmitCommChar(h, 'X'));
  EXPECT_EQ(readFor(2), "OK");
  ASSERT_TRUE(TransmitCommChar(h, 'A'));
  EXPECT_EQ(readFor(15), served.Server().Frame(0));
  ASSERT_TRUE(TransmitCommChar(h, 'H'));
  ASSERT_TRUE(TransmitCommChar(h, 'W'));
  EXPECT_EQ(readFor(2), "OK");
  served.Server().Trigger();
  EXPECT_EQ(readFor(15), served.Server().Frame(1));
  CloseHandle(h);
  const sim::Rz56PtyResult r = served.Stop();
  EXPECT_EQ(r.frames, 2);
  EXPECT_EQ(r.received, 5);
  EXPECT_TRUE(r.stopped);
  EXPECT_FALSE(r.failed);
}

}  // namespace
