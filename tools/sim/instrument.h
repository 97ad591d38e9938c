// Simulated survey instruments: the frames of every handheld model at its period.
//
//   meter models (RZ12, RZ27B, RZ27-DD, RZ27, RZ45, RZ89): 'T', status byte, two 5-character
//     fields, CR; every 91 ms (the old 7-byte RZ27 frames, one field: every 72 ms);
//   ZOL12: 'T', three digits, 'I', three digits; about every second;
//   RZ27-MK2: 'T', status, six 16-bit counts most significant byte first, 0xFF 0xFF; every 47 ms.
//
// On request the gaps between frames carry seeded garbage and partial frames, placed so that a
// reader following the framing rules still finds every whole frame:
//   - garbage holds no CR or 'T' (meter, ZOL12) and no 0xFF (RZ27-MK2) unless anyGarbage is set;
//   - a gap's garbage and partial frame together stay under 160 bytes;
//   - they are sent in the middle of the gap (a rejected ZOL12 frame purges the port), and a
//     partial ZOL12 frame ends in a byte that fails its test, so the reader rejects it there;
//   - generated (ramped) counts hold no 0xFF byte; values given explicitly are sent as given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/stream.h"

namespace sim {

enum class Family : uint8_t { kMeter, kZol12, kRz27Mk2 };

struct ModelInfo {
  int model;         // the handheld's model index
  const char* name;  // as the options name it
  Family family;
  double periodMs;
  int baud;
};

// Models 0 to 7; nullptr for any other.
const ModelInfo* FindModel(int model);
// By name, ignoring case and '-' ("RZ12", "rz27-mk2", "ZOL12"), or by index ("7").
const ModelInfo* FindModelByName(const char* name);

constexpr int kMk2Counts = 6;

struct InstrumentOptions {
  int model = 0;
  bool shortFrames = false;  // RZ27: the old 7-byte frames (72 ms)
  double periodMs = 0;       // 0: the model's period
  long count = 0;            // frames; 0: no end
  double startMs = 0;        // when frame 0 is due; negative: one period after the start

  // Meter frames: the status byte and the two fields (written as " -200" or "00500").
  unsigned status = 0x74;
  int field1 = -200;
  int field2 = 500;
  // ZOL12: thickness in centimetres and inphase, 0 to 999.
  int thickness = 123;
  int inphase = 45;
  // RZ27-MK2: lead byte ('T' or 't'), status (2 horizontal, 6 vertical) and counts.
  char lead = 'T';
  unsigned mk2Status = 6;
  uint16_t counts[kMk2Counts] = {0x8100, 0x8100, 0x8200, 0x8200, 0x00FA, 0x0100};

  // Frame i varies its last value by i (meter field 2, ZOL12 inphase, RZ27-MK2 count 6).
  bool ramp = false;
  // Trigger pattern of meter frames: the marker bit 0x40 in `triggerFrames` of every
  // `triggerEvery` frames (the first ones of each group).
  int triggerFrames = 0;
  int triggerEvery = 0;

  double garbageRate = 0;  // share of the gaps that carry a garbage burst
  double partialRate = 0;  // share of the gaps that carry a partial frame
  bool anyGarbage = false;
  uint64_t seed = 1;
};

// Frame period in force for the options (ms).
double PeriodMs(const InstrumentOptions& o);
// Bytes a frame of the options keeps once framed (12 or 7, 8, 14).
int KeptLength(const InstrumentOptions& o);

class InstrumentStream : public Stream {
 public:
  explicit InstrumentStream(const InstrumentOptions& options);
  bool Next(Chunk* out) override;

  // Frame i as sent.
  std::string Frame(long i) const;

 private:
  void PlanGap(long i);

  InstrumentOptions o_;
  const ModelInfo* info_;
  double period_;
  double start_;
  Rng rng_;
  long next_ = 0;
  // Chunks of the gap after the latest frame, waiting to be handed out.
  Chunk pending_[2];
  int pendingCount_ = 0;
  int pendingNext_ = 0;
};

// An RZ27-MK2 frame: the lead byte, the status, the six counts most significant byte first, and
// 0xFF 0xFF.
std::string Mk2Frame(char lead, unsigned status, const uint16_t counts[kMk2Counts]);

// ---- RZ27-MK2 scripts ------------------------------------------------------------------------
// A script plays segments one after another: for its duration a segment sends the same frame
// every period and holds the marker line (CTS) as it says.
constexpr unsigned kMarkerLine = 0x10;  // MS_CTS_ON

struct Mk2Segment {
  double durationMs = 0;
  unsigned status = 6;  // 6 vertical, 2 horizontal (any other status reads as a marker)
  uint16_t counts[kMk2Counts] = {0x8100, 0x8100, 0x8200, 0x8200, 0x00FA, 0x0100};
  bool marker = false;
};

// Parses a script: segments separated by ';' or line ends, each "DURATION STATUS C1 C2 C3 C4 C5
// C6 [MARKER]" (numbers decimal or 0x hex, counts in frame order: conductivity 0.5 m, inphase
// 0.5 m, conductivity 1 m, inphase 1 m, temperature 1, temperature 2; MARKER 0 or 1). Empty
// segments and those starting with '#' are skipped. False with the reason in *error.
bool ParseMk2Script(const std::string& text, std::vector<Mk2Segment>* out, std::string* error);

// Whether any segment holds the marker line (which a pseudo-terminal cannot carry).
bool ScriptUsesMarker(const std::vector<Mk2Segment>& segments);

// Frame i goes out at startMs + i x periodMs, from the segment its time falls in (segments laid
// end to end from 0); the stream ends with the last segment. Where the marker line changes, a
// kLines chunk comes at the segment's start, before the frames due then.
class Mk2ScriptStream : public Stream {
 public:
  explicit Mk2ScriptStream(std::vector<Mk2Segment> segments, double periodMs = 47, double startMs = 47,
                           char lead = 'T');
  bool Next(Chunk* out) override;
  double DurationMs() const { return total_; }

 private:
  std::vector<Mk2Segment> segments_;
  double period_, start_, total_ = 0;
  char lead_;
  long nextFrame_ = 0;
  size_t nextSegment_ = 0;  // the next segment whose start may change the lines
  bool marker_ = false;
};

}  // namespace sim
