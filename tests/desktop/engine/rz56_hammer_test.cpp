// The RZ56 request hand-shake on the real clock, as a smoke test under ThreadSanitizer: a 1 ms
// requester against an instrument that answers at once, every 7th answer with a bad tag. Every
// request is answered and the link never stalls.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/kernel.h>
#include <plat/test_comm.h>
#include <windows.h>

#include <memory>

#include "desktop_test_support.h"
#include "engine/ports.h"
#include "engine/rz56_link.h"
#include "engine/state.h"
#include "rz56_link_support.h"
#include "sim/rz56_virtual.h"

namespace desktop {
namespace {

TEST(Rz56Hammer, TenThousandRequestsAllComplete) {
  plat::test::UseTempRoot();
  test::UseBuild(kModelRz56Mk2);
  auto port = plat::test::AttachVirtualPort(1);
  sim::Rz56Options o;
  o.latencyMs = 0;
  o.baud = 100000000;  // the whole frame at once
  o.badTagEvery = 7;
  {
    sim::Rz56OnVirtualPort rz56(port, o);
    test::Rz56Window window;
    ASSERT_EQ(OpenInstrumentPort(), 1);
    LinkState.requestEvent.store(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE reader = test::StartThread(Rz56ReaderThread);
    Sleep(20);
    constexpr int kRequests = 10000;
    const size_t good = kRequests - kRequests / 7;
    int overdue = 0;
    // Requests are counted where they arrive: the instrument answers each 'A' as it is written.
    auto requests = [&] { return static_cast<int>(rz56.FramesSent()); };
    // The requester every millisecond; between ticks the UI thread serves the reader's sends.
    const HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const DWORD start = GetTickCount();
    while ((requests() < kRequests || window.frames.size() < good) && GetTickCount() - start < 120000) {
      plat::WaitServicingSends(never, 1);
      if (requests() < kRequests) overdue += RequestRz56Reading() ? 1 : 0;
    }
    CloseHandle(never);
    window.PumpFor(100);
    EXPECT_EQ(requests(), kRequests);
    EXPECT_EQ(window.frames.size(), good);
    EXPECT_EQ(rz56.ReceivedBytes().find('H'), std::string::npos) << overdue << " overdue ticks";
    EXPECT_EQ(LinkState.rz56Ready.load(), 1);
    test::ClosePortField(LinkState.instrumentPort);
    SetEvent(LinkState.requestEvent.load());
    EXPECT_TRUE(test::JoinThread(reader, 2000));
    CloseHandle(LinkState.requestEvent.exchange(nullptr));
  }
  plat::test::Reset();
  ResetEngineState();
}

}  // namespace
}  // namespace desktop
