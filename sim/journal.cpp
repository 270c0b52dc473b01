#include "sim/journal.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

namespace sim {
namespace {

std::mutex g_mutex;
std::vector<JournalEntry> g_entries;
bool g_interactive = false;

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
  }
  return out;
}

// Indexed by JournalEntry::Kind.
constexpr const char* kKindNames[] = {"box", "console", "debug"};

JournalEntry::Kind KindNamed(const std::string& name) {
  for (int kind = 0; kind < static_cast<int>(std::size(kKindNames)); ++kind) {
    if (name == kKindNames[kind]) return static_cast<JournalEntry::Kind>(kind);
  }
  return JournalEntry::kConsoleLine;
}

// Opened and closed per entry: a process that ends abruptly keeps every line.
void Mirror(const JournalEntry& e) {
  const char* path = std::getenv("ORRISBANE_JOURNAL");
  if (path == nullptr || *path == '\0') return;
  if (FILE* f = std::fopen(path, "ab")) {
    std::fprintf(f, "%s\t%s\t%s\t%X\n", kKindNames[e.kind],
                 Escape(e.text).c_str(), Escape(e.caption).c_str(), e.style);
    std::fclose(f);
  }
}

void Add(JournalEntry e) {
  std::lock_guard lock(g_mutex);
  Mirror(e);
  g_entries.push_back(std::move(e));
}

std::vector<JournalEntry> Only(JournalEntry::Kind kind) {
  std::lock_guard lock(g_mutex);
  std::vector<JournalEntry> out;
  for (const auto& e : g_entries) {
    if (e.kind == kind) out.push_back(e);
  }
  return out;
}

}  // namespace

void RecordMessageBox(const char* text, const char* caption, uint32_t style) {
  Add({JournalEntry::kMessageBox, text ? text : "", caption ? caption : "", style});
  if (g_interactive) MessageBoxA(nullptr, text, caption, style);
}

void RecordConsoleLine(const std::string& printed, const std::string& raw) {
  Add({JournalEntry::kConsoleLine, printed, raw, 0});
}

namespace {

// OutputDebugString raises this exception first; continuing it tells the
// caller a debugger took the line.
LONG CALLBACK TakeDebugLine(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
  const auto* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
  Add({JournalEntry::kDebugLine, text ? text : "", "", 0});
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

void ListenToDebugChannel() {
  static PVOID handler = AddVectoredExceptionHandler(0, TakeDebugLine);
  (void)handler;
}

std::vector<JournalEntry> Journal() {
  std::lock_guard lock(g_mutex);
  return g_entries;
}
std::vector<JournalEntry> MessageBoxes() { return Only(JournalEntry::kMessageBox); }
std::vector<JournalEntry> ConsoleLines() { return Only(JournalEntry::kConsoleLine); }
std::vector<JournalEntry> DebugLines() { return Only(JournalEntry::kDebugLine); }

void ClearJournal() {
  std::lock_guard lock(g_mutex);
  g_entries.clear();
}

void SetInteractive(bool interactive) { g_interactive = interactive; }

std::vector<JournalEntry> ReadJournalFile(const std::string& path) {
  std::vector<JournalEntry> out;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::stringstream fields(line);
    std::string kind, text, caption, style;
    std::getline(fields, kind, '\t');
    std::getline(fields, text, '\t');
    std::getline(fields, caption, '\t');
    std::getline(fields, style, '\t');
    out.push_back({KindNamed(kind), Unescape(text),
                   Unescape(caption), static_cast<uint32_t>(std::strtoul(style.c_str(), nullptr, 16))});
  }
  return out;
}

}  // namespace sim
