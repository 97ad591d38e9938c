// The bytes of a file below the temporary drive root, for tests of either program.
#pragma once

#include <plat/testing.h>

#include <fstream>
#include <iterator>
#include <string>

namespace survey::test {

// The whole file at `path` below the drive root ("" when it cannot be read).
inline std::string RootFileBytes(const std::string& path) {
  std::ifstream in(std::string(plat::DriveRoot()) + "/" + path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace survey::test
