#include "common/nmea.h"

#include <cstring>

namespace survey {

bool NmeaLineAssembler::Push(unsigned char b, uint32_t tick) {
  if (b == '$') {
    tick_ = tick;
    buffer_[0] = '$';
    index_ = 1;
    return false;
  }
  if (b != '\n') {
    if (index_ > kRestartPast) index_ = 0;
    if (index_ == 0) tick_ = tick;
    buffer_[index_++] = static_cast<char>(b);
    return false;
  }
  if (index_ == 0) return false;  // an LF with nothing collected
  const int end = index_ - 1;     // the CR's place
  buffer_[end] = 0;
  index_ = 0;
  length_ = static_cast<int>(strnlen(buffer_, static_cast<size_t>(end)));
  return length_ > 0;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

int NmeaChecksumVerdict(const char* line, size_t length) {
  if (length == 0 || line[0] != '$') return 0;
  const void* star = memchr(line, '*', length);
  if (!star) return 0;
  const size_t first = static_cast<size_t>(static_cast<const char*>(star) - line);
  size_t last = length - 1;
  while (line[last] != '*') --last;
  unsigned sum = 0;
  for (size_t i = 1; i < first; ++i) sum ^= static_cast<unsigned char>(line[i]);
  // Past two digits only a value above 0xFF can come, which no sum equals: stop counting there.
  unsigned given = 0;
  size_t digits = 0;
  for (size_t i = last + 1; i < length; ++i) {
    const int d = HexDigit(line[i]);
    if (d < 0) break;
    if (given <= 0xFF) given = given * 16 + static_cast<unsigned>(d);
    ++digits;
  }
  return digits > 0 && given == sum ? 1 : 0;
}

size_t CopySentence(char* out, const char* line, size_t length) {
  size_t n = length < static_cast<size_t>(kSentenceMax) ? length : static_cast<size_t>(kSentenceMax);
  const void* nul = memchr(line, 0, n);
  if (nul) n = static_cast<size_t>(static_cast<const char*>(nul) - line);
  memcpy(out, line, n);
  out[n] = 0;
  return n;
}

int GetField(const char* text, int n, char separator, char* out, size_t outSize) {
  if (text == nullptr || out == nullptr || outSize == 0 || n < 1) return 0;
  const char* start = text;
  for (int field = 1; field < n; ++field) {
    while (*start != 0 && *start != separator) ++start;
    if (*start == 0) return 0;
    ++start;
  }
  size_t length = 0;
  while (start[length] != 0 && start[length] != separator) ++length;
  if (length > outSize - 1) length = outSize - 1;
  memcpy(out, start, length);
  out[length] = 0;
  return 1;
}

}  // namespace survey
