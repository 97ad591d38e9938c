// Command-line helpers shared by the simulators' mains.
#pragma once

#include <atomic>
#include <string>
#include <vector>

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

// Whole-string numbers: decimal, or hexadecimal with 0x.
bool ParseLong(const std::string& s, long* out);
bool ParseDouble(const std::string& s, double* out);
// Comma- or slash-separated numbers ("0x74,-200,500", "2/5").
bool ParseList(const std::string& s, std::vector<long>* out, char sep = ',');

// SIGINT, SIGTERM and SIGHUP set the flag (a lock-free atomic, safe in a handler); SIGPIPE is
// ignored.
const std::atomic<bool>* InstallStopSignals();

}  // namespace sim::cli
