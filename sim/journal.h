// What the host showed the user: message boxes and console lines, in order.
// With ORRISBANE_JOURNAL set, each entry is also appended to that file at
// once, so a parent process can read what a child showed before it ended.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct JournalEntry {
  enum Kind { kMessageBox, kConsoleLine } kind;
  std::string text;      // message text, or the console line as printed
  std::string caption;   // message boxes: the caption; console: the raw format text
  uint32_t style = 0;
};

void RecordMessageBox(const char* text, const char* caption, uint32_t style);
void RecordConsoleLine(const std::string& printed, const std::string& raw);

std::vector<JournalEntry> Journal();
std::vector<JournalEntry> MessageBoxes();
std::vector<JournalEntry> ConsoleLines();
void ClearJournal();

// Shows every message box for real as well (the simulator's --interactive).
void SetInteractive(bool interactive);

// Reads a journal file written by another process.
std::vector<JournalEntry> ReadJournalFile(const std::string& path);

}  // namespace sim
