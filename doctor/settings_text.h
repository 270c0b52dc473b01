// The doctor's handling of a player's file as text: read whole and only when
// it is a plausible size, and echoed back with nothing a terminal would obey.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace doctor {

// Settings files are a few kilobytes; anything past this is not one, and
// judging it line by line would only bury the player in output.
constexpr uintmax_t kLargestSettingsFile = 1024 * 1024;

struct SettingsText {
  std::optional<std::string> bytes;
  std::string problem;  // why there are no bytes, as a line for the player
};

SettingsText ReadSettingsText(const std::string& path);

// Text from a file with its control characters (escape sequences among them)
// written as \xNN.
std::string Printable(std::string_view text);

}  // namespace doctor
