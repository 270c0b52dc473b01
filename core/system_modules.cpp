#include "core/system_modules.h"

#include <cstddef>

namespace {

constexpr const char* kSystemNames[] = {
    "ntdll.dll",   "kernel32.dll", "kernelbase.dll", "user32.dll",   "gdi32.dll",   "gdi32full.dll",
    "win32u.dll",  "ucrtbase.dll", "msvcrt.dll",     "opengl32.dll", "dxgi.dll",    "dxcore.dll",
    "ole32.dll",   "combase.dll",  "oleaut32.dll",   "rpcrt4.dll",   "advapi32.dll", "sechost.dll",
    "shell32.dll", "shlwapi.dll",  "ws2_32.dll",     "winmm.dll",    "dsound.dll",  "dbghelp.dll",
    "imm32.dll",   "uxtheme.dll",  "dwmapi.dll",     "version.dll",  "bcrypt.dll",  "crypt32.dll",
    "nvd3dum.dll", "nvwgf2um.dll", "nvoglv32.dll",   "atiumdag.dll", "atidxx32.dll", "aticfx32.dll",
    "amdxc32.dll", "xaudio2_7.dll", "x3daudio1_7.dll",
};
// The C runtimes and graphics runtimes come in numbered versions; Wine's
// and the drivers' files go by their prefixes and endings.
constexpr const char* kSystemPrefixes[] = {"msvcr", "msvcp", "vcruntime", "api-ms-win-", "ext-ms-win-", "d3d",
                                           "xinput", "dinput", "wined3d", "igd"};
constexpr const char* kSystemEndings[] = {".drv"};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether name starts with the lowercase prefix, in any case; with whole,
// whether it is that name.
bool StartsWith(const char* name, const char* prefix, bool whole) {
  for (; *prefix != '\0'; ++name, ++prefix) {
    if (Lower(*name) != *prefix) return false;
  }
  return !whole || *name == '\0';
}

bool EndsWith(const char* name, const char* ending) {
  size_t nameLength = 0, endingLength = 0;
  while (name[nameLength] != '\0') ++nameLength;
  while (ending[endingLength] != '\0') ++endingLength;
  return nameLength >= endingLength && StartsWith(name + nameLength - endingLength, ending, true);
}

}  // namespace

bool IsSystemModule(const char* name) {
  for (const char* system : kSystemNames) {
    if (StartsWith(name, system, true)) return true;
  }
  for (const char* prefix : kSystemPrefixes) {
    if (StartsWith(name, prefix, false)) return true;
  }
  for (const char* ending : kSystemEndings) {
    if (EndsWith(name, ending)) return true;
  }
  return false;
}

