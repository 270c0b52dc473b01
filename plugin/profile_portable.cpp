// The profile reader for builds without Win32 (native tests, the doctor).
#include <fstream>
#include <sstream>

#include "plugin/ini_file.h"
#include "plugin/settings.h"

int32_t ReadProfileInt(const char* section, const char* key, int32_t fallback, const char* file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return fallback;
  std::stringstream text;
  text << in.rdbuf();
  auto value = FindIniValue(ParseIni(text.str()), section, key);
  if (!value || value->empty()) return fallback;
  return ProfileTextToInt(*value);
}
