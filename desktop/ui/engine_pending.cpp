#include "ui/engine_pending.h"

namespace desktop::pending {

void SetDefaultSettings() {}
void LoadSaveSettings(int) {}
void InitGgaDisplayTable() {}
void ComputeSampleDivisor() {}

int CreateDataFile(HWND) { return 0; }
void WriteEventRecord(const char*, char) {}
void WriteLineHeader() {}
void WriteTimeRecord() {}
void WriteCalibrationRecords() {}

void DelayMs(int) {}

void ComputeGrid(int32_t*, int, float, float, float, int32_t*) {}

}  // namespace desktop::pending
