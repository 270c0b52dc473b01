// The library entry point of Orrisbane.dll.
#include <windows.h>

#include "plugin/load_sequence.h"
#include "plugin/thread_exit.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_THREAD_DETACH) RunThreadExitCallbacks();
  return ApplyEarlyOptions();
}
