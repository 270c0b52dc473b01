// orrisbane-doctor Orrisbane.ini [enblocal.ini]
#include <cstdio>

#include "doctor/doctor.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: orrisbane-doctor Orrisbane.ini [enblocal.ini]\n");
    return 2;
  }
  const doctor::Diagnosis diagnosis = doctor::Diagnose(argv[1], argc == 3 ? argv[2] : "");
  std::fputs(doctor::Render(diagnosis).c_str(), stdout);
  return doctor::ExitCode(diagnosis);
}
