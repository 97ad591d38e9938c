// The settings files' line reader that both programs use: lines split at LF with the CR dropped,
// cut to the buffer, and the end of the file.
#include "common/settings_file.h"

#include <gtest/gtest.h>
#include <plat/testing.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace survey {
namespace {

TEST(SettingsFileTest, ReadLineSplitsLinesWithinItsBuffer) {
  plat::test::UseTempRoot();
  for (const int size : {256, 512}) {
    SCOPED_TRACE(size);
    const std::string bytes = "ab\r\n\ncd\n" + std::string(size + 44, 'x') + "\r\n" + std::string(size - 1, 'y') +
                              "\r\n" + "last\r";
    std::ofstream(std::string(plat::DriveRoot()) + "/lines.txt", std::ios::binary) << bytes;
    HANDLE f = CreateFileW(L"\\lines.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    const std::string expected[] = {"ab", "", "c", std::string(size - 1, 'x'), std::string(size - 1, 'y'), "last"};
    std::vector<char> buf(static_cast<size_t>(size) + 16, '#');
    for (const std::string& e : expected) {
      EXPECT_EQ(ReadLine(f, buf.data(), size), static_cast<int>(e.size()));
      EXPECT_EQ(std::string(buf.data()), e);
    }
    EXPECT_EQ(ReadLine(f, buf.data(), size), -1);
    EXPECT_EQ(buf[static_cast<size_t>(size)], '#');  // nothing past the buffer
    CloseHandle(f);
  }
  plat::test::Reset();
}

}  // namespace
}  // namespace survey
