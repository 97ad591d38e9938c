// Simulated GPS receiver: NMEA 0183 GGA, GSA and RMC sentences, synthetic or replayed from a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/stream.h"

namespace sim {

// Exclusive-or of the body's characters (the text between '$' and '*').
unsigned NmeaChecksum(std::string_view body);
// "$" body "*hh" CR LF (LF alone with lfOnly); a spoilt checksum is off by one.
std::string NmeaSentence(std::string_view body, bool spoil = false, bool lfOnly = false);

// Bodies of one fix at a time of day given in centiseconds since midnight.
std::string GgaBody(long centiseconds);
std::string GsaBody();
std::string RmcBody(long centiseconds);

struct GpsOptions {
  double rateHz = 1.0;  // fix cycles (GGA, GSA, RMC) per second; replay: cycles per second
  long count = 0;       // cycles; 0: no end (replay: the file once)
  double badChecksumRate = 0;  // share of sentences with a spoilt checksum
  bool lfOnly = false;
  double garbageRate = 0;  // share of cycles followed by a garbage burst
  bool anyGarbage = false;  // garbage may hold '$' and LF
  // A silent stretch: nothing is sent from silenceAtMs for silenceMs.
  double silenceAtMs = -1;
  double silenceMs = 0;
  long startCentiseconds = (10 * 3600 + 15 * 60 + 30) * 100L;  // 10:15:30.00
  uint64_t seed = 1;
};

// Synthetic sentences: cycle k at k / rateHz seconds, its time of day advancing with it.
class NmeaStream : public Stream {
 public:
  explicit NmeaStream(const GpsOptions& options);
  bool Next(Chunk* out) override;

 private:
  bool Make(Chunk* out);

  GpsOptions o_;
  Rng rng_;
  long cycle_ = 0;
  int part_ = 0;  // 0 GGA, 1 GSA, 2 RMC, 3 garbage
};

// Replay of a file's lines, each as it stands in the file (its line end included). A cycle begins
// at every line that starts like the file's first line (the same sentence type); cycle k goes out
// at k / rateHz seconds. With a count the file is replayed round until that many cycles are sent.
class NmeaReplay : public Stream {
 public:
  NmeaReplay(std::string fileBytes, const GpsOptions& options);
  bool Next(Chunk* out) override;
  size_t Lines() const { return lines_.size(); }

 private:
  GpsOptions o_;
  std::vector<std::string> lines_;
  std::string cycleKey_;
  size_t next_ = 0;
  long cycle_ = -1;
};

}  // namespace sim
