// Handlers the bad-reference guards call from their hook bodies. Both take
// their pointer as a stack argument that the caller removes and answer in
// EAX; a fault while reading turns into a null answer.
#pragma once

// p when p is not null and its first word can be read, else null.
extern "C" void* ReadableObjectOrNull(void* p);

// p when the three 32-bit values at p, p+4 and p+8 can all be read, else
// null; a null p counts as unreadable.
extern "C" void* ReadableVectorOrNull(void* p);
