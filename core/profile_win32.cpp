#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/settings.h"

int32_t ReadProfileInt(const char* section, const char* key, int32_t fallback, const char* file) {
  return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, file));
}

const char* UnreadableSettingsReason() {
  static char reason[256];
  // Opened as the profile reader opens it, but sharing everything: only a
  // holder that shares nothing, or a file that may not be read, stops it.
  const HANDLE file = CreateFileA(SettingsFile(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return nullptr;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                                sizeof reason, nullptr);
  // The system's sentence ends in a full stop and a line break; the message
  // that quotes it goes on after it.
  while (length > 0 && std::strchr(" .\r\n", reason[length - 1]) != nullptr) reason[--length] = '\0';
  if (length == 0) std::snprintf(reason, sizeof reason, "system error %lu", static_cast<unsigned long>(error));
  return reason;
}
