// gps-sim: plays a GPS receiver on a pseudo-terminal linked as <devdir>/COMn, and writes what the
// program sends to the receiver into a capture file.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "sim/cli.h"
#include "sim/gps.h"

namespace {

const char kUsage[] =
    "usage: gps-sim --com N [options]\n"
    "  --com N              link <devdir>/COMN to the pty (1 to 255)\n"
    "  --devdir DIR         device folder (default $PLAT_DEVDIR, else $PLAT_ROOT/dev)\n"
    "  --file PATH          replay the lines of an NMEA file (else synthetic GGA, GSA, RMC)\n"
    "  --rate HZ            fix cycles per second (default 1)\n"
    "  --count N            cycles to send, then end (default 0: until a signal; a file once)\n"
    "  --bad-checksums R    share of sentences with a spoilt checksum (0 to 1)\n"
    "  --lf-only            end sentences with LF alone\n"
    "  --garbage R          share of cycles followed by a garbage burst (0 to 1)\n"
    "  --any-garbage        garbage may hold '$' and LF\n"
    "  --silence AT,FOR     send nothing from AT ms for FOR ms\n"
    "  --capture PATH       file for what the program sends (default <devdir>/gps-sim-COMN.capture)\n"
    "  --seed N             seed of the spoilt checksums and garbage (default 1)\n"
    "  --paced              send at the line rate (--baud, default 4800, --bits per byte, default 11)\n"
    "  --no-wait            stream at once instead of waiting for the program to open the port\n";

int Usage(const char* problem) { return sim::cli::Usage("gps-sim", kUsage, problem); }

}  // namespace

int main(int argc, char** argv) {
  sim::GpsOptions o;
  sim::cli::CommonOptions common;
  common.baud = 4800;
  long bits = 11;
  std::string file, capture;
  const std::string problem = sim::cli::ParseArgs(
      argc, argv, &common, {{"lf-only", &o.lfOnly}, {"any-garbage", &o.anyGarbage}},
      [&](const std::string& name, const std::string& v) -> std::string {
        double d = 0;
        std::vector<long> list;
        if (name == "file") {
          file = v;
        } else if (name == "rate") {
          if (!sim::cli::ParseDouble(v, &o.rateHz) || o.rateHz <= 0 || o.rateHz > 1000) return "bad --rate";
        } else if (name == "count") {
          if (!sim::cli::ParseLong(v, &o.count) || o.count < 0) return "bad --count";
        } else if (name == "bad-checksums" || name == "garbage") {
          if (!sim::cli::ParseDouble(v, &d) || d < 0 || d > 1) return "rates are 0 to 1";
          (name == "garbage" ? o.garbageRate : o.badChecksumRate) = d;
        } else if (name == "silence") {
          if (!sim::cli::ParseList(v, &list) || list.size() != 2 || list[0] < 0 || list[1] < 0) {
            return "--silence takes AT,FOR in ms";
          }
          o.silenceAtMs = static_cast<double>(list[0]);
          o.silenceMs = static_cast<double>(list[1]);
        } else if (name == "capture") {
          capture = v;
        } else if (name == "bits") {
          if (!sim::cli::ParseLong(v, &bits) || bits < 7 || bits > 12) return "--bits takes 7 to 12";
        } else {
          return "unknown option " + name;
        }
        return "";
      });
  if (problem == "help") return sim::cli::Help(kUsage);
  if (!problem.empty()) return Usage(problem.c_str());
  o.seed = common.seed;

  std::unique_ptr<sim::Stream> stream;
  if (!file.empty()) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      fprintf(stderr, "gps-sim: cannot read %s\n", file.c_str());
      return 1;
    }
    stream = std::make_unique<sim::NmeaReplay>(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), o);
  } else {
    stream = std::make_unique<sim::NmeaStream>(o);
  }

  sim::cli::Started started;
  bool usage = false;
  if (!sim::cli::StartLink("gps-sim", common, &started, &usage)) return usage ? Usage(nullptr) : 1;
  if (capture.empty()) capture = started.folder + "/gps-sim-COM" + std::to_string(common.com) + ".capture";
  const int captureFd = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (captureFd < 0) {
    fprintf(stderr, "gps-sim: cannot write %s\n", capture.c_str());
    RemovePtyLink(&started.link);
    return 1;
  }
  printf("capture %s\n", capture.c_str());
  fflush(stdout);

  sim::PtyOptions po;
  po.paced = common.paced;
  po.baud = static_cast<int>(common.baud);
  po.bitsPerByte = static_cast<int>(bits);
  po.waitForOpen = common.wait;
  po.captureFd = captureFd;
  po.stop = started.stop;
  const sim::PtyResult r = sim::StreamToPty(started.link.master, *stream, po);
  RemovePtyLink(&started.link);
  ::close(captureFd);
  fprintf(stderr, "gps-sim: %ld chunks, %ld bytes sent, %ld bytes captured%s\n", r.chunks, r.bytes, r.captured,
          r.stopped ? " (stopped)" : "");
  return r.failed ? 1 : 0;
}
