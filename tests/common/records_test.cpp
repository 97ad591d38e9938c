// The records both programs write with the same bytes: a GPS sentence cut into pieces of L - 2
// characters with its tick record, at L = 24 and 26.
#include "common/record_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace survey {
namespace {

constexpr uint32_t kTick = 123456;
constexpr uint32_t kBigTick = 3000000000u;

std::string GpsRecords(int length, const std::string& sentence, uint32_t tick, char firstTag, char nextTag) {
  std::string out(GpsRecordsBytes(sentence.size(), length), '#');
  const size_t n = FormatGpsRecords(out.data(), out.size(), length, sentence.c_str(), tick, firstTag, nextTag);
  EXPECT_EQ(n, out.size());
  return out;
}

TEST(GpsRecordsTest, GpsSentenceIsCutIntoPiecesOfLMinusTwo) {
  struct Case {
    int length;
    size_t characters;
    char firstTag;
    char nextTag;
    const char* tags;  // the tag of each record written
  };
  const Case cases[] = {
      {24, 0, '@', '#', "!"},       {24, 22, '@', '#', "@!"}, {24, 23, '@', '#', "@#!"}, {24, 44, '@', '#', "@#!"},
      {24, 45, '?', '"', "?\"\"!"}, {26, 24, '@', '#', "@!"}, {26, 25, '?', '"', "?\"!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "L " << c.length << ", " << c.characters << " characters");
    std::string sentence;
    for (size_t i = 0; i < c.characters; ++i) sentence += static_cast<char>('A' + i % 26);
    const std::string bytes = GpsRecords(c.length, sentence, kBigTick, c.firstTag, c.nextTag);

    const size_t length = static_cast<size_t>(c.length);
    const size_t records = strlen(c.tags);
    ASSERT_EQ(bytes.size(), records * length);
    std::string tags, text;
    for (size_t r = 0; r < records; ++r) {
      const std::string record = bytes.substr(r * length, length);
      tags += record[0];
      EXPECT_EQ(record.back(), '\n');
      if (r + 1 < records) text += record.substr(1, length - 2);
    }
    EXPECT_EQ(tags, c.tags);
    // The pieces hold the sentence, the last one blank-padded; then the tick.
    EXPECT_EQ(text, sentence + std::string(text.size() - sentence.size(), ' '));
    EXPECT_LT(text.size() - sentence.size(), length - 2);
    std::string tickRecord(length, ' ');
    tickRecord[0] = '!';
    tickRecord.replace(length - 11, 11, "3000000000\n");
    EXPECT_EQ(bytes.substr(bytes.size() - length), tickRecord);
  }
  char small[24];
  EXPECT_EQ(FormatGpsRecords(small, sizeof small, 24, "$GPZDA*00", kTick, '@', '#'), 0u);  // no room: nothing
  EXPECT_EQ(FormatGpsRecords(small, sizeof small, 24, nullptr, kTick, '@', '#'), 0u);
}

TEST(GpsRecordsTest, GgaSentenceRecords) {
  const char* gga = "$GPGGA,101530.00,5130.0000,N,00010.0000,W,1,08,1.0,50.0,M,45.0,M,,*43";
  EXPECT_EQ(GpsRecords(24, gga, kTick, '@', '#'),
            "@$GPGGA,101530.00,5130.\n"
            "#0000,N,00010.0000,W,1,\n"
            "#08,1.0,50.0,M,45.0,M,,\n"
            "#*43                   \n"
            "!                123456\n");
  EXPECT_EQ(GpsRecords(26, gga, kTick, '@', '#'),
            "@$GPGGA,101530.00,5130.00\n"
            "#00,N,00010.0000,W,1,08,1\n"
            "#.0,50.0,M,45.0,M,,*43   \n"
            "!                  123456\n");
}

}  // namespace
}  // namespace survey
