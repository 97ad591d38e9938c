// instrument-sim: plays a survey instrument on a pseudo-terminal linked as <devdir>/COMn.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "sim/cli.h"
#include "sim/instrument.h"
#include "sim/rz56.h"

int Rz56Main(int argc, char** argv);

namespace {

const char kUsage[] =
    "usage: instrument-sim --model NAME --com N [options]\n"
    "  --model NAME      RZ12, RZ27B, RZ27DD, RZ27, RZ45, RZ89, ZOL12, RZ27MK2 (or 0 to 7);\n"
    "                    RZ56MK2 answers requests (--model RZ56MK2 --help for its options)\n"
    "  --com N           link <devdir>/COMN to the pty (1 to 255)\n"
    "  --devdir DIR      device folder (default $PLAT_DEVDIR, else $PLAT_ROOT/dev)\n"
    "  --period MS       frame period (default 91, 72 with --short, ZOL12 1000, RZ27MK2 47)\n"
    "  --count N         frames to send, then end (default 0: until a signal)\n"
    "  --values LIST     meters: STATUS,FIELD1[,FIELD2]; ZOL12: THICKNESS,INPHASE;\n"
    "                    RZ27MK2: STATUS,C1,C2,C3,C4,C5,C6 (numbers, 0x for hex)\n"
    "  --ramp            frame i adds i to the last value\n"
    "  --script SEGMENTS RZ27MK2: segments played one after another, separated by ';' (or\n"
    "                    @FILE, one a line), each DURATION_MS STATUS C1 C2 C3 C4 C5 C6 [MARKER];\n"
    "                    a pseudo-terminal has no marker line, so MARKER must be 0\n"
    "  --start MS        first frame MS after the port opens (default one period, so the\n"
    "                    program's purge as its reader starts takes no frame)\n"
    "  --short           RZ27: the old 7-byte frames\n"
    "  --trigger K/N     marker bit 0x40 in K of every N meter frames\n"
    "  --garbage RATE    share of the gaps with a garbage burst (0 to 1)\n"
    "  --partial RATE    share of the gaps with a partial frame (0 to 1)\n"
    "  --any-garbage     garbage may hold end marks and frame starts\n"
    "  --seed N          seed of the garbage (default 1)\n"
    "  --baud N          the line rate --paced sends at (default the model's: 9600, RZ27MK2 19200)\n"
    "  --paced           send at the line rate (--baud, default the model's)\n"
    "  --no-wait         stream at once instead of waiting for the program to open the port\n";

int Usage(const char* problem) { return sim::cli::Usage("instrument-sim", kUsage, problem); }

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

// Whether the arguments name the RZ56-MK2, whose options differ.
bool NamesRz56(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--model" && i + 1 < argc) return sim::IsRz56ModelName(argv[i + 1]);
    if (a.rfind("--model=", 0) == 0) return sim::IsRz56ModelName(a.c_str() + 8);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (NamesRz56(argc, argv)) return Rz56Main(argc, argv);
  sim::InstrumentOptions o;
  o.startMs = -1;  // one period
  sim::cli::CommonOptions common;
  const sim::ModelInfo* model = nullptr;
  std::string values, script;
  const std::string problem = sim::cli::ParseArgs(
      argc, argv, &common, {{"ramp", &o.ramp}, {"short", &o.shortFrames}, {"any-garbage", &o.anyGarbage}},
      [&](const std::string& name, const std::string& v) -> std::string {
        double d = 0;
        std::vector<long> list;
        if (name == "model") {
          if (!(model = sim::FindModelByName(v.c_str()))) return "unknown model";
        } else if (name == "period") {
          if (!sim::cli::ParseDouble(v, &o.periodMs) || o.periodMs <= 0) return "bad --period";
        } else if (name == "start") {
          if (!sim::cli::ParseDouble(v, &o.startMs) || o.startMs < 0) return "bad --start";
        } else if (name == "count") {
          if (!sim::cli::ParseLong(v, &o.count) || o.count < 0) return "bad --count";
        } else if (name == "values") {
          values = v;
        } else if (name == "script") {
          script = v;
        } else if (name == "trigger") {
          if (!sim::cli::ParseList(v, &list, '/') || list.size() != 2 || list[0] < 0 || list[1] <= 0 ||
              list[1] > 1000000 || list[0] > list[1]) {
            return "--trigger takes K/N with 0 <= K <= N";
          }
          o.triggerFrames = static_cast<int>(list[0]);
          o.triggerEvery = static_cast<int>(list[1]);
        } else if (name == "garbage" || name == "partial") {
          if (!sim::cli::ParseDouble(v, &d) || d < 0 || d > 1) return "rates are 0 to 1";
          (name == "garbage" ? o.garbageRate : o.partialRate) = d;
        } else {
          return "unknown option " + name;
        }
        return "";
      });
  if (problem == "help") return sim::cli::Help(kUsage);
  if (!problem.empty()) return Usage(problem.c_str());
  if (!model) return Usage("--model is required");
  o.model = model->model;
  o.seed = common.seed;
  if (!values.empty()) {
    std::vector<long> list;
    if (!sim::cli::ParseList(values, &list) || !SetValues(o, list, model->family)) return Usage("bad --values");
  }

  std::unique_ptr<sim::Stream> stream;
  if (!script.empty()) {
    if (model->family != sim::Family::kRz27Mk2) return Usage("--script is for the RZ27MK2");
    if (script[0] == '@') {
      std::ifstream in(script.substr(1), std::ios::binary);
      if (!in) {
        fprintf(stderr, "instrument-sim: cannot read %s\n", script.c_str() + 1);
        return 1;
      }
      script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<sim::Mk2Segment> segments;
    std::string error;
    if (!sim::ParseMk2Script(script, &segments, &error)) return Usage(("--script: " + error).c_str());
    if (sim::ScriptUsesMarker(segments)) return Usage("--script: a pseudo-terminal has no marker line");
    const double period = sim::PeriodMs(o);
    stream = std::make_unique<sim::Mk2ScriptStream>(segments, period, o.startMs < 0 ? period : o.startMs, o.lead);
  } else {
    stream = std::make_unique<sim::InstrumentStream>(o);
  }

  sim::cli::Started started;
  bool usage = false;
  if (!sim::cli::StartLink("instrument-sim", common, &started, &usage)) return usage ? Usage(nullptr) : 1;
  sim::PtyOptions po;
  po.paced = common.paced;
  po.baud = common.baud > 0 ? static_cast<int>(common.baud) : model->baud;
  po.waitForOpen = common.wait;
  po.stop = started.stop;
  const sim::PtyResult r = sim::StreamToPty(started.link.master, *stream, po);
  RemovePtyLink(&started.link);
  fprintf(stderr, "instrument-sim: %ld chunks, %ld bytes sent%s\n", r.chunks, r.bytes, r.stopped ? " (stopped)" : "");
  return r.failed ? 1 : 0;
}
