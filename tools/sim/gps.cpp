#include "sim/gps.h"

#include <cmath>
#include <cstdio>

namespace sim {
namespace {

bool Silent(const GpsOptions& o, double atMs) {
  return o.silenceAtMs >= 0 && atMs >= o.silenceAtMs && atMs < o.silenceAtMs + o.silenceMs;
}

void AppendTime(std::string& s, long centiseconds) {
  const long cs = ((centiseconds % 8640000L) + 8640000L) % 8640000L;
  char buf[16];
  snprintf(buf, sizeof buf, "%02ld%02ld%02ld.%02ld", cs / 360000, cs / 6000 % 60, cs / 100 % 60, cs % 100);
  s += buf;
}

}  // namespace

unsigned NmeaChecksum(std::string_view body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  return sum;
}

std::string NmeaSentence(std::string_view body, bool spoil, bool lfOnly) {
  unsigned sum = NmeaChecksum(body);
  if (spoil) sum = (sum + 1) & 0xFF;
  char tail[8];
  snprintf(tail, sizeof tail, "*%02X%s", sum, lfOnly ? "\n" : "\r\n");
  std::string s = "$";
  s.append(body);
  s += tail;
  return s;
}

std::string GgaBody(long centiseconds) {
  std::string s = "GPGGA,";
  AppendTime(s, centiseconds);
  s += ",5130.0000,N,00010.0000,W,1,08,1.0,50.0,M,45.0,M,,";
  return s;
}

std::string GsaBody() { return "GPGSA,A,3,04,05,09,12,24,,,,,,,,2.5,1.3,2.1"; }

std::string RmcBody(long centiseconds) {
  std::string s = "GPRMC,";
  AppendTime(s, centiseconds);
  s += ",A,5130.0000,N,00010.0000,W,0.0,0.0,050313,,";
  return s;
}

NmeaStream::NmeaStream(const GpsOptions& options) : o_(options), rng_(options.seed) {
  if (!(o_.rateHz > 0)) o_.rateHz = 1.0;
}

bool NmeaStream::Make(Chunk* out) {
  if (part_ > 3) {
    part_ = 0;
    ++cycle_;
  }
  if (o_.count > 0 && cycle_ >= o_.count) return false;
  const double atMs = static_cast<double>(cycle_) * 1000.0 / o_.rateHz;
  const long cs = o_.startCentiseconds + static_cast<long>(static_cast<double>(cycle_) * 100.0 / o_.rateHz);
  const int part = part_++;
  out->atMs = atMs;
  out->index = cycle_;
  out->bytes.clear();
  if (part == 3) {
    if (!rng_.Chance(o_.garbageRate)) return true;
    out->kind = ChunkKind::kGarbage;
    const int n = 1 + static_cast<int>(rng_.Below(80));
    while (static_cast<int>(out->bytes.size()) < n) {
      const char b = static_cast<char>(rng_.Next());
      if (o_.anyGarbage || (b != '$' && b != '\n')) out->bytes.push_back(b);
    }
    return true;
  }
  out->kind = ChunkKind::kSentence;
  const std::string body = part == 0 ? GgaBody(cs) : part == 1 ? GsaBody() : RmcBody(cs);
  out->bytes = NmeaSentence(body, rng_.Chance(o_.badChecksumRate), o_.lfOnly);
  return true;
}

bool NmeaStream::Next(Chunk* out) {
  for (;;) {
    if (!Make(out)) return false;
    if (Silent(o_, out->atMs)) {
      // Go on with the first cycle after the silent stretch.
      const double end = (o_.silenceAtMs + o_.silenceMs) * o_.rateHz / 1000.0;
      if (!(end < 1e15)) return false;  // silent for good
      const long after = static_cast<long>(std::ceil(end));
      cycle_ = after > cycle_ ? after : cycle_ + 1;
      part_ = 0;
      continue;
    }
    if (!out->bytes.empty()) return true;
  }
}

NmeaReplay::NmeaReplay(std::string fileBytes, const GpsOptions& options) : o_(options) {
  if (!(o_.rateHz > 0)) o_.rateHz = 1.0;
  size_t start = 0;
  while (start < fileBytes.size()) {
    size_t lf = fileBytes.find('\n', start);
    const size_t end = lf == std::string::npos ? fileBytes.size() : lf + 1;
    lines_.push_back(fileBytes.substr(start, end - start));
    start = end;
  }
  // The first line's sentence type, with its comma: "$GPGGA,".
  if (!lines_.empty()) {
    const std::string& first = lines_[0];
    const size_t comma = first.find(',');
    cycleKey_ = comma == std::string::npos ? first : first.substr(0, comma + 1);
  }
}

bool NmeaReplay::Next(Chunk* out) {
  for (;;) {
    if (lines_.empty()) return false;
    if (next_ >= lines_.size()) {
      if (o_.count == 0) return false;
      next_ = 0;
    }
    const std::string& line = lines_[next_];
    if (cycle_ < 0 || line.compare(0, cycleKey_.size(), cycleKey_) == 0) ++cycle_;
    if (o_.count > 0 && cycle_ >= o_.count) return false;
    ++next_;
    out->atMs = static_cast<double>(cycle_) * 1000.0 / o_.rateHz;
    out->kind = ChunkKind::kSentence;
    out->index = cycle_;
    out->bytes = line;
    if (!Silent(o_, out->atMs)) return true;
  }
}

}  // namespace sim
