#include "sim/instrument.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sim {
namespace {

const ModelInfo kModels[] = {
    {0, "RZ12", Family::kMeter, 91.0, 9600},     {1, "RZ27B", Family::kMeter, 91.0, 9600},
    {2, "RZ27DD", Family::kMeter, 91.0, 9600},   {3, "RZ27", Family::kMeter, 91.0, 9600},
    {4, "RZ45", Family::kMeter, 91.0, 9600},     {5, "RZ89", Family::kMeter, 91.0, 9600},
    {6, "ZOL12", Family::kZol12, 1000.0, 9600},  {7, "RZ27MK2", Family::kRz27Mk2, 47.0, 19200},
};

constexpr double kShortFramePeriodMs = 72.0;
constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kMarkerBit = 0x40;
constexpr int kExtrasBelow = 160;  // garbage and partial frame of one gap stay under this

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// Five characters as the meters print them: " -200", "00500".
void AppendField(std::string& s, int v) {
  char buf[8];
  if (v < 0) {
    snprintf(buf, sizeof buf, "%5d", Clamp(v, -9999, -1));
  } else {
    snprintf(buf, sizeof buf, "%05d", Clamp(v, 0, 99999));
  }
  s.append(buf, 5);
}

bool HasFfByte(unsigned v) { return (v & 0xFF) == 0xFF || (v >> 8) == 0xFF; }

// Whether garbage may hold the byte.
bool GarbageMayHold(Family f, unsigned char b) {
  if (f == Family::kRz27Mk2) return b != 0xFF;
  return b != kCr && b != 'T';
}

// Whether a byte fails the ZOL12 test at every position after the first.
bool FailsZol12(unsigned char b) { return !(b >= '0' && b <= '9') && b != 'I' && b != 'T'; }

}  // namespace

const ModelInfo* FindModel(int model) {
  for (const ModelInfo& m : kModels) {
    if (m.model == model) return &m;
  }
  return nullptr;
}

const ModelInfo* FindModelByName(const char* name) {
  if (!name || !*name) return nullptr;
  char* end = nullptr;
  const long n = strtol(name, &end, 10);
  if (*end == 0) return n >= 0 && n <= 7 ? FindModel(static_cast<int>(n)) : nullptr;
  char folded[16];
  size_t k = 0;
  for (const char* p = name; *p; ++p) {
    if (*p == '-' || *p == '_') continue;
    if (k + 1 >= sizeof folded) return nullptr;
    folded[k++] = static_cast<char>(toupper(static_cast<unsigned char>(*p)));
  }
  folded[k] = 0;
  for (const ModelInfo& m : kModels) {
    if (strcmp(m.name, folded) == 0) return &m;
  }
  return nullptr;
}

double PeriodMs(const InstrumentOptions& o) {
  if (o.periodMs > 0) return o.periodMs;
  const ModelInfo* m = FindModel(o.model);
  if (!m) m = FindModel(0);
  if (o.shortFrames && m->model == 3) return kShortFramePeriodMs;
  return m->periodMs;
}

int KeptLength(const InstrumentOptions& o) {
  const ModelInfo* m = FindModel(o.model);
  if (!m) m = FindModel(0);
  switch (m->family) {
    case Family::kZol12:
      return 8;
    case Family::kRz27Mk2:
      return 14;
    case Family::kMeter:
      break;
  }
  return o.shortFrames && m->model == 3 ? 7 : 12;
}

InstrumentStream::InstrumentStream(const InstrumentOptions& options)
    : o_(options), info_(FindModel(options.model)), period_(PeriodMs(options)),
      start_(options.startMs < 0 ? period_ : options.startMs),
      rng_(options.seed) {
  if (!info_) info_ = FindModel(0);
}

