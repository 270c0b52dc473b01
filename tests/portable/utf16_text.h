// Settings text as editors save it in UTF-16: a byte-order mark, then each
// (ASCII) character low byte first.
#pragma once
#include <string>
#include <string_view>

inline std::string Utf16WithMark(std::string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char c : text) bytes += {c, '\0'};
  return bytes;
}
