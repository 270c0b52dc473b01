// The library entry point of Orrisbane.dll.
#include <windows.h>

#include "plugin/load_sequence.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return ApplyEarlyOptions(); }
