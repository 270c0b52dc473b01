// A reader for INI files that follows the Win32 profile functions the plugin
// reads its settings with: a UTF-8 or UTF-16 byte-order mark selects the
// encoding, section names, keys and values are trimmed of blanks, sections
// and keys match regardless of letter case, only the first section of a name
// and the first key of a name in it count, and a value in matching quotes
// is read without them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct IniEntry {
  std::string key;
  std::string value;
  int line = 0;
};

struct IniSection {
  std::string name;  // empty for the lines before the first header
  int line = 0;
  std::vector<IniEntry> entries;  // every key line, duplicates included
};

// Every section in file order, duplicates included; text is UTF-8 whatever
// the file's encoding was.
using IniFile = std::vector<IniSection>;

IniFile ParseIni(std::string_view bytes);

// The file's text as UTF-8: a UTF-8 mark dropped, UTF-16 of either byte
// order (by its mark) converted, anything else as it is.
std::string DecodeProfileText(std::string_view bytes);

// The section the profile functions read for a name: the first of that name.
const IniSection* FindIniSection(const IniFile& file, std::string_view name);

// The value of a key, or nothing when the section or the key is absent.
std::optional<std::string> FindIniValue(const IniFile& file, std::string_view section, std::string_view key);

// The integer of a key as GetPrivateProfileInt gives it: the fallback when
// the section or the key is absent or the value empty.
int32_t FindIniInt(const IniFile& file, std::string_view section, std::string_view key, int32_t fallback);

// Integer conversion as the profile reader does it: optional sign, decimal,
// or 0x hexadecimal, 0o octal or 0b binary (prefixes in lower case), stopping at the first character
// that is not a digit, within the first 29 characters; text that starts
// with no number gives 0.
int32_t ProfileTextToInt(std::string_view text);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
