// The virtual backend: an in-process device that a test attaches to a COM number. It behaves like
// a port through the same handle calls, and all its waiting goes through KernelWait, so feeds
// scheduled on the platform clock and the time-outs step together with a virtual clock.
#include "comm_port.h"

#include <algorithm>
#include <map>

namespace plat::detail {

class VirtualConn final : public CommPort {
 public:
  VirtualConn(int com, std::shared_ptr<VirtualDevice> dev) : CommPort(com), dev_(std::move(dev)) {}

  void OnClose() override {
    std::lock_guard<std::mutex> lk(KernelMutex());
    MarkClosed();
    if (dev_->conn_ == this) dev_->conn_ = nullptr;
    ++dev_->closes_;
    Kick();
  }

  DWORD ApplyDcb(const DCB& d) override {
    std::lock_guard<std::mutex> lk(KernelMutex());
    dev_->lastDcb_ = d;
    dev_->haveDcb_ = true;
    dev_->baud_ = d.BaudRate;
    return 0;
  }

  void TimeoutsApplied(const COMMTIMEOUTS& t) override {
    std::lock_guard<std::mutex> lk(KernelMutex());
    dev_->lastTimeouts_ = t;
    dev_->haveTimeouts_ = true;
  }

  size_t ReadNow(unsigned char* p, size_t n) override {
    std::lock_guard<std::mutex> lk(KernelMutex());
    dev_->Pump(NowMs());
    const size_t k = std::min(n, dev_->input_.size());
    std::copy_n(dev_->input_.begin(), k, p);
    dev_->input_.erase(dev_->input_.begin(), dev_->input_.begin() + static_cast<std::ptrdiff_t>(k));
    return k;
  }

  Wake WaitInput(uint64_t deadline) override {
    std::unique_lock<std::mutex> lk(KernelMutex());
    return WaitUntil(lk, deadline, [this] { return !dev_->input_.empty(); });
  }

  Wake WaitClosed(uint64_t deadline) override {
    std::unique_lock<std::mutex> lk(KernelMutex());
    return WaitUntil(lk, deadline, [] { return false; });
  }

  long WriteNow(const unsigned char* p, size_t n) override {
    std::function<void(unsigned char)> responder;
    {
      std::lock_guard<std::mutex> lk(KernelMutex());
      if (dev_->held_) return 0;
      dev_->output_.append(reinterpret_cast<const char*>(p), n);
      responder = dev_->responder_;
    }
    // The responder runs on the writer's thread, unlocked, so it may feed the port.
    if (responder) {
      for (size_t i = 0; i < n; ++i) responder(p[i]);
    }
    return static_cast<long>(n);
  }

  Wake WaitOutput(uint64_t deadline) override {
    std::unique_lock<std::mutex> lk(KernelMutex());
    return WaitUntil(lk, deadline, [this] { return !dev_->held_; });
  }

  DWORD Purge(DWORD flags) override {
    std::lock_guard<std::mutex> lk(KernelMutex());
    dev_->purges_.push_back(flags);
    if (flags & PURGE_RXCLEAR) {
      dev_->Pump(NowMs());
      dev_->input_.clear();
    }
    return 0;
  }

  void SetMask(DWORD mask) override {
    std::lock_guard<std::mutex> lk(KernelMutex());
    dev_->masks_.push_back(mask);
    mask_ = mask;
    ++gen_;
    latched_ = 0;
    Kick();
  }

  DWORD Mask() override {
    std::lock_guard<std::mutex> lk(KernelMutex());
    return mask_;
  }

  DWORD WaitEvent(DWORD* evt) override {
    std::unique_lock<std::mutex> lk(KernelMutex());
    if (mask_ == 0) return ERROR_INVALID_PARAMETER;
    const uint64_t gen = gen_;
    DWORD hit = 0;
    // EV_RXCHAR is a level (any byte queued); the line events are latched edges.
    const Wake w = WaitUntil(lk, kNoDeadline, [&] {
      if (gen_ != gen) return true;
      hit = latched_ & mask_;
      if ((mask_ & EV_RXCHAR) && !dev_->input_.empty()) hit |= EV_RXCHAR;
      return hit != 0;
    });
    if (w == Wake::Closed) return ERROR_OPERATION_ABORTED;
    if (gen_ != gen) return 0;  // the mask was set again: TRUE with no event
    latched_ &= ~hit;
    *evt = hit;
    return 0;
  }

