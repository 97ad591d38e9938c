// The bytes of a file below the temporary drive root, for tests of either program.
#pragma once

#include <plat/testing.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace survey::test {

// The whole file at `path` below the drive root ("" when it cannot be read).
inline std::string RootFileBytes(const std::string& path) {
  std::ifstream in(std::string(plat::DriveRoot()) + "/" + path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The CR LF lines of a text; a last line without CR LF is left out.
inline std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

}  // namespace survey::test
