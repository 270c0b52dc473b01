// orrisbane-sim: the host simulator's command line.
//   orrisbane-sim session --dll PATH --ini PATH [--late] [--frames N] [--interactive]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/journal.h"
#include "sim/session.h"

int main(int argc, char** argv) {
  sim::SessionOptions options;
  std::string mode = argc > 1 ? argv[1] : "";
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--dll") options.dllPath = next();
    else if (arg == "--ini") options.iniPath = next();
    else if (arg == "--game") options.gameFolder = next();
    else if (arg == "--late") options.late = true;
    else if (arg == "--frames") options.frames = std::atoi(next().c_str());
    else if (arg == "--interactive") sim::SetInteractive(true);
    else {
      std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
      return 2;
    }
  }
  if (mode != "session" || options.dllPath.empty() || options.iniPath.empty()) {
    std::fprintf(stderr,
                 "usage: orrisbane-sim session --dll Orrisbane.dll --ini Orrisbane.ini [--late] [--frames N] "
                 "[--game FOLDER] [--interactive]\n");
    return 2;
  }
  return sim::RunSession(options);
}