  DWORD ModemStatus() override {
    std::lock_guard<std::mutex> lk(KernelMutex());
    dev_->Pump(NowMs());
    return dev_->lines_;
  }

  DWORD Escape(DWORD /*func*/) override { return 0; }

  DWORD InQueue() override {
    std::lock_guard<std::mutex> lk(KernelMutex());
    dev_->Pump(NowMs());
    return static_cast<DWORD>(dev_->input_.size());
  }

  bool OutputHeld() override {
    std::lock_guard<std::mutex> lk(KernelMutex());
    return dev_->held_;
  }

  // Called with KernelMutex held, from SetLines.
  void LatchLines(DWORD edges) { latched_ |= edges & mask_; }

 private:
  // Waits with KernelMutex held until ready(), the close, or the deadline. Scheduled feeds are
  // deadlines of the wait too, so a virtual clock steps to each of them.
  Wake WaitUntil(std::unique_lock<std::mutex>& lk, uint64_t deadline, const std::function<bool()>& ready) {
    for (;;) {
      dev_->Pump(NowMs());
      if (Closed()) return Wake::Closed;
      if (ready()) return Wake::Ready;
      if (NowMs() >= deadline) return Wake::Timeout;
      const uint64_t until = std::min(deadline, dev_->NextDue());
      KernelWait(lk, until, [&] {
        dev_->Pump(NowMs());
        return Closed() || ready() || dev_->NextDue() < until;
      });
    }
  }

