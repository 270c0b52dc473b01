// Which modules are the system's: Windows, the C runtimes, the graphics
// and sound runtimes and drivers. A crash inside one is almost always the
// doing of whoever called it with bad data, so neither the crash report's
// culprit nor the doctor's ranking names it. Plain character work, for the
// crash path and the doctor alike.
#pragma once

// By file name, in any case.
bool IsSystemModule(const char* name);
