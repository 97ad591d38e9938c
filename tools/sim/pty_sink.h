// The pseudo-terminal sink: a simulator plays its stream into a pty master in real time, and the
// program under test opens the slave through <devdir>/COMn.
#pragma once

#include <atomic>
#include <string>

#include "sim/stream.h"

namespace sim {

struct PtyLink {
  int master = -1;
  std::string slavePath;  // /dev/pts/N
  std::string linkPath;   // <devdir>/COMn
};

// Opens a pty pair, sets the slave raw (no echo, no CR or LF translation) and links
// <devDir>/COMn to it, creating the folder. The slave is left closed, so the master sees a
// hang-up until the program opens it. False with a message in *error on failure.
bool CreatePtyLink(const char* devDir, int comNumber, PtyLink* out, std::string* error);
// Removes the link when it still points at this slave, and closes the master.
void RemovePtyLink(PtyLink* link);

struct PtyOptions {
  bool paced = false;     // send at the line rate rather than a chunk at a time
  int baud = 9600;
  int bitsPerByte = 10;   // start, data, parity and stop bits
  // Paced: hand the bytes over as a UART's receive FIFO does, this many at once when the last of
  // them has come off the line, and a chunk's shorter tail 4 byte times after its last byte.
  // 0 or 1: every byte alone.
  int fifoBytes = 0;
  bool waitForOpen = false;  // hold the stream while nobody has the slave open
  int lingerMs = 500;     // after the last chunk, before returning
  int captureFd = -1;     // bytes the program sends are copied here
  const std::atomic<bool>* stop = nullptr;  // set (by a signal handler, say) to end early
};

struct PtyResult {
  long chunks = 0;
  long bytes = 0;
  long captured = 0;
  bool stopped = false;  // ended by the stop flag
  bool failed = false;   // the master failed
};

// Plays the stream: chunk k at the start time plus its atMs (a chunk that is late goes at once).
// With waitForOpen, the clock starts when the slave is first opened, and while the slave is closed
// again the stream holds and then resumes from the next chunk at once.
PtyResult StreamToPty(int master, Stream& stream, const PtyOptions& options);

// The device folder of the layer: devDir if given, else $PLAT_DEVDIR, else $PLAT_ROOT/dev; "" when
// none of them is set.
std::string DeviceFolder(const char* devDir);

}  // namespace sim
