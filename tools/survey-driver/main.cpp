// The demo's driver: runs a handheld or desktop program in this process and scripts a survey
// against the instrument (and GPS receiver) that the simulators stream on COM1 (and on COM2 for
// the handheld, COM4 for the desktop) in PLAT_DEVDIR, under PLAT_ROOT; the desktop RZ56-MK2 is
// nulled and QC-checked first, the RZ27-MK2 calibrated. Prints where the data file and the
// screenshot are.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "driver/desktop_survey.h"
#include "driver/scripted_survey.h"
#include "engine/settings.h"
#include "engine/state.h"
#include "sim/cli.h"

namespace {

constexpr const char* kDefaultApp = "rz12wm";

// The handheld and desktop apps, for the usage's --model line (kNamesColumn characters in) and as
// many lines below it as they need.
constexpr std::size_t kNamesColumn = 45;
constexpr std::size_t kUsageWidth = 100;
std::string AppNames() {
  std::string text;
  std::size_t column = kNamesColumn;
  std::vector<std::string> names = survey::HandheldAppNames();
  for (const std::string& name : survey::desktop_driver::AppNames()) names.push_back(name);
  for (const std::string& name : names) {
    const std::string entry = name == kDefaultApp ? name + " (default)" : name;
    if (!text.empty()) {
      const bool wrap = column + 2 + entry.size() > kUsageWidth;
      text += wrap ? ",\n" + std::string(20, ' ') : ", ";
      column = wrap ? 20 : column + 2;
    }
    text += entry;
    column += entry.size();
  }
  return text;
}

std::string UsageText() {
  return "usage: survey-driver [options]\n"
         "  --model NAME      handheld or desktop app: " +
         AppNames() +
         "\n"
         "  --readings N      readings in the first logging stretch (default 100)\n"
         "  --second N        readings after the new station (default half of the first)\n"
         "  --station VALUE   the new station typed into its dialog (default 125)\n"
         "  --gps             GPS input on (handheld COM2, desktop COM4), saved in the settings as the\n"
         "                    GPS port setup would\n"
         "  --settings-only   start the program, save the settings (with --gps) and end it, for a\n"
         "                    program started afterwards\n"
         "  --shot PATH       PNG of the screen at the last pause (default: none)\n"
         "  --qc-coil PID     rz56mk2xp: the QC check presses the coil button of the simulator with\n"
         "                    this process id (SIGUSR1); without it the check judges plain readings\n";
}

// A usage error: "survey-driver: problem", then the usage, on standard error; exit code 2.
int Usage(const std::string& problem) { return sim::cli::Usage("survey-driver", UsageText().c_str(), problem.c_str()); }

// The layer's automation reports what no step expected as test failures, with their source lines;
// the driver says what went wrong in its own line instead.
void SilenceTestReports() {
  testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
  delete listeners.Release(listeners.default_result_printer());
}

// GPS input on, on COM2, saved in the settings file as the setup dialog would.
void EnableGps() {  // on the UI thread
  handheld::SurveySettings.gpsEnabled = 1;
  handheld::SurveySettings.gpsPort = 1;
  handheld::LoadSaveSettings(1);
}

// A program's start, end and survey, by the program its app belongs to.
struct Program {
  std::function<bool(HANDLE*, DWORD, const std::function<void()>&)> start;
  std::function<int(HANDLE, DWORD)> exit;
  std::function<survey::ScriptOutcome(const survey::ScriptOptions&, const std::function<void()>&,
                                      const std::function<void()>&)>
      survey;
  std::function<void()> enableGps;
};

bool ProgramOf(const std::string& model, Program* p) {
  namespace dd = survey::desktop_driver;
  if (dd::IsApp(model)) {
    p->start = [model](HANDLE* h, DWORD limit, const std::function<void()>& before) {
      return dd::StartProgram(model, h, limit, before);
    };
    p->exit = dd::ExitProgram;
    p->survey = [model](const survey::ScriptOptions& o, const std::function<void()>& before,
                        const std::function<void()>& pressCoil) {
      return dd::RunScriptedSurvey(model, o, before, pressCoil);
    };
    p->enableGps = dd::EnableGps;
    return true;
  }
  handheld::BuildSwitches build;
  if (!survey::AppSwitches(model, &build)) return false;
  p->start = [build](HANDLE* h, DWORD limit, const std::function<void()>& before) {
    return survey::StartProgram(build, h, limit, before);
  };
  p->exit = survey::ExitProgram;
  p->survey = [build](const survey::ScriptOptions& o, const std::function<void()>& before,
                      const std::function<void()>&) { return survey::RunScriptedSurvey(build, o, before); };
  p->enableGps = EnableGps;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string model = kDefaultApp;
  survey::ScriptOptions o;
  bool gps = false;
  bool settingsOnly = false;
  bool secondGiven = false;
  long coilPid = 0;
  sim::cli::Args args(argc, argv);
  std::string name, value;
  while (args.Next(&name)) {
    long n = 0;
    if (name == "gps" || name == "settings-only") {
      (name == "gps" ? gps : settingsOnly) = true;
      continue;
    }
    if (name == "help") return sim::cli::Help(UsageText().c_str());
    if (!args.Value(&value)) return Usage("--" + name + " needs a value");
    if (name == "model") {
      model = value;
    } else if ((name == "readings" || name == "second") && sim::cli::ParseLong(value, &n) && n > 0 && n <= 100000) {
      (name == "readings" ? o.firstReadings : o.secondReadings) = static_cast<int>(n);
      secondGiven = secondGiven || name == "second";
    } else if (name == "station") {
      o.newStation.assign(value.begin(), value.end());
    } else if (name == "shot") {
      o.screenshot = value;
    } else if (name == "qc-coil" && sim::cli::ParseLong(value, &n) && n > 0 && n <= 0x7FFFFFFF) {
      coilPid = n;
    } else {
      return Usage("bad option --" + name + " " + value);
    }
  }
  if (!secondGiven) o.secondReadings = o.firstReadings / 2 > 0 ? o.firstReadings / 2 : 1;
  Program program;
  if (!ProgramOf(model, &program)) return Usage("no app is called " + model);
  const std::function<void()> before = gps ? program.enableGps : nullptr;

  SilenceTestReports();
  if (settingsOnly) {
    HANDLE handle = nullptr;
    const bool saved = program.start(&handle, o.stepLimitMs, before) && program.exit(handle, o.stepLimitMs) == 0;
    if (!saved) std::fprintf(stderr, "survey-driver: the program did not start and end\n");
    std::fflush(stderr);
    _exit(saved ? 0 : 1);
  }

  std::function<void()> pressCoil;
  if (coilPid > 0) pressCoil = [coilPid] { kill(static_cast<pid_t>(coilPid), SIGUSR1); };
  const survey::ScriptOutcome r = program.survey(o, before, pressCoil);
  if (!r.ok) {
    std::fprintf(stderr, "survey-driver: %s\n", r.failure.c_str());
    std::fflush(stderr);
    if (!r.dataFileHostPath.empty()) std::printf("data file: %s\n", r.dataFileHostPath.c_str());
    std::fflush(stdout);
    _exit(1);
  }
  std::printf("readings recorded: %d, then %d after the new station\n", r.recordedFirst, r.recordedSecond);
  std::printf("data file: %s\n", r.dataFileHostPath.c_str());
  std::printf("screenshot: %s\n", o.screenshot.empty() ? "none" : o.screenshot.c_str());
  std::fflush(stdout);
  // The keep-alive thread sleeps for a minute between its rounds: the process ends here.
  _exit(0);
}
