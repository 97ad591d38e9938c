// The simulated RZ56-MK2 on a pseudo-terminal master, in real time: it reads what the program
// sends, answers through the responder, and paces every byte at the line rate.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/rz56.h"

namespace sim {

struct Rz56PtyResult {
  long frames = 0;    // answers and wheel frames sent
  long received = 0;  // bytes the program sent
  bool stopped = false;
  bool failed = false;  // the master failed
};

class Rz56PtyServer {
 public:
  // captureFd: each received byte is logged there as a capture line (-1: no file).
  Rz56PtyServer(int master, const Rz56Options& options, int captureFd = -1);

  // Serves the master on the calling thread until *stop is set or the master fails.
  Rz56PtyResult Run(const std::atomic<bool>* stop);

  // From any thread: a wheel frame as soon as the server next looks (within a few ms), when the
  // instrument is in wheel mode then.
  void Trigger() { triggers_.fetch_add(1); }
  // From any thread or a signal handler: the QC coil pressed as soon as the server next looks.
  void PressCoil() { coilPresses_.fetch_add(1); }
  std::vector<Rz56Received> Received() const;
  long FramesSent() const;
  Rz56Mode Mode() const;
  std::string Frame(long i) const;

 private:
  double NowMs() const;
  bool ReadInput(double now);
  void WriteDue(double now);
  void Capture(const Rz56Received& r);

  const int master_;
  const int captureFd_;
  mutable std::mutex mu_;
  Rz56Responder responder_;
  std::deque<Rz56Out> queue_;
  std::atomic<int> triggers_{0};
  std::atomic<int> coilPresses_{0};
  std::chrono::steady_clock::time_point start_;
};

// The server on its own thread, from construction until Stop or destruction (tests).
class Rz56PtyThread {
 public:
  Rz56PtyThread(int master, const Rz56Options& options, int captureFd = -1);
  ~Rz56PtyThread() { Stop(); }
  Rz56PtyThread(const Rz56PtyThread&) = delete;
  Rz56PtyThread& operator=(const Rz56PtyThread&) = delete;
  Rz56PtyResult Stop();
  Rz56PtyServer& Server() { return server_; }

 private:
  Rz56PtyServer server_;
  std::atomic<bool> stop_{false};
  Rz56PtyResult result_;
  std::thread thread_;
};

}  // namespace sim