  const std::shared_ptr<VirtualDevice> dev_;
  // The event latch, under KernelMutex.
  DWORD mask_ = 0;
  uint64_t gen_ = 0;
  DWORD latched_ = 0;
};

void VirtualDevice::Pump(uint64_t now) {
  while (!scheduled_.empty() && scheduled_.front().due <= now) {
    const Scheduled& due = scheduled_.front();
    if (due.isLines) {
      ApplyLines(due.lines);
    } else {
      input_.insert(input_.end(), due.bytes.begin(), due.bytes.end());
    }
    scheduled_.pop_front();
  }
}

void VirtualDevice::ApplyLines(DWORD lines) {
  lines &= kModemBits;
  if (conn_) conn_->LatchLines(LineEdges(lines_, lines));
  lines_ = lines;
}

void VirtualDevice::Schedule(Scheduled entry) {
  // Entries due at the same time take effect in the order they were given.
  auto at = std::upper_bound(scheduled_.begin(), scheduled_.end(), entry.due,
                             [](uint64_t due, const Scheduled& s) { return due < s.due; });
  scheduled_.insert(at, std::move(entry));
}

uint64_t VirtualDevice::DueAtTick(DWORD tick) {
  // The tick and the platform clock read at the same instant; a tick already passed means now.
  uint64_t now = 0;
  DWORD tickNow = 0;
  do {
    now = NowMs();
    tickNow = GetTickCount();
  } while (NowMs() != now);
  const auto ahead = static_cast<int32_t>(tick - tickNow);
  return ahead > 0 ? now + static_cast<uint64_t>(ahead) : now;
}

uint64_t VirtualDevice::NextDue() const { return scheduled_.empty() ? kNoDeadline : scheduled_.front().due; }

void VirtualDevice::Feed(std::string_view bytes, uint64_t dueMs) {
  if (bytes.empty()) return;
  std::lock_guard<std::mutex> lk(KernelMutex());
  const uint64_t now = NowMs();
  Pump(now);
  if (dueMs <= now) {
    input_.insert(input_.end(), bytes.begin(), bytes.end());
  } else {
    Schedule(Scheduled{dueMs, std::string(bytes)});
  }
  Kick();
}

void VirtualDevice::FeedAtTick(std::string_view bytes, DWORD tick) { Feed(bytes, DueAtTick(tick)); }

std::string VirtualDevice::TakeOutput() {
  std::lock_guard<std::mutex> lk(KernelMutex());
  std::string out;
  out.swap(output_);
  return out;
}

void VirtualDevice::SetLines(DWORD lines) {
  std::lock_guard<std::mutex> lk(KernelMutex());
  Pump(NowMs());
  ApplyLines(lines);
  Kick();
}

void VirtualDevice::SetLinesAtTick(DWORD lines, DWORD tick) {
  const uint64_t due = DueAtTick(tick);
  std::lock_guard<std::mutex> lk(KernelMutex());
  const uint64_t now = NowMs();
  Pump(now);
  if (due <= now) {
    ApplyLines(lines);
  } else {
    Schedule(Scheduled{due, std::string(), true, lines});
  }
  Kick();
}

void VirtualDevice::HoldOutput(bool hold) {
  std::lock_guard<std::mutex> lk(KernelMutex());
  held_ = hold;
  Kick();
}

void VirtualDevice::FailOpens(int count, DWORD error) {
  std::lock_guard<std::mutex> lk(KernelMutex());
  failOpens_ = std::max(count, 0);
  failError_ = error;
}

void VirtualDevice::OnByte(std::function<void(unsigned char)> responder) {
  std::lock_guard<std::mutex> lk(KernelMutex());
  responder_ = std::move(responder);
}

bool VirtualDevice::IsOpen() {
  std::lock_guard<std::mutex> lk(KernelMutex());
  return conn_ != nullptr;
}

int VirtualDevice::Opens() {
  std::lock_guard<std::mutex> lk(KernelMutex());
  return opens_;
}

int VirtualDevice::Closes() {
  std::lock_guard<std::mutex> lk(KernelMutex());
  return closes_;
}

int VirtualDevice::OpenAttempts() {
  std::lock_guard<std::mutex> lk(KernelMutex());
  return attempts_;
}

bool VirtualDevice::LastDcb(DCB* out) {
  std::lock_guard<std::mutex> lk(KernelMutex());
  if (haveDcb_ && out) *out = lastDcb_;
  return haveDcb_;
}

bool VirtualDevice::LastTimeouts(COMMTIMEOUTS* out) {
  std::lock_guard<std::mutex> lk(KernelMutex());
  if (haveTimeouts_ && out) *out = lastTimeouts_;
  return haveTimeouts_;
}

std::vector<DWORD> VirtualDevice::Purges() {
  std::lock_guard<std::mutex> lk(KernelMutex());
  return purges_;
}

std::vector<DWORD> VirtualDevice::Masks() {
  std::lock_guard<std::mutex> lk(KernelMutex());
  return masks_;
}

size_t VirtualDevice::InputQueued() {
  std::lock_guard<std::mutex> lk(KernelMutex());
  Pump(NowMs());
  return input_.size();
}

HANDLE VirtualDevice::Open() {
  std::shared_ptr<VirtualConn> conn;
  DWORD baud = CBR_9600;
  {
    std::lock_guard<std::mutex> lk(KernelMutex());
    ++attempts_;
    if (failOpens_ > 0) {
      --failOpens_;
      SetLastError(failError_);
      return nullptr;
    }
    if (conn_) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    conn = std::make_shared<VirtualConn>(com_, shared_from_this());
    conn_ = conn.get();
    ++opens_;
    baud = baud_;
  }
  conn->StoreDcb(InitialDcb(baud));
  return InsertHandle(std::move(conn));
}

namespace {

std::mutex g_devicesMutex;
std::map<int, std::shared_ptr<VirtualDevice>> g_devices;

}  // namespace

std::shared_ptr<VirtualDevice> AttachVirtualDevice(int com) {
  if (com < 1 || com > 255) return nullptr;
  std::lock_guard<std::mutex> lock(g_devicesMutex);
  auto& dev = g_devices[com];
  if (!dev) dev = std::make_shared<VirtualDevice>(com);
  return dev;
}

void DetachVirtualDevice(int com) {
  std::lock_guard<std::mutex> lock(g_devicesMutex);
  g_devices.erase(com);
}

std::shared_ptr<VirtualDevice> FindVirtualDevice(int com) {
  std::lock_guard<std::mutex> lock(g_devicesMutex);
  auto it = g_devices.find(com);
  return it == g_devices.end() ? nullptr : it->second;
}

void ResetVirtual() {
  std::lock_guard<std::mutex> lock(g_devicesMutex);
  g_devices.clear();
}

}  // namespace plat::detail
