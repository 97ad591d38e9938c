#include "common/nmea.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace survey {
namespace {

const std::string kGga = "$GPGGA,101530.00,5130.0000,N,00010.0000,W,1,08,1.0,50.0,M,45.0,M,,*43";

struct Line {
  std::string text;
  uint32_t tick;
  bool operator==(const Line& o) const { return text == o.text && tick == o.tick; }
};

std::ostream& operator<<(std::ostream& os, const Line& l) { return os << "{\"" << l.text << "\", " << l.tick << "}"; }

// Pushes the bytes, byte i arriving at tick 1000 + i; returns the lines handed out.
std::vector<Line> Assemble(const std::string& bytes) {
  NmeaLineAssembler a;
  std::vector<Line> lines;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (a.Push(static_cast<unsigned char>(bytes[i]), 1000 + static_cast<uint32_t>(i))) {
      EXPECT_EQ(static_cast<size_t>(a.Length()), strlen(a.Line()));
      lines.push_back({std::string(a.Line(), a.Length()), a.Tick()});
    }
  }
  return lines;
}

struct AssembleCase {
  const char* name;
  std::string bytes;
  std::vector<Line> lines;
};
void PrintTo(const AssembleCase& c, std::ostream* os) { *os << c.name; }

class AssemblerTable : public ::testing::TestWithParam<AssembleCase> {};

TEST_P(AssemblerTable, CutsLinesAsTheReadersDo) { EXPECT_EQ(Assemble(GetParam().bytes), GetParam().lines); }

const std::string k250(250, 'a');

