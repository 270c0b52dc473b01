// The fixed table of every option the plugin can install, walked in index
// order by both passes of the load sequence.
#pragma once

using ApplyFunction = void (*)();

struct OptionEntry {
  ApplyFunction apply;     // null for an option that is only read as a setting
  const char* key;         // null only in the terminator row
  const char* conflictA;   // rules this option out when on
  const char* conflictB;
  const char* required;    // must be on for this option
  bool early;              // applied from the library entry point, never at load
};

constexpr int kOptionCount = 54;

// The row at index, or null for a negative index, the terminator and beyond.
const OptionEntry* FindOption(int index);

bool IsOptionEligible(const OptionEntry& row);
