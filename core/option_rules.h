// Rules about option values that both the plugin and the doctor apply: one
// function each, so that what the doctor tells a player is what the plugin
// does with the same files.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "core/settings.h"

namespace option_rules {

// enblocal.ini's [MEMORY] flags as the plugin reads them: at most this many
// characters of the value (its profile buffer), blanks trimmed, "true"/"1"
// and "false"/"0" in any letter case; anything else is neither.
constexpr size_t kEnbValueChars = 31;
enum class EnbBool { kNeither = 0, kTrue = 1, kFalse = -1 };
EnbBool ReadEnbBool(std::string_view value);

// An option whose value asks for nothing although it is on: RecordCrashInfo
// without bit 0x01 installs no recorder, whatever its other bits ask.
constexpr int32_t kCrashReportInstallBit = 0x01;
bool ValueInstallsNothing(std::string_view key, int32_t value);

// A value that another option's apply function reads: it takes effect when
// the reader is applied, even when its own option is ruled out by it.
struct ValueRead {
  const char* reader;  // the option whose apply function reads it
  const char* key;
  int32_t fallback;    // what the reader takes when the key is absent
  const char* effect;  // what a value above 0 does there, in words
};
std::span<const ValueRead> ValueReads();
// The read value, as the reader takes it.
int32_t ReadValue(const ValueRead& read);
// The read of key by reader, or null.
const ValueRead* FindValueRead(std::string_view reader, std::string_view key);

// The late case: the game initialised before the library arrived, so no
// early option can be installed. Walking the rows in table order, every
// early row still eligible at its turn is handed to switchedOff and then
// overridden to 0, so that a later row that requires it is no longer
// eligible and one it ruled out is freed for the load pass.
template <typename RowAt, typename Eligible, typename SwitchedOff>
void SwitchOffEarlyRowsWhenLate(RowAt rowAt, Eligible eligible, SwitchedOff switchedOff) {
  for (int i = 0; const auto* row = rowAt(i); ++i) {
    if (!row->early || !eligible(*row)) continue;
    switchedOff(*row);
    StoreSettingOverride(row->key, 0);
  }
}

}  // namespace option_rules
