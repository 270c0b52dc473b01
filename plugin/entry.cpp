// The library entry point of Orrisbane.dll.
#include <windows.h>

#include "core/thread_exit.h"
#include "plugin/load_sequence.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_THREAD_DETACH) RunThreadExitCallbacks();
  return ApplyEarlyOptions();
}
