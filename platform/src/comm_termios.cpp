// The termios backend: a Linux tty opened raw and exclusive. Every wait is a poll that includes
// the port's close eventfd, so a close wakes blocked calls at once; the descriptor itself is
// closed only when the last call in flight has let go of the port. Input is read ahead: one read
// takes what the driver holds into the port's own buffer, and the programs' one-byte reads are
// served from it, one system call for a whole frame instead of one per byte. Those bytes still
// count as the driver's input queue everywhere (EV_RXCHAR, cbInQue, the receive purge). Bytes that
// came before a hang-up are handed out like any others; once the hang-up has been seen the port is
// silent. Also the pty pairs that tests use as devices.
#include "comm_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace plat::detail {
namespace {

// Lines that cannot be waited on in the driver are sampled this often while a wait watches them.
constexpr int kLinePollMs = 5;
// Bytes a read may take ahead of the caller.
constexpr size_t kReadAhead = 1024;

struct Speed {
  DWORD baud;
  speed_t code;
};
constexpr Speed kSpeeds[] = {{CBR_1200, B1200},   {CBR_2400, B2400},   {CBR_4800, B4800},
                             {CBR_9600, B9600},   {CBR_19200, B19200}, {CBR_38400, B38400},
                             {CBR_57600, B57600}, {CBR_115200, B115200}};

speed_t SpeedCode(DWORD baud) {
  for (const Speed& s : kSpeeds) {
    if (s.baud == baud) return s.code;
  }
  return B9600;
}

DWORD SpeedBaud(speed_t code) {
  for (const Speed& s : kSpeeds) {
    if (s.code == code) return s.baud;
  }
  return CBR_9600;
}

// The last termios handed to tcsetattr, per COM number (a test recorder).
std::mutex g_appliedMutex;
std::map<int, termios> g_applied;

int ApplyTermios(int com, int fd, const termios& t) {
  {
    std::lock_guard<std::mutex> lock(g_appliedMutex);
    g_applied[com] = t;
  }
  return tcsetattr(fd, TCSANOW, &t);
}

// The DCB as termios: raw, no translation, no stripping, parity not checked, reads never wait.
void DcbToTermios(const DCB& d, termios* t) {
  cfmakeraw(t);
  t->c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
  t->c_oflag &= ~tcflag_t(OPOST);
  t->c_lflag &= ~tcflag_t(ICANON | ECHO | ECHONL | ISIG | IEXTEN);
  t->c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t->c_cflag |= CLOCAL | CREAD;
  switch (d.ByteSize) {
    case 5: t->c_cflag |= CS5; break;
    case 6: t->c_cflag |= CS6; break;
    case 7: t->c_cflag |= CS7; break;
    default: t->c_cflag |= CS8; break;
  }
  switch (d.Parity) {
    case ODDPARITY: t->c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t->c_cflag |= PARENB; break;
    case MARKPARITY: t->c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: t->c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (d.StopBits != ONESTOPBIT) t->c_cflag |= CSTOPB;
  if (d.fOutX) t->c_iflag |= IXON;
  if (d.fInX) t->c_iflag |= IXOFF;
  t->c_cc[VSTART] = static_cast<cc_t>(d.XonChar);
  t->c_cc[VSTOP] = static_cast<cc_t>(d.XoffChar);
  if (d.fOutxCtsFlow || d.fRtsControl == RTS_CONTROL_HANDSHAKE) t->c_cflag |= CRTSCTS;
  t->c_cc[VMIN] = 0;
  t->c_cc[VTIME] = 0;
  cfsetispeed(t, SpeedCode(d.BaudRate));
  cfsetospeed(t, SpeedCode(d.BaudRate));
}

// Raises or drops one modem-control line. A device without modem lines (a pty) is not an error.
bool SetModemLine(int fd, int bit, bool on) {
  if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit) == 0) return true;
  return errno == ENOTTY || errno == EINVAL;
}

// The DCB's DTR and RTS settings on the device.
bool ApplyModemLines(int fd, const DCB& d) {
  bool ok = SetModemLine(fd, TIOCM_DTR, d.fDtrControl != DTR_CONTROL_DISABLE);
  // With handshaking the driver drives RTS itself.
  if (d.fRtsControl != RTS_CONTROL_HANDSHAKE) {
    ok = SetModemLine(fd, TIOCM_RTS, d.fRtsControl != RTS_CONTROL_DISABLE) && ok;
  }
  return ok;
}

