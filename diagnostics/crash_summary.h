// The player's summary of a crash report with details: the probable
// culprit, what to do about it, and a caution that it is a probability.
#pragma once
#include <windows.h>

#include <cstddef>

#include "core/system_modules.h"
#include "diagnostics/module_list.h"

constexpr size_t kCrashSummarySize = 1024;

enum class CulpritReason {
  kFaultedInIt,       // the faulting instruction lies in it
  kThrewIt,           // it threw the C++ exception that nothing caught
  kFirstInCallStack,  // the fault lies in the game or the system, called from it
  kNone,              // every frame belongs to the game or the system
};


// The module a player should look at first: the faulting module, unless it
// is the game or a system module; then, for a C++ exception, the module the
// throw information lies in; then the first module of the probable call
// stack that is neither. Null (with kNone) when there is none. Takes a fresh
// module snapshot; record is null for a thread that did not fault.
const LoadedModule* ProbableCulprit(const CONTEXT& context, const EXCEPTION_RECORD* record, CulpritReason* reason);

// The "Summary:" block, CR LF line ends, shorter than kCrashSummarySize. It begins with the line end of the
// classic long line and an empty line, and ends after the caution without a
// line end, so that it goes right between the long line and the classic
// "\n\nNot so useful info". The length is set when asked for.
const char* ComposeCrashSummary(const CONTEXT& context, const EXCEPTION_RECORD* record, DWORD* length);
