// The single-instance check across processes. The first top-level window of a program class takes
// flock(LOCK_EX) on ${XDG_RUNTIME_DIR:-/tmp}/plat-<uid>-<hash of the root>-<class>.lock and binds
// an abstract datagram socket of the same base name; FindWindow(class, NULL) in another process
// on the same root then finds the lock held and hands out a proxy window, and SetForegroundWindow
// on the proxy sends "activate" to that socket. A listener thread records valid requests.
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "core.h"
#include "foreign_windows.h"

namespace plat::detail {
namespace {

constexpr char kRequest[] = "activate";
constexpr size_t kRequestLen = sizeof kRequest - 1;
constexpr size_t kMaxRequests = 64;
constexpr size_t kMaxClassPart = 48;

// One class's lock in this process.
struct Entry {
  std::wstring cls;
  std::string path;  // the lock file
  std::string name;  // the socket's abstract name (no leading NUL)
  int lockFd = -1;
  int sockFd = -1;
  std::vector<HWND> windows;
};

struct Proxy {
  std::wstring cls;
  std::string path;
  std::string name;
};

// Everything below is guarded by g_mu and lives for the whole process (the listener thread runs
// until the process ends).
std::mutex g_mu;
std::condition_variable& g_cv = *new std::condition_variable;
std::map<std::string, Entry>& g_entries = *new std::map<std::string, Entry>;  // by base name
std::map<HWND, std::string>& g_windowKey = *new std::map<HWND, std::string>;
std::map<HWND, Proxy>& g_proxies = *new std::map<HWND, Proxy>;
std::deque<std::wstring>& g_requests = *new std::deque<std::wstring>;
uint64_t g_ignored = 0;  // datagrams read that were no valid request
std::function<void(const std::wstring&)>* g_hook = nullptr;
// The listener's socket set changes with g_generation; the listener acknowledges a set by copying
// the generation into g_seen before it polls, so a removed socket may be closed once g_seen has
// caught up (the listener is then no longer polling or reading it).
uint64_t g_generation = 0;
uint64_t g_seen = 0;
int g_wakeFd = -1;
bool g_listening = false;

uint64_t Fnv1a(const void* data, size_t n, uint64_t h = 1469598103934665603ull) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < n; ++i) {
    h ^= p[i];
    h *= 1099511628211ull;
  }
  return h;
}

std::wstring LowerAscii(std::wstring s) {
  for (wchar_t& c : s) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return s;
}

// The class as a file-name part: letters, digits, '_' and '-' as they are, everything else as
// %XXXX; a long result becomes a hash.
std::string ClassPart(const std::wstring& cls) {
  const std::wstring lower = LowerAscii(cls);
  std::string out;
  for (wchar_t c : lower) {
    if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_' || c == L'-') {
      out.push_back(static_cast<char>(c));
    } else {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%%%04X", static_cast<unsigned>(c) & 0x1FFFFFu);
      out += buf;
    }
    if (out.size() > kMaxClassPart) break;
  }
  if (out.size() > kMaxClassPart) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "h%016llx",
                  static_cast<unsigned long long>(Fnv1a(lower.data(), lower.size() * sizeof(wchar_t))));
    out = buf;
  }
  return out;
}

std::string BaseName(const std::wstring& cls) {
  const char* root = DriveRoot();
  std::string canonical = root ? root : "";
  if (char* real = realpath(canonical.c_str(), nullptr)) {
    canonical = real;
    std::free(real);
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "plat-%u-%016llx-", static_cast<unsigned>(getuid()),
                static_cast<unsigned long long>(Fnv1a(canonical.data(), canonical.size())));
  return buf + ClassPart(cls);
}

std::string LockPath(const std::string& base) {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  std::string d = dir && *dir ? dir : "/tmp";
  return d + "/" + base + ".lock";
}

sockaddr_un SocketAddress(const std::string& name, socklen_t* len) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  const size_t n = std::min(name.size(), sizeof a.sun_path - 1);
  std::memcpy(a.sun_path + 1, name.data(), n);  // sun_path[0] = 0: the abstract namespace
  *len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
  return a;
}

