// The RZ56 link on a virtual port and the virtual clock: SendInstrumentCommand's timing, replies
// and port rule, the requester and the request reader, what both readers make of the bytes, the
// link recovery, and the mode switches of a run through the test helper's port steps.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/kernel.h>
#include <plat/test_clock.h>
#include <plat/test_comm.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "desktop_test_support.h"
#include "engine/ports.h"
#include "engine/rz56_link.h"
#include "engine/state.h"
#include "rz56_link_support.h"
#include "sim/rz56_virtual.h"

namespace desktop {
namespace {

using test::Rz56RunSteps;
using test::Rz56Window;

class Rz56Link : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::UseTempRoot();
    plat::test::UseVirtualClock(100000, plat::test::MakeSystemTime(2026, 3, 5, 14, 20), plat::test::ClockMode::Auto);
    test::UseBuild(kModelRz56Mk2);
    port_ = plat::test::AttachVirtualPort(1);
  }
  void TearDown() override {
    rz56_.reset();
    const HANDLE h = LinkState.instrumentPort.exchange(INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    plat::test::Reset();
    ResetEngineState();
  }
  sim::Rz56OnVirtualPort& Instrument(sim::Rz56Options o = {}) {
    rz56_ = std::make_unique<sim::Rz56OnVirtualPort>(port_, o);
    return *rz56_;
  }
  // The tick at which each byte the program sent arrived.
  std::vector<std::pair<char, DWORD>> Sent() const {
    std::vector<std::pair<char, DWORD>> out;
    for (const sim::Rz56Received& r : rz56_->Received()) {
      out.emplace_back(static_cast<char>(r.byte), rz56_->StartTick() + static_cast<DWORD>(r.atMs));
    }
    return out;
  }

  std::shared_ptr<plat::test::VirtualPort> port_;
  std::unique_ptr<sim::Rz56OnVirtualPort> rz56_;
};

// ---- SendInstrumentCommand ------------------------------------------------------------------------

struct CommandCase {
  const char* name;
  const char* reply;  // fed 20 ms after the second byte; nullptr: silence
  int32_t want;
  DWORD returnMin, returnMax;  // after the second byte
};
void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class Rz56Command : public Rz56Link, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(Rz56Command, TimingAndReply) {
  const CommandCase& c = GetParam();
  std::vector<DWORD> at;
  port_->OnByte([&](unsigned char) {
    at.push_back(GetTickCount());
    if (at.size() == 2 && c.reply) port_->Feed(c.reply, GetTickCount() + 20);
  });
  ASSERT_EQ(OpenInstrumentPort(), 1);
  const DWORD start = GetTickCount();
  const int32_t got = SendInstrumentCommand('H', 'X', 0);
  const DWORD end = GetTickCount();
  EXPECT_EQ(got, c.want);
  EXPECT_EQ(port_->TakeOutput(), "HX");
  ASSERT_EQ(at.size(), 2u);
  EXPECT_NEAR(static_cast<double>(at[0] - start), 51, 2);
  EXPECT_NEAR(static_cast<double>(at[1] - at[0]), 51, 2);
  EXPECT_GE(end - at[1], c.returnMin);
  EXPECT_LE(end - at[1], c.returnMax);
}

// Reads start 550 ms after the second byte, one every 50 ms, for at most 2000 ms.
INSTANTIATE_TEST_SUITE_P(
    Replies, Rz56Command,
    ::testing::Values(CommandCase{"OK", "OK", 1, 550 + 2 * 50, 550 + 2 * 62}, CommandCase{"KO", "KO", 0, 650, 680},
                      CommandCase{"OAlone", "O", 0, 550 + 2000, 550 + 2000 + 80},
                      CommandCase{"Silence", nullptr, 0, 550 + 2000, 550 + 2000 + 80},
                      CommandCase{"FrameBytes", "T\x01\x02", 0, 650, 680}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Rz56Link, ReopenClosesAndOpensBeforeTheCommand) {
  ASSERT_EQ(OpenInstrumentPort(), 1);
  const HANDLE first = LinkState.instrumentPort.load();
  std::vector<std::pair<int, int>> atH;  // closes and opens when the 'H' came
  port_->OnByte([&](unsigned char b) {
    if (b == 'H') atH.emplace_back(port_->Closes(), port_->Opens());
    if (b == 'X') port_->Feed("OK", GetTickCount() + 20);
  });
  EXPECT_EQ(SendInstrumentCommand('H', 'X', 1), 1);
  ASSERT_EQ(atH.size(), 1u);
  EXPECT_EQ(atH[0], std::make_pair(1, 2));
  EXPECT_NE(LinkState.instrumentPort.load(), first);
  EXPECT_TRUE(port_->IsOpen());
}

// A port replaced during the reads ends the command within 60 ms, and the new port is never read.
TEST_F(Rz56Link, AReplacedPortEndsTheCommand) {
  auto other = plat::test::AttachVirtualPort(2);
  ASSERT_EQ(OpenInstrumentPort(), 1);
  SurveySettings.instrumentPort = 1;
  const HANDLE old = LinkState.instrumentPort.load();
  other->Feed("OK");
  // A platform thread, so that the virtual clock waits for it from its creation.
  static std::atomic<DWORD> swappedAt;
  swappedAt = 0;
  HANDLE swapper = CreateThread(
      nullptr, 0,
      [](LPVOID) -> DWORD {
        Sleep(800);  // inside the reads, which start 650 ms in
        const HANDLE h = CreateFileA("COM2:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        swappedAt = GetTickCount();
        LinkState.instrumentPort.store(h);
        return 0;
      },
      nullptr, 0, nullptr);
  const DWORD start = GetTickCount();
  EXPECT_EQ(SendInstrumentCommand('H', 'X', 0), 0);
  const DWORD end = GetTickCount();
  EXPECT_TRUE(test::JoinThread(swapper, 1000));
  EXPECT_GE(end - start, 800u);
  EXPECT_LE(end - swappedAt, 60u);
  EXPECT_EQ(other->InputQueued(), 2u);
  EXPECT_EQ(other->TakeOutput(), "");
  CloseHandle(old);
}

// ---- Requests and the request reader ----------------------------------------------------------------

class Rz56Requests : public Rz56Link {
 protected:
  void StartReader() {
    ASSERT_EQ(OpenInstrumentPort(), 1);
    LinkState.requestEvent.store(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    reader_ = test::StartThread(Rz56ReaderThread);
    ASSERT_TRUE(plat::test::WaitIdle());
    LinkState.lastRz56Tick.store(GetTickCount());
  }
  void EndReader() {
    const HANDLE h = LinkState.instrumentPort.exchange(INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    SetEvent(LinkState.requestEvent.load());
    EXPECT_TRUE(test::JoinThread(reader_, 2000));
    reader_ = nullptr;
    CloseHandle(LinkState.requestEvent.exchange(nullptr));
  }
  void TearDown() override {
    if (reader_) EndReader();
    Rz56Link::TearDown();
  }
  HANDLE reader_ = nullptr;
};

// 100 ticks at 100 ms with the instrument answering 5 ms after each 'A': 100 requests, 100
// readings, in order, and the reader ready at every tick.
TEST_F(Rz56Requests, EveryTickIsAnswered) {
  sim::Rz56Options o;
  o.latencyMs = 5;
  sim::Rz56OnVirtualPort& rz56 = Instrument(o);
  Rz56Window window;
  StartReader();
  int ticks = 0, notReady = 0, overdue = 0;
  window.timerMs = 100;
  window.onTimer = [&] {
    if (ticks == 100) return;
    ++ticks;
    notReady += LinkState.rz56Ready.load() == 1 ? 0 : 1;
    overdue += RequestRz56Reading() ? 1 : 0;
  };
  // The reader marks itself ready once the last reading's send has returned.
  ASSERT_TRUE(window.PumpUntil([&] { return window.frames.size() == 100 && LinkState.rz56Ready.load() == 1; },
                               100 * 100 + 500));
  EXPECT_EQ(ticks, 100);
  EXPECT_EQ(notReady, 0);
  EXPECT_EQ(overdue, 0);
  EXPECT_EQ(rz56.ReceivedBytes(), std::string(100, 'A'));
  for (long i = 0; i < 100; ++i) EXPECT_EQ(window.frames[i], rz56.Frame(i).substr(0, 14)) << i;
  EXPECT_EQ(LinkState.rz56Ready.load(), 1);
  EndReader();
}

// An unanswered request is not overdue 200 ms after it, and is 201 ms after it.
TEST_F(Rz56Requests, OverdueAfter200Ms) {
  sim::Rz56Options o;
  o.off = true;
  Instrument(o);
  Rz56Window window;
  StartReader();
  EXPECT_FALSE(RequestRz56Reading());
  const DWORD sent = LinkState.lastRz56Tick.load();
  Sleep(200 - (GetTickCount() - sent));
  ASSERT_EQ(GetTickCount() - sent, 200u);
  EXPECT_FALSE(RequestRz56Reading());
  EXPECT_EQ(LinkState.linkLost.load(), 0);
  Sleep(1);
  EXPECT_TRUE(RequestRz56Reading());
  EXPECT_EQ(LinkState.linkLost.load(), 1);
  EndReader();
}

// A silent instrument: every tick from 201 ms after a request is overdue; each released request
// brings 'H' 'X' and a 250 ms pause; readings come again after the recovery that follows the
// instrument's return.
TEST_F(Rz56Requests, ASilentInstrumentIsRecovered) {
  sim::Rz56Options o;
  o.off = true;
  sim::Rz56OnVirtualPort& rz56 = Instrument(o);
  Rz56Window window;
  StartReader();
  int wrong = 0;  // ticks whose verdict does not follow from the time since the request
  window.timerMs = 100;
  window.onTimer = [&] {
    const int32_t ready = LinkState.rz56Ready.load();
    const DWORD since = GetTickCount() - LinkState.lastRz56Tick.load();
    const bool overdue = RequestRz56Reading();
    if (ready != 1 && overdue != (since > 200)) ++wrong;
  };
  window.PumpFor(7000);
  rz56.SetOff(false);
  ASSERT_TRUE(window.PumpUntil([&] { return window.frames.size() >= 3; }, 8000));
  EXPECT_EQ(wrong, 0);
  // The wire: requests, each unanswered one followed by 'H' 'X', until the instrument answers.
  const auto sent = Sent();
  std::string bytes;
  for (const auto& s : sent) bytes.push_back(s.first);
  ASSERT_GE(bytes.size(), 9u);
  EXPECT_EQ(bytes.substr(0, 9), "AHXAHXAHX");
  // After each 'X' the next 'A' waits for the reads (2.55 s when silent) and the 250 ms pause.
  for (size_t i = 1; i + 1 < sent.size(); ++i) {
    if (sent[i].first == 'X' && sent[i + 1].first == 'A') {
      EXPECT_GE(sent[i + 1].second - sent[i].second, 650u + 250u) << i;
    }
  }
  EXPECT_EQ(bytes.find("HX", bytes.rfind('X') - 1), bytes.rfind('X') - 1);
  EXPECT_EQ(LinkState.linkLost.load(), 0);
  EndReader();
}

// ---- What the readers make of the bytes -------------------------------------------------------

// A frame as sent: the tag, twelve data bytes (the battery count last), 0x7F 0x7F.
std::string Wire(char tag, char battery = 0x46) {
  return std::string(1, tag) + std::string("\x00\x10\x01\x20\x02\x30\x03\x40\x04\x07\x08", 11) + battery +
         "\x7F\x7F";
}

struct AnswerCase {
  const char* name;
  std::string answer;               // fed 5 ms after the 'A'
  std::vector<std::string> frames;  // the kept 14 bytes of each reading message
};
void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class Rz56Answers : public Rz56Requests, public ::testing::WithParamInterface<AnswerCase> {};

// One request answered: the readings it gives, LinkState.frame with its NUL at 14, and the answer
// taken whatever it was: the reader ready, the link good and the event reset, so the next tick
// sends again.
TEST_P(Rz56Answers, TheRequestReaderTakesTheAnswer) {
  const AnswerCase& c = GetParam();
  Rz56Window window;
  std::vector<unsigned char> nulAt14;
  window.onReading = [&] { nulAt14.push_back(LinkState.frame[kRz56KeptLength]); };
  port_->OnByte([&](unsigned char b) {
    if (b == 'A') port_->Feed(c.answer, GetTickCount() + 5);
  });
  StartReader();
  memset(LinkState.frame, 0xAA, sizeof LinkState.frame);
  EXPECT_FALSE(RequestRz56Reading());
  EXPECT_EQ(LinkState.rz56Ready.load(), 0);
  ASSERT_TRUE(window.PumpUntil([] { return LinkState.rz56Ready.load() == 1; }, 500));
  window.PumpFor(50);
  EXPECT_EQ(window.frames, c.frames);
  EXPECT_EQ(nulAt14, std::vector<unsigned char>(c.frames.size(), 0));
  EXPECT_EQ(LinkState.rz56Ready.load(), 1);
  EXPECT_EQ(LinkState.linkLost.load(), 0);
  EXPECT_EQ(WaitForSingleObject(LinkState.requestEvent.load(), 0), DWORD{WAIT_TIMEOUT});
  EXPECT_EQ(port_->InputQueued(), 0u);
  EndReader();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Rz56Answers,
    ::testing::Values(AnswerCase{"AFrame", Wire('T'), {Wire('T').substr(0, 14)}},
                      AnswerCase{"ABatteryOf0x7F", Wire('E', 0x7F), {Wire('E', 0x7F).substr(0, 14)}},
                      AnswerCase{"AMarkedTagAfterAFramesTail", Wire('T').substr(9) + Wire('M'), {Wire('M').substr(0, 14)}},
                      AnswerCase{"ANonTagFourteenBack", Wire('Z'), {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A rejected answer keeps its bytes in the buffer: the next answer's frame still ends right.
TEST_F(Rz56Requests, AfterARejectedAnswerTheNextFrameComesWhole) {
  Rz56Window window;
  int requests = 0;
  port_->OnByte([&](unsigned char b) {
    if (b == 'A') port_->Feed(++requests == 1 ? Wire('Z') : Wire('D'), GetTickCount() + 5);
  });
  StartReader();
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(RequestRz56Reading());
    ASSERT_TRUE(window.PumpUntil([] { return LinkState.rz56Ready.load() == 1; }, 500)) << i;
    window.PumpFor(20);
  }
  EXPECT_EQ(window.frames, std::vector<std::string>{Wire('D').substr(0, 14)});
  EndReader();
}

// The wheel reader stamps LinkState.lastRz56Tick at every 0x7F at position 13 or later, in a frame
// or not, and at no other byte.
TEST_F(Rz56Link, TheWheelReaderStampsEveryEndMarkFrom13On) {
  struct Byte {
    unsigned char b;
    bool stamped;
  };
  std::vector<Byte> stream;
  // A frame with 0x7F at data position 3 and as its battery count (position 12).
  const std::string frame = std::string("T\x00\x10\x7F", 4) + std::string("\x01\x20\x02\x30\x03\x40\x04\x07\x7F", 9) + "\x7F\x7F";
  ASSERT_EQ(frame.size(), 15u);
  for (size_t i = 0; i < frame.size(); ++i) stream.push_back({static_cast<unsigned char>(frame[i]), i >= 13});
  // Junk: 13 bytes, then lone 0x7F at 13 and 15, and a pair at 17 and 18 with a non-tag 14 back.
  for (int i = 0; i < 13; ++i) stream.push_back({0x41, false});
  for (unsigned char b : {0x7F, 0x41, 0x7F, 0x41, 0x7F, 0x7F}) stream.push_back({b, b == 0x7F});
  Rz56Window window;
  ASSERT_EQ(OpenInstrumentPort(), 1);
  HANDLE reader = test::StartThread(Rz56WheelReaderThread);
  ASSERT_TRUE(plat::test::WaitIdle());
  for (size_t i = 0; i < stream.size(); ++i) {
    LinkState.lastRz56Tick.store(0);
    port_->Feed(std::string(1, static_cast<char>(stream[i].b)));
    ASSERT_TRUE(window.PumpUntil([&] { return port_->InputQueued() == 0; }, 100)) << i;
    window.PumpFor(20);
    EXPECT_EQ(LinkState.lastRz56Tick.load() != 0, stream[i].stamped) << "byte " << i;
  }
  EXPECT_EQ(window.frames, std::vector<std::string>{frame.substr(0, 14)});
  test::ClosePortField(LinkState.instrumentPort);
  EXPECT_TRUE(test::JoinThread(reader, 1000));
}

// ---- Mode sequences ------------------------------------------------------------------------------

class Rz56Modes : public Rz56Link {};

TEST_F(Rz56Modes, StartNeedsTheOk) {
  sim::Rz56Options o;
  o.off = true;
  sim::Rz56OnVirtualPort& rz56 = Instrument(o);
  ASSERT_EQ(OpenInstrumentPort(), 1);
  Rz56RunSteps run;
  EXPECT_FALSE(run.Start());
  EXPECT_EQ(run.reader(), nullptr);
  EXPECT_EQ(rz56.ReceivedBytes(), "HX");
  rz56.SetOff(false);
  EXPECT_TRUE(run.Start());
  EXPECT_NE(run.reader(), nullptr);
  EXPECT_EQ(LinkState.rz56Ready.load(), 1);
  EXPECT_TRUE(run.End());
}

// Start, requests, Wheel with triggered frames, back to requests, end: the commands on the wire,
// every frame announced once, the old reader ended before each reopen, never two readers.
TEST_F(Rz56Modes, RequestWheelRequest) {
  sim::Rz56Options o;
  o.wheelPeriodMs = 0;
  sim::Rz56OnVirtualPort& rz56 = Instrument(o);
  Rz56Window window;
  ASSERT_EQ(OpenInstrumentPort(), 1);
  Rz56RunSteps run;
  ASSERT_TRUE(run.Start());
  window.timerMs = 100;
  window.onTimer = [] { RequestRz56Reading(); };
  ASSERT_TRUE(window.PumpUntil([&] { return window.frames.size() == 5; }, 2000));
  window.onTimer = nullptr;
  window.PumpFor(50);

  EXPECT_TRUE(run.ToWheel());
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(rz56.Trigger());
    ASSERT_TRUE(window.PumpUntil([&] { return window.frames.size() == 6u + i; }, 500)) << i;
  }
  window.PumpFor(200);
  EXPECT_EQ(window.frames.size(), 10u);
  EXPECT_TRUE(run.ToRequest());
  EXPECT_EQ(LinkState.rz56Ready.load(), 1);
  EXPECT_EQ(LinkState.lastRz56Tick.load(), GetTickCount());
  window.onTimer = [] { RequestRz56Reading(); };
  ASSERT_TRUE(window.PumpUntil([&] { return window.frames.size() == 13; }, 2000));
  window.onTimer = nullptr;
  window.PumpFor(50);
  EXPECT_TRUE(run.End());
  EXPECT_EQ(run.overlaps, 0);

  EXPECT_EQ(rz56.ReceivedBytes(), "HX" + std::string(5, 'A') + "HW" + "HX" + std::string(3, 'A'));
  ASSERT_EQ(window.frames.size(), 13u);
  for (long i = 0; i < 13; ++i) EXPECT_EQ(window.frames[i], rz56.Frame(i).substr(0, 14)) << i;
  EXPECT_EQ(LinkState.instrumentReaderState.load(), 0);
}

// A frame whose send is pending when GO comes is handled inside the wait, the old reader ends,
// and the "OK" to 'H' 'W' reaches the command.
TEST_F(Rz56Modes, GoWhileAFrameIsInItsSend) {
  sim::Rz56OnVirtualPort& rz56 = Instrument();
  Rz56Window window;
  ASSERT_EQ(OpenInstrumentPort(), 1);
  Rz56RunSteps run;
  ASSERT_TRUE(run.Start());
  EXPECT_FALSE(RequestRz56Reading());
  Sleep(50);  // the reader is now in its send, which only a message wait serves
  EXPECT_TRUE(window.frames.empty());
  EXPECT_TRUE(run.ToWheel());
  ASSERT_EQ(window.frames.size(), 1u);
  EXPECT_EQ(window.frames[0], rz56.Frame(0).substr(0, 14));
  EXPECT_EQ(rz56.Mode(), sim::Rz56Mode::kWheel);
  EXPECT_EQ(run.overlaps, 0);
  EXPECT_TRUE(run.End());
}

// A reader in its recovery when the port closes ends within 400 ms and sends nothing on the new
// port.
TEST_F(Rz56Modes, AReaderInItsRecoveryLeavesTheNewPortAlone) {
  sim::Rz56Options o;
  o.off = true;
  sim::Rz56OnVirtualPort& rz56 = Instrument(o);
  Rz56Window window;
  ASSERT_EQ(OpenInstrumentPort(), 1);
  // Started by hand: the instrument is off, so the start's command fails.
  LinkState.requestEvent.store(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  HANDLE reader = test::StartThread(Rz56ReaderThread);
  ASSERT_TRUE(plat::test::WaitIdle());
  EXPECT_FALSE(RequestRz56Reading());
  Sleep(201);
  EXPECT_TRUE(RequestRz56Reading());
  // The reader, released by the still-set event, starts its recovery: 'H' comes 50 ms later.
  Sleep(75);
  EXPECT_EQ(rz56.ReceivedBytes(), "AH");
  const DWORD closed = GetTickCount();
  test::ClosePortField(LinkState.instrumentPort);
  ASSERT_EQ(plat::WaitServicingSends(reader, 1000), DWORD{WAIT_OBJECT_0});
  EXPECT_LE(GetTickCount() - closed, 400u);
  ASSERT_EQ(OpenInstrumentPort(), 1);
  port_->TakeOutput();
  Sleep(3000);
  EXPECT_EQ(port_->TakeOutput(), "");
  EXPECT_TRUE(test::JoinThread(reader, 100));
  CloseHandle(LinkState.requestEvent.exchange(nullptr));
}

}  // namespace
}  // namespace desktop
