// What a handheld program (rz12wm) costs while it logs: its CPU share of one core and its peak
// resident memory over a logging stretch of real time, with the RZ12 instrument on COM1 and a GPS
// receiver on COM2, both played on pseudo-terminals by simulator processes of their own (their CPU
// is not the program's). The scripted-survey steps take the program to Logging (Monitor/Log,
// Create File, Go); then this thread only sleeps until the stretch is over, so no driver wait runs
// while the cost is measured, and the process's CPU time is the program's.
//
// One program per process, so each run measures one case (--case=NAME, --seconds=N):
//   fix10hz    RZ12 frames every 91 ms at 9600 baud, each byte alone as the line carries it (11
//              readings a second), and 10 GPS fixes a second (GGA, GSA, RMC) a sentence at a time;
//   line       the same instrument, and a GPS receiver sending without a pause at 4800 baud (11
//              bits a byte), each byte alone: a pseudo-terminal's worst case, one wake-up a byte;
//   line-fifo  the line case as a serial port's UART hands the bytes over: 8 at a time from its
//              receive FIFO, a frame's tail after the FIFO's time-out.
// With PLAT_DISPLAY=sdl (under xvfb-run, say) the program shows in an SDL window, opened on its UI
// thread once the main menu is up. bench/logging-cost runs every case headless and in a window.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <plat/test_files.h>
#include <plat/test_window.h>
#include <plat/testing.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "driver/scripted_survey.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "engine/timing.h"
#include "sim/gps.h"
#include "sim/instrument.h"
#include "sim/pty_sink.h"

#ifdef BENCH_HAVE_SDL
#include "sdl_display.h"
#endif

namespace {

using namespace handheld;
using Clock = std::chrono::steady_clock;

constexpr DWORD kStepLimitMs = 20000;

struct Case {
  const char* name;
  bool gpsPaced;  // else a sentence at a time; 10 fixes a second is more than 4800 baud carries
  int fifoBytes;
};
constexpr Case kCases[] = {{"fix10hz", false, 0}, {"line", true, 0}, {"line-fifo", true, 8}};

const Case* g_case = &kCases[0];
int g_seconds = 60;
std::vector<pid_t> g_sims;

// A simulator process playing `stream` into a new pty linked as <devdir>/COMn. It ends with this
// process.
bool StartSimulator(int com, sim::Stream& stream, const sim::PtyOptions& po) {
  sim::PtyLink link;
  std::string error;
  if (!sim::CreatePtyLink(plat::DeviceDir(), com, &link, &error)) {
    std::fprintf(stderr, "logging_cost_bench: COM%d: %s\n", com, error.c_str());
    return false;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(0);
    sim::StreamToPty(link.master, stream, po);
    _exit(0);
  }
  ::close(link.master);  // the simulator holds it
  g_sims.push_back(pid);
  return true;
}

bool StartSimulators() {
  sim::InstrumentOptions io;
  io.model = 0;  // RZ12
  io.ramp = true;
  io.startMs = -1;  // one period after the port opens
  sim::InstrumentStream instrument(io);
  sim::PtyOptions ipo;
  ipo.paced = true;
  ipo.baud = 9600;
  ipo.bitsPerByte = 10;
  ipo.fifoBytes = g_case->fifoBytes;
  ipo.waitForOpen = true;

  sim::GpsOptions go;
  go.rateHz = 10;
  sim::NmeaStream gps(go);
  sim::PtyOptions gpo;
  gpo.paced = g_case->gpsPaced;
  gpo.baud = 4800;
  gpo.bitsPerByte = 11;  // 7 data bits, even parity, 2 stop bits
  gpo.fifoBytes = g_case->fifoBytes;
  gpo.waitForOpen = true;
  return StartSimulator(1, instrument, ipo) && StartSimulator(2, gps, gpo);
}

void StopSimulators() {
  for (pid_t pid : g_sims) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  g_sims.clear();
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

int Threads() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
    closedir(d);
  }
  return n;
}

// OpenGL driver libraries mapped into the process.
int GlLibraries() {
  std::ifstream maps("/proc/self/maps");
  std::string line, last;
  int n = 0;
  const char* kNames[] = {"libGL", "libEGL", "libGLX", "libGLdispatch", "libgallium", "_dri.so"};
  while (std::getline(maps, line)) {
    const size_t slash = line.rfind('/');
    if (slash == std::string::npos) continue;
    const std::string file = line.substr(slash + 1);
    if (file == last) continue;
    for (const char* name : kNames) {
      if (file.find(name) != std::string::npos) {
        ++n;
        break;
      }
    }
    last = file;
  }
  return n;
}

// Every thread's CPU time (s) and voluntary context switches so far, by thread id.
struct ThreadUse {
  int tid;
  double cpu;
  long wakes;
};
std::vector<ThreadUse> ThreadUses() {
  std::vector<ThreadUse> out;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] == '.') continue;
      const std::string dir = std::string("/proc/self/task/") + e->d_name;
      // The time on a CPU in nanoseconds (the clock ticks of stat are too coarse for a thread
      // that runs a few milliseconds a second).
      std::ifstream schedstat(dir + "/schedstat");
      double ranNs = 0;
      if (!(schedstat >> ranNs)) continue;
      long wakes = 0;
      std::ifstream status(dir + "/status");
      std::string line;
      while (std::getline(status, line)) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) wakes = std::atol(line.c_str() + 24);
      }
      out.push_back({std::atoi(e->d_name), ranNs * 1e-9, wakes});
    }
    closedir(d);
  }
  return out;
}

