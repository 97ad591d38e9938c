// Stand-ins for engine routines that the windows call and that are being built in the engine
// beside them, under the engine's names in namespace desktop::pending so that nothing collides
// with the real ones. Each keeps the values in force: the settings stay at their start values, no
// file is read, created or written, the wait returns at once and the grid stays as it is. As each
// routine lands, its callers drop the `pending::` and its stand-in goes.
#pragma once

#include <windows.h>

#include <cstdint>

namespace desktop::pending {

void SetDefaultSettings();
void LoadSaveSettings(int save);
void InitGgaDisplayTable();
void ComputeSampleDivisor();

int CreateDataFile(HWND owner);  // 0: no file created
void WriteEventRecord(const char* text, char kind);
void WriteLineHeader();
void WriteTimeRecord();
void WriteCalibrationRecords();

void DelayMs(int ms);

void ComputeGrid(int32_t grid[10], int plotHeight, float min, float max, float pxPerUnit, int32_t* sign);

}  // namespace desktop::pending
