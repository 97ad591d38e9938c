// Internals shared by the layer's modules: the handle table, the kernel lock and its waits, the clock.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace plat::detail {

// ---- Handle table (handles.cpp) --------------------------------------------------------------
// One table for every kind. Values count up from 0x1000 in steps of 4 and are never reused; the
// object lives on while a call holds a reference, so closing never pulls memory from under a call.
enum class Kind : uint8_t { File, Port, Thread, Event, Find, Module, Window, Gdi, Menu, Dc, Resource };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  // Runs once when the handle is retired (CloseHandle or a harness reset), before the table drops it.
  virtual void OnClose() {}
  const Kind kind;
};

HANDLE InsertHandle(std::shared_ptr<Object> obj);
// A fresh value from the one counter, for objects kept in tables of their own (windows, GDI).
uintptr_t NextHandleValue();
// The live object behind h if it is of this kind; else nullptr with ERROR_INVALID_HANDLE.
std::shared_ptr<Object> LookupHandle(HANDLE h, Kind kind);
template <class T>
std::shared_ptr<T> Lookup(HANDLE h, Kind kind) {
  return std::static_pointer_cast<T>(LookupHandle(h, kind));
}
// The kind of a live handle, or false.
bool HandleKind(HANDLE h, Kind* kind);
// Retires h: later lookups fail at once; OnClose runs; the object dies with its last reference.
// With kind given, it receives the retired handle's kind.
bool RetireHandle(HANDLE h, Kind* kind = nullptr);
// Harness: retires every handle still open. Returns how many there were.
size_t RetireAllHandles();
size_t LiveHandleCount();

// ---- Kernel lock and waits (clock.cpp) -------------------------------------------------------
// Every layer wait on in-process state (events, thread ends, virtual ports, sleeps, suspension,
// later the message queues) happens under this one lock, so one clock can step them all.
std::mutex& KernelMutex();
// Wakes every waiter to re-check its condition. Call with KernelMutex held, after a state change.
void Kick();
// Platform clock in ms, 64-bit and monotonic: the base of every deadline. GetTickCount is its low
// 32 bits plus an offset (PLAT_TICK_START, or what the harness set).
uint64_t NowMs();
bool ClockIsVirtual();
constexpr uint64_t kNoDeadline = UINT64_MAX;
// Waits with KernelMutex held (through lk) until ready() or the platform clock reaches deadline.
// Returns ready()'s last value. The thread counts as blocked for the virtual clock meanwhile.
bool KernelWait(std::unique_lock<std::mutex>& lk, uint64_t deadline, const std::function<bool()>& ready);
// Converts a platform-clock deadline into a real wait in ms for poll() (real mode only), capped.
int RealPollTimeout(uint64_t deadline);

// A thread whose message waits go through a display backend (the SDL UI thread) instead of the
// condition variable: wait() runs with KernelMutex released and returns when a display event or a
// wake arrived, or after timeoutMs (-1: no limit), having handled the display events that came.
// While such a thread waits, every Kick from another thread calls wake() once (KernelMutex held),
// so work queued for it from anywhere ends the display wait. wait() must not call window
// procedures or block in a layer wait: it runs inside KernelWait.
struct DisplayWaiter {
  void (*wait)(int timeoutMs);
  void (*wake)();
};
// Installs the calling thread's display waiter (nullptr removes it).
void SetDisplayWaiter(const DisplayWaiter* waiter);
// KernelWait for the message waits: through the calling thread's display waiter when it has one.
bool KernelWaitForMessages(std::unique_lock<std::mutex>& lk, uint64_t deadline, const std::function<bool()>& ready);

// ---- Threads (threads.cpp) -------------------------------------------------------------------
// A suspended thread stops here, at the entry and at the exit of the layer calls that park.
// Call it without KernelMutex held.
void ParkPoint();
// An event or thread handle's object, for waits of other modules (plat::WaitServicingSends);
// else nullptr with ERROR_INVALID_HANDLE.
std::shared_ptr<Object> LookupWaitable(HANDLE h);
// With KernelMutex held: whether the object is signalled. An auto-reset event is consumed.
bool TakeSignalLocked(Object* obj);
// Threads the virtual clock waits for: CreateThread threads, and test threads that register.
void RegisterPlatformThread();
void UnregisterPlatformThread();

// ---- Comm ports (comm*.cpp), reached through the file calls ---------------------------------
// "COMn", "COMn:" or "\\.\COMn", ignoring case, n = 1..255: returns n, else 0.
int ParseCommName(const char* name);
// CreateFile on a comm name lands here.
HANDLE OpenCommPort(int n, DWORD access, DWORD share, DWORD disposition);
// ReadFile / WriteFile on a handle of kind Port land here.
BOOL CommReadFile(HANDLE h, LPVOID buf, DWORD n, LPDWORD got);
BOOL CommWriteFile(HANDLE h, LPCVOID buf, DWORD n, LPDWORD put);

// ---- Files (paths.cpp) ----------------------------------------------------------------------
// Creates the drive root and the profile's root folders: Storage and C_DRIVE (handheld), or C and
// the start folder (desktop).
void CreateRootFolders(Profile p);

// ---- Errors ----------------------------------------------------------------------------------
// Maps an errno value of a file call onto a Windows code.
DWORD ErrnoToError(int err);

// ---- Profile ---------------------------------------------------------------------------------
Profile CurrentProfile();
void SetProfile(Profile p);

// ---- Start-up configuration (process.cpp) --------------------------------------------------
// What the layer's main() read from PLAT_SCREEN, PLAT_DISPLAY and PLAT_SCALE, resolved against the
// profile's defaults. Before main() runs (tests) it holds the handheld defaults, headless.
enum class DisplayMode { Headless, Sdl };
struct StartConfig {
  int screenCx = 240;
  int screenCy = 320;
  DisplayMode display = DisplayMode::Headless;
  int scale = 2;
};
const StartConfig& StartupConfig();

// ---- Recorded stand-ins (standins.cpp), read by the test API ---------------------------------
// percent < 0 reads the system battery again.
void SetBatteryOverride(int percent);
// (type, tick) of every MessageBeep, oldest first (the most recent ones when the log is full).
std::vector<std::pair<UINT, DWORD>> BeepLog();
uint64_t IdleTimerResetCount();
// Releases the program made (CloseHandle of a file, port or thread; a KillTimer that stopped a
// timer), oldest first (the most recent ones when the log is full).
enum class ReleaseOp : uint8_t { File, Port, Thread, Timer };
struct ReleaseEntry {
  ReleaseOp op;
  HANDLE handle;  // File, Port, Thread
  HWND window;    // Timer
  UINT_PTR timerId;
};
void RecordRelease(const ReleaseEntry& entry);
std::vector<ReleaseEntry> ReleaseLog();

// ---- Module resets, used by plat::test::Reset ------------------------------------------------
void ResetClock();
void ResetThreads();  // fails (returns false) when a platform thread is still alive after the grace time
bool WaitThreadsEnded(uint32_t realMs);
void ResetFiles();
void ResetComm();
void ResetStandIns();
void ResetGdi();  // frees every GDI object and DC the program made, clears the draw log
// Destroys every window (the caller's through DestroyWindow), clears classes, queues, timers, input
// and focus, and sets the screen size (0 x 0: the profile's default).
void ResetWindows(Profile profile, int screenCx, int screenCy);
// Forgets the registered resource table and the handles found in it.
void ResetResources();
// Forgets the state of dialogs that a reset destroyed without their loops ending.
void ResetDialogs();

}  // namespace plat::detail
