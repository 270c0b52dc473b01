#include "core/ini_file.h"

#include <cctype>

namespace {

// The profile reader's blanks, trimmed from both ends of every line, key and
// value; ^Z counts as one, a leftover of old editors' end-of-file mark.
bool IsProfileBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsProfileBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsProfileBlank(s.back())) s.remove_suffix(1);
  return s;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// GetPrivateProfileString hands out a value in matching quotes without them.
std::string_view Unquoted(std::string_view value) {
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
  return quoted ? value.substr(1, value.size() - 2) : value;
}

}  // namespace

// Players' editors save settings as UTF-16 or with a UTF-8 mark, and the
// profile functions read both by their byte-order mark; without one the text
// is taken as it is.
std::string DecodeProfileText(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
  const bool little = bytes.starts_with("\xFF\xFE");
  if (!little && !bytes.starts_with("\xFE\xFF")) return std::string(bytes);
  auto unitAt = [&](size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
    return little ? static_cast<uint32_t>(first | second << 8) : static_cast<uint32_t>(first << 8 | second);
  };
  std::string text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    uint32_t c = unitAt(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
      const uint32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(text, c);
  }
  return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

IniFile ParseIni(std::string_view bytes) {
  const std::string text = DecodeProfileText(bytes);
  IniFile file(1);
  std::string_view rest = text;
  int lineNumber = 0;
  while (!rest.empty()) {
    // Lines end with LF, CR LF, or a lone CR as old editors wrote them.
    const size_t end = rest.find_first_of("\r\n");
    const std::string_view line = Trim(rest.substr(0, end));
    const size_t next = end == std::string_view::npos ? rest.size() : rest.substr(end, 2) == "\r\n" ? end + 2 : end + 1;
    rest = rest.substr(next);
    ++lineNumber;
    if (line.empty() || line.front() == ';') continue;
    // A header runs to its last ']'; one without any is an ordinary line.
    if (const size_t close = line.rfind(']'); line.front() == '[' && close != std::string_view::npos) {
      file.push_back({std::string(Trim(line.substr(1, close - 1))), lineNumber, {}});
      continue;
    }
    // A line without '=' is still a key, with no value: it hides a later
    // line of the same key just as one with a value would.
    const size_t eq = line.find('=');
    file.back().entries.push_back({std::string(Trim(line.substr(0, eq))),
                                   eq == std::string_view::npos ? "" : std::string(Unquoted(Trim(line.substr(eq + 1)))),
                                   lineNumber});
  }
  return file;
}

const IniSection* FindIniSection(const IniFile& file, std::string_view name) {
  for (const auto& section : file) {
    if (EqualsIgnoringCase(section.name, name)) return &section;
  }
  return nullptr;
}

std::optional<std::string> FindIniValue(const IniFile& file, std::string_view section, std::string_view key) {
  const IniSection* found = FindIniSection(file, section);
  if (found == nullptr) return std::nullopt;
  for (const auto& e : found->entries) {
    if (EqualsIgnoringCase(e.key, key)) return e.value;
  }
  return std::nullopt;
}

int32_t FindIniInt(const IniFile& file, std::string_view section, std::string_view key, int32_t fallback) {
  const auto value = FindIniValue(file, section, key);
  return value && !value->empty() ? ProfileTextToInt(*value) : fallback;
}

int32_t ProfileTextToInt(std::string_view text) {
  // GetPrivateProfileInt reads the value into 30 characters, the last of
  // them the terminator, and converts what fits.
  constexpr size_t kIntText = 29;
  text = Trim(text).substr(0, kIntText);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  uint32_t base = 10;
  // Only lower-case prefixes count: 0X10 reads as 0.
  if (text.size() >= 2 && text[0] == '0') {
    base = text[1] == 'x' ? 16 : text[1] == 'o' ? 8 : text[1] == 'b' ? 2 : 10;
    if (base != 10) text.remove_prefix(2);
  }
  uint32_t value = 0;
  for (char c : text) {
    const auto lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const uint32_t digit = lower >= '0' && lower <= '9'   ? static_cast<uint32_t>(lower - '0')
                           : lower >= 'a' && lower <= 'z' ? static_cast<uint32_t>(lower - 'a' + 10)
                                                          : 36;
    if (digit >= base) break;
    value = value * base + digit;
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}
