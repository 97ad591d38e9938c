// The NMEA lines that the GPS readers of both programs cut with the shared line assembler and
// judge by checksum: bytes as they arrive, and the lines with their verdicts that must come out.
#pragma once

#include <string>
#include <vector>

#include "sim/gps.h"

namespace test_support {

inline const std::string kGgaSentence = "$GPGGA,101530.00,5130.0000,N,00010.0000,W,1,08,1.0,50.0,M,45.0,M,,*43";

// The GGA sentence with one body character changed (5130 -> 5131): a bad checksum.
inline std::string SpoiltGga() {
  std::string s = kGgaSentence;
  s[20] = '1';
  return s;
}

// A good sentence of 200 characters, the longest line a reader keeps.
inline std::string LongGoodSentence() { return sim::NmeaSentence("GPTXT," + std::string(190, 'B')).substr(0, 200); }

struct GpsLine {
  std::string text;
  int verdict;
};

struct GpsLineCase {
  const char* name;
  std::string bytes;  // all arriving at one tick
  std::vector<GpsLine> lines;
};

inline std::vector<GpsLineCase> GpsLineCases() {
  const std::string gga = kGgaSentence;
  const std::string longLine = LongGoodSentence();
  return {
      {"GoodChecksum", gga + "\r\n", {{gga, 1}}},
      {"OneBodyCharacterChanged", SpoiltGga() + "\r\n", {{SpoiltGga(), 0}}},
      // The byte before the LF is dropped as the CR: here the last checksum digit.
      {"EndedByLfAlone", gga + "\n", {{gga.substr(0, gga.size() - 1), 0}}},
      {"BytesBeforeTheFirstDollar", ",M,,*43\r\n" + gga + "\r\n", {{",M,,*43", 0}, {gga, 1}}},
      // 250 bytes without LF: the first 201 are lost when the line restarts.
      {"TwoHundredFiftyBytesWithoutLf", "$" + std::string(249, 'A') + "\r\n", {{std::string(49, 'A'), 0}}},
      {"LongLineCutInGpsStateWholeInTheFile", longLine + "\r\n", {{longLine, 1}}},
      {"EmptyLinesAreIgnored", "\n\r\n" + gga + "\r\n\n", {{gga, 1}}},
      {"NulInsideALine", std::string("$GP\0GGA*00\r\n", 12), {{"$GP", 0}}},
  };
}

}  // namespace test_support