void PauseMicroseconds(long us) {
  timespec ts{0, us * 1000};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

// Takes the lock file of path, or -1 when another process holds it (or it cannot be made). A
// probe elsewhere holds it for microseconds, so a busy lock is tried again briefly. A file that an
// old holder unlinked meanwhile is not the lock any more: take the new one.
int TakeLock(const std::string& path) {
  static const long kRetryUs[] = {0, 200, 1000};
  for (long pause : kRetryUs) {
    if (pause) PauseMicroseconds(pause);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int err = errno;
      close(fd);
      if (err != EWOULDBLOCK) return -1;
      continue;
    }
    struct stat held, now;
    if (fstat(fd, &held) == 0 && stat(path.c_str(), &now) == 0 && held.st_ino == now.st_ino &&
        held.st_dev == now.st_dev) {
      return fd;
    }
    close(fd);
  }
  return -1;
}

// Whether another process holds the lock of path (this process never probes its own).
bool HeldElsewhere(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);  // also drops the shared lock when it was taken
  return held;
}

void Wake() {
  const uint64_t one = 1;
  if (g_wakeFd >= 0) {
    [[maybe_unused]] ssize_t n = write(g_wakeFd, &one, sizeof one);
  }
}

enum class Read { Request, Ignored, Empty };

// A datagram is a request only when it is exactly the request word and comes from this user.
Read ReadRequest(int fd) {
  char data[64];
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
  iovec iov{data, sizeof data};
  msghdr m{};
  m.msg_iov = &iov;
  m.msg_iovlen = 1;
  m.msg_control = control;
  m.msg_controllen = sizeof control;
  ssize_t n;
  while ((n = recvmsg(fd, &m, MSG_DONTWAIT)) < 0 && errno == EINTR) {
  }
  if (n < 0) return Read::Empty;
  if ((m.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) || static_cast<size_t>(n) != kRequestLen ||
      std::memcmp(data, kRequest, kRequestLen) != 0) {
    return Read::Ignored;
  }
  for (cmsghdr* c = CMSG_FIRSTHDR(&m); c; c = CMSG_NXTHDR(&m, c)) {
    if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS && c->cmsg_len >= CMSG_LEN(sizeof(ucred))) {
      ucred cred;
      std::memcpy(&cred, CMSG_DATA(c), sizeof cred);
      return cred.uid == getuid() ? Read::Request : Read::Ignored;
    }
  }
  return Read::Ignored;
}

void ListenerMain() {
  std::unique_lock<std::mutex> lk(g_mu);
  for (;;) {
    std::vector<pollfd> fds{pollfd{g_wakeFd, POLLIN, 0}};
    for (const auto& [key, e] : g_entries) {
      if (e.sockFd >= 0) fds.push_back(pollfd{e.sockFd, POLLIN, 0});
    }
    g_seen = g_generation;
    g_cv.notify_all();
    lk.unlock();
    while (poll(fds.data(), fds.size(), -1) < 0 && errno == EINTR) {
    }
    std::vector<std::wstring> arrived;
    lk.lock();
    if (fds[0].revents & POLLIN) {
      uint64_t v;
      [[maybe_unused]] ssize_t n = read(g_wakeFd, &v, sizeof v);
    }
    for (size_t i = 1; i < fds.size(); ++i) {
      if (!(fds[i].revents & POLLIN)) continue;
      // Only sockets still in the set: a removed one waits unread until it is closed.
      for (const auto& [key, e] : g_entries) {
        if (e.sockFd != fds[i].fd) continue;
        for (int k = 0; k < 16; ++k) {  // drain a burst; the rest waits for the next round
          const Read r = ReadRequest(e.sockFd);
          if (r == Read::Empty) break;
          if (r == Read::Request) {
            arrived.push_back(e.cls);
          } else {
            ++g_ignored;
          }
        }
      }
    }
    std::function<void(const std::wstring&)> hook = g_hook ? *g_hook : nullptr;
    for (const std::wstring& cls : arrived) {
      if (g_requests.size() == kMaxRequests) g_requests.pop_front();
      g_requests.push_back(cls);
    }
    if (hook && !arrived.empty()) {
      lk.unlock();
      for (const std::wstring& cls : arrived) hook(cls);
      lk.lock();
    }
  }
}

// With g_mu held: binds the activation socket of e and adds it to the listener's set.
void BindLocked(Entry& e) {
  if (!g_listening) {
    g_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (g_wakeFd < 0) return;
    std::thread(ListenerMain).detach();
    g_listening = true;
  }
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return;
  const int on = 1;
  socklen_t len;
  const sockaddr_un a = SocketAddress(e.name, &len);
  if (setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0 ||
      bind(fd, reinterpret_cast<const sockaddr*>(&a), len) != 0) {
    close(fd);
    return;
  }
  e.sockFd = fd;
  ++g_generation;
  Wake();
}

