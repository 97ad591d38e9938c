// The GPS box's decision: each sentence's field texts, the position's validity, the lamps and the
// GGA count, by table; checksums play no part.
#include "engine/gps_box.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/state.h"

namespace desktop {
namespace {

// "-": the field is left alone.
std::string Shown(const GpsBoxText& t) { return t.drawn ? std::string(t.text) : "-"; }

// A GGA sentence with the given time-to-satellites fields (the checksum is never looked at).
std::string Gga(const std::string& fields) { return "$GPGGA,123519," + fields + ",0.9,545.4,M,46.9,M,,*57"; }
const std::string kGga = Gga("4530.500,N,07315.250,W,1,08");
const std::string kLat = "N45\xF8" "30'30.0000\"";
const std::string kLon = "W073\xF8" "15'15.0000\"";
const std::string kNa = "     N/A     ";

TEST(GpsBox, GgaFieldsAndPositionValidity) {
  const struct {
    const char* name;
    std::string sentence;
    const char *sat, *fix;
    std::string lat, lon;
  } cases[] = {
      {"good", kGga, " 8", "AGPS", kLat, kLon},
      {"wrong checksum shows the same", kGga.substr(0, kGga.size() - 2) + "00", " 8", "AGPS", kLat, kLon},
      {"1 satellite", Gga("4530.500,N,07315.250,W,1,01"), " 1", "AGPS", kNa, kNa},
      {"quality 0", Gga("4530.500,N,07315.250,W,0,08"), " 8", "NO FIX", kNa, kNa},
      {"empty latitude hemisphere", Gga("4530.500,,07315.250,W,1,08"), " 8", "AGPS", kNa, kNa},
      {"longitude hemisphere not E or W", Gga("4530.500,N,07315.250,N,1,08"), " 8", "AGPS", kNa, kNa},
      {"quality 2", Gga("4530.500,S,07315.250,E,2,12"), "12", "DGPS", "S45\xF8" "30'30.0000\"",
       "E073\xF8" "15'15.0000\""},
      {"quality 5", Gga("4530.500,N,07315.250,W,5,08"), " 8", "RTK5", kLat, kLon},
      {"quality 6: an empty fix word", Gga("4530.500,N,07315.250,W,6,08"), " 8", "", kLat, kLon},
      {"fraction of a minute", Gga("4530.0125,N,07315.9999,W,1,08"), " 8", "AGPS", "N45\xF8" "30'0.7500 \"",
       "W073\xF8" "15'59.9940\""},
      // The position fields are checked before they are read.
      {"latitude of 4 characters", Gga("4530,N,07315.250,W,1,08"), " 8", "AGPS", kNa, kNa},
      {"longitude of 4 characters", Gga("4530.500,N,0731,W,1,08"), " 8", "AGPS", kNa, kNa},
      {"latitude with an exponent", Gga("45301e30,N,07315.250,W,1,08"), " 8", "AGPS", kNa, kNa},
      {"longitude whose sixth is not the point", Gga("4530.500,N,7315.250,W,1,08"), " 8", "AGPS", kNa, kNa},
      {"seconds of 60 and more", Gga("4530.5e3,N,07315.250,W,1,08"), " 8", "AGPS", kNa, kNa},
      {"seconds that round up to 60", Gga("4530.9999999999,N,07315.250,W,1,08"), " 8", "AGPS", kNa, kNa},
      {"a field over 15 characters is cut", Gga("4530.50000000000000009,N,07315.250,W,1,08"), " 8", "AGPS", kLat, kLon},
      // Missing fields: the sentence ends before them.
      {"no satellites field", "$GPGGA,123519,4530.500,N,07315.250,W,1", " 0", "AGPS", kNa, kNa},
      {"no fix field either", "$GPGGA,123519,4530.500,N,07315.250,W", " 0", "", kNa, kNa},
      {"no longitude field", "$GPGGA,123519,4530.500,N", " 0", "", kNa, kNa},
      {"satellites beyond int saturate", Gga("4530.500,N,07315.250,W,1,99999999999"), "2147483647", "AGPS", kLat, kLon},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GpsStateData table;
    const GpsBoxUpdate u = DecideGpsBox(c.sentence.c_str(), table, '\\', kRunMonitor, 0);
    EXPECT_EQ(Shown(u.sat), c.sat);
    EXPECT_EQ(Shown(u.fix), c.fix);
    EXPECT_EQ(Shown(u.lat), c.lat);
    EXPECT_EQ(Shown(u.lon), c.lon);
    EXPECT_EQ(u.positionValid, c.lat != kNa);
    EXPECT_TRUE(u.sat.bold && u.fix.bold);
    EXPECT_FALSE(u.lat.bold || u.lon.bold);
    EXPECT_EQ(Shown(u.pdop), "-");
  }
}

TEST(GpsBox, PdopOfGsaSentences) {
  auto gsa = [](const std::string& tail) { return "$GPGSA,A,3,04,05,,09,12,,,24,,,,," + tail + "*00"; };
  char huge[64];  // about 35 characters in "%-4.1f", cut to the field's 5
  std::snprintf(huge, sizeof huge, "%-4.1f", static_cast<double>(9e37f));
  const std::string hugeCut = std::string(huge).substr(0, kGpsPdopChars);
  const struct {
    const char* name;
    std::string sentence;
    std::string pdop;
  } cases[] = {
      {"good", "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39", "2.5 "},
      {"empty", gsa(",1.3,2.1"), "0.0 "},
      {"cut before field 16", "$GPGSA,A,3,04,05,,09,12,,,24*00", "N/A"},
      {"huge, cut to its field", gsa("9e37,1.3,2.1"), hugeCut},
      {"beyond float", gsa("1e300,1.3,2.1"), "34028"},
      {"inf", gsa("inf,1.3,2.1"), "0.0 "},
      {"nan", gsa("nan,1.3,2.1"), "0.0 "},
      {"hex", gsa("0x1A,1.3,2.1"), "0.0 "},
      {"not a GSA", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", "-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const GpsBoxUpdate u = DecideGpsBox(c.sentence.c_str(), GpsStateData{}, '/', kRunLogging, 3);
    EXPECT_EQ(Shown(u.pdop), c.pdop);
    EXPECT_EQ(u.pdop.drawn, u.pdop.bold);
    // Neither the lamps nor the count change for anything but a GGA.
    EXPECT_FALSE(u.lamps);
    EXPECT_EQ(u.activity, '/');
    EXPECT_EQ(u.fixCount, 3);
    EXPECT_EQ(Shown(u.count), "-");
    EXPECT_EQ(Shown(u.sat), "-");
  }
}

TEST(GpsBox, LampsSwapWithEveryGgaAndTheCountRisesOnlyWhileLogging) {
  const struct {
    char activity;
    int32_t state, count;
    int greenLamp;
    char after;
    int32_t countAfter;
    const char* countText;
  } cases[] = {
      {'\\', kRunLogging, 7, 1, '/', 8, "    8"},
      {'/', kRunLogging, 8, 0, '\\', 9, "    9"},
      {'\\', kRunStandBy, 7, 1, '/', 7, "-"},
      {'/', kRunMonitor, 7, 0, '\\', 7, "-"},
      {'\\', kRunLogging, 123456, 1, '/', 123457, "123457"},
      {'\\', kRunLogging, INT32_MAX, 1, '/', INT32_MAX, "2147483647"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.activity << " state " << c.state << " count " << c.count);
    // A bad position changes neither.
    for (const std::string& s : {kGga, Gga("4530,N,07315.250,W,0,00")}) {
      const GpsBoxUpdate u = DecideGpsBox(s.c_str(), GpsStateData{}, c.activity, c.state, c.count);
      EXPECT_TRUE(u.lamps);
      EXPECT_EQ(u.greenLamp, c.greenLamp);
      EXPECT_EQ(u.activity, c.after);
      EXPECT_EQ(u.fixCount, c.countAfter);
      EXPECT_EQ(Shown(u.count), c.countText);
      EXPECT_FALSE(u.count.bold);
    }
  }
}

// The items come from the display table: its name, its count, the kind in each position and the
// field each reads.
TEST(GpsBox, TheDisplayTableDrivesTheGgaItems) {
  GpsStateData table;
  std::memcpy(table.ggaName, "XYZ", 4);
  EXPECT_FALSE(DecideGpsBox(kGga.c_str(), table, '\\', kRunLogging, 0).lamps);
  const std::string xyz = "$GPXYZ,4530.500,N,07315.250,W,1,08";  // the GGA's fields from field 2
  const int32_t fields[6] = {7, 6, 3, 2, 5, 4};
  std::memcpy(table.ggaFieldNumber, fields, sizeof fields);
  const GpsBoxUpdate moved = DecideGpsBox(xyz.c_str(), table, '\\', kRunMonitor, 0);
  EXPECT_EQ(Shown(moved.sat), " 8");
  EXPECT_EQ(Shown(moved.lat), kLat);
  EXPECT_EQ(Shown(moved.lon), kLon);

  GpsStateData few;
  few.ggaItemCount = 2;  // satellites and fix only: the position stays valid and is not drawn
  GpsBoxUpdate u = DecideGpsBox(kGga.c_str(), few, '\\', kRunMonitor, 0);
  EXPECT_EQ(Shown(u.sat), " 8");
  EXPECT_EQ(Shown(u.lat), "-");
  EXPECT_EQ(Shown(u.lon), "-");
  few.ggaItemCount = 99;  // held to the six positions the table has
  u = DecideGpsBox(kGga.c_str(), few, '\\', kRunMonitor, 0);
  EXPECT_EQ(Shown(u.lon), kLon);
}

}  // namespace
}  // namespace desktop
