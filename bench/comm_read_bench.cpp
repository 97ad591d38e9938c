// The CPU a received byte costs the reading thread, with the bytes coming as the lines bring them:
// a simulator thread plays the RZ12 instrument (a frame every 91 ms at 9600 baud) or a GPS
// receiver sending without a pause at 4800 baud into a pseudo-terminal, in real time, and the
// reader takes them one byte at a time for --seconds (default 6) per case. How the bytes reach
// the reader follows the hardware:
//   alone   every byte by itself as it comes off the line, ~1 ms apart at 9600 baud: a pty, or a
//           USB adapter that forwards each byte; one wake-up of the reader per byte;
//   fifo8   as a 16550 UART's receive FIFO hands them over: 8 at once, a frame's tail 4 byte
//           times after its last byte;
//   frame   a whole frame (a GPS sentence) at once (a USB adapter's latency timer).
// Two readers: ReadFile on a platform thread with the programs' time-outs for that port (so every
// call passes the park points), and a bare loop of poll and one-byte read calls on the device with
// no layer at all: what the kernel's wake-ups and system calls cost alone.
// Counters: cpu_us_per_byte (the reader thread's user and system time over the bytes; target
// < 5 us), wakeups_per_byte (the thread's voluntary context switches) and cpu_us_per_wakeup.
#include <benchmark/benchmark.h>
#include <plat/test_comm.h>
#include <plat/test_files.h>
#include <plat/testing.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "sim/gps.h"
#include "sim/instrument.h"
#include "sim/pty_sink.h"

namespace {

constexpr int kCom = 1;
int g_seconds = 6;

int64_t ThreadCpuNs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

long ThreadWakeups() {
  rusage u{};
  getrusage(RUSAGE_THREAD, &u);
  return u.ru_nvcsw;
}

enum class Line { kRz12, kGps };

struct Pattern {
  const char* name;
  Line line;
  int fifoBytes;  // 0: every byte alone; -1: a frame at once
};
constexpr Pattern kPatterns[] = {
    {"rz12_9600/alone", Line::kRz12, 0}, {"rz12_9600/fifo8", Line::kRz12, 8}, {"rz12_9600/frame", Line::kRz12, -1},
    {"gps_4800/alone", Line::kGps, 0},   {"gps_4800/fifo8", Line::kGps, 8},
};

// Plays the line into the pty master on its own thread until stopped.
class LinePlayer {
 public:
  LinePlayer(int master, const Pattern& p) {
    options_.paced = p.fifoBytes >= 0;
    options_.fifoBytes = p.fifoBytes;
    options_.lingerMs = 0;
    options_.stop = &stop_;
    if (p.line == Line::kRz12) {
      sim::InstrumentOptions io;
      io.model = 0;  // RZ12
      io.ramp = true;
      stream_ = std::make_unique<sim::InstrumentStream>(io);
      options_.baud = 9600;
      options_.bitsPerByte = 10;
    } else {
      sim::GpsOptions go;
      go.rateHz = 10;  // more than the line carries: it sends without a pause
      stream_ = std::make_unique<sim::NmeaStream>(go);
      options_.baud = 4800;
      options_.bitsPerByte = 11;  // 7 data bits, even parity, 2 stop bits
    }
    thread_ = std::thread([this, master] { sim::StreamToPty(master, *stream_, options_); });
  }
  ~LinePlayer() {
    stop_.store(true);
    thread_.join();
  }
  LinePlayer(const LinePlayer&) = delete;
  LinePlayer& operator=(const LinePlayer&) = delete;

