// The CPU a received byte costs the reading thread on a pseudo-terminal: the byte-at-a-time
// ReadFile calls of the programs' readers, on a platform thread (so every call passes the park
// points), with the instrument port's time-outs. A writer thread plays the device: it waits until
// the reader has taken the last chunk and is blocked in its read again, then sends the next chunk
// at once, as a UART's FIFO or a USB adapter hands over a few bytes at a time. The chunk sizes: one
// byte (a line-rate feed that wakes the reader for every byte), one RZ12 frame, one NMEA sentence.
// The figure is the reader thread's own CPU time per byte (user and system); target < 5 us.
// Beside it, the same feed read by a bare loop of poll and one-byte read calls on the device, with
// no layer at all: what the kernel's wake-up and system calls cost alone, so the layer's own share
// is the difference.
#include <benchmark/benchmark.h>
#include <plat/test_comm.h>
#include <plat/test_files.h>
#include <plat/testing.h>
#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

constexpr int kCom = 1;

int64_t ThreadCpuNs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

int g_master = -1;

// Feeds chunks of state.range(0) bytes, each once the reader has taken the one before and waits
// again, and times readByte() over each chunk on the reader's thread CPU clock.
template <class ReadByte>
void MeasurePerByte(benchmark::State& state, ReadByte&& readByte) {
  const size_t chunk = static_cast<size_t>(state.range(0));
  std::string bytes(chunk, '\0');
  for (size_t i = 0; i < chunk; ++i) bytes[i] = static_cast<char>('0' + i % 10);

  std::atomic<long> taken{0};
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    long sent = 0;
    while (!stop.load()) {
      if (taken.load() < sent) {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        continue;
      }
      // The reader is back in its read and waits in poll by now.
      std::this_thread::sleep_for(std::chrono::microseconds(300));
      if (write(g_master, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) break;
      ++sent;
    }
  });

  int64_t cpu = 0;
  long bytesRead = 0;
  bool ok = true;
  for (auto _ : state) {
    const int64_t t0 = ThreadCpuNs();
    for (size_t i = 0; i < chunk && ok; ++i) ok = readByte();
    const int64_t spent = ThreadCpuNs() - t0;
    if (!ok) {
      state.SkipWithError("a one-byte read came back empty");
      break;
    }
    taken.fetch_add(1);
    cpu += spent;
    bytesRead += static_cast<long>(chunk);
    state.SetIterationTime(static_cast<double>(spent) * 1e-9);
  }
  stop.store(true);
  writer.join();
  if (bytesRead > 0) state.counters["cpu_us_per_byte"] = static_cast<double>(cpu) / 1000.0 / bytesRead;
}

void BM_ReadFilePerByte(benchmark::State& state) {
  HANDLE h = CreateFileW(L"COM1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    state.SkipWithError("COM1 does not open");
    return;
  }
  COMMTIMEOUTS t{65535, 1000, 1000, 0, 0};  // the instrument reader's
  SetCommTimeouts(h, &t);
  MeasurePerByte(state, [h] {
    unsigned char b = 0;
    DWORD got = 0;
    return ReadFile(h, &b, 1, &got, nullptr) && got == 1;
  });
  CloseHandle(h);
}
BENCHMARK(BM_ReadFilePerByte)->Arg(1)->Arg(12)->Arg(72)->UseManualTime()->Unit(benchmark::kMicrosecond)
    ->Iterations(3000);

void BM_BarePollReadPerByte(benchmark::State& state) {
  const std::string path = std::string(plat::DeviceDir()) + "/COM1";
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    state.SkipWithError("the pty slave does not open");
    return;
  }
  MeasurePerByte(state, [fd] {
    unsigned char b = 0;
    for (;;) {
      const ssize_t r = read(fd, &b, 1);
      if (r == 1) return true;
      pollfd p{fd, POLLIN, 0};
      if (r < 0 && errno != EAGAIN) return false;
      if (poll(&p, 1, 2000) <= 0) return false;
    }
  });
  close(fd);
}
BENCHMARK(BM_BarePollReadPerByte)->Arg(1)->Arg(12)->Arg(72)->UseManualTime()->Unit(benchmark::kMicrosecond)
    ->Iterations(3000);

// The benchmarks run on a platform thread, as the programs' readers do.
DWORD WINAPI RunAll(LPVOID) {
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  plat::test::UseTempRoot();
  g_master = plat::test::CreatePtyPort(kCom);
  if (g_master < 0) {
    std::fprintf(stderr, "comm_read_bench: no pseudo-terminal for COM1\n");
    return 1;
  }
  HANDLE runner = CreateThread(nullptr, 0, RunAll, nullptr, 0, nullptr);
  WaitForSingleObject(runner, INFINITE);
  CloseHandle(runner);
  benchmark::Shutdown();
  std::fflush(stdout);
  _exit(0);
}
