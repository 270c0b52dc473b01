// A reader for INI text that follows the Win32 profile functions: sections
// and keys match regardless of letter case, the first occurrence wins, and
// values are the text after '=' with surrounding blanks removed.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct IniEntry {
  std::string section;
  std::string key;
  std::string value;
  int line = 0;
};

std::vector<IniEntry> ParseIni(std::string_view text);

// The value of a key, or nothing when the section or the key is absent.
std::optional<std::string> FindIniValue(const std::vector<IniEntry>& entries, std::string_view section,
                                        std::string_view key);

// Integer conversion as the profile reader does it: optional sign, decimal or
// 0x hexadecimal, stopping at the first character that is not a digit;
// text that starts with no number gives 0.
int32_t ProfileTextToInt(std::string_view text);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
