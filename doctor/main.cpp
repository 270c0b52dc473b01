// orrisbane-doctor Orrisbane.ini [enblocal.ini]
// orrisbane-doctor --crash crash_report.txt [Orrisbane.ini]
#include <cstdio>
#include <string>

#include "doctor/crash_report.h"
#include "doctor/doctor.h"

int main(int argc, char** argv) {
  if (argc >= 3 && argc <= 4 && std::string(argv[1]) == "--crash") {
    const doctor::CrashExplanation explanation = doctor::ExplainCrashReport(argv[2], argc == 4 ? argv[3] : "");
    std::fputs(explanation.text.c_str(), explanation.exitCode == 2 ? stderr : stdout);
    return explanation.exitCode;
  }
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: orrisbane-doctor Orrisbane.ini [enblocal.ini]\n"
                         "       orrisbane-doctor --crash crash_report.txt [Orrisbane.ini]\n");
    return 2;
  }
  const doctor::Diagnosis diagnosis = doctor::Diagnose(argv[1], argc == 3 ? argv[2] : "");
  std::fputs(doctor::Render(diagnosis).c_str(), stdout);
  return doctor::ExitCode(diagnosis);
}
