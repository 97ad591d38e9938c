// Kernel calls of the layer: errors, handles, files, comm ports, threads, events, time, text, process.
#pragma once

#include "plat/wintypes.h"

// ---- Errors and handles ----------------------------------------------------------------------
DWORD GetLastError();
void SetLastError(DWORD code);
BOOL CloseHandle(HANDLE h);

// ---- Files and folders -----------------------------------------------------------------------
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sec, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sec, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE h, LPVOID buf, DWORD n, LPDWORD got, LPOVERLAPPED ov);
BOOL WriteFile(HANDLE h, LPCVOID buf, DWORD n, LPDWORD put, LPOVERLAPPED ov);
DWORD SetFilePointer(HANDLE h, LONG dist, PLONG distHigh, DWORD method);
BOOL SetFilePointerEx(HANDLE h, LARGE_INTEGER dist, PLARGE_INTEGER newPos, DWORD method);
DWORD GetFileSize(HANDLE h, LPDWORD high);
BOOL SetEndOfFile(HANDLE h);
BOOL FlushFileBuffers(HANDLE h);
BOOL DeleteFileW(LPCWSTR path);
BOOL DeleteFileA(LPCSTR path);
BOOL MoveFileW(LPCWSTR from, LPCWSTR to);
BOOL MoveFileA(LPCSTR from, LPCSTR to);
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES sec);
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES sec);
BOOL RemoveDirectoryW(LPCWSTR path);
BOOL RemoveDirectoryA(LPCSTR path);
DWORD GetFileAttributesW(LPCWSTR path);
DWORD GetFileAttributesA(LPCSTR path);
HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW fd);
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA fd);
BOOL FindNextFileW(HANDLE h, LPWIN32_FIND_DATAW fd);
BOOL FindNextFileA(HANDLE h, LPWIN32_FIND_DATAA fd);
BOOL FindClose(HANDLE h);
DWORD GetCurrentDirectoryW(DWORD n, LPWSTR buf);
DWORD GetCurrentDirectoryA(DWORD n, LPSTR buf);
BOOL SetCurrentDirectoryW(LPCWSTR path);
BOOL SetCurrentDirectoryA(LPCSTR path);

// ---- Comm ports ------------------------------------------------------------------------------
BOOL GetCommState(HANDLE h, LPDCB dcb);
BOOL SetCommState(HANDLE h, LPDCB dcb);
BOOL GetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS t);
BOOL SetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS t);
BOOL SetupComm(HANDLE h, DWORD inQueue, DWORD outQueue);
BOOL PurgeComm(HANDLE h, DWORD flags);
BOOL SetCommMask(HANDLE h, DWORD mask);
BOOL GetCommMask(HANDLE h, LPDWORD mask);
BOOL WaitCommEvent(HANDLE h, LPDWORD evt, LPOVERLAPPED ov);
BOOL GetCommModemStatus(HANDLE h, LPDWORD status);
BOOL EscapeCommFunction(HANDLE h, DWORD func);
BOOL ClearCommError(HANDLE h, LPDWORD errors, LPCOMSTAT stat);
BOOL TransmitCommChar(HANDLE h, char c);

// ---- Threads, events, waits ------------------------------------------------------------------
HANDLE CreateThread(LPSECURITY_ATTRIBUTES sec, size_t stack, LPTHREAD_START_ROUTINE proc, LPVOID arg,
                    DWORD flags, LPDWORD id);
BOOL GetExitCodeThread(HANDLE h, LPDWORD code);
DWORD GetCurrentThreadId();
DWORD SuspendThread(HANDLE h);
DWORD ResumeThread(HANDLE h);
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES sec, BOOL manualReset, BOOL initialState, LPCWSTR name);
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES sec, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE h);
BOOL ResetEvent(HANDLE h);
DWORD WaitForSingleObject(HANDLE h, DWORD ms);

// ---- Time ------------------------------------------------------------------------------------
DWORD GetTickCount();
void GetLocalTime(LPSYSTEMTIME st);
void Sleep(DWORD ms);

// ---- Recorded stand-ins ----------------------------------------------------------------------
DWORD GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 status, DWORD len, BOOL update);
BOOL MessageBeep(UINT type);
void SystemIdleTimerReset();

// ---- Text ------------------------------------------------------------------------------------
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR s, int n, LPWSTR w, int wn);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR w, int n, LPSTR s, int sn, LPCSTR defChar,
                        LPBOOL usedDefault);
double _wtof(const wchar_t* s);
int _wtoi(const wchar_t* s);
long _wtol(const wchar_t* s);

