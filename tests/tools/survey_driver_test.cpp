// The demo's driver as a program: with both simulators streaming on COM1 and COM2 of a drive
// root, it scripts a short survey with GPS input and ends by naming a data file that holds the
// readings and the GPS sentences, and a screenshot.
// test-labels: e2e
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>

#include "child_process.h"

namespace {

using test_support::Child;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text after "prefix" on the line that starts with it, or "".
std::string After(const std::string& out, const std::string& prefix) {
  const size_t at = out.rfind("\n" + prefix);
  if (at == std::string::npos) return "";
  const size_t start = at + 1 + prefix.size();
  return out.substr(start, out.find('\n', start) - start);
}

TEST(SurveyDriver, ScriptsASurveyAndNamesItsFiles) {
  const std::string root = plat::test::UseTempRoot();
  const std::string dev = plat::DeviceDir();
  Child instrument({INSTRUMENT_SIM_PATH, "--model", "RZ12", "--com", "1", "--devdir", dev, "--ramp"});
  EXPECT_EQ(instrument.Line().rfind("COM1 -> ", 0), 0u);
  Child gps({GPS_SIM_PATH, "--com", "2", "--devdir", dev, "--rate", "5"});
  EXPECT_EQ(gps.Line().rfind("COM2 -> ", 0), 0u);

  const std::string shot = root + "/screen.png";
  Child driver({SURVEY_DRIVER_PATH, "--readings", "6", "--gps", "--shot", shot},
               {"PLAT_ROOT=" + root, "PLAT_DEVDIR=" + dev, "PLAT_DISPLAY=headless"});
  const std::string out = "\n" + driver.Output(60000);
  ASSERT_EQ(driver.Wait(), 0) << out;
  EXPECT_NE(out.find("readings recorded: 6, then 3 after the new station"), std::string::npos) << out;

  const std::string data = After(out, "data file: ");
  const std::string bytes = FileBytes(data);
  ASSERT_FALSE(bytes.empty()) << out;
  EXPECT_NE(bytes.find("X$STARTED"), std::string::npos);
  EXPECT_NE(bytes.find("\nS     125.00 "), std::string::npos);
  EXPECT_NE(bytes.find("\n@$GP"), std::string::npos) << "no GPS sentence was recorded";
  EXPECT_EQ(After(out, "screenshot: "), shot);
  EXPECT_EQ(FileBytes(shot).substr(1, 3), "PNG");
  // The last two lines name the files.
  const size_t last = out.rfind("\nscreenshot: ");
  EXPECT_EQ(out.find('\n', last + 1), out.size() - 1);
  EXPECT_LT(out.rfind("\ndata file: "), last);
}

}  // namespace
