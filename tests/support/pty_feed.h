// A simulator's stream played into a pty master on its own thread, from the moment the program
// opens the port, until stopped (or destroyed).
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "sim/pty_sink.h"
#include "sim/stream.h"

namespace test_support {

class PtyFeed {
 public:
  PtyFeed(int master, std::unique_ptr<sim::Stream> stream) : stream_(std::move(stream)) {
    thread_ = std::thread([this, master] {
      sim::PtyOptions o;
      o.waitForOpen = true;
      o.lingerMs = 0;
      o.stop = &stop_;
      sim::StreamToPty(master, *stream_, o);
    });
  }
  ~PtyFeed() { Stop(); }
  PtyFeed(const PtyFeed&) = delete;
  PtyFeed& operator=(const PtyFeed&) = delete;
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::unique_ptr<sim::Stream> stream_;
  std::thread thread_;
};

}  // namespace test_support
