// Engine routines that the windows call and whose definitions are being built in the engine beside
// them. Until each lands, engine_pending.cpp holds a weak stand-in that keeps the values in force:
// the settings stay at their start values and no file is read or written. The engine's own
// definition replaces the stand-in at link time; its header then replaces this declaration.
#pragma once

#include <windows.h>

#include <cstdint>

namespace desktop {

void SetDefaultSettings();
void LoadSaveSettings(int save);
void InitGgaDisplayTable();
void ComputeSampleDivisor();

}  // namespace desktop

namespace desktop {

// The data file's creation and record writers; the stand-ins create nothing and write nothing.
int CreateDataFile(HWND owner);
void WriteEventRecord(const char* text, char kind);
void WriteLineHeader();
void WriteTimeRecord();
void WriteCalibrationRecords();
// The short busy wait; the stand-in returns at once.
void DelayMs(int ms);

}  // namespace desktop

namespace desktop {

// The grid rows of a range; the stand-in leaves the grid as it is.
void ComputeGrid(int32_t grid[10], int plotHeight, float min, float max, float pxPerUnit, int32_t* sign);

}  // namespace desktop
