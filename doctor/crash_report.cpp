#include "doctor/crash_report.h"

#include "core/ini_file.h"
#include "doctor/player_file.h"

namespace doctor {
namespace {

// A player's copy may be cut or garbled anywhere; a problem quotes at most
// this much of what it could not read.
constexpr size_t kQuotedChars = 40;
// "2026_12_08_13-48-29" and the forms other clocks may give, with room.
constexpr size_t kLongestTime = 64;

std::string Quote(std::string_view text) {
  const bool cut = text.size() > kQuotedChars;
  return "\"" + Printable(text.substr(0, kQuotedChars)) + (cut ? "...\"" : "\"");
}

bool Take(std::string_view& text, std::string_view prefix) {
  if (!text.starts_with(prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

std::string_view UpTo(std::string_view& text, std::string_view end) {
  const size_t at = text.find(end);
  const std::string_view head = text.substr(0, at);
  text.remove_prefix(at == std::string_view::npos ? text.size() : at + end.size());
  return head;
}

class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}
  bool Next(std::string_view& line) {
    if (rest_.empty()) return false;
    line = UpTo(rest_, "\n");
    if (line.ends_with('\r')) line.remove_suffix(1);
    ++number_;
    return true;
  }
  int number() const { return number_; }

 private:
  std::string_view rest_;
  int number_ = 0;
};

// "CrashMod.dll+0x14B4 (FaulterRead@4+0x4) 1.2.3.4"; the version is not needed.
bool ParsePlace(std::string_view text, ModulePlace& place) {
  const size_t plus = text.find("+0x");
  if (plus == 0 || plus == std::string_view::npos) return false;
  place.module = std::string(text.substr(0, plus));
  text.remove_prefix(plus + 3);
  const std::string_view offset = UpTo(text, " ");
  if (!ParseHex32(offset, place.offset)) return false;
  if (Take(text, "(")) place.exportName = std::string(UpTo(text, ")"));
  return true;
}

class Parser {
 public:
  ReadReports Run(std::string_view text) {
    LineReader lines(text);
    std::string_view line;
    while (lines.Next(line)) {
      line_ = lines.number();
      if (line == "Crash info:" || line == "Freeze info:") {
        freeze_ = line == "Freeze info:";
        expectLongLine_ = true;
      } else if (expectLongLine_) {
        expectLongLine_ = false;
        ReadLongLine(line);
      } else if (current_ != nullptr) {
        ReadLaterLine(line);
      }
    }
    return std::move(out_);
  }

 private:
  void Problem(const std::string& text) {
    out_.problems.push_back("line " + std::to_string(line_) + ": " + text);
    current_ = nullptr;
  }

  // "<time> - <EIP>: V(1); EAX(..); ... STACK(<words>);" or, for a freeze,
  // "<time> - no frame for <N> s; main thread at <EIP>".
  void ReadLongLine(std::string_view line) {
    CrashReport report{.freeze = freeze_};
    std::string_view rest = line;
    const size_t dash = rest.find(" - ");
    if (dash == 0 || dash == std::string_view::npos || dash > kLongestTime) {
      return Problem("no \"<time> - \" at the start of " + Quote(line));
    }
    report.time = std::string(rest.substr(0, dash));
    rest.remove_prefix(dash + 3);
    if (freeze_) {
      const size_t at = rest.rfind("main thread at ");
      if (!rest.starts_with("no frame for ") || at == std::string_view::npos) {
        return Problem("not a freeze report's line: " + Quote(line));
      }
      const std::string_view eip = rest.substr(at + 15);
      if (!ParseHex32(eip, report.faultAddress)) return Problem("not an address: " + Quote(eip));
    } else {
      const std::string_view eip = UpTo(rest, ": V(1); ");
      if (!ParseHex32(eip, report.faultAddress)) return Problem("not an address: " + Quote(eip));
      const size_t stack = rest.rfind("STACK(");
      if (stack == std::string_view::npos || !rest.ends_with(");")) {
        return Problem("no \"STACK(...);\" at the end of the crash line");
      }
      std::string_view words = rest.substr(stack + 6, rest.size() - stack - 8);
      while (!words.empty()) {
        const std::string_view word = UpTo(words, " ");
        if (word.empty()) continue;
        uint32_t value = 0;
        if (!ParseHex32(word, value)) return Problem("STACK word " + Quote(word) + " is not a 32-bit address");
        report.hostStackWords.push_back(value);
      }
    }
    out_.reports.push_back(std::move(report));
    current_ = &out_.reports.back();
  }

  void ReadLaterLine(std::string_view line) {
    CrashReport& r = *current_;
    std::string_view rest = line;
    if (line == "Summary:") {
      r.hasSummary = true;
    } else if (line == "Details:") {
      r.hasDetails = true;
      inCallStack_ = false;
    } else if (Take(rest, "Probable culprit: ")) {
      r.culpritLine = std::string(rest);
    } else if (Take(rest, "What to do: ")) {
      r.whatToDo = std::string(rest);
    } else if (!r.hasDetails) {
      return;
    } else if (Take(rest, "Exception: ")) {
      r.exception = std::string(rest);
    } else if (Take(rest, "Faulting module: ") || Take(rest, "Main thread stuck at: ")) {
      r.faultInModule = !rest.starts_with("none at ") && ParsePlace(rest, r.faultPlace);
    } else if (line.starts_with("Probable call stack")) {
      inCallStack_ = true;
    } else if (inCallStack_ && Take(rest, "  ESP+0x")) {
      UpTo(rest, ": ");
      ModulePlace place;
      if (ParsePlace(rest, place)) r.callStackModules.push_back(place.module);
    } else if (Take(rest, "Orrisbane options on: ")) {
      r.hasOptionsLine = true;
      while (!rest.empty()) {
        std::string_view key = UpTo(rest, ",");
        while (key.starts_with(' ')) key.remove_prefix(1);
        if (!key.empty()) r.optionsOn.emplace_back(key);
      }
    } else if (!line.starts_with("  ")) {
      inCallStack_ = false;
    }
  }

  ReadReports out_;
  CrashReport* current_ = nullptr;  // into out_.reports, which only grows at its end
  bool expectLongLine_ = false;
  bool freeze_ = false;
  bool inCallStack_ = false;
  int line_ = 0;
};

}  // namespace

bool ParseHex32(std::string_view text, uint32_t& value) {
  if (text.empty() || text.size() > 8) return false;
  value = 0;
  for (const char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                      : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return false;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return true;
}

ReadReports ParseReports(std::string_view bytes) {
  const std::string text = DecodeProfileText(bytes);
  return Parser().Run(text);
}

}  // namespace doctor