struct Sample {
  double wall = 0;
  double cpu = 0;
  double driverCpu = 0;
  int fixes = 0;
  uint64_t fileBytes = 0;
  std::vector<ThreadUse> threads;
};

Sample Take() {
  Sample s;
  s.wall = std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
  s.cpu = CpuSeconds();
  s.driverCpu = ThreadCpuSeconds();
  s.threads = ThreadUses();
  plat::test::OnUiThread([&s] {
    s.fixes = SurveyRun.gpsFixCount;
    s.fileBytes = SurveyRun.dataFile.Size();
    return LRESULT{0};
  });
  return s;
}

// On the UI thread once the main menu is up: one reading a frame, GPS input on COM2 (saved as
// the GPS port setup does), and the window when the display asks for one.
void Prepare() {
  SurveySettings.readingInterval = 0.1f;
  ComputeSampleDivisor();
  SurveySettings.gpsEnabled = 1;
  SurveySettings.gpsPort = 1;
  LoadSaveSettings(1);
  const char* display = std::getenv("PLAT_DISPLAY");
  if (display && std::strcmp(display, "sdl") == 0) {
#ifdef BENCH_HAVE_SDL
    const char* scale = std::getenv("PLAT_SCALE");
    if (!plat::detail::sdl::Start(scale ? std::atoi(scale) : 2)) std::fprintf(stderr, "no SDL window\n");
#else
    std::fprintf(stderr, "logging_cost_bench: built without the SDL display\n");
#endif
  }
}

bool g_started = false;
HANDLE g_program = nullptr;
std::string g_dataFile;  // its Linux path

// The reading records ('T' lines) the data file gained between two of its sizes.
int ReadingRecords(uint64_t from, uint64_t to) {
  std::ifstream in(g_dataFile, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(from));
  std::string line;
  int n = 0;
  uint64_t at = from;
  while (at < to && std::getline(in, line)) {
    at += line.size() + 1;
    n += !line.empty() && line[0] == 'T';
  }
  return n;
}

void BM_LoggingCost(benchmark::State& state) {
  if (!g_started) {
    state.SkipWithError("the program did not reach Logging");
    return;
  }
  Sample a, b;
  for (auto _ : state) {
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the first readings and fixes settle
    a = Take();
    std::this_thread::sleep_for(std::chrono::seconds(g_seconds));
    b = Take();
    state.SetIterationTime(b.wall - a.wall);
  }
  const double wall = b.wall - a.wall;
  state.counters["cpu_pct_of_core"] = 100.0 * (b.cpu - a.cpu) / wall;
  state.counters["driver_cpu_pct"] = 100.0 * (b.driverCpu - a.driverCpu) / wall;
  state.counters["peak_rss_mb"] = PeakRssMb();
  // Where the time went, thread by thread (on standard error, beside the benchmark's table).
  for (const ThreadUse& t : b.threads) {
    double cpu = t.cpu;
    long wakes = t.wakes;
    for (const ThreadUse& was : a.threads) {
      if (was.tid == t.tid) {
        cpu -= was.cpu;
        wakes -= was.wakes;
      }
    }
    std::fprintf(stderr, "thread %d: %.2f %% of a core, %.0f wake-ups a second\n", t.tid, 100.0 * cpu / wall,
                 static_cast<double>(wakes) / wall);
  }
  const int readings = ReadingRecords(a.fileBytes, b.fileBytes);
  state.counters["readings_per_s"] = readings / wall;
  state.counters["fixes_per_s"] = (b.fixes - a.fixes) / wall;
  state.counters["file_kb_per_s"] = static_cast<double>(b.fileBytes - a.fileBytes) / 1024.0 / wall;
  state.counters["threads"] = Threads();
  state.counters["gl_libraries"] = GlLibraries();
  if (readings < 9.5 * wall) state.SkipWithError("fewer than 9.5 readings a second were recorded");
}

bool ParseOwnArgs(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--case=", 0) == 0) {
      g_case = nullptr;
      for (const Case& c : kCases) {
        if (a.substr(7) == c.name) g_case = &c;
      }
      if (!g_case) return false;
    } else if (a.rfind("--seconds=", 0) == 0) {
      g_seconds = std::atoi(a.c_str() + 10);
      if (g_seconds < 1) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!ParseOwnArgs(argc, argv)) {
    std::fprintf(stderr, "usage: logging_cost_bench [benchmark options] [--case=fix10hz|line|line-fifo] [--seconds=N]\n");
    return 2;
  }
  plat::test::UseTempRoot();
  if (!StartSimulators()) return 1;
  const char* display = std::getenv("PLAT_DISPLAY");
  const std::string name = std::string("LoggingCost/") + g_case->name + "/" +
                           (display && std::strcmp(display, "sdl") == 0 ? "window" : "headless");
  benchmark::RegisterBenchmark(name.c_str(), BM_LoggingCost)
      ->UseManualTime()
      ->Iterations(1)
      ->Unit(benchmark::kSecond);

  BuildSwitches build;
  survey::AppSwitches("rz12wm", &build);
  std::wstring path;
  int atGo = 0;
  g_started = survey::StartProgram(build, &g_program, kStepLimitMs, Prepare) &&
              survey::MonitorLog(kStepLimitMs) && survey::CreateDataFile(L"COST", &path, kStepLimitMs) &&
              survey::Go(&atGo, kStepLimitMs);
  g_dataFile = survey::HostPath(path);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const bool ended = g_started && survey::ExitRun(true, kStepLimitMs) && survey::ExitProgram(g_program, kStepLimitMs) == 0;
  std::fflush(stdout);
  StopSimulators();
  // The program's threads (the keep-alive thread sleeps for a minute) are left to the exit.
  _exit(ended ? 0 : 1);
}
