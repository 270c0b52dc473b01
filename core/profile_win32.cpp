#include <windows.h>

#include "core/settings.h"

int32_t ReadProfileInt(const char* section, const char* key, int32_t fallback, const char* file) {
  return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, file));
}
