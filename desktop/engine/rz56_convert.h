// RZ56 conversion: four channel counts to millivolts (gains, tag factors, current normalisation,
// null offsets), the running mean of the transmitter current, the QC-coil acceptance test, and the
// profile's value-to-row rule and square-root compression.
//
// Each step is computed in double precision and its result stored as a float, as the instrument's
// factors were fixed that way. A stored value is clamped into the float range (NaN reads 0), so
// no input gives an infinite or undefined result.
#pragma once

#include <cstdint>

namespace desktop {

constexpr int kRz56Channels = 4;
constexpr int kRz56RingSize = 98;
constexpr double kRz56MvPerCount = 4.8333;
constexpr double kRz56BatteryCountsPerVolt = 6.66757;

// ---- The core ----------------------------------------------------------------------------------
// What one conversion needs, all explicit: the live conversion fills it from the frame and the
// ring, the record conversion from the stored bytes.
struct Rz56Inputs {
  int16_t counts[kRz56Channels] = {};
  uint8_t gain = 0;    // four 2-bit codes, channel 1 in bits 7-6
  int tag = 'T';       // any byte; all but the eight tags take the 'T' factors
  double current = 0;  // picks the High Power reference (the frame's current, or a record's mean)
  double mean = 0;     // the mean current the reference is divided by
  bool ncc = false;    // no normalisation (the N.C.C. types)
  int variant = 0;     // the build's conversion variant, 0 to 2
  bool stored = false; // a stored record: variant 2 scales ch2 to ch4 and its reference is 1.0
  int type = 0;        // SurveySettings.rz56Type: 1 and 3 High Power, all others Standard
  int sensorSize = 0;  // SurveySettings.rz56SensorSize: 1, 2, all others as 0
  float nullOffset[kRz56Channels] = {};
};

struct Rz56Values {
  float ch[kRz56Channels] = {};
  float factor = 1.0f;  // the normalisation factor applied
};

// The four gains of a gain byte, decoded by subtraction in channel order.
struct Rz56Gains {
  int gain[kRz56Channels] = {1, 1, 1, 1};
};
Rz56Gains DecodeRz56Gains(uint8_t g);

// The normalisation factor: reference / mean, or 1.0 with ncc, a mean of 0, or a quotient that is
// not a finite float.
float Rz56NormFactor(double reference, double mean, bool ncc);

Rz56Values ConvertRz56Core(const Rz56Inputs& in);

// A double stored as a float: clamped into the float range, NaN as 0.
float StoreFloat(double v);

// ---- The running mean of the current ----------------------------------------------------------
struct Rz56CurrentRing {
  float currentSamples[kRz56RingSize] = {};
  int32_t currentIndex = 0;  // next slot
  float currentSum = 0;
  float currentMean = 0;
  int32_t currentSampleCount = kRz56RingSize;
};
// Replaces the oldest sample by `current` and updates the sum and the mean. An index outside the
// ring restarts at slot 0.
void AddRz56Current(Rz56CurrentRing& ring, float current);

// The kept frame's bytes 10 to 16 after a conversion: the mean's whole part m (saturated to
// int16, NaN as 0) most significant byte first, the hundredths of (mean - m) as the low 8 bits of
// an int, the received current and battery bytes, a NUL.
void RewriteRz56Frame(unsigned char* frame, float mean);

// ---- The QC-coil acceptance test ---------------------------------------------------------------
constexpr int kRz56QcPairs = 5;
struct Rz56QcState {
  float qcLimits[kRz56QcPairs][2] = {};  // (offset, tolerance): channels 1 to 4 in mode '4', channel 4 in mode 'D'
  int32_t qcArmed = 0;
  int32_t qcReadingCount = 0;
};
enum class Rz56QcVerdict : int32_t { kGoOn = 0, kPassed = 1, kFailed = 2 };
// Every pair to (0, 3000 mV); the test disarmed with its count at 0.
void SetRz56QcLimits(Rz56QcState& qc);
Rz56QcVerdict CheckRz56QcReading(Rz56QcState& qc, const float ch[kRz56Channels], bool modeD);

// ---- On the program's state ----------------------------------------------------------------------
// Converts LinkState.frame with SurveySettings' type and sensor size, BuildConfig's variant, the
// N.C.C. flag and the null offsets of Rz56Calibration: adds the frame's current to the ring, sets
// Rz56Calibration.normFactor and rewrites bytes 10 to 16 of the kept frame. Out: the four channels
// in mV, the frame's current and battery counts, its gain byte and its tag.
void ConvertRz56Frame(float& ch1, float& ch2, float& ch3, float& ch4, float& current, int32_t& battery, int16_t& gain,
                      int32_t& tag);
// Converts the 13 stored bytes of a reading record (the tag, the gain byte, the four counts, the
// mean current's whole part and hundredths) with the offsets given: the stored mean picks the High
// Power reference and divides it; the N.C.C. flag and the build's variant (2 included) apply.
// Changes nothing.
void ConvertRz56Record(const unsigned char* record, float& ch1, float& ch2, float& ch3, float& ch4, float offset1,
                       float offset2, float offset3, float offset4, int32_t& tag);
// The QC test on Rz56Calibration: SetQcLimits before each QC run's nulling, CheckQcReading for each
// reading after it (0 go on, 1 passed, 2 failed).
void SetQcLimits();
int32_t CheckQcReading(float ch1, float ch2, float ch3, float ch4, int32_t modeD);
// The profile rows of the four channels, all on scale 1: (SurveySettings.scale1Max - value) x
// PlotState.pxPerUnit0, truncated and clamped like every plot row.
void Rz56ValuesToRows(float value1, float value2, float value3, float value4, int32_t rows[kRz56Channels]);
// The square-root compression when SurveySettings.rz56ScaleMode is 1, else the values unchanged.
void CompressRz56Values(float value1, float value2, float value3, float value4, float& out1, float& out2,
                        float& out3, float& out4);

// ---- The profile -------------------------------------------------------------------------------
// Square root of the magnitude with the value's sign, when compressed; else the values as they are.
void CompressRz56Core(const float in[kRz56Channels], bool compressed, float out[kRz56Channels]);

}  // namespace desktop