// With g_mu held (through lk), for an entry already taken out of the table: gives back its lock
// and socket.
void ReleaseLocked(std::unique_lock<std::mutex>& lk, Entry& e) {
  if (e.sockFd >= 0) {
    const int fd = e.sockFd;
    e.sockFd = -1;
    const uint64_t mine = ++g_generation;
    Wake();
    g_cv.wait(lk, [mine] { return g_seen >= mine; });
    close(fd);
  }
  if (e.lockFd >= 0) {
    // Unlinked while still held, so the name never points at a file nobody can lock.
    unlink(e.path.c_str());
    close(e.lockFd);
    e.lockFd = -1;
  }
}

}  // namespace

std::string InstanceName(const std::wstring& cls) { return BaseName(cls); }

void InstanceWindowCreated(HWND h, const std::wstring& cls) {
  if (!h || cls.empty()) return;
  const std::string base = BaseName(cls);
  std::lock_guard<std::mutex> lock(g_mu);
  Entry& e = g_entries[base];
  if (e.windows.empty()) {
    e.cls = cls;
    e.path = LockPath(base);
    e.name = base;
  }
  e.windows.push_back(h);
  g_windowKey[h] = base;
  if (e.lockFd < 0) {
    e.lockFd = TakeLock(e.path);
    if (e.lockFd >= 0) BindLocked(e);
  }
}

void InstanceWindowDestroyed(HWND h) {
  std::unique_lock<std::mutex> lk(g_mu);
  auto k = g_windowKey.find(h);
  if (k == g_windowKey.end()) return;
  auto it = g_entries.find(k->second);
  g_windowKey.erase(k);
  if (it == g_entries.end()) return;
  Entry& e = it->second;
  e.windows.erase(std::remove(e.windows.begin(), e.windows.end(), h), e.windows.end());
  if (!e.windows.empty()) return;
  // Out of the table first: a window of the class made meanwhile starts a fresh entry.
  Entry gone = std::move(e);
  g_entries.erase(it);
  ReleaseLocked(lk, gone);
}

HWND FindOtherInstance(const std::wstring& cls) {
  const std::string base = BaseName(cls);
  {
    std::lock_guard<std::mutex> lock(g_mu);
    auto it = g_entries.find(base);
    if (it != g_entries.end() && it->second.lockFd >= 0) return nullptr;  // the lock is ours
  }
  const std::string path = LockPath(base);
  if (!HeldElsewhere(path)) return nullptr;
  std::lock_guard<std::mutex> lock(g_mu);
  for (const auto& [h, p] : g_proxies) {
    if (p.name == base) return h;
  }
  const HWND h = reinterpret_cast<HWND>(NextHandleValue());
  g_proxies.emplace(h, Proxy{cls, path, base});
  return h;
}

bool IsLiveInstanceProxy(HWND h) {
  std::string path;
  {
    std::lock_guard<std::mutex> lock(g_mu);
    auto it = g_proxies.find(h);
    if (it == g_proxies.end()) return false;
    path = it->second.path;
  }
  return HeldElsewhere(path);
}

bool ActivateInstanceProxy(HWND h, bool* sent) {
  std::string name;
  {
    std::lock_guard<std::mutex> lock(g_mu);
    auto it = g_proxies.find(h);
    if (it == g_proxies.end()) return false;
    name = it->second.name;
  }
  *sent = false;
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return true;
  socklen_t len;
  const sockaddr_un a = SocketAddress(name, &len);
  const ssize_t n =
      sendto(fd, kRequest, kRequestLen, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&a), len);
  close(fd);
  *sent = n == static_cast<ssize_t>(kRequestLen);
  return true;
}

std::vector<std::wstring> ActivateRequestLog() {
  std::lock_guard<std::mutex> lock(g_mu);
  return {g_requests.begin(), g_requests.end()};
}

uint64_t IgnoredActivateRequests() {
  std::lock_guard<std::mutex> lock(g_mu);
  return g_ignored;
}

void SetActivateRequestHook(std::function<void(const std::wstring& cls)> hook) {
  std::lock_guard<std::mutex> lock(g_mu);
  delete g_hook;
  g_hook = hook ? new std::function<void(const std::wstring&)>(std::move(hook)) : nullptr;
}

void ResetInstances() {
  std::unique_lock<std::mutex> lk(g_mu);
  std::map<std::string, Entry> all;
  all.swap(g_entries);
  g_windowKey.clear();
  for (auto& [key, e] : all) ReleaseLocked(lk, e);
  g_proxies.clear();
  g_requests.clear();
  g_ignored = 0;
  delete g_hook;
  g_hook = nullptr;
}

}  // namespace plat::detail
