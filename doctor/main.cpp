// orrisbane-doctor Orrisbane.ini [enblocal.ini]
// orrisbane-doctor --crash <crash report or CrashLog folder> [Orrisbane.ini]
#include <cstdio>
#include <string>

#include "doctor/crash_analysis.h"
#include "doctor/doctor.h"

namespace {

constexpr const char* kUsage =
    "usage: orrisbane-doctor Orrisbane.ini [enblocal.ini]\n"
    "         checks your settings as Orrisbane reads them; exit 0 all good, 1 see the findings, 2 cannot read\n"
    "       orrisbane-doctor --crash <crash report or CrashLog folder> [Orrisbane.ini]\n"
    "         names the likely cause of your crashes; exit 0 nothing to do, 1 a cause or an option to turn on,\n"
    "         2 nothing readable\n";

}  // namespace

int main(int argc, char** argv) {
  const std::string first = argc >= 2 ? argv[1] : "";
  if (argc == 2 && (first == "--help" || first == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc >= 3 && argc <= 4 && first == "--crash") {
    const doctor::CrashAnalysis analysis = doctor::AnalyseCrashes(argv[2], argc == 4 ? argv[3] : "");
    std::fputs(doctor::RenderCrashAnalysis(analysis, argv[2]).c_str(), analysis.exitCode == 2 ? stderr : stdout);
    return analysis.exitCode;
  }
  if (argc < 2 || argc > 3 || first.starts_with("-")) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const doctor::Diagnosis diagnosis = doctor::Diagnose(argv[1], argc == 3 ? argv[2] : "");
  std::fputs(doctor::Render(diagnosis).c_str(), stdout);
  return doctor::ExitCode(diagnosis);
}
