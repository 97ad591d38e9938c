#include "sim/rz56.h"

#include <cctype>
#include <cstdio>
#include <limits>

namespace sim {
namespace {

constexpr unsigned char kEnd = 0x7F;
constexpr int kWireLength = 15;
constexpr int kGarbageMost = 32;

const char* const kPlain = "TDEF";
const char* const kMarked = "MNPQ";

unsigned char Marked(unsigned char tag) {
  for (int i = 0; i < 4; ++i) {
    if (tag == static_cast<unsigned char>(kPlain[i])) return static_cast<unsigned char>(kMarked[i]);
  }
  return tag;
}

// The nearest value at or above v (wrapping) with no 0x7F byte.
int16_t WithoutEndMark(int v) {
  auto u = static_cast<uint16_t>(v);
  while ((u & 0xFF) == kEnd || (u >> 8) == kEnd) u = static_cast<uint16_t>(u + ((u >> 8) == kEnd ? 0x100 : 1));
  return static_cast<int16_t>(u);
}

void Append16(std::string& s, int16_t v) {
  const auto u = static_cast<uint16_t>(v);
  s.push_back(static_cast<char>(u >> 8));
  s.push_back(static_cast<char>(u & 0xFF));
}

bool Every(long n, int every) { return every > 0 && (n + 1) % every == 0; }

}  // namespace

Rz56Responder::Rz56Responder(const Rz56Options& options)
    : o_(options), byteMs_(10000.0 / (options.baud > 0 ? options.baud : 9600)), rng_(options.seed) {
  if (o_.tags.empty()) o_.tags = "TDEF";
  if (o_.ramp) {
    for (int16_t& s : rampStart_) s = static_cast<int16_t>(rng_.Below(2000));
  }
}

std::string Rz56Responder::Frame(long i, bool coil) const {
  std::string f;
  auto tag = static_cast<unsigned char>(o_.tags[static_cast<size_t>(i) % o_.tags.size()]);
  if (Every(i, o_.markerEvery)) tag = Marked(tag);
  if (Every(i, o_.badTagEvery)) tag = kRz56BadTag;
  f.push_back(static_cast<char>(tag));
  f.push_back(static_cast<char>(o_.gain));
  for (int k = 0; k < 4; ++k) {
    const int rise = coil ? o_.coilRise : 0;
    Append16(f, o_.ramp ? WithoutEndMark(o_.counts[k] + rise + rampStart_[k] + static_cast<int>(i % 4096) * (k + 1))
                        : static_cast<int16_t>(o_.counts[k] + rise));
  }
  Append16(f, o_.current);
  f.push_back(static_cast<char>(o_.battery));
  f.push_back(static_cast<char>(kEnd));
  f.push_back(static_cast<char>(kEnd));
  return f;
}

void Rz56Responder::Plan(const std::string& bytes, double atMs, std::vector<Rz56Out>* out) {
  double t = atMs > lineFree_ ? atMs : lineFree_;
  for (char c : bytes) {
    out->push_back({t, static_cast<unsigned char>(c)});
    t += byteMs_;
  }
  lineFree_ = t;
}

void Rz56Responder::SendFrame(double atMs, std::vector<Rz56Out>* out) {
  const long i = frames_++;
  if (o_.garbageRate > 0 && rng_.Chance(o_.garbageRate)) {
    std::string junk;
    const uint32_t n = 1 + rng_.Below(kGarbageMost);
    while (junk.size() < n) {
      const auto b = static_cast<unsigned char>(rng_.Below(256));
      if (b != kEnd || o_.anyGarbage) junk.push_back(static_cast<char>(b));
    }
    Plan(junk, atMs, out);
  }
  std::string f = Frame(i, atMs >= coilFrom_ && atMs < coilUntil_);
  // A partial answer stops before the end mark.
  if (Every(i, o_.partialEvery)) f.resize(1 + rng_.Below(kWireLength - 3));
  Plan(f, atMs, out);
}

void Rz56Responder::Receive(unsigned char b, double atMs, std::vector<Rz56Out>* out) {
  received_.push_back({atMs, b});
  if (o_.off) return;
  if (afterH_) {
    afterH_ = false;
    if (b == 'X' || b == 'W') {
      mode_ = b == 'X' ? Rz56Mode::kRequest : Rz56Mode::kWheel;
      nextWheel_ = atMs + o_.wheelPeriodMs;
      Plan("OK", atMs + kRz56ReplyDelayMs, out);
      return;
    }
  }
  if (b == 'H') {
    afterH_ = true;
  } else if (b == 'A' && mode_ == Rz56Mode::kRequest) {
    SendFrame(atMs + o_.latencyMs, out);
  }
}

double Rz56Responder::NextWheelMs() const {
  if (o_.off || mode_ != Rz56Mode::kWheel || o_.wheelPeriodMs <= 0) return std::numeric_limits<double>::infinity();
  return nextWheel_;
}

int Rz56Responder::WheelDue(double nowMs, std::vector<Rz56Out>* out) {
  int n = 0;
  while (NextWheelMs() <= nowMs) {
    SendFrame(nextWheel_, out);
    nextWheel_ += o_.wheelPeriodMs;
    ++n;
  }
  return n;
}

void Rz56Responder::PressCoil(double atMs) {
  coilFrom_ = atMs;
  coilUntil_ = atMs + o_.coilMs;
}

bool Rz56Responder::Trigger(double atMs, std::vector<Rz56Out>* out) {
  if (o_.off || mode_ != Rz56Mode::kWheel) return false;
  SendFrame(atMs, out);
  return true;
}

std::string Rz56CaptureLine(const Rz56Received& r) {
  char buf[48];
  snprintf(buf, sizeof buf, "%10.3f %02X %c", r.atMs, r.byte, isprint(r.byte) ? r.byte : '.');
  return buf;
}

bool IsRz56ModelName(const char* name) {
  if (!name) return false;
  std::string folded;
  for (const char* p = name; *p; ++p) {
    if (*p != '-' && *p != '_') folded.push_back(static_cast<char>(toupper(static_cast<unsigned char>(*p))));
  }
  return folded == "RZ56MK2";
}

}  // namespace sim
