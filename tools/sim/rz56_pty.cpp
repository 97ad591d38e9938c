#include "sim/rz56_pty.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <string>

namespace sim {
namespace {
constexpr int kLookMs = 5;  // the longest poll, so that triggers and stops are seen soon
}  // namespace

Rz56PtyServer::Rz56PtyServer(int master, const Rz56Options& options, int captureFd)
    : master_(master), captureFd_(captureFd), responder_(options), start_(std::chrono::steady_clock::now()) {}

double Rz56PtyServer::NowMs() const {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
}

std::vector<Rz56Received> Rz56PtyServer::Received() const {
  std::lock_guard<std::mutex> lk(mu_);
  return responder_.Received();
}

long Rz56PtyServer::FramesSent() const {
  std::lock_guard<std::mutex> lk(mu_);
  return responder_.FramesSent();
}

std::string Rz56PtyServer::Frame(long i) const {
  std::lock_guard<std::mutex> lk(mu_);
  return responder_.Frame(i);
}

Rz56Mode Rz56PtyServer::Mode() const {
  std::lock_guard<std::mutex> lk(mu_);
  return responder_.Mode();
}

void Rz56PtyServer::Capture(const Rz56Received& r) {
  if (captureFd_ < 0) return;
  const std::string line = Rz56CaptureLine(r) + "\n";
  size_t off = 0;
  while (off < line.size()) {
    const ssize_t w = ::write(captureFd_, line.data() + off, line.size() - off);
    if (w <= 0) break;
    off += static_cast<size_t>(w);
  }
}

// False when the master failed.
bool Rz56PtyServer::ReadInput(double now) {
  unsigned char buf[64];
  const ssize_t k = ::read(master_, buf, sizeof buf);
  // EIO: nobody has the slave open; EAGAIN: nothing there.
  if (k < 0) return errno == EIO || errno == EAGAIN || errno == EINTR;
  std::vector<Rz56Out> out;
  std::lock_guard<std::mutex> lk(mu_);
  for (ssize_t i = 0; i < k; ++i) {
    responder_.Receive(buf[i], now, &out);
    Capture(responder_.Received().back());
  }
  queue_.insert(queue_.end(), out.begin(), out.end());
  return true;
}

void Rz56PtyServer::WriteDue(double now) {
  std::lock_guard<std::mutex> lk(mu_);
  while (!queue_.empty() && queue_.front().atMs <= now) {
    const ssize_t w = ::write(master_, &queue_.front().byte, 1);
    if (w < 0 && errno == EAGAIN) return;  // the program is not reading: try again soon
    // Any other failure (no slave) drops the byte, as a line nobody listens to would.
    queue_.pop_front();
  }
}

Rz56PtyResult Rz56PtyServer::Run(const std::atomic<bool>* stop) {
  Rz56PtyResult r;
  const int flags = fcntl(master_, F_GETFL);
  if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
    r.failed = true;
    return r;
  }
  while (!(stop && stop->load())) {
    double now = NowMs();
    {
      std::vector<Rz56Out> out;
      std::lock_guard<std::mutex> lk(mu_);
      if (coilPresses_.exchange(0) > 0) responder_.PressCoil(now);
      for (int n = triggers_.exchange(0); n > 0; --n) responder_.Trigger(now, &out);
      responder_.WheelDue(now, &out);
      queue_.insert(queue_.end(), out.begin(), out.end());
    }
    WriteDue(now);
    double next = now + kLookMs;
    {
      std::lock_guard<std::mutex> lk(mu_);
      if (!queue_.empty() && queue_.front().atMs < next) next = queue_.front().atMs;
      if (responder_.NextWheelMs() < next) next = responder_.NextWheelMs();
    }
    const int timeout = next <= now ? 0 : static_cast<int>(std::ceil(next - now));
    pollfd p{master_, POLLIN, 0};
    const int n = poll(&p, 1, timeout);
    if (n < 0 && errno != EINTR) {
      r.failed = true;
      break;
    }
    if (n > 0 && (p.revents & (POLLERR | POLLNVAL))) {
      r.failed = true;
      break;
    }
    if (n > 0 && (p.revents & POLLIN) && !ReadInput(NowMs())) {
      r.failed = true;
      break;
    }
    // The slave is closed: poll returns at once, so wait a little instead.
    if (n > 0 && (p.revents & POLLHUP)) usleep(1000);
  }
  std::lock_guard<std::mutex> lk(mu_);
  r.stopped = stop && stop->load();
  r.frames = responder_.FramesSent();
  r.received = static_cast<long>(responder_.Received().size());
  return r;
}

Rz56PtyThread::Rz56PtyThread(int master, const Rz56Options& options, int captureFd)
    : server_(master, options, captureFd) {
  thread_ = std::thread([this] { result_ = server_.Run(&stop_); });
}

Rz56PtyResult Rz56PtyThread::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return result_;
}

}  // namespace sim
