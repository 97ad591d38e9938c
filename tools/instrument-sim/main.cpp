// instrument-sim: plays a survey instrument on a pseudo-terminal linked as <devdir>/COMn.
#include <cstdio>
#include <string>
#include <vector>

#include "sim/cli.h"
#include "sim/instrument.h"
#include "sim/pty_sink.h"

namespace {

const char kUsage[] =
    "usage: instrument-sim --model NAME --com N [options]\n"
    "  --model NAME      RZ12, RZ27B, RZ27DD, RZ27, RZ45, RZ89, ZOL12, RZ27MK2 (or 0 to 7)\n"
    "  --com N           link <devdir>/COMN to the pty (1 to 255)\n"
    "  --devdir DIR      device folder (default $PLAT_DEVDIR, else $PLAT_ROOT/dev)\n"
    "  --period MS       frame period (default 91, 72 with --short, ZOL12 1000, RZ27MK2 47)\n"
    "  --count N         frames to send, then end (default 0: until a signal)\n"
    "  --values LIST     meters: STATUS,FIELD1[,FIELD2]; ZOL12: THICKNESS,INPHASE;\n"
    "                    RZ27MK2: STATUS,C1,C2,C3,C4,C5,C6 (numbers, 0x for hex)\n"
    "  --ramp            frame i adds i to the last value\n"
    "  --short           RZ27: the old 7-byte frames\n"
    "  --trigger K/N     marker bit 0x40 in K of every N meter frames\n"
    "  --garbage RATE    share of the gaps with a garbage burst (0 to 1)\n"
    "  --partial RATE    share of the gaps with a partial frame (0 to 1)\n"
    "  --any-garbage     garbage may hold end marks and frame starts\n"
    "  --seed N          seed of the garbage (default 1)\n"
    "  --paced           send at the line rate (--baud, default the model's)\n"
    "  --no-wait         stream at once instead of waiting for the program to open the port\n";

int Usage(const char* problem) {
  if (problem) fprintf(stderr, "instrument-sim: %s\n", problem);
  fputs(kUsage, stderr);
  return 2;
}

bool SetValues(sim::InstrumentOptions& o, const std::vector<long>& v, sim::Family family) {
  switch (family) {
    case sim::Family::kMeter:
      if (v.size() < 2 || v.size() > 3) return false;
      o.status = static_cast<unsigned>(v[0]) & 0xFF;
      o.field1 = static_cast<int>(v[1]);
      if (v.size() == 3) o.field2 = static_cast<int>(v[2]);
      return true;
    case sim::Family::kZol12:
      if (v.size() != 2) return false;
      o.thickness = static_cast<int>(v[0]);
      o.inphase = static_cast<int>(v[1]);
      return true;
    case sim::Family::kRz27Mk2:
      if (v.size() != 1 + sim::kMk2Counts) return false;
      o.mk2Status = static_cast<unsigned>(v[0]) & 0xFF;
      for (int i = 0; i < sim::kMk2Counts; ++i) o.counts[i] = static_cast<uint16_t>(v[1 + i]);
      return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  sim::InstrumentOptions o;
  const sim::ModelInfo* model = nullptr;
  long com = 0, baud = 0;
  std::string devDir, values;
  bool paced = false, wait = true;
  sim::cli::Args args(argc, argv);
  std::string name, v;
  while (args.Next(&name)) {
    const bool flag = name == "ramp" || name == "short" || name == "any-garbage" || name == "paced" ||
                      name == "no-wait" || name == "help";
    if (!flag && !args.Value(&v)) return Usage(("--" + name + " needs a value").c_str());
    long n = 0;
    double d = 0;
    std::vector<long> list;
    if (name == "help") return Usage(nullptr);
    if (name == "model") {
      if (!(model = sim::FindModelByName(v.c_str()))) return Usage("unknown model");
    } else if (name == "com") {
      if (!sim::cli::ParseLong(v, &com) || com < 1 || com > 255) return Usage("--com takes 1 to 255");
    } else if (name == "devdir") {
      devDir = v;
    } else if (name == "period") {
      if (!sim::cli::ParseDouble(v, &o.periodMs) || o.periodMs <= 0) return Usage("bad --period");
    } else if (name == "count") {
      if (!sim::cli::ParseLong(v, &o.count) || o.count < 0) return Usage("bad --count");
    } else if (name == "values") {
      values = v;
    } else if (name == "trigger") {
      if (!sim::cli::ParseList(v, &list, '/') || list.size() != 2 || list[0] < 0 || list[1] <= 0 ||
          list[1] > 1000000 || list[0] > list[1]) {
        return Usage("--trigger takes K/N with 0 <= K <= N");
      }
      o.triggerFrames = static_cast<int>(list[0]);
      o.triggerEvery = static_cast<int>(list[1]);
    } else if (name == "garbage" || name == "partial") {
      if (!sim::cli::ParseDouble(v, &d) || d < 0 || d > 1) return Usage("rates are 0 to 1");
      (name == "garbage" ? o.garbageRate : o.partialRate) = d;
    } else if (name == "seed") {
      if (!sim::cli::ParseLong(v, &n)) return Usage("bad --seed");
      o.seed = static_cast<uint64_t>(n);
    } else if (name == "baud") {
      if (!sim::cli::ParseLong(v, &baud) || baud <= 0) return Usage("bad --baud");
    } else if (name == "ramp") {
      o.ramp = true;
    } else if (name == "short") {
      o.shortFrames = true;
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
  if (!model || com == 0) return Usage("--model and --com are required");
  o.model = model->model;
  if (!values.empty()) {
    std::vector<long> list;
    if (!sim::cli::ParseList(values, &list) || !SetValues(o, list, model->family)) return Usage("bad --values");
  }
  const std::string folder = sim::DeviceFolder(devDir.c_str());
  if (folder.empty()) return Usage("give --devdir, or set PLAT_DEVDIR or PLAT_ROOT");

  const std::atomic<bool>* stop = sim::cli::InstallStopSignals();
  sim::PtyLink link;
  std::string error;
  if (!sim::CreatePtyLink(folder.c_str(), static_cast<int>(com), &link, &error)) {
    fprintf(stderr, "instrument-sim: %s\n", error.c_str());
    return 1;
  }
  printf("COM%ld -> %s (%s)\n", com, link.slavePath.c_str(), link.linkPath.c_str());
  fflush(stdout);

  sim::InstrumentStream stream(o);
  sim::PtyOptions po;
  po.paced = paced;
  po.baud = baud > 0 ? static_cast<int>(baud) : model->baud;
  po.waitForOpen = wait;
  po.stop = stop;
  const sim::PtyResult r = sim::StreamToPty(link.master, stream, po);
  RemovePtyLink(&link);
  fprintf(stderr, "instrument-sim: %ld chunks, %ld bytes sent%s\n", r.chunks, r.bytes, r.stopped ? " (stopped)" : "");
  return r.failed ? 1 : 0;
}
