#include "engine/gps_box.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "common/nmea.h"
#include "common/setup_fields.h"
#include "engine/state.h"

namespace desktop {
namespace {

constexpr int kPdopField = 16;
constexpr int kItemsMax = 6;
constexpr size_t kFieldBytes = 16;  // 15 characters and the NUL

enum GgaItem : int32_t { kSatellites = 0, kFixQuality, kLatHemisphere, kLatitude, kLonHemisphere, kLongitude };

const char* FixWord(char quality) {
  switch (quality) {
    case '0': return "NO FIX";
    case '1': return "AGPS";
    case '2': return "DGPS";
    case '3': return "RTK3";
    case '4': return "RTK4";
    case '5': return "RTK5";
    default: return "";
  }
}

// Fills the field's text with at most `chars` characters of the format.
template <typename... Args>
void Set(GpsBoxText& t, bool bold, int chars, const char* format, Args... args) {
  t.drawn = true;
  t.bold = bold;
  std::snprintf(t.text, static_cast<size_t>(chars) + 1, format, args...);
}

// The seconds of an NMEA coordinate whose whole minutes end at `point`: the text from the
// decimal point on, read as a decimal number, x 60. False when the field is too short, the
// character at `point` is not the decimal point, or the seconds are not below 60.
bool CoordinateSeconds(const char* field, size_t point, float* seconds) {
  if (std::strlen(field) <= point || field[point] != '.') return false;
  const double s = plat::ParseDecimal(field + point) * 60.0;
  if (!(s >= 0.0 && s < 60.0)) return false;
  *seconds = static_cast<float>(s);
  return *seconds < 60.0f;  // a value just below 60 may round up to it in single precision
}

bool Contains(const char* sentence, const char* name, size_t nameMax) {
  char wanted[8] = {};
  std::memcpy(wanted, name, strnlen(name, nameMax < sizeof wanted - 1 ? nameMax : sizeof wanted - 1));
  return wanted[0] != 0 && std::strstr(sentence, wanted) != nullptr;
}

}  // namespace

GpsBoxUpdate DecideGpsBox(const char* sentence, const GpsStateData& table, char activity, int32_t runState,
                          int32_t fixCount) {
  GpsBoxUpdate u;
  u.activity = activity;
  u.fixCount = fixCount;
  char field[kFieldBytes] = {};
  if (Contains(sentence, table.ggaName, sizeof table.ggaName)) {
    bool valid = true;
    char latLetter = ' ';
    char lonLetter = ' ';
    const int items = table.ggaItemCount < 0 ? 0 : (table.ggaItemCount > kItemsMax ? kItemsMax : table.ggaItemCount);
    for (int i = 0; i < items; ++i) {
      const bool have = survey::GetField(sentence, table.ggaFieldNumber[i], ',', field, sizeof field) == 1;
      float seconds = 0.0f;
      switch (table.ggaItemOrder[i]) {
        case kSatellites: {
          const int satellites = have ? plat::ParseInt(field) : 0;
          if (satellites < 2) valid = false;
          Set(u.sat, true, kGpsIntChars, "%2d", satellites);
          break;
        }
        case kFixQuality:
          if (!have || plat::ParseInt(field) == 0) valid = false;
          Set(u.fix, true, kGpsFixChars, "%s", have ? FixWord(field[0]) : "");
          break;
        case kLatHemisphere:
        case kLonHemisphere: {
          const bool north = table.ggaItemOrder[i] == kLatHemisphere;
          char& letter = north ? latLetter : lonLetter;
          const char a = north ? 'S' : 'W';
          const char b = north ? 'N' : 'E';
          letter = have && (field[0] == a || field[0] == b) ? field[0] : ' ';
          if (letter == ' ') valid = false;
          break;
        }
        case kLatitude:
        case kLongitude: {
          // Two degree digits in a latitude, three in a longitude, then two minute digits.
          const bool latitude = table.ggaItemOrder[i] == kLatitude;
          const int degrees = latitude ? 2 : 3;
          if (!have || !CoordinateSeconds(field, static_cast<size_t>(degrees) + 2, &seconds)) valid = false;
          if (valid) {
            Set(latitude ? u.lat : u.lon, false, latitude ? kGpsLatChars : kGpsLonChars, "%c%.*s%c%.2s'%-7.4f\"",
                latitude ? latLetter : lonLetter, degrees, field, kGpsDegree, field + degrees,
                static_cast<double>(seconds));
          }
          break;
        }
        default:
          break;
      }
    }
    if (!valid) {
      Set(u.lon, false, kGpsLonChars, "%s", kGpsNoPosition);
      Set(u.lat, false, kGpsLatChars, "%s", kGpsNoPosition);
    }
    u.positionValid = valid;
    u.lamps = true;
    u.greenLamp = activity == '/' ? 0 : 1;
    u.activity = activity == '/' ? '\\' : '/';
    if (runState == kRunLogging) {
      if (u.fixCount < INT32_MAX) ++u.fixCount;
      Set(u.count, false, kGpsIntChars, "%5d", u.fixCount);
    }
  }
  if (std::strstr(sentence, "GSA") != nullptr) {
    if (survey::GetField(sentence, kPdopField, ',', field, sizeof field) == 1) {
      const float pdop = survey::FloatValue(plat::ParseDecimal(field));
      Set(u.pdop, true, kGpsPdopChars, "%-4.1f", static_cast<double>(pdop));
    } else {
      Set(u.pdop, true, kGpsPdopChars, "%s", "N/A");
    }
  }
  return u;
}

}  // namespace desktop
