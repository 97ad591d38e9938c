#include "sim/pty_sink.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace sim {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

enum class Wait { kReady, kStopped, kFailed };

bool Stopped(const PtyOptions& o) { return o.stop && o.stop->load(); }

void SleepMs(int ms) {
  timespec ts{ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&ts, nullptr);
}

bool MakeDirs(const std::string& path) {
  std::string part;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || (path[i] == '/' && i > 0)) {
      part = path.substr(0, i);
      if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}

class Player {
 public:
  Player(int master, const PtyOptions& o) : master_(master), o_(o) {}

  PtyResult& Result() { return r_; }

  // Serves the master until `deadline`, copying the program's bytes to the capture. With
  // untilOpen, serves it until the slave is open instead.
  Wait Serve(Clock::time_point deadline, bool untilOpen) {
    for (;;) {
      if (Stopped(o_)) return Wait::kStopped;
      const auto now = Clock::now();
      if (!untilOpen && now >= deadline) return Wait::kReady;
      int timeout = 50;
      if (!untilOpen) {
        const double left = Ms(deadline - now).count();
        timeout = left < 50 ? static_cast<int>(left) + 1 : 50;
      }
      pollfd p{master_, POLLIN, 0};
      const int n = poll(&p, 1, timeout);
      if (n < 0) {
        if (errno == EINTR) continue;
        return Wait::kFailed;
      }
      if (n == 0) {
        if (untilOpen) return Wait::kReady;
        continue;
      }
      if (p.revents & (POLLERR | POLLNVAL)) return Wait::kFailed;
      if (p.revents & POLLIN) Capture();
      if (p.revents & POLLHUP) {
        // Nobody has the slave open: poll would return at once, so wait a little instead.
        SleepMs(timeout < 5 ? timeout : 5);
      } else if (untilOpen) {
        return Wait::kReady;
      }
    }
  }

  bool HungUp() {
    pollfd p{master_, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & POLLHUP);
  }

  Wait Write(const char* p, size_t n) {
    while (n > 0) {
      const ssize_t k = ::write(master_, p, n);
      if (k > 0) {
        p += k;
        n -= static_cast<size_t>(k);
        r_.bytes += k;
        continue;
      }
      if (k < 0 && errno == EINTR) continue;
      if (k < 0 && errno == EAGAIN) {
        // The program is not reading: wait for room.
        const Wait w = Serve(Clock::now() + std::chrono::milliseconds(10), false);
        if (w != Wait::kReady) return w;
        continue;
      }
      return Wait::kFailed;
    }
    return Wait::kReady;
  }

 private:
  void Capture() {
    char buf[512];
    const ssize_t k = ::read(master_, buf, sizeof buf);
    if (k <= 0) return;
    r_.captured += k;
    if (o_.captureFd < 0) return;
    ssize_t off = 0;
    while (off < k) {
      const ssize_t w = ::write(o_.captureFd, buf + off, static_cast<size_t>(k - off));
      if (w <= 0) break;
      off += w;
    }
  }

  int master_;
  const PtyOptions& o_;
  PtyResult r_;
};

PtyResult Finish(Player& player, Wait w) {
  PtyResult& r = player.Result();
  r.stopped = w == Wait::kStopped;
  r.failed = w == Wait::kFailed;
  return r;
}

}  // namespace

