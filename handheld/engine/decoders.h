// Instrument frame decoders: a kept frame (live, from LinkState.frame, or read back from a data
// file's reading record) becomes physical values, the dipole and marker letters, the range and the
// display channels.
//
// Each frame family has one decoding core; the live and the record decoders only differ in where
// the channels go (TraceSet or the caller's arrays) and in the outputs they hand back, so a live
// reading and its record always decode alike. The decoders read the current settings and build
// switches, do no I/O, never fail, and give defined results for any bytes and any settings:
// a field that is not a decimal number reads 0, and a value that does not fit a float reads 0.
#pragma once

#include <cstdint>

namespace handheld {

// Bytes a record decoder reads from the start of a stored reading record.
constexpr int kMeterRecordBytes = 12;
constexpr int kRz27Mk2RecordBytes = 14;

// Decodes LinkState.frame for models 0 to 6 and fills TraceSet. value1 and value2 are cleared
// first; frameKind is set by models 2 and 3 only, range2 by model 1 only, battery by models 0 to 5.
// Another model leaves everything but the cleared values and TraceSet untouched.
void DecodeMeterFrame(float& value1, float& value2, char& dipole, int16_t& range, char& marker,
                      int32_t& frameKind, uint16_t& range2, int32_t& battery);

// The same rules for the first kMeterRecordBytes bytes of a stored reading record, filling the
// caller's valid and values arrays (eight each) instead of TraceSet. A record has no battery
// flag: the RZ12 always takes the reading path. A null record decodes like a blank one.
void DecodeMeterRecord(const unsigned char* record, int32_t* valid, float* values, float& value1,
                       float& value2, char& dipole, int16_t& range, char& marker,
                       int32_t& frameKind);

// Decodes the RZ27-MK2 frame in LinkState.frame with SurveySettings.mk2Offset and fills TraceSet,
// the raw 16-bit counts and the two temperatures.
void DecodeRz27Mk2Frame(float& cond1m, float& inph1m, float& cond05m, float& inph05m,
                        int32_t& rawCond1m, int32_t& rawInph1m, int32_t& rawCond05m,
                        int32_t& rawInph05m, float& temp1, float& temp2, int32_t& rawTemp1,
                        int32_t& rawTemp2, char& dipole, char& marker);

// The same conversion for the kRz27Mk2RecordBytes frame bytes of a stored RZ27-MK2 reading record,
// with the offsets O1 to O6 given (from the file's calibration records), filling the caller's
// arrays. A null record decodes like an all-zero one.
void DecodeRz27Mk2Record(const unsigned char* record, int32_t* valid, float* values, char& dipole,
                         char& marker, float o1, float o2, float o3, float o4, float o5, float o6);

// The eight channels of a stored reading record as the build's model decodes it: the RZ27-MK2
// with the offsets O1 to O6 given, every other model with the meter decoder.
void DecodeStoredReading(const unsigned char* record, const float offsets[6], int32_t* valid, float* values);

}  // namespace handheld
