// The one fault-guard mechanism of the plugin. Handlers that touch host
// memory which may be bad, or call host code that may fault, go through it:
// a bad read in a guarded leaf, or any exception in a guarded call, is
// contained and the thread carries on.
#pragma once
#include <cstdint>

#include "core/apply_status.h"

// Guarded leaf code: a read fault with EIP in [begin, end) resumes at
// landing with the registers as they were at the fault. Only reads of the
// data count: a write fault, a stack overflow, a guard page or a read in the
// unused part of the thread's stack goes on to the crash recorder. The
// non-faulting path costs nothing, which matters on hot host routines. Leaves registered here
// must be written so that the landing can finish from any faulting
// instruction (no pushes, or a frame register the landing restores from).
// Leaves register while the library initialises, before any option applies.
void RegisterFaultLanding(const void* begin, const void* end, const void* landing);

// Failed once a landing found the table full: a guarded leaf without its
// landing would crash where it should carry on, so the installer then
// writes no hook at all.
ApplyStatus FaultLandingsInPlace();

// Reads the 32-bit word at p. False when the read faults (a null p faults).
extern "C" bool GuardedReadWord(const void* p, uint32_t* out);

// Calls fn(arg) inside a structured exception frame that accepts every
// exception. On a fault returns 0 and sets *faulted; otherwise clears it.
// Host frames registered inside the call are dropped, not unwound.
using GuardedFunction = uint32_t (*)(void*);
extern "C" uint32_t GuardedCall(GuardedFunction fn, void* arg, bool* faulted);

// The calling thread's stack: the lowest address it may grow to (the TEB's
// DeallocationStack) and its base (the TIB's StackBase).
struct StackBounds {
  uintptr_t bottom;
  uintptr_t top;
};
StackBounds ThreadStackBounds();

// Calls function(argument) with ESP at top of the reserve stack [bottom,
// top), the thread's stack bounds following the switch as they do for a
// fiber, so that an exception frame on the reserve counts as valid.
extern "C" void __cdecl RunOnReserveStack(void (*function)(void*), void* argument, void* top, void* bottom);
