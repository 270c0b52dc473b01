// Handlers the actor guards call from their hook bodies; cdecl, one stack
// argument that the caller removes, the answer in EAX.
#pragma once

// p itself, or when p is null a host-initialised stand-in, the same one for
// every caller.
extern "C" void* SeenDataOrDummy(void* p);

// p when its first word can be read, otherwise the address of a zero word.
extern "C" const void* ReadableOrZero(const void* p);

// p when the three 32-bit values at p, p+4 and p+8 can all be read, else
// null; a null p counts as unreadable.
extern "C" void* ReadableVectorOrNull(void* p);
