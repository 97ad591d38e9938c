// A whole rz12xp run on the real clock on pseudo-terminals: instrument-sim streams frames on COM1
// and gps-sim plays the GPS receiver on COM4. The run start sets both lines' termios, and every
// sentence received while Logging lands whole in the data file.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/test_comm.h>
#include <plat/testing.h>
#include <termios.h>
#include <windows.h>

#include <atomic>
#include <fstream>
#include <string>

#include "app_fixture.h"
#include "child_process.h"
#include "desktop_test_support.h"
#include "engine/messages.h"
#include "ui/logging.h"

namespace desktop {
namespace {

namespace pt = plat::test;
using test::UntilOnUi;

// The raw line the openers ask for: no echo, no canonical input, no output processing, reads that
// return at once, and the receiver on.
void ExpectRawLine(int com, speed_t speed, tcflag_t size, bool softwareFlow) {
  SCOPED_TRACE(com);
  termios t{};
  ASSERT_TRUE(pt::LastAppliedTermios(com, &t));
  EXPECT_EQ(cfgetispeed(&t), speed);
  EXPECT_EQ(cfgetospeed(&t), speed);
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), size);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), softwareFlow ? tcflag_t{IXON | IXOFF} : 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
}

constexpr char kSentence[] = "$GPGGA,123519,4530.500,N,07315.250,W,1,08,0.9,545.4,M,46.9,M,,*57";
constexpr int kSentences = 8;

TEST(RunE2e, TheRunStartSetsBothLinesAndEverySentenceWhileLoggingLandsWhole) {
  pt::Reset(plat::Profile::Desktop);
  pt::UseTempRoot();
  test::ResetAppState();
  const std::string nmea = std::string(plat::DriveRoot()) + "/gga.nmea";
  std::ofstream(nmea, std::ios::binary) << kSentence << "\r\n";
  // The receiver keeps silent for its first 4 s (16 cycles) after the port opens, well past GO,
  // then sends the sentence 8 times at 4 a second; the instrument streams frames all along.
  test_support::Child gps({GPS_SIM_PATH, "--com", "4", "--devdir", plat::DeviceDir(), "--file", nmea, "--rate", "4",
                           "--count", std::to_string(16 + kSentences), "--silence", "0,4000"});
  ASSERT_EQ(gps.Line().rfind("COM4 -> /dev/pts/", 0), 0u);
  test_support::Child meter({INSTRUMENT_SIM_PATH, "--model", "RZ12", "--com", "1", "--devdir", plat::DeviceDir()});
  ASSERT_EQ(meter.Line().rfind("COM1 -> /dev/pts/", 0), 0u);

  HANDLE program = test::StartOnRealClock(test::Switches(kModelRz12));
  std::atomic<int> announced{0};
  std::atomic<int> whileLogging{0};
  pt::OnSendHandled([&](HWND, UINT msg) {
    if (msg != WM_GPS_SENTENCE) return;
    ++announced;
    whileLogging += SurveyRun.state.load() == kRunLogging;
  });

  // A fresh rz12xp: the instrument on COM1, GPS input on COM4 at 9600 baud 8N1 with XON/XOFF.
  pt::KeyPress('L');
  // Keys reach the logging window once it has the focus (the main window only passes it on).
  ASSERT_TRUE(UntilOnUi(
      [] { return MainMenu.mode == 1 && GpsState.readerState.load() == 2 && GetFocus() == AppWindows.loggingWnd; },
      10000));
  ExpectRawLine(1, B9600, CS8, false);
  ExpectRawLine(4, B9600, CS8, true);

  pt::ExpectSaveFile(L"GPS");
  pt::KeyPress('F');
  ASSERT_TRUE(UntilOnUi([] { return SurveyRun.state.load() == kRunStandBy; }, 10000));
  pt::KeyPress('G');
  ASSERT_TRUE(UntilOnUi([] { return SurveyRun.state.load() == kRunLogging; }, 10000));
  ASSERT_EQ(announced.load(), 0) << "a sentence came before GO: the start took longer than the receiver's silence";
  EXPECT_TRUE(UntilOnUi([&] { return announced.load() >= kSentences; }, 15000));
  EXPECT_EQ(gps.Wait(), 0);
  EXPECT_TRUE(UntilOnUi([] { return GetTickCount() - LinkState.lastFrameTick.load() < 300; }, 1000));  // frames came
  pt::KeyPress(VK_SPACE);  // pause key 0: any key
  ASSERT_TRUE(UntilOnUi([] { return SurveyRun.state.load() == kRunStandBy; }, 10000));
  pt::ExpectMessageBox({L"Confirm Exit", L"Exit Logging?", IDYES});
  pt::KeyPress('X');
  ASSERT_TRUE(UntilOnUi([] { return MainMenu.mode == 0 && WorkerThreads.gps == INVALID_HANDLE_VALUE; }, 10000));
  pt::OnSendHandled(nullptr);
  EXPECT_EQ(announced.load(), kSentences);
  EXPECT_EQ(whileLogging.load(), kSentences);

  // Each sentence in three 24-byte pieces, '@' for its good checksum and '#' after, then its tick
  // record; all between X$STARTED and X$PAUSED.
  const std::string file = test::RootFileBytes("C/GPS.R12");
  ASSERT_EQ(file.size() % 24, 0u);
  std::string tags, text, events;
  int whole = 0;
  for (size_t at = 0; at < file.size(); at += 24) {
    const std::string rec = file.substr(at, 24);
    ASSERT_EQ(rec.back(), '\n') << at;
    const char tag = rec[0];
    if (tag == 'X') {
      EXPECT_TRUE(tags.empty()) << "an event inside a sentence at " << at;
      // A frame late under load writes "$CONN BREAK"; only the run's own events are followed.
      if (rec.compare(0, 12, "X$CONN BREAK") != 0) events += rec.substr(0, rec.find(' ')) + ";";
    } else if (tag == '@' || tag == '#' || tag == '?') {
      EXPECT_EQ(events, "X$STARTED;") << at;
      tags += tag;
      text += rec.substr(1, 22);
    } else if (tag == '!') {
      EXPECT_EQ(tags, "@##") << at;
      EXPECT_EQ(text.substr(0, sizeof kSentence - 1), kSentence) << at;
      EXPECT_EQ(text.find_first_not_of(' ', sizeof kSentence - 1), std::string::npos) << at;
      tags.clear();
      text.clear();
      ++whole;
    }
  }
  EXPECT_TRUE(tags.empty());
  EXPECT_EQ(whole, kSentences);
  EXPECT_EQ(events, "X$STARTED;X$PAUSED;");

  EXPECT_EQ(test::EndOnRealClock(program), 0);
}

}  // namespace
}  // namespace desktop