 private:
  std::atomic<bool> stop_{false};
  std::unique_ptr<sim::Stream> stream_;
  sim::PtyOptions options_;
  std::thread thread_;
};

// Reads byte after byte for g_seconds of the line, counted from the first byte, and reports what
// the reading thread spent on them.
template <class Reader>
void MeasureLine(benchmark::State& state, const Pattern& p, Reader&& reader) {
  for (auto _ : state) {
    const int master = plat::test::CreatePtyPort(kCom);
    if (master < 0) {
      state.SkipWithError("no pseudo-terminal for COM1");
      return;
    }
    if (!reader.Open()) {
      state.SkipWithError("the port does not open");
      return;
    }
    LinePlayer player(master, p);
    if (!reader.Read()) {
      state.SkipWithError("no first byte");
      break;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(g_seconds);
    const int64_t cpu0 = ThreadCpuNs();
    const long wakes0 = ThreadWakeups();
    long bytes = 0;
    while (std::chrono::steady_clock::now() < end) {
      if (!reader.Read()) {
        state.SkipWithError("a one-byte read came back empty");
        break;
      }
      ++bytes;
    }
    const double cpuUs = static_cast<double>(ThreadCpuNs() - cpu0) / 1000.0;
    const long wakes = ThreadWakeups() - wakes0;
    reader.Close();
    state.SetIterationTime(g_seconds);
    if (bytes == 0) return;
    state.counters["bytes_per_s"] = static_cast<double>(bytes) / g_seconds;
    state.counters["cpu_us_per_byte"] = cpuUs / static_cast<double>(bytes);
    state.counters["wakeups_per_byte"] = static_cast<double>(wakes) / static_cast<double>(bytes);
    if (wakes > 0) state.counters["cpu_us_per_wakeup"] = cpuUs / static_cast<double>(wakes);
  }
}

// One-byte ReadFile calls with the time-outs the programs give that port.
struct LayerReader {
  Line line;
  HANDLE h = INVALID_HANDLE_VALUE;
  bool Open() {
    h = CreateFileW(L"COM1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    COMMTIMEOUTS instrument{65535, 1000, 1000, 0, 0};
    COMMTIMEOUTS gps{100, 100, 100, 100, 100};
    SetCommTimeouts(h, line == Line::kRz12 ? &instrument : &gps);
    return true;
  }
  bool Read() {
    unsigned char b = 0;
    DWORD got = 0;
    return ReadFile(h, &b, 1, &got, nullptr) && got == 1;
  }
  void Close() { CloseHandle(h); }
};

// The same reads with no layer: a one-byte read, and poll when it finds nothing.
struct BareReader {
  int fd = -1;
  bool Open() {
    const std::string path = std::string(plat::DeviceDir()) + "/COM1";
    fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    return fd >= 0;
  }
  bool Read() {
    unsigned char b = 0;
    for (;;) {
      const ssize_t r = read(fd, &b, 1);
      if (r == 1) return true;
      if (r < 0 && errno != EAGAIN) return false;
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 2000) <= 0) return false;
    }
  }
  void Close() { close(fd); }
};

void RegisterAll() {
  for (const Pattern& p : kPatterns) {
    benchmark::RegisterBenchmark((std::string("ReadFilePerByte/") + p.name).c_str(),
                                 [&p](benchmark::State& s) { MeasureLine(s, p, LayerReader{p.line}); })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark((std::string("BarePollReadPerByte/") + p.name).c_str(),
                                 [&p](benchmark::State& s) { MeasureLine(s, p, BareReader{}); })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
  }
}

// The benchmarks run on a platform thread, as the programs' readers do.
DWORD WINAPI RunAll(LPVOID) {
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--seconds=", 10) == 0 && std::atoi(argv[i] + 10) > 0) {
      g_seconds = std::atoi(argv[i] + 10);
    } else {
      std::fprintf(stderr, "usage: comm_read_bench [benchmark options] [--seconds=N]\n");
      return 2;
    }
  }
  plat::test::UseTempRoot();
  RegisterAll();
  HANDLE runner = CreateThread(nullptr, 0, RunAll, nullptr, 0, nullptr);
  WaitForSingleObject(runner, INFINITE);
  CloseHandle(runner);
  benchmark::Shutdown();
  std::fflush(stdout);
  _exit(0);
}