// ---- Process ---------------------------------------------------------------------------------
[[noreturn]] void ExitProcess(UINT code);
HMODULE GetModuleHandleW(LPCWSTR name);
HMODULE GetModuleHandleA(LPCSTR name);

#ifdef UNICODE
#define CreateFile CreateFileW
#define DeleteFile DeleteFileW
#define MoveFile MoveFileW
#define MoveFileEx MoveFileExW
#define CreateDirectory CreateDirectoryW
#define RemoveDirectory RemoveDirectoryW
#define GetFileAttributes GetFileAttributesW
#define FindFirstFile FindFirstFileW
#define FindNextFile FindNextFileW
#define WIN32_FIND_DATA WIN32_FIND_DATAW
#define LPWIN32_FIND_DATA LPWIN32_FIND_DATAW
#define GetCurrentDirectory GetCurrentDirectoryW
#define SetCurrentDirectory SetCurrentDirectoryW
#define CreateEvent CreateEventW
#define GetModuleHandle GetModuleHandleW
#else
#define CreateFile CreateFileA
#define DeleteFile DeleteFileA
#define MoveFile MoveFileA
#define MoveFileEx MoveFileExA
#define CreateDirectory CreateDirectoryA
#define RemoveDirectory RemoveDirectoryA
#define GetFileAttributes GetFileAttributesA
#define FindFirstFile FindFirstFileA
#define FindNextFile FindNextFileA
#define WIN32_FIND_DATA WIN32_FIND_DATAA
#define LPWIN32_FIND_DATA LPWIN32_FIND_DATAA
#define GetCurrentDirectory GetCurrentDirectoryA
#define SetCurrentDirectory SetCurrentDirectoryA
#define CreateEvent CreateEventA
#define GetModuleHandle GetModuleHandleA
#endif

// ---- Extensions ------------------------------------------------------------------------------
namespace plat {

// The two profiles: the handheld (wide calls, root-relative paths) and the desktop (8-bit calls,
// drive letters and a current directory).
enum class Profile { Handheld, Desktop };

// Positional read that leaves the handle's position alone (pread).
BOOL ReadAt(HANDLE h, uint64_t offset, LPVOID buf, DWORD n, LPDWORD got);
// Appends at the end of the file under the handle's lock; the position is left at the new end.
// at, when given, receives the offset the append started at (the size before it) once the end
// was found, also when the write then fails; it is left alone otherwise.
BOOL AppendAtEnd(HANDLE h, LPCVOID buf, DWORD n, LPDWORD put, uint64_t* at = nullptr);

// Busy-wait helper: lets virtual time pass, harmless in real mode.
void SpinPause();

// True once the device behind a comm handle was seen to hang up.
bool CommHungUp(HANDLE h);

// Decimal-only number parsing for typed and stored values (no inf, nan or hex; non-finite gives 0).
double ParseDecimal(const char* s, const char** end = nullptr);
double ParseDecimal(const wchar_t* s, const wchar_t** end = nullptr);
// The same leading part as an integer, saturating at INT_MIN / INT_MAX.
int ParseInt(const char* s);
int ParseInt(const wchar_t* s);
double atof(const char* s);
int atoi(const char* s);

// CP1252 conversions of whole strings; unmappable code points become '?'.
int Widen(const char* s, wchar_t* out, int outSize);    // returns characters written, NUL excluded
int Narrow(const wchar_t* s, char* out, int outSize);  // returns bytes written, NUL excluded
wchar_t Cp1252ToWide(unsigned char b);
char WideToCp1252(wchar_t c, bool* usedDefault = nullptr);

// Process exit: ExitProcess goes through this hook (default: flush stdio and _Exit).
using ExitHook = void (*)(UINT code);
void SetExitHook(ExitHook hook);

// What a program hands the layer's main(): its profile and its WinMain (wide for the handheld,
// 8-bit for the desktop). RunMain reads the configuration, creates the root folders, calls WinMain
// and ends the process with _Exit(code & 0xFF), running no static destructors.
struct AppEntry {
  Profile profile;
  int (*winMainW)(HINSTANCE, HINSTANCE, LPWSTR, int);
  int (*winMainA)(HINSTANCE, HINSTANCE, LPSTR, int);
};
[[noreturn]] void RunMain(const AppEntry& app);

// The drive root folder (Linux path) and the comm device folder.
const char* DriveRoot();
const char* DeviceDir();

}  // namespace plat

// Supplied by each program; the layer's main() calls it first.
const plat::AppEntry& PlatAppEntry();