int PollMs(uint64_t deadline) { return deadline == kNoDeadline ? -1 : RealPollTimeout(deadline); }

class TermiosPort final : public CommPort {
 public:
  TermiosPort(int com, int fd, int closeFd, int maskFd)
      : CommPort(com), fd_(fd), closeFd_(closeFd), maskFd_(maskFd) {
    DWORD lines = 0;
    linesOk_ = ReadLines(&lines);
    lines_ = lines;
  }

  ~TermiosPort() override {
    ::close(fd_);
    ::close(closeFd_);
    ::close(maskFd_);
  }

  TermiosPort(const TermiosPort&) = delete;
  TermiosPort& operator=(const TermiosPort&) = delete;

  // The handle is gone: give up exclusivity so the COM number reopens at once, and wake every
  // call blocked on the port. The descriptor stays open until those calls have left.
  void OnClose() override {
    MarkClosed();
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    eventfd_write(closeFd_, 1);
  }

  DWORD ApplyDcb(const DCB& d) override {
    termios t;
    if (tcgetattr(fd_, &t) != 0) return ERROR_GEN_FAILURE;
    DcbToTermios(d, &t);
    if (ApplyTermios(Com(), fd_, t) != 0) return ERROR_GEN_FAILURE;
    return ApplyModemLines(fd_, d) ? 0 : ERROR_GEN_FAILURE;
  }

  // What the buffer holds first; when that is not enough, one read of what the driver holds.
  size_t ReadNow(unsigned char* p, size_t n) override {
    if (n == 0) return 0;
    std::lock_guard<std::mutex> lock(inMu_);
    size_t k = TakeAheadLocked(p, n);
    if (k < n) {
      const ssize_t r = ::read(fd_, ahead_, sizeof ahead_);
      // A read that did not fill the buffer took all the driver held.
      drained_ = r < static_cast<ssize_t>(sizeof ahead_);
      if (r > 0) {
        aheadEnd_ = static_cast<size_t>(r);
        k += TakeAheadLocked(p + k, n - k);
      } else if (r < 0 && errno != EAGAIN && errno != EINTR) {
        // With VMIN = VTIME = 0 an empty queue reads 0; a hang-up shows in poll, or as EIO.
        MarkHungUp();
      }
    }
    return k;
  }

  bool InputDrained() override {
    std::lock_guard<std::mutex> lock(inMu_);
    return drained_ && aheadStart_ == aheadEnd_;
  }

  Wake WaitInput(uint64_t deadline) override {
    if (AheadBytes() > 0) return Wake::Ready;
    pollfd f[2] = {{closeFd_, POLLIN, 0}, {fd_, POLLIN, 0}};
    const int r = ::poll(f, 2, PollMs(deadline));
    if (Closed() || (f[0].revents & POLLIN)) return Wake::Closed;
    if (r > 0 && (f[1].revents & (POLLHUP | POLLERR | POLLNVAL))) {
      MarkHungUp();
      return Wake::Ready;
    }
    return r > 0 && (f[1].revents & POLLIN) ? Wake::Ready : Wake::Timeout;
  }

  Wake WaitClosed(uint64_t deadline) override {
    pollfd f = {closeFd_, POLLIN, 0};
    ::poll(&f, 1, PollMs(deadline));
    return Closed() || (f.revents & POLLIN) ? Wake::Closed : Wake::Timeout;
  }

  long WriteNow(const unsigned char* p, size_t n) override {
    if (HungUp()) return -1;
    const ssize_t r = ::write(fd_, p, n);
    if (r >= 0) return static_cast<long>(r);
    if (errno == EAGAIN || errno == EINTR) return 0;
    MarkHungUp();
    return -1;
  }

  Wake WaitOutput(uint64_t deadline) override {
    pollfd f[2] = {{closeFd_, POLLIN, 0}, {fd_, POLLOUT, 0}};
    const int r = ::poll(f, 2, PollMs(deadline));
    if (Closed() || (f[0].revents & POLLIN)) return Wake::Closed;
    return r > 0 && f[1].revents ? Wake::Ready : Wake::Timeout;
  }

