// What the host showed the user: message boxes and console lines, in order;
// and what the plugin said on the debug channel, as a debugger would see it.
// With ORRISBANE_JOURNAL set, each entry is also appended to that file at
// once, so a parent process can read what a child showed before it ended.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct JournalEntry {
  enum Kind { kMessageBox, kConsoleLine, kDebugLine } kind;
  std::string text;      // message text, the console line as printed, or the debug line
  std::string caption;   // message boxes: the caption; console: the raw format text
  uint32_t style = 0;
};

void RecordMessageBox(const char* text, const char* caption, uint32_t style);
void RecordConsoleLine(const std::string& printed, const std::string& raw);
// From then on, OutputDebugString lines of this process go to the journal
// instead of to a debugger.
void ListenToDebugChannel();

std::vector<JournalEntry> Journal();
std::vector<JournalEntry> MessageBoxes();
std::vector<JournalEntry> ConsoleLines();
std::vector<JournalEntry> DebugLines();
void ClearJournal();

// Shows every message box for real as well (the simulator's --interactive).
void SetInteractive(bool interactive);

// Reads a journal file written by another process.
std::vector<JournalEntry> ReadJournalFile(const std::string& path);

}  // namespace sim
