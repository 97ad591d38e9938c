// TEMPORARY: stand-ins for the files module until it is merged.
#include "core.h"

#include <cstdlib>
#include <string>

namespace plat::detail {
void ResetFiles() {}
void ResetStandIns() {}
}  // namespace plat::detail

namespace plat {
const char* DeviceDir() {
  static std::string dir = [] {
    char tmpl[] = "/tmp/comm-scaffold-XXXXXX";
    std::string d = mkdtemp(tmpl);
    return d + "/dev";
  }();
  return dir.c_str();
}
}  // namespace plat
