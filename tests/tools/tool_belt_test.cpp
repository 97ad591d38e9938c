// The tool belt as a newcomer meets it: --help prints the usage on standard output and exits 0; a
// usage error is one "name: message" line on standard error with exit code 2; the demo refuses a
// bad command line, and an output folder it cannot use, before it installs or builds anything.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Ran {
  int exitCode = -1;
  std::string out;
};

// Runs a shell command line; `out` is what it printed on the stream the line leaves on the pipe.
Ran Shell(const std::string& command) {
  Ran r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buf[512];
  while (size_t n = fread(buf, 1, sizeof buf, pipe)) r.out.append(buf, n);
  const int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

TEST(ToolBelt, HelpIsTheUsageOnStandardOutputAndExitsZero) {
  const struct {
    std::string tool;
    const char* holds;
  } cases[] = {
      {ICECURVES_PATH, "usage: icecurves"},
      {SURVEY_DRIVER_PATH, "--readings N"},
      {COMLINK_PATH, "comlink [-d DEVDIR | -a APP] COMn=DEVICE"},
      {SURVEY_DEMO_PATH, "--out DIR"},
      {SCRIPTS_DIR "/demo", "--out DIR"},
      {SCRIPTS_DIR "/test", "usage: scripts/test"},
      {SCRIPTS_DIR "/fuzz-smoke", "usage: scripts/fuzz-smoke"},
  };
  for (const auto& c : cases) {
    const Ran r = Shell(Quoted(c.tool) + " --help 2>/dev/null");
    EXPECT_EQ(r.exitCode, 0) << c.tool;
    EXPECT_NE(r.out.find(c.holds), std::string::npos) << c.tool << "\n" << r.out;
  }
}

// Each refusal: exit code 2 and, first on standard error, the tool's name and the problem.
TEST(ToolBelt, UsageErrorsNameTheToolAndExitTwo) {
  const struct {
    std::string command;
    const char* line;
  } cases[] = {
      {Quoted(ICECURVES_PATH) + " --tables", "icecurves: unknown option --tables\n"},
      {Quoted(SURVEY_DRIVER_PATH) + " --readings", "survey-driver: --readings needs a value\n"},
      {Quoted(SURVEY_DRIVER_PATH) + " --model=rz99wm", "survey-driver: no app is called rz99wm\n"},
      {Quoted(COMLINK_PATH) + " -d", "comlink: -d needs a value\n"},
      {Quoted(SCRIPTS_DIR "/test") + " ci", "test: takes no arguments (--help tells what it does)\n"},
  };
  for (const auto& c : cases) {
    const Ran r = Shell(c.command + " 2>&1 >/dev/null");
    EXPECT_EQ(r.exitCode, 2) << c.command;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), c.line) << c.command << "\n" << r.out;
  }
}

// The demo checks its whole command line, --out included, before it installs or builds: each
// refusal is one line of its own (listing the valid names where there are some) and nothing else.
TEST(ToolBelt, TheDemoRefusesABadCommandLineBeforeBuilding) {
  const std::string root = plat::test::UseTempRoot();
  const std::string file = root + "/a-file";
  std::ofstream(file) << "not a folder\n";
  const std::string earlier = root + "/earlier";
  std::filesystem::create_directories(earlier + "/root/Storage");
  const std::string apps =
      "rz12wm, zolwm, rz27bwm, rz27ddwm, rz27wm, rz45wm, rz89wm, zol12wm, rz27mk2wm, rz12xp, rz27bxp, rz27ddxp, rz27xp, "
      "rz45xp, rz89xp, rz27mk2xp, rz56mk2xp, rz12xp-gpssim, rz12xp-small";
  const struct {
    std::string args;
    std::string line;
  } cases[] = {
      {"--model", "--model needs an app: " + apps},
      {"--model --headless", "--model needs an app: " + apps},  // an option is no value
      {"--model rz99wm", "no app of the demo is called rz99wm; the apps are " + apps},
      {"--model=rz99wm", "no app of the demo is called rz99wm; the apps are " + apps},
      // The desktop apps of the other instruments, and the RZ27-MK2's monitoring build, which
      // records nothing, are not the demo's.
      {"--model zol12xp", "no app of the demo is called zol12xp; the apps are " + apps},
      {"--model rz27mk2xp-monitor", "no app of the demo is called rz27mk2xp-monitor; the apps are " + apps},
      {"--readings=0", "--readings takes a whole number above 0, not 0"},
      {"--readings", "--readings needs a whole number above 0"},
      {"--headless=yes", "--headless takes no value"},
      {"--frobnicate", "unknown option --frobnicate; the options are --model NAME, --readings N, --gps FILE, "
                       "--headless, --out DIR, --help"},
      {"--gps " + root + "/none.nmea", "cannot read the GPS capture " + root + "/none.nmea"},
      {"--out " + file, "--out " + file + " is not a folder"},
      {"--out " + file + "/inside", "cannot make the folder " + file + "/inside"},
      {"--out /proc", "cannot write in the folder /proc"},
      {"--out=" + earlier, earlier + " already holds a survey (" + earlier + "/root); give another --out or "
                                      "remove that one"},
  };
  for (const auto& c : cases) {
    const Ran r = Shell(Quoted(SCRIPTS_DIR "/demo") + " " + c.args + " 2>&1");
    EXPECT_EQ(r.exitCode, 2) << c.args;
    EXPECT_EQ(r.out, "survey-demo: " + c.line + "\n") << c.args;
  }
  // The earlier survey is left as it was.
  EXPECT_TRUE(std::filesystem::is_directory(earlier + "/root/Storage"));
  plat::test::Reset();
}

}  // namespace
