// The messages the reader threads send to the logging window (AppWindows.loggingWnd) with the
// 8-bit synchronous send, both parameters 0; the data travel in LinkState and GpsState. The
// engine and the windows take them from here.
#pragma once

#include <windows.h>

namespace desktop {

constexpr UINT WM_GPS_SENTENCE = WM_USER + 11;     // 0x40B, the GPS reader and the GPS simulator
constexpr UINT WM_RZ56_READING = WM_USER + 12;     // 0x40C, the RZ56 readers
constexpr UINT WM_READING = WM_USER + 13;          // 0x40D, InstrumentReaderThread
constexpr UINT WM_ZOL12_READING = WM_USER + 14;    // 0x40E, Zol12ReaderThread
constexpr UINT WM_RZ27MK2_READING = WM_USER + 15;  // 0x40F, Rz27Mk2ReaderThread

}  // namespace desktop