std::string InstrumentStream::Frame(long i) const {
  std::string s;
  const unsigned step = static_cast<unsigned>(i % 100);
  switch (info_->family) {
    case Family::kMeter: {
      unsigned status = o_.status & 0xFF;
      if (o_.triggerEvery > 0 && i % o_.triggerEvery < o_.triggerFrames) status |= kMarkerBit;
      s.push_back('T');
      s.push_back(static_cast<char>(status));
      AppendField(s, o_.field1);
      if (KeptLength(o_) == 12) AppendField(s, o_.ramp ? o_.field2 + static_cast<int>(step) : o_.field2);
      s.push_back(static_cast<char>(kCr));
      break;
    }
    case Family::kZol12: {
      char buf[16];
      const int inphase = o_.ramp ? o_.inphase + static_cast<int>(step) : o_.inphase;
      snprintf(buf, sizeof buf, "T%03dI%03d", Clamp(o_.thickness, 0, 999), Clamp(inphase, 0, 999));
      s = buf;
      break;
    }
    case Family::kRz27Mk2: {
      uint16_t counts[kMk2Counts];
      for (int c = 0; c < kMk2Counts; ++c) counts[c] = o_.counts[c];
      if (o_.ramp) {
        unsigned v = (counts[kMk2Counts - 1] + static_cast<unsigned>(i % 200)) & 0xFFFF;
        while (HasFfByte(v)) v = (v + 1) & 0xFFFF;
        counts[kMk2Counts - 1] = static_cast<uint16_t>(v);
      }
      s = Mk2Frame(o_.lead, o_.mk2Status, counts);
      break;
    }
  }
  return s;
}

// The gap after frame i: at most one partial frame, then at most one garbage burst, both in the
// middle of the gap.
void InstrumentStream::PlanGap(long i) {
  pendingCount_ = 0;
  pendingNext_ = 0;
  const double at = start_ + static_cast<double>(i) * period_ + period_ / 2;
  const Family family = info_->family;
  int used = 0;
  if (rng_.Chance(o_.partialRate)) {
    const std::string frame = Frame(i + 1);
    // Up to the byte before the end mark: no partial frame ends a frame by itself.
    const int longest = family == Family::kMeter ? static_cast<int>(frame.size()) - 1
                        : family == Family::kZol12 ? 7
                                                   : 15;
    Chunk& c = pending_[pendingCount_++];
    c.atMs = at;
    c.kind = ChunkKind::kPartial;
    c.index = i;
    c.bytes = frame.substr(0, 1 + rng_.Below(static_cast<uint32_t>(longest)));
    if (family == Family::kZol12) {
      unsigned char b;
      do b = static_cast<unsigned char>(rng_.Next()); while (!FailsZol12(b));
      c.bytes.push_back(static_cast<char>(b));
    }
    used = static_cast<int>(c.bytes.size());
  }
  if (rng_.Chance(o_.garbageRate)) {
    Chunk& c = pending_[pendingCount_++];
    c.atMs = at;
    c.kind = ChunkKind::kGarbage;
    c.index = i;
    c.bytes.clear();
    const int n = 1 + static_cast<int>(rng_.Below(static_cast<uint32_t>(kExtrasBelow - 1 - used)));
    while (static_cast<int>(c.bytes.size()) < n) {
      const unsigned char b = static_cast<unsigned char>(rng_.Next());
      if (o_.anyGarbage || GarbageMayHold(family, b)) c.bytes.push_back(static_cast<char>(b));
    }
  }
}

bool InstrumentStream::Next(Chunk* out) {
  if (pendingNext_ < pendingCount_) {
    *out = pending_[pendingNext_++];
    return true;
  }
  if (o_.count > 0 && next_ >= o_.count) return false;
  const long i = next_++;
  out->atMs = start_ + static_cast<double>(i) * period_;
  out->kind = ChunkKind::kFrame;
  out->index = i;
  out->bytes = Frame(i);
  if (o_.count == 0 || next_ < o_.count) PlanGap(i);
  return true;
}

std::string Mk2Frame(char lead, unsigned status, const uint16_t counts[kMk2Counts]) {
  std::string s;
  s.push_back(lead);
  s.push_back(static_cast<char>(status & 0xFF));
  for (int c = 0; c < kMk2Counts; ++c) {
    s.push_back(static_cast<char>(counts[c] >> 8));
    s.push_back(static_cast<char>(counts[c] & 0xFF));
  }
  s.push_back(static_cast<char>(0xFF));
  s.push_back(static_cast<char>(0xFF));
  return s;
}

// ---- RZ27-MK2 scripts ------------------------------------------------------------------------

namespace {

// A whole number, decimal or 0x hex, within [0, max].
bool ScriptNumber(const std::string& word, unsigned long max, unsigned long* out) {
  if (word.empty()) return false;
  char* end = nullptr;
  const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
  if (!hex && !isdigit(static_cast<unsigned char>(word[0]))) return false;
  const unsigned long v = strtoul(word.c_str(), &end, hex ? 16 : 10);
  if (*end != 0 || v > max) return false;
  *out = v;
  return true;
}

}  // namespace

