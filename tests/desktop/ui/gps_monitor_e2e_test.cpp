// The GPS monitor in the whole program on the real clock, with gps-sim playing the receiver on a
// pseudo-terminal linked as COM4: the sentences appear in the list as they were sent, and a typed
// command reaches the receiver whole with CR LF.
// test-labels: threads e2e
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app_fixture.h"
#include "child_process.h"
#include "sim/gps.h"

namespace desktop {
namespace {

namespace pt = plat::test;
using test::UntilOnUi;
using Clock = std::chrono::steady_clock;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(GpsMonitorE2e, SentencesAppearAndATypedCommandReachesTheReceiverWhole) {
  pt::Reset(plat::Profile::Desktop);
  pt::UseTempRoot();
  test::ResetAppState();
  const std::string capture = std::string(plat::DriveRoot()) + "/gps.capture";
  test_support::Child sim({GPS_SIM_PATH, "--com", "4", "--devdir", plat::DeviceDir(), "--rate", "10", "--capture", capture});
  const std::string link = sim.Line();
  ASSERT_EQ(link.rfind("COM4 -> /dev/pts/", 0), 0u) << link;

  HANDLE program = test::StartOnRealClock(test::Switches(kModelRz12));
  pt::OnUiThread([] {
    SurveySettings.gpsEnabled = 1;
    SurveySettings.gpsPort = 3;  // COM4
    return LRESULT{0};
  });
  pt::KeyPress('O');

  // The sentences as the simulator sends them, without their CR LF. Those that come while the
  // monitor is still hidden (the start's 200 ms wait) are not painted; from the first line shown
  // on, each sentence appears once, in order.
  sim::GpsOptions o;
  o.rateHz = 10;
  sim::NmeaStream stream(o);
  std::vector<std::wstring> sent;
  for (sim::Chunk c; sent.size() < 300 && stream.Next(&c);) sent.emplace_back(c.bytes.begin(), c.bytes.end() - 2);
  auto lines = [] { return pt::Items(GpsMonitor.list); };
  constexpr size_t kShown = 12;
  ASSERT_TRUE(UntilOnUi([&] { return lines().size() >= kShown; }, 10000));
  std::vector<std::wstring> shown;
  pt::OnUiThread([&] {
    shown = lines();
    return LRESULT{0};
  });
  shown.resize(kShown);
  size_t first = 0;
  while (first + kShown <= sent.size() && !std::equal(shown.begin(), shown.end(), sent.begin() + first)) ++first;
  EXPECT_LT(first + kShown, sent.size()) << "not a run of the sent sentences";
  EXPECT_LT(first, 30u) << "the first line shown came long after the port opened";

  // 40 characters: longer than the line the monitor's old buffer held.
  const std::string command = "$PASHS,NME,GGA,A,ON,0.5,EXTRA,FIELDS,XYZ";
  ASSERT_EQ(command.size(), 40u);
  pt::OnModal(pt::ModalKind::Dialog, L"Send Message to GPS Receiver", [&](pt::ModalContext& ctx) {
    ctx.SetText(1201, std::wstring(command.begin(), command.end()));
    ctx.Click(IDOK);
  });
  pt::KeyPress('S');
  const auto end = Clock::now() + std::chrono::seconds(5);
  while (FileBytes(capture).size() < command.size() + 2 && Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(FileBytes(capture), command + "\r\n");

  // The display runs on after the send.
  size_t before = 0;
  pt::OnUiThread([&] {
    before = lines().size();
    return LRESULT{0};
  });
  EXPECT_TRUE(UntilOnUi([&] { return lines().size() > before + 3; }, 5000));

  pt::KeyPress('X');
  EXPECT_TRUE(UntilOnUi([] { return MainMenu.mode == 0 && WorkerThreads.gps == INVALID_HANDLE_VALUE; }, 5000));
  EXPECT_EQ(LinkState.gpsPort.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(test::EndOnRealClock(program), 0);
}

}  // namespace
}  // namespace desktop
