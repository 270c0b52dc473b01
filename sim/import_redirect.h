// Points one entry of a loaded module's import table elsewhere, so that a
// test can stand between the plugin's own code and a system call it makes.
#pragma once
#include <windows.h>

namespace sim {

// Sets the module's import of function from dll (by name, the dll's name in
// any letter case) to replacement; returns what the entry held, nullptr when
// the module imports no such function. Redirecting to the returned value
// undoes it.
const void* RedirectImport(HMODULE module, const char* dll, const char* function, const void* replacement);

}  // namespace sim
