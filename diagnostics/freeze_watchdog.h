// Freeze reports (FreezeReportSeconds): a frozen game raises no exception,
// so no crash filter ever runs. Each frame stores the time; a watchdog
// thread that finds no frame for the configured seconds suspends the main
// thread, writes freeze_<time>.txt with where it is stuck, and resumes it.
#pragma once
#include <cstdint>

// The watchdog's state, for the tests and for the crash filter: once a crash
// is being handled the watchdog writes nothing more. A known-crash stop
// needs no call: the watch pauses while its message is open, and the game
// ends when the player closes it.
enum class FreezeWatch : uint32_t { kUnarmed, kWatching, kReported, kEnded };
FreezeWatch CurrentFreezeWatch();

// Ends the watchdog's work for good, at a crash. True once no freeze report
// is being written; false when one still is after a bounded wait (or the
// caller is the watchdog itself), and the report buffers are then in use.
bool EndFreezeWatch();