bool ParseMk2Script(const std::string& text, std::vector<Mk2Segment>* out, std::string* error) {
  out->clear();
  size_t at = 0;
  int number = 0;
  while (at <= text.size()) {
    size_t end = text.find_first_of(";\n", at);
    if (end == std::string::npos) end = text.size();
    const std::string segment = text.substr(at, end - at);
    at = end + 1;
    std::vector<std::string> words;
    for (size_t p = 0; p < segment.size();) {
      while (p < segment.size() && isspace(static_cast<unsigned char>(segment[p]))) ++p;
      size_t q = p;
      while (q < segment.size() && !isspace(static_cast<unsigned char>(segment[q]))) ++q;
      if (q > p) words.push_back(segment.substr(p, q - p));
      p = q;
    }
    if (words.empty() || words[0][0] == '#') continue;
    ++number;
    const std::string where = "segment " + std::to_string(number) + ": ";
    if (words.size() != 8 && words.size() != 9) {
      *error = where + "DURATION STATUS and six counts, then an optional marker 0 or 1";
      return false;
    }
    Mk2Segment s;
    unsigned long v = 0;
    if (!ScriptNumber(words[0], 86400000UL, &v) || v == 0) {
      *error = where + "the duration is 1 to 86400000 ms";
      return false;
    }
    s.durationMs = static_cast<double>(v);
    if (!ScriptNumber(words[1], 0xFF, &v)) {
      *error = where + "the status is a byte";
      return false;
    }
    s.status = static_cast<unsigned>(v);
    for (int c = 0; c < kMk2Counts; ++c) {
      if (!ScriptNumber(words[2 + c], 0xFFFF, &v)) {
        *error = where + "counts are 0 to 0xFFFF";
        return false;
      }
      s.counts[c] = static_cast<uint16_t>(v);
    }
    if (words.size() == 9) {
      if (!ScriptNumber(words[8], 1, &v)) {
        *error = where + "the marker is 0 or 1";
        return false;
      }
      s.marker = v == 1;
    }
    out->push_back(s);
  }
  if (out->empty()) {
    *error = "the script has no segment";
    return false;
  }
  return true;
}

bool ScriptUsesMarker(const std::vector<Mk2Segment>& segments) {
  for (const Mk2Segment& s : segments) {
    if (s.marker) return true;
  }
  return false;
}

Mk2ScriptStream::Mk2ScriptStream(std::vector<Mk2Segment> segments, double periodMs, double startMs, char lead)
    : segments_(std::move(segments)), period_(periodMs > 0 ? periodMs : 47), start_(startMs < 0 ? 0 : startMs),
      lead_(lead) {
  for (const Mk2Segment& s : segments_) total_ += s.durationMs;
}

bool Mk2ScriptStream::Next(Chunk* out) {
  const double frameAt = start_ + static_cast<double>(nextFrame_) * period_;
  if (frameAt >= total_) return false;
  // The segment the frame falls in, and any marker change at a segment start up to it.
  double segmentStart = 0;
  size_t k = 0;
  for (; k + 1 < segments_.size() && frameAt >= segmentStart + segments_[k].durationMs; ++k) {
    segmentStart += segments_[k].durationMs;
  }
  double changeAt = 0;
  for (size_t j = 0; j < nextSegment_ && j < segments_.size(); ++j) changeAt += segments_[j].durationMs;
  while (nextSegment_ <= k) {
    const Mk2Segment& s = segments_[nextSegment_++];
    if (s.marker != marker_) {
      marker_ = s.marker;
      out->atMs = changeAt;
      out->kind = ChunkKind::kLines;
      out->index = static_cast<long>(nextSegment_ - 1);
      out->bytes.clear();
      out->lines = marker_ ? kMarkerLine : 0;
      return true;
    }
    changeAt += s.durationMs;
  }
  const Mk2Segment& s = segments_[k];
  out->atMs = frameAt;
  out->kind = ChunkKind::kFrame;
  out->index = nextFrame_++;
  out->bytes = Mk2Frame(lead_, s.status, s.counts);
  out->lines = 0;
  return true;
}

}  // namespace sim
