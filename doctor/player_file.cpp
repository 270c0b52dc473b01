#include "doctor/player_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace doctor {

PlayerFile ReadPlayerFile(const std::string& path, uintmax_t largest, const char* what) {
  namespace fs = std::filesystem;
  std::error_code error;
  const std::string shown = Printable(path);
  if (fs::symlink_status(path, error).type() == fs::file_type::not_found) {
    return {std::nullopt, "cannot read " + shown + ": there is no such file", true};
  }
  // A folder opens as a stream on some systems and then reads as empty,
  // which would pass for a file with every option off; a pipe would wait
  // for a writer forever.
  if (!fs::is_regular_file(path, error)) return {std::nullopt, "cannot read " + shown + ": not a file"};
  const uintmax_t size = fs::file_size(path, error);
  if (!error && size > largest) {
    return {std::nullopt, "not checked: " + shown + " is " + std::to_string(size) + " bytes, far more than " + what +
                              " (the limit is " + std::to_string(largest >> 20) + " MB)"};
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  if (!in.is_open() || in.bad()) return {std::nullopt, "cannot read " + shown};
  return {std::move(bytes), ""};
}

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    // The C1 controls, U+0080 to U+009F, are two bytes in UTF-8, and some
    // terminals obey them as they do ESC.
    const bool c1 = c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
    if (c1) c = static_cast<unsigned char>(text[++i]);
    if (c < 0x20 || c == 0x7F || c1) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace doctor