  DWORD Purge(DWORD flags) override {
    if (HungUp()) return 0;  // nothing is queued on a device that has gone
    if (flags & PURGE_RXCLEAR) {
      // Under the buffer's lock, so no read moves older bytes into it between the two steps.
      std::lock_guard<std::mutex> lock(inMu_);
      aheadStart_ = aheadEnd_ = 0;
      if (tcflush(fd_, TCIFLUSH) != 0) return ERROR_GEN_FAILURE;
    }
    if ((flags & PURGE_TXCLEAR) && tcflush(fd_, TCOFLUSH) != 0) return ERROR_GEN_FAILURE;
    return 0;
  }

  // A new mask restarts the latch: edges count from now, and a pending wait returns with 0.
  void SetMask(DWORD mask) override {
    std::lock_guard<std::mutex> lock(mu_);
    mask_ = mask;
    ++gen_;
    latched_ = 0;
    DWORD lines = 0;
    if (linesOk_ && ReadLines(&lines)) lines_ = lines;
    if (waiters_ > 0) {
      stale_ = waiters_;
      eventfd_write(maskFd_, 1);
    }
  }

  DWORD Mask() override {
    std::lock_guard<std::mutex> lock(mu_);
    return mask_;
  }

  DWORD WaitEvent(DWORD* evt) override {
    std::unique_lock<std::mutex> lk(mu_);
    if (mask_ == 0) return ERROR_INVALID_PARAMETER;
    const uint64_t gen = gen_;
    ++waiters_;
    DWORD result = 0;
    for (;;) {
      if (Closed()) {
        result = ERROR_OPERATION_ABORTED;
        break;
      }
      if (gen_ != gen) break;  // the mask was set again: TRUE with no event
      const DWORD m = mask_;
      bool watchLines = (m & kLineEvents) && linesOk_;
      if (watchLines) {
        DWORD lines = 0;
        if (ReadLines(&lines)) {
          latched_ |= LineEdges(lines_, lines) & m;
          lines_ = lines;
        } else {
          linesOk_ = watchLines = false;
        }
      }
      // EV_RXCHAR is a level: any byte read ahead or in the driver's queue reports it.
      const bool watchInput = (m & EV_RXCHAR) && !HungUp();
      DWORD hit = latched_ & m;
      if (watchInput && InputBytes() > 0) hit |= EV_RXCHAR;
      if (hit) {
        latched_ &= ~hit;
        *evt = hit;
        break;
      }
      lk.unlock();
      pollfd f[3] = {{closeFd_, POLLIN, 0}, {maskFd_, POLLIN, 0}, {watchInput ? fd_ : -1, POLLIN, 0}};
      const int r = ::poll(f, 3, watchLines ? kLinePollMs : -1);
      if (r > 0 && (f[2].revents & (POLLHUP | POLLERR | POLLNVAL))) MarkHungUp();
      lk.lock();
    }
    --waiters_;
    // The last of the waiters that the new mask released takes the wake-up back down.
    if (gen_ != gen && stale_ > 0 && --stale_ == 0) {
      eventfd_t drained;
      eventfd_read(maskFd_, &drained);
    }
    return result;
  }

  DWORD ModemStatus() override {
    DWORD lines = 0;
    return ReadLines(&lines) ? lines : 0;
  }

  DWORD Escape(DWORD func) override {
    const int bit = (func == SETDTR || func == CLRDTR) ? TIOCM_DTR : TIOCM_RTS;
    return SetModemLine(fd_, bit, func == SETDTR || func == SETRTS) ? 0 : ERROR_GEN_FAILURE;
  }

  DWORD InQueue() override { return HungUp() ? 0 : InputBytes(); }

