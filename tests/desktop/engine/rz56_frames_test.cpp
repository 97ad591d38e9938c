// The RZ56 frame search, byte by byte, as a table: each push's step, the frames it accepts and
// what is left in its buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/rz56_frames.h"

namespace {

using desktop::Rz56FrameSearch;
using desktop::Rz56Step;

// A frame as sent: the tag, twelve data bytes, 0x7F 0x7F.
std::string Wire(char tag, const std::string& data12 = std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B", 12)) {
  return std::string(1, tag) + data12 + "\x7F\x7F";
}

// One character per push: '.' read on, 'm' read on at an end mark, 'O' overflow, 'L' a lone 0x7F,
// 'R' rejected, 'A' accepted. An end mark on a step other than kMore is implied by the letter.
struct Trace {
  std::string steps;
  std::vector<std::string> frames;
  int index = -1;
  bool markOnlyWhereImplied = true;  // every 'L', 'R', 'A' had its end mark, nothing else but 'm'
};

Trace Search(const std::string& bytes) {
  Rz56FrameSearch search;
  Trace t;
  for (char c : bytes) {
    const desktop::Rz56Push p = search.Push(static_cast<unsigned char>(c));
    char letter = '.';
    switch (p.step) {
      case Rz56Step::kMore: letter = p.endMark ? 'm' : '.'; break;
      case Rz56Step::kOverflow: letter = 'O'; break;
      case Rz56Step::kLone: letter = 'L'; break;
      case Rz56Step::kRejected: letter = 'R'; break;
      case Rz56Step::kAccepted:
        letter = 'A';
        t.frames.emplace_back(reinterpret_cast<const char*>(search.Frame()), desktop::kRz56WireLength);
        break;
    }
    const bool implied = letter == 'L' || letter == 'R' || letter == 'A';
    if (implied && !p.endMark) t.markOnlyWhereImplied = false;
    if (letter == 'O' && p.endMark) t.markOnlyWhereImplied = false;
    t.steps.push_back(letter);
  }
  t.index = search.Index();
  return t;
}

std::string Dots(size_t n) { return std::string(n, '.'); }

struct SearchCase {
  const char* name;
  std::string bytes;
  std::string steps;
  std::vector<std::string> frames;
  int index;  // what the buffer holds at the end
};
void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }

const std::string kBattery7F = Wire('D', std::string("\x40\x01\x02\x03\x04\x05\x06\x07\x08\x07\x08\x7F", 12));
const std::string kNonTagPair = std::string("\x01\x02\x03\x04", 4) + Wire('x');

const SearchCase kSearchCases[] = {
    // The first 0x7F at 13 follows a data byte: a lone end mark; the second ends the frame.
    {"CleanFrame", Wire('T'), Dots(13) + "LA", {Wire('T')}, -1},
    // A stream that starts inside a frame: its last six bytes stay in front of the next frame,
    // whose end finds its tag 14 back.
    {"StartsWithAFramesTail", Wire('E').substr(9) + Wire('F'), Dots(6) + Dots(13) + "LA", {Wire('F')}, -1},
    // A 0x7F pair whose byte 14 back is no tag: rejected, and the buffer keeps all 19 bytes.
    {"NonTagPairIsRejectedAndKept", kNonTagPair, Dots(4 + 13) + "LR", {}, 18},
    // ... and the next frame after it is still found.
    {"FrameAfterARejectedOne", kNonTagPair + Wire('Q'), Dots(17) + "LR" + Dots(13) + "LA", {Wire('Q')}, -1},
    // A battery count of 0x7F: the pair at 12 and 13 is no frame end, the one at 13 and 14 is.
    {"BatteryByte7FGivesTheRightFrame", kBattery7F, Dots(13) + "mA", {kBattery7F}, -1},
    // Nothing ends: the 182nd byte empties the buffer and is dropped.
    {"OverflowAtThe182ndByte", std::string(200, 'a'), Dots(181) + "O" + Dots(18), {}, 17},
    // End marks below 13 are plain data; each one from 13 on is marked.
    {"EndMarksFrom13On", std::string("aaaaa\x7F" "aaaaaaa\x7F" "aa\x7F\x7F", 18), Dots(13) + "L..LR", {}, 17},
    // Every tag of the eight is accepted, and a tag in the wrong case is not.
    {"EveryTag", Wire('M') + Wire('N') + Wire('P') + Wire('D'), Dots(13) + "LA" + Dots(13) + "LA" + Dots(13) + "LA" + Dots(13) + "LA",
     {Wire('M'), Wire('N'), Wire('P'), Wire('D')}, -1},
    {"LowerCaseTagIsRejected", Wire('t'), Dots(13) + "LR", {}, 14},
    // NULs are data like any other byte.
    {"NulsInTheData", Wire('T', std::string(12, '\0')), Dots(13) + "LA", {Wire('T', std::string(12, '\0'))}, -1},
};

class Rz56Search : public ::testing::TestWithParam<SearchCase> {};

TEST_P(Rz56Search, StepsFramesAndBuffer) {
  const SearchCase& c = GetParam();
  const Trace t = Search(c.bytes);
  EXPECT_EQ(t.steps, c.steps);
  EXPECT_EQ(t.frames, c.frames);
  EXPECT_EQ(t.index, c.index);
  EXPECT_TRUE(t.markOnlyWhereImplied);
}

INSTANTIATE_TEST_SUITE_P(Table, Rz56Search, ::testing::ValuesIn(kSearchCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Rz56Tags, PairsAndModes) {
  struct Row {
    unsigned char tag, marked, plain;
    char mode;
  };
  const Row rows[] = {{'T', 'M', 'T', '4'}, {'M', 'M', 'T', '4'}, {'D', 'N', 'D', 'D'}, {'N', 'N', 'D', 'D'},
                      {'E', 'P', 'E', '4'}, {'P', 'P', 'E', '4'}, {'F', 'Q', 'F', 'D'}, {'Q', 'Q', 'F', 'D'},
                      {'x', 0, 0, '4'},     {0x7F, 0, 0, '4'}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.tag);
    EXPECT_EQ(desktop::IsRz56Tag(r.tag), r.plain != 0);
    EXPECT_EQ(desktop::Rz56MarkedTag(r.tag), r.marked);
    EXPECT_EQ(desktop::Rz56PlainTag(r.tag), r.plain);
    EXPECT_EQ(desktop::Rz56Mode(r.tag), r.mode);
  }
}

}  // namespace
