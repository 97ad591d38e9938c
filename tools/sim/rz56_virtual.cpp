#include "sim/rz56_virtual.h"

#include <cmath>

namespace sim {

Rz56OnVirtualPort::Rz56OnVirtualPort(std::shared_ptr<plat::test::VirtualPort> port, const Rz56Options& options)
    : port_(std::move(port)), startTick_(GetTickCount()), responder_(options) {
  port_->OnByte([this](unsigned char b) {
    std::vector<Rz56Out> out;
    {
      std::lock_guard<std::mutex> lk(mu_);
      responder_.Receive(b, NowMs(), &out);
    }
    Feed(out);
  });
}

Rz56OnVirtualPort::~Rz56OnVirtualPort() { port_->OnByte(nullptr); }

double Rz56OnVirtualPort::NowMs() const { return static_cast<double>(static_cast<DWORD>(GetTickCount() - startTick_)); }

void Rz56OnVirtualPort::Feed(const std::vector<Rz56Out>& out) {
  // Bytes due at the same tick go in one feed.
  size_t i = 0;
  while (i < out.size()) {
    const DWORD tick = startTick_ + static_cast<DWORD>(std::llround(out[i].atMs));
    std::string bytes;
    for (; i < out.size() && startTick_ + static_cast<DWORD>(std::llround(out[i].atMs)) == tick; ++i) {
      bytes.push_back(static_cast<char>(out[i].byte));
    }
    port_->Feed(bytes, tick);
  }
}

bool Rz56OnVirtualPort::Trigger() {
  std::vector<Rz56Out> out;
  bool sent = false;
  {
    std::lock_guard<std::mutex> lk(mu_);
    sent = responder_.Trigger(NowMs(), &out);
  }
  Feed(out);
  return sent;
}

int Rz56OnVirtualPort::FeedWheel(DWORD untilTick) {
  std::vector<Rz56Out> out;
  int n = 0;
  {
    std::lock_guard<std::mutex> lk(mu_);
    n = responder_.WheelDue(static_cast<double>(static_cast<DWORD>(untilTick - startTick_)), &out);
  }
  Feed(out);
  return n;
}

void Rz56OnVirtualPort::PressCoil() {
  std::lock_guard<std::mutex> lk(mu_);
  responder_.PressCoil(NowMs());
}

void Rz56OnVirtualPort::SetOff(bool off) {
  std::lock_guard<std::mutex> lk(mu_);
  responder_.SetOff(off);
}

std::vector<Rz56Received> Rz56OnVirtualPort::Received() const {
  std::lock_guard<std::mutex> lk(mu_);
  return responder_.Received();
}

std::string Rz56OnVirtualPort::ReceivedBytes() const {
  std::string s;
  for (const Rz56Received& r : Received()) s.push_back(static_cast<char>(r.byte));
  return s;
}

long Rz56OnVirtualPort::FramesSent() const {
  std::lock_guard<std::mutex> lk(mu_);
  return responder_.FramesSent();
}

Rz56Mode Rz56OnVirtualPort::Mode() const {
  std::lock_guard<std::mutex> lk(mu_);
  return responder_.Mode();
}

std::string Rz56OnVirtualPort::Frame(long i) const {
  std::lock_guard<std::mutex> lk(mu_);
  return responder_.Frame(i);
}

}  // namespace sim
