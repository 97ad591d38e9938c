// The simulated RZ56-MK2: an instrument that reads what the program sends and answers.
//
//   - It starts in request mode. 'A' gets one frame after the latency (3 ms by default).
//   - 'H' then 'X' or 'W' gets "OK" 20 ms after the second byte, and the mode changes (X request,
//     W wheel). An 'H' followed by another byte is dropped, and that byte is taken on its own; any
//     other byte is ignored.
//   - In wheel mode it sends a frame every wheel period (100 ms by default; 0: only when
//     triggered) or when a test triggers one, and ignores 'A'.
//   - Switched off, it answers nothing.
//   - A coil press (the QC coil button held): for coilMs after the press every frame's four counts
//     are coilRise higher.
//   - Frames carry the tags in turn (T, D, E, F by default), the marked tag of the pair on every
//     markerEvery-th frame, the gain byte, four counts, the current and the battery count, then
//     0x7F 0x7F. Generated (ramped) counts and garbage hold no 0x7F byte unless asked; values given
//     explicitly are sent as given.
//   - Faults on request: every badTagEvery-th frame carries a tag outside the eight, every
//     partialEvery-th answer is cut short, and a share of the answers comes after a burst of
//     seeded garbage.
//
// Everything leaves at the line rate: the responder plans each byte's time on one line, and the
// sinks (a pty master on the real clock, a virtual port on the platform clock) deliver it then.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/stream.h"

namespace sim {

struct Rz56Options {
  std::string tags = "TDEF";  // frame i carries tags[i % size]
  int markerEvery = 0;        // frames markerEvery, 2 x markerEvery, ... carry the marked tag
  uint8_t gain = 0;
  int16_t counts[4] = {1000, 500, 250, 125};
  bool ramp = false;          // counts vary per frame, from a seeded start
  int16_t current = 1800;
  uint8_t battery = 70;
  double latencyMs = 3;
  double wheelPeriodMs = 100; // 0: wheel frames only when triggered
  bool off = false;
  int16_t coilRise = 10;      // what a coil press adds to each count
  double coilMs = 5000;       // how long a coil press lasts
  int badTagEvery = 0;        // frames badTagEvery, 2 x badTagEvery, ... get a tag outside the eight
  int partialEvery = 0;       // answers partialEvery, 2 x partialEvery, ... are cut short
  double garbageRate = 0;     // share of the answers that come after a garbage burst
  bool anyGarbage = false;    // garbage may hold 0x7F
  int baud = 9600;
  uint64_t seed = 1;
};

enum class Rz56Mode : uint8_t { kRequest, kWheel };

// A byte the program sent, and when it came (ms on the sink's clock).
struct Rz56Received {
  double atMs;
  unsigned char byte;
};

// One byte planned on the line.
struct Rz56Out {
  double atMs;
  unsigned char byte;
};

constexpr unsigned char kRz56BadTag = 'Z';
constexpr double kRz56ReplyDelayMs = 20;

class Rz56Responder {
 public:
  explicit Rz56Responder(const Rz56Options& options);

  // A byte from the program at atMs; the bytes of any answer are appended to out in time order.
  void Receive(unsigned char b, double atMs, std::vector<Rz56Out>* out);
  // Wheel mode: the periodic frames due up to nowMs. Returns how many were planned.
  int WheelDue(double nowMs, std::vector<Rz56Out>* out);
  // When the next periodic wheel frame is due; infinity when none is.
  double NextWheelMs() const;
  // A wheel frame at atMs, as a wheel trigger gives it: false (nothing planned) in request mode
  // or when switched off.
  bool Trigger(double atMs, std::vector<Rz56Out>* out);

  // The QC coil pressed at atMs: frames sent from then for coilMs carry the risen counts.
  void PressCoil(double atMs);

  // Switches the instrument off or on again (it keeps its mode).
  void SetOff(bool off) { o_.off = off; }

  Rz56Mode Mode() const { return mode_; }
  long FramesSent() const { return frames_; }  // answers and wheel frames, partial ones included
  const std::vector<Rz56Received>& Received() const { return received_; }
  // Frame i (from 0) as the options make it, whole; with the coil pressed its counts are risen.
  std::string Frame(long i, bool coil = false) const;
  double ByteMs() const { return byteMs_; }

 private:
  void Plan(const std::string& bytes, double atMs, std::vector<Rz56Out>* out);
  void SendFrame(double atMs, std::vector<Rz56Out>* out);

  Rz56Options o_;
  double byteMs_;
  Rng rng_;
  int16_t rampStart_[4] = {};
  Rz56Mode mode_ = Rz56Mode::kRequest;
  bool afterH_ = false;
  long frames_ = 0;
  double lineFree_ = 0;
  double nextWheel_ = 0;
  double coilFrom_ = 0;
  double coilUntil_ = 0;
  std::vector<Rz56Received> received_;
};

// What the capture file holds per received byte: the time in ms with three decimals, the byte in
// hex, and the byte itself when it is printable ("   123.456 41 A").
std::string Rz56CaptureLine(const Rz56Received& r);

// Whether a model name names the RZ56-MK2 ("RZ56MK2", "rz56-mk2", ignoring case, '-' and '_').
bool IsRz56ModelName(const char* name);

}  // namespace sim