 private:
  // The modem lines as MS_ bits; false where the device has none (a pty) or is gone.
  bool ReadLines(DWORD* lines) {
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0) return false;
    DWORD ms = 0;
    if (bits & TIOCM_CTS) ms |= MS_CTS_ON;
    if (bits & TIOCM_DSR) ms |= MS_DSR_ON;
    if (bits & TIOCM_RI) ms |= MS_RING_ON;
    if (bits & TIOCM_CD) ms |= MS_RLSD_ON;
    *lines = ms;
    return true;
  }

  DWORD QueuedBytes() {
    int n = 0;
    return ioctl(fd_, TIOCINQ, &n) == 0 && n > 0 ? static_cast<DWORD>(n) : 0;
  }

  // Input not yet handed out: the bytes read ahead, then the driver's queue.
  DWORD InputBytes() {
    std::lock_guard<std::mutex> lock(inMu_);
    return static_cast<DWORD>(aheadEnd_ - aheadStart_) + QueuedBytes();
  }

  size_t AheadBytes() {
    std::lock_guard<std::mutex> lock(inMu_);
    return aheadEnd_ - aheadStart_;
  }

  size_t TakeAheadLocked(unsigned char* p, size_t n) {
    const size_t k = std::min(n, aheadEnd_ - aheadStart_);
    std::memcpy(p, ahead_ + aheadStart_, k);
    aheadStart_ += k;
    if (aheadStart_ == aheadEnd_) aheadStart_ = aheadEnd_ = 0;
    return k;
  }

  const int fd_;
  const int closeFd_;  // signalled once, by the close
  const int maskFd_;   // signalled when a new mask releases pending waits
  std::mutex mu_;      // guards the event latch below
  DWORD mask_ = 0;
  uint64_t gen_ = 0;
  DWORD latched_ = 0;
  DWORD lines_ = 0;
  bool linesOk_ = false;
  int waiters_ = 0;
  int stale_ = 0;
  std::mutex inMu_;  // guards the bytes read ahead
  unsigned char ahead_[kReadAhead];
  size_t aheadStart_ = 0;
  size_t aheadEnd_ = 0;
  bool drained_ = false;  // the last read of the device took all it held
};

// Where COM n lives: the device-folder entry (a symlink, a device node, or a regular file holding
// one device path), else /dev/ttyS{n-1}.
DWORD ResolveDevice(int com, char* out, size_t outSize, bool* isDefault) {
  *isDefault = false;
  char entry[PATH_MAX];
  const int len = snprintf(entry, sizeof entry, "%s/COM%d", DeviceDir(), com);
  struct stat st;
  if (len > 0 && static_cast<size_t>(len) < sizeof entry && lstat(entry, &st) == 0) {
    if (S_ISLNK(st.st_mode) || S_ISCHR(st.st_mode)) {
      snprintf(out, outSize, "%s", entry);
      return 0;
    }
    if (!S_ISREG(st.st_mode)) return ERROR_FILE_NOT_FOUND;
    FILE* f = fopen(entry, "re");
    if (!f) return ERROR_FILE_NOT_FOUND;
    const size_t got = fread(out, 1, outSize - 1, f);
    fclose(f);
    out[got] = '\0';
    // The first line, without surrounding blanks.
    out[strcspn(out, "\r\n")] = '\0';
    size_t start = strspn(out, " \t");
    size_t end = strlen(out);
    while (end > start && (out[end - 1] == ' ' || out[end - 1] == '\t')) --end;
    memmove(out, out + start, end - start);
    out[end - start] = '\0';
    return out[0] ? 0 : ERROR_FILE_NOT_FOUND;
  }
  *isDefault = true;
  snprintf(out, outSize, "/dev/ttyS%d", com - 1);
  return stat(out, &st) == 0 && S_ISCHR(st.st_mode) ? 0 : ERROR_FILE_NOT_FOUND;
}

DWORD OpenError(int err, bool isDefault) {
  switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV: return ERROR_FILE_NOT_FOUND;
    case EIO: return isDefault ? ERROR_FILE_NOT_FOUND : ERROR_GEN_FAILURE;  // a serial slot with no UART
    case EBUSY:
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    default: return ERROR_GEN_FAILURE;
  }
}

HANDLE FailOpen(int fd, bool exclusive, DWORD err) {
  if (exclusive) ioctl(fd, TIOCNXCL);
  ::close(fd);
  SetLastError(err);
  return nullptr;
}

// ---- Pty pairs for tests ---------------------------------------------------------------------
struct PtyPair {
  int master;
  int slave;  // held open so the pair stays up between the layer's opens
  unsigned number;
  dev_t slaveDev;
};
std::mutex g_ptyMutex;
std::map<int, PtyPair> g_ptys;

// The descriptors are closed only while they still are this pair's (the test may have closed one
// itself, and its number may have gone to something else since).
void CloseMaster(const PtyPair& p) {
  unsigned number = 0;
  if (p.master >= 0 && ioctl(p.master, TIOCGPTN, &number) == 0 && number == p.number) ::close(p.master);
}

void ClosePair(const PtyPair& p) {
  CloseMaster(p);
  struct stat st;
  if (p.slave >= 0 && fstat(p.slave, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == p.slaveDev) {
    ::close(p.slave);
  }
}

bool MakeDirs(const char* path) {
  char buf[PATH_MAX];
  const int len = snprintf(buf, sizeof buf, "%s", path);
  if (len <= 0 || static_cast<size_t>(len) >= sizeof buf) return false;
  for (char* p = buf + 1; *p; ++p) {
    if (*p != '/') continue;
    *p = '\0';
    if (mkdir(buf, 0755) != 0 && errno != EEXIST) return false;
    *p = '/';
  }
  return mkdir(buf, 0755) == 0 || errno == EEXIST;
}

}  // namespace

