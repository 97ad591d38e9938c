// Checks of a survey data file written by a whole run on pseudo-terminals, for the end-to-end
// tests of both programs: the file cut into records, and a logging stretch checked record by
// record against the frames and sentences the simulators sent.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sim/instrument.h"

namespace test_support {

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> Records(const std::string& bytes, size_t length) {
  std::vector<std::string> out;
  for (size_t at = 0; at + length <= bytes.size(); at += length) out.push_back(bytes.substr(at, length));
  return out;
}

inline bool IsConnBreak(const std::string& record) { return record.compare(0, 12, "X$CONN BREAK") == 0; }

// Index of a recorded frame among the frames sent, or -1.
inline long FrameIndex(const sim::InstrumentStream& sent, const std::string& kept, long from) {
  for (long i = from; i < from + 2000; ++i) {
    if (sent.Frame(i).compare(0, kept.size(), kept) == 0) return i;
  }
  return -1;
}

// Checks a stretch of reading records of 12 frame bytes (and GPS records among them) from `at` up
// to its "X$PAUSED": the readings are frames as sent, every framesPerReading-th one, each followed
// by a blank and its tick, with ticks that never go back; each GPS sentence is whole and is the next one sent
// after the stretch's first unique one. A "$CONN BREAK" is accepted anywhere: a machine under load
// can hold the feed or the reader past the watchdog's period, and the break is recorded as it
// should be, losing no frame. Returns the index of the "X$PAUSED" record, or recs.size() after a
// failure.
inline size_t CheckStretch(const std::vector<std::string>& recs, size_t at, int readings,
                           const sim::InstrumentStream& sent, int framesPerReading,
                           const std::vector<std::string>& sentences) {
  int seen = 0;
  long lastFrame = -1;
  unsigned long lastTick = 0;
  size_t nextSentence = 0;
  bool anySentence = false;
  while (at < recs.size() && recs[at].compare(0, 8, "X$PAUSED") != 0) {
    const std::string& r = recs[at];
    const size_t length = r.size();
    if (IsConnBreak(r)) {
      ++at;
      continue;
    }
    if (r[0] == '@' || r[0] == '#') {
      if (r[0] != '@') {
        ADD_FAILURE() << "record " << at << " continues no sentence: " << r;
        return recs.size();
      }
      std::string text = r.substr(1, length - 2);
      for (++at; at < recs.size() && recs[at][0] == '#'; ++at) text += recs[at].substr(1, length - 2);
      if (at >= recs.size() || recs[at][0] != '!') {
        ADD_FAILURE() << "sentence not ended by its tick record at " << at;
        return recs.size();
      }
      ++at;
      while (!text.empty() && text.back() == ' ') text.pop_back();
      if (anySentence) {
        // Each sentence after the anchor is the next one sent.
        EXPECT_TRUE(nextSentence < sentences.size() && sentences[nextSentence] == text)
            << "a sentence is missing or out of order before " << text;
        ++nextSentence;
        continue;
      }
      const size_t k = std::find(sentences.begin(), sentences.end(), text) - sentences.begin();
      if (k >= sentences.size()) {
        ADD_FAILURE() << "not a sentence that was sent: " << text;
        return recs.size();
      }
      // The stretch's sentences are anchored at the first that was sent only once (a fix's time
      // makes it unique; the satellites sentence repeats every cycle).
      if (std::count(sentences.begin(), sentences.end(), text) == 1) {
        anySentence = true;
        nextSentence = k + 1;
      }
      continue;
    }
    const long index = FrameIndex(sent, r.substr(0, 12), lastFrame < 0 ? 0 : lastFrame + 1);
    if (index < 0) {
      ADD_FAILURE() << "record " << at << " is no frame that was sent: " << r;
      return recs.size();
    }
    if (lastFrame >= 0) {
      EXPECT_EQ(index - lastFrame, framesPerReading) << "record " << at;
    }
    EXPECT_EQ(r[12], ' ');
    EXPECT_EQ(r[length - 1], '\n');
    // The ticks never go back; two readings of one burst (frames held up by a loaded machine and
    // read in one go) may share a millisecond.
    const unsigned long tick = std::stoul(r.substr(length - 11, 10));
    EXPECT_GE(tick, lastTick) << "record " << at;
    lastTick = tick;
    lastFrame = index;
    ++seen;
    ++at;
  }
  EXPECT_EQ(seen, readings);
  return at;
}

}  // namespace test_support
