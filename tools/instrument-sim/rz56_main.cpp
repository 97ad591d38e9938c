// instrument-sim --model rz56mk2: the RZ56-MK2, which answers what the program sends.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/cli.h"
#include "sim/rz56.h"
#include "sim/rz56_pty.h"

namespace {

const char kUsage[] =
    "usage: instrument-sim --model RZ56MK2 --com N [options]\n"
    "  The instrument answers 'A' with a frame, 'H' 'X' and 'H' 'W' with \"OK\" (request and\n"
    "  wheel mode), and sends a frame every wheel period in wheel mode. SIGUSR1 presses its QC\n"
    "  coil button: for 5 s the four counts are 10 higher.\n"
    "  --com N           link <devdir>/COMN to the pty (1 to 255)\n"
    "  --devdir DIR      device folder (default $PLAT_DEVDIR, else $PLAT_ROOT/dev)\n"
    "  --tags LETTERS    tags in turn (default TDEF)\n"
    "  --marker-every N  every N-th frame carries its pair's marked tag (M, N, P, Q)\n"
    "  --gain N          gain byte (default 0)\n"
    "  --counts LIST     C1,C2,C3,C4 channel counts (default 1000,500,250,125)\n"
    "  --ramp            frame i varies the counts from a seeded start (no 0x7F bytes)\n"
    "  --current N       transmitter current count (default 1800)\n"
    "  --battery N       battery count, 0 to 255 (default 70)\n"
    "  --latency MS      from 'A' to its frame (default 3)\n"
    "  --wheel-period MS wheel frames every MS (default 100; 0: none)\n"
    "  --off             answer nothing\n"
    "  --bad-tags N      every N-th frame carries a tag outside the eight\n"
    "  --partial N       every N-th answer is cut short\n"
    "  --garbage RATE    share of the answers after a garbage burst (0 to 1)\n"
    "  --any-garbage     garbage may hold 0x7F\n"
    "  --seed N          seed of the ramp, cuts and garbage (default 1)\n"
    "  --baud N          line rate (default 9600)\n"
    "  --capture FILE    log every received byte with its time (ms since start)\n";

int Usage(const char* problem) { return sim::cli::Usage("instrument-sim", kUsage, problem); }

bool Int16(long v) { return v >= -32768 && v <= 32767; }

// The server that SIGUSR1 presses the coil of.
sim::Rz56PtyServer* g_server = nullptr;
void OnCoilPress(int) {
  if (g_server) g_server->PressCoil();
}

}  // namespace

int Rz56Main(int argc, char** argv) {
  sim::Rz56Options o;
  sim::cli::CommonOptions common;
  std::string capture;
  const std::string problem = sim::cli::ParseArgs(
      argc, argv, &common, {{"ramp", &o.ramp}, {"off", &o.off}, {"any-garbage", &o.anyGarbage}},
      [&](const std::string& name, const std::string& v) -> std::string {
        long n = 0;
        double d = 0;
        std::vector<long> list;
        if (name == "model") {
          if (!sim::IsRz56ModelName(v.c_str())) return "unknown model";
        } else if (name == "tags") {
          if (v.empty()) return "--tags needs letters";
          o.tags = v;
        } else if (name == "marker-every" || name == "bad-tags" || name == "partial") {
          if (!sim::cli::ParseLong(v, &n) || n < 0 || n > 1000000) return "bad --" + name;
          (name == "marker-every" ? o.markerEvery : name == "bad-tags" ? o.badTagEvery : o.partialEvery) =
              static_cast<int>(n);
        } else if (name == "gain" || name == "battery") {
          if (!sim::cli::ParseLong(v, &n) || n < 0 || n > 255) return "--" + name + " takes 0 to 255";
          (name == "gain" ? o.gain : o.battery) = static_cast<uint8_t>(n);
        } else if (name == "current") {
          if (!sim::cli::ParseLong(v, &n) || !Int16(n)) return "--current takes a signed 16-bit count";
          o.current = static_cast<int16_t>(n);
        } else if (name == "counts") {
          if (!sim::cli::ParseList(v, &list) || list.size() != 4) return "--counts takes four counts";
          for (int k = 0; k < 4; ++k) {
            if (!Int16(list[k])) return "--counts takes signed 16-bit counts";
            o.counts[k] = static_cast<int16_t>(list[k]);
          }
        } else if (name == "latency" || name == "wheel-period") {
          if (!sim::cli::ParseDouble(v, &d) || d < 0 || d > 3600000) return "bad --" + name;
          (name == "latency" ? o.latencyMs : o.wheelPeriodMs) = d;
        } else if (name == "garbage") {
          if (!sim::cli::ParseDouble(v, &d) || d < 0 || d > 1) return "rates are 0 to 1";
          o.garbageRate = d;
        } else if (name == "capture") {
          capture = v;
        } else {
          return "unknown option " + name;
        }
        return "";
      });
  if (problem == "help") return sim::cli::Help(kUsage);
  if (!problem.empty()) return Usage(problem.c_str());
  o.seed = common.seed;
  if (common.baud > 0) o.baud = static_cast<int>(common.baud);

  int captureFd = -1;
  if (!capture.empty()) {
    captureFd = open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (captureFd < 0) {
      fprintf(stderr, "instrument-sim: cannot write %s\n", capture.c_str());
      return 1;
    }
  }
  sim::cli::Started started;
  bool usage = false;
  if (!sim::cli::StartLink("instrument-sim", common, &started, &usage)) {
    if (captureFd >= 0) close(captureFd);
    return usage ? Usage(nullptr) : 1;
  }
  sim::Rz56PtyServer server(started.link.master, o, captureFd);
  g_server = &server;
  struct sigaction sa {};
  sa.sa_handler = OnCoilPress;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGUSR1, &sa, nullptr);
  const sim::Rz56PtyResult r = server.Run(started.stop);
  signal(SIGUSR1, SIG_IGN);
  g_server = nullptr;
  RemovePtyLink(&started.link);
  if (captureFd >= 0) close(captureFd);
  fprintf(stderr, "instrument-sim: %ld frames sent, %ld bytes received%s\n", r.frames, r.received,
          r.stopped ? " (stopped)" : "");
  return r.failed ? 1 : 0;
}
