#include "ui/engine_pending.h"

namespace desktop {

__attribute__((weak)) void SetDefaultSettings() {}
__attribute__((weak)) void LoadSaveSettings(int) {}
__attribute__((weak)) void InitGgaDisplayTable() {}
__attribute__((weak)) void ComputeSampleDivisor() {}

}  // namespace desktop

namespace desktop {

__attribute__((weak)) int CreateDataFile(HWND) { return 0; }
__attribute__((weak)) void WriteEventRecord(const char*, char) {}
__attribute__((weak)) void WriteLineHeader() {}
__attribute__((weak)) void WriteTimeRecord() {}
__attribute__((weak)) void WriteCalibrationRecords() {}
__attribute__((weak)) void DelayMs(int) {}

}  // namespace desktop

namespace desktop {

__attribute__((weak)) void ComputeGrid(int32_t*, int, float, float, float, int32_t*) {}

}  // namespace desktop
