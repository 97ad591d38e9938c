// The logging window's GPS box as a pure decision: what one NMEA sentence puts into its fields
// (satellites, fix word, latitude, longitude, PDOP, the GGA count) and its two activity lamps.
// The handler draws what this returns; nothing here touches a window.
#pragma once

#include <cstdint>

namespace desktop {

struct GpsStateData;

// Characters each field's text may hold; every text is formatted into a buffer of that size and a
// longer one is cut. The integers take any int; the positions are exactly as long as their
// formats make them once the seconds are below 60; the PDOP keeps what its field shows.
constexpr int kGpsIntChars = 11;     // satellites, GGA count
constexpr int kGpsFixChars = 6;      // "NO FIX"
constexpr int kGpsLatChars = 15;     // N, 45, the degree sign, 30, ', 30.0000 and "
constexpr int kGpsLonChars = 16;     // W, 073, the degree sign, 15, ', 15.0000 and "
constexpr int kGpsPdopChars = 5;
constexpr int kGpsTextMax = 16;

// Stands in both position fields when the position is not valid.
inline constexpr char kGpsNoPosition[] = "     N/A     ";
// The degree sign of the position texts: CP1252 shows byte 248 as a small o with a stroke.
constexpr char kGpsDegree = static_cast<char>(248);

// One text field: when `drawn`, filled with the button face and then `text` drawn (may be empty).
struct GpsBoxText {
  bool drawn = false;
  bool bold = false;
  char text[kGpsTextMax + 1] = {};
};

struct GpsBoxUpdate {
  GpsBoxText sat, fix, lat, lon, pdop, count;
  bool lamps = false;   // the lamps are drawn: greenLamp green, the other white
  int greenLamp = 0;
  char activity = '\\';  // the activity character after the sentence
  int32_t fixCount = 0;  // SurveyRun.gpsFixCount after the sentence
  bool positionValid = false;  // GGA sentences: whether the position was shown
};

// What `sentence` does to the box, given the display table (ggaName, ggaItemCount, ggaItemOrder,
// ggaFieldNumber of `table`), the activity character, the run state and the GGA count before it.
// A sentence naming the table's GGA drives the items, the lamps and (while Logging) the count; one
// naming "GSA" the PDOP; the checksum verdict plays no part. Fields are extracted with GetField
// into 16 bytes (a longer field is cut to 15 characters). The position is invalid with fewer than
// 2 satellites, fix quality 0, a hemisphere letter other than N/S or E/W, a latitude under 5
// characters or whose fifth is not '.', a longitude under 6 or whose sixth is not '.', seconds
// (the fraction of a minute x 60) not below 60, or any of these fields missing.
GpsBoxUpdate DecideGpsBox(const char* sentence, const GpsStateData& table, char activity, int32_t runState,
                          int32_t fixCount);

}  // namespace desktop
