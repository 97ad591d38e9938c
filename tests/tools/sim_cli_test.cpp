// The simulator programs end to end: each links a pty as <devdir>/COMn, prints the link and plays
// its stream to whoever opens the port; gps-sim captures what the program sends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/framers.h"
#include "common/nmea.h"
#include "sim/gps.h"
#include "sim/instrument.h"
#include "child_process.h"
#include "open_com.h"

namespace {

using test_support::Child;

class SimPrograms : public ::testing::Test {
 protected:
  void SetUp() override { root_ = plat::test::UseTempRoot(); }
  void TearDown() override { plat::test::Reset(); }
  std::string root_;
};

// Every frame sent with garbage and partial frames between them is found once, in order, by a
// reader that follows the framing rule.
TEST_F(SimPrograms, InstrumentSimStreamsFramesThroughTheLink) {
  Child sim({INSTRUMENT_SIM_PATH, "--model", "RZ27MK2", "--com", "5", "--devdir", plat::DeviceDir(), "--count",
             "30", "--period", "15", "--garbage", "0.5", "--partial", "0.5", "--ramp", "--seed", "9", "--paced"});
  const std::string link = sim.Line();
  EXPECT_EQ(link.rfind("COM5 -> /dev/pts/", 0), 0u) << link;

  HANDLE h = OpenCom(5, 65535, 1000, 1000);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  survey::Rz27Mk2Framer framer;
  std::vector<std::string> found;
  while (found.size() < 30) {
    unsigned char b;
    DWORD got = 0;
    if (!ReadFile(h, &b, 1, &got, nullptr) || got == 0) break;
    if (framer.Push(b) == survey::FrameStep::kAccepted) {
      found.emplace_back(reinterpret_cast<const char*>(framer.Frame()), 14);
    }
  }
  CloseHandle(h);
  EXPECT_EQ(sim.Wait(), 0);

  sim::InstrumentOptions o;
  o.model = 7;
  o.ramp = true;
  sim::InstrumentStream expected(o);
  ASSERT_EQ(found.size(), 30u);
  for (long i = 0; i < 30; ++i) EXPECT_EQ(found[i], expected.Frame(i).substr(0, 14)) << i;
}

TEST_F(SimPrograms, GpsSimSendsSentencesAndCapturesCommands) {
  const std::string capture = root_ + "/capture.txt";
  Child sim({GPS_SIM_PATH, "--com", "6", "--devdir", plat::DeviceDir(), "--count", "3", "--rate", "10", "--capture",
             capture});
  EXPECT_EQ(sim.Line().rfind("COM6 -> /dev/pts/", 0), 0u);

  HANDLE h = OpenCom(6, 100, 100, 100);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const std::string command = "$PSRF100,1*00\r\n";
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(h, command.data(), static_cast<DWORD>(command.size()), &put, nullptr));
  survey::NmeaLineAssembler lines;
  int good = 0, total = 0;
  while (total < 9) {
    unsigned char b;
    DWORD got = 0;
    if (!ReadFile(h, &b, 1, &got, nullptr) || got == 0) break;
    if (lines.Push(b, 0)) {
      ++total;
      good += survey::NmeaChecksumVerdict(lines.Line(), static_cast<size_t>(lines.Length()));
    }
  }
  CloseHandle(h);
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_EQ(total, 9);
  EXPECT_EQ(good, 9);
  std::ifstream in(capture, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), command);
}

// The RZ56-MK2 answers what it is sent and logs every byte it received with its time.
TEST_F(SimPrograms, Rz56SimAnswersAndCapturesWhatItReceived) {
  const std::string capture = root_ + "/rz56.txt";
  {
    Child sim({INSTRUMENT_SIM_PATH, "--model", "rz56mk2", "--com", "7", "--devdir", plat::DeviceDir(), "--counts",
               "1,-2,0x7F7F,4", "--battery", "127", "--capture", capture});
    EXPECT_EQ(sim.Line().rfind("COM7 -> /dev/pts/", 0), 0u);
    HANDLE h = OpenCom(7, 10, 0, 10);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    auto read = [&](size_t n) {
      std::string s;
      for (int empty = 0; s.size() < n && empty < 100;) {
        char b;
        DWORD got = 0;
        if (!ReadFile(h, &b, 1, &got, nullptr) || got == 0) {
          ++empty;
        } else {
          s.push_back(b);
        }
      }
      return s;
    };
    ASSERT_TRUE(TransmitCommChar(h, 'H'));
    ASSERT_TRUE(TransmitCommChar(h, 'X'));
    EXPECT_EQ(read(2), "OK");
    ASSERT_TRUE(TransmitCommChar(h, 'A'));
    EXPECT_EQ(read(15), std::string("T\x00\x00\x01\xFF\xFE\x7F\x7F\x00\x04\x07\x08\x7F\x7F\x7F", 15));
    CloseHandle(h);
  }
  std::ifstream in(capture, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(10), " 48 H");
  EXPECT_EQ(lines[1].substr(10), " 58 X");
  EXPECT_EQ(lines[2].substr(10), " 41 A");
  EXPECT_LE(std::stod(lines[0]), std::stod(lines[2]));
}

TEST_F(SimPrograms, BadOptionsAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {INSTRUMENT_SIM_PATH, "--model", "RZ99", "--com", "1"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ12"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ12", "--com", "0"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ12", "--com", "1", "--values", "1,2,3,4"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ12", "--com", "1", "--trigger", "3/2"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ12", "--com", "1", "--garbage", "2"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ12", "--com", "1", "--script", "100 6 1 2 3 4 5 6"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ27MK2", "--com", "1", "--script", "100 6 1 2 3 4 5"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ27MK2", "--com", "1", "--script", "100 6 1 2 3 4 5 6 1"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ56MK2", "--com", "1", "--battery", "256"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ56MK2", "--com", "1", "--counts", "1,2,3"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ56MK2", "--com", "1", "--current", "40000"},
      {INSTRUMENT_SIM_PATH, "--model", "RZ56MK2", "--com", "1", "--values", "1,2"},
      {GPS_SIM_PATH, "--com", "1", "--rate", "0"},
      {GPS_SIM_PATH, "--com", "1", "--silence", "5"},
      {GPS_SIM_PATH, "--com"},
      {GPS_SIM_PATH, "--com", "1", "--frobnicate", "1"},
  };
  for (const auto& args : cases) {
    Child sim(args);
    EXPECT_EQ(sim.Wait(), 2) << args[1] << " " << args.back();
  }
}

// --help prints the usage on standard output and exits 0; a usage error names the program.
TEST_F(SimPrograms, HelpIsTheUsageOnStandardOutput) {
  struct Case {
    std::string command;
    const char* holds;
    int exitCode;
  } cases[] = {
      {std::string(INSTRUMENT_SIM_PATH) + " --help 2>/dev/null", "--baud N", 0},
      {std::string(INSTRUMENT_SIM_PATH) + " --model RZ56MK2 --help 2>/dev/null", "usage: instrument-sim", 0},
      {std::string(GPS_SIM_PATH) + " --help 2>/dev/null", "usage: gps-sim", 0},
      {std::string(GPS_SIM_PATH) + " --frobnicate 1 2>&1 >/dev/null", "gps-sim: ", 2},
  };
  for (const Case& c : cases) {
    FILE* out = popen(c.command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string text;
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, out)) text.append(buf, n);
    const int status = pclose(out);
    EXPECT_TRUE(WIFEXITED(status)) << c.command;
    EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << c.command;
    EXPECT_NE(text.find(c.holds), std::string::npos) << c.command << "\n" << text;
  }
}

}  // namespace
