// Comm ports inside the layer: the port object behind a handle of kind Port, its two backends
// (a termios descriptor, an in-process virtual device) and the pieces they share.
#pragma once

#include "core.h"

#include <atomic>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

struct termios;

namespace plat::detail {

enum class Wake { Ready, Timeout, Closed };

// Modem events that are edges of a line.
constexpr DWORD kLineEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;
constexpr DWORD kModemBits = MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON;

// The EV_ edges between two MS_ line words.
DWORD LineEdges(DWORD oldLines, DWORD newLines);
// The DCB a port starts with: the given speed, 8N1, binary, DTR and RTS on, XON/XOFF 0x11/0x13.
DCB InitialDcb(DWORD baud);
// Saturating deadline: now + ms on the platform clock.
uint64_t DeadlineAfter(uint64_t now, uint64_t ms);

// One open port. The handle table holds it; every call in flight holds a reference too, so the
// backend's resources go only when the last call has left (the destructor).
class CommPort : public Object {
 public:
  explicit CommPort(int com) : Object(Kind::Port), com_(com) {}

  int Com() const { return com_; }
  bool Closed() const { return closed_.load(std::memory_order_acquire); }
  bool HungUp() const { return hungUp_.load(std::memory_order_acquire); }

  // The stored settings (what GetCommState / GetCommTimeouts return).
  DCB StoredDcb();
  void StoreDcb(const DCB& dcb);
  COMMTIMEOUTS Timeouts();
  void StoreTimeouts(const COMMTIMEOUTS& t);

  // ---- Backend -------------------------------------------------------------------------------
  // Applies a validated DCB to the device; returns 0 or a Windows error code.
  virtual DWORD ApplyDcb(const DCB& dcb) = 0;
  virtual void TimeoutsApplied(const COMMTIMEOUTS& /*t*/) {}
  // Takes up to n bytes that are there now; never waits.
  virtual size_t ReadNow(unsigned char* p, size_t n) = 0;
  // True when nothing is held for ReadNow and the device had nothing more at the last look: a
  // read that may wait then waits first, since the wait returns at once when bytes have come.
  virtual bool InputDrained() { return false; }
  // Waits until input may be there, the port is closed, or the platform clock reaches deadline.
  virtual Wake WaitInput(uint64_t deadline) = 0;
  // Waits only for the close (a hung-up device is silent until then).
  virtual Wake WaitClosed(uint64_t deadline) = 0;
  // Hands up to n bytes to the device now; returns how many it took, or -1 on a device error.
  virtual long WriteNow(const unsigned char* p, size_t n) = 0;
  virtual Wake WaitOutput(uint64_t deadline) = 0;
  virtual DWORD Purge(DWORD flags) = 0;  // 0 or an error code
  virtual void SetMask(DWORD mask) = 0;
  virtual DWORD Mask() = 0;
  // WaitCommEvent's wait; returns 0 with *evt set, or an error code.
  virtual DWORD WaitEvent(DWORD* evt) = 0;
  virtual DWORD ModemStatus() = 0;
  virtual DWORD Escape(DWORD func) = 0;  // 0 or an error code
  virtual DWORD InQueue() = 0;
  virtual bool OutputHeld() { return false; }

 protected:
  void MarkClosed() { closed_.store(true, std::memory_order_release); }
  void MarkHungUp() { hungUp_.store(true, std::memory_order_release); }

 private:
  const int com_;
  std::atomic<bool> closed_{false};
  std::atomic<bool> hungUp_{false};
  std::mutex settingsMutex_;
  DCB dcb_{};
  COMMTIMEOUTS timeouts_{};
};

// ---- Termios backend (comm_termios.cpp) ------------------------------------------------------
// Opens the Linux device for COM n: the device-folder entry, else /dev/ttyS{n-1}. Returns a handle,
// or nullptr with the last error set.
HANDLE OpenTermiosPort(int com);
// The termios the layer last handed to tcsetattr for COM n (test recorder).
bool LastAppliedTermios(int com, struct termios* out);
// A pty pair for COM n: the slave linked as <devdir>/COMn; returns the master, or -1.
int CreatePtyPort(int com);
bool ClosePtyMaster(int com);
void ResetTermios();

// ---- Virtual backend (comm_virtual.cpp) ------------------------------------------------------
class VirtualConn;

// A test's in-process device for one COM number. All state is under KernelMutex, so the reads,
// writes and waits on it run on the platform clock through KernelWait.
class VirtualDevice : public std::enable_shared_from_this<VirtualDevice> {
 public:
  explicit VirtualDevice(int com) : com_(com) {}

  // Test side.
  void Feed(std::string_view bytes, uint64_t dueMs);
  void FeedAtTick(std::string_view bytes, DWORD tick);
  std::string TakeOutput();
  void SetLines(DWORD lines);
  void SetLinesAtTick(DWORD lines, DWORD tick);
  void HoldOutput(bool hold);
  void FailOpens(int count, DWORD error);
  void OnByte(std::function<void(unsigned char)> responder);
  bool IsOpen();
  int Opens();
  int Closes();
  int OpenAttempts();
  bool LastDcb(DCB* out);
  bool LastTimeouts(COMMTIMEOUTS* out);
  std::vector<DWORD> Purges();
  std::vector<DWORD> Masks();
  size_t InputQueued();  // arrived and not yet read

  // Layer side: CreateFile on COM n while this device is attached.
  HANDLE Open();

 private:
  friend class VirtualConn;
  struct Scheduled {
    uint64_t due;
    std::string bytes;
    bool isLines = false;  // a change of the modem lines to `lines` instead of bytes
    DWORD lines = 0;
  };
  // The platform-clock time at which a tick arrives (now when it has passed).
  static uint64_t DueAtTick(DWORD tick);
  // The following run with KernelMutex held.
  void Pump(uint64_t now);  // moves the feeds that are due into the input queue, sets due lines
  uint64_t NextDue() const;
  void Schedule(Scheduled entry);
  void ApplyLines(DWORD lines);

  const int com_;
  std::deque<Scheduled> scheduled_;
  std::deque<unsigned char> input_;
  std::string output_;
  DWORD lines_ = 0;
  bool held_ = false;
  int failOpens_ = 0;
  DWORD failError_ = ERROR_ACCESS_DENIED;
  std::function<void(unsigned char)> responder_;
  VirtualConn* conn_ = nullptr;  // the open connection, if any
  DWORD baud_ = CBR_9600;        // the "current speed" a new open starts with
  int opens_ = 0;
  int closes_ = 0;
  int attempts_ = 0;
  bool haveDcb_ = false;
  DCB lastDcb_{};
  bool haveTimeouts_ = false;
  COMMTIMEOUTS lastTimeouts_{};
  std::vector<DWORD> purges_;
  std::vector<DWORD> masks_;
};

std::shared_ptr<VirtualDevice> AttachVirtualDevice(int com);
void DetachVirtualDevice(int com);
std::shared_ptr<VirtualDevice> FindVirtualDevice(int com);
void ResetVirtual();

}  // namespace plat::detail
