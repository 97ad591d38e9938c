// The meter reading rules both programs share: the record flag, each frame field as its own
// text, the means in exactly 5 characters, the record bytes, and the Manual-mode series.
#include "common/meter_reading.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace survey {
namespace {

TEST(RecordFlag, Table) {
  struct Case {
    unsigned char status;
    int32_t mode, flag, expected;
  } cases[] = {
      {0x34, 0, 0, 1},  {0x34, 1, -1, 1}, {0x34, 2, 1, 0},   {0x34, 2, -1, 0},  // released
      {0x74, 0, 0, 1},  {0x74, 1, 1, 1},  {0x74, 2, 0, 1},   {0x74, 2, 1, -1},  // pressed
      {0x74, 2, -1, -1}, {0xF4, 2, 0, 1}, {0xB4, 2, 1, 0},   {0xC0, 2, -1, -1},  // high bit ignored
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextRecordFlag(c.status, c.mode, c.flag), c.expected)
        << std::hex << int(c.status) << " mode " << c.mode << " flag " << c.flag;
  }
}

TEST(FieldText, EachFieldIsItsOwnFiveCharacters) {
  const unsigned char frame[] = "Tt -20000500";
  EXPECT_EQ(FieldNumber(frame + 2), -200);
  EXPECT_EQ(FieldNumber(frame + 7), 500);
  const unsigned char odd[] = "Tt12x45 abcd";
  EXPECT_EQ(FieldNumber(odd + 2), 12);
  EXPECT_EQ(FieldNumber(odd + 7), 0);

  struct Case {
    float mean;
    const char* text;
  } cases[] = {{-200.0f, "-0200"}, {500.0f, "+0500"}, {0.0f, "+0000"},     {-0.7f, "+0000"},
               {9999.9f, "+9999"}, {-9999.0f, "-9999"}, {10000.0f, "10000"}, {99999.0f, "99999"},
               {-12345.0f, "-9999"}, {123456.0f, "99999"}, {12.9f, "+0012"}};
  for (const Case& c : cases) {
    char out[6] = {'#', '#', '#', '#', '#', '#'};
    FormatFieldMean(out, c.mean);
    EXPECT_EQ(std::string(out, 5), c.text) << c.mean;
    EXPECT_EQ(out[5], '#') << "writes exactly 5 characters";
  }
}

TEST(RecordFrame, Table) {
  struct Case {
    const char* name;
    const char* frame;
    int32_t length;
    bool means, second;
    float m1, m2;
    int32_t atStation;
    const char* expected;
  } cases[] = {
      {"as received", "Tt -20000500", 12, false, false, 0, 0, 1, "Tt -20000500"},
      {"old RZ27 frame padded", "Tt01234", 7, false, false, 0, 0, 1, "Tt01234     "},
      {"means in both fields", "Tt -20000500", 12, true, true, -200, 500, 1, "Tt-0200+0500"},
      {"wide mean keeps its 5 characters", "Tt -20000500", 12, true, true, 12345.6f, -3.5f, 1, "Tt12345-0003"},
      {"first field only", "Tt01234", 7, true, false, 1234, 99, 1, "Tt+1234     "},
      {"second reading tagged", "Tt -20000500", 12, false, false, 0, 0, 2, "2t -20000500"},
      {"sixth reading tagged", "Tt -20000500", 12, false, false, 0, 0, 6, "6t -20000500"},
      {"seventh not tagged", "Tt -20000500", 12, false, false, 0, 0, 7, "Tt -20000500"},
      {"length beyond 12 cut", "Tt -20000500", 40, false, false, 0, 0, 1, "Tt -20000500"},
  };
  for (const Case& c : cases) {
    unsigned char frame[16] = {};
    memcpy(frame, c.frame, strlen(c.frame));
    RecordFrameInput in;
    in.frame = frame;
    in.frameLength = c.length;
    in.withMeans = c.means;
    in.secondField = c.second;
    in.means[0] = c.m1;
    in.means[1] = c.m2;
    in.readingAtStation = c.atStation;
    unsigned char out[13] = {};
    out[12] = '#';
    PrepareRecordFrame(in, out);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 12), c.expected) << c.name;
    EXPECT_EQ(out[12], '#') << c.name;
  }
}

struct SeriesRun {
  int32_t sampleCount = 0;
  int64_t fieldSum[2] = {};
  float valueSum[2] = {};
  float fieldMean[2] = {};
};

// A series of n samples: each numbered, the n-th gives the means and starts the sums again; the
// first field of a frame whose second field starts with a digit stays its own number.
TEST(SampleSeries, MeansOfTheSeriesAndAFreshStart) {
  struct Case {
    const char* name;
    int32_t n;
    bool second;
    const char* frames[3];
    float values[3][2];
    float fieldMeans[2];
    float valueMeans[2];
  } cases[] = {
      {"two fields", 3, true, {"Tt -20000500", "Tt -20000500", "Tt -20000500"}, {{1, 2}, {3, 4}, {5, 6}},
       {-200, 500}, {3, 4}},
      {"means keep their fraction", 2, true, {"Tt00001   -3", "Tt00002   -4", nullptr}, {{1, 0}, {2, 0}, {}},
       {1.5f, -3.5f}, {1.5f, 0}},
      {"first field only", 2, false, {"Tt01234", "Tt01236", nullptr}, {{0, 0}, {0, 0}, {}}, {1235, 0}, {0, 0}},
      {"one sample", 1, true, {"Tt 12340009x", nullptr, nullptr}, {{7, 8}, {}, {}}, {1234, 9}, {7, 8}},
  };
  for (const Case& c : cases) {
    SeriesRun run;
    for (int round = 0; round < 2; ++round) {  // the second series starts from zero sums
      for (int32_t i = 0; i < c.n; ++i) {
        unsigned char padded[kRecordFrameBytes];
        PaddedFrame(reinterpret_cast<const unsigned char*>(c.frames[i]), static_cast<int32_t>(strlen(c.frames[i])),
                    padded);
        float v1 = c.values[i][0], v2 = c.values[i][1];
        const SampleStep step = AddMeterSample(run, c.n, padded, c.second, v1, v2);
        EXPECT_EQ(step.number, i + 1) << c.name;
        EXPECT_EQ(step.complete, i + 1 == c.n) << c.name;
        if (!step.complete) continue;
        EXPECT_FLOAT_EQ(v1, c.valueMeans[0]) << c.name;
        EXPECT_FLOAT_EQ(v2, c.valueMeans[1]) << c.name;
        EXPECT_FLOAT_EQ(run.fieldMean[0], c.fieldMeans[0]) << c.name;
        EXPECT_FLOAT_EQ(run.fieldMean[1], c.fieldMeans[1]) << c.name;
        EXPECT_EQ(run.sampleCount, 0) << c.name;
        EXPECT_EQ(run.fieldSum[0] | run.fieldSum[1], 0) << c.name;
      }
    }
  }
}

}  // namespace
}  // namespace survey
