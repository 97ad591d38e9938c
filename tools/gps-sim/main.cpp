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
#include "sim/pty_sink.h"

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

int Usage(const char* problem) {
  if (problem) fprintf(stderr, "gps-sim: %s\n", problem);
  fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  sim::GpsOptions o;
  long com = 0, baud = 4800, bits = 11;
  std::string devDir, file, capture;
  bool paced = false, wait = true;
  sim::cli::Args args(argc, argv);
  std::string name, v;
  while (args.Next(&name)) {
    const bool flag = name == "lf-only" || name == "any-garbage" || name == "paced" || name == "no-wait" ||
                      name == "help";
    if (!flag && !args.Value(&v)) return Usage(("--" + name + " needs a value").c_str());
    long n = 0;
    double d = 0;
    std::vector<long> list;
    if (name == "help") return Usage(nullptr);
    if (name == "com") {
      if (!sim::cli::ParseLong(v, &com) || com < 1 || com > 255) return Usage("--com takes 1 to 255");
    } else if (name == "devdir") {
      devDir = v;
    } else if (name == "file") {
      file = v;
    } else if (name == "rate") {
      if (!sim::cli::ParseDouble(v, &o.rateHz) || o.rateHz <= 0 || o.rateHz > 1000) return Usage("bad --rate");
    } else if (name == "count") {
      if (!sim::cli::ParseLong(v, &o.count) || o.count < 0) return Usage("bad --count");
    } else if (name == "bad-checksums" || name == "garbage") {
      if (!sim::cli::ParseDouble(v, &d) || d < 0 || d > 1) return Usage("rates are 0 to 1");
      (name == "garbage" ? o.garbageRate : o.badChecksumRate) = d;
    } else if (name == "silence") {
      if (!sim::cli::ParseList(v, &list) || list.size() != 2 || list[0] < 0 || list[1] < 0) {
        return Usage("--silence takes AT,FOR in ms");
      }
      o.silenceAtMs = static_cast<double>(list[0]);
      o.silenceMs = static_cast<double>(list[1]);
    } else if (name == "capture") {
      capture = v;
    } else if (name == "seed") {
      if (!sim::cli::ParseLong(v, &n)) return Usage("bad --seed");
      o.seed = static_cast<uint64_t>(n);
    } else if (name == "baud") {
      if (!sim::cli::ParseLong(v, &baud) || baud <= 0) return Usage("bad --baud");
    } else if (name == "bits") {
      if (!sim::cli::ParseLong(v, &bits) || bits < 7 || bits > 12) return Usage("--bits takes 7 to 12");
    } else if (name == "lf-only") {
      o.lfOnly = true;
    } else if (name == "any-garbage") {
      o.anyGarbage = true;
    } else if (name == "paced") {
      paced = true;
    } else if (name == "no-wait") {
      wait = false;
    } else {
      return Usage(("unknown option " + name).c_str());
    }
  }
  if (com == 0) return Usage("--com is required");
  const std::string folder = sim::DeviceFolder(devDir.c_str());
  if (folder.empty()) return Usage("give --devdir, or set PLAT_DEVDIR or PLAT_ROOT");

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

  const std::atomic<bool>* stop = sim::cli::InstallStopSignals();
  sim::PtyLink link;
  std::string error;
  if (!sim::CreatePtyLink(folder.c_str(), static_cast<int>(com), &link, &error)) {
    fprintf(stderr, "gps-sim: %s\n", error.c_str());
    return 1;
  }
  if (capture.empty()) capture = folder + "/gps-sim-COM" + std::to_string(com) + ".capture";
  const int captureFd = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (captureFd < 0) {
    fprintf(stderr, "gps-sim: cannot write %s\n", capture.c_str());
    RemovePtyLink(&link);
    return 1;
  }
  printf("COM%ld -> %s (%s), capture %s\n", com, link.slavePath.c_str(), link.linkPath.c_str(), capture.c_str());
  fflush(stdout);

  sim::PtyOptions po;
  po.paced = paced;
  po.baud = static_cast<int>(baud);
  po.bitsPerByte = static_cast<int>(bits);
  po.waitForOpen = wait;
  po.captureFd = captureFd;
  po.stop = stop;
  const sim::PtyResult r = sim::StreamToPty(link.master, *stream, po);
  RemovePtyLink(&link);
  ::close(captureFd);
  fprintf(stderr, "gps-sim: %ld chunks, %ld bytes sent, %ld bytes captured%s\n", r.chunks, r.bytes, r.captured,
          r.stopped ? " (stopped)" : "");
  return r.failed ? 1 : 0;
}
