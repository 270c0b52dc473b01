// Handlers that the first set of null and bad-reference guards call from
// their bodies; all cdecl with one stack argument.
#pragma once
#include <cstdint>

// p itself, or when p is null a host-initialised stand-in, the same one for
// every caller.
extern "C" void* SeenDataOrDummy(void* p);

// p when its first word can be read, otherwise the address of a zero word.
extern "C" const void* ReadableOrZero(const void* p);

// Member call of virtual slot 7 of object (ECX = object) inside a fault
// guard. The call's result in the low half (EAX), the fault flag in the high
// half (EDX): each caller gets its own flag, so threads cannot mix them up.
extern "C" uint64_t GuardedSlot7Call(void* object);
constexpr uint64_t kSlot7Faulted = uint64_t{1} << 32;

extern "C" void MountNodeCrash_Body();
