// The doctor's handling of a player's file as text: read whole and only when
// it is a regular file of a plausible size, decoded as the profile reader
// decodes it, and echoed back with nothing a terminal would obey.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace doctor {

// Settings files are a few kilobytes; anything past this is not one, and
// judging it line by line would only bury the player in output.
constexpr uintmax_t kLargestSettingsFile = 1024 * 1024;
// A folder of appended crash reports stays far below this.
constexpr uintmax_t kLargestCrashReport = 64 * 1024 * 1024;

struct PlayerFile {
  std::optional<std::string> bytes;  // as stored: the INI reader decodes settings itself
  std::string problem;               // why there are no bytes, as a line for the player
  bool missing = false;              // nothing at all at the path
};

// what: the kind of file in words ("a settings file"); largest: its bound.
PlayerFile ReadPlayerFile(const std::string& path, uintmax_t largest, const char* what);

// Text from a file with its control characters (escape sequences among them)
// written as \xNN.
std::string Printable(std::string_view text);

}  // namespace doctor