HANDLE OpenTermiosPort(int com) {
  char path[PATH_MAX];
  bool isDefault = false;
  if (const DWORD err = ResolveDevice(com, path, sizeof path, &isDefault)) {
    SetLastError(err);
    return nullptr;
  }
  const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    SetLastError(OpenError(errno, isDefault));
    return nullptr;
  }
  if (!isatty(fd)) return FailOpen(fd, false, ERROR_FILE_NOT_FOUND);
  // The lock keeps out other opens, in this process and in others (TIOCEXCL does not stop root).
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return FailOpen(fd, false, errno == EWOULDBLOCK ? ERROR_ACCESS_DENIED : ERROR_GEN_FAILURE);
  }
  ioctl(fd, TIOCEXCL);
  termios t;
  if (tcgetattr(fd, &t) != 0) return FailOpen(fd, true, isDefault ? ERROR_FILE_NOT_FOUND : ERROR_GEN_FAILURE);
  const DCB dcb = InitialDcb(SpeedBaud(cfgetospeed(&t)));
  DcbToTermios(dcb, &t);
  if (ApplyTermios(com, fd, t) != 0) return FailOpen(fd, true, ERROR_GEN_FAILURE);
  ApplyModemLines(fd, dcb);
  const int closeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  const int maskFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (closeFd < 0 || maskFd < 0) {
    if (closeFd >= 0) ::close(closeFd);
    if (maskFd >= 0) ::close(maskFd);
    return FailOpen(fd, true, ERROR_GEN_FAILURE);
  }
  auto port = std::make_shared<TermiosPort>(com, fd, closeFd, maskFd);
  port->StoreDcb(dcb);
  return InsertHandle(std::move(port));
}

bool LastAppliedTermios(int com, termios* out) {
  std::lock_guard<std::mutex> lock(g_appliedMutex);
  auto it = g_applied.find(com);
  if (it == g_applied.end()) return false;
  if (out) *out = it->second;
  return true;
}

int CreatePtyPort(int com) {
  // Real descriptors bring real timing, which a virtual clock cannot step.
  if (ClockIsVirtual() || com < 1 || com > 255) return -1;
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return -1;
  char name[128];
  int slave = -1;
  if (grantpt(master) == 0 && unlockpt(master) == 0 && ptsname_r(master, name, sizeof name) == 0) {
    slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  }
  termios t;
  char link[PATH_MAX];
  const int len = snprintf(link, sizeof link, "%s/COM%d", DeviceDir(), com);
  unsigned number = 0;
  struct stat ss;
  bool ok = slave >= 0 && tcgetattr(slave, &t) == 0 && len > 0 && static_cast<size_t>(len) < sizeof link &&
            ioctl(master, TIOCGPTN, &number) == 0 && fstat(slave, &ss) == 0;
  if (ok) {
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ok = tcsetattr(slave, TCSANOW, &t) == 0 && MakeDirs(DeviceDir());
  }
  if (ok) {
    unlink(link);
    ok = symlink(name, link) == 0;
  }
  if (!ok) {
    if (slave >= 0) ::close(slave);
    ::close(master);
    return -1;
  }
  std::lock_guard<std::mutex> lock(g_ptyMutex);
  auto it = g_ptys.find(com);
  if (it != g_ptys.end()) ClosePair(it->second);
  g_ptys[com] = PtyPair{master, slave, number, ss.st_rdev};
  return master;
}

bool ClosePtyMaster(int com) {
  std::lock_guard<std::mutex> lock(g_ptyMutex);
  auto it = g_ptys.find(com);
  if (it == g_ptys.end() || it->second.master < 0) return false;
  CloseMaster(it->second);
  it->second.master = -1;
  return true;
}

void ResetTermios() {
  {
    std::lock_guard<std::mutex> lock(g_ptyMutex);
    for (auto& [com, pair] : g_ptys) ClosePair(pair);
    g_ptys.clear();
  }
  std::lock_guard<std::mutex> lock(g_appliedMutex);
  g_applied.clear();
}

}  // namespace plat::detail
