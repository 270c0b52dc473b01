#include "plugin/ini_file.h"

#include <cctype>

namespace {
std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}
}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::vector<IniEntry> ParseIni(std::string_view text) {
  std::vector<IniEntry> entries;
  std::string section;
  int lineNumber = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      section = std::string(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    entries.push_back({section, std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1))),
                       lineNumber});
  }
  return entries;
}

std::optional<std::string> FindIniValue(const std::vector<IniEntry>& entries, std::string_view section,
                                        std::string_view key) {
  for (const auto& e : entries) {
    if (EqualsIgnoringCase(e.section, section) && EqualsIgnoringCase(e.key, key)) return e.value;
  }
  return std::nullopt;
}

int32_t ProfileTextToInt(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  uint32_t base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  uint32_t value = 0;
  for (char c : text) {
    uint32_t digit;
    if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
    else break;
    value = value * base + digit;
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}