INSTANTIATE_TEST_SUITE_P(
    Streams, AssemblerTable,
    ::testing::Values(
        AssembleCase{"CrLf", kGga + "\r\n", {{kGga, 1000}}},
        // LF alone: the byte before it is taken for the CR, so the last checksum digit goes.
        AssembleCase{"LfOnly", kGga + "\n", {{kGga.substr(0, kGga.size() - 1), 1000}}},
        // The last '$' restarts the line; the line's tick is its '$'.
        AssembleCase{"LastDollar", "xx$GPG$GPGSA,A\r\n", {{"$GPGSA,A", 1006}}},
        // Bytes before the first '$' make a line of their own, carrying its first byte's tick.
        AssembleCase{"NoDollar", "noise\r\n" + kGga + "\r\n", {{"noise", 1000}, {kGga, 1007}}},
        // "$" CR LF is not empty: the '$' is left.
        AssembleCase{"EmptyLinesIgnored", "\n\r\n$\n$\r\n\n" + kGga + "\r\n", {{"$", 1005}, {kGga, 1009}}},
        // 250 bytes: the 202nd restarts the line, which keeps bytes 202 to 249 (the 250th is the "CR").
        AssembleCase{"RestartPast200", k250 + "\n", {{std::string(48, 'a'), 1201}}},
        // Exactly 200 characters before CR LF are kept whole.
        AssembleCase{"TwoHundredCharacters",
                     "$" + std::string(199, 'b') + "\r\n",
                     {{"$" + std::string(199, 'b'), 1000}}},
        // A NUL ends the line's text.
        AssembleCase{"NulEndsTheText", std::string("$GP\0GGA*00\r\n", 12) + "$A*41\r\n",
                     {{"$GP", 1000}, {"$A*41", 1012}}},
        AssembleCase{"LeadingNulIsEmpty", std::string("\0abc\r\n", 6), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NmeaLineAssembler, LongRunsStayInsideTheBuffer) {
  NmeaLineAssembler a;
  for (int i = 0; i < 100000; ++i) a.Push(static_cast<unsigned char>(i % 9 == 0 ? '\n' : 'z' + i % 2), 0);
  for (int i = 0; i < 5000; ++i) EXPECT_FALSE(a.Push('q', 0));
  EXPECT_TRUE(a.Push('\n', 0));
  EXPECT_LE(a.Length(), NmeaLineAssembler::kRestartPast);
}

struct VerdictCase {
  const char* name;
  std::string line;
  int verdict;
};
void PrintTo(const VerdictCase& c, std::ostream* os) { *os << c.name; }

class VerdictTable : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(VerdictTable, JudgesTheChecksum) {
  const std::string& l = GetParam().line;
  EXPECT_EQ(NmeaChecksumVerdict(l.data(), l.size()), GetParam().verdict);
}

std::string Changed(std::string s, size_t at, char c) {
  s[at] = c;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, VerdictTable,
    ::testing::Values(VerdictCase{"Good", kGga, 1}, VerdictCase{"BodyChanged", Changed(kGga, 20, '1'), 0},
                      VerdictCase{"LfOnlyLostADigit", kGga.substr(0, kGga.size() - 1), 0},
                      VerdictCase{"UpperCaseHex", "$J*4A", 1}, VerdictCase{"LowerCaseHex", "$J*4a", 1},
                      VerdictCase{"NoDollar", kGga.substr(1), 0}, VerdictCase{"NoStar", "$GPGSA,A", 0},
                      VerdictCase{"NoDigits", "$*", 0}, VerdictCase{"NotHex", "$A*G1", 0},
                      VerdictCase{"DigitsThenJunk", "$A*41junk", 1}, VerdictCase{"TooLarge", "$A*141", 0},
                      VerdictCase{"LeadingZeros", "$A*000041", 1},
                      // The sum runs to the first '*', the number comes after the last.
                      VerdictCase{"TwoStars", "$A*B*0B", 0}, VerdictCase{"TwoStarsSumToFirst", "$A*B*41", 1},
                      VerdictCase{"Empty", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NmeaTags, GoodAndBadPairs) {
  EXPECT_EQ(GpsFirstTag(1), '@');
  EXPECT_EQ(GpsNextTag(1), '#');
  EXPECT_EQ(GpsFirstTag(0), '?');
  EXPECT_EQ(GpsNextTag(0), '"');
}

// GetField: fields counted from 1, the last one running to the end (checksum included), empty
// fields, too few separators, and a field longer than the buffer cut to its size.
TEST(GetField, Table) {
  const std::string forty(40, 'x');
  const std::string longLine = "$GPGGA," + forty + ",1";
  struct Case {
    const char* text;
    int n;
    char separator;
    size_t size;
    int result;
    const char* field;  // when the result is 0: "#" (out untouched)
  } cases[] = {
      {"a,b", 4, ',', 16, 0, "#"},
      {"a,b", 3, ',', 16, 0, "#"},
      {"a,b,c", 3, ',', 16, 1, "c"},
      {"a,,c", 2, ',', 16, 1, ""},
      {"a,b,", 3, ',', 16, 1, ""},
      {"abc", 1, ',', 16, 1, "abc"},
      {"", 1, ',', 16, 1, ""},
      {"", 2, ',', 16, 0, "#"},
      {"a,b", 0, ',', 16, 0, "#"},
      {"a,b", -3, ',', 16, 0, "#"},
      {"x;y;z", 2, ';', 16, 1, "y"},
      {"$GPGSA,A,3,,,,,,,,,,,,,2.5,1.3,2.1*39", 18, ',', 16, 1, "2.1*39"},
      {"$GPGSA,A,3,,,,,,,,,,,,,2.5,1.3,2.1*39", 19, ',', 16, 0, "#"},
      {longLine.c_str(), 2, ',', 16, 1, "xxxxxxxxxxxxxxx"},
      {longLine.c_str(), 3, ',', 16, 1, "1"},
      {"abcdef", 1, ',', 4, 1, "abc"},
      {"abcdef", 1, ',', 1, 1, ""},
      {"abcdef", 1, ',', 0, 0, "#"},
  };
  for (const Case& c : cases) {
    char out[64];
    strcpy(out, "#");
    EXPECT_EQ(GetField(c.text, c.n, c.separator, out, c.size), c.result) << c.text << " field " << c.n;
    EXPECT_STREQ(out, c.field) << c.text << " field " << c.n;
  }
  char out[16] = "#";
  EXPECT_EQ(GetField(nullptr, 1, ',', out, sizeof out), 0);
  EXPECT_STREQ(out, "#");
}

// The shared buffers keep at most 127 characters and a NUL; a NUL in the line ends the text.
TEST(CopySentence, CutsAt127AndAtANul) {
  struct Case {
    std::string line;
    std::string kept;
  } cases[] = {
      {"$" + std::string(199, 'c'), "$" + std::string(126, 'c')},
      {std::string(127, 'd'), std::string(127, 'd')},
      {std::string("$GP\0GGA", 7), "$GP"},
      {"", ""},
  };
  for (const Case& c : cases) {
    char out[kSentenceMax + 1 + 8];
    memset(out, 'x', sizeof out);
    EXPECT_EQ(CopySentence(out, c.line.data(), c.line.size()), c.kept.size());
    EXPECT_EQ(std::string(out), c.kept);
    EXPECT_EQ(out[kSentenceMax + 1], 'x');  // nothing written past the buffer
  }
}

}  // namespace
}  // namespace survey
