// Instrument frame decoders of the desktop program: a kept frame (live, from LinkState.frame, or
// read back from a data file's reading record) becomes physical values, the dipole and marker
// letters, the range and the display channels.
//
// The rules are the shared cores of common/decoders.h with this program's RZ12 range table (no
// battery frames: every frame is a reading) and the RZ27-MK2 inphase factors always applied. The
// live and the record decoder of a family call the same core, so they cannot drift apart. They
// read the current settings and build switches, do no I/O and never fail.
#pragma once

#include <cstdint>

namespace desktop {

// Bytes a record decoder reads from the start of a stored reading record.
constexpr int kMeterRecordBytes = 12;
constexpr int kRz27Mk2RecordBytes = 14;

// Decodes LinkState.frame for models 0 to 6 and fills TraceSet. value1 and value2 are cleared
// first; frameKind is set by models 2 and 3 only, range2 by model 1 only. Another model leaves
// everything but the cleared values and TraceSet untouched.
void DecodeMeterFrame(float& value1, float& value2, char& dipole, int16_t& range, char& marker, int32_t& frameKind,
                      uint16_t& range2);

// The same rules for the first kMeterRecordBytes bytes of a stored reading record, filling the
// caller's valid and values arrays (eight each) instead of TraceSet. A null record decodes like a
// blank one.
void DecodeMeterRecord(const unsigned char* record, int32_t* valid, float* values, float& value1, float& value2,
                       char& dipole, int16_t& range, char& marker, int32_t& frameKind);

// Decodes the RZ27-MK2 frame in LinkState.frame with SurveySettings.mk2Offset and fills TraceSet
// and the raw 16-bit counts. No temperature is computed: temp1 and temp2 receive the two
// temperature counts, as rawTemp1 and rawTemp2 do.
void DecodeRz27Mk2Frame(float& cond1m, float& inph1m, float& cond05m, float& inph05m, int32_t& rawCond1m,
                        int32_t& rawInph1m, int32_t& rawCond05m, int32_t& rawInph05m, float& temp1, float& temp2,
                        int32_t& rawTemp1, int32_t& rawTemp2, char& dipole, char& marker);

// The same conversion for the kRz27Mk2RecordBytes frame bytes of a stored RZ27-MK2 reading
// record, with the offsets O1 to O6 given, filling the caller's arrays.
void DecodeRz27Mk2Record(const unsigned char* record, int32_t* valid, float* values, char& dipole, char& marker,
                         float o1, float o2, float o3, float o4, float o5, float o6);

// The plot rows of the channels the build's model plots, from TraceSet.traceValue: (group maximum
// - value) x group factor in double precision, truncated and clamped (ValueToRow), with group 1
// (SurveySettings.scale1Max, PlotState.pxPerUnit0) and group 2 (scale2Max, pxPerUnit1). Models 0
// to 3: rows 0, 1 on group 1, rows 2, 3 on group 2; model 6: row 0 on group 1, row 2 on group 2;
// model 7: rows 0, 1, 4, 5 on group 1, rows 2, 3, 6, 7 on group 2; any other model (4, 5 and the
// RZ56 builds): rows 0 to 5 on group 1. The other entries of rows are left as they were.
void TracesToRows(int32_t rows[8]);
// The same rows from the caller's values (a reading record decoded again by the redraw).
void ValuesToRows(const float values[8], int32_t rows[8]);

}  // namespace desktop
