// The fixed table of every option the plugin can install, walked in index
// order by both passes of the load sequence.
#pragma once
#include <cstdint>
#include <span>

#include "core/apply_status.h"
#include "patch/host_site.h"

using ApplyFunction = ApplyStatus (*)();

struct OptionEntry {
  const char* key;
  ApplyFunction apply = nullptr;         // null for an option that is only read as a setting
  std::span<const HookSite> sites = {};  // the host spans its own patches write
  const char* ruledOutBy[2] = {};        // options that rule this one out when on (unused ones null)
  const char* required = nullptr;        // must be on for this option
  bool early = false;                    // applied from the library entry point, never at load
};

// The row at index, or null for a negative index and beyond the last row.
const OptionEntry* FindOption(int index);

// The row of key, or null for a null key and one the table does not have.
const OptionEntry* FindOptionByKey(const char* key);

// The first option after `after` (from the first row when null) whose own
// patches write the host byte at address, or null. A fix and its variant can
// share a site: passing the last answer walks them all.
const OptionEntry* FindOptionGuarding(uint32_t address, const OptionEntry* after = nullptr);

bool IsOptionEligible(const OptionEntry& row);
