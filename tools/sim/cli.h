// Command-line helpers shared by the simulators' mains.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "sim/pty_sink.h"

namespace sim::cli {

// Walks "--name value" and "--name=value" arguments.
class Args {
 public:
  Args(int argc, char** argv) : argc_(argc), argv_(argv) {}
  // The next option's name (without "--"); false at the end. A word without "--" comes back as
  // it stands, for the caller to refuse.
  bool Next(std::string* name);
  // The option's value: the "=value" part or the next argument. False when there is none.
  bool Value(std::string* value);

 private:
  int argc_;
  char** argv_;
  int i_ = 1;
  std::string inlineValue_;
  bool hasInline_ = false;
};

// Prints "<program>: <problem>" (when there is one) and the usage text on standard error; returns
// 2, the exit code of a usage error.
int Usage(const char* program, const char* usage, const char* problem);
// Prints the usage text on standard output for --help; returns 0.
int Help(const char* usage);

// Whole-string numbers: decimal, or hexadecimal with 0x.
bool ParseLong(const std::string& s, long* out);
bool ParseDouble(const std::string& s, double* out);
// Comma- or slash-separated numbers ("0x74,-200,500", "2/5").
bool ParseList(const std::string& s, std::vector<long>* out, char sep = ',');

// SIGINT, SIGTERM and SIGHUP set the flag (a lock-free atomic, safe in a handler); SIGPIPE is
// ignored.
const std::atomic<bool>* InstallStopSignals();

// Options both simulators take: --com, --devdir, --seed, --baud, --paced, --no-wait.
struct CommonOptions {
  long com = 0;
  std::string devDir;
  uint64_t seed = 1;
  long baud = 0;  // 0: the simulator's default
  bool paced = false;
  bool wait = true;
};
struct Flag {
  const char* name;
  bool* value;  // set to true when the option is given
};
// Reads every argument: the common options, the flags (options without a value), and any other
// option with its value through `valued`, which returns "" when it took the option, else the
// problem. Returns "" when every argument was taken, "help" for --help, else the first problem.
std::string ParseArgs(int argc, char** argv, CommonOptions* common, std::initializer_list<Flag> flags,
                      const std::function<std::string(const std::string& name, const std::string& value)>& valued);

// Checks --com, finds the device folder, installs the stop signals, creates the pty link and
// prints it on standard output. False after printing the reason (prefixed with the program's
// name) on standard error; *usage tells whether it was a usage error.
struct Started {
  PtyLink link;
  std::string folder;
  const std::atomic<bool>* stop = nullptr;
};
bool StartLink(const char* program, const CommonOptions& o, Started* out, bool* usage);

}  // namespace sim::cli