bool CreatePtyLink(const char* devDir, int comNumber, PtyLink* out, std::string* error) {
  auto fail = [&](const char* what) {
    if (error) *error = std::string(what) + ": " + strerror(errno);
    if (out->master >= 0) ::close(out->master);
    out->master = -1;
    return false;
  };
  *out = PtyLink{};
  if (comNumber < 1 || comNumber > 255) {
    errno = EINVAL;
    return fail("COM number outside 1 to 255");
  }
  out->master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (out->master < 0) return fail("posix_openpt");
  char name[128];
  if (grantpt(out->master) != 0 || unlockpt(out->master) != 0 || ptsname_r(out->master, name, sizeof name) != 0) {
    return fail("pty slave");
  }
  out->slavePath = name;
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0) return fail(name);
  termios t;
  bool ok = tcgetattr(slave, &t) == 0;
  if (ok) {
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ok = tcsetattr(slave, TCSANOW, &t) == 0;
  }
  const int saved = errno;
  ::close(slave);
  errno = saved;
  if (!ok) return fail("raw mode");
  if (!MakeDirs(devDir)) return fail(devDir);
  out->linkPath = std::string(devDir) + "/COM" + std::to_string(comNumber);
  ::unlink(out->linkPath.c_str());
  if (symlink(name, out->linkPath.c_str()) != 0) return fail(out->linkPath.c_str());
  return true;
}

void RemovePtyLink(PtyLink* link) {
  if (!link->linkPath.empty()) {
    char target[PATH_MAX];
    const ssize_t n = readlink(link->linkPath.c_str(), target, sizeof target - 1);
    if (n > 0) {
      target[n] = 0;
      if (link->slavePath == target) ::unlink(link->linkPath.c_str());
    }
  }
  if (link->master >= 0) ::close(link->master);
  link->master = -1;
}

PtyResult StreamToPty(int master, Stream& stream, const PtyOptions& o) {
  Player player(master, o);
  const int flags = fcntl(master, F_GETFL);
  if (flags < 0 || fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) return Finish(player, Wait::kFailed);
  struct Restore {
    int fd, flags;
    ~Restore() { fcntl(fd, F_SETFL, flags); }
  } restore{master, flags};

  const double byteMs = 1000.0 * (o.bitsPerByte > 0 ? o.bitsPerByte : 10) / (o.baud > 0 ? o.baud : 9600);
  Wait w = Wait::kReady;
  if (o.waitForOpen && player.HungUp()) w = player.Serve({}, true);
  auto start = Clock::now();
  auto lineFree = start;
  Chunk c;
  while (w == Wait::kReady && stream.Next(&c)) {
    if (o.waitForOpen && player.HungUp()) {
      w = player.Serve({}, true);
      if (w != Wait::kReady) break;
      // Resume with this chunk at once.
      const auto now = Clock::now();
      start = now - std::chrono::duration_cast<Clock::duration>(Ms(c.atMs));
      lineFree = now;
    }
    auto at = start + std::chrono::duration_cast<Clock::duration>(Ms(c.atMs));
    if (at < lineFree) at = lineFree;
    w = player.Serve(at, false);
    if (w != Wait::kReady) break;
    if (!o.paced) {
      w = player.Write(c.bytes.data(), c.bytes.size());
      lineFree = Clock::now();
    } else {
      const size_t group = o.fifoBytes > 1 ? static_cast<size_t>(o.fifoBytes) : 1;
      for (size_t j = 0; j < c.bytes.size() && w == Wait::kReady; j += group) {
        const size_t k = std::min(group, c.bytes.size() - j);
        const double dueMs = byteMs * static_cast<double>(j + k - 1) + (k < group ? 4 * byteMs : 0);
        w = player.Serve(at + std::chrono::duration_cast<Clock::duration>(Ms(dueMs)), false);
        if (w == Wait::kReady) w = player.Write(&c.bytes[j], k);
      }
      lineFree = at + std::chrono::duration_cast<Clock::duration>(Ms(byteMs * static_cast<double>(c.bytes.size())));
    }
    if (w == Wait::kReady) ++player.Result().chunks;
  }
  if (w == Wait::kReady) w = player.Serve(Clock::now() + std::chrono::milliseconds(o.lingerMs), false);
  return Finish(player, w);
}

std::string DeviceFolder(const char* devDir) {
  if (devDir && *devDir) return devDir;
  const char* dev = getenv("PLAT_DEVDIR");
  if (dev && *dev) return dev;
  const char* root = getenv("PLAT_ROOT");
  if (root && *root) return std::string(root) + "/dev";
  return "";
}

}  // namespace sim
